// The sound device: creation and release, capabilities, cooperative level, the list of
// output devices, and the backend choice.
#include "platform/sound/sound_state.h"
#include "platform/timer/timer.h"

namespace plat::sound {

Result CreateDevice(Device** out) {
  if (out == nullptr) return Result::kInvalidParam;
  *out = nullptr;
  auto lock = EnterSound();
  if (Result r = AskHook(Op::kCreateDevice); r != Result::kOk) return r;
  if (g_sound.device != nullptr) return Result::kInvalidCall;
  switch (g_sound.backend_choice) {
    case Backend::kAuto:
      g_sound.active = timer::IsVirtualClock() ? ActiveBackend::kClockDriven : ActiveBackend::kSdl;
      break;
    case Backend::kClockDriven: g_sound.active = ActiveBackend::kClockDriven; break;
    case Backend::kManual: g_sound.active = ActiveBackend::kManual; break;
  }
  g_sound.device = std::make_unique<Device>();
  g_sound.stream_running = false;
  SetUpCapture();
  *out = g_sound.device.get();
  return Result::kOk;
}

Result ReleaseDevice(Device* device) {
  auto lock = EnterSound();
  if (device == nullptr || device != g_sound.device.get()) return Result::kInvalidParam;
  StopStream(lock);
  // With no output nothing plays on; positions stay where the mixer left them.
  for (Buffer* b : g_sound.playing) b->playing = false;
  g_sound.playing.clear();
  if (g_sound.primary != nullptr) g_sound.primary->playing = false;
  g_sound.device.reset();
  return Result::kOk;
}

Result SetCooperativeLevel(Device* device, uint32_t level) {
  auto lock = EnterSound();
  if (device == nullptr || device != g_sound.device.get()) return Result::kInvalidParam;
  if (level < kLevelNormal || level > kLevelWritePrimary) return Result::kInvalidParam;
  return AskHook(Op::kSetCooperativeLevel);
}

Result GetDeviceCaps(Device* device, DeviceCaps* out) {
  auto lock = EnterSound();
  if (device == nullptr || device != g_sound.device.get() || out == nullptr) {
    return Result::kInvalidParam;
  }
  if (Result r = AskHook(Op::kGetDeviceCaps); r != Result::kOk) return r;
  *out = g_sound.caps;
  return Result::kOk;
}

Result EnumerateDevices(const std::function<bool(const DeviceInfo&)>& callback) {
  std::vector<DeviceInfo> list;
  {
    auto lock = EnterSound();
    if (Result r = AskHook(Op::kEnumerate); r != Result::kOk) return r;
    list = g_sound.device_list;
  }
  // Called without the lock, so the callback may use the module.
  for (const DeviceInfo& info : list) {
    if (!callback(info)) break;
  }
  return Result::kOk;
}

WaveFormat OutputFormat() {
  auto lock = EnterSound();
  return g_sound.output;
}

Result MixFrames(std::span<uint8_t> out) {
  auto lock = EnterSound();
  const uint32_t frames = static_cast<uint32_t>(out.size() / g_sound.output.block_align);
  RenderFrames(out.data(), frames);
  return Result::kOk;
}

void SetFailureHook(std::function<Result(Op)> hook) {
  auto lock = EnterSound();
  g_sound.failure_hook = std::move(hook);
}

void SetBackendForTests(Backend backend) {
  auto lock = EnterSound();
  g_sound.backend_choice = backend;
}

void SetDeviceCapsForTests(const DeviceCaps& caps) {
  auto lock = EnterSound();
  g_sound.caps = caps;
}

void SetDeviceListForTests(std::vector<DeviceInfo> devices) {
  auto lock = EnterSound();
  g_sound.device_list = std::move(devices);
}

}  // namespace plat::sound

// Owner of the sound module's state table.
#include "platform/sound/sound_state.h"

#include "platform/capture/audio_capture.h"

namespace plat::sound {

SoundState g_sound;  // the module's one state table; see sound_state.h for each field

DeviceCaps DefaultDeviceCaps() {
  DeviceCaps caps;
  caps.flags = kCapPrimaryMono | kCapPrimaryStereo | kCapPrimary8Bit | kCapPrimary16Bit | kCapSecondaryMono |
               kCapSecondaryStereo | kCapSecondary8Bit | kCapSecondary16Bit;
  caps.min_secondary_rate = kMinFrequency;
  caps.max_secondary_rate = kMaxFrequency;
  return caps;
}

namespace {

std::vector<DeviceInfo> DefaultDeviceList() {
  DeviceInfo info;
  info.description = "Default audio output";
  info.module = "sdl2";
  return {info};
}

// Settings at program start; the state's own initialisers cover the rest.
struct InitialSettings {
  InitialSettings() {
    g_sound.caps = DefaultDeviceCaps();
    g_sound.device_list = DefaultDeviceList();
    g_sound.output = DefaultOutputFormat();
  }
} g_initial_settings;

}  // namespace

Result AskHook(Op op) { return g_sound.failure_hook ? g_sound.failure_hook(op) : Result::kOk; }

void RecordCall(Op op, Buffer* buffer, int64_t value) {
  if (g_sound.recorder) g_sound.recorder(CallRecord{op, buffer, value});
}

void SetCallRecorder(std::function<void(const CallRecord&)> recorder) {
  auto lock = EnterSound();
  g_sound.recorder = std::move(recorder);
}

size_t LiveBufferCount() {
  auto lock = EnterSound();
  return g_sound.buffers.size();
}

void ResetSoundState(std::unique_lock<std::mutex>& lock) {
  StopStream(lock);
  g_sound.playing.clear();
  g_sound.buffers.clear();
  g_sound.device.reset();
  g_sound.primary = nullptr;
  g_sound.output = DefaultOutputFormat();
  g_sound.backend_choice = Backend::kAuto;
  g_sound.active = ActiveBackend::kManual;
  g_sound.caps = DefaultDeviceCaps();
  g_sound.device_list = DefaultDeviceList();
  g_sound.failure_hook = nullptr;
  g_sound.recorder = nullptr;
  // The next device looks at NIGHTLOOM_AUDIO_OUT again; the exit flush stays registered.
  audio_capture::Close();
  g_sound.capture_tried = false;
}

void ResetSoundForTests() {
  std::unique_lock<std::mutex> lock(g_sound.mutex);
  ResetSoundState(lock);
}

}  // namespace plat::sound

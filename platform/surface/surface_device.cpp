// The device: creation, cooperative level, display mode, and what it tells of itself.
#include "platform/surface/display.h"
#include "platform/surface/surface_state.h"

namespace plat::surface {
namespace {

constexpr const char* kDriverName = "nightloom-memory";
constexpr const char* kDriverDescription = "NIGHTLOOM memory surfaces on the fake display";
constexpr uint16_t kDriverVersion[4] = {1, 0, 0, 0};

// kOk when the device can be used at all.
Result Usable(const Device* d) {
  if (d == nullptr) return Result::kInvalidParams;
  if (d->released) return Result::kNoDevice;
  if (!d->initialized) return Result::kNotInitialized;
  return Result::kOk;
}

Device* ExclusiveHolder() {
  for (size_t i = 0; i < g_devices.size(); ++i) {
    Device* d = g_devices.at(i);
    if (!d->released && d->exclusive) return d;
  }
  return nullptr;
}

}  // namespace

Result CreateDevice(Device** out) {
  if (out == nullptr) return Result::kInvalidParams;
  *out = nullptr;
  Result r;
  if (TakeInjectedFailure(Operation::kCreateDevice, &r)) return r;
  *out = g_devices.Add();
  return Result::kOk;
}

Result InitializeDevice(Device* device) {
  if (device == nullptr) return Result::kInvalidParams;
  if (device->released) return Result::kNoDevice;
  Result r;
  if (TakeInjectedFailure(Operation::kInitializeDevice, &r)) return r;
  device->initialized = true;
  return Result::kOk;
}

void ReleaseDevice(Device* device) {
  if (device == nullptr || device->released) return;
  if (device->mode_set) {
    display::RestoreDesktop();
    device->mode_set = false;
    LoseDisplaySurfaces();
  }
  device->exclusive = false;
  device->released = true;
  for (size_t i = 0; i < g_surfaces.size(); ++i) {
    Surface* s = g_surfaces.at(i);
    if (s->device == device) s->lost = true;
  }
  FreeDeviceIfDone(device);
}

Result GetDeviceIdentifier(Device* device, DeviceIdentifier* out) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  if (out == nullptr) return Result::kInvalidParams;
  out->driver = kDriverName;
  out->description = kDriverDescription;
  for (int i = 0; i < 4; ++i) out->version[i] = kDriverVersion[i];
  return Result::kOk;
}

Result GetDeviceCaps(Device* device, DeviceCaps* out) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  if (out == nullptr) return Result::kInvalidParams;
  *out = DeviceCaps{};
  return Result::kOk;
}

Result GetAvailableVideoMemory(Device* device, VideoMemory* out) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  if (out == nullptr) return Result::kInvalidParams;
  out->total = display::TotalVideoMemory();
  out->free = display::FreeVideoMemory();
  return Result::kOk;
}

Result SetCooperativeLevel(Device* device, WindowRef window, uint32_t level) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  Result injected;
  if (TakeInjectedFailure(Operation::kSetCooperativeLevel, &injected)) return injected;
  constexpr uint32_t kFullScreenExclusive = kCooperativeFullScreen | kCooperativeExclusive;
  if (level == kCooperativeNormal) {
    device->exclusive = false;
  } else if (level == kFullScreenExclusive) {
    Device* holder = ExclusiveHolder();
    if (holder != nullptr && holder != device) return Result::kExclusiveModeAlreadySet;
    device->exclusive = true;
  } else {
    return Result::kInvalidParams;
  }
  device->level = level;
  device->window = window;
  return Result::kOk;
}

uint32_t GetCooperativeLevel(const Device* device) { return device != nullptr ? device->level : 0; }

Result SetDisplayMode(Device* device, int width, int height, int bits, int refresh) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  Result injected;
  if (TakeInjectedFailure(Operation::kSetDisplayMode, &injected)) return injected;
  if (!device->exclusive) return Result::kNoExclusiveMode;
  if (!display::ApplyMode(width, height, bits, refresh)) return Result::kModeRefused;
  // The display has one mode; whoever set it last is the one to restore it.
  for (size_t i = 0; i < g_devices.size(); ++i) g_devices.at(i)->mode_set = false;
  device->mode_set = true;
  LoseDisplaySurfaces();
  return Result::kOk;
}

Result RestoreDisplayMode(Device* device) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  if (device->mode_set) {
    display::RestoreDesktop();
    device->mode_set = false;
    LoseDisplaySurfaces();
  }
  return Result::kOk;
}

Result GetDisplayMode(Device* device, DisplayModeInfo* out) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  if (out == nullptr) return Result::kInvalidParams;
  display::CurrentMode m = display::Current();
  out->width = m.width;
  out->height = m.height;
  out->refresh = m.refresh;
  out->format = display::FormatForBits(m.bits);
  return Result::kOk;
}

Result WaitForVerticalBlank(Device* device) {
  if (Result r = Usable(device); r != Result::kOk) return r;
  ++g_counters.vertical_blank_waits;
  return Result::kOk;
}

}  // namespace plat::surface

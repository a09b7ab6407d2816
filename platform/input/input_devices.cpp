// The input stand-in's object and device tables: creation, configuration, acquisition
// and loss, and the reads, dispatched to the device's source (SDL, a fake, the script);
// with the failure rules and the call observer of tests.
#include <algorithm>
#include <vector>

#include "platform/input/input.h"
#include "platform/input/input_internal.h"

namespace plat::input {
namespace {

constexpr int32_t kDefaultAxisMin = 0;  // range of an axis nobody has set
constexpr int32_t kDefaultAxisMax = 65535;
constexpr uint32_t kHatCentred = 0xFFFFFFFFu;
constexpr char kKeyboardName[] = "Keyboard";
constexpr char kScriptJoypadName[] = "NIGHTLOOM_INPUT joypad";

struct ObjectRecord {
  bool in_use = false;
  bool initialized = false;  // Initialize succeeded
  bool uses_sdl = false;     // made outside fake mode: holds an SDL start
};

struct AxisRecord {
  int32_t min = kDefaultAxisMin;
  int32_t max = kDefaultAxisMax;
  uint32_t dead_zone = 0;  // 1/10000 of the travel from the centre
};

struct DeviceRecord {
  bool in_use = false;
  DeviceGuid guid = 0;
  bool keyboard = false;                  // else a joypad
  std::optional<DataFormat> format;       // set by SetDataFormat
  plat::window::WindowHandle window = 0;  // cooperative level: window and flags
  uint32_t cooperation = 0;
  bool acquired = false;
  bool lost = false;  // reads fail with kErrInputLost until acquired
  AxisRecord x, y;
  std::string name, product;  // CP932
};

std::array<ObjectRecord, kMaxObjects> g_objects;            // slot i is handle i + 1
std::array<DeviceRecord, kMaxDevices> g_devices;            // slot i is handle i + 1
std::vector<Failure> g_failures;                            // injected failure rules, in order
std::function<void(Call, DeviceGuid, int32_t)> g_observer;  // watches every call, or empty

int32_t Report(Call call, DeviceGuid guid, int32_t result) {
  if (g_observer) g_observer(call, guid, result);
  return result;
}

// The error of the first rule matching the call (using up one of its times), or kOk.
// Object calls pass kAnyDevice and match rules of any device.
int32_t Injected(Call call, DeviceGuid guid, uint32_t axis = kAnyAxis) {
  for (Failure& f : g_failures) {
    if (f.call != call || f.times == 0) continue;
    if (guid != kAnyDevice && f.device != kAnyDevice && f.device != guid) continue;
    if (axis != kAnyAxis && f.axis != kAnyAxis && f.axis != axis) continue;
    if (f.times > 0) --f.times;
    return f.error;
  }
  return kOk;
}

ObjectRecord* ObjectOf(ObjectHandle h) {
  if (h == 0 || h > kMaxObjects || !g_objects[h - 1].in_use) return nullptr;
  return &g_objects[h - 1];
}

DeviceRecord* DeviceOf(DeviceHandle h) {
  if (h == 0 || h > kMaxDevices || !g_devices[h - 1].in_use) return nullptr;
  return &g_devices[h - 1];
}

DeviceGuid GuidOf(DeviceHandle h) {
  DeviceRecord* d = DeviceOf(h);
  return d != nullptr ? d->guid : kAnyDevice;
}

std::vector<internal::PadEntry> AttachedPads() {
  std::vector<internal::PadEntry> pads;
  if (internal::ScriptHasPad()) pads.push_back({kScriptJoypad, kScriptJoypadName, kScriptJoypadName});
  if (!internal::FakeMode()) {
    for (internal::PadEntry& e : internal::SdlPads()) pads.push_back(std::move(e));
  }
  for (internal::PadEntry& e : internal::FakePads()) pads.push_back(std::move(e));
  return pads;
}

std::optional<internal::RawPad> ReadPad(DeviceGuid guid) {
  if (guid == kScriptJoypad) return internal::ScriptReadPad();
  if (internal::SourceOf(guid) == internal::kSourceSdl) return internal::SdlReadPad(guid);
  return internal::FakeReadPad(guid);
}

bool OpenPad(DeviceGuid guid) {
  if (internal::SourceOf(guid) == internal::kSourceSdl) return internal::SdlOpenPad(guid);
  return ReadPad(guid).has_value();
}

// Properties may only change while the device is not acquired, and only on a joypad's axes.
int32_t CheckAxisCall(DeviceRecord* d, uint32_t axis_offset) {
  if (d == nullptr || d->keyboard || d->format != DataFormat::Joystick) return kErrInvalidParam;
  if (d->acquired) return kErrAcquired;
  if (axis_offset != kAxisX && axis_offset != kAxisY) return kErrObjectNotFound;
  return kOk;
}

AxisRecord& AxisOf(DeviceRecord& d, uint32_t axis_offset) { return axis_offset == kAxisX ? d.x : d.y; }

// A read of a device that must be acquired and not lost; kOk when it may go on.
int32_t CheckRead(DeviceRecord* d, DataFormat format) {
  if (d == nullptr || d->format != format) return kErrInvalidParam;
  if (int32_t e = Injected(Call::GetDeviceState, d->guid); e != kOk) return e;
  if (d->lost) return kErrInputLost;
  if (!d->acquired) return kErrNotAcquired;
  return kOk;
}

}  // namespace

int32_t CreateInputObject(ObjectHandle* out) {
  internal::EnsureScriptLoaded();
  if (out == nullptr) return Report(Call::CreateInputObject, kAnyDevice, kErrInvalidParam);
  *out = 0;
  if (int32_t e = Injected(Call::CreateInputObject, kAnyDevice); e != kOk) {
    return Report(Call::CreateInputObject, kAnyDevice, e);
  }
  auto it = std::find_if(g_objects.begin(), g_objects.end(), [](const ObjectRecord& o) { return !o.in_use; });
  if (it == g_objects.end()) return Report(Call::CreateInputObject, kAnyDevice, kErrOutOfMemory);
  *it = ObjectRecord{};
  it->in_use = true;
  it->uses_sdl = !internal::FakeMode();
  if (it->uses_sdl) internal::SdlStart();
  *out = static_cast<ObjectHandle>(it - g_objects.begin() + 1);
  return Report(Call::CreateInputObject, kAnyDevice, kOk);
}

int32_t Initialize(ObjectHandle object, uintptr_t instance, uint32_t version) {
  ObjectRecord* o = ObjectOf(object);
  if (o == nullptr || instance == 0 || version > kInputVersion) {
    return Report(Call::Initialize, kAnyDevice, kErrInvalidParam);
  }
  if (int32_t e = Injected(Call::Initialize, kAnyDevice); e != kOk) return Report(Call::Initialize, kAnyDevice, e);
  o->initialized = true;
  return Report(Call::Initialize, kAnyDevice, kOk);
}

void ReleaseObject(ObjectHandle object) {
  ObjectRecord* o = ObjectOf(object);
  if (o == nullptr) return;
  if (o->uses_sdl) internal::SdlStop();
  *o = ObjectRecord{};
  Report(Call::ReleaseObject, kAnyDevice, kOk);
}

int32_t EnumJoypads(ObjectHandle object, const std::function<bool(const DeviceInstance&)>& found) {
  ObjectRecord* o = ObjectOf(object);
  if (o == nullptr) return Report(Call::EnumJoypads, kAnyDevice, kErrInvalidParam);
  if (!o->initialized) return Report(Call::EnumJoypads, kAnyDevice, kErrNotInitialized);
  if (int32_t e = Injected(Call::EnumJoypads, kAnyDevice); e != kOk) return Report(Call::EnumJoypads, kAnyDevice, e);
  Report(Call::EnumJoypads, kAnyDevice, kOk);
  for (const internal::PadEntry& e : AttachedPads()) {
    if (!found(DeviceInstance{e.guid, e.name, e.product})) break;
  }
  return kOk;
}

int32_t CreateDevice(ObjectHandle object, DeviceGuid guid, DeviceHandle* out) {
  if (out == nullptr) return Report(Call::CreateDevice, guid, kErrInvalidParam);
  *out = 0;
  ObjectRecord* o = ObjectOf(object);
  if (o == nullptr) return Report(Call::CreateDevice, guid, kErrInvalidParam);
  if (!o->initialized) return Report(Call::CreateDevice, guid, kErrNotInitialized);
  if (int32_t e = Injected(Call::CreateDevice, guid); e != kOk) return Report(Call::CreateDevice, guid, e);
  auto slot = std::find_if(g_devices.begin(), g_devices.end(), [](const DeviceRecord& d) { return !d.in_use; });
  if (slot == g_devices.end()) return Report(Call::CreateDevice, guid, kErrOutOfMemory);

  DeviceRecord d;
  d.guid = guid;
  if (guid == kSysKeyboard) {
    d.keyboard = true;
    d.name = d.product = kKeyboardName;
  } else {
    std::vector<internal::PadEntry> pads = AttachedPads();
    auto pad = std::find_if(pads.begin(), pads.end(), [&](const internal::PadEntry& e) { return e.guid == guid; });
    if (pad == pads.end() || !OpenPad(guid)) return Report(Call::CreateDevice, guid, kErrObjectNotFound);
    d.name = pad->name;
    d.product = pad->product;
  }
  d.in_use = true;
  *slot = std::move(d);
  *out = static_cast<DeviceHandle>(slot - g_devices.begin() + 1);
  return Report(Call::CreateDevice, guid, kOk);
}

int32_t GetDeviceInfo(DeviceHandle device, DeviceInstance* out) {
  DeviceRecord* d = DeviceOf(device);
  if (d == nullptr || out == nullptr) return Report(Call::GetDeviceInfo, GuidOf(device), kErrInvalidParam);
  if (int32_t e = Injected(Call::GetDeviceInfo, d->guid); e != kOk) return Report(Call::GetDeviceInfo, d->guid, e);
  *out = DeviceInstance{d->guid, d->name, d->product};
  return Report(Call::GetDeviceInfo, d->guid, kOk);
}

int32_t SetDataFormat(DeviceHandle device, DataFormat format) {
  DeviceRecord* d = DeviceOf(device);
  if (d == nullptr) return Report(Call::SetDataFormat, kAnyDevice, kErrInvalidParam);
  if (int32_t e = Injected(Call::SetDataFormat, d->guid); e != kOk) return Report(Call::SetDataFormat, d->guid, e);
  if (d->acquired) return Report(Call::SetDataFormat, d->guid, kErrAcquired);
  if ((format == DataFormat::Keyboard) != d->keyboard) return Report(Call::SetDataFormat, d->guid, kErrInvalidParam);
  d->format = format;
  return Report(Call::SetDataFormat, d->guid, kOk);
}

int32_t SetCooperativeLevel(DeviceHandle device, plat::window::WindowHandle window, uint32_t flags) {
  DeviceRecord* d = DeviceOf(device);
  if (d == nullptr) return Report(Call::SetCooperativeLevel, kAnyDevice, kErrInvalidParam);
  if (int32_t e = Injected(Call::SetCooperativeLevel, d->guid); e != kOk) {
    return Report(Call::SetCooperativeLevel, d->guid, e);
  }
  bool one_sharing = ((flags & kCoopExclusive) != 0) != ((flags & kCoopNonExclusive) != 0);
  bool one_focus = ((flags & kCoopForeground) != 0) != ((flags & kCoopBackground) != 0);
  if (!plat::window::IsWindow(window) || !one_sharing || !one_focus) {
    return Report(Call::SetCooperativeLevel, d->guid, kErrInvalidParam);
  }
  d->window = window;
  d->cooperation = flags;
  return Report(Call::SetCooperativeLevel, d->guid, kOk);
}

int32_t SetAxisRange(DeviceHandle device, uint32_t axis_offset, int32_t min, int32_t max) {
  DeviceRecord* d = DeviceOf(device);
  DeviceGuid guid = GuidOf(device);
  if (int32_t e = CheckAxisCall(d, axis_offset); e != kOk) return Report(Call::SetAxisRange, guid, e);
  if (int32_t e = Injected(Call::SetAxisRange, guid, axis_offset); e != kOk) return Report(Call::SetAxisRange, guid, e);
  if (min >= max) return Report(Call::SetAxisRange, guid, kErrInvalidParam);
  AxisOf(*d, axis_offset).min = min;
  AxisOf(*d, axis_offset).max = max;
  return Report(Call::SetAxisRange, guid, kOk);
}

int32_t SetAxisDeadZone(DeviceHandle device, uint32_t axis_offset, uint32_t dead_zone) {
  DeviceRecord* d = DeviceOf(device);
  DeviceGuid guid = GuidOf(device);
  if (int32_t e = CheckAxisCall(d, axis_offset); e != kOk) return Report(Call::SetAxisDeadZone, guid, e);
  if (int32_t e = Injected(Call::SetAxisDeadZone, guid, axis_offset); e != kOk) {
    return Report(Call::SetAxisDeadZone, guid, e);
  }
  if (dead_zone > kDeadZoneFull) return Report(Call::SetAxisDeadZone, guid, kErrInvalidParam);
  AxisOf(*d, axis_offset).dead_zone = dead_zone;
  return Report(Call::SetAxisDeadZone, guid, kOk);
}

int32_t Acquire(DeviceHandle device) {
  DeviceRecord* d = DeviceOf(device);
  if (d == nullptr || !d->format) return Report(Call::Acquire, GuidOf(device), kErrInvalidParam);
  if (int32_t e = Injected(Call::Acquire, d->guid); e != kOk) return Report(Call::Acquire, d->guid, e);
  if (!d->keyboard && !ReadPad(d->guid)) return Report(Call::Acquire, d->guid, kErrUnplugged);
  d->acquired = true;
  d->lost = false;
  return Report(Call::Acquire, d->guid, kOk);
}

int32_t Unacquire(DeviceHandle device) {
  DeviceRecord* d = DeviceOf(device);
  if (d == nullptr) return Report(Call::Unacquire, kAnyDevice, kErrInvalidParam);
  d->acquired = false;
  return Report(Call::Unacquire, d->guid, kOk);
}

int32_t Poll(DeviceHandle device) {
  DeviceRecord* d = DeviceOf(device);
  if (d == nullptr) return Report(Call::Poll, kAnyDevice, kErrInvalidParam);
  if (int32_t e = Injected(Call::Poll, d->guid); e != kOk) return Report(Call::Poll, d->guid, e);
  if (d->lost) return Report(Call::Poll, d->guid, kErrInputLost);
  if (!d->acquired) return Report(Call::Poll, d->guid, kErrNotAcquired);
  if (!d->keyboard && internal::SourceOf(d->guid) == internal::kSourceSdl) internal::SdlUpdatePads();
  return Report(Call::Poll, d->guid, kOk);
}

int32_t GetKeyboardState(DeviceHandle device, std::span<uint8_t, kKeyCount> out) {
  DeviceRecord* d = DeviceOf(device);
  if (int32_t e = CheckRead(d, DataFormat::Keyboard); e != kOk) return Report(Call::GetDeviceState, GuidOf(device), e);
  std::array<uint8_t, kKeyCount> keys{};
  if (internal::FakeMode()) {
    internal::FakeReadKeys(keys);
  } else {
    internal::SdlReadKeys(keys);
  }
  internal::ScriptOrKeys(keys);
  std::copy(keys.begin(), keys.end(), out.begin());
  return Report(Call::GetDeviceState, d->guid, kOk);
}

int32_t GetJoyState(DeviceHandle device, JoyState* out) {
  DeviceRecord* d = DeviceOf(device);
  if (out == nullptr) return Report(Call::GetDeviceState, GuidOf(device), kErrInvalidParam);
  if (int32_t e = CheckRead(d, DataFormat::Joystick); e != kOk) return Report(Call::GetDeviceState, GuidOf(device), e);
  std::optional<internal::RawPad> raw = ReadPad(d->guid);
  if (!raw) {  // unplugged
    d->lost = true;
    d->acquired = false;
    return Report(Call::GetDeviceState, d->guid, kErrInputLost);
  }
  JoyState s;
  s.x = ScaleAxis(raw->x, d->x.min, d->x.max, d->x.dead_zone);
  s.y = ScaleAxis(raw->y, d->y.min, d->y.max, d->y.dead_zone);
  s.hats.fill(kHatCentred);
  s.buttons = raw->buttons;
  *out = s;
  return Report(Call::GetDeviceState, d->guid, kOk);
}

void ReleaseDevice(DeviceHandle device) {
  DeviceRecord* d = DeviceOf(device);
  if (d == nullptr) return;
  DeviceGuid guid = d->guid;
  if (!d->keyboard && internal::SourceOf(guid) == internal::kSourceSdl) internal::SdlClosePad(guid);
  *d = DeviceRecord{};
  Report(Call::ReleaseDevice, guid, kOk);
}

int32_t ScaleAxis(int32_t raw, int32_t min, int32_t max, uint32_t dead_zone) {
  raw = std::clamp(raw, -32768, 32767);
  int64_t p = static_cast<int64_t>(raw) * kDeadZoneFull / (raw < 0 ? 32768 : 32767);
  int64_t centre = (static_cast<int64_t>(min) + max) / 2;
  int64_t half = (static_cast<int64_t>(max) - min) / 2;
  int64_t magnitude = p < 0 ? -p : p;
  if (magnitude <= dead_zone) return static_cast<int32_t>(centre);
  int64_t offset = (magnitude - dead_zone) * half / (kDeadZoneFull - dead_zone);
  return static_cast<int32_t>(centre + (p < 0 ? -offset : offset));
}

std::string_view CallName(Call call) {
  switch (call) {
    case Call::CreateInputObject: return "CreateInputObject";
    case Call::Initialize: return "Initialize";
    case Call::EnumJoypads: return "EnumJoypads";
    case Call::CreateDevice: return "CreateDevice";
    case Call::GetDeviceInfo: return "GetDeviceInfo";
    case Call::SetDataFormat: return "SetDataFormat";
    case Call::SetCooperativeLevel: return "SetCooperativeLevel";
    case Call::SetAxisRange: return "SetAxisRange";
    case Call::SetAxisDeadZone: return "SetAxisDeadZone";
    case Call::Acquire: return "Acquire";
    case Call::Unacquire: return "Unacquire";
    case Call::Poll: return "Poll";
    case Call::GetDeviceState: return "GetDeviceState";
    case Call::ReleaseDevice: return "ReleaseDevice";
    case Call::ReleaseObject: return "ReleaseObject";
  }
  return "?";
}

void LoseDevice(DeviceGuid guid) {
  for (DeviceRecord& d : g_devices) {
    if (d.in_use && d.guid == guid) {
      d.lost = true;
      d.acquired = false;
    }
  }
}

void InjectFailure(const Failure& failure) { g_failures.push_back(failure); }

void ClearFailures() { g_failures.clear(); }

void SetCallObserver(std::function<void(Call, DeviceGuid, int32_t)> observer) { g_observer = std::move(observer); }

bool ScrollLockOn() {
  const bool system = internal::FakeMode() ? internal::FakeScrollLock() : internal::SdlScrollLock();
  return system != internal::ScriptScrollLockSwitched();
}

void ResetInputStandIn() {
  g_observer = nullptr;
  g_failures.clear();
  for (size_t i = 0; i < g_devices.size(); ++i) ReleaseDevice(static_cast<DeviceHandle>(i + 1));
  for (size_t i = 0; i < g_objects.size(); ++i) ReleaseObject(static_cast<ObjectHandle>(i + 1));
  internal::ResetFakes();
  internal::ResetScript();
}

}  // namespace plat::input

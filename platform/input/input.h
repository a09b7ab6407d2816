// The input stand-in: an input object, a keyboard device and joypad devices, each
// created, configured, acquired and read the way the library expects of the system's
// input service; plus fake devices, failure injection and scripted input for tests and
// for the headless harness.
//
// Contract
// - One thread: every call comes from the thread that runs the message pump.
// - Results are 0 (kOk) or one of the kErr* codes (negative); every call with a result
//   reports it to the call observer.
// - Objects and devices are handles (0: none) into fixed tables. A device lives until
//   ReleaseDevice, independent of its object; releasing a released handle does nothing.
// - A device is read only after SetDataFormat (the keyboard format for the keyboard,
//   the joystick format for a joypad) and Acquire; SetCooperativeLevel needs a live
//   window and one of kCoopExclusive / kCoopNonExclusive with one of kCoopForeground /
//   kCoopBackground. The level is kept; foreground devices behave as background ones.
// - Reads are immediate snapshots; there is no buffered input. A read of a device that
//   is lost (LoseDevice, or an unplugged joypad) fails with kErrInputLost until Acquire
//   succeeds again; Acquire of an unplugged joypad fails with kErrUnplugged. A failed
//   read leaves the caller's buffer as it was.
// - Keyboard: 256 bytes indexed by the game's key codes (the PC keyboard's scan codes,
//   extended keys at 0x80 | code, as the kKey* constants), 0x80 for a key that is down,
//   0 for one that is up. Real backend: SDL's keyboard state as of the last event poll
//   (every message pump polls), so only keys pressed while a window has focus are seen;
//   and a key whose key-down event entered SDL's queue some other way (SDL_PushEvent:
//   a test, a tool) is down from that event to its key-up, while the input is started.
// - Joypads: EnumJoypads reports the attached ones: the scripted joypad first (when the
//   script names pad buttons), then SDL's devices in SDL's order (a device SDL knows as
//   a game controller is read through that interface, any other through the joystick
//   interface), then fakes in the order they were attached. Names are CP932.
//   A joypad's state: X and Y from the left stick (first two axes of a joystick), scaled
//   to the range set with SetAxisRange (default 0 to 65535) after the dead zone set
//   with SetAxisDeadZone (in 1/10000 of the travel from the centre; inside it the axis
//   reads as the centre, outside it the rest of the travel is spread over the range, see
//   ScaleAxis); the directional pad of a controller, or the first hat of a joystick,
//   holds X / Y at the end of their travel while pressed. Buttons 0-31 in SDL's order,
//   0x80 when down. The other axes read 0 and the four hats as centred (0xFFFFFFFF).
// - Fake devices (UseFakeDevices): SDL is not touched at all; the keyboard reads the fake
//   key states and the joypads are the fakes only. Fakes can be attached in either mode.
// - Scripted input: NIGHTLOOM_INPUT=FILE, read when the first input object is created
//   (or by ReloadInputScript). The script's keys are ORed into every keyboard read, its
//   pad buttons are the buttons of the scripted joypad. Format, one event a line:
//       FRAME down|up INPUT [INPUT ...]      # a comment runs to the end of the line
//   FRAME is a presented-frame number (1 or more); INPUT is a key name (KeyCodeOfName:
//   the names of the key table, any letter case, or 0xNN for key code NN) or pad:N for
//   button N (0-31) of the scripted joypad. An input named at frame N is down (or up) in
//   every read made while frame N is being made, that is after N - 1 presentations
//   (presentation.h counts them), and stays so until a later event changes it; events
//   of one frame apply in file order. A file that cannot be read or holds a bad line is
//   reported on the debugger output and gives no scripted input at all.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/window/window.h"

namespace plat::input {

using ObjectHandle = uint32_t;  // 0: none
using DeviceHandle = uint32_t;  // 0: none
// Which device: the keyboard, the scripted joypad, or a source and its number.
using DeviceGuid = uint64_t;

inline constexpr int kMaxObjects = 4;   // input objects alive at once
inline constexpr int kMaxDevices = 32;  // devices alive at once
inline constexpr int kKeyCount = 256;   // keyboard state bytes
inline constexpr int kPadButtons = 32;  // buttons of a joypad state
inline constexpr uint8_t kDown = 0x80;  // state byte of a key or button that is down

inline constexpr DeviceGuid kAnyDevice = 0;     // failure rules: any device
inline constexpr DeviceGuid kSysKeyboard = 1;   // the system keyboard
inline constexpr DeviceGuid kScriptJoypad = 2;  // the joypad of the input script

// Results (the values of the system the game was written for).
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kErrGeneric = static_cast<int32_t>(0x80004005u);
inline constexpr int32_t kErrInvalidParam = static_cast<int32_t>(0x80070057u);
inline constexpr int32_t kErrNotAcquired = static_cast<int32_t>(0x8007000Cu);
inline constexpr int32_t kErrInputLost = static_cast<int32_t>(0x8007001Eu);
inline constexpr int32_t kErrAcquired = static_cast<int32_t>(0x800700AAu);
inline constexpr int32_t kErrNotInitialized = static_cast<int32_t>(0x80070015u);
inline constexpr int32_t kErrObjectNotFound = static_cast<int32_t>(0x80070002u);
inline constexpr int32_t kErrUnplugged = static_cast<int32_t>(0x80040209u);
inline constexpr int32_t kErrOutOfMemory = static_cast<int32_t>(0x8007000Eu);

// The version the library asks for in Initialize; later versions are refused.
inline constexpr uint32_t kInputVersion = 0x0700;

// Cooperative levels.
inline constexpr uint32_t kCoopExclusive = 0x1;
inline constexpr uint32_t kCoopNonExclusive = 0x2;
inline constexpr uint32_t kCoopForeground = 0x4;
inline constexpr uint32_t kCoopBackground = 0x8;

// Axis offsets in the joystick state, for SetAxisRange and SetAxisDeadZone.
inline constexpr uint32_t kAxisX = 0;
inline constexpr uint32_t kAxisY = 4;
inline constexpr uint32_t kAnyAxis = 0xFFFFFFFFu;  // failure rules: either axis
inline constexpr uint32_t kDeadZoneFull = 10000;   // a dead zone of the whole travel

// Key codes the library and the harness name (the rest are in the key table).
inline constexpr uint8_t kKeyEscape = 0x01, kKeyTab = 0x0F, kKeyQ = 0x10, kKeyW = 0x11, kKeyEnter = 0x1C, kKeyA = 0x1E,
                         kKeyS = 0x1F, kKeyD = 0x20, kKeyZ = 0x2C, kKeyX = 0x2D, kKeyC = 0x2E, kKeySpace = 0x39,
                         kKeyF10 = 0x44, kKeyScrollLock = 0x46, kKeyNumpad8 = 0x48, kKeyNumpad4 = 0x4B,
                         kKeyNumpad6 = 0x4D, kKeyNumpad2 = 0x50, kKeyF12 = 0x58, kKeyUp = 0xC8, kKeyLeft = 0xCB,
                         kKeyRight = 0xCD, kKeyDown = 0xD0;

enum class DataFormat { Keyboard, Joystick };

// A joypad's state record, 80 bytes as the game reads it.
struct JoyState {
  int32_t x = 0, y = 0, z = 0;
  int32_t rx = 0, ry = 0, rz = 0;
  std::array<int32_t, 2> sliders{};
  std::array<uint32_t, 4> hats{};  // 0xFFFFFFFF: centred
  std::array<uint8_t, kPadButtons> buttons{};
};
static_assert(sizeof(JoyState) == 80);

// What the enumeration and GetDeviceInfo report of a device.
struct DeviceInstance {
  DeviceGuid guid = 0;
  std::string instance_name;  // CP932
  std::string product_name;   // CP932
};

// Object.
int32_t CreateInputObject(ObjectHandle* out);
// instance: the program's module handle (0 is refused); version at most kInputVersion.
int32_t Initialize(ObjectHandle object, uintptr_t instance, uint32_t version);
void ReleaseObject(ObjectHandle object);
// Calls found for each attached joypad until it returns false.
int32_t EnumJoypads(ObjectHandle object, const std::function<bool(const DeviceInstance&)>& found);

// Devices.
int32_t CreateDevice(ObjectHandle object, DeviceGuid guid, DeviceHandle* out);
int32_t GetDeviceInfo(DeviceHandle device, DeviceInstance* out);
int32_t SetDataFormat(DeviceHandle device, DataFormat format);
int32_t SetCooperativeLevel(DeviceHandle device, plat::window::WindowHandle window, uint32_t flags);
int32_t SetAxisRange(DeviceHandle device, uint32_t axis_offset, int32_t min, int32_t max);
int32_t SetAxisDeadZone(DeviceHandle device, uint32_t axis_offset, uint32_t dead_zone);
int32_t Acquire(DeviceHandle device);
int32_t Unacquire(DeviceHandle device);
int32_t Poll(DeviceHandle device);
int32_t GetKeyboardState(DeviceHandle device, std::span<uint8_t, kKeyCount> out);
int32_t GetJoyState(DeviceHandle device, JoyState* out);
void ReleaseDevice(DeviceHandle device);

// A raw axis value (-32768 to 32767) in a range after a dead zone (0 to kDeadZoneFull):
// p = raw * 10000 / 32767 (32768 below 0), truncated; |p| <= dead_zone gives the centre
// (min + max) / 2, else centre + sign * (|p| - dead_zone) * ((max - min) / 2) /
// (10000 - dead_zone), truncated toward zero.
int32_t ScaleAxis(int32_t raw, int32_t min, int32_t max, uint32_t dead_zone);

// The key table: SDL scancode -> key code (0 for a key the game has no code for), the
// name of a key code (empty for none), a name -> key code (any letter case, or 0xNN).
uint8_t KeyCodeOfScancode(int sdl_scancode);
std::string_view KeyName(uint8_t code);
std::optional<uint8_t> KeyCodeOfName(std::string_view name);

// Whether the keyboard's Scroll Lock is on: the lock state the system keeps (SDL's key
// modifiers; the fake lock with fake devices), switched once more by every press of the
// Scroll Lock key (0x46) in the input script, as a press of the real key switches it.
// Needs no device.
bool ScrollLockOn();

// ---- Scripted input ----

// Reads NIGHTLOOM_INPUT again (no variable: no script).
void ReloadInputScript();
// Replaces the script by this text (as if it were the file's); false, and no script,
// when a line is bad (reported on the debugger output).
bool SetInputScript(std::string_view text);

// ---- Tests ----

// Fake devices instead of SDL's (see the contract). Off by default.
void UseFakeDevices(bool on);
void SetFakeKey(uint8_t code, bool down);
// The fake keyboard's Scroll Lock state (off until set).
void SetFakeScrollLock(bool on);
// Attaches a fake joypad (raw axes centred, buttons up) and returns its guid.
DeviceGuid AttachFakeJoypad(std::string_view name);
// Raw axis values, -32768 to 32767.
void SetFakeJoypadAxes(DeviceGuid pad, int32_t x, int32_t y);
void SetFakeJoypadButton(DeviceGuid pad, int button, bool down);
// Unplugs the fake: its devices are lost and cannot be acquired again.
void DetachFakeJoypad(DeviceGuid pad);

// Every device made for this guid is lost (as when another program took it).
void LoseDevice(DeviceGuid guid);

enum class Call {
  CreateInputObject,
  Initialize,
  EnumJoypads,
  CreateDevice,
  GetDeviceInfo,
  SetDataFormat,
  SetCooperativeLevel,
  SetAxisRange,
  SetAxisDeadZone,
  Acquire,
  Unacquire,
  Poll,
  GetDeviceState,
  ReleaseDevice,
  ReleaseObject
};
std::string_view CallName(Call call);

// Makes matching calls fail with `error`: calls of `call` on the device `device` (its
// guid; kAnyDevice for any, ignored for object calls) and, for the axis calls, on
// `axis` (kAnyAxis for either). times: how many matching calls fail; -1 for all.
struct Failure {
  Call call = Call::CreateInputObject;
  DeviceGuid device = kAnyDevice;
  uint32_t axis = kAnyAxis;
  int times = -1;
  int32_t error = kErrGeneric;
};
void InjectFailure(const Failure& failure);
void ClearFailures();

// Receives each call with the guid of its device (0 for object calls) and its result.
void SetCallObserver(std::function<void(Call call, DeviceGuid device, int32_t result)> observer);

// Releases every device and object, and forgets fakes, failures, the observer and the
// script (to be read again); fake devices off.
void ResetInputStandIn();

}  // namespace plat::input

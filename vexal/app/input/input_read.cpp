// The key reads: CheckKeyDown, ReadAllKeys and ReadPadState. Each waits while the
// application is inactive, starts input late when it is not running, and re-acquires a
// device whose input was lost. Whatever cannot be read reports no key and no button:
// callers use the results as bits, where -1 would read as everything pressed.
#include <algorithm>

#include "vexal/app/input/input_device.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_access.h"
#include "vexal/graphics/screen/wait_active.h"

namespace vexal {
namespace {

namespace pi = plat::input;

struct KeyBit {
  uint8_t key;
  int bit;
};

// The keys that share the pad-state bits.
constexpr KeyBit kKeyBits[] = {
    {pi::kKeyNumpad2, kPadDown},
    {pi::kKeyDown, kPadDown},
    {pi::kKeyNumpad4, kPadLeft},
    {pi::kKeyLeft, kPadLeft},
    {pi::kKeyNumpad6, kPadRight},
    {pi::kKeyRight, kPadRight},
    {pi::kKeyNumpad8, kPadUp},
    {pi::kKeyUp, kPadUp},
    {pi::kKeyZ, 0x10},
    {pi::kKeyX, 0x20},
    {pi::kKeyC, 0x40},
    {pi::kKeyA, 0x80},
    {pi::kKeyS, 0x100},
    {pi::kKeyD, 0x200},
    {pi::kKeyQ, 0x400},
    {pi::kKeyW, 0x800},
    {pi::kKeyEscape, 0x1000},
    {pi::kKeySpace, 0x2000},
};

bool IsDown(uint8_t state_byte) { return (state_byte & pi::kDown) != 0; }

// Without an input object the devices are started instead of read; while the window is
// closing they must not be touched at all. true when the caller may read; otherwise
// *start_result holds the start's result (0 when nothing was started).
bool InputRunning(int* start_result) {
  if (InputState.InputObject != 0) return true;
  *start_result = IsWindowClosing() != 0 ? 0 : InitDirectInput();
  return false;
}

// The keyboard, acquiring it again once when its input was lost.
bool ReadKeyboardOrRecover(std::span<uint8_t, 256> out) {
  int32_t r = pi::GetKeyboardState(InputState.KeyboardDevice, out);
  if (r == pi::kErrInputLost) {
    if (pi::Acquire(InputState.KeyboardDevice) != pi::kOk) return false;
    r = pi::GetKeyboardState(InputState.KeyboardDevice, out);
  }
  return r == pi::kOk;
}

int DecodeJoyState(const pi::JoyState& s) {
  int bits = 0;
  if (s.x < 0) bits |= kPadLeft;
  if (s.x > 0) bits |= kPadRight;
  if (s.y < 0) bits |= kPadUp;
  if (s.y > 0) bits |= kPadDown;
  for (int i = 0; i < kPadStateButtons; ++i) {
    if (IsDown(s.buttons[static_cast<size_t>(i)])) bits |= 1 << (kPadButtonShift + i);
  }
  return bits;
}

// A joypad's bits; after a failed read it pumps, re-acquires and reads once more.
// nullopt when the pump reported the end of the application meanwhile.
std::optional<int> JoypadBits(pi::DeviceHandle pad) {
  pi::Poll(pad);
  pi::JoyState s;
  if (pi::GetJoyState(pad, &s) != pi::kOk) {
    if (PumpMessages() != 0) return std::nullopt;
    if (pi::Acquire(pad) != pi::kOk) return 0;
    if (PumpMessages() != 0) return std::nullopt;
    if (pi::GetJoyState(pad, &s) != pi::kOk) return 0;
  }
  return DecodeJoyState(s);
}

// The keyboard's pad-state bits; after lost input it re-acquires, pumps twice and reads
// once more. nullopt when the pump reported the end of the application meanwhile.
std::optional<int> KeyboardBits() {
  std::array<uint8_t, 256> keys{};
  int32_t r = pi::GetKeyboardState(InputState.KeyboardDevice, keys);
  if (r == pi::kErrInputLost) {
    pi::Acquire(InputState.KeyboardDevice);
    if (PumpMessages() != 0 || PumpMessages() != 0) return std::nullopt;
    r = pi::GetKeyboardState(InputState.KeyboardDevice, keys);
  }
  if (r != pi::kOk) return 0;
  int bits = 0;
  for (const KeyBit& k : kKeyBits) {
    if (IsDown(keys[k.key])) bits |= k.bit;
  }
  return bits;
}

}  // namespace

int CheckKeyDown(int key) {
  int start_result = 0;
  if (!InputRunning(&start_result)) return 0;
  WaitActiveAndRestore();
  if (key == pi::kKeyF10) return InputState.F10Down;
  if (key < 0 || key >= pi::kKeyCount) return 0;
  std::array<uint8_t, 256> state{};
  if (!ReadKeyboardOrRecover(state)) return 0;
  return IsDown(state[static_cast<size_t>(key)]) ? 1 : 0;
}

int ReadAllKeys(std::span<uint8_t, 256> buffer) {
  WaitActiveAndRestore();
  int start_result = 0;
  if (!InputRunning(&start_result)) {
    std::fill(buffer.begin(), buffer.end(), 0);
    return start_result;
  }
  if (ReadKeyboardOrRecover(buffer)) {
    for (uint8_t& b : buffer) b = IsDown(b) ? 1 : 0;
  } else {
    std::fill(buffer.begin(), buffer.end(), 0);
  }
  buffer[pi::kKeyF10] = static_cast<uint8_t>(InputState.F10Down);
  buffer[pi::kKeyF12] = static_cast<uint8_t>(InputState.F12Down);
  return 0;
}

int ReadPadState(int type) {
  WaitActiveAndRestore();
  int start_result = 0;
  if (!InputRunning(&start_result)) return 0;
  int index = (type & ~kPadWithKeyboard) - 1;
  if (index < -1 || index >= kPadSlots) return 0;
  int bits = 0;
  if (index >= 0 && InputState.PadDevices[static_cast<size_t>(index)] != 0) {
    std::optional<int> pad = JoypadBits(InputState.PadDevices[static_cast<size_t>(index)]);
    if (!pad) return 0;
    bits |= *pad;
  }
  if ((type & kPadWithKeyboard) != 0) {
    std::optional<int> keys = KeyboardBits();
    if (!keys) return 0;
    bits |= *keys;
  }
  return bits;
}

}  // namespace vexal

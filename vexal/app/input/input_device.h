// The keyboard and up to seven joypads. Start-up opens them, every shut-down path closes
// them; the game takes an immediate snapshot once a frame (ReadAllKeys, ReadPadState) and
// in its key-assignment dialog (CheckKeyDown). F10 and F12 are never read from the
// keyboard: the window procedure keeps a flag for each.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/input/input.h"

namespace vexal {

// Joypads opened at most; the table has one slot more, which stays empty.
inline constexpr int kMaxJoypads = 7;
inline constexpr int kPadSlots = 8;

// The pad-state bits (ReadPadState): directions, then button i at 1 << (kPadButtonShift + i).
inline constexpr int kPadDown = 0x1;
inline constexpr int kPadLeft = 0x2;
inline constexpr int kPadRight = 0x4;
inline constexpr int kPadUp = 0x8;
inline constexpr int kPadButtonShift = 4;
inline constexpr int kPadStateButtons = 24;  // joypad buttons that have a bit
// ReadPadState's selector: joypad number 1-8 in the low bits, this bit adds the keyboard.
inline constexpr int kPadWithKeyboard = 0x1000;

// Joypad axes as the library sets them up: range and dead zone (1/10000 of the travel).
inline constexpr int32_t kPadAxisMin = -1000;
inline constexpr int32_t kPadAxisMax = 1000;
inline constexpr uint32_t kPadAxisDeadZone = 2500;

struct InputStateRecord {
  plat::input::ObjectHandle InputObject = 0;                      // 0 while input is not started
  plat::input::DeviceHandle KeyboardDevice = 0;                   // the system keyboard
  int32_t PadCount = 0;                                           // joypads opened, 0 to kMaxJoypads
  std::array<plat::input::DeviceHandle, kPadSlots> PadDevices{};  // in enumeration order
  int32_t F10Down = 0;                                            // 1 while F10 is held (window procedure)
  int32_t F12Down = 0;                                            // 1 while F12 is held (window procedure)
  int32_t Started = 0;                                            // 1 from a successful start to the end
};
extern InputStateRecord InputState;

// Starts input: the input object, the joypads, the keyboard. 0 (also when started
// already), -1 when the object cannot be made or initialised; a keyboard that cannot be
// set up is fatal.
int InitDirectInput();
// Closes every device and the object. 0.
int EndDirectInput();
// Opens one enumerated joypad (skipped with a log line when a step fails). 1 to go on
// enumerating, 0 once kMaxJoypads are open. The context is not used.
int EnumJoypadCallback(const plat::input::DeviceInstance& instance, void* context);

// 1 when the key (a key code, 0-255) is down, else 0. F10 comes from its flag.
int CheckKeyDown(int key);
// 1 for each key down, 0 for each key up; F10 and F12 from their flags. 0; -1 only when
// a late start fails (the buffer is zeroed whenever nothing could be read).
int ReadAllKeys(std::span<uint8_t, 256> buffer);
// The pad-state bits of joypad number (type & ~kPadWithKeyboard), ORed with the keyboard's
// when type has kPadWithKeyboard. Never negative: anything that cannot be read adds no bits.
int ReadPadState(int type);

// The flags the window procedure keeps. Each 0.
int SetF10Down();
int SetF10Up();
int SetF12Down();
int SetF12Up();

// Forgets the whole input state without closing anything, for tests.
void ResetInputState();

}  // namespace vexal

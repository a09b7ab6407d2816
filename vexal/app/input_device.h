// The keyboard and joypad device as far as start-up, shut-down and the window procedure
// use it. A stand-in for now: it only keeps the started state and the F10 / F12 flags.
#pragma once

#include <cstdint>

namespace vexal {

// Starts the input device. 0 (also when it is started already).
int InitDirectInput();
// Ends it. 0.
int EndDirectInput();

// The F10 and F12 flags the window procedure keeps. Each 0.
int SetF10Down();
int SetF10Up();
int SetF12Down();
int SetF12Up();

struct InputStateRecord {
  int32_t Started = 0;  // InitDirectInput ran, EndDirectInput not yet
  int32_t F10Down = 0;  // 1 while F10 is held
  int32_t F12Down = 0;  // 1 while F12 is held
};
extern InputStateRecord InputState;

}  // namespace vexal

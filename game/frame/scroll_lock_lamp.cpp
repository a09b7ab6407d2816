// The Scroll Lock lamp controller, disabled for good: the game leaves the lamp as it is.
#include "game/frame/scroll_lock_lamp.h"

namespace game {

ScrollLockLamp TheScrollLockLamp;  // driven by the frame loop and the music's note timer

ScrollLockLamp::ScrollLockLamp() : off_ms_(0), second_time_ms_(0), disabled_(1) {}

void ScrollLockLamp::LampInit() {
  if (disabled_ != 0) return;
}

void ScrollLockLamp::LampRestore() {
  if (disabled_ != 0) return;
}

void ScrollLockLamp::LampTick() {
  if (disabled_ != 0) return;
}

void ScrollLockLamp::LampFlash(int) {
  if (disabled_ != 0) return;
}

}  // namespace game

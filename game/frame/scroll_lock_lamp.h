// The controller of the keyboard's Scroll Lock lamp. It is disabled from construction and
// nothing enables it, so the game never touches the lamp: every operation returns at once.
#pragma once

#include <cstdint>

namespace game {

class ScrollLockLamp {
 public:
  ScrollLockLamp();
  virtual ~ScrollLockLamp() = default;

  // Sets the disable switch (settings entry 6); nothing clears it.
  void Disable() { disabled_ = 1; }
  bool IsDisabled() const { return disabled_ != 0; }

  void LampInit();
  void LampRestore();
  void LampTick();
  void LampFlash(int ms);

 private:
  int32_t initial_key_state_ = 0;  // the lamp as found at LampInit
  int32_t lit_ = 0;                // the lamp is on now
  uint32_t last_toggle_ms_ = 0;    // time of the last toggle
  uint32_t off_ms_ = 0;            // when a flash ends, 0 = none
  uint32_t second_time_ms_ = 0;    // a further time kept by the flash
  int32_t disabled_ = 0;           // every operation returns at once while set
};

// The game's one lamp controller.
extern ScrollLockLamp TheScrollLockLamp;

}  // namespace game

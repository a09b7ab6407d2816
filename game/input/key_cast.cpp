// The per-frame sample of keys and logical buttons, with their auto-repeat.
#include "game/input/key_cast.h"

#include "vexal/app/input/input_device.h"

namespace game {

KeyCast KeyInput;  // the game's one key input

KeyCast::KeyCast() { LoadKeyCastFile(); }

void KeyCast::UpdateKeyCast() {
  vexal::ReadAllKeys(keys);
  uint32_t pad = static_cast<uint32_t>(vexal::ReadPadState(kGamePadSelector));

  // A key pulses on the frame it goes down, kRepeatDelay - 1 frames later, then every
  // kRepeatPeriod frames.
  for (int k = 0; k < kKeyCastKeys; ++k) {
    key_pulse[k] = 0;
    if (keys[k] != 0) {
      if (previous[k] == 0) {
        pressed[k] = 1;
        key_repeat_state[k] = kRepeatWaiting;
        key_pulse[k] = 1;
        key_repeat_counter[k] = 0;
      } else {
        pressed[k] = 0;
      }
      previous[k] = 1;
      ++key_repeat_counter[k];
      if (key_repeat_state[k] == kRepeatWaiting && key_repeat_counter[k] == kRepeatDelay) {
        key_repeat_state[k] = kRepeatRepeating;
        key_repeat_counter[k] = 0;
        key_pulse[k] = 1;
      }
      if (key_repeat_state[k] == kRepeatRepeating && key_repeat_counter[k] == kRepeatPeriod) {
        key_repeat_counter[k] = 0;
        key_pulse[k] = 1;
      }
    } else {
      previous[k] = 0;
      pressed[k] = 0;
      key_repeat_state[k] = kRepeatIdle;
    }
  }

  pad_before = pad_now;
  pad_pressed = pad & ~pad_before;
  pad_now = pad;

  // A button's counter restarts at 1 when repeating begins, so its second repeat comes
  // one frame after the first: pulses on the press frame, 13 frames later, the next
  // frame, then every kRepeatPeriod frames.
  for (int b = 0; b < kLogicalButtons; ++b) {
    button_pulse[b] = 0;
    if (IsButtonDown(b)) {
      if (IsButtonPressed(b)) {
        button_repeat_state[b] = kRepeatWaiting;
        button_pulse[b] = 1;
        button_repeat_counter[b] = 0;
      }
      ++button_repeat_counter[b];
      if (button_repeat_state[b] == kRepeatWaiting && button_repeat_counter[b] == kRepeatDelay) {
        button_repeat_state[b] = kRepeatRepeating;
        button_repeat_counter[b] = 1;
        button_pulse[b] = 1;
      }
      if (button_repeat_state[b] == kRepeatRepeating && button_repeat_counter[b] == kRepeatPeriod) {
        button_repeat_counter[b] = 0;
        button_pulse[b] = 1;
      }
    } else {
      button_repeat_state[b] = kRepeatIdle;
    }
  }
}

bool KeyCast::IsButtonDown(int n) const { return n >= 0 && n < kButtonMasks && (button_masks[n] & pad_now) != 0; }

bool KeyCast::IsButtonPressed(int n) const {
  return n >= 0 && n < kButtonMasks && (button_masks[n] & pad_pressed) != 0;
}

bool KeyCast::IsButtonRepeat(int n) const { return n >= 0 && n < kLogicalButtons && button_pulse[n] != 0; }

bool KeyCast::IsKeyHeld(int k) const { return k >= 0 && k < kKeyCastKeys && keys[k] != 0; }

bool KeyCast::IsKeyPressed(int k) const { return k >= 0 && k < kKeyCastKeys && pressed[k] != 0; }

void KeyCast::ClearKeyCast() {
  key_repeat_state.fill(0);
  key_repeat_counter.fill(0);
  key_pulse.fill(0);
  button_repeat_state.fill(0);
  button_repeat_counter.fill(0);
  button_pulse.fill(0);
}

}  // namespace game

// A fresh field for each input: game data and flags as a new process has them, the script
// engine's messages dropped (a message window would wait for a player), the field's mode.
// Field frames then run with a scripted walk, so the checks of what was loaded are tried
// by what the field does with it: pages, the pass grid, steps, animation, drawing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "game/field/event_script.h"
#include "game/field/field_map.h"
#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
#include "game_data_fuzz.h"
#include "platform/timer/timer.h"

namespace nlfuzz {

inline game::Field& FreshField() {
  // The screens a field frame may open (a wipe, a message) pace their frames: on the
  // virtual clock that costs no time.
  plat::timer::UseVirtualClock(true);
  FreshGameData();
  // The game's folders the field writes its unpacked copies into.
  std::error_code ignored;
  std::filesystem::create_directories("map", ignored);
  std::filesystem::create_directories("system", ignored);
  game::ResetEventScript();
  game::SetEventScriptHooks({[](std::span<const uint8_t>) {}});
  game::KeyInput = game::KeyCast();
  game::GameMode = game::MODE_FIELD;
  game::QuitRequested = 0;
  return game::TheField;
}

// Runs field frames, holding each direction in turn (a few frames each) so the player
// walks, and pressing decide every fourth frame to talk to whoever stands in front; a script that opened another mode
// is left behind and the field goes on.
inline void RunFieldFrames(int frames) {
  static constexpr uint32_t kWalk[] = {
      game::kDefaultButtonMasks[game::kButtonDown], game::kDefaultButtonMasks[game::kButtonRight],
      game::kDefaultButtonMasks[game::kButtonUp], game::kDefaultButtonMasks[game::kButtonLeft]};
  for (int f = 0; f < frames; ++f) {
    game::KeyInput.pad_before = game::KeyInput.pad_now;
    game::KeyInput.pad_now = kWalk[f / 4 % 4];
    if (f % 4 == 3) game::KeyInput.pad_now |= game::kDefaultButtonMasks[game::kButtonDecide];
    game::KeyInput.pad_pressed = game::KeyInput.pad_now & ~game::KeyInput.pad_before;
    game::GameMode = game::MODE_FIELD;
    game::TheField.FieldFrame();
  }
}

}  // namespace nlfuzz

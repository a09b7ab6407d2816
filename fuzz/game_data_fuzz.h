// A fresh game data object for each input, with hooks that do nothing (no sound, no
// pop-up, no picture), in the scratch directory, tied to the field as the game ties it (a
// load enters its map, a field frame opens the battle and the menu's screens).
#pragma once
#include <string_view>

#include "game/data/game_data.h"
#include "game/data/game_flags.h"
#include "game/data/save_icons.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_map.h"
#include "scratch_files.h"

namespace nlfuzz {

inline game::GameData& FreshGameData() {
  EnterScratchDir();
  game::ResetGameData();
  game::ResetField();
  game::WireField();
  game::ResetGaussRandomState();
  game::TheGameFlags.ClearGameFlags();
  game::TheSaveIconPack = game::SaveIconPack();
  game::GameDataHooks hooks;
  hooks.play_sound = [](int) {};
  hooks.show_popup = [](std::string_view) {};
  hooks.random_up_to = [](int32_t max) { return max / 2; };
  hooks.load_div_graph = [](std::string_view, int all, int, int, int, int, int* handles) {
    for (int i = 0; i < all; ++i) handles[i] = i + 1;
    return 0;
  };
  game::SetGameDataHooks(hooks);
  return game::TheGameData();
}

}  // namespace nlfuzz

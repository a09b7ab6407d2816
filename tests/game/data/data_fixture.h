// A data folder of the test's own as the working directory (with save\ and system\), a
// fresh game data object and flags, and hooks recording the sounds and pop-ups
// and handing out scripted random numbers. The game data sees no field until a test
// wires one (game/entry/field_wiring.h).
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "game/data/game_data.h"
#include "game/data/game_flags.h"
#include "game/data/party_field.h"
#include "game/data/save_game.h"
#include "game/data/save_icons.h"
#include "platform/fs/fs.h"
#include "tests/support/temp_dir.h"

namespace datatest {

inline std::vector<int> Sounds;
inline std::vector<std::string> Popups;     // Shift-JIS, as shown
inline std::deque<int32_t> ScriptedRandom;  // handed out first; then vexal's numbers
inline std::vector<int32_t> RandomMaxima;   // the max of every draw, in order
inline bool UseScriptedRandom = false;
inline std::vector<std::string> PictureLoads;  // "file all across down w h" of each load

inline void RecordSound(int row) { Sounds.push_back(row); }
inline void RecordPopup(std::string_view sjis) { Popups.emplace_back(sjis); }
inline int32_t NextRandom(int32_t max) {
  RandomMaxima.push_back(max);
  if (UseScriptedRandom) {
    EXPECT_FALSE(ScriptedRandom.empty()) << "more draws than scripted";
    if (ScriptedRandom.empty()) return 0;
    int32_t v = ScriptedRandom.front();
    ScriptedRandom.pop_front();
    return v;
  }
  return static_cast<int32_t>(RandomMaxima.size() * 7919u % (static_cast<uint32_t>(max) + 1));
}

inline int RecordPictureLoad(std::string_view file, int all, int across, int down, int w, int h, int* handles) {
  PictureLoads.push_back(std::string(file) + " " + std::to_string(all) + " " + std::to_string(across) + " " +
                         std::to_string(down) + " " + std::to_string(w) + " " + std::to_string(h));
  for (int i = 0; i < all; ++i) handles[i] = 100 + i;
  return 0;
}
inline constexpr game::GameDataHooks kRecordingHooks = {RecordSound, RecordPopup, NextRandom, RecordPictureLoad};

// Writes a text file, creating its folder.
inline void WriteText(const std::string& path, std::string_view text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  ASSERT_TRUE(nltest::WriteFileBytes(path, text));
}

class DataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = plat::fs::CurrentDirectory();
    std::filesystem::create_directories(dir_.File("save"));
    std::filesystem::create_directories(dir_.File("system"));
    ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir_.path()));
    ResetState();
  }
  // The recorders, the game data, field, random state, save clock and icons as each case
  // starts; again before each row of a table that needs them fresh.
  void ResetState() {
    Sounds.clear();
    Popups.clear();
    ScriptedRandom.clear();
    RandomMaxima.clear();
    PictureLoads.clear();
    UseScriptedRandom = false;
    game::ResetGameData();
    game::SetGameDataHooks(kRecordingHooks);
    game::SetPopupWindow(nullptr);
    game::SetPartyFieldHooks({});
    game::ResetGaussRandomState();
    game::SetSaveClock(nullptr);
    game::TheSaveIconPack = game::SaveIconPack();
  }
  void TearDown() override {
    game::ResetGameData();
    game::TheGameFlags.ClearGameFlags();
    plat::fs::SetCurrentDirectory(old_dir_);
  }

  // The game data, made in the test's folder with the hooks in place.
  game::GameData& Data() {
    game::GameData& d = game::TheGameData();
    game::SetGameDataHooks(kRecordingHooks);
    return d;
  }

  // Item id with kind, price, uses and the first bonus values set in memory.
  static void SetItem(game::GameData& d, int id, int kind, int price = 0, int uses = 0) {
    auto& v = d.Items[id].values;
    v[game::kItemKind] = kind;
    v[game::kItemPrice] = price;
    v[game::kItemUses] = uses;
  }

  nltest::TempDir dir_;
  std::string old_dir_;
};

}  // namespace datatest

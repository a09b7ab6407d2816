// The game started on the fake display in the demo world's data folder opens a fight the
// way the field does, plays it through the frame loop to the end and goes back to the
// field; the presented frames are captured for a look.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "game/battle/battle.h"
#include "game/entry/battle_wiring.h"
#include "game/entry/game_start.h"
#include "game/field/field_map.h"
#include "game/frame/frame_loop.h"
#include "platform/fs/fs.h"
#include "platform/input/input.h"
#include "platform/surface/display.h"
#include "platform/surface/presentation.h"
#include "tests/support/captured_frames.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_present.h"

namespace {

bool AlwaysDecide(int button) { return button == game::kButtonDecide; }
bool Never(int) { return false; }

class BattleProgramTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    plat::display::SetAcceptedModes({{320, 240, 16, {60}}, {320, 240, 32, {60}}});
    plat::input::UseFakeDevices(true);
    game::ResetFrameLoop();
    game::ResetGameStart();
    capture_ = dir_.File("frames");
    plat::presentation::HarnessSettings settings;
    settings.capture_dir = capture_;
    plat::presentation::SetHarnessSettings(settings);
    ASSERT_TRUE(plat::fs::SetCurrentDirectory(NL_DEMO_DATA_DIR));
  }
  void TearDown() override {
    plat::presentation::SetHarnessSettings({});
    game::SetBattleKeys({});
    game::SetBattleHooks({});
    game::ResetBattle();
    game::ResetEnemyGraphCache();
    LibraryTest::TearDown();
  }
  std::string capture_;
};

TEST_F(BattleProgramTest, FieldEncounterIsFoughtToTheEndAndTheFieldComesBack) {
  ASSERT_EQ(game::InitGame(), 0);
  game::WireBattle();
  game::GameData& data = game::TheGameData();
  // Every present member takes the fixed command; the decide key is held throughout.
  for (int k = 0; k < game::kMemberCount; ++k) data.Status[k][game::kStatusSelected] = 11;
  game::SetBattleKeys({Never, AlwaysDecide, AlwaysDecide, [] {}});
  uint32_t money = data.Scalars[game::kScalarMoney];
  // The step that met the enemies leaves the player's walking pose and the camera's lead.
  game::TheField.States[0].Period = 6;
  game::TheField.Heading = 6;
  game::TheField.Lead = 0.45;
  std::array<int32_t, 8> group{1, 1, 0, 0, 0, 0, 0, 0};
  std::array<int32_t, 16> setup{};
  game::EnterBattle(group, 1, setup);
  EXPECT_EQ(game::GameMode, game::MODE_BATTLE);
  EXPECT_EQ(game::TheBattle.enemy_count, 2);
  int frames = 0;
  bool saw_command = false, saw_effects = false, saw_victory = false;
  while (game::GameMode == game::MODE_BATTLE && frames < 3000) {
    vexal::ClearDrawTarget();
    game::RunGameModeFrame();
    saw_command |= game::TheBattle.phase == game::kPhaseCommand;
    saw_effects |= game::TheBattle.phase == game::kPhaseEffects;
    saw_victory |= game::TheBattle.phase == game::kPhaseVictory;
    ASSERT_EQ(game::EndFrame(), 0);
    vexal::PresentScreen();
    ++frames;
  }
  EXPECT_EQ(game::GameMode, game::MODE_FIELD);
  EXPECT_EQ(game::TheField.States[0].Period, -1) << "the player stands after the fight";
  EXPECT_EQ(game::TheField.Heading, -1);
  EXPECT_EQ(game::TheField.Lead, 0.0);
  EXPECT_TRUE(saw_command && saw_effects && saw_victory);
  EXPECT_GT(data.Scalars[game::kScalarMoney], money);  // two bats pay 12 each
  EXPECT_EQ(data.Scalars[game::kScalarMoney], money + 24);
  EXPECT_TRUE(std::filesystem::exists(nltest::FramePath(capture_, 1)));
  if (const char* keep = std::getenv("NL_BATTLE_FRAMES"); keep != nullptr) {
    std::filesystem::copy(capture_, keep,
                          std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
  }
  game::ShutdownGame();
}

}  // namespace

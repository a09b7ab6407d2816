// Start-up and shut-down of the game on the fake display: the settings take effect, the
// frozen-background graphs are made, and the screen saver the game switched off comes
// back at the end, also when the library fails to start.
#include "game/entry/game_start.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "game/battle/battle_effect.h"
#include "game/data/game_data.h"
#include "game/frame/frame_loop.h"
#include "platform/input/input.h"
#include "platform/surface/display.h"
#include "platform/surface/presentation.h"
#include "platform/window/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace {

class GameStartTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    plat::display::SetAcceptedModes({{640, 480, 16, {60}}, {320, 240, 16, {60}}, {320, 240, 32, {60}}});
    plat::input::UseFakeDevices(true);
    mkdir(dir_.File("system").c_str(), 0700);
    plat::window::SetScreenSaverEnabled(true);
    // Fresh globals when the cases share a process.
    game::ResetFrameLoop();
    game::ResetGameStart();
  }
  void TearDown() override {
    plat::window::SetScreenSaverEnabled(true);
    LibraryTest::TearDown();
  }
};

TEST_F(GameStartTest, DoubledWindowStartsAndTheScreenSaverComesBackAtTheEnd) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("system/nlconfig.inf"), "H 1 0 0 0 1"));
  ASSERT_EQ(game::InitGame(), 0);
  EXPECT_EQ(vexal::AppState.WindowTitle, "NIGHTLOOM");
  EXPECT_EQ(vexal::AppState.WindowMode, 1);
  EXPECT_EQ(vexal::DDrawState.ScreenWidth, 640);
  EXPECT_EQ(vexal::DDrawState.ScreenHeight, 480);
  for (int graph : {game::ScreenCopyGraph, game::StretchGraph}) {
    int w = 0, h = 0;
    ASSERT_EQ(vexal::GetGraphDimensions(graph, &w, &h), 0);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
  }
  EXPECT_EQ(game::WindowSizeDoubled, 1);
  EXPECT_EQ(game::QuitRequested, 0);
  EXPECT_FALSE(plat::window::IsScreenSaverEnabled());

  EXPECT_EQ(game::ShutdownGame(), 0);
  EXPECT_TRUE(plat::window::IsScreenSaverEnabled());
  EXPECT_EQ(vexal::AppState.LibraryInitialised, 0);
}

TEST_F(GameStartTest, WithoutSettingsEveryEntryIsZeroAndNoStretchGraphIsMade) {
  ASSERT_EQ(game::InitGame(), 0);
  EXPECT_EQ(vexal::AppState.WindowMode, 0);
  EXPECT_EQ(vexal::DDrawState.ScreenWidth, 320);
  EXPECT_EQ(vexal::DDrawState.ScreenColorBits, 16);
  EXPECT_NE(vexal::GetGraphRecord(game::ScreenCopyGraph), nullptr);
  EXPECT_EQ(game::StretchGraph, -1);
  game::ShutdownGame();
}

TEST_F(GameStartTest, FailedLibraryStartPutsTheScreenSaverBack) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("system/nlconfig.inf"), "H 1"));
  vexal::InitDirectDraw();  // a device that exists already makes the library's start fail
  EXPECT_EQ(game::InitGame(), -1);
  EXPECT_TRUE(plat::window::IsScreenSaverEnabled());
  EXPECT_EQ(game::ScreenSaverRestore, 0);
}

// The picture loads that go through the game's loader, with the presentations made before
// each: the boot log presents its screen after each of its lines.
std::vector<std::pair<std::string, uint64_t>> PictureLoads;
int RecordLoad(std::string_view file, int all, int, int, int, int, int* handles) {
  PictureLoads.emplace_back(std::string(file), plat::presentation::PresentedFrames());
  for (int i = 0; i < all; ++i) handles[i] = -1;
  return -1;
}

TEST_F(GameStartTest, EveryLoaderRunsInItsPlaceAmongTheBootLogLines) {
  mkdir(dir_.File("ene").c_str(), 0700);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("ene/enemydef.txt"), "---\n"));
  PictureLoads.clear();
  game::SetGameDataHooks({.load_div_graph = RecordLoad});
  ASSERT_EQ(game::InitGame(), 0);
  // "OK", the last line, is the last presentation of the start-up: the id cards and the
  // enemy list are read before it, the database and the battle's pictures while it shows.
  const uint64_t ok = plat::presentation::PresentedFrames();
  EXPECT_TRUE(game::TheEnemyGraphCache.Loaded());
  const std::vector<std::pair<std::string, uint64_t>> want = {{"system\\idcard.png", ok - 1},
                                                              {"system\\fruit.png", ok},
                                                              {"system\\battleletter.png", ok},
                                                              {"img\\battlechar_new.png", ok}};
  EXPECT_EQ(PictureLoads, want);
  game::ShutdownGame();
  game::ResetGameData();
}

}  // namespace

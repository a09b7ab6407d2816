// Start-up and shut-down of the game on the fake display: the settings take effect, the
// frozen-background graphs are made, and the screen saver the game switched off comes
// back at the end, also when the library fails to start.
#include "game/entry/game_start.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "game/entry/frame_loop.h"
#include "platform/input/input.h"
#include "platform/surface/display.h"
#include "platform/window/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/app_state.h"
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

}  // namespace

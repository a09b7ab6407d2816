#include "vexal/app/window/window_mode.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/surface/surface.h"
#include "platform/timer/timer.h"
#include "platform/window/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace {

namespace pw = plat::window;
using vexal::AppState;

class WindowModeTest : public apptest::LibraryTest {};

TEST_F(WindowModeTest, BeforeTheWindowOnlyTheFlagIsStored) {
  EXPECT_EQ(vexal::ChangeWindowMode(1), 0);
  EXPECT_EQ(AppState.WindowMode, 1);
  EXPECT_EQ(AppState.StyleApplied, 0);
  EXPECT_EQ(AppState.MainWindow, 0u);
  EXPECT_EQ(vexal::ChangeWindowMode(1), 0);
}

TEST_F(WindowModeTest, SwitchingAppliesStyleAndCursorAndWaitsABoundedTime) {
  vexal::ChangeWindowMode(1);
  ASSERT_EQ(vexal::LibraryInit(), 0);

  // Full screen in the desktop's own mode changes nothing the desktop would report: the
  // switch gives up after 2 s.
  ASSERT_EQ(vexal::RequestScreenMode(1024, 768, 32, -1), 0);
  uint32_t start = plat::timer::TimeMs();
  EXPECT_EQ(vexal::ChangeWindowMode(0), 0);
  uint32_t waited = plat::timer::TimeMs() - start;
  EXPECT_GE(waited, vexal::kModeChangeWaitMs);
  EXPECT_LE(waited, vexal::kModeChangeWaitMs + 2);
  EXPECT_EQ(AppState.ModeChanging, 0);
  std::optional<pw::WindowInfo> info = pw::GetWindowInfo(AppState.MainWindow);
  EXPECT_EQ(info->style, pw::kWsPopup);
  EXPECT_EQ(info->ex_style, pw::kWsExTopmost);
  EXPECT_EQ(info->outer, (pw::Rect{0, 0, 1024, 768}));
  EXPECT_EQ(AppState.ClientRect, (std::array<int32_t, 4>{0, 0, 1024, 768}));
  EXPECT_EQ(AppState.CursorVisible, 0);
  EXPECT_FALSE(pw::IsCursorShown());

  // Leaving a full-screen mode other than the desktop's: the desktop's report of its
  // return ends the wait at once.
  ASSERT_EQ(vexal::RequestScreenMode(640, 480, 16, -1), 0);
  start = plat::timer::TimeMs();
  EXPECT_EQ(vexal::ChangeWindowMode(1), 0);
  EXPECT_LT(plat::timer::TimeMs() - start, 10u);
  EXPECT_EQ(AppState.DisplayChanged, 1);
  info = pw::GetWindowInfo(AppState.MainWindow);
  EXPECT_EQ(info->style & vexal::kWindowModeStyle, vexal::kWindowModeStyle);
  EXPECT_TRUE(info->visible);
  EXPECT_EQ(AppState.CursorVisible, 1);
  EXPECT_TRUE(pw::IsCursorShown());
  EXPECT_EQ(AppState.ClientRect, (std::array<int32_t, 4>{189, 122, 829, 602}));

  // A mode change that kept the old mode has nothing to wait for: the display refuses the
  // mode at both refresh rates, and the previous mode is set again.
  plat::surface::InjectFailure(plat::surface::Operation::kSetDisplayMode, plat::surface::Result::kModeRefused, 2);
  start = plat::timer::TimeMs();
  EXPECT_EQ(vexal::ChangeWindowMode(0), -1);
  EXPECT_EQ(plat::timer::TimeMs(), start);
}

TEST_F(WindowModeTest, ClientAreaStaysOnASmallDesktop) {
  // 640 x 480 on 600 x 400: centring would put the client area at (-23, -62).
  // (Starting the whole library there ends it: the screen would not fit the desktop.)
  pw::OverrideDesktopMode(pw::DesktopMode{600, 400, 16});
  vexal::ChangeWindowMode(1);
  ASSERT_EQ(vexal::CreateMainWindow(), 0);
  EXPECT_EQ(AppState.ClientRect, (std::array<int32_t, 4>{0, 0, 640, 480}));
  EXPECT_EQ(pw::GetWindowInfo(AppState.MainWindow)->outer, (pw::Rect{-5, -23, 645, 485}));
}

TEST_F(WindowModeTest, TitleIsKeptAndCutAtACharacterBoundary) {
  EXPECT_EQ(vexal::SetWindowTitle(std::string(300, 't')), 0);
  EXPECT_EQ(AppState.WindowTitle, std::string(255, 't'));
  // A double-byte character that would straddle the limit is left out whole.
  vexal::SetWindowTitle(std::string(254, 't') + "夜");
  EXPECT_EQ(AppState.WindowTitle, std::string(254, 't'));

  vexal::SetWindowTitle("ＮＩＧＨＴＬＯＯＭ");
  vexal::ChangeWindowMode(1);
  ASSERT_EQ(vexal::LibraryInit(), 0);
  EXPECT_EQ(pw::GetWindowInfo(AppState.MainWindow)->title, "ＮＩＧＨＴＬＯＯＭ");
  vexal::SetWindowTitle("夜");
  EXPECT_EQ(pw::GetWindowInfo(AppState.MainWindow)->title, "夜");
}

TEST_F(WindowModeTest, DesktopModeSkipsNullPointers) {
  AppState.DesktopWidth = 800;
  AppState.DesktopHeight = 600;
  AppState.DesktopColourBits = 16;
  int32_t w = 0, bits = 0;
  EXPECT_EQ(vexal::GetDesktopMode(&w, nullptr, &bits), 0);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(bits, 16);
}

}  // namespace

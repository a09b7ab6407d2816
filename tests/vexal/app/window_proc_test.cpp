#include "vexal/app/window_proc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/app_state.h"
#include "vexal/app/input_device.h"
#include "vexal/app/library.h"
#include "vexal/app/message_pump.h"
#include "vexal/app/text_input.h"
#include "vexal/app/window_mode.h"
#include "vexal/graphics/graphics_seam.h"

namespace {

namespace pw = plat::window;
using vexal::AppState;

class WindowProcTest : public apptest::LibraryTest {
 protected:
  void Start(int window_mode) {
    vexal::ChangeWindowMode(window_mode);
    ASSERT_EQ(vexal::LibraryInit(), 0);
  }
  pw::Rect Client() const {
    pw::Rect r;
    pw::GetClientRect(AppState.MainWindow, &r);
    return r;
  }
  // The graphics calls the library makes while f runs, with the end of the input device
  // in its place among them.
  std::vector<std::string> Traced(const std::function<void()>& f) {
    std::vector<std::string> calls;
    vexal::SeamSetTraceHook([&, input_on = vexal::InputState.Started != 0](std::string_view c) mutable {
      if (input_on && !vexal::InputState.Started) calls.emplace_back("EndDirectInput");
      input_on = vexal::InputState.Started != 0;
      calls.emplace_back(c);
    });
    f();
    vexal::SeamSetTraceHook(nullptr);
    return calls;
  }
};

const std::vector<std::string> kRebuildOnActivation = {
    "ReleaseDirect3D",    "DeleteMaskBuffer",   "ReleaseMainSurfaces", "EndDirectInput",
    "ReleaseDirectDraw",  "RecreateDirectDraw", "CreateMainSurfaces",  "RestorePalette",
    "DDrawSetDrawTarget", "RestoreDirect3D",    "ClearDrawTarget",     "PresentScreen",
    "RefreshAllFontHandle", "RestoreMaskBuffer"};
// On a desktop change the device goes before the input.
const std::vector<std::string> kRebuildOnDesktopChange = {
    "ReleaseDirect3D",    "DeleteMaskBuffer",   "ReleaseMainSurfaces", "ReleaseDirectDraw",
    "EndDirectInput",     "RecreateDirectDraw", "CreateMainSurfaces",  "RestorePalette",
    "DDrawSetDrawTarget", "RestoreDirect3D",    "ClearDrawTarget",     "PresentScreen",
    "RefreshAllFontHandle", "RestoreMaskBuffer"};

TEST_F(WindowProcTest, UserResizeSnapsBackToTheScreenSize) {
  Start(1);
  pw::UserResize(AppState.MainWindow, 700, 500, false);
  EXPECT_EQ(Client(), (pw::Rect{0, 0, 640, 480}));
  vexal::SeamSetScreenSize(320, 240);
  pw::UserResize(AppState.MainWindow, 321, 480, false);
  EXPECT_EQ(Client(), (pw::Rect{0, 0, 320, 240}));
  // A maximised window is left as it is.
  pw::UserResize(AppState.MainWindow, 1024, 700, true);
  EXPECT_EQ(Client(), (pw::Rect{0, 0, 1024, 700}));
}

TEST_F(WindowProcTest, MoveFollowsTheClientAreaInWindowModeOnly) {
  Start(1);
  vexal::SetMaskTargetFlag(1);
  pw::UserMove(AppState.MainWindow, 300, 200);
  EXPECT_EQ(AppState.ClientRect, (std::array<int32_t, 4>{300, 200, 940, 680}));
  EXPECT_EQ(vexal::SeamFrontScreenRect(), (std::array<int, 4>{300, 200, 940, 680}));
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 1);

  vexal::ChangeWindowMode(0);
  pw::UserMove(AppState.MainWindow, 50, 60);
  EXPECT_EQ(AppState.ClientRect, (std::array<int32_t, 4>{0, 0, 640, 480}));
}

TEST_F(WindowProcTest, FullScreenDeactivationAndReturn) {
  struct Case {
    const char* name;
    int mode_changed;
    bool handler;
    int restore_pending;
    int closing;
  };
  const Case cases[] = {
      {"display mode not changed", 0, true, 0, 0},
      {"restore handler set", 1, true, 1, 0},
      {"no restore handler", 1, false, 0, 1},
  };
  for (const Case& c : cases) {
    vexal::ResetAppState();
    pw::ResetWindowStandIn();
    vexal::EndDirectDraw();
    vexal::InitTextInput();
    pw::SetInstanceLockPath(dir_.File("instance.lock"));
    pw::OverrideDesktopMode(pw::DesktopMode{1024, 768, 32});
    Start(0);
    vexal::SeamSetDisplayModeChanged(c.mode_changed);
    if (!c.handler) vexal::SeamClearGraphRestoreHandler();
    pw::SendMessage(AppState.MainWindow, pw::kWmActivate, 0, 0);
    EXPECT_EQ(AppState.ActiveFlag, 0) << c.name;
    EXPECT_EQ(AppState.RestorePending, c.restore_pending) << c.name;
    if (c.closing) {
      vexal::PumpMessages();  // the posted close ends the program
    } else {
      std::vector<std::string> calls =
          Traced([] { pw::SendMessage(AppState.MainWindow, pw::kWmActivate, 1, 0); });
      EXPECT_EQ(calls, c.restore_pending ? kRebuildOnActivation : std::vector<std::string>{}) << c.name;
      EXPECT_EQ(AppState.RestorePending, 0) << c.name;
      EXPECT_EQ(vexal::InputState.Started, c.restore_pending ? 0 : 1) << c.name;
    }
    EXPECT_EQ(AppState.ClosingFlag, c.closing) << c.name;
    EXPECT_EQ(AppState.QuitFlag, c.closing) << c.name;
  }
}

TEST_F(WindowProcTest, DesktopChangeInWindowMode) {
  struct Case {
    const char* name;
    int bits, width, height;
    bool handler;
    bool closes, rebuilds;
  };
  // The screen is 640 x 480 in 16 bits.
  const Case cases[] = {
      {"same as the screen", 16, 640, 480, true, false, false},
      {"larger desktop", 32, 1280, 1024, true, false, true},
      {"no restore handler", 32, 1280, 1024, false, true, false},
      {"24 bits", 24, 1280, 1024, true, true, false},
      {"8 bits", 8, 1280, 1024, true, true, false},
      {"narrower than the screen", 16, 600, 480, true, true, false},
      {"lower than the screen", 32, 800, 479, true, true, false},
  };
  for (const Case& c : cases) {
    vexal::ResetAppState();
    pw::ResetWindowStandIn();
    vexal::EndDirectDraw();
    pw::SetInstanceLockPath(dir_.File("instance.lock"));
    pw::OverrideDesktopMode(pw::DesktopMode{1024, 768, 32});
    Start(1);
    if (!c.handler) vexal::SeamClearGraphRestoreHandler();
    std::vector<std::string> calls = Traced([&] {
      pw::DesktopChanged(c.bits, c.width, c.height);
      vexal::PumpMessages();
    });
    EXPECT_EQ(AppState.QuitFlag, c.closes ? 1 : 0) << c.name;
    EXPECT_EQ(AppState.DisplayChanged, c.closes ? 0 : 1) << c.name;
    bool rebuilt = std::find(calls.begin(), calls.end(), "RecreateDirectDraw") != calls.end();
    EXPECT_EQ(rebuilt, c.rebuilds) << c.name;
    if (c.rebuilds) {
      EXPECT_EQ(std::vector<std::string>(calls.begin() + 1, calls.end()), kRebuildOnDesktopChange) << c.name;
    }
  }
}

TEST_F(WindowProcTest, KeysCharactersAndPrivateMessages) {
  Start(1);
  pw::WindowHandle w = AppState.MainWindow;
  pw::SendMessage(w, pw::kWmKeyDown, pw::kVkRight, 0);
  pw::SendMessage(w, pw::kWmKeyDown, 'A', 0);
  pw::SendMessage(w, pw::kWmChar, 0x1234, 0);  // the low byte is the character
  char out[2];
  EXPECT_EQ(vexal::PopInputChar(out, 1), 1);
  EXPECT_EQ(out[0], '\x1C');
  EXPECT_EQ(vexal::PopInputChar(out, 1), 1);
  EXPECT_EQ(out[0], '\x34');
  EXPECT_EQ(vexal::PopInputChar(out, 1), 0);

  pw::SendMessage(w, vexal::kMsgF10, 1, 0);
  pw::SendMessage(w, vexal::kMsgF12, 1, 0);
  EXPECT_EQ(vexal::InputState.F10Down, 1);
  EXPECT_EQ(vexal::InputState.F12Down, 1);
  pw::SendMessage(w, pw::kWmSysCommand, 0xF060, 0);
  pw::SendMessage(w, vexal::kMsgF12, 0, 0);
  EXPECT_EQ(vexal::InputState.F10Down, 0);
  EXPECT_EQ(vexal::InputState.F12Down, 0);
}

TEST_F(WindowProcTest, FullScreenWindowCannotBeMovedAndHidesTheCursor) {
  Start(0);
  pw::Rect proposed{100, 100, 740, 580};
  pw::SendMessage(AppState.MainWindow, pw::kWmMoving, 0, reinterpret_cast<intptr_t>(&proposed));
  EXPECT_EQ(proposed, (pw::Rect{0, 0, 640, 480}));
  pw::UserMouse(AppState.MainWindow, pw::kWmMouseMove, 10, 10);
  vexal::PumpMessages();
  EXPECT_FALSE(pw::IsCursorShown());
}

}  // namespace

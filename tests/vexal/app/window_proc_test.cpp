#include "vexal/app/window/window_proc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/surface/display.h"
#include "platform/surface/surface.h"
#include "platform/window/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/input/text_input.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

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
  // The log's finished lines without time stamps and indentation.
  std::vector<std::string> FinishedLogLines() const {
    std::vector<std::string> lines;
    const std::string log = Log();
    size_t start = 0;
    for (size_t end = log.find('\n'); end != std::string::npos; end = log.find('\n', start)) {
      std::string line = log.substr(start, end - start);
      line = line.substr(line.find(':') + 1);
      lines.push_back(
          line.substr(line.find_first_not_of('\t') == std::string::npos ? line.size() : line.find_first_not_of('\t')));
      start = end + 1;
    }
    return lines;
  }
  // The steps of a screen rebuild while f runs, in order: the device's own steps by the
  // log lines that end them, the draw target's binding and clear by the row-0 slots they
  // reach, the presentation by its wait for one vertical blank (the draw target is the
  // front screen and the wait is on), and the fonts' refresh by the restore handler it
  // calls last (installed here when the case has one).
  std::vector<std::string> Steps(const std::function<void()>& f) {
    const std::pair<const char*, const char*> kDeviceSteps[] = {
        {"メインサーフェスを破棄をします... 完了しました", "ReleaseMainSurfaces"},
        {"DirectInput 関連の終了処理... 完了", "EndDirectInput"},
        {"ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました", "ReleaseDirectDraw"},
        {"DirectDraw オブジェクトの取得を行います", "RecreateDirectDraw"},
        {"DirectDraw メインサーフェスの作成は正常に終了しました", "CreateMainSurfaces"},
    };
    static std::vector<std::string> steps;
    static std::function<void()> catch_up;
    steps.clear();
    size_t lines_seen = FinishedLogLines().size();
    uint64_t blanks = plat::surface::GetCounters().vertical_blank_waits;
    catch_up = [&] {
      const std::vector<std::string> lines = FinishedLogLines();
      for (size_t i = lines_seen; i < lines.size(); ++i) {
        for (const auto& [prefix, name] : kDeviceSteps) {
          if (lines[i].starts_with(prefix)) steps.emplace_back(name);
        }
      }
      lines_seen = lines.size();
      const uint64_t now = plat::surface::GetCounters().vertical_blank_waits;
      if (now != blanks) steps.emplace_back("PresentScreen");
      blanks = now;
    };
    vexal::DrawBackendRows rows = vexal::DrawBackendTable;
    rows[vexal::kDDrawRow].SetDrawTarget = [](int target) {
      catch_up();
      steps.emplace_back("DDrawSetDrawTarget");
      return vexal::DrawBackendTable[vexal::kDDrawRow].SetDrawTarget(target);
    };
    rows[vexal::kDDrawRow].ClearDrawTarget = [] {
      catch_up();
      steps.emplace_back("ClearDrawTarget");
      return vexal::DrawBackendTable[vexal::kDDrawRow].ClearDrawTarget();
    };
    vexal::SetDrawBackendTableForTests(&rows);
    if (vexal::IsGraphRestoreHandlerSet()) {
      vexal::SetGraphRestoreHandler([] {
        catch_up();
        steps.emplace_back("RefreshAllFontHandle");
        return 0;
      });
    }
    f();
    catch_up();
    vexal::SetDrawBackendTableForTests(nullptr);
    catch_up = nullptr;
    return steps;
  }
};

// RestorePalette has nothing to show on screens that are not 8-bit; without Direct3D its
// release and restore do nothing.
std::vector<std::string> Rebuild(bool input_first) {
  std::vector<std::string> steps = {"ReleaseMainSurfaces"};
  if (input_first) {
    steps.insert(steps.end(), {"EndDirectInput", "ReleaseDirectDraw"});
  } else {
    steps.insert(steps.end(), {"ReleaseDirectDraw", "EndDirectInput"});
  }
  steps.insert(steps.end(), {"RecreateDirectDraw", "CreateMainSurfaces", "DDrawSetDrawTarget", "ClearDrawTarget",
                             "PresentScreen", "RefreshAllFontHandle"});
  return steps;
}

TEST_F(WindowProcTest, UserResizeSnapsBackToTheScreenSize) {
  Start(1);
  pw::UserResize(AppState.MainWindow, 700, 500, false);
  EXPECT_EQ(Client(), (pw::Rect{0, 0, 640, 480}));
  ASSERT_EQ(vexal::RequestScreenMode(320, 240, -1, -1), 0);
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
  const vexal::Rect& target = vexal::DrawState.TargetRect;
  EXPECT_EQ((std::array<int, 4>{target.left, target.top, target.right, target.bottom}),
            (std::array<int, 4>{300, 200, 940, 680}));
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
    ASSERT_EQ(vexal::IsDisplayModeChanged(), 1) << c.name;  // full screen sets the display mode
    vexal::DDrawState.DisplayModeChanged = c.mode_changed;
    if (!c.handler) vexal::GraphTable.RestoreHandler = nullptr;
    pw::SendMessage(AppState.MainWindow, pw::kWmActivate, 0, 0);
    EXPECT_EQ(AppState.ActiveFlag, 0) << c.name;
    EXPECT_EQ(AppState.RestorePending, c.restore_pending) << c.name;
    if (c.closing) {
      vexal::PumpMessages();  // the posted close ends the program
    } else {
      plat::surface::Device* device = vexal::GetDirectDrawObject();
      std::vector<std::string> steps = Steps([] { pw::SendMessage(AppState.MainWindow, pw::kWmActivate, 1, 0); });
      // The input device goes before the DirectDraw device here.
      EXPECT_EQ(steps, c.restore_pending ? Rebuild(true) : std::vector<std::string>{}) << c.name;
      EXPECT_EQ(AppState.RestorePending, 0) << c.name;
      EXPECT_EQ(vexal::InputState.Started, c.restore_pending ? 0 : 1) << c.name;
      if (c.restore_pending) {
        EXPECT_NE(vexal::GetDirectDrawObject(), nullptr) << c.name;
        EXPECT_EQ(plat::surface::LiveDeviceCount(), 1) << c.name;
        EXPECT_EQ(plat::display::Current().width, 640) << c.name;
      } else {
        EXPECT_EQ(vexal::GetDirectDrawObject(), device) << c.name;
      }
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
  // The screen is 640 x 480 in the desktop's 32 bits.
  const Case cases[] = {
      {"same as the screen", 32, 640, 480, true, false, false},
      {"larger desktop", 32, 1280, 1024, true, false, true},
      {"16 bits", 16, 1280, 1024, true, false, true},
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
    if (!c.handler) vexal::GraphTable.RestoreHandler = nullptr;
    std::vector<std::string> steps = Steps([&] {
      plat::display::SetDesktop(c.width, c.height, c.bits);
      pw::DesktopChanged(c.bits, c.width, c.height);
      vexal::PumpMessages();
    });
    EXPECT_EQ(AppState.QuitFlag, c.closes ? 1 : 0) << c.name;
    EXPECT_EQ(AppState.DisplayChanged, c.closes ? 0 : 1) << c.name;
    // The DirectDraw device goes before the input device here.
    EXPECT_EQ(steps, c.rebuilds ? Rebuild(false) : std::vector<std::string>{}) << c.name;
    if (c.rebuilds) {
      EXPECT_EQ(vexal::InputState.Started, 0) << c.name;
      // The screen follows the desktop's new depth.
      EXPECT_EQ(vexal::GetScreenColorBits(), c.bits) << c.name;
      EXPECT_EQ(plat::surface::GetSurfaceInfo(vexal::GetPrimarySurface()).width, c.width) << c.name;
    }
  }
}

// In window mode and in the background, a desktop change rebuilds the screen, and the
// rebuild's waits pump until the application is active: a second desktop change read
// there is rebuilt once the first rebuild is done, never inside it.
TEST_F(WindowProcTest, ADesktopChangeDuringARebuildIsRebuiltAfterIt) {
  Start(1);
  const pw::WindowHandle w = AppState.MainWindow;
  pw::SendMessage(w, pw::kWmActivate, 0, 0);
  ASSERT_EQ(AppState.ActiveFlag, 0);
  const auto desktop_to = [](int bits) {
    return [bits] {
      plat::display::SetDesktop(1280, 1024, bits);
      pw::DesktopChanged(bits, 1280, 1024);
    };
  };
  const std::vector<std::function<void()>> actions = {desktop_to(16), desktop_to(32), [w] { pw::UserFocus(w, true); }};
  size_t next = 0;
  // Each action is taken before it is done: a poll inside it reads on from the next.
  pw::SetEventSource([&] {
    if (next < actions.size()) actions[next++]();
  });
  const std::vector<std::string> steps = Steps([] { vexal::PumpMessages(); });
  pw::SetEventSource(nullptr);
  EXPECT_EQ(next, actions.size());
  // The second rebuild finds the input device ended by the first: it logs no end of it.
  std::vector<std::string> twice = Rebuild(false), again = Rebuild(false);
  again.erase(std::find(again.begin(), again.end(), "EndDirectInput"));
  twice.insert(twice.end(), again.begin(), again.end());
  EXPECT_EQ(steps, twice);
  EXPECT_EQ(AppState.ActiveFlag, 1);
  EXPECT_EQ(vexal::GetScreenColorBits(), 32) << "the second rebuild follows the last desktop";
  EXPECT_EQ(plat::surface::LiveDeviceCount(), 1);
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

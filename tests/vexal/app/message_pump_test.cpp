#include "vexal/app/window/message_pump.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/timer/timer.h"
#include "platform/window/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/input/text_input.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"

namespace {

namespace pw = plat::window;
using vexal::AppState;

std::string_view Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class PumpTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
  }
  void TearDown() override {
    pw::SetEventSource(nullptr);
    LibraryTest::TearDown();
  }
  // Runs `action` once the virtual clock has moved `after_ms` from now, from the event source.
  void At(uint32_t after_ms, std::function<void()> action) {
    uint32_t when = plat::timer::TimeMs() + after_ms;
    pw::SetEventSource([when, action, done = false]() mutable {
      if (!done && plat::timer::TimeMs() >= when) {
        done = true;
        action();
      }
    });
  }
};

TEST_F(PumpTest, ReturnsMinusOneForGoodOnceTheWindowIsClosed) {
  EXPECT_EQ(vexal::PumpMessages(), 0);
  pw::UserClose(AppState.MainWindow);
  EXPECT_EQ(vexal::PumpMessages(), -1);
  EXPECT_EQ(AppState.WindowDestroyed, 1);
  // Nothing is taken from the queue any more.
  pw::PostMessage(0, 0x400, 7, 0);
  EXPECT_EQ(vexal::PumpMessages(), -1);
  EXPECT_EQ(vexal::PumpMessages(), -1);
  pw::Message m;
  ASSERT_TRUE(pw::PeekMessage(&m, pw::kThreadMessages));
  EXPECT_EQ(m.id, 0x400u);
}

// Each pass of the pump reads the event source once, however often it looks at the queue:
// an empty pump is one pass, a pump that dispatched something takes one more.
TEST_F(PumpTest, EachPassReadsTheEventSourceOnce) {
  int polls = 0;
  pw::SetEventSource([&polls] { ++polls; });
  EXPECT_EQ(vexal::PumpMessages(), 0);
  EXPECT_EQ(polls, 1);
  polls = 0;
  pw::PostMessage(AppState.MainWindow, 0x400, 0, 0);
  pw::PostMessage(0, 0x401, 0, 0);
  EXPECT_EQ(vexal::PumpMessages(), 0);
  EXPECT_EQ(polls, 2);
}

TEST_F(PumpTest, InactiveApplicationWaitsUntilActivated) {
  pw::UserFocus(AppState.MainWindow, false);
  uint32_t start = plat::timer::TimeMs();
  At(50, [] { pw::UserFocus(AppState.MainWindow, true); });
  EXPECT_EQ(vexal::PumpMessages(), 0);
  // One millisecond of sleep a pass while inactive, and no return before activation.
  uint32_t waited = plat::timer::TimeMs() - start;
  EXPECT_GE(waited, 50u);
  EXPECT_LE(waited, 52u);
  EXPECT_EQ(AppState.ActiveFlag, 1);
  std::vector<std::string> lines = LogLinesFrom("非アクティブになりました");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "アクティブになりました");
}

TEST_F(PumpTest, InactiveApplicationWaitsUntilTheWindowCloses) {
  pw::UserFocus(AppState.MainWindow, false);
  uint32_t start = plat::timer::TimeMs();
  At(30, [] { pw::UserClose(AppState.MainWindow); });
  EXPECT_EQ(vexal::PumpMessages(), -1);
  EXPECT_GE(plat::timer::TimeMs() - start, 30u);
  EXPECT_EQ(AppState.ActiveFlag, 0);
}

// A move reaches the window procedure inside the poll that read it, and its handler waits
// while the application is inactive: the pump it runs there must read the events that
// follow. Runs a focus loss, the move, text, then `last`, one a poll (each taken before it
// is done, as SDL's queue hands out events), and returns what the pump returned.
int MoveWhileInactiveThen(const std::function<void(pw::WindowHandle)>& last, int* polls) {
  const pw::WindowHandle w = AppState.MainWindow;
  std::vector<std::function<void()>> actions = {
      [w] { pw::UserFocus(w, false); },
      [w] { pw::UserMove(w, AppState.ClientRect[0] + 40, AppState.ClientRect[1] + 30); }, [w] { pw::UserText(w, "a"); },
      [w, &last] { last(w); }};
  size_t next = 0;
  pw::SetEventSource([&] {
    ++*polls;
    if (next < actions.size()) actions[next++]();
  });
  const int result = vexal::PumpMessages();
  pw::SetEventSource(nullptr);
  EXPECT_EQ(next, actions.size());
  return result;
}

TEST_F(PumpTest, AWaitInsideTheMoveHandlerEndsWhenTheNextEventActivates) {
  const int input = vexal::CreateTextInputForTest(16, 0, 0, 0);
  const std::array<int32_t, 4> before = AppState.ClientRect;
  int polls = 0;
  EXPECT_EQ(MoveWhileInactiveThen([](pw::WindowHandle w) { pw::UserFocus(w, true); }, &polls), 0);
  EXPECT_LT(polls, 10) << "no pass waited for an event it could not read";
  EXPECT_EQ(AppState.ActiveFlag, 1);
  EXPECT_EQ(AppState.ClientRect,
            (std::array<int32_t, 4>{before[0] + 40, before[1] + 30, before[2] + 40, before[3] + 30}));
  EXPECT_EQ(std::string(vexal::TextInputState.Records[input].Buffer.get()), "a") << "the text, once";
}

TEST_F(PumpTest, AWaitInsideTheMoveHandlerEndsWhenTheNextEventClosesTheWindow) {
  int polls = 0;
  EXPECT_EQ(MoveWhileInactiveThen([](pw::WindowHandle w) { pw::UserClose(w); }, &polls), -1);
  EXPECT_LT(polls, 10);
  EXPECT_EQ(AppState.QuitFlag, 1);
  EXPECT_EQ(AppState.ActiveFlag, 0);
}

TEST_F(PumpTest, TypedTextReachesTheActiveInput) {
  int h = vexal::CreateTextInputForTest(16, 0, 0, 0);
  pw::UserText(AppState.MainWindow, Utf8(u8"aあ"));
  pw::UserKey(AppState.MainWindow, pw::kVkLeft, true);
  pw::UserText(AppState.MainWindow, Utf8(u8"b"));
  EXPECT_EQ(vexal::PumpMessages(), 0);
  const vexal::TextInputRecord& r = vexal::TextInputState.Records[h];
  EXPECT_EQ(std::string(r.Buffer.get()), "abあ");
  EXPECT_EQ(r.Finished, 0);
  pw::UserKey(AppState.MainWindow, pw::kVkReturn, true);  // Enter arrives as a character too
  EXPECT_EQ(vexal::PumpMessages(), 0);
  EXPECT_EQ(r.Finished, 1);
}

}  // namespace

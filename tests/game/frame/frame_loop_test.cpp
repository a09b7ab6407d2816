// The end of a frame on the virtual clock: the 35 ms pacing measured from each release,
// the clock wrapping, the key sample at the release, and the ways the game is told to end.
#include "game/frame/frame_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/input/key_cast.h"
#include "platform/input/input.h"
#include "platform/timer/timer.h"
#include "tests/vexal/app/input_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/system/timing.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/graphs/graph_table.h"

namespace {

using game::EndFrame;
using game::FrameClock;

class FrameLoopTest : public apptest::InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    Start();
    game::ResetFrameLoop();
    game::QuitRequested = 0;
    game::KeyInput = game::KeyCast();  // no key sample left by a case before
  }
  void TearDown() override {
    vexal::LibraryEnd();
    InputTest::TearDown();
  }
};

TEST_F(FrameLoopTest, FramesAreReleasedThirtyFiveMillisecondsAfterTheLastRelease) {
  FrameClock = vexal::GetTimeMs();
  const uint32_t start = FrameClock;
  // A frame that took 50 ms is released at once...
  plat::timer::AdvanceVirtualClock(50);
  ASSERT_EQ(EndFrame(), 0);
  EXPECT_EQ(FrameClock, start + 50);
  EXPECT_EQ(vexal::GetTimeMs(), start + 50) << "no wait";
  // ...and the next is measured from that release, not from the late frame's due time.
  ASSERT_EQ(EndFrame(), 0);
  EXPECT_EQ(FrameClock, start + 50 + 35);
  // A frame that took 20 ms waits the other 15.
  plat::timer::AdvanceVirtualClock(20);
  ASSERT_EQ(EndFrame(), 0);
  EXPECT_EQ(FrameClock, start + 50 + 70);
  EXPECT_EQ(game::QuitRequested, 0);
}

TEST_F(FrameLoopTest, PacingHoldsWhenTheClockWraps) {
  for (const uint32_t from : {0xFFFFFFF0u, 0xFFFFFFFFu, 0xFFFFFFDDu}) {
    plat::timer::UseVirtualClock(true, from);
    FrameClock = vexal::GetTimeMs();
    ASSERT_EQ(FrameClock, from);
    ASSERT_EQ(EndFrame(), 0);
    EXPECT_EQ(FrameClock, from + 35) << std::hex << from;
    EXPECT_EQ(vexal::GetTimeMs(), from + 35);
  }
}

TEST_F(FrameLoopTest, KeysAreSampledAtTheRelease) {
  FrameClock = vexal::GetTimeMs();
  plat::input::SetFakeKey(plat::input::kKeyX, true);
  EXPECT_FALSE(game::KeyInput.IsKeyHeld(plat::input::kKeyX));
  ASSERT_EQ(EndFrame(), 0);
  EXPECT_TRUE(game::KeyInput.IsKeyPressed(plat::input::kKeyX));
  EXPECT_TRUE(game::KeyInput.IsButtonPressed(game::kButtonDecide));
}

TEST_F(FrameLoopTest, EscapeHeldInTheLastSampleEndsTheGame) {
  FrameClock = vexal::GetTimeMs();
  plat::input::SetFakeKey(game::kEscapeKey, true);
  ASSERT_EQ(EndFrame(), 0) << "the frame that samples Escape is released";
  EXPECT_EQ(game::QuitRequested, 0);
  const uint32_t released = vexal::GetTimeMs();
  EXPECT_EQ(EndFrame(), 1);
  EXPECT_EQ(game::QuitRequested, 1);
  EXPECT_EQ(vexal::GetTimeMs(), released) << "no wait before ending";
  EXPECT_TRUE(game::ModalFrameEnds());
  plat::input::SetFakeKey(game::kEscapeKey, false);  // the fake keyboard outlives the case
}

TEST_F(FrameLoopTest, TheEndOfTheMessageQueueEndsTheGame) {
  FrameClock = vexal::GetTimeMs();
  vexal::AppState.QuitFlag = 1;
  EXPECT_EQ(EndFrame(), 1);
  EXPECT_EQ(game::QuitRequested, 1);
  vexal::AppState.QuitFlag = 0;  // so the shut-down ends the window, and a later case can start
}

std::vector<std::string> doubling;  // the doubling's copy and stretched draw, recorded
int RecordCopy(int x1, int y1, int x2, int y2, vexal::GraphRecord* graph, int flag) {
  doubling.push_back("copy " + std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) + "," +
                     std::to_string(y2) + " into " + std::to_string(vexal::GetGraphHandleFromRecord(graph)) + " flag " +
                     std::to_string(flag));
  return 0;
}
int RecordExtend(int x1, int y1, int x2, int y2, vexal::GraphRecord* graph, int trans) {
  doubling.push_back("extend " + std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(x2) + "," +
                     std::to_string(y2) + " of " + std::to_string(vexal::GetGraphHandleFromRecord(graph)) + " trans " +
                     std::to_string(trans));
  return 0;
}

TEST_F(FrameLoopTest, ADoubledScreenIsCopiedAndDrawnBackTwiceAsLargeAtEveryFrameEnd) {
  vexal::DrawBackendRows rows = vexal::DrawBackendTable;
  rows[0].CopyScreenToGraph = RecordCopy;
  rows[0].DrawExtendGraph = RecordExtend;
  vexal::SetDrawBackendTableForTests(&rows);
  game::StretchGraph = vexal::CreateBlankGraph(320, 240);
  const std::string g = std::to_string(game::StretchGraph);
  FrameClock = vexal::GetTimeMs();
  ASSERT_EQ(EndFrame(), 0);
  EXPECT_TRUE(doubling.empty()) << "not doubled";
  game::WindowSizeDoubled = 1;
  ASSERT_EQ(EndFrame(), 0);
  ASSERT_EQ(EndFrame(), 0);
  vexal::SetDrawBackendTableForTests(nullptr);
  const std::string copy = "copy 0,0,320,240 into " + g + " flag 1";
  const std::string extend = "extend 0,0,640,480 of " + g + " trans 0";
  EXPECT_EQ(doubling, (std::vector<std::string>{copy, extend, copy, extend}));
}

}  // namespace

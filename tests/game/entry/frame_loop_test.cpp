// The end of a frame on the virtual clock: the 35 ms pacing measured from each release,
// the clock wrapping, the key sample at the release, and the ways the game is told to end.
#include "game/entry/frame_loop.h"

#include <gtest/gtest.h>

#include "game/input/key_cast.h"
#include "platform/input.h"
#include "platform/timer.h"
#include "tests/vexal/app/input_fixture.h"
#include "vexal/app/app_state.h"
#include "vexal/app/timing.h"

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
}

TEST_F(FrameLoopTest, TheEndOfTheMessageQueueEndsTheGame) {
  FrameClock = vexal::GetTimeMs();
  vexal::AppState.QuitFlag = 1;
  EXPECT_EQ(EndFrame(), 1);
  EXPECT_EQ(game::QuitRequested, 1);
}

}  // namespace

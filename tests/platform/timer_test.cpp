#include "platform/timer/timer.h"

#include <gtest/gtest.h>

namespace {

TEST(VirtualClock, MovesOnlyWhenSomeoneWaits) {
  plat::timer::UseVirtualClock(true, 5000);
  EXPECT_TRUE(plat::timer::IsVirtualClock());
  EXPECT_EQ(plat::timer::TimeMs(), 5000u);
  EXPECT_EQ(plat::timer::TimeMs(), 5000u);  // reading costs nothing
  plat::timer::Sleep(35);
  EXPECT_EQ(plat::timer::TimeMs(), 5035u);
  plat::timer::SpinPause();
  EXPECT_EQ(plat::timer::TimeMs(), 5036u);
  plat::timer::PauseUntil(6000);  // a pass of a wait is one millisecond, whatever its end
  EXPECT_EQ(plat::timer::TimeMs(), 5037u);
  plat::timer::PauseUntil(5000);
  EXPECT_EQ(plat::timer::TimeMs(), 5038u);
  plat::timer::AdvanceVirtualClock(2);
  EXPECT_EQ(plat::timer::TimeMs(), 5040u);
  EXPECT_EQ(plat::timer::PerfCounter(), int64_t{5040} * 1000000);
}

TEST(VirtualClock, MillisecondsWrapLikeA32BitClock) {
  plat::timer::UseVirtualClock(true, 0xFFFFFFFEu);
  plat::timer::Sleep(3);
  EXPECT_EQ(plat::timer::TimeMs(), 1u);
}

TEST(VirtualClock, TheDateIsAFixedDayPlusTheVirtualTime) {
  plat::timer::UseVirtualClock(true, 0);
  EXPECT_EQ(plat::timer::WallClockSeconds(), 1767225600);  // 2026-01-01 00:00 UTC
  plat::timer::Sleep(61500);
  EXPECT_EQ(plat::timer::WallClockSeconds(), 1767225600 + 61);
}

TEST(RealClock, CountsFromBootAndMovesForward) {
  plat::timer::UseVirtualClock(false);
  uint32_t a = plat::timer::TimeMs();
  int64_t pa = plat::timer::PerfCounter();
  plat::timer::Sleep(5);
  uint32_t b = plat::timer::TimeMs();
  EXPECT_GE(b - a, 4u);
  EXPECT_GT(plat::timer::PerfCounter(), pa);
  EXPECT_GT(plat::timer::PerfFrequency(), 0);
}

// A pass of a wait whose end is near sleeps until that end, so the wait ends on its tick.
TEST(RealClock, APauseReachesANearEnd) {
  plat::timer::UseVirtualClock(false);
  const uint32_t end = plat::timer::TimeMs() + 3;
  plat::timer::PauseUntil(end);
  EXPECT_GE(static_cast<int32_t>(plat::timer::TimeMs() - end), 0);
}

}  // namespace

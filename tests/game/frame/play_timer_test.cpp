// The play-time clock: whole seconds counted on from a saved base, across the clock's wrap.
#include "game/frame/play_timer.h"

#include <gtest/gtest.h>

#include "platform/timer/timer.h"

namespace {

TEST(PlayTimerTest, CountsWholeSecondsOnFromTheBase) {
  plat::timer::UseVirtualClock(true, 0xFFFFF000u);  // wraps during the test
  game::PlayTimer p;
  p.StartPlayTimer(3720);
  plat::timer::Sleep(5999);
  p.TickPlayTimer();
  EXPECT_EQ(p.GetPlaySeconds(), 3725u);
  EXPECT_EQ(p.GetPlayTimePart(0), 1u);
  EXPECT_EQ(p.GetPlayTimePart(1), 2u);
  EXPECT_EQ(p.GetPlayTimePart(2), 5u);
  EXPECT_EQ(p.GetPlayTimePart(3), 0u);
}

}  // namespace

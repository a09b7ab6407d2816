#include "vexal/app/system/timing.h"

#include <gtest/gtest.h>

#include "platform/timer/timer.h"
#include "vexal/app/startup/app_state.h"

namespace {

TEST(WaitMs, WaitsTheGivenTimeAcrossTheClockWrap) {
  struct Case {
    uint32_t start;
    int32_t wait;
  };
  const Case cases[] = {{1000, 0}, {1000, 35}, {0xFFFFFFF0u, 35}, {0xFFFFFFFFu, 1}};
  for (const Case& c : cases) {
    plat::timer::UseVirtualClock(true, c.start);
    EXPECT_EQ(vexal::WaitMs(c.wait), 0);
    EXPECT_EQ(plat::timer::TimeMs() - c.start, static_cast<uint32_t>(c.wait)) << c.start << " " << c.wait;
  }
}

TEST(Clocks, MicrosecondsFollowTheChosenTimer) {
  plat::timer::UseVirtualClock(true, 2500);
  vexal::AppState.UsePerfCounter = 0;
  EXPECT_EQ(vexal::GetTimeUs(), int64_t{2500000});
  EXPECT_EQ(vexal::GetTimeMs(), 2500u);
  plat::timer::AdvanceVirtualClock(1);
  vexal::AppState.UsePerfCounter = 1;
  vexal::AppState.PerfFrequency = plat::timer::PerfFrequency();
  EXPECT_EQ(vexal::GetTimeUs(), int64_t{2501000});
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/sys/sys.h"
#include "platform/timer/timer.h"

namespace {

// Two runs under the virtual clock must draw the same boot screen, which prints the free
// memory; a test's own answer still wins.
TEST(MemoryStatus, UnderTheVirtualClockTheAnswerIsTheSameOnEveryMachine) {
  plat::sys::ResetOverrides();
  plat::timer::UseVirtualClock(true);
  const plat::sys::MemoryStatus m = plat::sys::GetMemoryStatus();
  EXPECT_EQ(m.total_physical, 8ull << 30);
  EXPECT_EQ(m.available_physical, 6ull << 30);
  plat::sys::OverrideMemoryStatus(plat::sys::MemoryStatus{512ull << 20, 256ull << 20});
  EXPECT_EQ(plat::sys::GetMemoryStatus().available_physical, 256ull << 20);
  plat::sys::ResetOverrides();
  plat::timer::UseVirtualClock(false);
  EXPECT_GT(plat::sys::GetMemoryStatus().total_physical, 0u);
}

}  // namespace

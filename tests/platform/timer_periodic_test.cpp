// Periodic timer events and resolution periods: the refusals, the kill that waits for a
// callback in flight, and the virtual clock's exact deadlines.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/timer/timer.h"
#include "platform/timer/timer_periodic.h"

namespace {

using namespace plat::timer;

class TimerPeriodicTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetPeriodicTimerForTests();
    UseVirtualClock(false);
  }
};

std::vector<uint64_t> fired_at;  // virtual microseconds of each call
std::vector<uint32_t> fired_ids;
void Record(uint32_t id, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  fired_at.push_back(VirtualTimeUs());
  fired_ids.push_back(id);
}

TEST_F(TimerPeriodicTest, PeriodsPairUpAndEveryCallIsSeen) {
  TimerCaps caps;
  ASSERT_TRUE(GetDevCaps(&caps));
  EXPECT_EQ(caps.period_min, 1u);
  EXPECT_FALSE(EndPeriod(13));  // never begun
  EXPECT_TRUE(BeginPeriod(13));
  EXPECT_TRUE(BeginPeriod(13));
  EXPECT_TRUE(EndPeriod(13));
  EXPECT_TRUE(EndPeriod(13));
  EXPECT_FALSE(EndPeriod(13));
  EXPECT_FALSE(BeginPeriod(0));  // below the caps
  EXPECT_EQ(PeriodCallsForTests().size(), 7u);
  SetDevCapsForTests({5, 10}, true);
  EXPECT_FALSE(GetDevCaps(&caps));
}

TEST_F(TimerPeriodicTest, EventsAreRefusedAndIdsNeverReused) {
  EXPECT_EQ(SetEvent(0, 10, &Record, 0, kEventPeriodic), 0u);
  EXPECT_EQ(SetEvent(10, 10, nullptr, 0, kEventPeriodic), 0u);
  EXPECT_EQ(SetEvent(10, 10, &Record, 0, 7), 0u);
  UseVirtualClock(true, 0);
  const uint32_t a = SetEvent(10, 10, &Record, 0, kEventPeriodic);
  EXPECT_NE(a, 0u);
  EXPECT_TRUE(KillEvent(a));
  EXPECT_FALSE(KillEvent(a));
  EXPECT_FALSE(KillEvent(a + 1000));
  const uint32_t b = SetEvent(10, 10, &Record, 0, kEventPeriodic);
  EXPECT_GT(b, a);
  EXPECT_TRUE(KillEvent(b));
}

TEST_F(TimerPeriodicTest, VirtualEventsRunAtTheirDeadlinesOnTheClocksMoves) {
  UseVirtualClock(true, 1000);
  fired_at.clear();
  fired_ids.clear();
  const uint32_t periodic = SetEvent(13, 10, &Record, 0, kEventPeriodic);
  const uint32_t once = SetEvent(20, 10, &Record, 0, kEventOneShot);
  Sleep(40);
  SpinPause();  // 1 ms
  AdvanceVirtualClock(11);
  // Ms since the start: 13, 20 (once), 26, 39, 52.
  const std::vector<uint64_t> expected{1013000, 1020000, 1026000, 1039000, 1052000};
  EXPECT_EQ(fired_at, expected);
  EXPECT_EQ(fired_ids, (std::vector<uint32_t>{periodic, once, periodic, periodic, periodic}));
  EXPECT_EQ(VirtualTimeUs(), 1052000u);
  EXPECT_FALSE(KillEvent(once));  // a one-shot that fired is gone
  EXPECT_TRUE(KillEvent(periodic));
}

std::atomic<bool> callback_done{false};
std::atomic<int> calls{0};
void SlowCallback(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  ++calls;
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  callback_done = true;
}

TEST_F(TimerPeriodicTest, KillWaitsForTheCallbackInFlight) {
  callback_done = false;
  calls = 0;
  const uint32_t id = SetEvent(5, 1, &SlowCallback, 0, kEventPeriodic);
  while (calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(KillEvent(id));
  EXPECT_TRUE(callback_done);
  const int after = calls;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(calls, after);
}

std::atomic<uint32_t> self_id{0};
std::atomic<bool> self_kill_result{false};
void KillsItself(uint32_t id, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  self_id = id;
  self_kill_result = KillEvent(id);  // must not wait for itself
}

TEST_F(TimerPeriodicTest, ACallbackCanKillItsOwnEvent) {
  self_id = 0;
  const uint32_t id = SetEvent(2, 1, &KillsItself, 0, kEventPeriodic);
  while (self_id == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(self_id, id);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(self_kill_result);
  EXPECT_FALSE(KillEvent(id));
}

std::vector<std::chrono::steady_clock::time_point> stall_calls;
std::chrono::steady_clock::time_point stall_end;
std::mutex stall_mutex;
void StallsOnce(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  std::lock_guard<std::mutex> lock(stall_mutex);
  stall_calls.push_back(std::chrono::steady_clock::now());
  if (stall_calls.size() == 1) {
    std::this_thread::sleep_for(std::chrono::milliseconds(55));
    // A loaded machine oversleeps: what follows is timed from the stall's real end.
    stall_end = std::chrono::steady_clock::now();
  }
}

// After a stall of more than five periods the missed ones are skipped: no burst of calls
// right after the stalled one.
TEST_F(TimerPeriodicTest, MissedPeriodsAreSkippedAfterAStall) {
  using std::chrono::milliseconds;
  stall_calls.clear();
  const auto set_from = std::chrono::steady_clock::now();
  const uint32_t id = SetEvent(10, 1, &StallsOnce, 0, kEventPeriodic);
  const auto set_to = std::chrono::steady_clock::now();
  // Long enough for a burst after the stall to show; beyond that a loaded machine may
  // hold the next call back for a while, and the test waits for it.
  std::this_thread::sleep_for(milliseconds(120));
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < give_up) {
    {
      std::lock_guard<std::mutex> lock(stall_mutex);
      if (stall_calls.size() >= 2) break;
    }
    std::this_thread::sleep_for(milliseconds(1));
  }
  KillEvent(id);
  std::lock_guard<std::mutex> lock(stall_mutex);
  ASSERT_GE(stall_calls.size(), 2u);
  int soon_after = 0;
  for (size_t i = 1; i < stall_calls.size(); ++i) {
    if (stall_calls[i] < stall_end + milliseconds(2)) ++soon_after;
  }
  EXPECT_LE(soon_after, 1);
  // The periods the stall covered are skipped, the one due when it ended too: the next
  // call waits for the grid (10 ms steps from the set, made between set_from and set_to).
  // The first grid point that can lie after the stall's end must come by that call.
  const auto period = milliseconds(10);
  const auto k = (stall_end - (set_to + period) + period - std::chrono::nanoseconds(1)) / period;
  EXPECT_GE(stall_calls[1], set_from + period + k * period)
      << "called " << std::chrono::duration<double, std::milli>(stall_calls[1] - stall_end).count()
      << " ms after the stall, before the grid's next deadline";
}

}  // namespace

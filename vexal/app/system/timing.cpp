#include "vexal/app/system/timing.h"

#include "platform/timer/timer.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/window/message_pump.h"

namespace vexal {
namespace {

constexpr int kTimerTestChanges = 60;  // clock changes counted before the timers are compared

}  // namespace

int WaitMs(int32_t n) {
  uint32_t start = plat::timer::TimeMs();
  if (PumpMessages() != 0) return 0;
  // Elapsed time, not absolute times, so a wait across the clock's wrap ends on time.
  while (static_cast<int32_t>(plat::timer::TimeMs() - start) < n) {
    if (PumpMessages() != 0) return 0;
    plat::timer::PauseUntil(start + static_cast<uint32_t>(n));
  }
  return 0;
}

uint32_t GetTimeMs(int32_t) { return plat::timer::TimeMs(); }

int64_t GetTimeUs(int32_t) {
  if (AppState.UsePerfCounter == 1) {
    return static_cast<int64_t>(static_cast<double>(plat::timer::PerfCounter()) * 1000000.0 /
                                static_cast<double>(AppState.PerfFrequency));
  }
  return static_cast<int64_t>(plat::timer::TimeMs()) * 1000;
}

void TakePerfCounterWhenPresent() {
  AppState.PerfFrequency = plat::timer::PerfFrequency();
  AppState.UsePerfCounter = AppState.PerfFrequency != 0 ? 1 : 0;
}

void ChooseMicrosecondClock() {
  TakePerfCounterWhenPresent();
  const uint32_t period_min = plat::timer::kMinPeriodMs;
  if (!AppState.UsePerfCounter) return;
  LogWrite("タイマーの精度を検査します\n");
  int ms_changes = 0, counter_changes = 0;
  uint32_t last_ms = plat::timer::TimeMs();
  int64_t last_counter = plat::timer::PerfCounter();
  while (ms_changes < kTimerTestChanges && counter_changes < kTimerTestChanges) {
    if (PumpMessages() != 0) break;
    uint32_t ms = plat::timer::TimeMs();
    int64_t counter = plat::timer::PerfCounter();
    if (ms != last_ms) ++ms_changes;
    if (counter != last_counter) ++counter_changes;
    last_ms = ms;
    last_counter = counter;
    plat::timer::SpinPause();
  }
  LogWriteFmt("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", ms_changes,
              counter_changes);
  if (ms_changes > counter_changes) {
    LogWriteFmt("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ", static_cast<int>(period_min));
    AppState.UsePerfCounter = 0;
  } else {
    LogWriteFmt("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
                static_cast<double>(AppState.PerfFrequency) * 0.001);
  }
}

}  // namespace vexal

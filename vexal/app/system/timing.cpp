#include "vexal/app/system/timing.h"

#include "platform/timer/timer.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/window/message_pump.h"

namespace vexal {

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

}  // namespace vexal

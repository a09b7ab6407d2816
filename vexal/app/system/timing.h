// Millisecond and microsecond clocks, the choice of the microsecond clock, and a wait that
// keeps the window alive. The choice is kept in AppState and made only here.
#pragma once

#include <cstdint>

namespace vexal {

// Waits n ms, pumping messages all the while; returns early once the window has closed. 0.
int WaitMs(int32_t n);

// Milliseconds of the system clock. The flag (time-stamp counter) has no effect.
uint32_t GetTimeMs(int32_t flag = 0);

// Microseconds, from the performance counter when it was chosen. The flag has no effect.
int64_t GetTimeUs(int32_t flag = 0);

// Microseconds from the performance counter from now on, when the machine has one.
void TakePerfCounterWhenPresent();
// Counts how often each clock changes while the pump runs, and takes the one that moves
// more often; a tie goes to the performance counter. The result is logged.
void ChooseMicrosecondClock();

}  // namespace vexal

// Millisecond and microsecond clocks and a wait that keeps the window alive.
#pragma once

#include <cstdint>

namespace vexal {

// Waits n ms, pumping messages all the while; returns early once the window has closed. 0.
int WaitMs(int32_t n);

// Milliseconds of the system clock. The flag (time-stamp counter) has no effect.
uint32_t GetTimeMs(int32_t flag = 0);

// Microseconds, from the performance counter when it was chosen. The flag has no effect.
int64_t GetTimeUs(int32_t flag = 0);

}  // namespace vexal

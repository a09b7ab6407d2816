// Clocks and sleeping. Two sources: the real monotonic clock, and a virtual clock for
// deterministic runs (NIGHTLOOM_CLOCK=virtual, or UseVirtualClock from a test).
//
// The virtual clock moves only when someone waits: Sleep(n) advances it by n at once,
// and one SpinPause (a pass of a busy wait) advances it by 1 ms. Reading it never moves
// it. So every busy wait in the program calls SpinPause (or PauseUntil, when it knows its
// end) once a pass; on the real clock these sleep, so that a waiting program leaves the
// processor idle.
#pragma once

#include <cstdint>

namespace plat::timer {

// Milliseconds since the machine booted (wraps after 49.7 days, as callers expect).
uint32_t TimeMs();

// Seconds since 1970 (UTC) for dates and seeds. Under the virtual clock a fixed moment
// (2026-01-01 00:00 UTC) plus the virtual time, so that runs do not depend on the day.
int64_t WallClockSeconds();
inline constexpr int64_t kVirtualWallClockStart = 1767225600;

// High-resolution counter and its ticks per second (never 0).
int64_t PerfCounter();
int64_t PerfFrequency();

// Finest period the periodic timer offers, in ms.
constexpr uint32_t kMinPeriodMs = 1;

void Sleep(uint32_t ms);

// One pass of a busy wait.
void SpinPause();

// One pass of a busy wait that ends once TimeMs() reaches deadline_ms (compared as a signed
// difference, so across the clock's wrap). On the real clock it sleeps until that tick, or
// 10 ms from now when the deadline is further (the waiting loop still takes its messages a
// few times a frame), and returns at once when it has passed; so a frame's wait wakes a few
// times and right at its end. On the virtual clock it is SpinPause: one millisecond, so
// runs repeat exactly.
void PauseUntil(uint32_t deadline_ms);

// Switches the virtual clock on (reading start_ms from now on) or back to the real one.
void UseVirtualClock(bool on, uint32_t start_ms = 0);
bool IsVirtualClock();
void AdvanceVirtualClock(uint32_t ms);

// The virtual clock in microseconds, and setting it outright (forward only), for the
// periodic timer's virtual mode.
uint64_t VirtualTimeUs();
void SetVirtualTimeUs(uint64_t us);
// While set, every forward move of the virtual clock (Sleep, SpinPause,
// AdvanceVirtualClock) is handed to the mover with its target time instead; the mover
// brings the clock there itself (see timer_periodic.h). Null removes it.
using VirtualClockMover = void (*)(uint64_t target_us);
void SetVirtualClockMover(VirtualClockMover mover);

}  // namespace plat::timer

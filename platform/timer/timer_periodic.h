// Periodic timer callbacks and the timer resolution, as the music's song timer uses them.
//
// Resolution periods: BeginPeriod(ms) and EndPeriod(ms) pair up per value; an end without
// a matching begin is refused. Nothing else changes (the host's timers are fine-grained
// already), but a test can read every begin and end.
//
// Events: SetEvent calls back every `delay_ms` (periodic) or once, from a thread of the
// module; ids count up from 1 and are never reused; a delay of 0 is refused (id 0).
// Deadlines are absolute on the steady clock: a late callback does not shift the ones
// after it, and after a stall the missed periods are skipped, not caught up in a burst.
// KillEvent refuses an id that is not running (never set, killed, or a one-shot that
// fired); when the callback is in flight on another thread it waits until it returns —
// called from inside the callback it returns at once. A callback that returns after its
// event's next deadline has skipped the periods it overran as well.
//
// Program exit: the service thread ends (after a callback in flight), and real events set
// from then on never fire. The module's state is never destroyed, so exit handlers and
// destructors may still kill events and end periods whatever their order.
//
// Virtual mode: events set while the virtual clock runs (timer.h) have virtual deadlines
// and are called on the thread that moves the clock, with the clock standing exactly at
// each deadline in turn, so runs repeat sample for sample.
#pragma once

#include <cstdint>
#include <vector>

namespace plat::timer {

struct TimerCaps {
  uint32_t period_min = 0;  // ms
  uint32_t period_max = 0;  // ms
};

inline constexpr uint32_t kEventOneShot = 0;
inline constexpr uint32_t kEventPeriodic = 1;

using EventCallback = void (*)(uint32_t id, uint32_t message, uintptr_t user, uintptr_t reserved1, uintptr_t reserved2);

// False when a test made the query fail.
bool GetDevCaps(TimerCaps* caps);
// False for a period outside the caps, or (end) a period not begun.
bool BeginPeriod(uint32_t ms);
bool EndPeriod(uint32_t ms);
// The id, or 0 when refused. `resolution_ms` is accepted and not needed.
uint32_t SetEvent(uint32_t delay_ms, uint32_t resolution_ms, EventCallback callback, uintptr_t user, uint32_t kind);
bool KillEvent(uint32_t id);

// --- Test hooks -----------------------------------------------------------------------

struct PeriodCall {
  bool begin;  // false: an end
  uint32_t ms;
  bool accepted;
};
// Every begin and end so far, refused ones included.
std::vector<PeriodCall> PeriodCallsForTests();
// Caps reported from now on; `fail` makes GetDevCaps fail.
void SetDevCapsForTests(TimerCaps caps, bool fail = false);
// Kills every event (waiting for a callback in flight), forgets the periods and puts the
// caps back. Ids keep counting.
void ResetPeriodicTimerForTests();

}  // namespace plat::timer

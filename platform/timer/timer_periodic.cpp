// Periodic timer events on one service thread (real clock) or on the clock's own moves
// (virtual clock), and the begun resolution periods.
#include "platform/timer/timer_periodic.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include "platform/timer/timer.h"

namespace plat::timer {
namespace {

using Clock = std::chrono::steady_clock;
constexpr TimerCaps kDefaultCaps{kMinPeriodMs, 1000000};

struct Event {
  EventCallback callback = nullptr;
  uintptr_t user = 0;
  bool periodic = false;
  bool is_virtual = false;
  Clock::duration period{};
  Clock::time_point deadline{};  // real events
  uint64_t period_us = 0;        // virtual events
  uint64_t deadline_us = 0;
};

struct PeriodicState {
  std::mutex mutex;                      // guards everything below
  std::condition_variable changed;       // events changed, or a callback returned
  std::map<uint32_t, Event> events;      // running events by id
  uint32_t next_id = 1;                  // ids are never reused
  uint32_t in_flight = 0;                // id whose callback runs now, or 0
  std::thread::id in_flight_thread;      // the thread running it
  std::thread service;                   // runs real events; started on first need
  bool quit = false;                     // the service thread must end
  std::map<uint32_t, int> periods;       // begun periods: ms -> count
  std::vector<PeriodCall> period_calls;  // every begin and end, for tests
  TimerCaps caps = kDefaultCaps;         // reported capabilities
  bool caps_fail = false;                // GetDevCaps fails (tests)
  bool moving = false;                   // a virtual move runs callbacks now
};

PeriodicState& State();

// At program exit the service thread ends (a callback in flight returns first), so no
// callback runs while the program's objects are destroyed. Events set later never fire.
void EndServiceAtExit() {
  PeriodicState& s = State();
  std::thread service;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.quit = true;
    service = std::move(s.service);
  }
  s.changed.notify_all();
  if (!service.joinable()) return;
  if (service.get_id() == std::this_thread::get_id()) {
    service.detach();  // a callback ends the program: its own thread cannot wait for itself
  } else {
    service.join();
  }
}

// The state is never destroyed (a union does not destroy its member): exit handlers
// registered before it was first used, the music's say, run after every handler
// registered since and must still find it whole.
PeriodicState& State() {
  static union Forever {
    Forever() : state() { std::atexit(&EndServiceAtExit); }
    ~Forever() {}
    PeriodicState state;
  } forever;
  return forever.state;
}

// Runs a callback with the lock released, marking it in flight.
void RunCallback(PeriodicState& s, std::unique_lock<std::mutex>& lock, uint32_t id, const Event& e) {
  s.in_flight = id;
  s.in_flight_thread = std::this_thread::get_id();
  const EventCallback callback = e.callback;
  const uintptr_t user = e.user;
  lock.unlock();
  callback(id, 0, user, 0, 0);
  lock.lock();
  s.in_flight = 0;
  s.changed.notify_all();
}

// The first deadline after `now` on the grid of `deadline` (which is not after now).
Clock::time_point NextOnGrid(Clock::time_point deadline, Clock::duration period, Clock::time_point now) {
  return deadline + period * ((now - deadline) / period + 1);
}

void ServiceLoop() {
  PeriodicState& s = State();
  std::unique_lock<std::mutex> lock(s.mutex);
  while (!s.quit) {
    auto next = s.events.end();
    for (auto it = s.events.begin(); it != s.events.end(); ++it) {
      if (it->second.is_virtual) continue;
      if (next == s.events.end() || it->second.deadline < next->second.deadline) next = it;
    }
    if (next == s.events.end()) {
      s.changed.wait(lock);
      continue;
    }
    const uint32_t id = next->first;
    const Clock::time_point deadline = next->second.deadline;
    if (Clock::now() < deadline) {
      s.changed.wait_until(lock, deadline);
      continue;  // the events may have changed meanwhile
    }
    Event event = next->second;
    if (event.periodic) {
      // The next deadline stays on the grid; periods missed in a stall are skipped.
      Clock::time_point following = deadline + event.period;
      const Clock::time_point now = Clock::now();
      if (following <= now) following = NextOnGrid(following, event.period, now);
      next->second.deadline = following;
    } else {
      s.events.erase(next);
    }
    RunCallback(s, lock, id, event);
    // A callback that ran past the next deadline stalled its own event: the periods it
    // overran are skipped too, or the one due would be called at once and the grid's
    // next call would follow it within a fraction of a period.
    if (auto it = s.events.find(id); it != s.events.end() && it->second.periodic) {
      const Clock::time_point now = Clock::now();
      if (it->second.deadline <= now) it->second.deadline = NextOnGrid(it->second.deadline, it->second.period, now);
    }
  }
}

// The virtual clock is to move to `target_us`: every virtual event due by then is called
// with the clock standing at its deadline.
void MoveVirtualClock(uint64_t target_us) {
  PeriodicState& s = State();
  std::unique_lock<std::mutex> lock(s.mutex);
  if (s.moving) {  // a callback moved the clock: no nested callbacks
    SetVirtualTimeUs(target_us);
    return;
  }
  s.moving = true;
  for (;;) {
    auto next = s.events.end();
    for (auto it = s.events.begin(); it != s.events.end(); ++it) {
      if (!it->second.is_virtual) continue;
      if (next == s.events.end() || it->second.deadline_us < next->second.deadline_us) next = it;
    }
    if (next == s.events.end() || next->second.deadline_us > target_us) break;
    const uint32_t id = next->first;
    Event event = next->second;
    SetVirtualTimeUs(event.deadline_us);
    if (event.periodic) {
      next->second.deadline_us += event.period_us;
    } else {
      s.events.erase(next);
    }
    RunCallback(s, lock, id, event);
  }
  SetVirtualTimeUs(target_us);
  s.moving = false;
}

}  // namespace

bool GetDevCaps(TimerCaps* caps) {
  PeriodicState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (s.caps_fail || caps == nullptr) return false;
  *caps = s.caps;
  return true;
}

bool BeginPeriod(uint32_t ms) {
  PeriodicState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  const bool ok = ms >= s.caps.period_min && ms <= s.caps.period_max;
  if (ok) ++s.periods[ms];
  s.period_calls.push_back({true, ms, ok});
  return ok;
}

bool EndPeriod(uint32_t ms) {
  PeriodicState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.periods.find(ms);
  const bool ok = it != s.periods.end();
  if (ok && --it->second == 0) s.periods.erase(it);
  s.period_calls.push_back({false, ms, ok});
  return ok;
}

uint32_t SetEvent(uint32_t delay_ms, uint32_t, EventCallback callback, uintptr_t user, uint32_t kind) {
  if (delay_ms == 0 || callback == nullptr) return 0;
  if (kind != kEventOneShot && kind != kEventPeriodic) return 0;
  PeriodicState& s = State();
  std::unique_lock<std::mutex> lock(s.mutex);
  Event e;
  e.callback = callback;
  e.user = user;
  e.periodic = kind == kEventPeriodic;
  e.is_virtual = IsVirtualClock();
  if (e.is_virtual) {
    e.period_us = static_cast<uint64_t>(delay_ms) * 1000;
    e.deadline_us = VirtualTimeUs() + e.period_us;
    SetVirtualClockMover(&MoveVirtualClock);
  } else {
    e.period = std::chrono::milliseconds(delay_ms);
    e.deadline = Clock::now() + e.period;
    if (!s.service.joinable() && !s.quit) s.service = std::thread(ServiceLoop);
  }
  const uint32_t id = s.next_id++;
  s.events.emplace(id, e);
  lock.unlock();
  s.changed.notify_all();
  return id;
}

bool KillEvent(uint32_t id) {
  PeriodicState& s = State();
  std::unique_lock<std::mutex> lock(s.mutex);
  // A one-shot whose callback runs now is already out of the table; wait for it too.
  const bool running = s.events.erase(id) != 0;
  const bool own_callback = s.in_flight == id && s.in_flight_thread == std::this_thread::get_id();
  if (!own_callback) s.changed.wait(lock, [&] { return s.in_flight != id; });
  s.changed.notify_all();
  return running;
}

std::vector<PeriodCall> PeriodCallsForTests() {
  PeriodicState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.period_calls;
}

void SetDevCapsForTests(TimerCaps caps, bool fail) {
  PeriodicState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.caps = caps;
  s.caps_fail = fail;
}

void ResetPeriodicTimerForTests() {
  PeriodicState& s = State();
  std::unique_lock<std::mutex> lock(s.mutex);
  s.events.clear();
  s.changed.notify_all();
  s.changed.wait(lock, [&] { return s.in_flight == 0 || s.in_flight_thread == std::this_thread::get_id(); });
  s.periods.clear();
  s.period_calls.clear();
  s.caps = kDefaultCaps;
  s.caps_fail = false;
}

}  // namespace plat::timer

#include "platform/timer/timer.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace plat::timer {
namespace {

std::atomic<bool> g_virtual{false};               // virtual clock in use
std::atomic<uint64_t> g_virtual_us{0};            // virtual time in microseconds
std::once_flag g_env_once;                        // NIGHTLOOM_CLOCK read once
std::atomic<VirtualClockMover> g_mover{nullptr};  // periodic timer's virtual mode, or null

constexpr uint32_t kMaxPauseMs = 10;  // longest real-clock pause of PauseUntil

void ReadEnvironmentOnce() {
  std::call_once(g_env_once, [] {
    const char* v = std::getenv("NIGHTLOOM_CLOCK");
    if (v != nullptr && std::strcmp(v, "virtual") == 0) g_virtual = true;
  });
}

uint64_t MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

void MoveVirtual(uint64_t delta_us) {
  if (VirtualClockMover mover = g_mover.load()) {
    mover(g_virtual_us.load() + delta_us);
    return;
  }
  g_virtual_us += delta_us;
}

}  // namespace

uint32_t TimeMs() {
  ReadEnvironmentOnce();
  if (g_virtual) return static_cast<uint32_t>(g_virtual_us.load() / 1000);
  return static_cast<uint32_t>(MonotonicNs() / 1000000);
}

int64_t PerfCounter() {
  ReadEnvironmentOnce();
  if (g_virtual) return static_cast<int64_t>(g_virtual_us.load() * 1000);
  return static_cast<int64_t>(MonotonicNs());
}

int64_t WallClockSeconds() {
  ReadEnvironmentOnce();
  if (g_virtual) return kVirtualWallClockStart + static_cast<int64_t>(g_virtual_us.load() / 1000000);
  return static_cast<int64_t>(::time(nullptr));
}

int64_t PerfFrequency() { return 1000000000; }

void Sleep(uint32_t ms) {
  ReadEnvironmentOnce();
  if (g_virtual) {
    MoveVirtual(static_cast<uint64_t>(ms) * 1000);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SpinPause() {
  ReadEnvironmentOnce();
  if (g_virtual) {
    MoveVirtual(1000);
    return;
  }
  // Every wait in the program watches the millisecond clock, which cannot change before
  // its next tick: sleeping until then gives the processor back and delays no wait.
  const uint64_t next_tick = (MonotonicNs() / 1000000 + 1) * 1000000;
  const timespec until{static_cast<time_t>(next_tick / 1000000000), static_cast<long>(next_tick % 1000000000)};
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

void PauseUntil(uint32_t deadline_ms) {
  ReadEnvironmentOnce();
  if (g_virtual) {
    MoveVirtual(1000);
    return;
  }
  const uint64_t now_ms = MonotonicNs() / 1000000;
  const int32_t left = static_cast<int32_t>(deadline_ms - static_cast<uint32_t>(now_ms));
  if (left <= 0) return;
  const uint64_t until_ns = (now_ms + std::min(static_cast<uint32_t>(left), kMaxPauseMs)) * 1000000;
  const timespec until{static_cast<time_t>(until_ns / 1000000000), static_cast<long>(until_ns % 1000000000)};
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

void UseVirtualClock(bool on, uint32_t start_ms) {
  ReadEnvironmentOnce();
  g_virtual_us = static_cast<uint64_t>(start_ms) * 1000;
  g_virtual = on;
}

bool IsVirtualClock() {
  ReadEnvironmentOnce();
  return g_virtual;
}

void AdvanceVirtualClock(uint32_t ms) { MoveVirtual(static_cast<uint64_t>(ms) * 1000); }

uint64_t VirtualTimeUs() { return g_virtual_us.load(); }

void SetVirtualTimeUs(uint64_t us) {
  if (us > g_virtual_us.load()) g_virtual_us = us;
}

void SetVirtualClockMover(VirtualClockMover mover) { g_mover = mover; }

}  // namespace plat::timer

// Timing several ways of doing the same work in alternation, so that a busy machine slows
// them alike; each way keeps its best round.
#pragma once

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace nlbench {

// <chrono> does not build with the game's execution character set.
inline double NowNs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Nanoseconds per call of each function: the best of five rounds of `reps` calls.
inline std::vector<double> TimeSideBySide(const std::vector<std::function<void()>>& fns, int64_t reps) {
  std::vector<double> best(fns.size(), 1e300);
  for (int round = 0; round < 5; ++round)
    for (size_t i = 0; i < fns.size(); ++i) {
      const double start = NowNs();
      for (int64_t k = 0; k < reps; ++k) fns[i]();
      best[i] = std::min(best[i], (NowNs() - start) / static_cast<double>(reps));
    }
  return best;
}

}  // namespace nlbench

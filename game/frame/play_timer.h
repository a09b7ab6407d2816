// The total play time, in seconds, carried across saves.
#pragma once

#include <cstdint>

namespace game {

class PlayTimer {
 public:
  // Counts on from `seconds`, from now.
  void StartPlayTimer(uint32_t seconds);
  // Brings the elapsed seconds up to now; called every frame.
  void TickPlayTimer();
  uint32_t GetPlaySeconds() const;
  // Part 0 hours, 1 minutes of the hour, 2 seconds of the minute; any other 0.
  uint32_t GetPlayTimePart(int part) const;

 private:
  uint32_t base_seconds_ = 0;     // play time when the timer was started
  uint32_t elapsed_seconds_ = 0;  // whole seconds since then
  uint32_t start_ms_ = 0;         // GetTimeMs at the start
};

// The game's one play-time clock.
extern PlayTimer ThePlayTimer;

}  // namespace game

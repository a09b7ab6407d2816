#include "game/frame/play_timer.h"

#include "vexal/app/system/timing.h"

namespace game {

PlayTimer ThePlayTimer;

void PlayTimer::StartPlayTimer(uint32_t seconds) {
  base_seconds_ = seconds;
  elapsed_seconds_ = 0;
  start_ms_ = vexal::GetTimeMs();
}

// Unsigned difference: right across the millisecond clock's wrap.
void PlayTimer::TickPlayTimer() { elapsed_seconds_ = (vexal::GetTimeMs() - start_ms_) / 1000; }

uint32_t PlayTimer::GetPlaySeconds() const { return base_seconds_ + elapsed_seconds_; }

uint32_t PlayTimer::GetPlayTimePart(int part) const {
  const uint32_t t = GetPlaySeconds();
  switch (part) {
    case 0: return t / 3600;
    case 1: return (t / 60) % 60;
    case 2: return t % 60;
    default: return 0;
  }
}

}  // namespace game

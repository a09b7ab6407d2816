// The screen break: the catch picture's quarters sliding out after a wipe.
#include "game/frame/screen_wipe.h"

#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

constexpr int kBlendOff = 0;

}  // namespace

void ScreenWipe::DrawScreenBreak() {
  const int32_t c = break_counter_;
  if (c <= 0) return;
  vexal::SetBlendModeParam(kBlendOff, 0);
  int ox = 0, oy = 0;
  if (c <= kBreakSlideFrom) {
    // Floating point: whole-number division would keep t at 0 and the quarters away.
    const double t = static_cast<double>(c) / kBreakSlideFrom;
    ox = static_cast<int>(kCatchQuarterWidth * t * t - kCatchQuarterWidth);
    oy = static_cast<int>(kCatchQuarterHeight * t * t - kCatchQuarterHeight);
  }
  vexal::DrawGraph(ox, oy, catch_[0], 1);
  vexal::DrawGraph(kCatchQuarterWidth - ox, oy, catch_[1], 1);
  vexal::DrawGraph(ox, kCatchQuarterHeight - oy, catch_[2], 1);
  vexal::DrawGraph(kCatchQuarterWidth - ox, kCatchQuarterHeight - oy, catch_[3], 1);
  break_counter_ = c - 1;
}

}  // namespace game

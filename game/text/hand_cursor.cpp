// The hand cursor's bounce and blink.
#include "game/text/hand_cursor.h"

#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace game {

HandCursor TheHandCursor;  // every menu's pointer

namespace {

constexpr int kBlendOff = 0;
constexpr int kBlendAlpha = 1;

}  // namespace

void HandCursor::LoadHandCursor() {
  graph_ = vexal::LoadGraph(kHandCursorFile);
  offset_ = 0;
  speed_ = kHandBounceKick;
  frame_ = 0;
}

void HandCursor::DrawHandCursor(int x, int y, int still, int blink) {
  if (++frame_ > kHandFrameLast) frame_ = 0;
  int d = 0;
  if (still == 0) {
    offset_ += speed_;
    if (offset_ > 0) {
      offset_ = 0;
      speed_ = kHandBounceKick;
    }
    speed_ += kHandBounceGravity;
    d = offset_ >> kHandBounceShift;  // arithmetic: rounds towards the left
  }
  if (blink != 0) {
    vexal::SetBlendModeParam(kBlendAlpha, kHandBlinkBase - kHandBlinkStep * frame_);
    vexal::DrawGraph(x + kHandBlinkX, y, graph_, 1);
    vexal::SetBlendModeParam(kBlendOff, 0);
  } else {
    vexal::DrawGraph(x - d + kHandX, y + kHandY, graph_, 1);
  }
}

}  // namespace game

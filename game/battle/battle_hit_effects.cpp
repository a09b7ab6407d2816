// The hit effects of one pass: each kind's frames, the frame that shows the number, and
// the frame it ends at.
#include "game/battle/battle.h"
#include "game/battle/battle_draw_calls.h"

namespace game {
namespace {

constexpr int kIdleSlotFrames = 8;  // an idle slot fires its number once past this
constexpr int kBlendFull = 255;
constexpr int32_t kFrameCeiling = 1 << 20;  // idle slots count no further

struct KindTiming {
  int popup, end;
};

KindTiming TimingOf(int kind) {
  switch (kind) {
    case 0: return {2, 4};
    case 1:
    case 5: return {14, 15};
    case 2: return {6, 7};
    case 3: return {8, 9};
    case 4: return {90, 111};
    case 11:
    case 12: return {12, 15};
    default: return {6, 7};
  }
}

}  // namespace

void Battle::DrawHitEffects() {
  const BattleDrawCalls& draw = BattleDraw();
  for (int n = 0; n < kHitEffectSlots; ++n) {
    HitEffectSlot& h = hits[n];
    bool drew = false;
    if (h.active) {
      int t = h.frame;
      int x = anchors[n].x, y = anchors[n].y;
      draw.blend(kBattleBlendAdd, kBlendFull);
      switch (h.kind) {
        case 0: break;
        case 1:
        case 5:
          if (t % 2 == 0) draw.blend(kBattleBlendAlpha, 128);
          effects.DrawEffect(x, y, h.kind, t / 2);
          drew = true;
          break;
        case 3:
          effects.DrawEffect(x, y, h.kind, t <= 6 ? t : 6 + (t - 6) / 2);
          drew = true;
          break;
        case 4:
          if (t < 8) effects.DrawEffect(x, y, 2, t);
          if (t >= 80) effects.DrawEffect(x, y + 16, 4, (t - 80) / 4);
          drew = true;
          break;
        case 11:
        case 12:
          for (int j = 0; j < 3; ++j) {
            int f = t - 4 * j;
            if (f < 0 || f > 4) continue;
            effects.DrawEffect(x + static_cast<int>(0.4 * h.random[2 * j]) - 20,
                               y + static_cast<int>(0.6 * h.random[2 * j + 1]) - 30, h.kind, f);
          }
          drew = true;
          break;
        default:
          effects.DrawEffect(x, y, h.kind, t);
          drew = true;
          break;
      }
      KindTiming timing = TimingOf(h.kind);
      if (t == timing.popup) TriggerResultPopup(n);
      if (t >= timing.end) h.active = false;
      draw.blend(kBattleBlendOff, 0);
    }
    if (h.frame < kFrameCeiling) ++h.frame;
    if (!drew && h.frame > kIdleSlotFrames) {
      h.active = false;
      TriggerResultPopup(n);
    }
  }
}

}  // namespace game

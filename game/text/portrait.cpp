// Portraits: the two slots and their fade-in.
#include "game/text/portrait.h"

#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace game {

BustUp TheBustUp;  // drawn by the message window, set by the event scripts

namespace {

constexpr int kBlendOff = 0;
constexpr int kBlendAlpha = 1;

}  // namespace

BustUp::BustUp() { graphs_.fill(-1); }

void BustUp::LoadBustUp() {
  if (vexal::LoadDivGraph(kPortraitFile, kPortraitCount, kPortraitColumns, kPortraitRows, kPortraitWidth,
                          kPortraitHeight, graphs_.data()) != 0) {
    graphs_.fill(-1);
  }
  ResetBustUp();
}

void BustUp::ShowBustUp(int picture, int slot) {
  if (slot < 0 || slot >= kPortraitSlots) return;
  if (slots_[slot].picture != picture) slots_[slot].fade = 1;
  slots_[slot].picture = picture;
}

void BustUp::HideBustUp(int picture) {
  for (Slot& s : slots_) {
    if (s.picture == picture) s = Slot{};
  }
}

void BustUp::ResetBustUp() { slots_.fill(Slot{}); }

void BustUp::DrawBustUp() {
  for (int i = 0; i < kPortraitSlots; ++i) {
    Slot& s = slots_[i];
    if (s.picture == kNoPortrait) continue;
    if (s.fade < kPortraitFadeEnd) {
      vexal::SetBlendModeParam(kBlendAlpha, s.fade * kPortraitFadeStep + kPortraitFadeBase);
      ++s.fade;
    } else {
      vexal::SetBlendModeParam(kBlendOff, 0);
    }
    // A picture number from a script that names no portrait draws nothing.
    const int graph = s.picture >= 0 && s.picture < kPortraitCount ? graphs_[s.picture] : -1;
    vexal::DrawGraph(kPortraitSlotX[i], 0, graph, 1);
  }
}

}  // namespace game

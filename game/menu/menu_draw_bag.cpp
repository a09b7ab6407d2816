// Drawing the item pages: the bag (also as the shop's sell list), the ability stock and the
// materials.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "game/data/game_data.h"
#include "game/menu/field_menu.h"
#include "game/menu/menu_draw_parts.h"
#include "game/text/bitmap_font.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

constexpr int kListX1 = 44, kListY1 = 26, kListX2 = 276, kListY2 = 216;
constexpr int kMarkerX1 = 270, kMarkerX2 = 281, kMarkerY1 = 28, kMarkerY2 = 88, kMarkerStep = 3;
constexpr int kMarkerBobFrames = 8;  // the stock's marker goes down and up in 8 frames
constexpr int kNameGlyphs = 11;
constexpr int kBagCountMax = 9999, kStockCountMax = 9;
constexpr int kMaterialCountDigits = 2, kMaterialCountMax = 99;

// The sell list's money box and its question box.
constexpr int kCashX1 = 152, kCashY1 = 2, kCashX2 = 280, kCashY2 = 24;
constexpr int kCashTextX = 160, kCashMoneyX = 200, kCashY = 10;
constexpr int kMoneyDigits = 7, kMoneyMax = 9999999;
constexpr int kAskX1 = 80, kAskY1 = 80, kAskX2 = 240, kAskY2 = 136;
constexpr int kAskX = 88, kAskNameY = 88, kAskPriceY = 104, kAskQuestionY = 120;
constexpr int kAskNameGlyphs = 10, kAskCountX = 168, kAskCountDigits = 3, kAskCountMax = 999;
constexpr int kAskTimesX = 192;

constexpr const char* kSubCommands[] = {"つかう", "すてる", "せいとん"};

// 22 entries of a list from scroll, two columns.
template <typename DrawCount>
void DrawStackList(std::span<const ItemStack> stacks, int scroll, bool green_usable, DrawCount draw_count) {
  for (int i = 0; i < kBagPageEntries; ++i) {
    const int index = scroll + i;
    if (index < 0 || index >= static_cast<int>(stacks.size())) continue;
    const ItemStack& s = stacks[index];
    int x = 0, y = 0;
    if (s.id == 0 || !ListEntryPosition(index, scroll, &x, &y)) continue;
    SetTextTint(green_usable && HasFieldUse(s.id) ? TextTint::kGreen : TextTint::kWhite);
    DrawItemName(x, y, s.id, kNameGlyphs);
    SetTextTint(TextTint::kWhite);
    draw_count(x + kListCountX, y, s.count);
  }
}

}  // namespace

void FieldMenu::DrawBagPage() {
  const GameData& g = TheGameData();
  const bool selling = state == kMenuStateSell;
  const int scroll = selling ? sell_scroll : bag_scroll;
  TheWindowFrame.DrawFrameBox(kPageX1, kPageY1, kPageX2, kPageY2, kStyleQuiet);
  if (selling) {
    TheWindowFrame.DrawFrameBox(kCashX1, kCashY1, kCashX2, kCashY2, kStyleQuiet);
    TheBitmapFont.DrawSjisText(kCashTextX, kCashY, "CASH");
    TheBitmapFont.DrawNumber(kCashMoneyX, kCashY,
                             static_cast<int>(std::min<uint32_t>(g.Scalars[kScalarMoney], kMoneyMax)), kMoneyDigits,
                             kMoneyMax, 0, 0);
    TheBitmapFont.DrawSjisText(kCashMoneyX + kGlyphCellSize * kMoneyDigits, kCashY, "R");
  } else {
    for (int c = 0; c < 3; ++c)
      TheBitmapFont.DrawSjisText(kSubCommandX + kSubCommandStep * c, kSubCommandY, kSubCommands[c]);
  }
  TheWindowFrame.DrawFrameBox(kListX1, kListY1, kListX2, kListY2,
                              state == kMenuStateBagCommand ? kStyleQuiet : kStyleHighlit);
  DrawStackList(std::span(g.ItemBag).first(kUsedBagSlots), scroll,
                state == kMenuStateBag || state == kMenuStateBagCommand,
                [](int x, int y, uint16_t count) { DrawStackCount(x, y, count, kBagCountMax); });
  TheWindowFrame.DrawFrameBox(kMarkerX1, kMarkerY1 + kMarkerStep * scroll, kMarkerX2, kMarkerY2 + kMarkerStep * scroll,
                              kStyleQuiet);

  if (selling && first_pick >= 0 && first_pick < kUsedBagSlots) {
    const ItemStack& s = g.ItemBag[first_pick];
    TheWindowFrame.DrawFrameBox(kAskX1, kAskY1, kAskX2, kAskY2, kStyleQuiet);
    DrawItemName(kAskX, kAskNameY, s.id, kAskNameGlyphs);
    // Equipment counts its level, which the lists show as "-": so does the question, in
    // the place of the count's last digit.
    if (s.count == kDashCount) {
      DrawStackCount(kAskCountX + kGlyphCellSize * (kAskCountDigits - 1), kAskNameY, s.count, kAskCountMax);
    } else {
      TheBitmapFont.DrawNumber(kAskCountX, kAskNameY, s.count, kAskCountDigits, kAskCountMax, 0, 0);
    }
    TheBitmapFont.DrawSjisText(kAskTimesX, kAskNameY, "かい");
    const int64_t price = g.SellPrice(first_pick);
    if (price >= 0) {
      TheBitmapFont.DrawNumber(kAskX, kAskPriceY, static_cast<int>(std::min<int64_t>(price, kMoneyMax)), kMoneyDigits,
                               kMoneyMax, 0, 0);
      TheBitmapFont.DrawSjisText(kAskX + kGlyphCellSize * kMoneyDigits, kAskPriceY, "R");
    }
    TheBitmapFont.DrawSjisText(kAskX, kAskQuestionY, "このねだんで＿うりますか？");
  }
}

void FieldMenu::DrawStockPage() {
  const GameData& g = TheGameData();
  TheWindowFrame.DrawFrameBox(kPageX1, kPageY1, kPageX2, kPageY2, kStyleQuiet);
  TheWindowFrame.DrawFrameBox(kListX1, kListY1, kListX2, kListY2, kStyleHighlit);
  DrawStackList(g.AbilityStock, stock_scroll, false, [](int x, int y, uint16_t count) {
    // A negative count (the unlimited stock) shows nothing.
    const int16_t c = static_cast<int16_t>(count);
    if (c >= 0) TheBitmapFont.DrawNumber(x, y, c, 0, kStockCountMax, 0, 0);
  });
  const int bob = std::abs(frame_counter % kMarkerBobFrames - kMarkerBobFrames / 2);
  TheWindowFrame.DrawFrameBox(kMarkerX1, kMarkerY1 + bob, kMarkerX2, kMarkerY2 + bob, kStyleQuiet);
}

void FieldMenu::DrawMaterialsPage() {
  const GameData& g = TheGameData();
  TheWindowFrame.DrawFrameBox(kPageX1, kPageY1, kPageX2, kPageY2, kStyleQuiet);
  for (int n = 0; n < kMaterialNames; ++n) {
    const int count = g.Materials[n].count;
    if (state == kMenuStateMaterials && count <= 0) continue;
    int x = 0, y = 0;
    MaterialPosition(n, &x, &y);
    vexal::DrawGraph(x, y, g.FruitGraphs[n], 1);
    const auto& name = g.MaterialNames[n];
    TheBitmapFont.DrawSjisText(x + kMaterialNameX, y + kMaterialTextBelow,
                               std::string_view(name.data(), strnlen(name.data(), name.size())));
    TheBitmapFont.DrawSjisText(x + kMaterialColonX, y + kMaterialTextBelow, ":");
    TheBitmapFont.DrawNumber(x + kMaterialCountX, y + kMaterialTextBelow, count, kMaterialCountDigits,
                             kMaterialCountMax, 0, 0);
  }
}

}  // namespace game

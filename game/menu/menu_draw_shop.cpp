// Drawing the shop's goods and the concoction screen. The sell list is the bag page.
#include <algorithm>
#include <cstring>

#include "game/data/game_data.h"
#include "game/menu/field_menu.h"
#include "game/menu/menu_list_parts.h"
#include "game/text/bitmap_font.h"
#include "game/text/hand_cursor.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/screen/color_value.h"

namespace game {

namespace {

constexpr int kMoneyMax = 9999999;

// The two choices at the top, where the long-jump modes stand.
constexpr int kChoiceX = 167, kChoiceStep = 60, kChoiceY = 12;
// Money under them, the goods below.
constexpr int kCashBoxY1 = 26, kCashBoxY2 = 50, kCashY = 34, kCashLabelX = 56, kCashX = 96;
constexpr int kGoodsBoxY1 = 54, kGoodsBoxY2 = 212;
constexpr int kGoodsX = 64, kGoodsY = 64, kGoodsStep = 18, kGoodsNameGlyphs = 13, kPriceX = 176;
// The question box of the chosen goods.
constexpr int kAskX1 = 80, kAskY1 = 80, kAskX2 = 240, kAskY2 = 136;
constexpr int kAskX = 92, kAskNameY = 90, kAskPriceY = 104, kAskQuestionY = 120, kAskNameGlyphs = 18;

// Concoction: the materials in two columns, 17 pixels a row.
constexpr int kMaterialRowY = 36, kMaterialRowStep = 17, kMaterialBoxY2 = 212;
constexpr int kMaterialNameGlyphs = 7, kMaterialCountMax = 99;
constexpr int kResultX1 = 56, kResultY1 = 92, kResultX2 = 264, kResultY2 = 140, kResultX = 72;

// A 7-digit amount and "R" after it.
void DrawMoney(int x, int y, int64_t amount) {
  TheBitmapFont.DrawNumber(x, y, static_cast<int>(std::clamp<int64_t>(amount, 0, kMoneyMax)), 7, kMoneyMax, 0, 0);
  TheBitmapFont.DrawSjisText(x + 56, y, "R");
}

void DrawItemName(int x, int y, int glyphs, int id) {
  TheBitmapFont.DrawGlyphCodes(x, y, glyphs, 1, TheGameData().Item(id).name);
}

}  // namespace

void FieldMenu::DrawShopPage() {
  const GameData& g = TheGameData();
  TheWindowFrame.DrawFrameBox(kMenuPageX1, kMenuPageY1, kMenuPageX2, kMenuPageY2, 0);
  TheBitmapFont.DrawSjisText(kChoiceX, kChoiceY, "かいたい");
  TheBitmapFont.DrawSjisText(kChoiceX + kChoiceStep, kChoiceY, "うりたい");
  TheWindowFrame.DrawFrameBox(kMenuListX1, kCashBoxY1, kMenuListX2, kCashBoxY2, 0);
  TheBitmapFont.DrawSjisText(kCashLabelX, kCashY, "CASH");
  DrawMoney(kCashX, kCashY, g.Scalars[kScalarMoney]);

  TheWindowFrame.DrawFrameBox(kMenuListX1, kGoodsBoxY1, kMenuListX2, kGoodsBoxY2, state == kMenuStateBuy ? 1 : 0);
  for (int i = 0; i < kGoodsCount; ++i) {
    if (goods[i] <= 0) continue;
    const int y = kGoodsY + kGoodsStep * i;
    DrawItemName(kGoodsX, y, kGoodsNameGlyphs, goods[i]);
    DrawMoney(kPriceX, y, g.Item(goods[i]).values[kItemPrice]);
  }

  if (state == kMenuStateBuy) {
    TheHandCursor.DrawHandCursor(kGoodsX, kGoodsY + kGoodsStep * goods_cursor, first_pick >= 0, 0);
  } else {
    TheHandCursor.DrawHandCursor(kChoiceX + kChoiceStep * shop_choice, kChoiceY, 0, 0);
  }
  if (state == kMenuStateBuy && first_pick >= 0) {
    const int id = goods[goods_cursor];
    TheWindowFrame.DrawFrameBox(kAskX1, kAskY1, kAskX2, kAskY2, 0);
    DrawItemName(kAskX, kAskNameY, kAskNameGlyphs, id);
    DrawMoney(kAskX, kAskPriceY, g.Item(id).values[kItemPrice]);
    TheBitmapFont.DrawSjisText(kAskX, kAskQuestionY, "かいますか？");
  }
}

void FieldMenu::DrawConcoctionPage() {
  const GameData& g = TheGameData();
  TheWindowFrame.DrawFrameBox(kMenuPageX1, kMenuPageY1, kMenuPageX2, kMenuPageY2, 0);
  TheWindowFrame.DrawFrameBox(kMenuListX1, kMenuListY1, kMenuListX2, kMaterialBoxY2,
                              state == kMenuStateConcoction ? 1 : 0);
  const auto at = [](int m, int& x, int& y) {
    x = kBagColumnX[m % 2];
    y = kMaterialRowY + kMaterialRowStep * (m / 2);
  };
  const auto chosen_end = chosen.begin() + std::clamp(chosen_count, 0, static_cast<int>(chosen.size()));
  for (int m = 0; m < kMaterialNames; ++m) {
    int x, y;
    at(m, x, y);
    // A chosen material sits on a lamplit band.
    if (std::find(chosen.begin(), chosen_end, m) != chosen_end) {
      vexal::DrawBox(x - 2, y - 5, x + 103, y + 13, vexal::MakeColorValue(120, 80, 24), 1);
    }
    const int count = g.Materials[m].count;
    if (count == 0) vexal::SetDrawBrightness(128, 128, 128);
    vexal::DrawGraph(x, y - 4, g.FruitGraphs[m], 1);
    DrawSjisLine(
        x + 20, y, kMaterialNameGlyphs,
        std::string_view(g.MaterialNames[m].data(), strnlen(g.MaterialNames[m].data(), g.MaterialNames[m].size())));
    TheBitmapFont.DrawSjisText(x + 76, y, ":");
    TheBitmapFont.DrawNumber(x + 84, y, count, 2, kMaterialCountMax, 0, 0);
    vexal::SetDrawBrightness(255, 255, 255);
  }
  int hand_x, hand_y;
  at(material_cursor, hand_x, hand_y);
  TheHandCursor.DrawHandCursor(hand_x, hand_y, state != kMenuStateConcoction, 0);
  if (state == kMenuStateConcoctionResult || state == kMenuStateConcoctionConfirm) {
    TheWindowFrame.DrawFrameBox(kResultX1, kResultY1, kResultX2, kResultY2, 0);
    if (concoction_result > 0) {
      DrawItemName(kResultX, kResultY1 + 12, 16, concoction_result);
      TheBitmapFont.DrawSjisText(kResultX, kResultY1 + 28, "こいつを＿ちょうごうしますか？");
    } else {
      TheBitmapFont.DrawSjisText(kResultX, kResultY1 + 20, "この＿くみあわせでは＿なにもつくれない。");
    }
  }
}

}  // namespace game

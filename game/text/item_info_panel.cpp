// The item information panel of the menus, the shop and the battle.
#include "game/text/item_info_panel.h"

#include <algorithm>

#include "game/data/game_data.h"
#include "game/text/bitmap_font.h"
#include "game/text/window_frame.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {
namespace {

struct Label {
  int x, y;
  const char* text;
};
constexpr Label kLabels[] = {{74, 50, "ぶんるい"},      {74, 70, "しょうひPP"}, {74, 86, "そうびとくてん"},
                             {84, 102, "こうげき"},     {84, 114, "ぼうぎょ"},  {84, 126, "すばやさ"},
                             {84, 138, "せいしん"},     {84, 150, "__HP"},      {84, 162, "__PP"},
                             {74, 178, "こうかはんい"}, {168, 70, "いぞん"},    {168, 90, "ばいりつ"},
                             {168, 120, "コンボ"}};
constexpr const char* kRangeLabels[] = {
    "1たい",        "ひとり",         "てきぜんたい",       "みかたぜんたい",     "てき１たい", "みかたひとり",
    "てきぜんたい", "みかたぜんたい", "てきみかたぜんたい", "てきみかたぜんたい", "じぶん"};
static_assert(std::size(kRangeLabels) == kTargetSelf + 1, "a label for every target range");
constexpr const char* kStatLabels[] = {"こうげき", "ぼうぎょ", "すばやさ", "せいしん"};
constexpr int kSpiritStat = 3;
constexpr int kBonusRowsY[] = {102, 114, 126, 138, 150, 162};
constexpr int kMaxShown = 500000;  // from here a raise shows as MAXIMIZE
constexpr int kNumberMax = 9999;

void Number(int x, int y, int64_t value) {
  TheBitmapFont.DrawNumber(x, y, static_cast<int>(std::clamp<int64_t>(value, 0, kNumberMax)), 0, kNumberMax, 0, 0);
}
void White() { vexal::SetDrawBrightness(255, 255, 255); }

}  // namespace

void DrawItemInfo(int n) {
  TheWindowFrame.DrawFrameBox(60, 24, 260, 200, 0);
  vexal::SetDrawBrightness(0, 255, 255);
  for (const Label& l : kLabels) TheBitmapFont.DrawSjisText(l.x, l.y, l.text);
  White();
  if (n <= 0 || n >= kItemCount) return;
  const GameData& data = TheGameData();
  const auto& v = data.Items[n].values;
  const int kind = v[kItemKind];
  TheBitmapFont.DrawGlyphCodes(70, 36, kNameCodes, 1, data.Items[n].name);
  TheBitmapFont.DrawSjisText(130, 50, ItemKindLabel(kind));
  if (kind < 200 || kind > 300) {
    const int range = v[kItemRange];
    if (range >= 0 && range < static_cast<int>(std::size(kRangeLabels))) {
      TheBitmapFont.DrawSjisText(130, 178, kRangeLabels[range]);
    }
    if (v[kItemPpCost] > 0) Number(130, 70, v[kItemPpCost]);
    if (v[kItemMultiplier] > 0) {
      int stat = kind > 300 ? kSpiritStat : v[kItemDependsOn];
      TheBitmapFont.DrawSjisText(200, 70, stat >= 0 && stat < 4 ? kStatLabels[stat] : "----");
    } else {
      TheBitmapFont.DrawSjisText(200, 70, "----");
    }
    TheBitmapFont.DrawSjisText(208, 90, "×");
    Number(216, 90, v[kItemMultiplier]);
    const int raise = v[kItemRaise];
    if (raise > 0) {
      if (raise < kMaxShown) {
        TheBitmapFont.DrawSjisText(208, 100, "+");
        Number(216, 100, raise);
      } else {
        TheBitmapFont.DrawSjisText(168, 100, "MAXIMIZE");
      }
    } else if (raise < 0) {
      if (raise > -kMaxShown) {
        TheBitmapFont.DrawSjisText(208, 100, "-");
        Number(216, 100, -static_cast<int64_t>(raise));
      } else {
        TheBitmapFont.DrawSjisText(168, 100, "MINIMIZE");
      }
    }
    Number(200, 120, std::max(v[kItemHits], 1));
  } else {
    TheBitmapFont.DrawSjisText(130, 178, "---");
  }
  for (int i = 0; i < 6; ++i) {
    const int value = v[kItemAttackBonus + i], y = kBonusRowsY[i];
    if (value < 0) {
      vexal::SetDrawBrightness(255, 0, 0);
      TheBitmapFont.DrawSjisText(124, y, "-");
      Number(132, y, -static_cast<int64_t>(value));
    } else if (value == 0) {
      vexal::SetDrawBrightness(128, 128, 128);
      Number(132, y, 0);
    } else {
      White();
      TheBitmapFont.DrawSjisText(124, y, "+");
      Number(132, y, value);
    }
  }
  White();
}

}  // namespace game

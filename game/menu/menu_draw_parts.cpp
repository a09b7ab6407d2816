// Drawing pieces shared by the menu pages.
#include "game/menu/menu_draw_parts.h"

#include <algorithm>

#include "game/data/game_data.h"
#include "game/menu/field_menu.h"
#include "game/text/bitmap_font.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

constexpr int kBlendOff = 0, kBlendAlpha = 1;
constexpr int kShadowAlpha = 128;
constexpr int kShadowOffset = 2;
constexpr int kWalkFrames = 4;
constexpr int kStandingAway = 4;  // facing up, first frame

}  // namespace

bool HasFieldUse(int id) { return id != 0 && TheGameData().Item(id).values[kItemFieldUse] != kFieldUseNone; }

void SetTextTint(TextTint tint) {
  switch (tint) {
    case TextTint::kWhite: vexal::SetDrawBrightness(255, 255, 255); break;
    case TextTint::kGreen: vexal::SetDrawBrightness(0, 255, 0); break;
    case TextTint::kBlack: vexal::SetDrawBrightness(0, 0, 0); break;
  }
}

void DrawCodesClipped(int x, int y, std::span<const uint8_t> codes, int glyphs) {
  // A line breaks once it holds more than `width` glyphs.
  TheBitmapFont.DrawGlyphCodes(x, y, glyphs - 1, 1, codes);
}

void DrawItemName(int x, int y, int id, int glyphs) {
  if (id == 0) return;
  DrawCodesClipped(x, y, TheGameData().Item(id).name, glyphs);
}

void DrawStackCount(int x, int y, uint16_t count, int max) {
  if (count == kDashCount) {
    TheBitmapFont.DrawSjisText(x, y, "-");
  } else {
    TheBitmapFont.DrawNumber(x, y, count, 0, max, 0, 0);
  }
}

void DrawValuePair(int x, int y, int32_t value, int32_t maximum, int digits, int limit) {
  TheBitmapFont.DrawNumber(x, y, value, digits, limit, 0, 0);
  TheBitmapFont.DrawSjisText(x + kGlyphCellSize * digits, y, "/");
  TheBitmapFont.DrawNumber(x + kGlyphCellSize * (digits + 1), y, maximum, digits, limit, 0, 0);
}

void DrawMemberPicture(int x, int y, int m, int frame) {
  const GameData& g = TheGameData();
  const int graphic = g.Members[m][kMemberFieldGraphic];
  const std::span<const int> frames = FieldCharacterFrames();
  if (graphic < 0 || graphic >= static_cast<int>(frames.size()) / kFramesPerCharacter)
    return;  // a bad number from a save
  const auto& status = g.Status[m];
  const bool down = status[kStatusDown] != 0;
  const bool ailing = std::any_of(status.begin() + kStatusFirstAilment, status.begin() + kStatusLastAilment + 1,
                                  [](uint8_t b) { return b != 0; });
  const int step = down || ailing ? kStandingAway : ((frame % kWalkFrames) + kWalkFrames) % kWalkFrames;
  const int picture = frames[graphic * kFramesPerCharacter + step];
  if (down) {
    vexal::SetDrawBrightness(0, 0, 255);
    vexal::DrawGraph(x, y, picture, 1);
    vexal::SetDrawBrightness(255, 255, 255);
    return;
  }
  vexal::SetDrawBrightness(0, 0, 0);
  vexal::SetBlendModeParam(kBlendAlpha, kShadowAlpha);
  vexal::DrawGraph(x + kShadowOffset, y + kShadowOffset, picture, 1);
  vexal::SetBlendModeParam(kBlendOff, 0);
  vexal::SetDrawBrightness(255, 255, 255);
  vexal::DrawGraph(x, y, picture, 1);
}

bool ListEntryPosition(int index, int scroll, int* x, int* y) {
  const int shown = index - scroll;
  if (shown < 0 || shown >= kBagPageEntries) return false;
  *x = kListColumnX[shown % 2];
  *y = kListTopY + kListRowHeight * (shown / 2);
  return true;
}

void MaterialPosition(int n, int* x, int* y) {
  n = std::clamp(n, 0, kMaterialNames - 1);
  *x = kListColumnX[n % 2];
  *y = kMaterialTopY + kMaterialRowHeight * (n / 2);
}

}  // namespace game

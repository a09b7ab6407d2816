// Small drawing pieces the menu pages share: item names, numbers with a label, the members'
// walking pictures and the list positions of the two-column pages.
#pragma once

#include <cstdint>
#include <span>

namespace game {

inline constexpr uint16_t kDashCount = 0xFFE0;  // a count shown as "-"

// Frame box styles: quiet, and highlit where the keys act.
inline constexpr int kStyleQuiet = 0, kStyleHighlit = 1;
// The page frame of the main, member, bag, stock and materials pages.
inline constexpr int kPageX1 = 40, kPageY1 = 5, kPageX2 = 280, kPageY2 = 239;

// The two-column lists (bag, stock, sell list): 22 entries, 11 rows of 2.
inline constexpr int kListColumnX[2] = {57, 173};
inline constexpr int kListTopY = 36;
inline constexpr int kListRowHeight = 16;
inline constexpr int kListCountX = 80;  // from the column's x

// The main page's rows: member k at y = kMemberRowTopY + kMemberRowHeight x k.
inline constexpr int kMemberRowTopY = 38;
inline constexpr int kMemberRowHeight = 48;
inline constexpr int kMemberPictureX = 60;

// The materials page: 20 materials in two columns, 17 pixels a row; text beside the
// 16 x 16 picture.
inline constexpr int kMaterialTopY = 30;
inline constexpr int kMaterialRowHeight = 17;
inline constexpr int kMaterialTextBelow = 4;
inline constexpr int kMaterialNameX = 18, kMaterialColonX = 74, kMaterialCountX = 82;  // from x

// The bag's sub-commands on the row above the list.
inline constexpr int kSubCommandX = 136, kSubCommandStep = 48, kSubCommandY = 12;

// The item target page: member k's picture at (kTargetPictureX, main-page row y).
inline constexpr int kTargetPictureX = 128;
inline constexpr int kTargetHandBelow = 8;

// Whether item `id` has a field-use type (shown green where it can be used).
bool HasFieldUse(int id);

// Text colours: the font is drawn through the draw brightness.
enum class TextTint { kWhite, kGreen, kBlack };
void SetTextTint(TextTint tint);

// At most `glyphs` glyphs of a glyph-code text on one line.
void DrawCodesClipped(int x, int y, std::span<const uint8_t> codes, int glyphs);
// The name of item `id` (its 16 glyph codes), at most `glyphs` glyphs; nothing for id 0.
void DrawItemName(int x, int y, int id, int glyphs);
// A stack's count: "-" for the dash count, else the number clamped to max, left-aligned.
void DrawStackCount(int x, int y, uint16_t count, int max);
// "cur/max": each number right-aligned in `digits` glyphs and clamped to `limit`.
void DrawValuePair(int x, int y, int32_t value, int32_t maximum, int digits, int limit);

// Member m's walking picture at (x, y): healthy it walks (step from frame), with an
// ailment it stands facing away, down it stands in blue; both of the first two over a
// half-transparent black shadow. `frame` is any counter.
void DrawMemberPicture(int x, int y, int m, int frame);

// Where entry `index` of a two-column list scrolled to `scroll` is drawn; false when it
// is off the page.
bool ListEntryPosition(int index, int scroll, int* x, int* y);
// Where material n's picture is drawn.
void MaterialPosition(int n, int* x, int* y);

}  // namespace game

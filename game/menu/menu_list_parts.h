// What the list pages (long jump, save and load, shop, concoction) share: the page box,
// the list box and its rows, and a text line cut to a width.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "game/text/bitmap_font.h"

namespace game {

// The page box and the list box inside it.
inline constexpr int kMenuPageX1 = 40, kMenuPageY1 = 5, kMenuPageX2 = 280, kMenuPageY2 = 239;
inline constexpr int kMenuListX1 = 44, kMenuListY1 = 26, kMenuListX2 = 276, kMenuListY2 = 216;
inline constexpr int kMenuListRowY = 36, kMenuListRowStep = 16;
// The two columns of the bag's and the materials' lists.
inline constexpr int kBagColumnX[2] = {57, 173};

// Shift-JIS text on one line of at most `glyphs` glyphs.
inline void DrawSjisLine(int x, int y, int glyphs, std::string_view sjis) {
  std::array<uint8_t, kSjisTextBufferBytes> codes{};
  SjisToGlyphCodes(sjis, codes);
  TheBitmapFont.DrawGlyphCodes(x, y, glyphs, 1, codes);
}

}  // namespace game

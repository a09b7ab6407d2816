// Reading texts back from captured frames. The data folder's font sheet is replaced by one
// whose every cell is a solid colour of its own and the screen is set to 32 bits, so each
// glyph a frame shows (drawn in white) is an 8 x 8 block naming the cell it came from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/text/bitmap_font.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"
#include "tools/picture/picture_file.h"

namespace menutest {

inline constexpr int kSheetCells = 208;  // 26 x 8 cells of 8 x 8

inline nltools::Rgb CellColour(int cell) {
  return {static_cast<uint8_t>(16 + cell), 200, static_cast<uint8_t>(255 - cell)};
}

// The solid-cell sheet as system\letter.bmp, and settings for a 32-bit window.
inline bool UseSolidCellFont(const std::string& data) {
  nltools::Picture sheet(208, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 208; ++x) sheet.At(x, y) = CellColour(y / 8 * 26 + x / 8);
  return nltools::WriteBmp(data + "/system/letter.bmp", sheet) &&
         nltest::WriteFileBytes(data + "/system/nlconfig.inf", "NLCONFIG\n1\n1\n");
}

// The cell whose colour fills the place at (x, y) (its centre is read), or -1.
inline int CellAt(const nltest::Png& png, int x, int y) {
  const uint8_t* p = &png.rgb[(static_cast<size_t>(y + 4) * png.width + x + 4) * 3];
  const int cell = p[0] - 16;
  if (cell < 0 || cell >= kSheetCells) return -1;
  const nltools::Rgb c = CellColour(cell);
  return p[1] == c.g && p[2] == c.b ? cell : -1;
}

// The cells a text takes place by place: a blank is -1; a voicing mark gives its place
// to the next glyph (it is drawn raised over it).
inline std::vector<int> TextPlaces(std::string_view sjis) {
  std::vector<uint8_t> codes(sjis.size() * 2 + 1);
  codes.resize(game::SjisToGlyphCodes(sjis, codes));
  std::vector<int> places;
  for (uint8_t c : codes) {
    if (c == game::kGlyphBlank) places.push_back(-1);
    if (c == game::kGlyphVoicedMark || c == game::kGlyphSemiVoicedMark) continue;
    if (game::GlyphCellOfCode(c) >= 0) places.push_back(game::GlyphCellOfCode(c));
  }
  return places;
}

// The cells read at the places of `count` glyphs from (x, y).
inline std::vector<int> CellsAt(const nltest::Png& png, int x, int y, int count) {
  std::vector<int> cells;
  for (int i = 0; i < count; ++i) cells.push_back(CellAt(png, x + 8 * i, y));
  return cells;
}

// The text stands at (x, y), and the place after it holds no glyph.
inline bool ShowsText(const nltest::Png& png, int x, int y, std::string_view sjis) {
  std::vector<int> want = TextPlaces(sjis);
  want.push_back(-1);
  return CellsAt(png, x, y, static_cast<int>(want.size())) == want;
}

}  // namespace menutest

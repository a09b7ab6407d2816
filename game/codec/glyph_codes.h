// The game's one-byte text: Shift-JIS converted into the glyph codes of the 8 x 8 font
// sheet. Item, enemy and map names and script messages are stored already converted, so
// the game state, the text drawing and the host tools share this encoding.
//
// Codes: 0 ends the text, 1 is a blank, 5 a line break, codes 48 and up name a cell of
// the font sheet (26 x 8 cells of 8 x 8 pixels, read row by row), other codes below 48
// draw nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace game {

// The font sheet the codes index.
inline constexpr int kGlyphSheetColumns = 26;
inline constexpr int kGlyphSheetRows = 8;
inline constexpr int kGlyphCellSize = 8;                                      // pixels a side
inline constexpr int kGlyphCellCount = kGlyphSheetColumns * kGlyphSheetRows;  // 208

// Glyph codes with a meaning of their own.
inline constexpr uint8_t kGlyphEnd = 0;
inline constexpr uint8_t kGlyphBlank = 1;  // advances 8 pixels, not at a line's start
inline constexpr uint8_t kGlyphLineBreak = 5;
inline constexpr uint8_t kGlyphFirstCellCode = 48;  // code of cell 0, the digit "0"
inline constexpr uint8_t kGlyphVoicedMark = 58;     // drawn raised over the next glyph
inline constexpr uint8_t kGlyphSemiVoicedMark = 59;
inline constexpr uint8_t kGlyphComma = 60;  // 60, 61, 69, 70 may hang past the width
inline constexpr uint8_t kGlyphFullStop = 61;
inline constexpr uint8_t kGlyphOpenQuote = 66;  // indents the wrapped lines after it
inline constexpr uint8_t kGlyphAsciiComma = 69;
inline constexpr uint8_t kGlyphAsciiFullStop = 70;
inline constexpr uint8_t kGlyphMinus = 164;        // a number's sign
inline constexpr uint8_t kGlyphRaisedKanji = 242;  // drawn raised over the next glyph
// Codes 229 and up skip cell 181, so the last code, 255, points past the sheet.
inline constexpr uint8_t kGlyphFirstShiftedCode = 229;

// The sheet cell that glyph code `code` draws, or -1 when it draws none.
constexpr int GlyphCellOfCode(int code) {
  if (code < kGlyphFirstCellCode || code > 255) return -1;
  int cell = code < kGlyphFirstShiftedCode ? code - kGlyphFirstCellCode : code - 47;
  return cell < kGlyphCellCount ? cell : -1;
}

// Converts Shift-JIS text, up to its first NUL, into glyph codes in out, NUL-terminated
// (nothing is written when out is empty). Returns the number of codes before the NUL.
// The room is bounded: the conversion stops where it ends, never between a voicing mark
// and its kana.
int SjisToGlyphCodes(std::string_view text, std::span<uint8_t> out);

}  // namespace game

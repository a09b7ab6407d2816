// The 8 x 8 bitmap font in which all game text is drawn, and the compose buffer in which
// messages are built from pieces.
//
// Text is Shift-JIS, converted once into the glyph codes of game/codec/glyph_codes.h.
//
// Texts and names come from data files, so every buffer here is bounded: conversions and
// appends stop where the room ends (never between a voicing mark and its kana), and code
// spans end at their first 0 or at their end, whichever comes first.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "game/codec/glyph_codes.h"

namespace game {

inline constexpr int kGlyphGraphSlots = 256;  // room in the handle table; 208 are used

// Buffers.
inline constexpr int kComposeBufferBytes = 512;   // compose buffer, NUL included
inline constexpr int kSjisTextBufferBytes = 256;  // DrawSjisText's converted text
inline constexpr int kSjisTextWidth = 50;         // DrawSjisText and DrawNumber: glyphs a line
inline constexpr int kSjisTextLineLimit = 999;    // DrawSjisText: lines

// Draws one glyph cell at (x, y), transparent; graph is the cell's graph handle (-1
// until a sheet is loaded). The default draws the cell's graph with DrawGraph.
using GlyphDrawHook = void (*)(int x, int y, int cell, int graph);
// Loads a sheet as `LoadDivGraphFlag` does: file, allNum, xNum, yNum, w, h, handles
// (allNum entries, filled), notUse3D; 0 or -1. The default is LoadDivGraphFlag.
using GlyphSheetLoader = int (*)(const char* file, int allNum, int xNum, int yNum, int w, int h, int* handles,
                                 int notUse3D);

// Replace the glyph drawing and the sheet loading (tests watch them); null puts the
// default back.
void SetGlyphDrawHook(GlyphDrawHook hook);
void SetGlyphSheetLoader(GlyphSheetLoader loader);

class BitmapFont {
 public:
  BitmapFont();
  virtual ~BitmapFont() = default;

  // Loads font sheet n: 0 "system\letter.bmp", 1..9 "system\font_0n.png" (any other n
  // counts as 0); a numbered sheet that fails falls back to the standard one. 0, or -1
  // when no sheet loaded.
  int LoadBitmapFont(int n);

  // Draws codes from (x, y), wrapping after `width` glyphs (a comma or full stop may hang
  // one place further) onto lines 16 pixels apart, at most lineLimit lines.
  void DrawGlyphCodes(int x, int y, int width, int lineLimit, std::span<const uint8_t> codes) const;
  // Converts text (at most 255 codes) and draws it 50 glyphs wide, 999 lines at most.
  void DrawSjisText(int x, int y, std::string_view text) const;
  // Draws value clamped to min..max (max only when max >= 1) in decimal, right-aligned in
  // width glyphs, or padded with "0" digits when zeroPad is set and width is not 0.
  void DrawNumber(int x, int y, int value, int width, int max, int min, int zeroPad) const;

  // The compose buffer: messages built from Shift-JIS pieces, glyph-code names and
  // numbers. Appends stop when the buffer is full (511 codes).
  void ComposeClear();
  void ComposeAddSjis(std::string_view text);
  void ComposeAddCodes(std::span<const uint8_t> codes);
  // Decimal digits, a negative number led by "-"; a number that does not fit is left out.
  void ComposeAddNumber(int n);
  // Copies the buffer into out, NUL-terminated, cut to out's size.
  void ComposeGet(std::span<uint8_t> out) const;

 private:
  // The one place where a glyph reaches the screen: the cell of code at (x, y).
  void DrawGlyph(int x, int y, int code) const;
  // The free room of the compose buffer, its NUL included.
  std::span<uint8_t> ComposeRoom();

  std::array<int, kGlyphGraphSlots> glyph_graphs_;             // graph per sheet cell, -1 none
  std::array<uint8_t, kComposeBufferBytes> compose_buffer_{};  // glyph codes, NUL-terminated
};

// The game's one bitmap font.
extern BitmapFont TheBitmapFont;

}  // namespace game

// Fonts of the drawing interface: making a font, its metrics, text extents, text output
// onto palette-index bitmaps and 4-bit grey glyph outlines.
//
// Faces: a face name (Shift-JIS, as the library holds it) is looked up through fontconfig
// with the Japanese language; a match that cannot show Japanese text, a missing name and
// the empty name all give the default face, IPA Gothic, which is fixed-pitch (full-width
// characters advance twice as far as half-width ones). The font's height is its pixel size.
//
// Rendering goes through FreeType. A weight of kBoldWeight or more thickens the strokes
// without changing any advance, so a fixed-pitch face stays fixed-pitch. Text output
// writes palette indices and cannot blend: a kNonAntialiasedQuality font renders it mono,
// any other quality renders grey and keeps the pixels of at least half coverage. Grey
// glyph outlines are always grey: 8-bit coverage quantised to levels 0..16.
//
// Characters are Shift-JIS: a lead byte and the byte after it form one character, any other
// byte is one. A character the face lacks, one the code page cannot convert and a lone lead
// byte at the end of the text are empty glyphs: nothing is drawn for them and they advance
// by the width of a space per byte. They are not errors.
//
// Not thread-safe: the main thread makes and uses every font.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace plat::gdi {

// Character sets a font may ask for; both give the same Japanese faces here.
constexpr int kDefaultCharset = 1;
constexpr int kShiftJisCharset = 128;

// Qualities.
constexpr int kDefaultQuality = 0;
constexpr int kDraftQuality = 1;
constexpr int kProofQuality = 2;
constexpr int kNonAntialiasedQuality = 3;
constexpr int kAntialiasedQuality = 4;

constexpr int kBoldWeight = 600;  // from this weight on the strokes are thickened
constexpr int kMaxWeight = 1000;
constexpr int kMaxFontHeight = 1024;      // pixels
constexpr size_t kMaxFaceNameBytes = 31;  // longer names are refused

struct Font;  // opaque

// Makes a font `height` pixels high (1..kMaxFontHeight) of weight 0..kMaxWeight (0 = 400).
// face: null or empty for the default face. Null when an argument is out of range, no face
// can be loaded, or a test refuses it.
Font* CreateFont(int height, int weight, int charset, int quality, const char* face);
void DeleteFont(Font* font);  // null is ignored

struct TextMetrics {
  int height = 0;  // ascent + descent = the font's height
  int ascent = 0;  // baseline from the top of a line
  int descent = 0;
  int ave_char_width = 0;  // advance of a half-width character ("x")
  int max_char_width = 0;  // the widest advance of the face
  int weight = 0;
};
bool GetTextMetrics(const Font* font, TextMetrics* out);

struct Size {
  int cx = 0;
  int cy = 0;
};
// cx = the sum of the characters' advances, cy = the font's height (0 x height for "").
bool GetTextExtent(const Font* font, std::string_view text, Size* out);

// A top-down device-independent bitmap of 1 or 8 bits per pixel in memory the caller owns.
// In 1-bit rows the most significant bit is the leftmost pixel.
struct Dib {
  uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;      // bytes per row, at least width x bits / 8 rounded up
  int bit_count = 0;  // 1 or 8
};

struct TextColors {
  uint8_t text = 1;        // palette index of the glyph pixels
  uint8_t background = 0;  // palette index of the background box
  bool opaque = true;      // fill the text's extent box with the background first
};

// Draws text with its top-left corner at (x, y). Every write stays inside both the bitmap
// and the text's extent box (x, y)-(x + cx, y + cy), so text drawn into one cell of a
// bitmap never touches its neighbours. On a 1-bit bitmap only bit 0 of an index counts.
// False for a bad font or bitmap.
bool TextOut(const Font* font, const Dib& target, int x, int y, std::string_view text, const TextColors& colors);

// A glyph's box of ink and where it sits: origin_x is the box's left edge from the pen,
// origin_y its top edge above the baseline; advance is the pen's move.
struct GlyphMetrics {
  uint32_t black_box_x = 0;
  uint32_t black_box_y = 0;
  int origin_x = 0;
  int origin_y = 0;
  int advance_x = 0;
  int advance_y = 0;
};

// The 4-bit grey outline of one character: code is the byte, or lead byte x 256 + trail
// byte. The bitmap has black_box_y rows of black_box_x bytes, each row padded to 4 bytes,
// levels 0..16. With an empty buffer only the size is reported. Returns the bitmap's size
// in bytes (0 for an empty glyph, whose box is 0 x 0), or -1 for a bad font, a code above
// 0xFFFF or a buffer too small.
int64_t GetGlyphOutlineGray4(const Font* font, uint32_t code, GlyphMetrics* metrics, std::span<uint8_t> buffer);

namespace test {
// The next `count` CreateFont calls (-1: every call) return null.
void RefuseFontCreations(int count);
int LiveFontCount();
// Clears the refusals. Fonts still alive stay valid.
void ResetFonts();
}  // namespace test

}  // namespace plat::gdi

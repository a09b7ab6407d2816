// The glyph cache of a font handle: rendering characters into its cells, and measuring or
// drawing Shift-JIS strings from the cells onto a locked surface with a colour, an edge
// colour and (for anti-aliased fonts) a coverage byte per pixel in a mask buffer.
//
// Cache pixels by type: 0, one bit (1 = glyph); 1, one byte (3 = glyph, 1 = edge); 2, one
// byte of coverage 0..255; 3, two bytes: glyph coverage, then edge coverage.
#pragma once

#include <cstdint>

#include "platform/surface/surface.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/color_value.h"

namespace vexal {

inline constexpr int kFontCharRecordBytes = 3;  // one or two bytes of a character, zero-padded
inline constexpr int kFontStringScanMax = 256;  // bytes of a string looked at
inline constexpr int kFontAddBatchMax = 256;    // characters added in one batch

// The 16-bit lookup code of a character: first byte low, second byte (0 for one) high.
constexpr int FontCharCode(uint8_t first, uint8_t second) { return first | (second << 8); }

struct FontStringSize {
  int cx = 0;
  int cy = 0;
};

// Renders count characters (3-byte records) into the cache, each into the next entry in
// round-robin order, evicting what that entry held. The entry of the last one; null while
// drawing is suspended or without the device; a bad handle ends the program.
FontCacheEntry* FontCacheCharAddToHandle(int count, const uint8_t* chars, int handle);

// Measures (draw 0) or draws a string of at most 256 bytes (length -1: up to its end) at
// (x, y) onto surface, clipped to clip and to the surface. Destination pixels are
// dest_bits wide (8, 16 or 32); mask, when not null, is one byte per surface pixel, written
// by the anti-aliased types. transparent 0 writes the background of every glyph cell as 0.
// vertical 0 advances along x. The width (the height when vertical); size gets both.
int FontCacheStringDrawToHandle(int draw, int x, int y, const char* text, ColorValue color,
                                plat::surface::Surface* surface, uint8_t* mask, int mask_pitch, const Rect* clip,
                                int dest_bits, int transparent, int handle, ColorValue edge_color, int length,
                                int vertical, FontStringSize* size);
// The string's width (height when vertical).
int MeasureFontString(const char* text, int length, int handle, int vertical);

// The glyph-pixel rules on one pixel, kept apart so a test can check them without a font:
// writes the destination pixel (and *mask when not null) for a cache pixel of the given
// type. glyph and edge are the cache values (type 0: glyph 0/1; type 1: the byte in glyph;
// types 2, 3: coverages). 16-bit pixels mix per channel in format's layout.
void FontPutPixel(int type, int dest_bits, const ColorFormatRecord& format, uint8_t glyph, uint8_t edge,
                  ColorValue color, ColorValue edge_color, int transparent, uint8_t* pixel, uint8_t* mask);

}  // namespace vexal

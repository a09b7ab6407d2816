// How the bits of one pixel of a surface or display mode hold its colour. The library
// turns this into its own colour-format record; the platform knows nothing of that.
//
// Surfaces hold 8-bit palette indices, or 16- or 32-bit pixels described by channel
// masks. A 24-bit format can be described (a desktop may have one) but no surface takes
// it. A non-zero fourcc names a packed video format, which nothing here supports.
#pragma once

#include <cstdint>
#include <span>

namespace plat {

struct PixelFormat {
  uint8_t bit_count = 0;    // 8, 16, 24 or 32
  bool palettised = false;  // 8-bit indices into a palette; the masks are then 0
  uint32_t red_mask = 0;
  uint32_t green_mask = 0;
  uint32_t blue_mask = 0;
  uint32_t alpha_mask = 0;
  uint32_t fourcc = 0;

  friend bool operator==(const PixelFormat&, const PixelFormat&) = default;
};

// One palette colour; flags are stored and never read.
struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t flags = 0;

  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

constexpr int kPaletteSize = 256;

constexpr PixelFormat kFormatPalette8{8, true, 0, 0, 0, 0, 0};
constexpr PixelFormat kFormatRgb565{16, false, 0xF800, 0x07E0, 0x001F, 0, 0};
constexpr PixelFormat kFormatRgb555{16, false, 0x7C00, 0x03E0, 0x001F, 0, 0};
constexpr PixelFormat kFormatXrgb8888{32, false, 0x00FF0000, 0x0000FF00, 0x000000FF, 0, 0};
constexpr PixelFormat kFormatRgb888{24, false, 0x00FF0000, 0x0000FF00, 0x000000FF, 0, 0};

// Bytes of one pixel (bit_count / 8).
inline int BytesPerPixel(const PixelFormat& format) { return format.bit_count / 8; }

// True for the formats a surface can take: 8-bit palettised, or 16 or 32 bits whose
// masks fit the pixel and do not overlap (masks may all be 0, e.g. a depth buffer).
bool IsSurfaceFormat(const PixelFormat& format);

// Red, green and blue bytes of a raw pixel. Each channel field v of width w becomes
// v * 255 / (2^w - 1), truncated; a missing channel is 0. A palettised pixel takes its
// palette entry, or the grey (i, i, i) when there is no palette.
void PixelToRgb(const PixelFormat& format, uint32_t pixel, const PaletteEntry* palette, uint8_t rgb[3]);

// Converts one row of width pixels to packed R, G, B bytes (3 x width), by the same rule.
void RowToRgb(const PixelFormat& format, const uint8_t* row, int width, const PaletteEntry* palette, uint8_t* rgb_out);

}  // namespace plat

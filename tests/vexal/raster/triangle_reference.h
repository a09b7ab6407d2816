// A slow reference for the filled one-colour triangle on a 32-bit screen: the pixels of
// the 14.18 edge walk (vertices at pixel centres, coordinates truncated toward zero, the
// bottom row left out) and the flat-colour blend worked channel by channel, with the
// brightness applied twice (once by the frame, once more by the rasteriser).
#pragma once

#include <cstdint>
#include <vector>

#include "shape_draw_fixture.h"

namespace shapetest {
namespace triangleref {

inline constexpr int64_t kUnit = 262144;  // 14.18 fixed point: units a pixel
struct Corner {
  int x, y;
};

// Corners given top, middle, bottom, the middle one right of the long edge, and every edge
// a whole number of units a row, or near enough that no row end crosses a pixel.
struct Triangle {
  Corner top, mid, bottom;
};

inline int64_t Units(int v) { return v * kUnit + kUnit / 2; }
inline int Pixel(int64_t units) { return static_cast<int>(units / kUnit); }  // toward zero

// Draw pixels the walk covers: for each row, its first and last column.
struct Row {
  int y, left, right;
};
inline std::vector<Row> Covered(const Triangle& t) {
  const int rows_all = t.bottom.y - t.top.y, rows1 = t.mid.y - t.top.y, rows2 = t.bottom.y - t.mid.y;
  std::vector<Row> out;
  for (int k = 0; k < rows_all; ++k) {
    const int64_t left = Units(t.top.x) + (Units(t.bottom.x) - Units(t.top.x)) * k / rows_all;
    const int64_t right = k < rows1
                              ? Units(t.top.x) + (Units(t.mid.x) - Units(t.top.x)) * k / rows1
                              : Units(t.mid.x) + 1 + (Units(t.bottom.x) - Units(t.mid.x) - 1) * (k - rows1) / rows2;
    out.push_back({Pixel(Units(t.top.y)) + k, Pixel(left), Pixel(right)});
  }
  return out;
}

inline uint32_t Channel(uint32_t v, int shift) { return (v >> shift) & 0xFF; }

// The flat-colour pixel over old pixel d, in XRGB.
inline uint32_t Blend(uint32_t d, uint32_t color, const Look& look) {
  uint32_t c = 0;  // the colour after both brightness passes
  for (int shift : {16, 8, 0}) {
    uint32_t ch = Channel(color, shift);
    if (look.bright != vexal::kBrightNone) {
      const uint32_t b = Channel(look.bright, shift == 16 ? 8 : shift == 8 ? 16 : 24);
      ch = ch * b / 255;   // the frame's colour preparation
      ch = (ch * b) >> 8;  // the rasteriser's
    }
    c |= ch << shift;
  }
  const uint32_t p = static_cast<uint32_t>(look.param);
  if (look.mode == 0 || (look.mode == 1 && p == 255)) return c;
  if (p == 0) return d;
  uint32_t k = 0;  // the colour times p
  for (int shift : {16, 8, 0}) k |= ((Channel(c, shift) * p) >> 8) << shift;
  if (look.mode == 1) {
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) out |= (Channel(k, shift) + ((Channel(d, shift) * (255 - p)) >> 8)) << shift;
    return out;
  }
  if (look.mode == 2) {
    const uint32_t sum = (d & 0xFEFEFF) + (k & 0xFEFEFF);
    const uint32_t cy = sum & 0x1010100;
    return sum | (cy - (cy >> 8)) | ((d | k) & 0x10100);
  }
  const uint32_t t = (d | 0x1010100) - (k & 0xFEFEFF);
  const uint32_t b = t & 0x1010100;
  return t & (b - (b >> 8));
}

}  // namespace triangleref
}  // namespace shapetest

// Reading the back screen of the software device as named colours.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/surface/pixel_format.h"
#include "platform/surface/surface.h"
#include "vexal/graphics/screen/screen_access.h"

namespace d3dtest {

namespace ps = plat::surface;

// Colours are named by three bits (red 4, green 2, blue 1) and written with full channels,
// so that every pixel format keeps them exactly.
inline uint32_t Compose(const plat::PixelFormat& f, int id) {
  return ((id & 4) != 0 ? f.red_mask : 0) | ((id & 2) != 0 ? f.green_mask : 0) | ((id & 1) != 0 ? f.blue_mask : 0) |
         f.alpha_mask;
}

inline int Decompose(const plat::PixelFormat& f, uint32_t p) {
  return ((p & f.red_mask) == f.red_mask ? 4 : 0) | ((p & f.green_mask) == f.green_mask ? 2 : 0) |
         ((p & f.blue_mask) == f.blue_mask ? 1 : 0);
}

inline uint32_t Read(const ps::LockedRect& l, int x, int y) {
  uint32_t v = 0;
  std::memcpy(&v, l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * (l.format.bit_count / 8), l.format.bit_count / 8);
  return v;
}

// The back screen's colours over a rectangle, row by row.
inline std::vector<std::vector<int>> Screen(int x0, int y0, int w, int h) {
  ps::Surface* s = vexal::GetBackSurface();
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  std::vector<std::vector<int>> out(static_cast<size_t>(h), std::vector<int>(static_cast<size_t>(w)));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      out[static_cast<size_t>(y)][static_cast<size_t>(x)] = Decompose(l.format, Read(l, x0 + x, y0 + y));
  }
  ps::Unlock(s);
  return out;
}

// The back screen all black.
inline void ClearScreen() {
  ps::Surface* s = vexal::GetBackSurface();
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  for (int y = 0; y < l.height; ++y) {
    std::memset(l.bits + static_cast<ptrdiff_t>(y) * l.pitch, 0,
                static_cast<size_t>(l.width * (l.format.bit_count / 8)));
  }
  ps::Unlock(s);
}

using PixelSet = std::set<std::pair<int, int>>;

// The places of the back screen's pixels that are not black.
inline PixelSet LitPixels() {
  ps::Surface* s = vexal::GetBackSurface();
  ps::LockedRect l;
  PixelSet out;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  const uint32_t colour = l.format.red_mask | l.format.green_mask | l.format.blue_mask;
  for (int y = 0; y < l.height; ++y) {
    for (int x = 0; x < l.width; ++x) {
      if ((Read(l, x, y) & colour) != 0) out.insert({x, y});
    }
  }
  ps::Unlock(s);
  return out;
}

// The back screen row by row, 1 where a pixel is not black: cheaper than a set where most
// of the screen is lit.
struct LitMask {
  int width = 0;
  std::vector<uint8_t> lit;
};

inline LitMask LitScreen() {
  ps::Surface* s = vexal::GetBackSurface();
  ps::LockedRect l;
  LitMask out;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  const uint32_t colour = l.format.red_mask | l.format.green_mask | l.format.blue_mask;
  out.width = l.width;
  out.lit.reserve(static_cast<size_t>(l.width) * static_cast<size_t>(l.height));
  for (int y = 0; y < l.height; ++y) {
    for (int x = 0; x < l.width; ++x) out.lit.push_back((Read(l, x, y) & colour) != 0 ? 1 : 0);
  }
  ps::Unlock(s);
  return out;
}

// "" when both are the same, else how many pixels differ and the first of them.
inline std::string LitDifference(const LitMask& got, const LitMask& want) {
  if (got.lit.size() != want.lit.size() || got.width != want.width) return "sizes differ";
  size_t n = 0, first = 0;
  for (size_t i = 0; i < got.lit.size(); ++i) {
    if (got.lit[i] != want.lit[i] && n++ == 0) first = i;
  }
  if (n == 0) return "";
  const int w = want.width;
  return std::to_string(n) + " pixels differ, first at (" + std::to_string(static_cast<int>(first) % w) + ", " +
         std::to_string(static_cast<int>(first) / w) + "), wanted " + std::to_string(want.lit[first]);
}

}  // namespace d3dtest

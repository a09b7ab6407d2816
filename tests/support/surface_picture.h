// A surface's pixels read into (and written back from) one uint32_t each, so that raster
// tests compare pictures whatever the pixel size: the whole surface, or the area round a
// draw with the rest of the surface held byte for byte to what it was.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/surface/surface.h"

namespace nltest {

// A rectangle of a surface: columns x0 .. x1 - 1 of rows y0 .. y1 - 1.
struct Area {
  int x0, y0, x1, y1;
};

// Pixels of a surface, w x h from (x0, y0): at() takes the surface's coordinates.
struct Picture {
  int w = 0, h = 0, bytes = 0;
  std::vector<uint32_t> px;
  int x0 = 0, y0 = 0;
  uint32_t& at(int x, int y) { return px[static_cast<size_t>(y - y0) * w + (x - x0)]; }
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y - y0) * w + (x - x0)]; }
  bool operator==(const Picture& o) const {
    return w == o.w && h == o.h && bytes == o.bytes && x0 == o.x0 && y0 == o.y0 && px.size() == o.px.size() &&
           (px.empty() || std::memcmp(px.data(), o.px.data(), px.size() * sizeof(uint32_t)) == 0);
  }
};

// The pixels of an area of the surface, cut to the surface.
inline Picture Read(plat::surface::Surface* s, Area a) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  a = {std::max(a.x0, 0), std::max(a.y0, 0), std::min(a.x1, l.width), std::min(a.y1, l.height)};
  Picture p{std::max(a.x1 - a.x0, 0), std::max(a.y1 - a.y0, 0), l.format.bit_count / 8, {}, a.x0, a.y0};
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  for (int y = 0; y < p.h && p.w > 0; ++y) {
    const uint8_t* row = l.bits + (a.y0 + y) * l.pitch + a.x0 * p.bytes;
    uint32_t* out = p.px.data() + static_cast<size_t>(y) * p.w;
    if (p.bytes == 4) {
      std::memcpy(out, row, static_cast<size_t>(p.w) * 4);
    } else if (p.bytes == 2) {
      for (int x = 0; x < p.w; ++x) out[x] = static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
    } else {
      for (int x = 0; x < p.w; ++x) out[x] = row[x];
    }
  }
  ps::Unlock(s);
  return p;
}

// The whole surface.
inline Picture Read(plat::surface::Surface* s) { return Read(s, {0, 0, INT_MAX, INT_MAX}); }

// The picture written back where it was read.
inline void Write(plat::surface::Surface* s, const Picture& p) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  for (int y = p.y0; y < p.y0 + p.h; ++y)
    for (int x = p.x0; x < p.x0 + p.w; ++x) {
      const uint32_t v = p.at(x, y);
      std::memcpy(l.bits + y * l.pitch + x * p.bytes, &v, p.bytes);
    }
  ps::Unlock(s);
}

// The surface's rows as they are (their pixels' bytes, no padding), to hold it to later.
inline std::vector<uint8_t> Bytes(plat::surface::Surface* s) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  const size_t row = static_cast<size_t>(l.width) * (l.format.bit_count / 8);
  std::vector<uint8_t> out(row * l.height);
  for (int y = 0; y < l.height; ++y) std::memcpy(out.data() + row * y, l.bits + y * l.pitch, row);
  ps::Unlock(s);
  return out;
}

// Whether the surface still holds the bytes of Bytes() everywhere outside the area; where
// it does not, the first pixel that changed.
inline ::testing::AssertionResult UnchangedOutside(plat::surface::Surface* s, const std::vector<uint8_t>& before,
                                                   Area a) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  const int bytes = l.format.bit_count / 8;
  const size_t row = static_cast<size_t>(l.width) * bytes;
  a = {std::clamp(a.x0, 0, l.width), std::clamp(a.y0, 0, l.height), std::clamp(a.x1, 0, l.width),
       std::clamp(a.y1, 0, l.height)};
  int changed_x = -1, changed_y = -1;
  for (int y = 0; y < l.height && changed_y < 0; ++y) {
    const uint8_t* now = l.bits + y * l.pitch;
    const uint8_t* was = before.data() + row * y;
    const bool inside = y >= a.y0 && y < a.y1 && a.x0 < a.x1;
    // The row whole, or its parts left and right of the area.
    const int spans[2][2] = {{0, inside ? a.x0 : l.width}, {inside ? a.x1 : l.width, l.width}};
    for (const auto& span : spans) {
      const size_t from = static_cast<size_t>(span[0]) * bytes, to = static_cast<size_t>(span[1]) * bytes;
      if (from >= to || std::memcmp(now + from, was + from, to - from) == 0) continue;
      for (int x = span[0]; x < span[1] && changed_y < 0; ++x)
        if (std::memcmp(now + x * bytes, was + x * bytes, bytes) != 0) changed_x = x, changed_y = y;
    }
  }
  ps::Unlock(s);
  if (changed_y < 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << changed_x << ", " << changed_y << ") outside (" << a.x0 << ", "
                                       << a.y0 << ")-(" << a.x1 << ", " << a.y1 << ") changed";
}

// Every byte of the surface from a cheap generator of its own, so that scratch surfaces hold
// nothing a drawer could mistake for pixels it copied there itself. Returns the next seed.
inline uint32_t FillWithNoise(plat::surface::Surface* s, uint32_t seed) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const size_t row_bytes = static_cast<size_t>(l.width) * (l.format.bit_count / 8);
  const size_t count = (row_bytes + 7) / 8;
  std::vector<uint64_t> words(count);
  uint64_t* w = words.data();
  uint64_t x = seed | 1;
  for (int y = 0; y < l.height; ++y) {
    for (size_t i = 0; i < count; ++i) {
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;  // xorshift64
      w[i] = x;
    }
    std::memcpy(l.bits + y * l.pitch, w, row_bytes);
  }
  ps::Unlock(s);
  return static_cast<uint32_t>(x ^ (x >> 32));
}

}  // namespace nltest

// A surface's pixels read into (and written back from) one uint32_t each, so that raster
// tests compare whole pictures whatever the pixel size.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/surface/surface.h"

namespace nltest {

struct Picture {
  int w = 0, h = 0, bytes = 0;
  std::vector<uint32_t> px;
  uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  bool operator==(const Picture& o) const {
    return w == o.w && h == o.h && bytes == o.bytes && px.size() == o.px.size() &&
           std::memcmp(px.data(), o.px.data(), px.size() * sizeof(uint32_t)) == 0;
  }
};

inline Picture Read(plat::surface::Surface* s) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  Picture p{l.width, l.height, l.format.bit_count / 8, {}};
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  for (int y = 0; y < p.h; ++y) {
    const uint8_t* row = l.bits + y * l.pitch;
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

inline void Write(plat::surface::Surface* s, const Picture& p) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const uint32_t v = p.at(x, y);
      std::memcpy(l.bits + y * l.pitch + x * p.bytes, &v, p.bytes);
    }
  ps::Unlock(s);
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

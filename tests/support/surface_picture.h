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
  bool operator==(const Picture&) const = default;
};

inline Picture Read(plat::surface::Surface* s) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  Picture p{l.width, l.height, l.format.bit_count / 8, {}};
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) std::memcpy(&p.at(x, y), l.bits + y * l.pitch + x * p.bytes, p.bytes);
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

}  // namespace nltest

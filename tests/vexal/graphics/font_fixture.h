// A started library for the font tests, with helpers to read a font's cache cells and to
// make plain memory surfaces to draw strings onto.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/surface/surface.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/fonts/font_cache.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace fonttest {

namespace ps = plat::surface;

class FontTest : public screentest::ScreenTest {
 protected:
  void TearDown() override {
    for (ps::Surface* s : surfaces_) ps::ReleaseSurface(s);
    screentest::ScreenTest::TearDown();
  }
  // A w x h system-memory surface of the format, every byte `fill`.
  ps::Surface* MakeSurface(int w, int h, const plat::PixelFormat& format, uint8_t fill = 0) {
    ps::SurfaceDesc desc;
    desc.caps = ps::kCapsSystemMemory;
    desc.width = w;
    desc.height = h;
    desc.format = format;
    ps::Surface* s = nullptr;
    EXPECT_EQ(ps::CreateSurface(vexal::GetDirectDrawObject(), desc, &s), ps::Result::kOk);
    surfaces_.push_back(s);
    ps::LockedRect l;
    ps::Lock(s, nullptr, ps::kLockWait, &l);
    for (int y = 0; y < h; ++y)
      std::memset(l.bits + y * l.pitch, fill, static_cast<size_t>(l.width * format.bit_count / 8));
    ps::Unlock(s);
    return s;
  }
  // Pixel (x, y) of a 16- or 32-bit surface.
  static uint32_t Pixel(ps::Surface* s, int x, int y) { return screentest::SurfacePixel(s, x, y); }
  // Cache byte (or bit, for type 0) of pixel (x, y) of a cell; plane 1 is type 3's edge.
  static int CacheValue(vexal::FontRecord* f, int cell, int x, int y, int plane = 0) {
    const uint8_t* row = f->CellBits(cell) + y * f->CachePitch;
    if (f->CacheBitCount == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    return row[x * (f->CacheBitCount / 8) + plane];
  }

  std::vector<ps::Surface*> surfaces_;
};

}  // namespace fonttest

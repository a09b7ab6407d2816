// The specialised pixel loops against the plain reference loops, on random pictures and
// on overlapping rectangles of one buffer in every direction.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/surface_copy.h"

namespace {

namespace ps = plat::surface;

TEST(SurfaceCopyLoops, MatchTheReferenceForEveryPixelSizeKeyAndOverlap) {
  std::mt19937 rng(20240601);
  constexpr int kW = 23, kH = 17;
  for (int bpp : {1, 2, 4}) {
    const int32_t pitch = kW * bpp + 5;  // rows that are not whole pixels apart
    for (int trial = 0; trial < 200; ++trial) {
      std::vector<uint8_t> buffer(static_cast<size_t>(pitch) * kH);
      // Few distinct values, so the key hits often.
      for (auto& b : buffer) b = static_cast<uint8_t>(rng() % 3);
      const int w = 1 + static_cast<int>(rng() % 12), h = 1 + static_cast<int>(rng() % 10);
      const int sx = static_cast<int>(rng() % (kW - w + 1)), sy = static_cast<int>(rng() % (kH - h + 1));
      const int dx = static_cast<int>(rng() % (kW - w + 1)), dy = static_cast<int>(rng() % (kH - h + 1));
      const bool keyed = rng() % 2 == 0;
      uint32_t key = 0;
      for (int i = 0; i < bpp; ++i) key |= (rng() % 3) << (8 * i);
      key |= 0xAB000000u & (bpp < 4 ? 0xFF000000u : 0);  // bytes above the pixel are ignored

      std::vector<uint8_t> fast = buffer, slow = buffer;
      auto at = [&](std::vector<uint8_t>& b, int x, int y) { return b.data() + y * pitch + x * bpp; };
      ps::CopyPixels(at(fast, dx, dy), pitch, at(fast, sx, sy), pitch, w, h, bpp,
                     keyed ? &key : nullptr);
      ps::ReferenceCopyPixels(at(slow, dx, dy), pitch, at(slow, sx, sy), pitch, w, h, bpp,
                              keyed ? &key : nullptr);
      ASSERT_EQ(fast, slow) << "bpp " << bpp << " trial " << trial << " from " << sx << "," << sy
                            << " to " << dx << "," << dy << " size " << w << "x" << h
                            << (keyed ? " keyed" : "");
    }
  }
}

TEST(SurfaceCopyLoops, FillMatchesTheReference) {
  for (int bpp : {1, 2, 4}) {
    const int32_t pitch = 9 * bpp + 3;
    std::vector<uint8_t> fast(static_cast<size_t>(pitch) * 5, 0xEE), slow = fast;
    ps::FillPixels(fast.data() + pitch + bpp, pitch, 7, 3, bpp, 0x89ABCDEF);
    ps::ReferenceFillPixels(slow.data() + pitch + bpp, pitch, 7, 3, bpp, 0x89ABCDEF);
    EXPECT_EQ(fast, slow) << bpp;
    EXPECT_EQ(fast[pitch + bpp], 0xEF);
    EXPECT_EQ(fast[0], 0xEE);
  }
}

}  // namespace

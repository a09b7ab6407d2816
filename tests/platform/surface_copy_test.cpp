// The specialised pixel loops against the plain reference loops, on random pictures and
// on overlapping rectangles of one buffer in every direction.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/surface/surface_copy.h"

namespace {

namespace ps = plat::surface;

constexpr int kW = 23, kH = 17;

struct Trial {
  int w, h, sx, sy, dx, dy;
  bool keyed;
  uint32_t key;
};

Trial RandomTrial(std::mt19937& rng, int bpp) {
  Trial t;
  t.w = 1 + static_cast<int>(rng() % 12);
  t.h = 1 + static_cast<int>(rng() % 10);
  t.sx = static_cast<int>(rng() % (kW - t.w + 1));
  t.sy = static_cast<int>(rng() % (kH - t.h + 1));
  t.dx = static_cast<int>(rng() % (kW - t.w + 1));
  t.dy = static_cast<int>(rng() % (kH - t.h + 1));
  t.keyed = rng() % 2 == 0;
  t.key = 0;
  for (int i = 0; i < bpp; ++i) t.key |= (rng() % 3) << (8 * i);
  if (bpp < 4) t.key |= 0xAB000000u;  // bytes above the pixel are ignored
  return t;
}

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n) {
  std::vector<uint8_t> b(n);
  for (auto& v : b) v = static_cast<uint8_t>(rng() % 3);  // few values: the key hits often
  return b;
}

// Pitches whole pixels apart, and pitches that are not (which rules out the aligned loops).
std::vector<int32_t> Pitches(int bpp) { return {(kW + 3) * bpp, kW * bpp + 5}; }

TEST(SurfaceCopyLoops, MatchTheReferenceWithinOneBufferInEveryDirection) {
  std::mt19937 rng(20240601);
  for (int bpp : {1, 2, 4}) {
    for (int32_t pitch : Pitches(bpp)) {
      for (int trial = 0; trial < 200; ++trial) {
        const Trial t = RandomTrial(rng, bpp);
        std::vector<uint8_t> fast = RandomBytes(rng, static_cast<size_t>(pitch) * kH), slow = fast;
        auto at = [&](std::vector<uint8_t>& b, int x, int y) { return b.data() + y * pitch + x * bpp; };
        const uint32_t* key = t.keyed ? &t.key : nullptr;
        ps::CopyPixels(at(fast, t.dx, t.dy), pitch, at(fast, t.sx, t.sy), pitch, t.w, t.h, bpp, key);
        ps::ReferenceCopyPixels(at(slow, t.dx, t.dy), pitch, at(slow, t.sx, t.sy), pitch, t.w, t.h,
                                bpp, key);
        ASSERT_EQ(fast, slow) << "bpp " << bpp << " pitch " << pitch << " trial " << trial;
      }
    }
  }
}

TEST(SurfaceCopyLoops, MatchTheReferenceBetweenTwoBuffers) {
  std::mt19937 rng(77);
  for (int bpp : {1, 2, 4}) {
    for (int32_t src_pitch : Pitches(bpp)) {
      const int32_t dst_pitch = (kW + 7) * bpp;
      for (int trial = 0; trial < 100; ++trial) {
        const Trial t = RandomTrial(rng, bpp);
        const std::vector<uint8_t> src = RandomBytes(rng, static_cast<size_t>(src_pitch) * kH);
        std::vector<uint8_t> fast = RandomBytes(rng, static_cast<size_t>(dst_pitch) * kH), slow = fast;
        const uint32_t* key = t.keyed ? &t.key : nullptr;
        const uint8_t* from = src.data() + t.sy * src_pitch + t.sx * bpp;
        const ptrdiff_t to = t.dy * dst_pitch + t.dx * bpp;
        ps::CopyPixels(fast.data() + to, dst_pitch, from, src_pitch, t.w, t.h, bpp, key);
        ps::ReferenceCopyPixels(slow.data() + to, dst_pitch, from, src_pitch, t.w, t.h, bpp, key);
        ASSERT_EQ(fast, slow) << "bpp " << bpp << " pitch " << src_pitch << " trial " << trial;
      }
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

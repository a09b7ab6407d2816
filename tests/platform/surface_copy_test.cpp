// The pixel loops: hand-worked copies with and without a colour key, and the loops held to
// a slow copy and fill of the test's own on random pictures and on overlapping rectangles
// of one buffer in every direction.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/surface/surface_copy.h"
#include "tests/support/vector_widths.h"

namespace {

namespace ps = plat::surface;

constexpr int kW = 23, kH = 17;

// A pixel of `bytes` little-endian bytes.
uint32_t ReadPixel(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

void WritePixel(uint8_t* p, int bytes, uint32_t v) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The copy as the contract says it: every source pixel is read before any is written (so
// overlapping rectangles copy what the source held), and a keyed copy leaves out the
// pixels equal to the key cut to the pixel's bytes.
void SlowCopy(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h, int bytes,
              const uint32_t* key) {
  std::vector<uint32_t> held;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) held.push_back(ReadPixel(src + y * src_pitch + x * bytes, bytes));
  const uint32_t cut = bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t v = held[static_cast<size_t>(y) * w + x];
      if (key != nullptr && v == (*key & cut)) continue;
      WritePixel(dst + y * dst_pitch + x * bytes, bytes, v);
    }
}

void SlowFill(uint8_t* dst, int32_t pitch, int w, int h, int bytes, uint32_t value) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) WritePixel(dst + y * pitch + x * bytes, bytes, value);
}

std::vector<uint8_t> PixelBytes(int bytes, std::initializer_list<uint32_t> pixels) {
  std::vector<uint8_t> b(pixels.size() * bytes);
  size_t i = 0;
  for (uint32_t v : pixels) WritePixel(b.data() + bytes * i++, bytes, v);
  return b;
}

// One row of pixels, or a column of one pixel a row (pitch = one pixel), copied within one
// buffer or from a second: what the contract gives, worked out by hand.
TEST(SurfaceCopyLoops, HandWorkedCopiesAndColourKeys) {
  struct Row {
    const char* what;
    int bytes;
    bool column;                             // pixels are rows of one pixel each
    bool same_buffer;                        // source and destination in `buffer`
    std::initializer_list<uint32_t> source;  // unused within one buffer
    std::initializer_list<uint32_t> buffer;  // the destination (and source) before
    int from, to, count;                     // pixel indices in the source and the destination
    bool keyed;
    uint32_t key;
    std::initializer_list<uint32_t> expected;
  };
  const Row rows[] = {
      {"16 bits: the key's upper bytes are ignored; its byte-swapped value is no key",
       2,
       false,
       false,
       {0x0001, 0x1234, 0x0100, 0x0001},
       {0xEEEE, 0xEEEE, 0xEEEE, 0xEEEE},
       0,
       0,
       4,
       true,
       0xAB000001,
       {0xEEEE, 0x1234, 0x0100, 0xEEEE}},
      {"32 bits: the top byte is part of the pixel",
       4,
       false,
       false,
       {0x00FF00FF, 0xFFFF00FF, 0x00FF00FE},
       {0x11111111, 0x22222222, 0x33333333},
       0,
       0,
       3,
       true,
       0x00FF00FF,
       {0x11111111, 0xFFFF00FF, 0x00FF00FE}},
      {"8 bits: the key cut to its low byte",
       1,
       false,
       false,
       {0xFF, 0x01, 0xFF, 0x00},
       {0xEE, 0xEE, 0xEE, 0xEE},
       0,
       0,
       4,
       true,
       0x1FF,
       {0xEE, 0x01, 0xEE, 0x00}},
      {"without a key every pixel, the key value too",
       2,
       false,
       false,
       {0x0000, 0x0005},
       {0xEEEE, 0xEEEE},
       0,
       0,
       2,
       false,
       0,
       {0x0000, 0x0005}},
      {"one pixel right within a row: the source as it was",
       2,
       false,
       true,
       {},
       {1, 2, 0, 4, 5},
       0,
       1,
       4,
       true,
       0,
       {1, 1, 2, 4, 4}},
      {"one pixel left within a row", 2, false, true, {}, {1, 2, 0, 4, 5}, 1, 0, 4, true, 0, {2, 2, 4, 5, 5}},
      {"one row down within a column, unkeyed", 1, true, true, {}, {1, 0, 3, 4}, 0, 1, 3, false, 0, {1, 1, 0, 3}},
      {"one row down within a column, keyed", 1, true, true, {}, {1, 0, 3, 4}, 0, 1, 3, true, 0, {1, 1, 3, 3}},
      {"one row up within a column, keyed", 4, true, true, {}, {9, 8, 0, 6}, 1, 0, 3, true, 0, {8, 8, 6, 6}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    std::vector<uint8_t> buffer = PixelBytes(r.bytes, r.buffer);
    const std::vector<uint8_t> source = r.same_buffer ? buffer : PixelBytes(r.bytes, r.source);
    const uint8_t* src = (r.same_buffer ? buffer.data() : source.data()) + r.from * r.bytes;
    const int w = r.column ? 1 : r.count, h = r.column ? r.count : 1;
    const uint32_t* key = r.keyed ? &r.key : nullptr;
    ps::CopyPixels(buffer.data() + r.to * r.bytes, r.bytes, src, r.bytes, w, h, r.bytes, key);
    EXPECT_EQ(buffer, PixelBytes(r.bytes, r.expected));
  }
}

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
        SlowCopy(at(slow, t.dx, t.dy), pitch, at(slow, t.sx, t.sy), pitch, t.w, t.h, bpp, key);
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
        SlowCopy(slow.data() + to, dst_pitch, from, src_pitch, t.w, t.h, bpp, key);
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
    SlowFill(slow.data() + pitch + bpp, pitch, 7, 3, bpp, 0x89ABCDEF);
    EXPECT_EQ(fast, slow) << bpp;
    // The value's low bytes, lowest first; nothing before the box.
    const uint8_t low_bytes[] = {0xEF, 0xCD, 0xAB, 0x89};
    for (int i = 0; i < bpp; ++i) EXPECT_EQ(fast[pitch + bpp + i], low_bytes[i]) << bpp;
    EXPECT_EQ(fast[pitch + bpp + 6 * bpp], 0xEF) << bpp;
    EXPECT_EQ(fast[pitch + bpp + 7 * bpp], 0xEE) << bpp;
    EXPECT_EQ(fast[0], 0xEE);
  }
}

// Rows long enough for whole vectors of either width and their overlapping last one, rows
// that follow each other without a gap (one long row), and starts at every byte offset,
// with each vector width.
TEST(SurfaceCopyLoops, LongRowsInEachVectorWidth) {
  nltest::ForEachVectorWidth([] {
    std::mt19937 rng(4242);
    for (int bpp : {1, 2, 4}) {
      for (int trial = 0; trial < 300; ++trial) {
        const int w = 1 + static_cast<int>(rng() % 70), h = 1 + static_cast<int>(rng() % 4);
        const bool gapless = rng() % 3 == 0;
        const int32_t src_pitch = gapless ? w * bpp : w * bpp + static_cast<int32_t>(rng() % 9);
        const int32_t dst_pitch = gapless ? src_pitch : w * bpp + static_cast<int32_t>(rng() % 9);
        const int src_skip = static_cast<int>(rng() % 32), dst_skip = static_cast<int>(rng() % 32);
        const uint32_t key = (rng() % 3) * 0x01010101u;
        const bool keyed = rng() % 2 == 0;
        const std::vector<uint8_t> src = RandomBytes(rng, static_cast<size_t>(src_skip + src_pitch * h + 8));
        std::vector<uint8_t> fast = RandomBytes(rng, static_cast<size_t>(dst_skip + dst_pitch * h + 8)), slow = fast;
        ps::CopyPixels(fast.data() + dst_skip, dst_pitch, src.data() + src_skip, src_pitch, w, h, bpp,
                       keyed ? &key : nullptr);
        SlowCopy(slow.data() + dst_skip, dst_pitch, src.data() + src_skip, src_pitch, w, h, bpp,
                 keyed ? &key : nullptr);
        ASSERT_EQ(fast, slow) << "copy: bpp " << bpp << " trial " << trial << " w " << w << " h " << h;

        const uint32_t value = rng();
        fast = slow;
        ps::FillPixels(fast.data() + dst_skip, dst_pitch, w, h, bpp, value);
        SlowFill(slow.data() + dst_skip, dst_pitch, w, h, bpp, value);
        ASSERT_EQ(fast, slow) << "fill: bpp " << bpp << " trial " << trial << " w " << w << " h " << h;
      }
    }
  });
}

}  // namespace

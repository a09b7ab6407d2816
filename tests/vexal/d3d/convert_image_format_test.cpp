#include "vexal/d3d/convert_image_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using vexal::ColorFormatRecord;
using vexal::Rect;
using Bytes = std::vector<uint8_t>;

// bits, bytes, widths r g b a, shifts r g b a, masks r g b a
constexpr ColorFormatRecord k24{24, 3, 8, 8, 8, 0, 16, 8, 0, 0, 0xFF0000, 0xFF00, 0xFF, 0};
constexpr ColorFormatRecord kX888{32, 4, 8, 8, 8, 0, 16, 8, 0, 0, 0xFF0000, 0xFF00, 0xFF, 0};
constexpr ColorFormatRecord k8888{32, 4, 8, 8, 8, 8, 16, 8, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
constexpr ColorFormatRecord k565{16, 2, 5, 6, 5, 0, 11, 5, 0, 0, 0xF800, 0x7E0, 0x1F, 0};
constexpr ColorFormatRecord k555{16, 2, 5, 5, 5, 0, 10, 5, 0, 0, 0x7C00, 0x3E0, 0x1F, 0};
constexpr ColorFormatRecord k1555{16, 2, 5, 5, 5, 1, 10, 5, 0, 15, 0x7C00, 0x3E0, 0x1F, 0x8000};
constexpr ColorFormatRecord k4444{16, 2, 4, 4, 4, 4, 8, 4, 0, 12, 0xF00, 0xF0, 0xF, 0xF000};
constexpr ColorFormatRecord kGrey{8, 1, 8, 8, 8, 8, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
// Red and green as in 8888, a 4-bit alpha at the top.
constexpr ColorFormatRecord k4888{32, 4, 8, 8, 8, 4, 16, 8, 0, 28, 0xFF0000, 0xFF00, 0xFF, 0xF0000000};

void Put(Bytes& b, size_t at, int bytes, uint32_t v) {
  for (int k = 0; k < bytes; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

uint32_t Get(const Bytes& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int k = 0; k < bytes; ++k) v |= static_cast<uint32_t>(b[at + k]) << (8 * k);
  return v;
}

int Convert(Bytes& dst, int32_t dstPitch, const ColorFormatRecord& d, const Bytes& src, int32_t srcPitch,
            const ColorFormatRecord& s, const Rect& r, int mirror, int32_t dx = 0, int32_t dy = 0) {
  return vexal::ConvertImageFormat(dst.data(), dstPitch, &d, src.data(), srcPitch, &s, nullptr, 0, nullptr, dx, dy, &r,
                                   mirror, 0, 0, 0, 0);
}

TEST(ConvertImageFormat, SinglePixelsConvertAsWorkedOutByHand) {
  struct Case {
    const char* name;
    ColorFormatRecord src, dst;
    uint32_t in, out;
  };
  const Case cases[] = {
      {"24 to 5:6:5: red 31, green 32, blue 8", k24, k565, 0xFF8040, (31u << 11) | (32u << 5) | 8u},
      {"5:6:5 back to 24: new low bits stay 0", k565, k24, 0xFC08, 0xF88040},
      {"24 to A8R8G8B8: opaque", k24, k8888, 0xFF8040, 0xFFFF8040},
      {"5:6:5 to A8R8G8B8", k565, k8888, 0xFC08, 0xFFF88040},
      {"8888 to 4444 narrows alpha too", k8888, k4444, 0x80FF4010, 0x8F41},
      {"8888 to 24 drops alpha", k8888, k24, 0x80FF4010, 0xFF4010},
      {"8888 to X888 drops alpha", k8888, kX888, 0x80FF4010, 0x00FF4010},
      {"1555 to 8888 widens the alpha bit", k1555, k8888, 0x8000 | (31u << 10) | 1u, 0x80F80008},
      {"5:5:5 to 5:6:5", k555, k565, (31u << 10) | (31u << 5) | 31u, 0xFFDF},
      {"grey to 24 fills every channel", kGrey, k24, 0x7A, 0x7A7A7A},
      {"only alpha widths differ", k8888, k4888, 0x80FF4010, 0x80FF4010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes src(4, 0), dst(4, 0);
    Put(src, 0, c.src.ColorBits / 8, c.in);
    ASSERT_EQ(Convert(dst, 4, c.dst, src, 4, c.src, Rect{0, 0, 1, 1}, 0), 0);
    EXPECT_EQ(Get(dst, 0, c.dst.ColorBits / 8), c.out);
  }
}

TEST(ConvertImageFormat, MirrorReversesEachRowInEveryPath) {
  // p1 p2 p3 = 0x1111 0x2222 0x3333 in 5:6:5; in 24 bits they are 0x102088, 0x204410, 0x306498.
  struct Case {
    const char* name;
    ColorFormatRecord dst;
    uint32_t expected[3];
  };
  const Case cases[] = {
      {"same format", k565, {0x3333, 0x2222, 0x1111}},
      {"converted", k24, {0x306498, 0x204410, 0x102088}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes src(6, 0), dst(12, 0xEE);
    for (int i = 0; i < 3; ++i) Put(src, 2 * i, 2, 0x1111u * (i + 1));
    ASSERT_EQ(Convert(dst, 12, c.dst, src, 6, k565, Rect{0, 0, 3, 1}, 1), 0);
    const int b = c.dst.ColorBits / 8;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Get(dst, b * i, b), c.expected[i]) << "pixel " << i;
    EXPECT_EQ(dst[3 * b], 0xEE);
  }
}

TEST(ConvertImageFormat, SameFormatCopyMovesWholeRowsAndNothingElse) {
  // 2 x 2 of 24 bits from rows of 7 bytes into rows of 9 at (1, 1); the rest stays 0xEE.
  Bytes src = {1, 2, 3, 4, 5, 6, 0xAA, 7, 8, 9, 10, 11, 12, 0xAA};
  Bytes dst(9 * 3, 0xEE);
  ASSERT_EQ(Convert(dst, 9, k24, src, 7, k24, Rect{0, 0, 2, 2}, 0, 1, 1), 0);
  Bytes expected(9 * 3, 0xEE);
  for (int i = 0; i < 6; ++i) expected[9 + 3 + i] = static_cast<uint8_t>(1 + i);
  for (int i = 0; i < 6; ++i) expected[18 + 3 + i] = static_cast<uint8_t>(7 + i);
  EXPECT_EQ(dst, expected);
}

TEST(ConvertImageFormat, OddPitchesAndASourceRectangleInsideThePicture) {
  // 3 x 3 of 24 bits, rows of 10 bytes; the 2 x 2 at (1, 1) into 5:6:5 rows of 5 bytes.
  Bytes src(30, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) Put(src, 10 * y + 3 * x, 3, (0x08u * (x + 1)) << 16 | (0x04u * (y + 1)) << 8);
  Bytes dst(10, 0xEE);
  ASSERT_EQ(Convert(dst, 5, k565, src, 10, k24, Rect{1, 1, 3, 3}, 0), 0);
  // Red 0x10 -> 2, 0x18 -> 3; green 0x08 -> 2, 0x0C -> 3.
  const Bytes expected = {0x40, 0x10, 0x40, 0x18, 0xEE, 0x60, 0x10, 0x60, 0x18, 0xEE};
  EXPECT_EQ(dst, expected);
}

TEST(ConvertImageFormat, EmptyRectanglesWriteNothing) {
  const Rect rects[] = {{0, 0, 0, 2}, {0, 0, 2, 0}, {2, 1, 1, 2}, {1, 2, 2, 1}};
  struct Path {
    const char* name;
    ColorFormatRecord src, dst;
    int mirror;
  };
  const Path paths[] = {{"copy", k24, k24, 0},
                        {"mirrored copy", k24, k24, 1},
                        {"convert", k24, k565, 0},
                        {"mirrored convert", k24, k8888, 1}};
  const Bytes src(64, 0x55);
  for (const Path& p : paths)
    for (const Rect& r : rects) {
      Bytes dst(64, 0xEE);
      EXPECT_EQ(Convert(dst, 16, p.dst, src, 16, p.src, r, p.mirror, 1, 1), 0);
      EXPECT_EQ(dst, Bytes(64, 0xEE)) << p.name << " " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(ConvertImageFormat, AlphaComesFromASeparatePictureOrAlone) {
  const Bytes src = {0x40, 0x80, 0xFF, 0x10, 0x20, 0x30};  // two 24-bit pixels
  const Bytes alpha = {0x9C, 0x01};                        // their alpha, 8-bit
  Bytes dst(8, 0);
  const Rect r{0, 0, 2, 1};
  ASSERT_EQ(vexal::ConvertImageFormat(dst.data(), 8, &k8888, src.data(), 6, &k24, alpha.data(), 2, &kGrey, 0, 0, &r, 0,
                                      0, 0, 0, 0),
            0);
  EXPECT_EQ(Get(dst, 0, 4), 0x9CFF8040u);
  EXPECT_EQ(Get(dst, 4, 4), 0x01302010u);

  // The alpha plane of a picture: alpha-only into one byte a pixel.
  const Bytes argb = {0x40, 0x80, 0xFF, 0xA5, 0x10, 0x20, 0x30, 0x5A};
  Bytes plane(2, 0xEE);
  ASSERT_EQ(vexal::ConvertImageFormat(plane.data(), 2, &kGrey, argb.data(), 8, &k8888, nullptr, 0, nullptr, 0, 0, &r, 0,
                                      0, 0, 0, 1),
            0);
  EXPECT_EQ(plane, (Bytes{0xA5, 0x5A}));
}

// The converter's rules, one pixel at a time and nothing decided ahead: raw bytes for two
// identical layouts without alpha work; else each channel taken out of its field, narrowed
// or widened by its own two widths with plain shifts, and put in the destination's field;
// alpha from the red channel of a separate picture when the source has none, else the
// source's own (none kept when the destination has none), else opaque.
void SlowConvert(Bytes& dst, int32_t dstPitch, const ColorFormatRecord& d, const Bytes& src, int32_t srcPitch,
                 const ColorFormatRecord& s, const Bytes* alpha, int32_t alphaPitch, const ColorFormatRecord& a,
                 int32_t dx, int32_t dy, const Rect& r, int mirror, int alphaOnly) {
  const bool separate = d.AlphaMask != 0 && alpha != nullptr && s.AlphaMask == 0;
  const bool raw = !separate && alphaOnly == 0 && s.ColorBits == d.ColorBits && s.RedMask == d.RedMask &&
                   s.GreenMask == d.GreenMask && s.BlueMask == d.BlueMask && s.AlphaMask == d.AlphaMask;
  const int sb = s.ColorBits / 8, db = d.ColorBits / 8, ab = a.ColorBits / 8;
  auto channel = [](uint32_t v, uint32_t mask, int shift, int from, int to) {
    const uint32_t c = (v & mask) >> shift;
    return from >= to ? c >> (from - to) : c << (to - from);
  };
  const int32_t w = r.right - r.left;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) {
      const int32_t i = x - r.left;
      const size_t in = static_cast<size_t>(y) * srcPitch + static_cast<size_t>(x) * sb;
      const size_t out =
          static_cast<size_t>(dy + y - r.top) * dstPitch + static_cast<size_t>(dx + (mirror == 1 ? w - 1 - i : i)) * db;
      if (raw) {
        for (int k = 0; k < sb; ++k) dst[out + k] = src[in + k];
        continue;
      }
      const uint32_t p = Get(src, in, sb);
      uint32_t al;
      if (separate) {
        const uint32_t q = Get(*alpha, static_cast<size_t>(y) * alphaPitch + static_cast<size_t>(x) * ab, ab);
        al = channel(q, a.RedMask, a.RedShift, a.RedWidth, d.AlphaWidth);
      } else if (s.AlphaMask != 0) {
        al = d.AlphaMask != 0 ? channel(p, s.AlphaMask, s.AlphaShift, s.AlphaWidth, d.AlphaWidth) : 0;
      } else {
        al = d.AlphaMask >> d.AlphaShift;
      }
      uint32_t v = al << d.AlphaShift;
      if (alphaOnly == 0) {
        v |= channel(p, s.RedMask, s.RedShift, s.RedWidth, d.RedWidth) << d.RedShift;
        v |= channel(p, s.GreenMask, s.GreenShift, s.GreenWidth, d.GreenWidth) << d.GreenShift;
        v |= channel(p, s.BlueMask, s.BlueShift, s.BlueWidth, d.BlueWidth) << d.BlueShift;
      }
      Put(dst, out, db, v);
    }
}

// Every pair of layouts, mirrored or not, with a separate alpha picture or without, against
// the slow conversion above.
TEST(ConvertImageFormat, EveryPairOfLayoutsMatchesTheSlowConversion) {
  const ColorFormatRecord formats[] = {k24, kX888, k8888, k565, k555, k1555, k4444, kGrey, k4888};
  std::mt19937 rng(7);
  for (const ColorFormatRecord& s : formats)
    for (const ColorFormatRecord& d : formats)
      for (int variant = 0; variant < 4; ++variant) {
        const int mirror = variant & 1;
        const bool separate = (variant & 2) != 0;
        SCOPED_TRACE(std::to_string(s.ColorBits) + "/" + std::to_string(s.AlphaWidth) + " -> " +
                     std::to_string(d.ColorBits) + "/" + std::to_string(d.AlphaWidth) + (mirror ? " mirrored" : "") +
                     (separate ? " separate alpha" : ""));
        const int32_t srcPitch = 5 * 4 + 3, dstPitch = 7 * 4 + 1, alphaPitch = 5 * 2 + 1;
        Bytes src(srcPitch * 4), alpha(alphaPitch * 4);
        for (auto& b : src) b = static_cast<uint8_t>(rng());
        for (auto& b : alpha) b = static_cast<uint8_t>(rng());
        const ColorFormatRecord alphaFormat = k565;
        const Rect r{1, 1, 5, 4};
        Bytes fast(dstPitch * 5, 0xEE), slow(dstPitch * 5, 0xEE);
        for (int alphaOnly : {0, 1}) {
          const void* a = separate ? alpha.data() : nullptr;
          ASSERT_EQ(vexal::ConvertImageFormat(fast.data(), dstPitch, &d, src.data(), srcPitch, &s, a, alphaPitch,
                                              &alphaFormat, 2, 1, &r, mirror, 0, 0, 0, alphaOnly),
                    0);
          SlowConvert(slow, dstPitch, d, src, srcPitch, s, separate ? &alpha : nullptr, alphaPitch, alphaFormat, 2, 1,
                      r, mirror, alphaOnly);
          ASSERT_EQ(fast, slow) << "alpha only " << alphaOnly;
        }
      }
}

}  // namespace

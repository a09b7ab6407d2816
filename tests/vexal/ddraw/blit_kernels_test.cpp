#include "vexal/ddraw/blit_kernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "blit_reference.h"
#include "tests/support/vector_widths.h"
#include "vexal/graphics/screen/blend_mul_table.h"

namespace {

using vexal::BlitPiecePixels;
using vexal::BlitPixels;
using vexal::BlitSettings;
using vexal::ColorFormatRecord;

ColorFormatRecord MakeFormat(int bits, uint32_t red, uint32_t green, uint32_t blue) {
  ColorFormatRecord f{};
  f.ColorBits = static_cast<uint8_t>(bits);
  f.BytesPerPixel = static_cast<uint8_t>(bits / 8);
  const uint32_t masks[3] = {red, green, blue};
  uint8_t* shifts[3] = {&f.RedShift, &f.GreenShift, &f.BlueShift};
  uint8_t* widths[3] = {&f.RedWidth, &f.GreenWidth, &f.BlueWidth};
  for (int c = 0; c < 3; ++c) {
    uint32_t m = masks[c];
    int shift = 0, width = 0;
    while (m != 0 && (m & 1) == 0) m >>= 1, ++shift;
    while (m & 1) m >>= 1, ++width;
    *shifts[c] = static_cast<uint8_t>(shift);
    *widths[c] = static_cast<uint8_t>(width);
  }
  f.RedMask = red;
  f.GreenMask = green;
  f.BlueMask = blue;
  return f;
}

const ColorFormatRecord kXrgb32 = MakeFormat(32, 0xFF0000, 0xFF00, 0xFF);
const ColorFormatRecord k565 = MakeFormat(16, 0xF800, 0x07E0, 0x001F);
const ColorFormatRecord k555 = MakeFormat(16, 0x7C00, 0x03E0, 0x001F);
const ColorFormatRecord kBgr565 = MakeFormat(16, 0x001F, 0x07E0, 0xF800);   // red lowest
const ColorFormatRecord kWideRed = MakeFormat(16, 0xFF80, 0x0070, 0x000F);  // 9-bit red

uint32_t White(const ColorFormatRecord& f) { return f.RedMask | f.GreenMask | f.BlueMask; }
uint32_t Magenta(const ColorFormatRecord& f) { return f.RedMask | f.BlueMask; }

class BlitTest : public ::testing::Test {
 protected:
  void SetUp() override { vexal::FillBlendMulTable(); }
};

// One pixel drawn by `draw` over d; returns what the destination holds after.
template <class DrawFn>
uint32_t DrawOne(DrawFn draw, const BlitSettings& st, uint32_t s, uint32_t d, int alpha) {
  const int bytes = st.Format->BytesPerPixel;
  uint8_t src[4] = {}, dst[4] = {};
  std::memcpy(src, &s, bytes);
  std::memcpy(dst, &d, bytes);
  const uint8_t a = static_cast<uint8_t>(alpha);
  BlitPixels px;
  px.Source = src;
  px.SourcePitch = bytes;
  px.Alpha = alpha >= 0 ? &a : nullptr;
  px.AlphaPitch = 1;
  px.DestRead = dst;
  px.DestReadPitch = bytes;
  px.Dest = dst;
  px.DestPitch = bytes;
  px.Width = px.Height = 1;
  draw(st, px);
  uint32_t out = 0;
  std::memcpy(&out, dst, bytes);
  return out;
}

struct HandCase {
  const char* name;
  const ColorFormatRecord* format;
  int mode, param;
  uint32_t brightness;
  bool coarse;
  bool keyed;
  uint32_t key;
  uint32_t s, d;
  int alpha;  // -1: no alpha plane
  uint32_t expected;
};

constexpr uint32_t kFull = vexal::kFullBrightness;
constexpr uint32_t kDim = 0xFE800000;  // brightness 254, 128, 0

TEST_F(BlitTest, PixelsWorkedOutByHand) {
  const HandCase cases[] = {
      {"table blend white on white 32", &kXrgb32, 1, 128, kFull, false, false, 0, 0xFFFFFFFF, 0x00FFFFFF, -1,
       0x00FEFEFE},
      {"table blend white on white 565", &k565, 1, 128, kFull, false, false, 0, 0xFFFF, 0xFFFF, -1, 0xF7DE},
      {"add saturates each channel alone", &kXrgb32, 2, 255, kFull, true, false, 0, 0xAA01FF01, 0x00FF0001, -1,
       0x00FFFF02},
      {"add scaled by p", &kXrgb32, 2, 128, kFull, false, false, 0, 0x00FF8002, 0x00010203, -1, 0x00804204},
      {"subtract floors at zero", &kXrgb32, 3, 255, kFull, true, false, 0, 0x00201010, 0x00102030, -1, 0x00001020},
      {"add on 5:5:5 clears the spare bit", &k555, 2, 255, kFull, true, false, 0, 0x8421, 0x7C1F, -1, 0x7C3F},
      {"opaque alpha copies the top byte", &kXrgb32, 0, 0, kFull, false, false, 0, 0xAB123456, 0x00000000, 255,
       0xAB123456},
      {"alpha 0 keeps the destination", &kXrgb32, 0, 0, kFull, false, false, 0, 0xAB123456, 0x11223344, 0, 0x11223344},
      {"lerp rounds down both ways", &kXrgb32, 0, 0, kFull, false, false, 0, 0x00FF0000, 0x0000FF00, 128, 0x007F7F00},
      {"fine brightness", &kXrgb32, 0, 0, kDim, false, false, 0, 0xFFFFFFFF, 0, -1, 0x00FD7F00},
      {"coarse brightness", &kXrgb32, 0, 0, kDim, true, false, 0, 0xFFFFFFFF, 0, -1, 0x00EC7F00},
      {"p 0 draws nothing", &kXrgb32, 1, 0, kFull, false, false, 0, 0x00FFFFFF, 0x00123456, -1, 0x00123456},
      {"coarse p 14 draws nothing", &kXrgb32, 1, 14, kFull, true, false, 0, 0x00FFFFFF, 0x00123456, -1, 0x00123456},
      {"coarse p 255 copies", &kXrgb32, 1, 255, kFull, true, false, 0, 0xAB123456, 0x00FFFFFF, -1, 0xAB123456},
      {"coarse half, opaque", &kXrgb32, 1, 127, kFull, true, false, 0, 0x00FFFFFF, 0x00030303, 255, 0x00808080},
      {"coarse half, alpha 100", &kXrgb32, 1, 127, kFull, true, false, 0, 0x00FFFFFF, 0x00030303, 100, 0x00343434},
      {"coarse quarter of the source", &kXrgb32, 1, 63, kFull, true, false, 0, 0xFFFFFFFF, 0x00000000, -1, 0x003F3F3F},
      {"coarse three quarters of the destination", &kXrgb32, 1, 63, kFull, true, false, 0, 0x00000000, 0x00FFFFFF, -1,
       0x00BEBEBE},
      {"xor in 16-bit", &k565, 7, 0, kFull, false, false, 0, 0x1234, 0xFFFF, -1, 0xEDCB},
      {"16-bit mode 4 draws nothing", &k565, 4, 128, kFull, false, false, 0, 0x1234, 0x5678, -1, 0x5678},
      {"32-bit mode 7 draws nothing", &kXrgb32, 7, 128, kFull, false, false, 0, 0x1234, 0x5678, -1, 0x5678},
      {"a channel wider than 8 bits draws nothing", &kWideRed, 1, 128, kFull, false, false, 0, 0xFFFF, 0x1234, -1,
       0x1234},
      {"key of white skips white", &kXrgb32, 1, 128, kFull, false, true, 0x00FFFFFF, 0x00FFFFFF, 0x00000000, -1,
       0x00000000},
      {"key compares the raw pixel", &kXrgb32, 0, 0, kDim, false, true, 0x00FFFFFF, 0x01FFFFFF, 0x00000000, -1,
       0x00FD7F00},
  };
  for (const HandCase& c : cases) {
    BlitSettings st;
    st.Format = c.format;
    st.BlendMode = c.mode;
    st.BlendParam = c.param;
    st.Brightness = c.brightness;
    st.Coarse = c.coarse;
    st.Keyed = c.keyed;
    st.KeyValue = c.key;
    EXPECT_EQ(DrawOne(BlitPiecePixels, st, c.s, c.d, c.alpha), c.expected) << c.name;
    EXPECT_EQ(DrawOne(nltest::ReferenceBlit, st, c.s, c.d, c.alpha), c.expected) << c.name << " (reference)";
  }
}

// A channel mask split in two runs (red 0x8001) is served no more than a wide one: blends,
// brightness and the alpha plane leave the destination as it was.
TEST_F(BlitTest, SplitChannelMasksDrawNothing) {
  const ColorFormatRecord split = MakeFormat(16, 0x8001, 0x07E0, 0x001E);
  struct Case {
    int mode, param;
    uint32_t brightness;
    int alpha;
  };
  const Case cases[] = {
      {1, 128, kFull, -1}, {2, 255, kFull, -1}, {3, 200, kFull, -1}, {0, 0, kDim, -1}, {0, 0, kFull, 128}};
  for (const Case& c : cases) {
    BlitSettings st;
    st.Format = &split;
    st.BlendMode = c.mode;
    st.BlendParam = c.param;
    st.Brightness = c.brightness;
    EXPECT_EQ(DrawOne(BlitPiecePixels, st, 0xFFFF, 0x8421, c.alpha), 0x8421u) << c.mode << " p" << c.param;
  }
}

// A destination rectangle with a canary band round it and a non-zero origin in its surface.
struct Surface {
  static constexpr int kBand = 2;  // pixels of canary on every side
  int bytes, width, height;
  ptrdiff_t pitch;
  std::vector<uint8_t> data;
  Surface(int bytesPerPixel, int w, int h)
      : bytes(bytesPerPixel), width(w), height(h), pitch(static_cast<ptrdiff_t>(w + 2 * kBand + 1) * bytesPerPixel),
        data(static_cast<size_t>(pitch) * (h + 2 * kBand)) {}
  uint8_t* Origin() { return data.data() + kBand * pitch + kBand * bytes; }
  void Put(int x, int y, uint32_t v) { std::memcpy(Origin() + y * pitch + x * bytes, &v, bytes); }
};

struct SweepFormat {
  const char* name;
  const ColorFormatRecord* format;
};

class BlitSweep : public ::testing::TestWithParam<SweepFormat> {
 protected:
  void SetUp() override { vexal::FillBlendMulTable(); }
};

// Every mode, parameter, brightness, coarse flag, alpha plane and key over a kW x kH
// rectangle of random pixels, against the reference; nothing outside the rectangle moves.
void SweepAgainstTheReference(const ColorFormatRecord& f, int width, int height) {
  const int bytes = f.BytesPerPixel;
  const int kW = width, kH = height;
  std::mt19937 rng(0x5EED);
  const uint32_t fieldMask = f.ColorBits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  const uint32_t keys[2] = {White(f), Magenta(f)};
  auto randomPixel = [&](bool mayBeKey) {
    const uint32_t pick = rng() % 8;
    uint32_t v = rng() & fieldMask;
    if (mayBeKey && pick < 2) v = keys[pick];
    if (pick == 2) v = 0;
    if (pick == 3) v = White(f);
    // 32-bit: set top bytes also on key colours, which then no longer match the key.
    if (f.ColorBits == 32 && pick < 4 && rng() % 3 == 0) v |= 0x5A000000;
    return v;
  };
  Surface src(bytes, kW, kH), dst(bytes, kW, kH);
  for (uint8_t& b : src.data) b = static_cast<uint8_t>(rng());
  for (uint8_t& b : dst.data) b = static_cast<uint8_t>(rng());
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      src.Put(x, y, randomPixel(true));
      dst.Put(x, y, randomPixel(false));
    }
  const uint8_t alphaValues[] = {0, 1, 127, 128, 254, 255};
  std::vector<uint8_t> alpha(kW * kH + 3);
  for (uint8_t& a : alpha) a = alphaValues[rng() % 6];

  const int params[] = {0, 1, 14, 15, 16, 127, 128, 142, 143, 225, 254, 255};
  const uint32_t brightness[] = {kFull, kDim, 0x00FFFF00};
  const std::vector<uint8_t> before = dst.data;
  for (int mode = 0; mode <= 8; ++mode)
    for (int p : params)
      for (uint32_t b : brightness)
        for (bool coarse : {false, true})
          for (bool withAlpha : {false, true})
            for (int key = -1; key < 2; ++key) {
              BlitSettings st;
              st.Format = &f;
              st.BlendMode = mode;
              st.BlendParam = p;
              st.Brightness = b;
              st.Coarse = coarse;
              st.Keyed = key >= 0;
              st.KeyValue = key >= 0 ? keys[key] : 0;
              Surface real = dst, ref = dst;
              auto pixelsFor = [&](Surface& out) {
                BlitPixels px;
                px.Source = src.Origin();
                px.SourcePitch = src.pitch;
                px.Alpha = withAlpha ? alpha.data() + 3 : nullptr;
                px.AlphaPitch = kW;
                px.DestRead = out.Origin();
                px.DestReadPitch = out.pitch;
                px.Dest = out.Origin();
                px.DestPitch = out.pitch;
                px.Width = kW;
                px.Height = kH;
                return px;
              };
              BlitPiecePixels(st, pixelsFor(real));
              nltest::ReferenceBlit(st, pixelsFor(ref));
              const std::string where = "mode " + std::to_string(mode) + " p " + std::to_string(p) + " brightness " +
                                        std::to_string(b) + " coarse " + std::to_string(coarse) + " alpha " +
                                        std::to_string(withAlpha) + " key " + std::to_string(key);
              ASSERT_EQ(real.data, ref.data) << where;
              // Nothing outside the rectangle moves.
              for (int y = -Surface::kBand; y < kH + Surface::kBand; ++y)
                for (int x = -Surface::kBand; x < kW + Surface::kBand + 1; ++x) {
                  if (x >= 0 && x < kW && y >= 0 && y < kH) continue;
                  const ptrdiff_t at = (y + Surface::kBand) * dst.pitch + (x + Surface::kBand) * bytes;
                  ASSERT_EQ(std::memcmp(&real.data[at], &before[at], bytes), 0)
                      << where << " canary at " << x << "," << y;
                }
            }
}

TEST_P(BlitSweep, RealLoopsMatchTheReferenceBitForBit) { SweepAgainstTheReference(*GetParam().format, 9, 5); }

// Rows long enough for several whole vectors and a part of one, in each vector width.
TEST_P(BlitSweep, LongRowsInEachVectorWidth) {
  nltest::ForEachVectorWidth([&] { SweepAgainstTheReference(*GetParam().format, 37, 2); });
}

INSTANTIATE_TEST_SUITE_P(Formats, BlitSweep,
                         ::testing::Values(SweepFormat{"Xrgb32", &kXrgb32}, SweepFormat{"Rgb565", &k565},
                                           SweepFormat{"Rgb555", &k555}, SweepFormat{"Bgr565", &kBgr565}),
                         [](const auto& info) { return std::string(info.param.name); });

// src drawn over the row `out` (read and written in place), one row of pixels.
BlitPixels OneRow(const std::vector<uint8_t>& src, std::vector<uint8_t>& out, int bytes) {
  BlitPixels px;
  px.Source = src.data();
  px.SourcePitch = static_cast<int>(src.size());
  px.DestRead = out.data();
  px.DestReadPitch = static_cast<int>(out.size());
  px.Dest = out.data();
  px.DestPitch = static_cast<int>(out.size());
  px.Width = static_cast<int>(src.size()) / bytes;
  px.Height = 1;
  return px;
}

// The first pixel where two rows differ, or -1.
int FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int bytes) {
  for (size_t i = 0; i < a.size(); i += bytes)
    if (std::memcmp(&a[i], &b[i], bytes) != 0) return static_cast<int>(i / bytes);
  return -1;
}

// The fine table blend in 32 bits works its products out in 16-bit lanes instead of reading
// the rows: every pair of a source and a destination channel value in each channel (pixel x
// holds blue x & 255 over x >> 8, green x >> 8 over x & 255, red (x & 255) ^ (x >> 8) over
// x >> 8), under every parameter that blends, keyed and not, in each vector width, against
// the reference.
TEST_F(BlitTest, FineMixOfEveryPairOfChannelValuesAndParameter) {
  constexpr int kW = 65536, kKeyAt = 0x5A3C;
  std::vector<uint8_t> src(kW * 4), before(kW * 4);
  for (uint32_t x = 0; x < kW; ++x) {
    const uint32_t lo = x & 255, hi = x >> 8;
    const uint32_t s = (lo ^ hi) << 16 | hi << 8 | lo | (x * 37 & 255) << 24;
    const uint32_t d = hi << 16 | lo << 8 | hi | (x * 101 & 255) << 24;
    std::memcpy(&src[x * 4], &s, 4);
    std::memcpy(&before[x * 4], &d, 4);
  }
  uint32_t key;
  std::memcpy(&key, &src[kKeyAt * 4], 4);
  for (int p = 1; p <= 254; ++p)
    for (const bool keyed : {false, true}) {
      BlitSettings st;
      st.Format = &kXrgb32;
      st.BlendMode = 1;
      st.BlendParam = p;
      st.Keyed = keyed;
      st.KeyValue = key;
      std::vector<uint8_t> ref = before;
      nltest::ReferenceBlit(st, OneRow(src, ref, 4));
      if (keyed) {
        ASSERT_EQ(std::memcmp(&ref[kKeyAt * 4], &before[kKeyAt * 4], 4), 0) << "the key's pixel is kept";
      }
      nltest::ForEachVectorWidth([&] {
        std::vector<uint8_t> real = before;
        BlitPiecePixels(st, OneRow(src, real, 4));
        ASSERT_EQ(FirstDifference(real, ref, 4), -1) << "p " << p << " keyed " << keyed;
      });
    }
}

// The sixteenths of the coarse blend on whole pixels, the half blend's two terms alone:
// every pair of a source and a destination channel value (each channel a different
// one-to-one map of a value, so neighbouring channels differ) at every level, keyed and
// not, in each layout and vector width, against the reference.
TEST_F(BlitTest, CoarseMixOfEveryPairOfChannelValuesAndLevel) {
  struct Layout {
    const ColorFormatRecord* format;
    int values;                     // of the widest channel
    uint32_t (*pixel)(uint32_t v);  // v in every channel, each by its own map
  };
  const Layout layouts[] = {
      {&kXrgb32, 256, [](uint32_t v) { return (v ^ 0x5A) << 16 | v << 8 | (255 - v) | (v * 37 & 255) << 24; }},
      {&k565, 64, [](uint32_t v) { return ((v ^ 0x15) & 31) << 11 | v << 5 | (31 - (v & 31)); }},
      {&k555, 32, [](uint32_t v) { return (v ^ 0x15) << 10 | v << 5 | (31 - v); }},
      {&kBgr565, 64, [](uint32_t v) { return (31 - (v & 31)) << 11 | v << 5 | ((v ^ 0x15) & 31); }},
  };
  for (const Layout& l : layouts) {
    const int bytes = l.format->BytesPerPixel, n = l.values * l.values;
    std::vector<uint8_t> src(static_cast<size_t>(n) * bytes), before(src.size());
    for (int a = 0; a < l.values; ++a)
      for (int b = 0; b < l.values; ++b) {
        const uint32_t s = l.pixel(static_cast<uint32_t>(a)), d = l.pixel(static_cast<uint32_t>(b));
        std::memcpy(&src[static_cast<size_t>(a * l.values + b) * bytes], &s, bytes);
        std::memcpy(&before[static_cast<size_t>(a * l.values + b) * bytes], &d, bytes);
      }
    for (int level = 1; level <= 15; ++level)
      for (const bool keyed : {false, true}) {
        BlitSettings st;
        st.Format = l.format;
        st.BlendMode = 1;
        st.BlendParam = 16 * level;  // (p + 1) >> 4 is the level
        st.Coarse = true;
        st.Keyed = keyed;
        st.KeyValue = l.pixel(static_cast<uint32_t>(l.values / 3)) & (bytes == 4 ? 0xFFFFFFFFu : 0xFFFFu);
        std::vector<uint8_t> ref = before;
        nltest::ReferenceBlit(st, OneRow(src, ref, bytes));
        nltest::ForEachVectorWidth([&] {
          std::vector<uint8_t> real = before;
          BlitPiecePixels(st, OneRow(src, real, bytes));
          ASSERT_EQ(FirstDifference(real, ref, bytes), -1)
              << "bits " << l.format->ColorBits << " level " << level << " keyed " << keyed;
        });
      }
  }
}

// Reading d from a work copy gives the same picture as reading the destination itself.
TEST_F(BlitTest, WorkCopyReadsLikeTheDestination) {
  for (const ColorFormatRecord* f : {&kXrgb32, &k565}) {
    const int bytes = f->BytesPerPixel;
    constexpr int kW = 6, kH = 4;
    std::mt19937 rng(7);
    Surface src(bytes, kW, kH), direct(bytes, kW, kH);
    for (uint8_t& b : src.data) b = static_cast<uint8_t>(rng());
    for (uint8_t& b : direct.data) b = static_cast<uint8_t>(rng());
    // The work copy sits at (0, 0) of a surface with another pitch.
    const ptrdiff_t workPitch = (kW + 3) * bytes;
    std::vector<uint8_t> work(workPitch * kH);
    for (int y = 0; y < kH; ++y) std::memcpy(&work[y * workPitch], direct.Origin() + y * direct.pitch, kW * bytes);
    Surface copied = direct;
    BlitSettings st;
    st.Format = f;
    st.BlendMode = 1;
    st.BlendParam = 100;
    BlitPixels px;
    px.Source = src.Origin();
    px.SourcePitch = src.pitch;
    px.Width = kW;
    px.Height = kH;
    px.DestRead = direct.Origin();
    px.DestReadPitch = direct.pitch;
    px.Dest = direct.Origin();
    px.DestPitch = direct.pitch;
    BlitPiecePixels(st, px);
    px.DestRead = work.data();
    px.DestReadPitch = workPitch;
    px.Dest = copied.Origin();
    BlitPiecePixels(st, px);
    EXPECT_EQ(direct.data, copied.data) << int(f->ColorBits);
  }
}

// Mode 1 at p = 255 is the plain copy the fast path makes.
TEST_F(BlitTest, Mode1AtFullParameterIsAPlainCopy) {
  for (const ColorFormatRecord* f : {&kXrgb32, &k565, &k555}) {
    const int bytes = f->BytesPerPixel;
    constexpr int kW = 5, kH = 3;
    std::mt19937 rng(11);
    Surface src(bytes, kW, kH), dst(bytes, kW, kH);
    for (uint8_t& b : src.data) b = static_cast<uint8_t>(rng());
    for (uint8_t& b : dst.data) b = static_cast<uint8_t>(rng());
    Surface expected = dst;
    for (int y = 0; y < kH; ++y)
      std::memcpy(expected.Origin() + y * expected.pitch, src.Origin() + y * src.pitch, kW * bytes);
    BlitSettings st;
    st.Format = f;
    st.BlendMode = 1;
    st.BlendParam = 255;
    BlitPixels px;
    px.Source = src.Origin();
    px.SourcePitch = src.pitch;
    px.DestRead = px.Dest = dst.Origin();
    px.DestReadPitch = px.DestPitch = dst.pitch;
    px.Width = kW;
    px.Height = kH;
    BlitPiecePixels(st, px);
    EXPECT_EQ(dst.data, expected.data) << int(f->ColorBits);
  }
}

}  // namespace

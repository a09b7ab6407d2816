// The shape kernels: hand-worked pixels for every family's rules and shortcuts, and the
// loop bodies held over random rows to the slow reference written from the rules.
#include "vexal/raster/shape_kernels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/vector_widths.h"
#include "tests/vexal/raster/shape_reference.h"
#include "vexal/graphics/screen/blend_mul_table.h"
#include "vexal/raster/shape_kernel_ops.h"

namespace {

using vexal::ShapeFamily;
using vexal::ShapeFormat;
using vexal::ShapeKernelKind;
using vexal::ShapeLayout;

ShapeFormat Format(int bits, uint32_t red = 0, uint32_t green = 0, uint32_t blue = 0) {
  vexal::ColorFormatRecord record{};
  record.ColorBits = static_cast<uint8_t>(bits);
  record.RedMask = red;
  record.GreenMask = green;
  record.BlueMask = blue;
  ShapeFormat f;
  EXPECT_TRUE(vexal::DescribeShapeFormat(bits, record, &f));
  return f;
}

const ShapeFormat& F32() {
  static const ShapeFormat f = Format(32);
  return f;
}
const ShapeFormat& F565() {
  static const ShapeFormat f = Format(16, 0xF800, 0x07E0, 0x001F);
  return f;
}
const ShapeFormat& F555() {
  static const ShapeFormat f = Format(16, 0x7C00, 0x03E0, 0x001F);
  return f;
}
// Blue on top: the lowest field is red, and blue has a shift of its own.
const ShapeFormat& FBgr() {
  static const ShapeFormat f = Format(16, 0x001F, 0x07E0, 0xF800);
  return f;
}
const ShapeFormat& F8() {
  static const ShapeFormat f = Format(8);
  return f;
}

// The reference's view of the same layouts, from the same masks.
shaperef::Layout ReferenceLayout(const ShapeFormat* f) {
  struct Known {
    const ShapeFormat* format;
    int bits;
    uint32_t red, green, blue;
  };
  const Known known[] = {{&F32(), 32, 0, 0, 0},
                         {&F565(), 16, 0xF800, 0x07E0, 0x001F},
                         {&F555(), 16, 0x7C00, 0x03E0, 0x001F},
                         {&FBgr(), 16, 0x001F, 0x07E0, 0xF800},
                         {&F8(), 8, 0, 0, 0}};
  for (const Known& k : known) {
    if (k.format != f) continue;
    vexal::ColorFormatRecord record{};
    record.RedMask = k.red;
    record.GreenMask = k.green;
    record.BlueMask = k.blue;
    return shaperef::Layout::Of(k.bits, record);
  }
  ADD_FAILURE() << "unknown layout";
  return {};
}

shaperef::Family ReferenceFamily(ShapeFamily family) {
  switch (family) {
    case ShapeFamily::kRound: return shaperef::Family::kRound;
    case ShapeFamily::kSpan: return shaperef::Family::kSpan;
    case ShapeFamily::kBoxRow: return shaperef::Family::kBox;
    case ShapeFamily::kPoint: return shaperef::Family::kPoint;
  }
  return shaperef::Family::kRound;
}

// The kernel's loop body on one pixel, as a shape writes it.
uint32_t Apply(const vexal::ShapeKernel& k, uint32_t s) {
  uint8_t in[4], out[4];
  std::memcpy(in, &s, 4);
  std::memcpy(out, &s, 4);
  vexal::shape_ops::WithShapeOp(k, [&](auto op) { vexal::shape_ops::PutPixel(op, out, in); });
  uint32_t v;
  std::memcpy(&v, out, 4);
  return v;
}

class ShapeKernelTest : public ::testing::Test {
 protected:
  void SetUp() override { vexal::FillBlendMulTable(); }
  void TearDown() override { vexal::ResetBlendMulTable(); }
};

struct Case {
  const char* what;
  ShapeFamily family;
  const ShapeFormat* format;
  int mode, p;
  bool coarse;
  uint32_t color, old, expected;
};

TEST_F(ShapeKernelTest, PixelsWorkedOutByHand) {
  const auto R = ShapeFamily::kRound, S = ShapeFamily::kSpan, B = ShapeFamily::kBoxRow, P = ShapeFamily::kPoint;
  const Case cases[] = {
      {"alpha p128 white on white", R, &F32(), 1, 128, false, 0xFFFFFF, 0xFFFFFF, 0x00FDFDFD},
      {"alpha drops the top byte", S, &F32(), 1, 128, false, 0xFFFFFF, 0xABFFFFFF, 0x00FDFDFD},
      {"add fine white on black", R, &F32(), 2, 255, false, 0xFFFFFF, 0x000000, 0x00FEFEFE},
      {"add fine white on white saturates", R, &F32(), 2, 255, false, 0xFFFFFF, 0xFFFFFF, 0x01FFFFFF},
      {"coarse add masks the colour's low bits", R, &F32(), 2, 255, true, 0xFFFFFF, 0x000000, 0x00FEFEFF},
      {"coarse add of a span keeps them", S, &F32(), 2, 255, true, 0xFFFFFF, 0x000000, 0x00FFFFFF},
      {"coarse add of a box row keeps them", B, &F32(), 2, 255, true, 0xFFFFFF, 0x000000, 0x00FFFFFF},
      {"subtract 0x404040 at p128", R, &F32(), 3, 128, false, 0x404040, 0x808080, 0x00616160},
      {"subtract white from white", S, &F32(), 3, 255, false, 0xFFFFFF, 0xFFFFFF, 0x00010101},
      {"subtract white from grey floors", R, &F32(), 3, 255, false, 0xFFFFFF, 0x808080, 0},
      {"5:6:5 subtract black from white", R, &F565(), 3, 200, false, 0, 0xFFFF, 0xFFDF},
      {"5:6:5 subtract black from green", S, &F565(), 3, 200, false, 0, 0x07E0, 0x0FC0},
      {"alpha coarse p127 is halves", R, &F32(), 1, 127, true, 0xABCDEF, 0x123456, 0x5E80A2},
      {"alpha p255 stores", R, &F565(), 1, 255, false, 0x1234, 0xFFFF, 0x1234},
      {"coarse alpha p255 stores", R, &F32(), 1, 255, true, 0x123456, 0xFFFFFF, 0x123456},
      {"5:6:5 coarse add of a circle", R, &F565(), 2, 255, true, 0xFFFF, 0, 0xF7DF},
      {"5:6:5 coarse add of a line", S, &F565(), 2, 255, true, 0xFFFF, 0, 0xFFFF},
      {"5:6:5 halved box add", B, &F565(), 2, 255, true, 0xFFFF, 0, 0xFFFF},
      {"5:6:5 halved box subtract", B, &F565(), 3, 127, true, 0xFFFF, 0xFFFF, 0x8410},
      {"5:6:5 line coarse subtract", S, &F565(), 3, 127, true, 0xFFFF, 0xFFFF, 0x8C10},
      {"point alpha red over blue", P, &F32(), 1, 128, false, 0xFF0000, 0x0000FF, 0x007F007E},
      {"point alpha keeps the full p when coarse", P, &F32(), 1, 240, true, 0xFF0000, 0x0000FF, 0x00EF000E},
      {"point add saturates", P, &F32(), 2, 255, false, 0x646464, 0xC8C8C8, 0x00FFFFFF},
      {"point subtract p10", P, &F32(), 3, 10, false, 0x141414, 0x0A0A0A, 0x00090909},
      {"point subtract floors", P, &F32(), 3, 255, false, 0x202020, 0x101010, 0},
      {"8 bits stores whatever the mode", R, &F8(), 3, 0, false, 0x1C5, 0x33, 0xC5},
      // Other masks: each channel by its own shift (blue at bit 11 here).
      {"other masks alpha by table", R, &FBgr(), 1, 128, false, 0xF800, 0x0000, 0x7800},
      {"other masks box row by channel", B, &FBgr(), 1, 128, true, 0xF800, 0x0000, 0x7800},
      {"other masks add", S, &FBgr(), 2, 255, false, 0xF800, 0xF800, 0xF800},
      // Lines truncate each product alone, box rows the sum: 0 + 1 against 638 >> 8.
      {"other masks line alpha truncates twice", S, &FBgr(), 1, 128, false, 0x0003, 0x0002, 0x0001},
      {"other masks box row alpha truncates once", B, &FBgr(), 1, 128, false, 0x0003, 0x0002, 0x0002},
  };
  for (const Case& c : cases) {
    const vexal::ShapeKernel k = vexal::PrepareShapeKernel(c.family, *c.format, c.mode, c.p, c.coarse, c.color);
    ASSERT_NE(k.Kind, ShapeKernelKind::kNone) << c.what;
    const uint32_t field = c.format->Bytes == 4 ? 0xFFFFFFFFu : c.format->Bytes == 2 ? 0xFFFFu : 0xFFu;
    EXPECT_EQ(Apply(k, c.old) & field, c.expected) << c.what << std::hex << " got " << Apply(k, c.old);
  }
}

TEST_F(ShapeKernelTest, ParametersThatDrawNothing) {
  struct Nothing {
    const ShapeFormat* format;
    int mode, p;
    bool coarse;
  };
  const Nothing cases[] = {{&F32(), 1, 0, false},  {&F32(), 2, 0, false},   {&F565(), 3, 0, false},
                           {&F32(), 1, 14, true},  {&F565(), 2, 14, true},  {&FBgr(), 3, 14, true},
                           {&FBgr(), 1, 0, false}, {&F32(), 4, 128, false}, {&F32(), -1, 128, false},
                           {&F32(), 1, 256, false}};
  for (const ShapeFamily family :
       {ShapeFamily::kRound, ShapeFamily::kSpan, ShapeFamily::kBoxRow, ShapeFamily::kPoint}) {
    for (const Nothing& c : cases) {
      EXPECT_EQ(vexal::PrepareShapeKernel(family, *c.format, c.mode, c.p, c.coarse, 0xFFFF).Kind,
                ShapeKernelKind::kNone)
          << c.mode << " p" << c.p << " coarse " << c.coarse;
    }
  }
  // p = 15 with the flag set blends at one sixteenth.
  const vexal::ShapeKernel k = vexal::PrepareShapeKernel(ShapeFamily::kRound, F32(), 1, 15, true, 0xFFFFFF);
  EXPECT_EQ(k.Kind, ShapeKernelKind::kAlphaCoarse);
  EXPECT_EQ(Apply(k, 0), 0x0F0F0Fu);
}

// A channel mask that is not one run of bits is not served by the blends, like a channel
// wider than 8 bits: split red (0x8001) would index its rows at 32769. The colour is still
// stored in mode 0 and at full strength of mode 1.
TEST_F(ShapeKernelTest, SplitChannelMasksOnlyStore) {
  const uint32_t split[][3] = {{0x8001, 0x07E0, 0x001E}, {0xF800, 0x0540, 0x001F}, {0xF800, 0x07E0, 0x0011}};
  for (const auto& m : split) {
    const ShapeFormat f = Format(16, m[0], m[1], m[2]);
    EXPECT_FALSE(f.Blends) << std::hex << m[0] << " " << m[1] << " " << m[2];
    for (const ShapeFamily family :
         {ShapeFamily::kRound, ShapeFamily::kSpan, ShapeFamily::kBoxRow, ShapeFamily::kPoint}) {
      for (int mode = 1; mode <= 3; ++mode)
        for (const bool coarse : {false, true})
          EXPECT_EQ(vexal::PrepareShapeKernel(family, f, mode, 128, coarse, 0xFFFF).Kind, ShapeKernelKind::kNone)
              << std::hex << m[0] << " mode " << std::dec << mode;
      for (const auto& [mode, p] : {std::pair{0, 7}, std::pair{1, 255}}) {
        const vexal::ShapeKernel k = vexal::PrepareShapeKernel(family, f, mode, p, false, 0x8421);
        ASSERT_EQ(k.Kind, ShapeKernelKind::kStore);
        EXPECT_EQ(Apply(k, 0xFFFF) & 0xFFFF, 0x8421u);
      }
    }
  }
}

// Every loop body gives what the reference's pen gives, in place and from a copy, at both
// alignments of a 16-bit row (the coarse box rows go two pixels a word).
TEST_F(ShapeKernelTest, LoopBodiesMatchTheReference) {
  std::mt19937 rng(17);
  const ShapeFormat* formats[] = {&F32(), &F565(), &F555(), &FBgr(), &F8()};
  const int params[] = {0, 1, 14, 15, 16, 31, 100, 127, 128, 200, 239, 240, 254, 255};
  constexpr int kRow = 37;
  for (const ShapeFormat* f : formats) {
    const uint32_t field = f->Bytes == 4 ? 0xFFFFFFFFu : f->Bytes == 2 ? 0xFFFFu : 0xFFu;
    for (const ShapeFamily family :
         {ShapeFamily::kRound, ShapeFamily::kSpan, ShapeFamily::kBoxRow, ShapeFamily::kPoint}) {
      for (int mode = 0; mode <= 3; ++mode) {
        for (const int p : params) {
          for (const bool coarse : {false, true}) {
            const uint32_t color = rng() & field;
            const vexal::ShapeKernel k = vexal::PrepareShapeKernel(family, *f, mode, p, coarse, color);
            shaperef::Pen pen;
            pen.family = ReferenceFamily(family);
            pen.lay = ReferenceLayout(f);
            pen.mode = mode;
            pen.p = p;
            pen.coarse = coarse;
            pen.c = color;
            const shaperef::Pen::What what = pen.Decide();
            for (const int offset : {0, 1}) {
              for (const bool in_place : {false, true}) {
                std::vector<uint8_t> old((kRow + 2) * 4), out((kRow + 2) * 4);
                for (uint8_t& b : old) b = static_cast<uint8_t>(rng());
                out = old;
                const uint8_t* src = in_place ? out.data() + offset * f->Bytes : old.data() + offset * f->Bytes;
                uint8_t* dst = out.data() + offset * f->Bytes;
                bool called = false;
                vexal::shape_ops::WithShapeOp(k, [&](auto op) {
                  called = true;
                  vexal::shape_ops::PutRun(op, dst, src, kRow - 1);
                  vexal::shape_ops::PutPixel(op, dst + (kRow - 1) * f->Bytes, src + (kRow - 1) * f->Bytes);
                });
                EXPECT_EQ(called, what != shaperef::Pen::kNothing);
                for (int i = 0; i < kRow; ++i) {
                  uint32_t s = 0, got = 0;
                  std::memcpy(&s, old.data() + (offset + i) * f->Bytes, f->Bytes);
                  std::memcpy(&got, out.data() + (offset + i) * f->Bytes, f->Bytes);
                  const uint32_t want = (what == shaperef::Pen::kNothing ? s
                                         : what == shaperef::Pen::kStore ? pen.Stored()
                                                                         : pen.Blend(s)) &
                                        field;
                  ASSERT_EQ(got, want) << "bytes " << f->Bytes << " family " << static_cast<int>(family) << " mode "
                                       << mode << " p" << p << " coarse " << coarse << " pixel " << i;
                }
              }
            }
          }
        }
      }
    }
  }
}

// The reference's pen for a box's rows.
shaperef::Pen BoxPen(const ShapeFormat* f, int mode, int p, bool coarse, uint32_t colour) {
  shaperef::Pen pen;
  pen.family = shaperef::Family::kBox;
  pen.lay = ReferenceLayout(f);
  pen.mode = mode;
  pen.p = p;
  pen.coarse = coarse;
  pen.c = colour;
  return pen;
}

// Blends the pixels `old` as one row of a box, in place, starting `offset` pixels into a
// buffer for each of `offsets`, in each vector width; the first pixel that differs from the
// pen's, told in words, or nothing.
std::string RowOffThePen(const vexal::ShapeKernel& k, const shaperef::Pen& pen, const std::vector<uint32_t>& old,
                         std::initializer_list<int> offsets) {
  const int bytes = k.Format.Bytes;
  const uint32_t field = bytes == 4 ? 0xFFFFFFFFu : 0xFFFFu;
  std::vector<uint32_t> want(old.size());
  for (size_t i = 0; i < old.size(); ++i) want[i] = pen.Blend(old[i]) & field;
  std::string off;
  nltest::ForEachVectorWidth([&] {
    for (const int offset : offsets) {
      if (!off.empty()) return;
      std::vector<uint8_t> row((old.size() + 1) * bytes);
      uint8_t* first = row.data() + offset * bytes;
      for (size_t i = 0; i < old.size(); ++i) std::memcpy(first + i * bytes, &old[i], bytes);
      vexal::shape_ops::WithShapeOp(
          k, [&](auto op) { vexal::shape_ops::PutRows(op, first, 0, first, 0, static_cast<int>(old.size()), 1); });
      for (size_t i = 0; i < old.size() && off.empty(); ++i) {
        uint32_t got = 0;
        std::memcpy(&got, first + i * bytes, bytes);
        if (got != want[i]) {
          std::ostringstream say;
          say << (plat::sys::UseWideVectors() ? "256" : "128") << "-bit vectors, offset " << offset << ", old "
              << std::hex << old[i] << ": got " << got << ", want " << want[i];
          off = say.str();
        }
      }
    }
  });
  return off;
}

// The alpha kernels work W(s) out in 16-bit lanes (a channel times 255 - p) instead of
// reading the weight row: every channel value under every parameter that blends by table,
// in each vector width, against the reference's pen, which reads its rows.
TEST_F(ShapeKernelTest, AlphaOfEveryChannelValueAndParameter) {
  struct Layout {
    const ShapeFormat* format;
    uint32_t (*pixel)(uint32_t v);  // a pixel with v (cut to each width) in every channel
    int values;
  };
  const Layout layouts[] = {
      {&F32(), [](uint32_t v) { return v * 0x010101u | (v * 37 & 255) << 24; }, 256},
      {&F565(), [](uint32_t v) { return (v & 31) << 11 | v << 5 | (v & 31); }, 64},
      {&F555(), [](uint32_t v) { return (v & 31) << 10 | (v & 31) << 5 | (v & 31) | (v & 1) << 15; }, 32},
  };
  for (const Layout& l : layouts) {
    const uint32_t field = l.format->Bytes == 4 ? 0xFFFFFFFFu : 0xFFFFu;
    std::vector<uint32_t> old(static_cast<size_t>(l.values));
    for (int v = 0; v < l.values; ++v) old[v] = l.pixel(static_cast<uint32_t>(v));
    for (int p = 1; p <= 254; ++p) {
      const uint32_t color = l.pixel(static_cast<uint32_t>((p * 113) % l.values)) & field;
      const vexal::ShapeKernel k = vexal::PrepareShapeKernel(ShapeFamily::kBoxRow, *l.format, 1, p, false, color);
      ASSERT_EQ(k.Kind, ShapeKernelKind::kAlphaTable);
      ASSERT_EQ(RowOffThePen(k, BoxPen(l.format, 1, p, false, color), old, {0}), "")
          << "bytes " << l.format->Bytes << " p " << p;
    }
  }
}

// When 16 - L has one bit the sixteenths of the old pixel are one shifted, masked term: at
// every level, every 16-bit pixel and every channel value of a 32-bit one, against the
// reference's pen, which sums the terms of every bit, in each vector width.
TEST_F(ShapeKernelTest, CoarseAlphaOfEveryPixelAndLevel) {
  struct Layout {
    const ShapeFormat* format;
    int pixels;
  };
  const Layout layouts[] = {{&F32(), 256}, {&F565(), 65536}, {&F555(), 65536}};
  for (const Layout& l : layouts) {
    const uint32_t field = l.format->Bytes == 4 ? 0xFFFFFFFFu : 0xFFFFu;
    std::vector<uint32_t> old(static_cast<size_t>(l.pixels));
    for (int v = 0; v < l.pixels; ++v)
      old[v] = l.format->Bytes == 4 ? static_cast<uint32_t>(v) * 0x010101u | static_cast<uint32_t>(255 - v) << 24
                                    : static_cast<uint32_t>(v);
    for (int level = 1; level <= 15; ++level) {
      const int p = 16 * level;  // (p + 1) >> 4 is the level
      const uint32_t color = (0x9A7B5Cu * static_cast<uint32_t>(level)) & field;
      const vexal::ShapeKernel k = vexal::PrepareShapeKernel(ShapeFamily::kBoxRow, *l.format, 1, p, true, color);
      ASSERT_EQ(k.Kind, ShapeKernelKind::kAlphaCoarse);
      ASSERT_EQ(RowOffThePen(k, BoxPen(l.format, 1, p, true, color), old, {0}), "")
          << "bytes " << l.format->Bytes << " level " << level;
    }
  }
}

// The halved 16-bit box rows take two pixels in each 32-bit lane, the vectors a pair in each
// of theirs: every 16-bit pixel, in the low and the high half of a lane (the row starting on
// each half), beside partners in two orders, under colours that give each channel every
// value (at level 16 the scaled colour is the colour), adding and subtracting, in each
// vector width, against the reference's one-pixel form.
TEST_F(ShapeKernelTest, HalvedPairsOfEveryPixelAndColour) {
  struct Layout {
    const ShapeFormat* format;
    int colours;
    uint32_t (*colour)(uint32_t i);
  };
  const Layout layouts[] = {
      {&F565(), 64, [](uint32_t i) { return (i & 31) << 11 | i << 5 | (31 - (i & 31)); }},
      {&F555(), 32, [](uint32_t i) { return i << 10 | (31 - i) << 5 | i; }},
  };
  // Every 16-bit pixel in order, and in a second order (0x9E37 is odd: a permutation).
  std::vector<uint32_t> orders[2];
  for (uint32_t j = 0; j < 65536; ++j) {
    orders[0].push_back(j);
    orders[1].push_back(j * 0x9E37u & 0xFFFF);
  }
  for (const Layout& l : layouts)
    for (const int mode : {2, 3})
      for (int i = 0; i < l.colours; ++i) {
        const uint32_t colour = l.colour(static_cast<uint32_t>(i));
        const vexal::ShapeKernel k =
            vexal::PrepareShapeKernel(ShapeFamily::kBoxRow, *l.format, mode, 255, true, colour);
        ASSERT_EQ(k.Kind, mode == 2 ? ShapeKernelKind::kAddHalved : ShapeKernelKind::kSubtractHalved);
        for (const std::vector<uint32_t>& old : orders)
          ASSERT_EQ(RowOffThePen(k, BoxPen(l.format, mode, 255, true, colour), old, {0, 1}), "")
              << "mode " << mode << " colour " << std::hex << colour;
      }
}

// The 32-bit box's packed add and subtract in vector lanes: every pair of a channel value of
// the old pixel and of the scaled colour (at level 16 the colour itself), in two colour
// patterns so that neighbouring channels differ, in each vector width, against the
// reference's one-pixel form.
TEST_F(ShapeKernelTest, PackedAddAndSubtractOfEveryPairOfChannelValues) {
  std::vector<uint32_t> old;
  for (uint32_t u = 0; u < 256; ++u) old.push_back(u * 0x010101u | (255 - u) << 24);
  const auto patterns = {+[](uint32_t v) { return v * 0x010101u; },
                         +[](uint32_t v) { return v << 16 | (255 - v) << 8 | (v ^ 0x5A) | 0xC3000000u; }};
  for (const auto pattern : patterns)
    for (const int mode : {2, 3})
      for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t colour = pattern(v);
        const vexal::ShapeKernel k = vexal::PrepareShapeKernel(ShapeFamily::kBoxRow, F32(), mode, 255, true, colour);
        ASSERT_EQ(k.Kind, mode == 2 ? ShapeKernelKind::kAdd : ShapeKernelKind::kSubtract);
        ASSERT_EQ(RowOffThePen(k, BoxPen(&F32(), mode, 255, true, colour), old, {0}), "")
            << "mode " << mode << " colour " << std::hex << colour;
      }
}

// A box's rows, several whole vectors and a part of one each, at both alignments of a 16-bit
// row and in each vector width, against the reference's pen.
TEST_F(ShapeKernelTest, BoxRowsInEachVectorWidth) {
  nltest::ForEachVectorWidth([] {
    std::mt19937 rng(23);
    const ShapeFormat* formats[] = {&F32(), &F565(), &F555(), &FBgr(), &F8()};
    const int params[] = {1, 15, 16, 100, 127, 128, 200, 240, 254, 255};
    constexpr int kWidth = 45, kRows = 3;
    for (const ShapeFormat* f : formats) {
      const uint32_t field = f->Bytes == 4 ? 0xFFFFFFFFu : f->Bytes == 2 ? 0xFFFFu : 0xFFu;
      const ptrdiff_t pitch = (kWidth + 3) * f->Bytes;
      for (int mode = 0; mode <= 3; ++mode)
        for (const int p : params)
          for (const bool coarse : {false, true}) {
            const uint32_t color = rng() & field;
            const vexal::ShapeKernel k = vexal::PrepareShapeKernel(ShapeFamily::kBoxRow, *f, mode, p, coarse, color);
            const shaperef::Pen pen = BoxPen(f, mode, p, coarse, color);
            const shaperef::Pen::What what = pen.Decide();
            for (const int offset : {0, 1})
              for (const bool in_place : {false, true}) {
                std::vector<uint8_t> old(static_cast<size_t>(pitch) * kRows + 8), out;
                for (uint8_t& b : old) b = static_cast<uint8_t>(rng());
                out = old;
                const uint8_t* src = (in_place ? out.data() : old.data()) + offset * f->Bytes;
                uint8_t* dst = out.data() + offset * f->Bytes;
                vexal::shape_ops::WithShapeOp(
                    k, [&](auto op) { vexal::shape_ops::PutRows(op, dst, pitch, src, pitch, kWidth, kRows); });
                for (int y = 0; y < kRows; ++y)
                  for (int i = 0; i < kWidth; ++i) {
                    const size_t at = static_cast<size_t>(y * pitch + (offset + i) * f->Bytes);
                    uint32_t s = 0, got = 0;
                    std::memcpy(&s, old.data() + at, f->Bytes);
                    std::memcpy(&got, out.data() + at, f->Bytes);
                    const uint32_t want = (what == shaperef::Pen::kNothing ? s
                                           : what == shaperef::Pen::kStore ? pen.Stored()
                                                                           : pen.Blend(s)) &
                                          field;
                    ASSERT_EQ(got, want) << "bytes " << f->Bytes << " mode " << mode << " p" << p << " coarse "
                                         << coarse << " offset " << offset << " row " << y << " pixel " << i;
                  }
              }
          }
    }
  });
}

}  // namespace

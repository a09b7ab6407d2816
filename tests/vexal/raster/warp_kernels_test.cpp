// The per-pixel rule of every warp (a triangle, a stretch, a turn) in every blend mode,
// parameter edge, brightness, coarse flag, alpha plane and key, against the slow
// reference, in 32-bit, 5:6:5 and 5:5:5 colour. The shape's box is compared with the
// reference and the rest of the screen byte for byte with what it held, so pixels outside
// the drawn shape are checked to be untouched too.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/raster/triangle_raster.h"
#include "warp_fixture.h"

namespace warptest {
namespace {

enum class Walker { kTriangle, kStretch, kTurn };

const char* Name(Walker w) { return w == Walker::kTriangle ? "triangle" : w == Walker::kStretch ? "stretch" : "turn"; }

std::vector<Look> Looks() {
  std::vector<Look> out;
  const uint32_t brights[] = {vexal::kBrightNone, vexal::MakeBrightValue(200, 100, 255)};
  for (int mode = 0; mode <= 3; ++mode)
    for (int p : {0, 14, 128, 255})
      for (uint32_t b : brights)
        for (bool coarse : {false, true})
          for (int trans : {0, 1}) out.push_back({mode, p, b, coarse, trans});
  // Level 8 without brightness (the exact average), level 15, and a key asked for with 2.
  out.push_back({1, 130, vexal::kBrightNone, true, 0});
  out.push_back({1, 240, vexal::kBrightNone, true, 0});
  out.push_back({2, 240, vexal::MakeBrightValue(0, 14, 255), true, 0});
  for (int mode = 0; mode <= 3; ++mode) out.push_back({mode, 100, vexal::kBrightNone, false, 2});
  return out;
}

// The box each walker draws its 16 x 16 pixels into.
nltest::Area Box(Walker w) {
  return w == Walker::kTriangle  ? nltest::Area{5, 7, 21, 23}
         : w == Walker::kStretch ? nltest::Area{3, 5, 19, 21}
                                 : nltest::Area{92, 52, 108, 68};
}

class WarpKernels : public WarpTest, public ::testing::WithParamInterface<std::tuple<const Screen*, Walker>> {
 protected:
  // Draws g with the walker and gives back what each place of its box shows: texel (u, v)
  // or the old pixel.
  void DrawAndExpect(Walker walker, TestGraph& g, const Look& look, Picture* expected) {
    const Picture before = Read(vexal::DDrawState.Back, Box(walker));
    *expected = before;
    const bool alpha = !g.alpha.empty();
    const bool none = look.bright == vexal::kBrightNone;
    const int level = (look.param + 1) >> 4;
    const bool full = look.coarse && !alpha ? level == 16 : look.param == 255;
    const bool plain = !alpha && none && (look.mode == 0 || (look.mode == 1 && full));
    if (walker == Walker::kTriangle) {
      // (0, 0)-(16, 0)-(0, 16) at (5, 7): row r shows columns 0 .. min(15, 16 - r).
      ps::LockedRect d, s;
      ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, ps::kLockWait, &d), ps::Result::kOk);
      ASSERT_EQ(ps::Lock(g.piece->Surface, nullptr, ps::kLockWait, &s), ps::Result::kOk);
      std::vector<uint8_t> old(static_cast<size_t>(d.pitch) * d.height);
      std::memcpy(old.data(), d.bits, old.size());
      const int bpp = screen_->bits / 8;
      const vexal::RasterVertex v[3] = {{5, 7, 0, 0}, {21, 7, 16, 0}, {5, 23, 0, 16}};
      EXPECT_EQ(vexal::G_DDraw_RasterTriangle(v, &g.record, look.trans, d.bits, d.pitch,
                                              s.bits + g.piece->Y * s.pitch + g.piece->X * bpp, s.pitch, old.data(),
                                              d.pitch, 0),
                0);
      ps::Unlock(g.piece->Surface);
      ps::Unlock(vexal::DDrawState.Back);
      for (int r = 0; r < 16; ++r)
        for (int c = 0; c <= std::min(15, 16 - r); ++c)
          Expect(expected, 5 + c, 7 + r, g, c, r, look, look.trans == 1, before);
    } else if (walker == Walker::kStretch) {
      EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(3, 5, 19, 21, &g.record, look.trans), 0);
      const bool keyed = plain ? (look.trans & 1) != 0 : look.trans != 0;
      for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j) Expect(expected, 3 + j, 5 + i, g, j / 2, i / 2, look, keyed, before);
    } else {
      EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(100, 60, 1.0, 0.0, &g.record, look.trans, 0), 0);
      for (int v = 0; v < 16; ++v)
        for (int u = 0; u < 16; ++u) Expect(expected, 92 + u, 52 + v, g, u, v, look, look.trans == 1, before);
    }
  }
};

TEST_P(WarpKernels, EveryRuleMatchesTheReference) {
  const auto [screen, walker] = GetParam();
  Start(*screen);
  uint32_t noise = 0xC0FFEE;
  FillBack();
  for (bool with_alpha : {false, true}) {
    const int size = walker == Walker::kStretch ? 8 : 16;
    auto g =
        Graph(size, size, 0xFF00FF, with_alpha ? std::vector<uint8_t>{0, 1, 77, 200, 255} : std::vector<uint8_t>{});
    for (const Look& look : Looks()) {
      // The reads back of a video-memory target must give the same pixels, and the work
      // surfaces hold noise, not an earlier copy of the same place.
      vexal::DrawState.TargetInVideoMemory = rng_() % 2;
      FillBack(Box(walker));
      noise = nltest::FillWithNoise(vexal::DDrawState.Work1, noise);
      noise = nltest::FillWithNoise(vexal::DDrawState.Work2, noise);
      Apply(look);
      const std::vector<uint8_t> screen_before = nltest::Bytes(vexal::DDrawState.Back);
      Picture expected;
      DrawAndExpect(walker, *g, look, &expected);
      const Picture after = Read(vexal::DDrawState.Back, Box(walker));
      ASSERT_TRUE(after == expected) << Name(walker) << " " << screen->name << " alpha " << with_alpha << " "
                                     << Describe(look);
      ASSERT_TRUE(nltest::UnchangedOutside(vexal::DDrawState.Back, screen_before, Box(walker)))
          << Name(walker) << " " << screen->name << " alpha " << with_alpha << " " << Describe(look);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, WarpKernels,
                         ::testing::Combine(::testing::Values(&kXrgb32, &k565, &k555, &k655, &k444),
                                            ::testing::Values(Walker::kTriangle, Walker::kStretch, Walker::kTurn)),
                         [](const auto& info) {
                           return std::string(Name(std::get<1>(info.param))) + "_" + std::get<0>(info.param)->name;
                         });

// One colour through the flat kernels: the colour prepared once, every covered pixel the
// reference's.
class OneColourKernels : public WarpTest, public ::testing::WithParamInterface<const Screen*> {};

TEST_P(OneColourKernels, TriangleMatchesTheReference) {
  const Screen* screen = GetParam();
  Start(*screen);
  const uint32_t color = RandomPixel();
  for (const Look& look : Looks()) {
    FillBack();
    Apply(look);
    const Picture before = Read(vexal::DDrawState.Back);
    Picture expected = before;
    ps::LockedRect d;
    ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, ps::kLockWait, &d), ps::Result::kOk);
    const vexal::RasterVertex v[3] = {{40, 30, 0, 0}, {40, 36, 0, 0}, {44, 36, 0, 0}};
    EXPECT_EQ(vexal::G_DDraw_RasterTriangle(v, nullptr, 0, d.bits, d.pitch, nullptr, 0, d.bits, d.pitch, color), 0);
    ps::Unlock(vexal::DDrawState.Back);
    // Flat bottom: the right edge starts half a pixel in and steps 174762 / 262144 a row.
    const int right[6] = {0, 1, 1, 2, 3, 3};
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c <= right[r]; ++c)
        if (auto px = ReferencePixel(screen->layout, look, false, 255, color, before.at(40 + c, 30 + r), true))
          expected.at(40 + c, 30 + r) = screen->bits == 16 ? *px & 0xFFFF : *px;
    ASSERT_TRUE(Read(vexal::DDrawState.Back) == expected) << screen->name << " " << Describe(look);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, OneColourKernels, ::testing::Values(&kXrgb32, &k565, &k555, &k655, &k444),
                         [](const auto& info) { return std::string(info.param->name); });

// One colour on a 6:5:5 screen (red 0xFC00, green 0x03E0, blue 0x001F), pixels worked by
// hand: each channel saturates and floors within its own width.
TEST_F(WarpTest, OneColourOnUnequalChannelsByHand) {
  Start(k655);
  const struct {
    const char* what;
    int mode, p;
    uint32_t color, old, want;
  } cases[] = {
      {"store", 0, 255, 0x1234, 0xFFFF, 0x1234},
      // (63 * 128) >> 8 = 31, (31 * 128) >> 8 = 15 twice; black keeps nothing.
      {"alpha 128, white over black", 1, 128, 0xFFFF, 0x0000, 31u << 10 | 15u << 5 | 15u},
      // 62 + 63, 30 + 31, 30 + 31: every channel full.
      {"add 255, white over white", 2, 255, 0xFFFF, 0xFFFF, 0xFFFF},
      // Red alone carries: green and blue keep their sums, red is full.
      {"add 255, red over red", 2, 255, 0xFC00, 0x8000 | 3u << 5 | 2u, 0xFC00 | 3u << 5 | 2u},
      {"subtract 255, white minus black", 3, 255, 0x0000, 0xFFFF, 0xFFFF},
      // 32 - 62 floors red at 0; green and blue untouched by a colour of none.
      {"subtract 255, red minus red", 3, 255, 0xFC00, 0x8000 | 7u << 5 | 9u, 7u << 5 | 9u},
  };
  for (const auto& c : cases) {
    Look look;
    look.mode = c.mode;
    look.param = c.p;
    Apply(look);
    ps::Blt(vexal::DDrawState.Back, nullptr, nullptr, nullptr, ps::kBltColorFill, c.old);
    ps::LockedRect d;
    ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, ps::kLockWait, &d), ps::Result::kOk);
    const vexal::RasterVertex v[3] = {{40, 30, 0, 0}, {40, 36, 0, 0}, {44, 36, 0, 0}};
    EXPECT_EQ(vexal::G_DDraw_RasterTriangle(v, nullptr, 0, d.bits, d.pitch, nullptr, 0, d.bits, d.pitch, c.color), 0);
    ps::Unlock(vexal::DDrawState.Back);
    EXPECT_EQ(Read(vexal::DDrawState.Back).at(40, 31), c.want) << c.what;
  }
}

// A 16-bit screen whose red mask is not one run (0x8001): the warps copy whole pixels and
// store one colour, and every blend draws nothing, as on the other layouts they cannot
// serve.
TEST_F(WarpTest, SplitChannelMasksOnlyCopy) {
  const Screen split{"SplitRed", 16, pd::Layout16::k565, Layout::kGeneric, 0x8001, 0x07E0, 0x001E};
  Start(split);
  auto g = Graph(16, 16, -1);
  const struct {
    int mode, p;
    bool draws;
  } cases[] = {{0, 255, true}, {1, 255, true}, {1, 128, false}, {2, 255, false}, {3, 200, false}};
  for (const auto& c : cases) {
    Look look;
    look.mode = c.mode;
    look.param = c.p;
    Apply(look);
    ps::Blt(vexal::DDrawState.Back, nullptr, nullptr, nullptr, ps::kBltColorFill, 0x8001);
    EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(3, 5, 35, 37, &g->record, 0), 0);
    ps::LockedRect d;
    ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, ps::kLockWait, &d), ps::Result::kOk);
    const vexal::RasterVertex v[3] = {{40, 30, 0, 0}, {40, 36, 0, 0}, {44, 36, 0, 0}};
    EXPECT_EQ(vexal::G_DDraw_RasterTriangle(v, nullptr, 0, d.bits, d.pitch, nullptr, 0, d.bits, d.pitch, 0x1234), 0);
    ps::Unlock(vexal::DDrawState.Back);
    const Picture after = Read(vexal::DDrawState.Back);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        ASSERT_EQ(after.at(3 + x, 5 + y), c.draws ? g->pixels.at(x / 2, y / 2) : 0x8001u) << c.mode << " p" << c.p;
    EXPECT_EQ(after.at(40, 31), c.draws ? 0x1234u : 0x8001u) << c.mode << " p" << c.p;
  }
}

}  // namespace
}  // namespace warptest

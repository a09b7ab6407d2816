// The filled one-colour triangle on a 32-bit screen, against a slow reference: the pixels
// of the 14.18 edge walk (vertices at pixel centres, coordinates truncated toward zero,
// the bottom row left out) and the flat-colour blend worked channel by channel, with the
// brightness applied twice (once by the frame, once more by the rasteriser). The target
// has an origin, the draw area cuts the triangle, and with a video-memory target the old
// pixels come from work surface 1, scrambled first so that a short read-back shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "shape_draw_fixture.h"
#include "triangle_reference.h"
#include "vexal/graphics/drawing/ddraw_row.h"

namespace shapetest {
namespace {

using namespace triangleref;  // NOLINT

constexpr int kOriginX = 30, kOriginY = 20;
constexpr uint32_t kColor = 0xC08040;

// The screen as the fill should leave it.
Picture Expected(const Picture& before, const Picture& old, const Triangle& t, const vexal::Rect& area,
                 const Look& look) {
  Picture out = before;
  for (const Row& r : Covered(t)) {
    if (r.y < area.top || r.y >= area.bottom) continue;
    for (int x = r.left; x <= r.right; ++x) {
      if (x < area.left || x >= area.right) continue;
      const int sx = x + kOriginX, sy = r.y + kOriginY;
      out.at(sx, sy) = Blend(old.at(sx, sy), kColor, look);
    }
  }
  return out;
}

class TriangleFillTest : public ShapeDrawTest {};

TEST_F(TriangleFillTest, CoverageAndBlendMatchTheReferenceInEveryMode) {
  Start(kXrgb32);
  const uint32_t dim = 0xFF | 128u << 8 | 255u << 16 | 64u << 24;  // red half, blue a quarter
  const struct {
    const char* name;
    Look look;
  } looks[] = {
      {"store", {0, 255, vexal::kBrightNone, false, false}},
      {"store, brightness twice", {0, 255, dim, false, false}},
      {"alpha 100, brightness, from a copy", {1, 100, dim, false, true}},
      {"alpha 255 stores", {1, 255, vexal::kBrightNone, false, true}},
      {"add 200, from a copy", {2, 200, vexal::kBrightNone, false, true}},
      {"subtract 150, brightness", {3, 150, dim, false, false}},
      {"subtract 150, from a copy", {3, 150, vexal::kBrightNone, false, true}},
      {"alpha 0 draws nothing", {1, 0, vexal::kBrightNone, false, false}},
  };
  const struct {
    const char* name;
    Triangle t;
    vexal::Rect area;  // draw coordinates
  } shapes[] = {
      {"inside", {{4, 2}, {20, 10}, {8, 18}}, {-kOriginX, -kOriginY, 290, 220}},
      {"cut left and below", {{4, 2}, {20, 10}, {8, 18}}, {6, 0, 290, 14}},
      // Negative corners: rows and columns start one pixel in.
      {"above and left of the origin", {{-6, -4}, {10, 4}, {-2, 12}}, {-kOriginX, -kOriginY, 290, 220}},
  };
  for (const auto& s : shapes) {
    for (const auto& l : looks) {
      SCOPED_TRACE(std::string(s.name) + ", " + l.name);
      DrawState.TargetRect = {kOriginX, kOriginY, 320, 240};
      DrawState.DrawArea = s.area;
      Apply(l.look);
      Scramble(DDrawState.Back);
      Scramble(DDrawState.Work1);
      const Picture before = Read(DDrawState.Back);
      // The corners in another order: the fill sorts them.
      ASSERT_EQ(vexal::G_DDraw_DrawTriangle(s.t.bottom.x, s.t.bottom.y, s.t.top.x, s.t.top.y, s.t.mid.x, s.t.mid.y,
                                            kColor, 1),
                0);
      const Picture after = Read(DDrawState.Back);
      EXPECT_TRUE(after == Expected(before, before, s.t, s.area, l.look));
    }
  }
}

TEST_F(TriangleFillTest, BrightnessReachesTheFillTwiceButTheOutlineNotAtAll) {
  Start(kXrgb32);
  DrawState.Bright = 0xFF | 128u << 8 | 128u << 16 | 128u << 24;
  ASSERT_EQ(vexal::G_DDraw_DrawTriangle(0, 0, 10, 0, 0, 10, 0xC0C0C0, 1), 0);
  // 192 x 128 / 255 = 96 by the frame, 96 x 128 >> 8 = 48 by the rasteriser.
  EXPECT_EQ(Read(DDrawState.Back).at(1, 1), 0x303030u);
  ASSERT_EQ(vexal::G_DDraw_DrawTriangle(0, 20, 10, 20, 0, 30, 0xC0C0C0, 0), 0);
  EXPECT_EQ(Read(DDrawState.Back).at(5, 20), 0xC0C0C0u);
}

TEST_F(TriangleFillTest, CornersOnOneLineDrawNothingAndStillSucceed) {
  Start(kXrgb32);
  Scramble(DDrawState.Back);
  const Picture before = Read(DDrawState.Back);
  EXPECT_EQ(vexal::G_DDraw_DrawTriangle(0, 0, 10, 10, 20, 20, kColor, 1), 0);
  EXPECT_TRUE(Read(DDrawState.Back) == before);
}

}  // namespace
}  // namespace shapetest

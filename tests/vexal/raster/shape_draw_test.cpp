// The shape drawers against the slow reference of shape_reference.h, over a sweep of
// random shapes in every layout.
#include "shape_draw_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace shapetest {

using shaperef::Family;

// The largest radius whose square fits a 32-bit int: ovals up to it draw exactly as their
// walk says.
constexpr int64_t kOvalRadiusSettled = 46340;

class ShapeDrawFormats : public ShapeDrawTest, public ::testing::WithParamInterface<const Screen*> {};

// Random shapes, huge, negative, inverted and clipped-away ones among them, in every mode,
// with and without the copy of the old pixels, under a target origin: each call leaves the
// surface exactly as the slow reference does, and nothing outside the draw area changes.
TEST_P(ShapeDrawFormats, RandomShapesMatchTheReferenceAndStayInTheArea) {
  Start(*GetParam());
  ps::Surface* dest = DDrawState.Back;
  Scramble(dest);
  const int ox = 7, oy = 5;
  DrawState.TargetRect = {ox, oy, ox + 300, oy + 220};
  DrawState.DrawArea = {10, 6, 290, 214};
  const vexal::Rect area = DrawState.DrawArea;
  const uint32_t field = screen_->bits == 32 ? 0xFFFFFFu : screen_->bits == 16 ? 0xFFFFu : 0x1FFu;
  auto coord = [&] {
    switch (rng_() % 8) {
      case 0: return static_cast<int>(rng_() % 2 ? 2000000000u : -2000000000);
      case 1: return static_cast<int>(rng_() % 2000) - 1000;
      default: return static_cast<int>(rng_() % 360) - 20;
    }
  };
  auto radius = [&] {
    switch (rng_() % 10) {
      case 0: {
        const int big[] = {46340, 46341, 52758, 1000000};
        return big[rng_() % 4];
      }
      case 1: return -static_cast<int>(rng_() % 50) - 1;
      case 2: return static_cast<int>(rng_() % 3);
      default: return static_cast<int>(rng_() % 150) + 1;
    }
  };
  for (int i = 0; i < 160; ++i) {
    Look look;
    look.mode = static_cast<int>(rng_() % 6);  // 4 and 5 draw nothing
    if (rng_() % 8 == 0) look.mode -= 3;       // nor do negative modes
    const int params[] = {0, 14, 15, 128, 200, 255, static_cast<int>(rng_() % 256)};
    look.param = params[rng_() % 7];
    look.coarse = rng_() % 2 != 0;
    look.video = rng_() % 2 != 0;
    if (rng_() % 4 == 0) look.bright = vexal::MakeBrightValue(rng_() % 256, rng_() % 256, rng_() % 256);
    Apply(look);
    const uint32_t color = rng_() & field;
    const Picture before = Read(dest);
    Picture expected = before;
    const bool copy = look.video && screen_->bits != 8 && look.mode != 0;
    shaperef::Canvas ref(before, &expected, area.left, area.top, area.right, area.bottom, ox, oy, copy);
    const int kind = static_cast<int>(rng_() % 7);
    const int x = coord(), y = coord(), x2 = coord(), y2 = coord();
    const bool fill = rng_() % 2 != 0;
    std::string what;
    int result = 0, want = 0;
    bool open = false;
    if (kind == 0) {
      const int r = radius();
      what = "circle r " + std::to_string(r);
      result = vexal::G_DDraw_DrawCircle(x, y, r, color, fill);
      ref.Use(Pen(Family::kRound, color));
      ref.Circle(x, y, r, fill);
    } else if (kind == 1) {
      int rx = radius(), ry = radius();
      int64_t ax = std::abs(static_cast<int64_t>(rx)), ay = std::abs(static_cast<int64_t>(ry));
      // The walk of an oval takes about (larger radius)^2 / smaller radius steps; keep the
      // slow reference to a few million of them.
      while (ax != 0 && ay != 0 && std::max(ax, ay) * std::max(ax, ay) / std::min(ax, ay) > 4000000) {
        (ax > ay ? rx : ry) /= 4;
        ax = std::abs(static_cast<int64_t>(rx)), ay = std::abs(static_cast<int64_t>(ry));
      }
      what = "oval " + std::to_string(rx) + "x" + std::to_string(ry);
      result = vexal::G_DDraw_DrawOval(x, y, rx, ry, color, fill);
      if (rx == 0 || ry == 0) {
        want = -1;
      } else if (std::max(ax, ay) > kOvalRadiusSettled) {
        // Past the radii whose square fits 32 bits what an oval draws is open: it stays in
        // the area, that is all.
        open = true;
      } else {
        ref.Use(Pen(Family::kRound, color));
        ref.Oval(x, y, ax, ay, fill);
      }
    } else if (kind == 2) {
      what = "box";
      result = vexal::G_DDraw_DrawFillBox(x, y, x2, y2, color);
      ref.Use(Pen(Family::kBox, color));
      for (int64_t py = std::max(y, area.top); py < std::min(y2, area.bottom); ++py)
        for (int64_t px = std::max(x, area.left); px < std::min(x2, area.right); ++px) ref.Write(px, py);
    } else if (kind == 3) {
      what = "line";
      result = vexal::G_DDraw_DrawLine(x, y, x2, y2, color);
      ref.Use(Pen(Family::kSpan, color));
      ref.Line(x, y, x2, y2);
    } else if (kind == 4) {
      // Small boxes so that the outline's sides meet inside the area.
      const int bx = static_cast<int>(rng_() % 300), by = static_cast<int>(rng_() % 220);
      const int bx2 = bx + static_cast<int>(rng_() % 40) - 5, by2 = by + static_cast<int>(rng_() % 40) - 5;
      what = "outline";
      result = vexal::G_DDraw_DrawBoxOutline(bx, by, bx2, by2, color);
      // Four lines: each one's copy of the old pixels holds the sides before it.
      const int sides[4][4] = {{bx, by, bx2, by}, {bx2 - 1, by, bx2, by2}, {bx2 - 1, by2 - 1, bx, by2}, {bx, by2 - 1, bx, by}};
      for (const auto& side : sides) {
        const Picture now = expected;
        shaperef::Canvas line(now, &expected, area.left, area.top, area.right, area.bottom, ox, oy, copy);
        line.Use(Pen(Family::kSpan, color));
        line.Line(side[0], side[1], side[2], side[3]);
      }
    } else if (kind == 5) {
      const int px = static_cast<int>(rng_() % 320) - 10, py = static_cast<int>(rng_() % 240) - 10;
      what = "pixel";
      result = vexal::G_DDraw_DestPixel(px, py, color);
      const bool inside = px >= area.left && px < area.right && py >= area.top && py < area.bottom;
      want = inside ? 0 : -1;
      // One pixel reads its old value where it stands.
      shaperef::Canvas at(before, &expected, area.left, area.top, area.right, area.bottom, ox, oy, false);
      at.Use(Pen(Family::kPoint, color));
      at.Write(px, py);
    } else {
      what = "line set";
      const vexal::LineSegmentRecord segs[] = {{x, y, x2, y2, color, 0}, {x2, y2, 0, 0, color ^ 0x55, 0}};
      result = vexal::G_DDraw_DrawLineSet(segs, 2);
      for (const auto& seg : segs) {
        ref.Use(Pen(Family::kStore, seg.color));
        ref.Line(seg.x1, seg.y1, seg.x2, seg.y2);
      }
    }
    what += " at " + std::to_string(x) + "," + std::to_string(y) + " fill " + std::to_string(fill) + " mode " +
            std::to_string(look.mode) + " p " + std::to_string(look.param) + " coarse " + std::to_string(look.coarse) +
            " video " + std::to_string(look.video);
    EXPECT_EQ(result, want) << what;
    const Picture after = Read(dest);
    for (int py = 0; py < after.h; ++py)
      for (int px = 0; px < after.w; ++px) {
        const bool inside =
            px >= area.left + ox && px < area.right + ox && py >= area.top + oy && py < area.bottom + oy;
        if (!inside) {
          ASSERT_EQ(after.at(px, py), before.at(px, py)) << what << " wrote outside at " << px << "," << py;
        }
      }
    if (open) continue;
    if (!(after == expected)) {
      for (int py = 0; py < after.h; ++py)
        for (int px = 0; px < after.w; ++px)
          ASSERT_EQ(after.at(px, py), expected.at(px, py)) << what << " at " << px << "," << py << std::hex
                                                          << " was " << before.at(px, py) << " colour " << color;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, ShapeDrawFormats, ::testing::Values(&kXrgb32, &k565, &k555, &kBgr16, &kIndex8, &kWide16, &kNoRed16),
                         [](const auto& info) { return std::string("Rgb") + info.param->name; });

}  // namespace shapetest

namespace shapetest {
namespace {

// A circle far larger than the area is walked to its end: its bottom point (280, 124) and
// the rest of the walk land where the reference puts them.
TEST_F(ShapeDrawTest, ACircleOfAnyRadiusIsDrawn) {
  Start(kXrgb32);
  Scramble(DDrawState.Back);
  DrawState.DrawArea = {0, 0, 287, 240};
  const Picture before = Read(DDrawState.Back);
  for (const bool fill : {false, true}) {
    Picture expected = Read(DDrawState.Back);
    shaperef::Canvas ref(before, &expected, 0, 0, 287, 240, 0, 0, false);
    ref.Use(Pen(shaperef::Family::kRound, 0x123456));
    ref.Circle(280, -52634, 52758, fill);
    ASSERT_EQ(vexal::G_DDraw_DrawCircle(280, -52634, 52758, 0x123456, fill ? 1 : 0), 0);
    const Picture after = Read(DDrawState.Back);
    EXPECT_EQ(after.at(280, 124), 0x123456u) << fill;
    EXPECT_TRUE(after == expected) << fill;
  }
}

// Layouts whose channels the blends cannot serve still store the colour in mode 0, with
// every shape; the blended modes leave them alone.
class UnservedLayouts : public ShapeDrawTest, public ::testing::WithParamInterface<const Screen*> {};

TEST_P(UnservedLayouts, ModeZeroStoresTheColourWithEveryShape) {
  {
    Start(*GetParam());
    ps::Blt(DDrawState.Back, nullptr, nullptr, nullptr, ps::kBltColorFill, 0);
    const uint32_t c = 0xA5C3;
    const uint32_t drawn = Brightened(c, DrawState.Bright);
    // The shapes draw the colour's 8-bit levels packed again, and a channel wider than a level
    // loses bits. The wide layout's 10-bit red holds 0x297: level 663 x 255 / 1023 = 165 goes
    // back into the channel's top 8 bits, 165 << 2 = 0x294, so 0xA5C3 draws 0xA503. Elsewhere
    // red is missing, or two bits split over both ends (0x8001: level 32769 x 255 / 3, whose
    // low byte 0x55 packs as 1), and green and blue come back whole: 0x05C3.
    ASSERT_EQ(drawn, GetParam() == &kWide16 ? 0xA503u : 0x05C3u);
    Apply({0, 255});
    EXPECT_EQ(vexal::G_DDraw_DrawCircle(20, 20, 5, c, 0), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawCircle(20, 40, 5, c, 1), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawOval(50, 20, 8, 4, c, 0), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawOval(50, 40, 8, 4, c, 1), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawLine(70, 10, 80, 10, c), 0);
    EXPECT_EQ(vexal::G_DDraw_DestPixel(90, 10, c), 0);
    const vexal::PointRecord point{100, 10, c, 0};
    EXPECT_EQ(vexal::G_DDraw_DrawPixel(&point, 1), 0);
    const vexal::LineSegmentRecord segment{110, 10, 120, 10, c, 0};
    EXPECT_EQ(vexal::G_DDraw_DrawLineSet(&segment, 1), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawTriangle(130, 10, 150, 10, 130, 30, c, 1), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawTriangle(130, 40, 150, 40, 130, 60, c, 0), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawFillBox(160, 10, 170, 20, c), 0);
    Apply({2, 128});
    EXPECT_EQ(vexal::G_DDraw_DrawCircle(20, 80, 5, c, 1), 0);
    const Picture p = Read(DDrawState.Back);
    EXPECT_EQ(p.at(15, 20), drawn);   // outline's left point
    EXPECT_EQ(p.at(20, 40), drawn);   // disc centre
    EXPECT_EQ(p.at(42, 20), drawn);   // oval outline's left point
    EXPECT_EQ(p.at(50, 40), drawn);   // oval disc
    EXPECT_EQ(p.at(75, 10), drawn);   // line
    EXPECT_EQ(p.at(90, 10), drawn);   // one pixel
    EXPECT_EQ(p.at(100, 10), c);      // point set: the value unchanged
    EXPECT_EQ(p.at(115, 10), c);      // line set
    EXPECT_EQ(p.at(131, 11), drawn);  // filled triangle
    EXPECT_EQ(p.at(135, 40), c);      // triangle outline: a line set
    EXPECT_EQ(p.at(165, 15), drawn);  // box
    EXPECT_EQ(p.at(20, 80), 0u);      // add: not served
  }
}

// Red split over both ends of the pixel: its mask is not one run.
const Screen kSplitRed16{"SplitRed16", 16, pd::Layout16::k565, true, 0x8001, 0x07E0, 0x001E};

INSTANTIATE_TEST_SUITE_P(Screens, UnservedLayouts, ::testing::Values(&kWide16, &kNoRed16, &kSplitRed16),
                         [](const auto& info) { return std::string("Rgb") + info.param->name; });

}  // namespace
}  // namespace shapetest

// The shape drawers against the slow reference of shape_reference.h, over a sweep of
// random shapes of each layout's own and of shapes across each edge of the draw area, with
// work surface 1 full of noise before every draw.
#include "shape_draw_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "layout_seed.h"

namespace shapetest {

using shaperef::Family;

// The largest radius whose square fits a 32-bit int: ovals up to it draw exactly as their
// walk says.
constexpr int64_t kOvalRadiusSettled = 46340;

enum class Kind { kCircle, kOval, kBox, kLine, kOutline, kPixel, kLineSet };

// One call: a circle at (x, y) of radius rx, an oval of radii rx, ry, a box, line or outline
// from (x, y) to (x2, y2), one pixel at (x, y), or two segments from (x, y) over (x2, y2).
struct ShapeCase {
  Kind kind = Kind::kCircle;
  int x = 0, y = 0, x2 = 0, y2 = 0, rx = 0, ry = 0;
  bool fill = false;
  Look look;
  uint32_t color = 0;
};

std::string Describe(const ShapeCase& c) {
  const char* names[] = {"circle", "oval", "box", "line", "outline", "pixel", "line set"};
  return std::string(names[static_cast<int>(c.kind)]) + " " + std::to_string(c.x) + "," + std::to_string(c.y) + " " +
         std::to_string(c.x2) + "," + std::to_string(c.y2) + " r " + std::to_string(c.rx) + "x" + std::to_string(c.ry) +
         " fill " + std::to_string(c.fill) + " mode " + std::to_string(c.look.mode) + " p " +
         std::to_string(c.look.param) + " coarse " + std::to_string(c.look.coarse) + " video " +
         std::to_string(c.look.video);
}

class ShapeDrawFormats : public ShapeDrawTest, public ::testing::WithParamInterface<const Screen*> {
 protected:
  static constexpr int kOx = 7, kOy = 5;  // the target origin
  static constexpr vexal::Rect kArea{10, 6, 290, 214};

  void StartSweep() {
    Start(*GetParam());
    rng_.seed(rastertest::LayoutSeed(GetParam()->name));
    noise_ = rastertest::LayoutSeed(GetParam()->name) ^ 0x9E3779B9u;
    Scramble(DDrawState.Back);
    DrawState.TargetRect = {kOx, kOy, kOx + 300, kOy + 220};
    DrawState.DrawArea = kArea;
  }

  uint32_t Field() const { return screen_->bits == 32 ? 0xFFFFFFu : screen_->bits == 16 ? 0xFFFFu : 0x1FFu; }

  // Draws the case, with work surface 1 full of noise, and holds the surface to the
  // reference: the whole of it, so nothing outside the area may change either.
  void DrawAndCheck(const ShapeCase& c) {
    Apply(c.look);
    noise_ = nltest::FillWithNoise(DDrawState.Work1, noise_);
    ps::Surface* dest = DDrawState.Back;
    const vexal::Rect area = kArea;
    const Picture before = Read(dest);
    Picture expected = before;
    const bool copy = c.look.video && screen_->bits != 8 && c.look.mode != 0;
    shaperef::Canvas ref(before, &expected, area.left, area.top, area.right, area.bottom, kOx, kOy, copy);
    int result = 0, want = 0;
    bool open = false;
    switch (c.kind) {
      case Kind::kCircle:
        result = vexal::G_DDraw_DrawCircle(c.x, c.y, c.rx, c.color, c.fill);
        ref.Use(Pen(Family::kRound, c.color));
        ref.Circle(c.x, c.y, c.rx, c.fill);
        break;
      case Kind::kOval: {
        result = vexal::G_DDraw_DrawOval(c.x, c.y, c.rx, c.ry, c.color, c.fill);
        const int64_t ax = std::abs(static_cast<int64_t>(c.rx)), ay = std::abs(static_cast<int64_t>(c.ry));
        if (ax == 0 || ay == 0) {
          want = -1;
        } else if (std::max(ax, ay) > kOvalRadiusSettled) {
          // Past the radii whose square fits 32 bits what an oval draws is open: it stays in
          // the area, that is all.
          open = true;
        } else {
          ref.Use(Pen(Family::kRound, c.color));
          ref.Oval(c.x, c.y, ax, ay, c.fill);
        }
        break;
      }
      case Kind::kBox:
        result = vexal::G_DDraw_DrawFillBox(c.x, c.y, c.x2, c.y2, c.color);
        ref.Use(Pen(Family::kBox, c.color));
        for (int64_t py = std::max(c.y, area.top); py < std::min(c.y2, area.bottom); ++py)
          for (int64_t px = std::max(c.x, area.left); px < std::min(c.x2, area.right); ++px) ref.Write(px, py);
        break;
      case Kind::kLine:
        result = vexal::G_DDraw_DrawLine(c.x, c.y, c.x2, c.y2, c.color);
        ref.Use(Pen(Family::kSpan, c.color));
        ref.Line(c.x, c.y, c.x2, c.y2);
        break;
      case Kind::kOutline: {
        result = vexal::G_DDraw_DrawBoxOutline(c.x, c.y, c.x2, c.y2, c.color);
        // Four lines: each one's copy of the old pixels holds the sides before it.
        const int sides[4][4] = {{c.x, c.y, c.x2, c.y},
                                 {c.x2 - 1, c.y, c.x2, c.y2},
                                 {c.x2 - 1, c.y2 - 1, c.x, c.y2},
                                 {c.x, c.y2 - 1, c.x, c.y}};
        for (const auto& side : sides) {
          const Picture now = expected;
          shaperef::Canvas line(now, &expected, area.left, area.top, area.right, area.bottom, kOx, kOy, copy);
          line.Use(Pen(Family::kSpan, c.color));
          line.Line(side[0], side[1], side[2], side[3]);
        }
        break;
      }
      case Kind::kPixel: {
        result = vexal::G_DDraw_DestPixel(c.x, c.y, c.color);
        const bool inside = c.x >= area.left && c.x < area.right && c.y >= area.top && c.y < area.bottom;
        want = inside ? 0 : -1;
        // One pixel reads its old value where it stands.
        shaperef::Canvas at(before, &expected, area.left, area.top, area.right, area.bottom, kOx, kOy, false);
        at.Use(Pen(Family::kPoint, c.color));
        at.Write(c.x, c.y);
        break;
      }
      case Kind::kLineSet: {
        const vexal::LineSegmentRecord segs[] = {{c.x, c.y, c.x2, c.y2, c.color, 0},
                                                 {c.x2, c.y2, 0, 0, c.color ^ 0x55, 0}};
        result = vexal::G_DDraw_DrawLineSet(segs, 2);
        for (const auto& seg : segs) {
          ref.Use(Pen(Family::kStore, seg.color));
          ref.Line(seg.x1, seg.y1, seg.x2, seg.y2);
        }
        break;
      }
    }
    const std::string what = Describe(c);
    EXPECT_EQ(result, want) << what;
    const Picture after = Read(dest);
    if (open) {
      for (int py = 0; py < after.h; ++py)
        for (int px = 0; px < after.w; ++px) {
          const bool inside =
              px >= area.left + kOx && px < area.right + kOx && py >= area.top + kOy && py < area.bottom + kOy;
          if (!inside) {
            ASSERT_EQ(after.at(px, py), before.at(px, py)) << what << " wrote outside at " << px << "," << py;
          }
        }
      return;
    }
    if (!(after == expected)) {
      for (int py = 0; py < after.h; ++py)
        for (int px = 0; px < after.w; ++px)
          ASSERT_EQ(after.at(px, py), expected.at(px, py))
              << what << " at " << px << "," << py << std::hex << " was " << before.at(px, py) << " colour " << c.color;
    }
  }

  uint32_t noise_ = 0;
};

// Random shapes, huge, negative, inverted and clipped-away ones among them, in every mode,
// with and without the copy of the old pixels, under a target origin: each call leaves the
// surface exactly as the slow reference does, and nothing outside the draw area changes.
TEST_P(ShapeDrawFormats, RandomShapesMatchTheReferenceAndStayInTheArea) {
  StartSweep();
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
    ShapeCase c;
    c.look.mode = static_cast<int>(rng_() % 6);  // 4 and 5 draw nothing
    if (rng_() % 8 == 0) c.look.mode -= 3;       // nor do negative modes
    const int params[] = {0, 14, 15, 128, 200, 255, static_cast<int>(rng_() % 256)};
    c.look.param = params[rng_() % 7];
    c.look.coarse = rng_() % 2 != 0;
    c.look.video = rng_() % 2 != 0;
    if (rng_() % 4 == 0) c.look.bright = vexal::MakeBrightValue(rng_() % 256, rng_() % 256, rng_() % 256);
    c.color = rng_() & Field();
    const int kind = static_cast<int>(rng_() % 7);
    c.x = coord(), c.y = coord(), c.x2 = coord(), c.y2 = coord();
    c.fill = rng_() % 2 != 0;
    if (kind == 0) {
      c.kind = Kind::kCircle;
      c.rx = radius();
    } else if (kind == 1) {
      c.kind = Kind::kOval;
      c.rx = radius(), c.ry = radius();
      int64_t ax = std::abs(static_cast<int64_t>(c.rx)), ay = std::abs(static_cast<int64_t>(c.ry));
      // The walk of an oval takes about (larger radius)^2 / smaller radius steps; keep the
      // slow reference to a few million of them.
      while (ax != 0 && ay != 0 && std::max(ax, ay) * std::max(ax, ay) / std::min(ax, ay) > 4000000) {
        (ax > ay ? c.rx : c.ry) /= 4;
        ax = std::abs(static_cast<int64_t>(c.rx)), ay = std::abs(static_cast<int64_t>(c.ry));
      }
    } else if (kind == 2) {
      c.kind = Kind::kBox;
    } else if (kind == 3) {
      c.kind = Kind::kLine;
    } else if (kind == 4) {
      // Small boxes so that the outline's sides meet inside the area.
      c.kind = Kind::kOutline;
      c.x = static_cast<int>(rng_() % 300), c.y = static_cast<int>(rng_() % 220);
      c.x2 = c.x + static_cast<int>(rng_() % 40) - 5, c.y2 = c.y + static_cast<int>(rng_() % 40) - 5;
    } else if (kind == 5) {
      c.kind = Kind::kPixel;
      c.x = static_cast<int>(rng_() % 320) - 10, c.y = static_cast<int>(rng_() % 240) - 10;
    } else {
      c.kind = Kind::kLineSet;
    }
    DrawAndCheck(c);
    if (HasFatalFailure()) return;
  }
}

// Every shape across each edge of the area, in each blend mode, fine and coarse, with the
// old pixels read back: the pixels next to the edge, inside and out, are the ones a short
// clip or a short read-back gets wrong.
TEST_P(ShapeDrawFormats, ShapesAcrossEachEdgeMatchTheReferenceInEveryMode) {
  StartSweep();
  std::vector<Look> looks = {{0, 255}};
  for (int mode = 1; mode <= 3; ++mode) {
    looks.push_back({mode, 128, vexal::kBrightNone, false, true});
    looks.push_back({mode, 100, vexal::kBrightNone, true, true});
  }
  // Each edge as a place on it (the first pixel in, next to the edge) and the way inwards.
  const vexal::Rect a = kArea;
  const struct {
    const char* name;
    int x, y, in_x, in_y;
  } edges[] = {{"left", a.left, 100, 1, 0},
               {"right", a.right - 1, 100, -1, 0},
               {"top", 150, a.top, 0, 1},
               {"bottom", 150, a.bottom - 1, 0, -1}};
  for (const auto& e : edges) {
    SCOPED_TRACE(e.name);
    // A point `in` pixels inwards of the edge place (negative: outwards) and `side` along it.
    auto at = [&](int in, int side, int* x, int* y) {
      *x = e.x + e.in_x * in + e.in_y * side;
      *y = e.y + e.in_y * in + e.in_x * side;
    };
    std::vector<ShapeCase> shapes;
    auto add = [&](Kind kind, int in, int side, int in2, int side2, int rx, int ry, bool fill) {
      ShapeCase c;
      c.kind = kind;
      at(in, side, &c.x, &c.y);
      at(in2, side2, &c.x2, &c.y2);
      if (kind == Kind::kBox || kind == Kind::kOutline) {
        if (c.x > c.x2) std::swap(c.x, c.x2);
        if (c.y > c.y2) std::swap(c.y, c.y2);
      }
      c.rx = rx, c.ry = ry, c.fill = fill;
      shapes.push_back(c);
    };
    for (const bool fill : {false, true}) {
      add(Kind::kCircle, 3, 0, 0, 0, 8, 0, fill);
      add(Kind::kOval, 2, 5, 0, 0, 9, 4, fill);    // wide
      add(Kind::kOval, 4, -5, 0, 0, 2, 11, fill);  // tall: the tips pass ry
      add(Kind::kOval, 5, 9, 0, 0, 1, 7, fill);
    }
    add(Kind::kLine, 12, 0, -9, 5, 0, 0, false);   // leaving, steep across the edge
    add(Kind::kLine, 20, 3, -6, 30, 0, 0, false);  // leaving, shallow
    add(Kind::kLine, -9, -5, 12, 0, 0, 0, false);  // entering
    add(Kind::kLine, -6, 30, 20, 3, 0, 0, false);
    add(Kind::kLine, 0, -20, 0, 20, 0, 0, false);  // along the edge's own pixels
    add(Kind::kBox, -5, -4, 7, 5, 0, 0, false);
    add(Kind::kOutline, -5, -4, 7, 5, 0, 0, false);
    add(Kind::kOutline, 0, -4, 3, 5, 0, 0, false);
    add(Kind::kPixel, 0, 0, 0, 0, 0, 0, false);
    add(Kind::kPixel, -1, 0, 0, 0, 0, 0, false);
    add(Kind::kLineSet, 12, 0, -9, 5, 0, 0, false);
    for (const Look& look : looks)
      for (ShapeCase c : shapes) {
        c.look = look;
        c.color = rng_() & Field();
        DrawAndCheck(c);
        if (HasFatalFailure()) return;
      }
  }
}

INSTANTIATE_TEST_SUITE_P(Screens, ShapeDrawFormats,
                         ::testing::Values(&kXrgb32, &k565, &k555, &kBgr16, &kIndex8, &kWide16, &kNoRed16),
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

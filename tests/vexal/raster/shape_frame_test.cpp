// What the shapes' frame does around the geometry: results, the copy of the old pixels,
// brightness, the mask surface, targets larger than the screen, the point and line sets,
// the triangle, the fatal lock failures; and a captured scene of every shape in each mode.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/capture/frame_capture.h"
#include "shape_draw_fixture.h"
#include "triangle_reference.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/bmp_data_table.h"

namespace shapetest {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

class ShapeFrameTest : public ShapeDrawTest {
 protected:
  void Clear(uint32_t value = 0) { ps::Blt(DDrawState.Back, nullptr, nullptr, nullptr, ps::kBltColorFill, value); }
  Picture Back() { return Read(DDrawState.Back); }
};

// Every row-0 shape answers -1 on a Direct3D target (the box outline 0: it leaves that to
// its lines) and without the device; an oval of radius 0 is refused; a negative circle
// radius draws nothing.
TEST_F(ShapeFrameTest, ResultsOfUnusableTargetsMissingDeviceAndZeroRadii) {
  Start(k565);
  Clear(0x1234);
  const Picture before = Back();
  const vexal::PointRecord point{5, 5, 0xFFFF, 0};
  const vexal::LineSegmentRecord segment{0, 0, 9, 9, 0xFFFF, 0};
  auto results = [&] {
    return std::vector<int>{vexal::G_DDraw_DrawCircle(20, 20, 5, kWhite, 1),
                            vexal::G_DDraw_DrawOval(20, 20, 5, 3, kWhite, 0),
                            vexal::G_DDraw_DrawFillBox(0, 0, 10, 10, kWhite),
                            vexal::G_DDraw_DrawLine(0, 0, 10, 10, kWhite),
                            vexal::G_DDraw_DrawBoxOutline(0, 0, 10, 10, kWhite),
                            vexal::G_DDraw_DestPixel(3, 3, kWhite),
                            vexal::G_DDraw_DrawPixel(&point, 1),
                            vexal::G_DDraw_DrawLineSet(&segment, 1),
                            vexal::G_DDraw_DrawTriangle(0, 0, 9, 0, 0, 9, kWhite, 0),
                            vexal::G_DDraw_DrawTriangle(0, 0, 9, 0, 0, 9, kWhite, 1)};
  };
  vexal::DDrawTargetUnusable = 1;
  EXPECT_EQ(results(), (std::vector<int>{-1, -1, -1, -1, 0, -1, -1, -1, -1, -1}));
  vexal::DDrawTargetUnusable = 0;
  EXPECT_TRUE(Back() == before);

  EXPECT_EQ(vexal::G_DDraw_DrawOval(20, 20, 0, 5, kWhite, 1), -1);
  EXPECT_EQ(vexal::G_DDraw_DrawOval(20, 20, 5, 0, kWhite, 1), -1);
  EXPECT_EQ(vexal::G_DDraw_DrawCircle(20, 20, -3, kWhite, 1), 0);
  EXPECT_EQ(vexal::G_DDraw_DestPixel(320, 5, kWhite), -1);
  EXPECT_EQ(vexal::G_DDraw_DestPixel(5, 240, kWhite), -1);
  EXPECT_TRUE(Back() == before);

  vexal::LibraryEnd();
  EXPECT_EQ(results(),
            (std::vector<int>{-1, -1, -1, -1, -1, -1, -1, -1, 0, -1}));  // the outline leaves it to the line set
}

// Under add, a pixel named more than once is added once per write when the old pixels
// come from the destination, and once in all when they come from the copy.
TEST_F(ShapeFrameTest, RepeatedWritesBlendAgainUnlessTheOldPixelsAreCopied) {
  Start(kXrgb32);
  const uint32_t step = 0x202020;  // (64 * 128) >> 8 = 32 per channel: even, so the packed add is exact
  Apply({2, 128});
  Clear();
  EXPECT_EQ(vexal::G_DDraw_DrawCircle(50, 50, 0, 0x404040, 0), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawCircle(60, 50, 0, 0x404040, 1), 0);
  EXPECT_EQ(Back().at(50, 50), 4 * step);
  EXPECT_EQ(Back().at(60, 50), step);

  Apply({2, 128, vexal::kBrightNone, false, true});
  Clear();
  EXPECT_EQ(vexal::G_DDraw_DrawCircle(50, 50, 0, 0x404040, 0), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawOval(80, 50, 4, 1, 0x404040, 0), 0);
  EXPECT_EQ(Back().at(50, 50), step);
  for (int dx = -4; dx <= 4; ++dx) EXPECT_EQ(Back().at(80 + dx, 50), dx == 0 ? 0 : step) << dx;

  // The outline rx 4, ry 1 read from the destination: the inner centre-row pixels twice.
  Apply({2, 128});
  Clear();
  EXPECT_EQ(vexal::G_DDraw_DrawOval(80, 50, 4, 1, 0x404040, 0), 0);
  for (int dx = -4; dx <= 4; ++dx)
    EXPECT_EQ(Back().at(80 + dx, 50), dx == 0 ? 0 : std::abs(dx) == 4 ? step : 2 * step) << dx;
  EXPECT_EQ(Back().at(80, 49), step);
  EXPECT_EQ(Back().at(80, 51), step);

  // A box outline blends its two right-hand corners twice.
  Clear();
  EXPECT_EQ(vexal::G_DDraw_DrawBoxOutline(10, 10, 20, 16, 0x404040), 0);
  const Picture box = Back();
  for (int y = 8; y < 18; ++y)
    for (int x = 8; x < 22; ++x) {
      const bool edge = (y == 10 || y == 15 || x == 10 || x == 19) && x >= 10 && x <= 19 && y >= 10 && y <= 15;
      const bool corner = x == 19 && (y == 10 || y == 15);
      EXPECT_EQ(box.at(x, y), corner ? 2 * step : edge ? step : 0) << x << "," << y;
    }
  // y1 = y2: a band of two rows, y1 - 1 and y1.
  Apply({0, 255});
  Clear();
  EXPECT_EQ(vexal::G_DDraw_DrawBoxOutline(10, 30, 20, 30, kWhite), 0);
  const Picture band = Back();
  for (int y = 27; y < 33; ++y)
    for (int x = 8; x < 22; ++x)
      EXPECT_EQ(band.at(x, y), (y == 29 || y == 30) && x >= 10 && x < 20 ? kWhite : 0u) << x << "," << y;
}

// A box outline whose far edge is the bottom of the int range: its sides one pixel in
// from that edge stay there, so it draws what a far edge one pixel inside the range
// draws. Worked out from the half-open lines clipped to (0, 0)-(320, 240):
// (5, 5, INT_MIN, 50): row 5 from x 5 down to 0, row 49 from x 0 to 4 (the bottom side
// enters at (0, 49.99...)), column 5 from y 49 up to 6; the right side lies left of the
// area. (5, 5, 50, INT_MIN): row 5 from x 5 to 49, column 49 from y 4 up to 0 (the right
// side leaves the top at x = 49.00...), column 5 from y 0 to 4; the bottom side lies above.
TEST_F(ShapeFrameTest, ABoxOutlineWhoseFarEdgeIsTheBottomOfTheIntRangeDrawsAsOneInsideIt) {
  Start(kXrgb32);
  using Pixels = std::set<std::pair<int, int>>;
  auto run = [](Pixels& out, bool across, int at, int from, int to) {
    for (int i = from; i <= to; ++i) out.insert(across ? std::pair{i, at} : std::pair{at, i});
  };
  Pixels left_far, top_far;
  run(left_far, true, 5, 0, 5);
  run(left_far, true, 49, 0, 4);
  run(left_far, false, 5, 6, 49);
  run(top_far, true, 5, 5, 49);
  run(top_far, false, 49, 0, 4);
  run(top_far, false, 5, 0, 4);
  ASSERT_EQ(left_far.size(), 55u);
  ASSERT_EQ(top_far.size(), 55u);
  auto lit = [&] {
    const Picture p = Back();
    Pixels out;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x)
        if (p.at(x, y) != 0) out.insert({x, y});
    return out;
  };
  struct Case {
    const char* name;
    int (*draw)();
    const Pixels& want;
  };
  const Case cases[] = {
      {"DrawBox, x2 at the bottom", [] { return vexal::DrawBox(5, 5, INT_MIN, 50, kWhite, 0); }, left_far},
      {"x2 one inside", [] { return vexal::G_DDraw_DrawBoxOutline(5, 5, INT_MIN + 1, 50, kWhite); }, left_far},
      {"DrawBox, y2 at the bottom", [] { return vexal::DrawBox(5, 5, 50, INT_MIN, kWhite, 0); }, top_far},
      {"y2 one inside", [] { return vexal::G_DDraw_DrawBoxOutline(5, 5, 50, INT_MIN + 1, kWhite); }, top_far},
  };
  for (const Case& c : cases) {
    Clear();
    EXPECT_EQ(c.draw(), 0) << c.name;
    EXPECT_EQ(lit(), c.want) << c.name;
  }
}

TEST_F(ShapeFrameTest, BrightnessScalesTheColourBeforeTheBlend) {
  Start(kXrgb32);
  Clear(0x203040);
  Apply({0, 255, vexal::MakeBrightValue(128, 128, 128)});
  EXPECT_EQ(vexal::G_DDraw_DrawFillBox(0, 0, 4, 4, kWhite), 0);
  EXPECT_EQ(Back().at(1, 1), 0x808080u);  // 255 * 128 / 255
  Apply({2, 255, vexal::MakeBrightValue(0, 0, 0)});
  EXPECT_EQ(vexal::G_DDraw_DrawFillBox(4, 0, 8, 4, kWhite), 0);
  EXPECT_EQ(Back().at(5, 1), 0x203040u);
  Apply({0, 255});
  EXPECT_EQ(vexal::G_DDraw_DrawCircle(20, 20, 2, 0xAB123456, 1), 0);
  EXPECT_EQ(Back().at(20, 20), 0x123456u);
  EXPECT_EQ(vexal::G_DDraw_DestPixel(30, 30, 0xAB654321), 0);
  EXPECT_EQ(Back().at(30, 30), 0x654321u);
}

// The Part's clipped circle: centre (30, 24), r 10, in the area (25, 20)-(40, 30).
TEST_F(ShapeFrameTest, AClippedCircleFillsExactlyTheAreaItCovers) {
  Start(k555);
  DrawState.DrawArea = {25, 20, 40, 30};
  for (const int fill : {1, 0}) {
    Clear();
    EXPECT_EQ(vexal::G_DDraw_DrawCircle(30, 24, 10, 0x7FFF, fill), 0);
    const Picture p = Back();
    int written = 0;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) {
        const bool inside = x >= 25 && x < 40 && y >= 20 && y < 30;
        if (p.at(x, y) != 0) ++written;
        if (!inside) {
          ASSERT_EQ(p.at(x, y), 0u) << x << "," << y;
        }
        if (fill && inside) {
          ASSERT_EQ(p.at(x, y), 0x7FFFu) << x << "," << y;
        }
      }
    // The outline keeps only its points inside the area (the rim's right-hand arc).
    if (!fill) {
      EXPECT_GT(written, 0);
    }
  }
}

TEST_F(ShapeFrameTest, MaskedDrawingGoesToTheMaskSurface) {
  Start(k565);
  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  ps::Surface* mask = vexal::GetMaskSurface();
  ASSERT_NE(mask, nullptr);
  DrawState.MaskedDrawing = 1;
  Clear(0x0841);
  ps::Blt(mask, nullptr, nullptr, nullptr, ps::kBltColorFill, 0);
  const Picture back = Back();
  Apply({1, 128});
  EXPECT_EQ(vexal::G_DDraw_DrawCircle(40, 40, 6, 0xFFFF, 1), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawLine(0, 0, 30, 0, 0xFFFF), 0);
  EXPECT_TRUE(Back() == back);
  const Picture m = Read(mask);
  EXPECT_EQ(m.at(40, 40), 0x7BEFu);  // half of white over black in 5:6:5
  EXPECT_EQ(m.at(29, 0), 0x7BEFu);
}

// A target wider and taller than work surface 1 is blended in place with the same result.
TEST_F(ShapeFrameTest, ATargetLargerThanTheWorkSurfaceIsReadInPlace) {
  Start(kXrgb32);
  const int target = vexal::AddBmpData(400, 300, 0, 0, 0, 0, nullptr, 0, 0, 0);
  ASSERT_GE(target, 0);
  ps::Surface* dest = vexal::GetBmpData(target)->Surface;
  DDrawState.DrawSurface = dest;
  DrawState.DrawArea = {0, 0, 400, 300};
  Scramble(dest);
  Apply({1, 100, vexal::kBrightNone, false, true});
  const Picture before = Read(dest);
  EXPECT_EQ(vexal::G_DDraw_DrawFillBox(300, 200, 400, 300, 0x808080), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawCircle(380, 280, 30, 0x808080, 1), 0);
  const Picture after = Read(dest);
  // The box, then the disc over it, each reading the target as it stands.
  Picture expected = before;
  {
    shaperef::Canvas ref(before, &expected, 0, 0, 400, 300, 0, 0, false);
    ref.Use(Pen(shaperef::Family::kBox, 0x808080));
    for (int y = 200; y < 300; ++y)
      for (int x = 300; x < 400; ++x) ref.Write(x, y);
    ref.Use(Pen(shaperef::Family::kRound, 0x808080));
    ref.Circle(380, 280, 30, true);
  }
  EXPECT_TRUE(after == expected);
  // By hand, in the box's corner: each channel (155 v) >> 8 plus (100 x 128) >> 8 = 50.
  uint32_t corner = 0;
  for (int shift : {16, 8, 0}) corner |= (((155 * ((before.at(300, 200) >> shift) & 0xFF)) >> 8) + 50) << shift;
  EXPECT_EQ(after.at(300, 200), corner);
}

TEST_F(ShapeFrameTest, AnEightBitScreenStoresTheIndexInEveryMode) {
  Start(kIndex8);
  for (int mode = 0; mode <= 4; ++mode) {
    Apply({mode, 0, vexal::kBrightNone, true, true});
    Clear(3);
    EXPECT_EQ(vexal::G_DDraw_DrawOval(40, 40, 10, 20, 0x25, 1), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawFillBox(0, 0, 5, 5, 0x26), 0);
    EXPECT_EQ(vexal::G_DDraw_DestPixel(8, 8, 0x27), 0);
    const Picture p = Back();
    EXPECT_EQ(p.at(40, 20), 0x25u) << mode;  // a tall oval is as tall at 8 bits
    EXPECT_EQ(p.at(40, 19), 3u) << mode;
    EXPECT_EQ(p.at(4, 4), 0x26u) << mode;
    EXPECT_EQ(p.at(8, 8), 0x27u) << mode;
  }
  // A value past the palette draws black.
  Apply({0, 255});
  EXPECT_EQ(vexal::G_DDraw_DrawFillBox(0, 0, 5, 5, 300), 0);
  EXPECT_EQ(Back().at(0, 0), rastertest::ValueOf({0, 0, 0}));
}

// Points and segments store their colour values as they are: no brightness, no blend.
TEST_F(ShapeFrameTest, PointAndLineSetsAndTheTriangleOutlineStoreTheirColours) {
  Start(kXrgb32);
  DrawState.DrawArea = {10, 10, 100, 80};
  Apply({1, 128, vexal::MakeBrightValue(0, 0, 0)});
  Clear();
  const vexal::PointRecord points[] = {{10, 10, 0xAB123456, 0}, {99, 79, 0x00FFFFFF, 0}, {100, 20, 1, 0},
                                       {20, 80, 2, 0},          {9, 20, 3, 0},           {20, 9, 4, 0}};
  EXPECT_EQ(vexal::G_DDraw_DrawPixel(points, 6), 0);
  const vexal::LineSegmentRecord segments[] = {{10, 20, 20, 25, 0x00ABCDEF, 0}};
  EXPECT_EQ(vexal::G_DDraw_DrawLineSet(segments, 1), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawTriangle(40, 40, 60, 40, 40, 60, 0x00C0FFEE, 0), 0);
  const Picture p = Back();
  int set = 0;
  for (uint32_t v : p.px) set += v != 0;
  EXPECT_EQ(p.at(10, 10), 0xAB123456u);
  EXPECT_EQ(p.at(99, 79), 0x00FFFFFFu);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(p.at(10 + i, 20 + i / 2), 0x00ABCDEFu) << i;
  // Sides (40,40)-(60,40): x 40..59; (60,40)-(40,60): 20 diagonal pixels; (40,60)-(40,40).
  EXPECT_EQ(p.at(40, 40), 0x00C0FFEEu);
  EXPECT_EQ(p.at(59, 40), 0x00C0FFEEu);
  EXPECT_EQ(p.at(60, 40), 0x00C0FFEEu);
  EXPECT_EQ(p.at(41, 59), 0x00C0FFEEu);
  EXPECT_EQ(p.at(40, 41), 0x00C0FFEEu);
  EXPECT_EQ(set, 2 + 10 + 20 + 20 + 20);
}

// Each failed lock ends the program with the function's own message.
TEST_F(ShapeFrameTest, AFailedLockIsFatalWithItsMessage) {
  struct Case {
    const char* message;
    bool source;  // work surface 1 refuses, with a blend that reads back
    int (*draw)();
  };
  const Case cases[] = {
      {"転送先サーフェスのロックに失敗しました in G_DDraw_DrawCircle ", false,
       [] { return vexal::G_DDraw_DrawCircle(9, 9, 3, 0, 1); }},
      {"転送元サーフェスのロックに失敗しました in G_DDraw_DrawCircle", true,
       [] { return vexal::G_DDraw_DrawCircle(9, 9, 3, 0, 0); }},
      {"転送先サーフェスのロックに失敗しました in G_DDraw_DrawOval ", false,
       [] { return vexal::G_DDraw_DrawOval(9, 9, 3, 2, 0, 1); }},
      {"転送元サーフェスのロックに失敗しました in G_DDraw_DrawOval", true,
       [] { return vexal::G_DDraw_DrawOval(9, 9, -3, 2, 0, 0); }},
      {"転送先サーフェスのロックに失敗しました in G_DDraw_DrawFillBox ", false,
       [] { return vexal::G_DDraw_DrawFillBox(0, 0, 5, 5, 0); }},
      {"転送元サーフェスのロックに失敗しました in G_DDraw_DrawFillBox", true,
       [] { return vexal::G_DDraw_DrawFillBox(0, 0, 5, 5, 0); }},
      {"転送先サーフェスのロックに失敗しました in G_DDraw_DrawLine ", false,
       [] { return vexal::G_DDraw_DrawLine(0, 0, 5, 5, 0); }},
      {"転送元サーフェスのロックに失敗しました in G_DDraw_DrawLine", true,
       [] { return vexal::G_DDraw_DrawBoxOutline(0, 0, 5, 5, 0); }},
      {"転送先サーフェスのロックに失敗しました in G_DDraw_DestPixel ", false,
       [] { return vexal::G_DDraw_DestPixel(1, 1, 0); }},
      {"転送先サーフェスのロックに失敗しました in G_DDraw_DrawPixel ", false,
       [] {
         const vexal::PointRecord p{1, 1, 0, 0};
         return vexal::G_DDraw_DrawPixel(&p, 1);
       }},
      {"転送先サーフェスのロックに失敗しました in G_DDraw_DrawLine ", false,
       [] {
         const vexal::LineSegmentRecord s{0, 0, 5, 5, 0, 0};
         return vexal::G_DDraw_DrawTriangle(0, 0, 5, 0, 0, 5, 0, 0) + vexal::G_DDraw_DrawLineSet(&s, 1);
       }},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          Start(kXrgb32);
          Apply({1, 128, vexal::kBrightNone, false, true});
          ps::LockedRect held;
          if (c.source) {
            ps::Lock(DDrawState.Work1, nullptr, 0, &held);
          } else {
            ps::InjectFailure(ps::Operation::kLock, ps::Result::kSurfaceLost);
          }
          c.draw();
          std::exit(3);
        },
        ::testing::ExitedWithCode(255), "")
        << c.message;
    bool found = false;
    for (const std::string& line : LogLines()) found = found || line == c.message;
    EXPECT_TRUE(found) << c.message;
  }
}

// Every shape in each blend mode on a graded background, one band a mode, the whole picture
// checked against the slow references; saved as a picture (to $NL_SHAPE_SCENE when set)
// for a person to look at.
TEST_F(ShapeFrameTest, ASceneOfEveryShapeInEachMode) {
  Start(kXrgb32);
  Picture bg = Back();
  for (int y = 0; y < bg.h; ++y)
    for (int x = 0; x < bg.w; ++x)
      bg.at(x, y) = static_cast<uint32_t>(x * 255 / 319) << 16 | static_cast<uint32_t>(y * 255 / 239) << 8 | 0x40;
  Write(DDrawState.Back, bg);
  Picture expected = bg;
  const uint32_t colors[] = {0xFFFFFF, 0xFF4000, 0x00C0FF, 0xFFFF00};
  for (int mode = 0; mode < 4; ++mode) {
    const Look look{mode, 160};
    Apply(look);
    const int top = 4 + mode * 59;
    const uint32_t c = colors[mode];
    EXPECT_EQ(vexal::G_DDraw_DrawFillBox(4, top, 40, top + 50, c), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawBoxOutline(44, top, 80, top + 50, c), 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(vexal::G_DDraw_DrawLine(84, top, 84 + i * 9, top + 50, c), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawCircle(148, top + 25, 24, c, 1), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawCircle(200, top + 25, 24, c, 0), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawOval(244, top + 25, 16, 24, c, 1), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawOval(280, top + 25, 12, 8, c, 0), 0);
    EXPECT_EQ(vexal::G_DDraw_DrawTriangle(266, top + 38, 316, top + 38, 290, top + 2, c, 0), 0);
    const triangleref::Triangle filled{{266, top + 40}, {282, top + 48}, {270, top + 56}};
    EXPECT_EQ(vexal::G_DDraw_DrawTriangle(filled.bottom.x, filled.bottom.y, filled.mid.x, filled.mid.y, filled.top.x,
                                          filled.top.y, c, 1),
              0);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(vexal::G_DDraw_DestPixel(300 + (i % 5) * 3, top + 44 + (i / 5) * 3, c), 0);

    // The same calls through the references, each reading the picture as it stands.
    shaperef::Canvas ref(expected, &expected, 0, 0, 320, 240, 0, 0, false);
    ref.Use(Pen(shaperef::Family::kBox, c));
    for (int y = top; y < top + 50; ++y)
      for (int x = 4; x < 40; ++x) ref.Write(x, y);
    ref.Use(Pen(shaperef::Family::kSpan, c));
    ref.Line(44, top, 80, top);
    ref.Line(79, top, 80, top + 50);
    ref.Line(79, top + 49, 44, top + 50);
    ref.Line(44, top + 49, 44, top);
    for (int i = 0; i < 5; ++i) ref.Line(84, top, 84 + i * 9, top + 50);
    shaperef::Canvas disc(expected, &expected, 0, 0, 320, 240, 0, 0, false);  // fresh row flags
    disc.Use(Pen(shaperef::Family::kRound, c));
    disc.Circle(148, top + 25, 24, true);
    ref.Use(Pen(shaperef::Family::kRound, c));
    ref.Circle(200, top + 25, 24, false);
    shaperef::Canvas oval(expected, &expected, 0, 0, 320, 240, 0, 0, false);
    oval.Use(Pen(shaperef::Family::kRound, c));
    oval.Oval(244, top + 25, 16, 24, true);
    ref.Oval(280, top + 25, 12, 8, false);
    ref.Use(Pen(shaperef::Family::kStore, c));
    ref.Line(266, top + 38, 316, top + 38);
    ref.Line(316, top + 38, 290, top + 2);
    ref.Line(290, top + 2, 266, top + 38);
    for (const triangleref::Row& r : triangleref::Covered(filled))
      for (int x = r.left; x <= r.right; ++x) expected.at(x, r.y) = triangleref::Blend(expected.at(x, r.y), c, look);
    ref.Use(Pen(shaperef::Family::kPoint, c));
    for (int i = 0; i < 10; ++i) ref.Write(300 + (i % 5) * 3, top + 44 + (i / 5) * 3);
  }
  const Picture p = Back();
  std::vector<uint8_t> rgb;
  for (uint32_t v : p.px)
    rgb.insert(rgb.end(), {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
  const char* out = std::getenv("NL_SHAPE_SCENE");
  EXPECT_TRUE(plat::presentation::WriteRgbPng(out != nullptr ? out : "shape_scene.png", p.w, p.h, rgb));
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) ASSERT_EQ(p.at(x, y), expected.at(x, y)) << x << "," << y;
  // By hand: mode 0 stores the colour. The alpha band's box corner (4, 63) lies on the
  // background 3, 67, 64; with p 160 each channel is (95 old) >> 8 + (160 colour) >> 8:
  // red 1 + 159, green 24 + 40, blue 23 + 0.
  EXPECT_EQ(p.at(10, 10), 0xFFFFFFu);
  ASSERT_EQ(bg.at(4, 63), 0x034340u);
  EXPECT_EQ(p.at(4, 63), 0xA04017u);
}

}  // namespace
}  // namespace shapetest

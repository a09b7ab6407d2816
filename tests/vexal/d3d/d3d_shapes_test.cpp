// One-colour shapes through the device: corner order, outline coverage, line clipping,
// colour under brightness and blend, batches of the point and segment arrays, and the
// software fall-back.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstring>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/ddraw/point_line_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Direct3DTest;
using d3dtest::PixelSet;
using d3dtest::Screen;
namespace pd = plat::d3d;
namespace ps = plat::surface;

using Grid = std::vector<std::vector<int>>;

class ShapeTest : public Direct3DTest {
 protected:
  void Prepare() {
    Start3D();
    ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    SetArea({0, 0, vexal::D3DDrawState->TargetWidth, vexal::D3DDrawState->TargetHeight});
  }
  static void SetArea(vexal::Rect r) {
    vexal::D3DDrawState->DrawArea = r;
    EXPECT_EQ(vexal::D3DSetDrawArea(&r), 0);
  }
  static std::vector<uint32_t> DrawCounts() {
    std::vector<uint32_t> out;
    for (const pd::JournalEntry& e : pd::Journal()) {
      if (e.call == pd::Call::kDrawPrimitive) out.push_back(e.c);
    }
    return out;
  }
  static int Calls(pd::Call c) {
    int n = 0;
    for (const pd::JournalEntry& e : pd::Journal()) n += e.call == c ? 1 : 0;
    return n;
  }
  static Grid Blank(int w, int h) { return Grid(static_cast<size_t>(h), std::vector<int>(static_cast<size_t>(w), 0)); }
};

TEST_F(ShapeTest, BoxesCoverTheirRectangleWhicheverCornerComesFirstAndOutlinesTheirBorder) {
  Prepare();
  const uint32_t white = vexal::MakeColorValue(255, 255, 255);
  // Corners given bottom-left first: exchanged whole, the box is 5 x 10 at (5, 20).
  ASSERT_EQ(vexal::G_D3D_DrawFillBox(10, 20, 5, 30, white), 0);
  Grid want = Blank(7, 12);
  for (int y = 1; y <= 10; ++y) {
    for (int x = 1; x <= 5; ++x) want[y][x] = 7;
  }
  EXPECT_EQ(Screen(4, 19, 7, 12), want);
  // Zero width: nothing.
  ASSERT_EQ(vexal::G_D3D_DrawFillBox(40, 20, 40, 30, white), 0);
  EXPECT_EQ(Screen(39, 19, 3, 12), Blank(3, 12));

  // A 4 x 3 outline covers its ten border pixels and nothing else.
  ASSERT_EQ(vexal::G_D3D_DrawBoxOutline(60, 60, 64, 63, white), 0);
  EXPECT_EQ(Screen(59, 59, 6, 5),
            (Grid{{0, 0, 0, 0, 0, 0}, {0, 7, 7, 7, 7, 0}, {0, 7, 0, 0, 7, 0}, {0, 7, 7, 7, 7, 0}, {0, 0, 0, 0, 0, 0}}));
}

TEST_F(ShapeTest, LinesAreClippedToTheDrawAreaOrDroppedBeforeAnySceneOpens) {
  Prepare();
  SetArea({0, 0, 20, 20});
  const uint32_t white = vexal::MakeColorValue(255, 255, 255);
  struct Case {
    int x1, y1, x2, y2;
    bool draws;
  } cases[] = {
      {-10, 5, -2, 8, false},  // wholly left
      {5, 30, 9, 40, false},   // wholly below
      {7, 7, 7, 7, false},     // a point
      {-5, 3, 10, 3, true},    // horizontal, cut at the left
      {5, -10, 5, 5, true},    // vertical, cut at the top
      {3, 20, 15, 20, true},   // on the row y = bottom: sent, the viewport shows nothing
  };
  for (const Case& c : cases) {
    vexal::EndPending3DScene();
    pd::RecordJournal(true);
    EXPECT_EQ(vexal::G_D3D_DrawLine(c.x1, c.y1, c.x2, c.y2, white), 0);
    EXPECT_EQ(Calls(pd::Call::kBeginScene), c.draws ? 1 : 0) << c.x1 << "," << c.y1;
    EXPECT_EQ(DrawCounts().size(), c.draws ? 1u : 0u) << c.x1 << "," << c.y1;
  }
  const Grid row3 = Screen(0, 3, 11, 1);
  EXPECT_EQ(row3, (Grid{{7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 0}}));  // the last pixel is not drawn
  const Grid column5 = Screen(5, 0, 1, 6);
  EXPECT_EQ(column5, (Grid{{7}, {7}, {7}, {7}, {7}, {0}}));
  EXPECT_EQ(Screen(0, 20, 20, 1), Blank(20, 1));
}

TEST_F(ShapeTest, TheColourIsScaledByTheBrightnessAndCarriesTheBlendParameter) {
  Prepare();
  const uint32_t red = vexal::MakeColorValue(200, 0, 0);
  int r = 0, g = 0, b = 0;
  vexal::GetColorRGB(red, &r, &g, &b);
  ASSERT_EQ(vexal::SetDrawBrightness(128, 255, 255), 0);
  ASSERT_EQ(vexal::G_D3D_DestPixel(3, 3, red), 0);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(vexal::GetBackSurface(), nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  const uint32_t p = d3dtest::Read(l, 3, 3);
  ps::Unlock(vexal::GetBackSurface());
  const int width = std::popcount(l.format.red_mask), shift = std::countr_zero(l.format.red_mask);
  // 200 x 128 / 255 = 100 on a screen that keeps 200; in general the channel read back.
  const uint32_t want = static_cast<uint32_t>(r * 128 / 255) >> (8 - width) << shift;
  EXPECT_EQ(p & l.format.red_mask, want);
  if (r == 200) {
    EXPECT_EQ(r * 128 / 255, 100);
  }
  EXPECT_EQ(p & (l.format.green_mask | l.format.blue_mask), 0u);
}

TEST_F(ShapeTest, ArraysAreSentInBatchesOfAThousandVertices) {
  Prepare();
  std::vector<vexal::PointRecord> points(2500, vexal::PointRecord{1, 1, 0, 255});
  std::vector<vexal::LineSegmentRecord> segments(1200, vexal::LineSegmentRecord{1, 1, 5, 5, 0, 255});
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawPixel(points.data(), static_cast<int>(points.size())), 0);
  EXPECT_EQ(DrawCounts(), (std::vector<uint32_t>{1000, 1000, 500}));
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawLineSet(segments.data(), static_cast<int>(segments.size())), 0);
  EXPECT_EQ(DrawCounts(), (std::vector<uint32_t>{1000, 1000, 400}));
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawPixel(points.data(), 0), 0);
  EXPECT_TRUE(DrawCounts().empty());
}

TEST_F(ShapeTest, ATriangleGivenCounterClockwiseIsTurnedAndUnusableTargetsFallBackToSoftware) {
  Prepare();
  const uint32_t white = vexal::MakeColorValue(255, 255, 255);
  // Counter-clockwise on the screen; culling of either winding must not lose it.
  ASSERT_EQ(vexal::G_D3D_DrawTriangle(30, 30, 30, 34, 34, 30, white, 1), 0);
  EXPECT_EQ(Screen(30, 30, 1, 1), (Grid{{7}}));
  EXPECT_EQ(Screen(33, 30, 1, 1), (Grid{{7}}));
  EXPECT_EQ(Screen(33, 33, 1, 1), (Grid{{0}}));

  // With the target unusable the software twin draws and the device hears nothing.
  vexal::D3DTargetUnusable = 1;
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawFillBox(50, 50, 52, 52, white), 0);
  EXPECT_EQ(vexal::G_D3D_DestPixel(60, 60, white), 0);
  EXPECT_TRUE(DrawCounts().empty());
  vexal::D3DTargetUnusable = 0;
  EXPECT_EQ(Screen(50, 50, 3, 1), (Grid{{7, 7, 0}}));
  EXPECT_EQ(Screen(60, 60, 1, 1), (Grid{{7}}));
}

// Lines that reach the ends of the int range, whose differences leave it. Each draws the
// pixels worked out below from its equation (a half-open line clipped to the area
// (20, 10)-(300, 230)), and row 0 draws the same for the same call.
TEST_F(ShapeTest, LinesFromTheEndsOfTheIntRangeDrawTheirPartInTheAreaAsRowZeroDoes) {
  Prepare();
  const vexal::Rect area{20, 10, 300, 230};
  SetArea(area);
  const uint32_t white = vexal::MakeColorValue(255, 255, 255);
  auto row = [](int y, int from, int to) {
    PixelSet out;
    for (int x = from; x <= to; ++x) out.insert({x, y});
    return out;
  };
  auto column = [](int x, int from, int to) {
    PixelSet out;
    for (int y = from; y <= to; ++y) out.insert({x, y});
    return out;
  };
  PixelSet diagonal;
  for (int i = 20; i < 40; ++i) diagonal.insert({i, i});
  struct Case {
    const char* name;
    int x1, y1, x2, y2;
    PixelSet want;
  };
  const Case cases[] = {
      {"across the whole range", INT_MIN, 100, INT_MAX, 100, row(100, 20, 299)},
      {"across it backwards", INT_MAX, 101, INT_MIN, 101, row(101, 20, 299)},
      {"down the whole range", 150, INT_MIN, 150, INT_MAX, column(150, 10, 229)},
      // Rising by one over 2^32 - 1: y = 50 + 1/2 at x = 0, 50 once truncated.
      {"almost level", INT_MIN, 50, INT_MAX, 51, row(50, 20, 299)},
      // x = 120 + 1/2 where the line meets the top and the bottom of the area.
      {"almost upright", 120, INT_MIN, 121, INT_MAX, column(120, 10, 229)},
      // Slope 1 through the origin, in from the far corner: (20, 20) up to (40, 40).
      {"in from the far corner", INT_MIN, INT_MIN, 40, 40, diagonal},
  };
  for (const Case& c : cases) {
    d3dtest::ClearScreen();
    EXPECT_EQ(vexal::G_D3D_DrawLine(c.x1, c.y1, c.x2, c.y2, white), 0) << c.name;
    vexal::EndPending3DScene();
    EXPECT_EQ(d3dtest::LitPixels(), c.want) << c.name;
    d3dtest::ClearScreen();
    EXPECT_EQ(vexal::G_DDraw_DrawLine(c.x1, c.y1, c.x2, c.y2, white), 0) << c.name;
    EXPECT_EQ(d3dtest::LitPixels(), c.want) << "row 0: " << c.name;
  }
}

// Outlines and triangles whose corners lie at the ends of the int range are worked out
// without overflow: an outline beyond the area shows nothing, a triangle around it fills it.
TEST_F(ShapeTest, OutlinesAndTrianglesAtTheEndsOfTheIntRangeStayExact) {
  Prepare();
  const vexal::Rect area{20, 10, 300, 230};
  SetArea(area);
  const uint32_t white = vexal::MakeColorValue(255, 255, 255);
  d3dtest::ClearScreen();
  EXPECT_EQ(vexal::G_D3D_DrawBoxOutline(INT_MIN, 0, INT_MIN, 50, white), 0);
  EXPECT_EQ(vexal::G_D3D_DrawBoxOutline(0, INT_MIN, 50, INT_MIN, white), 0);
  vexal::EndPending3DScene();
  EXPECT_EQ(d3dtest::LitPixels(), PixelSet{});

  PixelSet whole;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) whole.insert({x, y});
  }
  // Given either way round: the winding test turns the second one.
  for (bool turned : {false, true}) {
    d3dtest::ClearScreen();
    if (turned) {
      EXPECT_EQ(vexal::G_D3D_DrawTriangle(INT_MIN, INT_MIN, 0, INT_MAX, INT_MAX, INT_MIN, white, 1), 0);
    } else {
      EXPECT_EQ(vexal::G_D3D_DrawTriangle(INT_MIN, INT_MIN, INT_MAX, INT_MIN, 0, INT_MAX, white, 1), 0);
    }
    vexal::EndPending3DScene();
    EXPECT_EQ(d3dtest::LitPixels(), whole) << turned;
  }
}

// While the target is one the device cannot draw on, a box outline goes to row 0, whose
// sides one pixel in from a far edge at the bottom of the int range stay there: the
// pixels of x2 = INT_MIN + 1, worked out in the raster tests (row 5 from x 5 down to 0,
// row 49 from 0 to 4, column 5 from y 49 up to 6).
TEST_F(ShapeTest, AnOutlineHandedToRowZeroWithItsFarEdgeAtTheBottomOfTheIntRangeDrawsAsOneInsideIt) {
  Prepare();
  PixelSet want;
  for (int x = 0; x <= 5; ++x) want.insert({x, 5});
  for (int x = 0; x <= 4; ++x) want.insert({x, 49});
  for (int y = 6; y <= 49; ++y) want.insert({5, y});
  d3dtest::ClearScreen();
  vexal::D3DTargetUnusable = 1;
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::DrawBox(5, 5, INT_MIN, 50, vexal::MakeColorValue(255, 255, 255), 0), 0);
  EXPECT_TRUE(DrawCounts().empty());
  vexal::D3DTargetUnusable = 0;
  EXPECT_EQ(d3dtest::LitPixels(), want);
}

}  // namespace

// Circles and ovals through the device: the pixels the integer walks place, fills one
// span per row clipped to the draw area, and outline points batched forty to a list.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Direct3DTest;
namespace pd = plat::d3d;
using Points = std::set<std::pair<int, int>>;

class CircleOvalTest : public Direct3DTest {
 protected:
  void Prepare() {
    Start3D();
    ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    SetArea({0, 0, vexal::D3DDrawState->TargetWidth, vexal::D3DDrawState->TargetHeight});
    white_ = vexal::MakeColorValue(255, 255, 255);
  }
  static void SetArea(vexal::Rect r) {
    vexal::D3DDrawState->DrawArea = r;
    EXPECT_EQ(vexal::D3DSetDrawArea(&r), 0);
  }
  // The lit pixels within radius 8 of (cx, cy), relative to it.
  static Points Lit(int cx, int cy) {
    Points out;
    const auto grid = d3dtest::Screen(cx - 8, cy - 8, 17, 17);
    for (int y = 0; y < 17; ++y) {
      for (int x = 0; x < 17; ++x) {
        if (grid[y][x] != 0) out.insert({x - 8, y - 8});
      }
    }
    return out;
  }
  // Every sign combination of each (x, y).
  static Points Mirrored(std::initializer_list<std::pair<int, int>> base) {
    Points out;
    for (auto [x, y] : base) {
      for (int sx : {-1, 1}) {
        for (int sy : {-1, 1}) out.insert({sx * x, sy * y});
      }
    }
    return out;
  }
  static std::vector<uint32_t> DrawCounts() {
    std::vector<uint32_t> out;
    for (const pd::JournalEntry& e : pd::Journal()) {
      if (e.call == pd::Call::kDrawPrimitive) out.push_back(e.c);
    }
    return out;
  }
  uint32_t white_ = 0;
};

TEST_F(CircleOvalTest, OvalOutlinesPlaceTheWalksPoints) {
  Prepare();
  struct Case {
    int rx, ry;
    Points want;
  } cases[] = {
      {3, 2, Mirrored({{3, 0}, {3, 1}, {2, 1}, {1, 2}, {0, 2}})},
      {1, 1, Mirrored({{1, 0}, {0, 1}})},
      {4, 4, Mirrored({{4, 0}, {4, 1}, {3, 2}, {3, 3}, {2, 3}, {1, 4}, {0, 4}})},
      {5, 1, Mirrored({{5, 0}, {4, 0}, {3, 0}, {2, 0}, {1, 0}, {0, 1}})},
      {-3, 2, Mirrored({{3, 0}, {3, 1}, {2, 1}, {1, 2}, {0, 2}})},  // a negative radius as its size
  };
  int cx = 20;
  for (const Case& c : cases) {
    EXPECT_EQ(vexal::G_D3D_DrawOval(cx, 20, c.rx, c.ry, white_, 0), 0);
    EXPECT_EQ(Lit(cx, 20), c.want) << c.rx << " x " << c.ry;
    cx += 20;
  }
  // rx 5, ry 1 walks along its row: (±1..±4, 0) are each placed twice.
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawOval(200, 20, 5, 1, white_, 0), 0);
  EXPECT_EQ(DrawCounts(), (std::vector<uint32_t>{2 + 16 + 2}));
  EXPECT_EQ(vexal::G_D3D_DrawOval(200, 20, 0, 3, white_, 0), -1);
}

TEST_F(CircleOvalTest, FillsTakeOneSpanPerRowAndStopAColumnShortOfTheRightEdge) {
  Prepare();
  EXPECT_EQ(vexal::G_D3D_DrawOval(20, 20, 5, 1, white_, 1), 0);
  Points want;
  for (int x = -5; x <= 5; ++x) want.insert({x, 0});
  want.insert({0, -1});
  want.insert({0, 1});
  EXPECT_EQ(Lit(20, 20), want);

  EXPECT_EQ(vexal::G_D3D_DrawOval(40, 20, 2, 3, white_, 1), 0);
  want.clear();
  for (int y = -3; y <= 3; ++y) {
    const int half = (y == -3 || y == 3) ? 1 : 2;
    for (int x = -half; x <= half; ++x) want.insert({x, y});
  }
  EXPECT_EQ(Lit(40, 20), want);

  EXPECT_EQ(vexal::G_D3D_DrawCircle(60, 20, 0, white_, 1), 0);
  EXPECT_EQ(Lit(60, 20), (Points{{0, 0}}));

  // Area (0, 0)-(84, 44): last column 83, last row 43. The fill stops at column 82 and
  // fills row 43; the outline reaches column 83.
  SetArea({0, 0, 84, 44});
  EXPECT_EQ(vexal::G_D3D_DrawCircle(80, 40, 5, white_, 1), 0);
  EXPECT_EQ(vexal::G_D3D_DrawCircle(80, 20, 5, white_, 0), 0);
  SetArea({0, 0, vexal::D3DDrawState->TargetWidth, vexal::D3DDrawState->TargetHeight});
  const auto filled = d3dtest::Screen(80, 40, 6, 6);
  EXPECT_EQ(filled[0][2], 7);
  EXPECT_EQ(filled[0][3], 0);  // column 83: one short
  EXPECT_EQ(filled[3][0], 7);  // row 43 is filled
  EXPECT_EQ(filled[4][0], 0);  // beyond the area
  const auto outline = d3dtest::Screen(83, 14, 1, 13);
  int lit = 0;
  for (const auto& row : outline) lit += row[0] != 0 ? 1 : 0;
  EXPECT_GT(lit, 0);
}

TEST_F(CircleOvalTest, OutlinePointsGoOutFortyToAList) {
  Prepare();
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawCircle(200, 200, 100, white_, 0), 0);
  const std::vector<uint32_t> counts = DrawCounts();
  ASSERT_FALSE(counts.empty());
  uint32_t total = 0;
  for (size_t i = 0; i < counts.size(); ++i) {
    if (i + 1 < counts.size()) {
      EXPECT_EQ(counts[i], 40u) << i;
    }
    total += counts[i];
  }
  // Four axis points and eight per step of the walk.
  EXPECT_EQ(total % 8, 4u);
  EXPECT_EQ(counts.size(), (total + 39) / 40);
}

// A radius of 2^30 + 2 leaves the int range as soon as it is doubled; the walk goes on in
// 64 bits to its end. The circle's top touches the middle row of the screen, so near the
// top it is flat: x^2 < r - 1/2 keeps y = r for every x up to 32767. The outline is that
// row alone; the fill is every row from it down, each clipped a column short of the right
// edge. A negative radius draws nothing, as on row 0.
TEST_F(CircleOvalTest, AHugeCircleIsWalkedToItsEndAndANegativeOneDrawsNothing) {
  Prepare();
  const int w = vexal::D3DDrawState->TargetWidth, h = vexal::D3DDrawState->TargetHeight;
  const int r = (1 << 30) + 2;
  const int cx = w / 2, cy = h / 2 + r;
  d3dtest::PixelSet outline, fill;
  for (int x = 0; x < w; ++x) outline.insert({x, h / 2});
  for (int y = h / 2; y < h; ++y) {
    for (int x = 0; x < w - 1; ++x) fill.insert({x, y});
  }
  d3dtest::ClearScreen();
  EXPECT_EQ(vexal::G_D3D_DrawCircle(cx, cy, r, white_, 0), 0);
  vexal::EndPending3DScene();
  EXPECT_EQ(d3dtest::LitPixels(), outline);
  d3dtest::ClearScreen();
  EXPECT_EQ(vexal::G_D3D_DrawCircle(cx, cy, r, white_, 1), 0);
  vexal::EndPending3DScene();
  EXPECT_EQ(d3dtest::LitPixels(), fill);

  d3dtest::ClearScreen();
  for (int fill_flag : {0, 1}) {
    EXPECT_EQ(vexal::G_D3D_DrawCircle(cx, h / 2, -5, white_, fill_flag), 0);
    EXPECT_EQ(vexal::G_D3D_DrawCircle(cx, h / 2, INT_MIN, white_, fill_flag), 0);
  }
  vexal::EndPending3DScene();
  EXPECT_EQ(d3dtest::LitPixels(), d3dtest::PixelSet{});
}

// Circles from radius 4096 up leap over the steps whose rows miss the area. Crossing the
// area at every slant of their arc, far off it, or around it, each draws what row 0's
// step-by-step walk draws (the fill a column short at the right edge of the area).
TEST_F(CircleOvalTest, LargeCirclesDrawWhatRowZerosWalkDrawsWhereverTheyMeetTheArea) {
  Prepare();
  const int w = vexal::D3DDrawState->TargetWidth, h = vexal::D3DDrawState->TargetHeight;
  const double kPi = 3.14159265358979323846;
  struct Case {
    int r;
    double degrees;  // where on the arc the area's centre lies, seen from the circle's centre
  };
  std::vector<Case> cases;
  for (int r : {4096, 5001, 46341, 1000003}) {
    for (double degrees : {0.0, 30.0, 45.0, 60.0, 90.0, 135.0, 200.0, 315.0}) cases.push_back({r, degrees});
  }
  for (const Case& c : cases) {
    const double a = c.degrees * kPi / 180.0;
    const int cx = w / 2 - static_cast<int>(c.r * std::cos(a)), cy = h / 2 - static_cast<int>(c.r * std::sin(a));
    for (int fill : {0, 1}) {
      d3dtest::ClearScreen();
      EXPECT_EQ(vexal::G_DDraw_DrawCircle(cx, cy, c.r, white_, fill), 0);
      d3dtest::LitMask want = d3dtest::LitScreen();
      EXPECT_NE(std::count(want.lit.begin(), want.lit.end(), 1), 0) << c.r << " at " << c.degrees;
      if (fill != 0) {
        for (int y = 0; y < h; ++y) want.lit[static_cast<size_t>(y * w + w - 1)] = 0;
      }
      d3dtest::ClearScreen();
      EXPECT_EQ(vexal::G_D3D_DrawCircle(cx, cy, c.r, white_, fill), 0);
      vexal::EndPending3DScene();
      EXPECT_EQ(d3dtest::LitDifference(d3dtest::LitScreen(), want), "")
          << c.r << " at " << c.degrees << " degrees, fill " << fill;
    }
  }
  // Off the area, and around it with the whole area inside.
  for (int fill : {0, 1}) {
    d3dtest::ClearScreen();
    EXPECT_EQ(vexal::G_D3D_DrawCircle(w / 2, h + 5000, 4900, white_, fill), 0);
    vexal::EndPending3DScene();
    EXPECT_EQ(d3dtest::LitPixels(), d3dtest::PixelSet{}) << fill;
  }
  d3dtest::ClearScreen();
  EXPECT_EQ(vexal::G_D3D_DrawCircle(w / 2, h / 2, 100000, white_, 0), 0);
  vexal::EndPending3DScene();
  EXPECT_EQ(d3dtest::LitPixels(), d3dtest::PixelSet{});
}

// Ovals are drawn as row 0 draws them: up to its largest radius, 46340, walked in 64 bits
// (the pixels row 0 draws, the fill a column short at the right edge of the area), and not
// at all beyond it, where the square of 50,000 leaves the int range.
TEST_F(CircleOvalTest, OvalsUpToRowZerosLargestRadiusAreDrawnAsThereAndLargerOnesNot) {
  Prepare();
  const int w = vexal::D3DDrawState->TargetWidth, h = vexal::D3DDrawState->TargetHeight;
  struct Case {
    int rx, ry;
    bool drawn;
  };
  const Case cases[] = {
      {46340, 46339, true}, {-46340, 20000, true}, {20000, 46340, true},
      {50000, 7, false},    {3, 50000, false},     {INT_MIN, 3, false},
  };
  for (const Case& c : cases) {
    for (int fill : {0, 1}) {
      // The top of the oval on the screen's middle row.
      const int cx = w / 2, cy = h / 2 + (c.ry < 0 ? -c.ry : c.ry) % 100000;
      d3dtest::ClearScreen();
      EXPECT_EQ(vexal::G_DDraw_DrawOval(cx, cy, c.rx, c.ry, white_, fill), 0);
      d3dtest::LitMask want = d3dtest::LitScreen();
      EXPECT_EQ(std::count(want.lit.begin(), want.lit.end(), 1) == 0, !c.drawn) << c.rx << " x " << c.ry;
      if (fill != 0) {
        for (int y = 0; y < h; ++y) want.lit[static_cast<size_t>(y * w + w - 1)] = 0;
      }
      d3dtest::ClearScreen();
      EXPECT_EQ(vexal::G_D3D_DrawOval(cx, cy, c.rx, c.ry, white_, fill), 0);
      vexal::EndPending3DScene();
      EXPECT_EQ(d3dtest::LitDifference(d3dtest::LitScreen(), want), "") << c.rx << " x " << c.ry << " fill " << fill;
    }
  }
}

}  // namespace

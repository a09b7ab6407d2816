// The turned draw: at angle 0 the scan lands exactly where the plain draw does; scale 2
// repeats texels with the first column and row three times (source -0.5 truncates to 0);
// the mirrored form goes through the quadrilateral draw.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vexal/ddraw/draw_graph.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "warp_fixture.h"

namespace warptest {
namespace {

class RotaGraph : public WarpTest, public ::testing::WithParamInterface<const Screen*> {};

TEST_P(RotaGraph, AngleZeroScaleOneIsThePlainDraw) {
  Start(*GetParam());
  auto g = Graph(5, 7, 0xFF00FF);
  for (int trans : {0, 1}) {
    FillBack();
    const Picture before = Read(vexal::DDrawState.Back);
    // Halves without their fraction: the top-left corner at (60 - 2, 40 - 3).
    ASSERT_EQ(vexal::G_DDraw_DrawGraph(58, 37, g->index, trans), 0);
    const Picture plain = Read(vexal::DDrawState.Back);
    Write(vexal::DDrawState.Back, before);
    EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(60, 40, 1.0, 0.0, &g->record, trans, 0), 0);
    EXPECT_TRUE(Read(vexal::DDrawState.Back) == plain) << "trans " << trans;
  }
}

TEST_P(RotaGraph, ScalesMirrorsAndTurnsHalfWay) {
  Start(*GetParam());
  auto g = Graph(4, 4, -1);
  auto wide = Graph(6, 4, -1);
  struct Case {
    const char* name;
    const TestGraph* g;
    double rate;
    int turn;
    int x0, x1, y0, y1;  // places drawn, inclusive
    int (*u)(int);       // texel of a column
    int (*v)(int);       // texel of a row
  };
  const Case cases[] = {
      // Scale 2 about (50, 50): texel 0 covers 45 .. 47, the others two places each.
      {"scale 2", g.get(), 2.0, 0, 45, 53, 45, 53, [](int x) { return x <= 47 ? 0 : (x - 46) / 2; },
       [](int y) { return y <= 47 ? 0 : (y - 46) / 2; }},
      // Scale 0.5 takes every second texel: source (x - 50) * 2 + 2.
      {"scale 0.5", g.get(), 0.5, 0, 49, 50, 49, 50, [](int x) { return (x - 50) * 2 + 2; },
       [](int y) { return (y - 50) * 2 + 2; }},
      // A negative scale turns it half way: source 2 - (x - 50), drawn for sources 0 .. 3.
      {"scale -1", g.get(), -1.0, 0, 49, 52, 49, 52, [](int x) { return 52 - x; }, [](int y) { return 52 - y; }},
      // Mirrored: corners 3, 0, 2, 1 to the quadrilateral draw, which lands the picture one
      // column right of the unmirrored one (48 .. 53 -> 48 + 1 .. 53 + 1).
      {"mirrored", wide.get(), 1.0, 1, 48, 53, 48, 51, [](int x) { return 53 - x; }, [](int y) { return y - 48; }},
  };
  for (const Case& c : cases) {
    FillBack();
    const Picture before = Read(vexal::DDrawState.Back);
    Picture expected = before;
    for (int y = c.y0; y <= c.y1; ++y)
      for (int x = c.x0; x <= c.x1; ++x) expected.at(x, y) = c.g->pixels.at(c.u(x), c.v(y));
    EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(c.g == wide.get() ? 50 : 50, 50, c.rate, 0.0,
                                           &const_cast<TestGraph*>(c.g)->record, 0, c.turn),
              0);
    EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected) << c.name;
  }
}

// A quarter turn: texel (u, v) of a 4 x 4 graph about (50, 50) lands on the place the
// inverse mapping sends back to it, worked out here in doubles.
TEST_P(RotaGraph, QuarterTurn) {
  Start(*GetParam());
  auto g = Graph(4, 4, -1);
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  const double angle = std::acos(-1.0) / 2;
  EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, 1.0, angle, &g->record, 0, 0), 0);
  const Picture after = Read(vexal::DDrawState.Back);
  // cos -> 0 (0.0000000000000000612 * 262144 truncates to 0); sin(-a) -> -262144: the
  // source of place (x, y) is u = (y - 50) + 2, v = -(x - 50) + 2 ... with the half offsets.
  Picture expected = before;
  for (int y = 46; y < 56; ++y)
    for (int x = 46; x < 56; ++x) {
      const int u = (y - 50) + 2, v = (50 - x) + 2;
      if (u >= 0 && u < 4 && v >= 0 && v < 4) expected.at(x, y) = g->pixels.at(u, v);
    }
  EXPECT_TRUE(after == expected);
}

TEST_P(RotaGraph, NothingToDrawOrNothingToScanWith) {
  Start(*GetParam());
  auto g = Graph(4, 4, -1);
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  const ps::Counters start = ps::GetCounters();
  EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(-100, -100, 1.0, 0.5, &g->record, 0, 0), 0);
  EXPECT_EQ(ps::GetCounters().locks, start.locks);
  EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, 0.0, 0.5, &g->record, 0, 0), -1);
  EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, std::nan(""), 0.5, &g->record, 0, 0), -1);
  EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, 1.0, 0.5, nullptr, 0, 0), -1);
  // An angle without a sine is refused like a NaN factor, mirrored or not.
  const double inf = std::numeric_limits<double>::infinity();
  for (const int turn : {0, 1}) {
    EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, 1.0, std::nan(""), &g->record, 0, turn), -1) << turn;
    EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, 2.0, inf, &g->record, 0, turn), -1) << turn;
    EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, 1.0, -inf, &g->record, 0, turn), -1) << turn;
  }
  // Mirrored, a factor of 0 divides by nothing: the quadrilateral of four equal corners
  // draws nothing and answers 0.
  EXPECT_EQ(vexal::G_DDraw_DrawRotaGraph(50, 50, 0.0, 0.5, &g->record, 0, 1), 0);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == before);
}

INSTANTIATE_TEST_SUITE_P(Formats, RotaGraph, ::testing::Values(&kXrgb32, &k565, &kPalette8),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
}  // namespace warptest

// The quadrilateral draw: corners in the graph's order (top-left, top-right, bottom-left,
// bottom-right), the split along the second-to-third diagonal, the work-surface read-back
// at the target's own coordinates, and what swapped corners give under the edge walk.
#include <gtest/gtest.h>

#include "vexal/graphics/drawing/ddraw_row.h"
#include "warp_fixture.h"

namespace warptest {
namespace {

class QuadGraph : public WarpTest, public ::testing::WithParamInterface<const Screen*> {};

// Each place of the screen: texel (u, v) of the graph, or untouched.
Picture Place(const Picture& before, const TestGraph& g, int x0, int x1, int y0, int y1, int (*u)(int, int),
              int (*v)(int, int), int ox = 0, int oy = 0) {
  Picture out = before;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) out.at(x + ox, y + oy) = g.pixels.at(u(x, y), v(x, y));
  return out;
}

TEST_P(QuadGraph, CornersAndTheirSwaps) {
  Start(*GetParam());
  auto g = Graph(6, 5, -1);
  struct Case {
    const char* name;
    int c[8];
    int x0, x1, y0, y1;  // the places drawn, inclusive
    int (*u)(int, int);
    int (*v)(int, int);
  };
  // The graph at (10, 20): 1:1 it covers 6 x 5 places. Left and right exchanged, the
  // texel column 6 falls on x 10 and is not drawn, so the picture lands one column to the
  // right; top and bottom exchanged, texel row 5 falls on y 20 and the bottom row y 25 is
  // never walked, so 4 rows show.
  const Case cases[] = {
      {"1:1",
       {10, 20, 16, 20, 10, 25, 16, 25},
       10,
       15,
       20,
       24,
       [](int x, int) { return x - 10; },
       [](int, int y) { return y - 20; }},
      {"left-right",
       {16, 20, 10, 20, 16, 25, 10, 25},
       11,
       16,
       20,
       24,
       [](int x, int) { return 16 - x; },
       [](int, int y) { return y - 20; }},
      {"top-bottom",
       {10, 25, 16, 25, 10, 20, 16, 20},
       10,
       15,
       21,
       24,
       [](int x, int) { return x - 10; },
       [](int, int y) { return 25 - y; }},
  };
  for (const Case& c : cases) {
    FillBack();
    const Picture before = Read(vexal::DDrawState.Back);
    EXPECT_EQ(
        vexal::G_DDraw_DrawModiGraph(c.c[0], c.c[1], c.c[2], c.c[3], c.c[4], c.c[5], c.c[6], c.c[7], &g->record, 0), 0);
    EXPECT_TRUE(Read(vexal::DDrawState.Back) == Place(before, *g, c.x0, c.x1, c.y0, c.y1, c.u, c.v)) << c.name;
  }
  // Float corners truncate toward zero.
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  EXPECT_EQ(vexal::G_DDraw_DrawModiGraphFloat(10.9f, 20.2f, 16.99f, 20.0f, 10.5f, 25.7f, 16.1f, 25.0f, &g->record, 0),
            0);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == Place(before, *g, 10, 15, 20, 24, cases[0].u, cases[0].v));
}

// Blending against a read-back copy taken at the target's coordinates (here with a target
// origin): the diagonal both triangles draw blends once, like every other pixel.
class QuadBlend : public QuadGraph {};

TEST_P(QuadBlend, OnceWithTheReadBackUnderATargetOrigin) {
  Start(*GetParam());
  auto g = Graph(9, 7, -1);
  vexal::DrawState.TargetRect = {20, 10, 0, 0};
  vexal::DrawState.DrawArea = {0, 0, 200, 150};
  vexal::DrawState.TargetInVideoMemory = 1;
  const Look look{1, 128};
  Apply(look);
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  Picture expected = before;
  for (int v = 0; v < 7; ++v)
    for (int u = 0; u < 9; ++u) {
      const uint32_t s = g->pixels.at(u, v);
      const uint32_t d = before.at(20 + 30 + u, 10 + 40 + v);
      expected.at(50 + u, 50 + v) = *ReferencePixel(GetParam()->layout, look, false, 255, s, d, false) &
                                    (GetParam()->bits == 16 ? 0xFFFF : 0xFFFFFFFF);
    }
  EXPECT_EQ(vexal::G_DDraw_DrawModiGraph(30, 40, 39, 40, 30, 47, 39, 47, &g->record, 0), 0);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, QuadBlend, ::testing::Values(&kXrgb32, &k565, &k555),
                         [](const auto& info) { return std::string(info.param->name); });

TEST_P(QuadGraph, OutsideTheAreaOrUnusable) {
  Start(*GetParam());
  auto g = Graph(4, 4, -1);
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  const ps::Counters start = ps::GetCounters();
  EXPECT_EQ(vexal::G_DDraw_DrawModiGraph(-50, -50, -20, -50, -50, -20, -20, -20, &g->record, 0), 0);
  EXPECT_EQ(ps::GetCounters().locks, start.locks);
  EXPECT_EQ(vexal::G_DDraw_DrawModiGraph(0, 0, 4, 0, 0, 4, 4, 4, nullptr, 0), -1);
  vexal::DDrawTargetUnusable = 1;
  EXPECT_EQ(vexal::G_DDraw_DrawModiGraph(0, 0, 4, 0, 0, 4, 4, 4, &g->record, 0), -1);
  vexal::DDrawTargetUnusable = 0;
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == before);
}

INSTANTIATE_TEST_SUITE_P(Formats, QuadGraph, ::testing::Values(&kXrgb32, &k565, &kPalette8),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
}  // namespace warptest

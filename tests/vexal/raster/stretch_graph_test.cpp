// The stretched draw: destination column j from the rectangle's edge shows source column
// floor(j * 0x10000 / scale) with scale = (width << 16) / graph width, counted from the
// right on a mirrored axis; clipping keeps every visible pixel where the unclipped draw
// puts it.
#include <gtest/gtest.h>

#include <cstdint>

#include "vexal/ddraw/draw_graph.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "warp_fixture.h"

namespace warptest {
namespace {

class StretchGraph : public WarpTest, public ::testing::WithParamInterface<const Screen*> {};

// The source index of destination pixel j of an axis drawn `dst` long from `src`.
int SourceIndex(int j, int dst, int src, bool mirrored) {
  const uint64_t scale = (static_cast<uint64_t>(dst) << 16) / static_cast<uint64_t>(src);
  const int k = static_cast<int>((static_cast<uint64_t>(j) << 16) / scale);
  return mirrored ? src - 1 - k : k;
}

// What the screen holds after drawing g into (x1, y1)-(x2, y2) unkeyed, with the draw area
// `area`.
Picture Stretched(const Picture& before, const TestGraph& g, int x1, int y1, int x2, int y2, vexal::Rect area) {
  Picture out = before;
  const int left = std::min(x1, x2), top = std::min(y1, y2);
  const int w = std::abs(x2 - x1), h = std::abs(y2 - y1);
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) {
      const int x = left + j, y = top + i;
      if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) continue;
      out.at(x, y) = g.pixels.at(SourceIndex(j, w, g.pixels.w, x1 > x2), SourceIndex(i, h, g.pixels.h, y1 > y2));
    }
  return out;
}

// The doubled screen: 320 x 240 onto 640 x 480 puts each source pixel in a 2 x 2 block.
TEST_P(StretchGraph, DoublesAScreenIntoTwoByTwoBlocks) {
  Start(*GetParam(), 640, 480);
  auto g = Graph(320, 240, -1);
  EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(0, 0, 640, 480, &g->record, 0), 0);
  const Picture after = Read(vexal::DDrawState.Back);
  int wrong = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) wrong += after.at(x, y) != g->pixels.at(x / 2, y / 2);
  EXPECT_EQ(wrong, 0);
}

TEST_P(StretchGraph, ScalesMirrorsAndClipsLikeTheUnclippedDraw) {
  Start(*GetParam());
  auto g7 = Graph(7, 7, -1);
  auto g5 = Graph(5, 5, -1);
  auto g16 = Graph(16, 8, -1);
  struct Case {
    const TestGraph* g;
    int x1, y1, x2, y2;
  };
  // Halving (even columns and rows), 7 -> 5, 5 -> 13, each straight and mirrored.
  const Case cases[] = {
      {g16.get(), 40, 50, 48, 54}, {g7.get(), 40, 50, 45, 55}, {g5.get(), 40, 50, 53, 63},
      {g7.get(), 45, 55, 40, 50},  {g5.get(), 53, 50, 40, 63}, {g5.get(), 40, 63, 53, 50},
      {g16.get(), 48, 50, 40, 54}, {g7.get(), 40, 50, 47, 57},  // 7 -> 7 unmirrored goes to the blitter
      {g7.get(), 47, 50, 40, 57},                               // 7 -> 7 mirrored: every column once
  };
  const vexal::Rect areas[] = {{0, 0, 320, 240}, {43, 0, 320, 240}, {0, 53, 320, 240}, {41, 51, 46, 58}};
  for (const Case& c : cases)
    for (const vexal::Rect& area : areas) {
      vexal::DrawState.DrawArea = area;
      FillBack();
      const Picture before = Read(vexal::DDrawState.Back);
      EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(c.x1, c.y1, c.x2, c.y2, &const_cast<TestGraph*>(c.g)->record, 0), 0);
      EXPECT_TRUE(Read(vexal::DDrawState.Back) == Stretched(before, *c.g, c.x1, c.y1, c.x2, c.y2, area))
          << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2 << " area left " << area.left << " top " << area.top;
    }
  EXPECT_EQ(SourceIndex(1, 8, 16, false), 2);  // halving reads columns 0, 2, 4 ...
}

// A keyed pixel leaves its whole run of repeats untouched; at 8 bits index 0 is the key.
TEST_P(StretchGraph, KeyedPixelsSkipAllTheirRepeats) {
  Start(*GetParam());
  auto g = Graph(5, 5, 0xFF00FF);
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  Picture expected = Stretched(before, *g, 10, 10, 23, 22, vexal::DrawState.DrawArea);
  for (int i = 0; i < 12; ++i)
    for (int j = 0; j < 13; ++j) {
      const uint32_t s = g->pixels.at(SourceIndex(j, 13, 5, false), SourceIndex(i, 12, 5, false));
      if (s == KeyPixel(0xFF00FF)) expected.at(10 + j, 10 + i) = before.at(10 + j, 10 + i);
    }
  EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(10, 10, 23, 22, &g->record, 1), 0);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected);
}

// Sizes the 16.16 stepping cannot hold, empty rectangles and missing graphs are refused
// without touching the screen.
TEST_P(StretchGraph, RefusesWhatItCannotStep) {
  Start(*GetParam());
  auto g = Graph(4, 4, -1);
  auto one = Graph(1, 1, -1);
  vexal::GraphRecord empty = g->record;
  empty.Width = 0;
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  struct Case {
    vexal::GraphRecord* graph;
    int x1, y1, x2, y2;
  };
  const Case cases[] = {
      {&g->record, 10, 10, 10, 20},
      {&g->record, 10, 10, 20, 10},
      {&empty, 0, 0, 8, 8},
      {nullptr, 0, 0, 8, 8},
      {&g->record, 0, 0, 65536, 8},
      {&g->record, 0, 0, 8, -65536},
      {&one->record, 0, 0, 32768, 2},
      {&one->record, 0, 0, 2, 40000},
      {&g->record, 400, 0, 480, 8},
      {&g->record, -100, -100, -10, -10},
      {&g->record, INT32_MIN, 0, INT32_MAX, 8},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(c.x1, c.y1, c.x2, c.y2, c.graph, 0), -1) << c.x1 << "," << c.x2;
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == before);
  // A factor just below 32768 still draws: the one texel covers the two rows as far as the
  // screen reaches, and nothing below them.
  EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(0, 0, 32767, 2, &one->record, 0), 0);
  Picture expected = before;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < expected.w; ++x) expected.at(x, y) = one->pixels.at(0, 0);
  const Picture after = Read(vexal::DDrawState.Back);
  EXPECT_EQ(after.at(0, 0), one->pixels.at(0, 0));
  EXPECT_EQ(after.at(319, 1), one->pixels.at(0, 0));
  EXPECT_TRUE(after == expected);
}

// A graph stretched onto its own surface reads the picture as it was before the call.
TEST_P(StretchGraph, OntoItsOwnSurface) {
  Start(*GetParam());
  auto g = Graph(6, 6, -1);
  vexal::DDrawState.DrawSurface = g->piece->Surface;
  vexal::DrawState.DrawArea = {0, 0, 6, 6};
  EXPECT_EQ(vexal::G_DDraw_DrawExtendGraph(6, 6, 0, 0, &g->record, 0), 0);
  const Picture after = Read(g->piece->Surface);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(after.at(g->piece->X + x, g->piece->Y + y), g->pixels.at(5 - x, 5 - y));
}

INSTANTIATE_TEST_SUITE_P(Formats, StretchGraph, ::testing::Values(&kXrgb32, &k565, &kPalette8),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
}  // namespace warptest

// The chip map: one blitter draw per map entry at the cell's place, empty entries and a
// map that is a window into a wider array.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "tests/vexal/raster/warp_fixture.h"
#include "vexal/ddraw/draw_graph.h"
#include "vexal/graphics/drawing/ddraw_row.h"

namespace warptest {
namespace {

using ChipMap = WarpTest;

TEST_F(ChipMap, DrawsEachCellFromItsEntry) {
  Start(kXrgb32);
  auto a = Graph(4, 3, -1);
  auto b = Graph(4, 3, -1);
  vexal::GraphRecord* graphs[] = {&a->record, &b->record};
  // Two rows of three cells read from a map five entries wide.
  const uint32_t map[] = {0, 1,          0xFFFFFFFF, 7, 7,  //
                          1, 0xFFFFFFFF, 0,          7, 7};
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  EXPECT_EQ(vexal::G_DDraw_DrawChipMap(10, 20, 3, 2, map, 5, 2, graphs, 0), 0);
  Picture expected = before;
  const TestGraph* cells[2][3] = {{a.get(), b.get(), nullptr}, {b.get(), nullptr, a.get()}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c)
      if (cells[r][c] != nullptr)
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 4; ++x) expected.at(10 + c * 4 + x, 20 + r * 3 + y) = cells[r][c]->pixels.at(x, y);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected);
  // No rows or no columns: nothing drawn, 0.
  EXPECT_EQ(vexal::G_DDraw_DrawChipMap(0, 0, 0, 2, map, 5, 2, graphs, 0), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawChipMap(0, 0, 3, 0, map, 5, 2, graphs, 0), 0);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected);
}

// Entries name graphs below the count the call is given; others leave their cells empty
// and read nothing past the array. No graphs at all draw nothing.
TEST_F(ChipMap, EntriesPastTheGraphCountAreSkipped) {
  Start(kXrgb32);
  auto a = Graph(4, 3, -1);
  auto b = Graph(4, 3, -1);
  const auto graphs = std::make_unique<vexal::GraphRecord*[]>(2);
  graphs[0] = &a->record;
  graphs[1] = &b->record;
  const uint32_t map[] = {5, 1, 2, 0x80000000, 0xFFFFFFFE, 0};
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  EXPECT_EQ(vexal::G_DDraw_DrawChipMap(0, 0, 6, 1, map, 6, 2, graphs.get(), 0), 0);
  Picture expected = before;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      expected.at(4 + x, y) = b->pixels.at(x, y);
      expected.at(20 + x, y) = a->pixels.at(x, y);
    }
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected);
  EXPECT_EQ(vexal::G_DDraw_DrawChipMap(0, 10, 6, 1, map, 6, 0, graphs.get(), 0), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawChipMap(0, 10, 6, 1, map, 6, -3, graphs.get(), 0), 0);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected);
}

// Cells and graphs placed near the ends of the int range lie beyond the draw area: nothing
// is drawn, and no place is worked out past the range. A cell row starting at the far left
// still reaches the screen.
TEST_F(ChipMap, FarCellsDrawNothing) {
  Start(kXrgb32);
  auto a = Graph(16, 16, -1);
  vexal::GraphRecord* graphs[] = {&a->record};
  const uint32_t map[] = {0, 0, 0, 0, 0, 0};
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  const struct {
    int x, y, columns, rows;
  } far_maps[] = {{INT_MAX - 20, 0, 3, 1},
                  {0, INT_MAX - 20, 1, 3},
                  {INT_MAX - 20, INT_MAX - 20, 3, 2},
                  {INT_MAX, 0, 2, 1},
                  {INT_MIN, 0, 3, 2}};
  for (const auto& m : far_maps) {
    EXPECT_EQ(vexal::G_DDraw_DrawChipMap(m.x, m.y, m.columns, m.rows, map, m.columns, 1, graphs, 0), 0) << m.x;
    EXPECT_TRUE(Read(vexal::DDrawState.Back) == before) << m.x << "," << m.y;
  }
  for (const int x : {INT_MAX, INT_MAX - 15, INT_MIN, INT_MIN + 1}) {
    EXPECT_EQ(vexal::G_DDraw_DrawGraph(x, 0, a->index, 0), 0) << x;
    EXPECT_EQ(vexal::G_DDraw_DrawGraph(0, x, a->index, 0), 0) << x;
  }
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == before);

  // (-40, 0) with six cells: the cells at -40 and -24 miss, -8 shows its right half.
  EXPECT_EQ(vexal::G_DDraw_DrawChipMap(-40, 0, 6, 1, map, 6, 1, graphs, 0), 0);
  Picture expected = before;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 56; ++x) expected.at(x, y) = a->pixels.at((x + 8) % 16, y);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected);
}

}  // namespace
}  // namespace warptest

// The primitive list: how many segments and triangles each type makes, triangles filled
// in colour value 0 without a graph and texture-mapped with one, and the types and counts
// that draw nothing.
#include "vexal/ddraw/primitive.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/vexal/raster/warp_fixture.h"
#include "vexal/graphics/drawing/ddraw_row.h"

namespace warptest {
namespace {

using vexal::PrimitiveVertex;

PrimitiveVertex Vertex(float x, float y, uint32_t diffuse = 0xFF000000, float u = 0, float v = 0) {
  return {x, y, 0, 1, diffuse, u, v};
}

using Primitives = WarpTest;

TEST_F(Primitives, SegmentsAndTrianglesPerType) {
  Start(kXrgb32);
  const std::vector<PrimitiveVertex> v = {Vertex(0, 0, 0xFFFF0000), Vertex(10.7f, -3.2f, 0x0000FF00), Vertex(5, 5),
                                          Vertex(1, 2), Vertex(3, 4)};
  struct SegmentCase {
    int count, type;
    size_t segments;
  };
  const SegmentCase segment_cases[] = {{2, 2, 1}, {3, 2, 1}, {5, 2, 2}, {1, 3, 0}, {2, 3, 1}, {5, 3, 4}, {0, 3, 0}};
  for (const SegmentCase& c : segment_cases)
    EXPECT_EQ(vexal::PrimitiveSegments(v.data(), c.count, c.type).size(), c.segments) << c.count << " " << c.type;
  const auto first = vexal::PrimitiveSegments(v.data(), 2, 2);
  ASSERT_EQ(first.size(), 1u);
  // Truncated ends, the first vertex's colour in the screen's format, its alpha carried.
  EXPECT_EQ(first[0].x1, 0);
  EXPECT_EQ(first[0].x2, 10);
  EXPECT_EQ(first[0].y2, -3);
  EXPECT_EQ(first[0].color, 0xFF0000u);
  EXPECT_EQ(first[0].alpha, 0xFF000000u);

  struct TriangleCase {
    int count, type;
    std::vector<int> indices;
  };
  const TriangleCase triangle_cases[] = {
      {3, 4, {0, 1, 2}},
      {5, 4, {0, 1, 2}},
      {7, 4, {0, 1, 2, 3, 4, 5}},
      {2, 5, {}},
      {5, 5, {0, 1, 2, 1, 2, 3, 2, 3, 4}},
      {3, 6, {0, 1, 2}},
      {5, 6, {0, 1, 2, 0, 2, 3, 0, 3, 4}},
      {2, 6, {}},
      {-4, 4, {}},
  };
  for (const TriangleCase& c : triangle_cases)
    EXPECT_EQ(vexal::PrimitiveTriangles(c.count, c.type), c.indices) << c.count << " " << c.type;
}

// A strip of four vertices is two triangles: the first two cells of the band are filled
// with colour value 0, the third stays; with a graph the texels are mapped across.
TEST_F(Primitives, TrianglesDrawThroughTheRasteriser) {
  Start(kXrgb32);
  FillBack();
  Picture before = Read(vexal::DDrawState.Back);
  before.at(12, 12) = before.at(22, 12) = before.at(32, 12) = 0x00ABCDEF;
  Write(vexal::DDrawState.Back, before);
  const std::vector<PrimitiveVertex> strip = {Vertex(10, 10), Vertex(10, 20), Vertex(20, 10),
                                              Vertex(20, 20), Vertex(30, 10), Vertex(30, 20)};
  EXPECT_EQ(vexal::G_DDraw_DrawPrimitive(strip.data(), 4, 5, nullptr, 0), 0);
  Picture after = Read(vexal::DDrawState.Back);
  EXPECT_EQ(after.at(12, 12), 0u);           // first triangle
  EXPECT_EQ(after.at(18, 18), 0u);           // second triangle
  EXPECT_EQ(after.at(22, 12), 0x00ABCDEFu);  // no third
  // Types 0 and 7, and no vertices: nothing, 0.
  for (int type : {0, 7}) EXPECT_EQ(vexal::G_DDraw_DrawPrimitive(strip.data(), 6, type, nullptr, 0), 0);
  EXPECT_EQ(vexal::G_DDraw_DrawPrimitive(strip.data(), -1, 4, nullptr, 0), 0);
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == after);

  // A graph 1:1 on a two-triangle list: texel (i, j) at (40 + i, 50 + j).
  auto g = Graph(8, 6, -1);
  const std::vector<PrimitiveVertex> quad = {Vertex(40, 50, 0, 0, 0), Vertex(48, 50, 0, 1, 0), Vertex(40, 56, 0, 0, 1),
                                             Vertex(48, 50, 0, 1, 0), Vertex(40, 56, 0, 0, 1), Vertex(48, 56, 0, 1, 1)};
  EXPECT_EQ(vexal::G_DDraw_DrawPrimitive(quad.data(), 6, 4, &g->record, 0), 0);
  after = Read(vexal::DDrawState.Back);
  for (int j = 0; j < 6; ++j)
    for (int i = 0; i < 8; ++i) EXPECT_EQ(after.at(40 + i, 50 + j), g->pixels.at(i, j)) << i << "," << j;
}

// With a Direct3D graph as target the list is not refused: points and lines are left to
// the sets, which refuse them, and triangles land on the surface drawn on before. The
// draw area is the Direct3D graph's, here 640 x 480 over the 320 x 240 back screen: what
// lies past the surface is not drawn.
TEST_F(Primitives, ADirect3DTargetLeavesTrianglesOnTheSurfaceDrawnBefore) {
  Start(kXrgb32);
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  vexal::DDrawTargetUnusable = 1;
  vexal::DrawState.DrawArea = {0, 0, 640, 480};
  const std::vector<PrimitiveVertex> marks = {Vertex(5, 5, 0xFFFFFFFF), Vertex(50, 5, 0xFFFFFFFF),
                                              Vertex(50, 50, 0xFFFFFFFF)};
  for (int type : {1, 2, 3}) EXPECT_EQ(vexal::G_DDraw_DrawPrimitive(marks.data(), 3, type, nullptr, 0), 0) << type;
  EXPECT_TRUE(Read(vexal::DDrawState.Back) == before);

  // The box (300, 200) - (700, 500) as a fan, filled with colour value 0.
  const std::vector<PrimitiveVertex> box = {Vertex(300, 200), Vertex(700, 200), Vertex(700, 500), Vertex(300, 500)};
  EXPECT_EQ(vexal::G_DDraw_DrawPrimitive(box.data(), 4, 6, nullptr, 0), 0);
  const Picture after = Read(vexal::DDrawState.Back);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      const bool inside = x >= 300 && y >= 200;
      ASSERT_EQ(after.at(x, y), inside ? 0u : before.at(x, y)) << x << "," << y;
    }
}

}  // namespace
}  // namespace warptest

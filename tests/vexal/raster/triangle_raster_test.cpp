// Which pixels a triangle covers: worked out by hand from the 14.18 edge walk (vertices at
// pixel centres, the bottom row left out, both ends of a row in), drawn in one colour into
// a plain buffer whose draw area reaches left of and above the target's pixel (0, 0).
#include "vexal/raster/triangle_raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>
#include <vector>

#include "warp_fixture.h"

namespace warptest {
namespace {

using vexal::RasterVertex;

constexpr int kSide = 40;   // a buffer of kSide x kSide 32-bit pixels
constexpr int kOrigin = 8;  // draw pixel (0, 0) lies at (8, 8) of the buffer
constexpr uint32_t kInk = 0x123456;

struct Span {
  int y, x0, x1;  // draw coordinates, both ends drawn
};

struct CoverageCase {
  const char* name;
  RasterVertex v[3];
  int result;
  std::vector<Span> spans;
};

class TriangleCoverage : public WarpTest {
 protected:
  // Fills the triangle into a fresh buffer; the set of draw pixels that took the ink.
  std::set<std::pair<int, int>> Fill(const RasterVertex* v, int* result) {
    std::vector<uint32_t> buffer(kSide * kSide, 0);
    uint8_t* origin = reinterpret_cast<uint8_t*>(buffer.data() + kOrigin * kSide + kOrigin);
    const int pitch = kSide * 4;
    *result = vexal::G_DDraw_RasterTriangle(v, nullptr, 0, origin, pitch, nullptr, 0, origin, pitch, kInk);
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        if (buffer[static_cast<size_t>(y) * kSide + x] == kInk) out.insert({x - kOrigin, y - kOrigin});
    return out;
  }
};

TEST_F(TriangleCoverage, RowsAndColumnsOfTheEdgeWalk) {
  Start(kXrgb32);
  vexal::DrawState.DrawArea = {-kOrigin, -kOrigin, kSide - kOrigin, kSide - kOrigin};
  const std::vector<CoverageCase> cases = {
      // Row r spans 0 .. 10 - r; row 10 (the bottom vertex's) is left out.
      {"right angle",
       {{0, 0, 0, 0}, {10, 0, 0, 0}, {0, 10, 0, 0}},
       0,
       {{0, 0, 10}, {1, 0, 9}, {2, 0, 8}, {3, 0, 7}, {4, 0, 6}, {5, 0, 5}, {6, 0, 4}, {7, 0, 3}, {8, 0, 2}, {9, 0, 1}}},
      // Two rows apart: two rows; the right edge steps two columns a row from x 0.5.
      {"two rows", {{0, 0, 0, 0}, {0, 2, 0, 0}, {4, 2, 0, 0}}, 0, {{0, 0, 0}, {1, 0, 2}}},
      // The same vertices in another order and winding give the same pixels.
      {"two rows reordered", {{4, 2, 0, 0}, {0, 0, 0, 0}, {0, 2, 0, 0}}, 0, {{0, 0, 0}, {1, 0, 2}}},
      // x = -1 is -0.5 in 14.18, whose pixel is 0: the column x = -1 is never drawn.
      {"vertex at x -1",
       {{-1, 0, 0, 0}, {9, 0, 0, 0}, {-1, 10, 0, 0}},
       0,
       {{0, 0, 9}, {1, 0, 8}, {2, 0, 7}, {3, 0, 6}, {4, 0, 5}, {5, 0, 4}, {6, 0, 3}, {7, 0, 2}, {8, 0, 1}, {9, 0, 0}}},
      // The middle vertex on the right: the lower part starts one unit right of it.
      {"middle on the right",
       {{0, 0, 0, 0}, {4, 2, 0, 0}, {0, 4, 0, 0}},
       0,
       {{0, 0, 0}, {1, 0, 2}, {2, 0, 4}, {3, 0, 2}}},
      {"collinear", {{0, 0, 0, 0}, {5, 5, 0, 0}, {10, 10, 0, 0}}, -1, {}},
      {"one row", {{0, 3, 0, 0}, {5, 3, 0, 0}, {9, 3, 0, 0}}, -1, {}},
      {"one point", {{2, 2, 0, 0}, {2, 2, 0, 0}, {2, 2, 0, 0}}, -1, {}},
  };
  for (const CoverageCase& c : cases) {
    std::set<std::pair<int, int>> expected;
    for (const Span& s : c.spans)
      for (int x = s.x0; x <= s.x1; ++x) expected.insert({x, s.y});
    int result = 0;
    EXPECT_EQ(Fill(c.v, &result), expected) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
  }
}

// Far-off vertices: the walk starts at the area's top and stops at its bottom, and the
// wide spans are cut to the area. (0, -5000), (10, -5000), (0, 5000) has a left edge at
// x 0 and a right edge 10 * (5000 - y) / 10000 columns right of it.
TEST_F(TriangleCoverage, FarVerticesStayInsideTheArea) {
  Start(kXrgb32);
  vexal::DrawState.DrawArea = {0, 0, 20, 20};
  int result = -2;
  const RasterVertex tall[3] = {{0, -5000, 0, 0}, {10, -5000, 0, 0}, {0, 5000, 0, 0}};
  const auto got = Fill(tall, &result);
  EXPECT_EQ(result, 0);
  // Row y: the right edge is 10.5 - (y + 5000) / 1000 truncated, so 5 for rows 0 to 19.
  std::set<std::pair<int, int>> expected;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x <= 5; ++x) expected.insert({x, y});
  EXPECT_EQ(got, expected);
  // Whole-range vertices return at once and draw inside the area only.
  const RasterVertex huge[3] = {{INT_MIN, INT_MIN, 0, 0}, {INT_MAX, INT_MIN, 0, 0}, {0, INT_MAX, 0, 0}};
  for (const auto& [x, y] : Fill(huge, &result)) {
    EXPECT_TRUE(x >= 0 && x < 20 && y >= 0 && y < 20) << x << "," << y;
  }
  EXPECT_EQ(result, 0);
}

// A span cut by the area's left edge starts with the texel of its first visible pixel,
// and texel coordinates at the graph's width or beyond are not drawn.
TEST_F(TriangleCoverage, TexelsOfAClippedSpan) {
  Start(kXrgb32);
  auto g = Graph(8, 8, -1);
  vexal::DrawState.DrawArea = {13, 0, 320, 240};
  ps::LockedRect d, s;
  ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, ps::kLockWait, &d), ps::Result::kOk);
  ASSERT_EQ(ps::Lock(g->piece->Surface, nullptr, ps::kLockWait, &s), ps::Result::kOk);
  const Picture before = [&] {
    Picture p{320, 240, 4, std::vector<uint32_t>(320 * 240)};
    for (int y = 0; y < 240; ++y) std::memcpy(&p.at(0, y), d.bits + y * d.pitch, 320 * 4);
    return p;
  }();
  // (10, 20)-(18, 20)-(10, 28) with texels (0, 0)-(8, 0)-(0, 8): pixel (x, y) shows
  // texel (x - 10, y - 20) where x - 10 <= 8 - (y - 20) and x - 10 < 8.
  const RasterVertex v[3] = {{10, 20, 0, 0}, {18, 20, 8, 0}, {10, 28, 0, 8}};
  const uint8_t* texels = s.bits + g->piece->Y * s.pitch + g->piece->X * 4;
  EXPECT_EQ(vexal::G_DDraw_RasterTriangle(v, &g->record, 0, d.bits, d.pitch, texels, s.pitch, d.bits, d.pitch, 0), 0);
  Picture after = before;
  for (int y = 0; y < 240; ++y) std::memcpy(&after.at(0, y), d.bits + y * d.pitch, 320 * 4);
  ps::Unlock(g->piece->Surface);
  ps::Unlock(vexal::DDrawState.Back);
  Picture expected = before;
  for (int r = 0; r < 8; ++r)
    for (int c = 3; c <= std::min(7, 8 - r); ++c) expected.at(10 + c, 20 + r) = g->pixels.at(c, r);
  EXPECT_TRUE(after == expected);
}

// On an 8-bit screen texel 0 is skipped for any non-zero trans; at 32 bits only trans 1
// keys (the key kernels are checked against the reference elsewhere).
TEST_F(TriangleCoverage, PaletteScreensSkipIndexZeroForAnyTrans) {
  Start(kPalette8);
  auto g = Graph(8, 8, -1);
  for (int trans : {0, 1, 2}) {
    FillBack();
    const Picture before = Read(vexal::DDrawState.Back);
    ps::LockedRect d, s;
    ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, ps::kLockWait, &d), ps::Result::kOk);
    ASSERT_EQ(ps::Lock(g->piece->Surface, nullptr, ps::kLockWait, &s), ps::Result::kOk);
    const RasterVertex v[3] = {{10, 20, 0, 0}, {18, 20, 8, 0}, {10, 28, 0, 8}};
    EXPECT_EQ(vexal::G_DDraw_RasterTriangle(v, &g->record, trans, d.bits, d.pitch,
                                            s.bits + g->piece->Y * s.pitch + g->piece->X, s.pitch, d.bits, d.pitch, 0),
              0);
    ps::Unlock(g->piece->Surface);
    ps::Unlock(vexal::DDrawState.Back);
    Picture expected = before;
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c <= std::min(7, 8 - r); ++c)
        Expect(&expected, 10 + c, 20 + r, *g, c, r, Look{0, 255, vexal::kBrightNone, false, trans}, false, before);
    EXPECT_TRUE(Read(vexal::DDrawState.Back) == expected) << "trans " << trans;
  }
}

}  // namespace
}  // namespace warptest

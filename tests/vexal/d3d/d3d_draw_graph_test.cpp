// Textured graph draws: placement at the draw-area edge, mirrored stretches, rotation,
// degenerate input and folded quadrilaterals, read back from the software device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Direct3DTest;
using d3dtest::Compose;
using d3dtest::Screen;
namespace pd = plat::d3d;
namespace ps = plat::surface;

// The colour of texel (x, y) of the test graphs.
int TexelId(int x, int y) { return (x + 4 * y) % 7 + 1; }

class GraphDrawTest : public Direct3DTest {
 protected:
  // A 4 x 2 graph coloured by TexelId, drawn to the back screen over the whole screen.
  vexal::GraphRecord* Prepare() {
    Start3D();
    EXPECT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    vexal::GraphRecord* g = NewGraph(4, 2);
    EXPECT_EQ(vexal::D3DCreateGraphStorage(g), 0);
    const vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(g->Pieces[0]));
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(t->surface, nullptr, ps::kLockWait, &l), ps::Result::kOk);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) {
        const uint32_t v = Compose(l.format, TexelId(x, y));
        std::memcpy(l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * (l.format.bit_count / 8), &v,
                    l.format.bit_count / 8);
      }
    }
    ps::Unlock(t->surface);
    SetArea({0, 0, vexal::D3DDrawState->TargetWidth, vexal::D3DDrawState->TargetHeight});
    return g;
  }
  static void SetArea(vexal::Rect r) {
    vexal::D3DDrawState->DrawArea = r;
    EXPECT_EQ(vexal::D3DSetDrawArea(&r), 0);
  }
  static int Draws() {
    int n = 0;
    for (const pd::JournalEntry& e : pd::Journal()) n += e.call == pd::Call::kDrawPrimitive ? 1 : 0;
    return n;
  }
};

TEST_F(GraphDrawTest, APlainDrawLandsOnWholePixelsAndStopsAtTheDrawAreaEdge) {
  vexal::GraphRecord* g = Prepare();
  SetArea({10, 10, 100, 100});
  ASSERT_EQ(vexal::D3DDrawGraph(8, 10, g, 0), 0);
  // Columns 0 and 1 fall left of the area; 2 and 3 land on x = 10 and 11.
  EXPECT_EQ(Screen(7, 9, 6, 4), (std::vector<std::vector<int>>{{0, 0, 0, 0, 0, 0},
                                                               {0, 0, 0, TexelId(2, 0), TexelId(3, 0), 0},
                                                               {0, 0, 0, TexelId(2, 1), TexelId(3, 1), 0},
                                                               {0, 0, 0, 0, 0, 0}}));
  // Wholly right of the area: the piece collapses onto the edge and shows nothing.
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::D3DDrawGraph(150, 20, g, 0), 0);
  EXPECT_EQ(Screen(96, 18, 8, 4), std::vector<std::vector<int>>(4, std::vector<int>(8, 0)));
}

TEST_F(GraphDrawTest, StretchesMirrorByTheOrderOfTheirCornersAndRotationTurnsAboutTheCentre) {
  vexal::GraphRecord* g = Prepare();
  // x2 < x1: mirrored left to right.
  ASSERT_EQ(vexal::G_D3D_DrawExtendGraph(24, 20, 20, 22, g, 0), 0);
  // Both reversed: turned half round.
  ASSERT_EQ(vexal::G_D3D_DrawExtendGraph(34, 22, 30, 20, g, 0), 0);
  // Doubled: every texel covers two by two pixels.
  ASSERT_EQ(vexal::G_D3D_DrawExtendGraph(40, 20, 48, 24, g, 0), 0);
  // A quarter turn about (50, 50): texel (gx, gy) lands on (50 - gy, 48 + gx).
  ASSERT_EQ(vexal::G_D3D_DrawRotaGraph(50, 50, 1.0, std::numbers::pi / 2, g, 0, 0), 0);
  // No turn and no scale: the plain draw at the graph's centre.
  ASSERT_EQ(vexal::G_D3D_DrawRotaGraph(62, 21, 1.0, 0.0, g, 0, 0), 0);
  const auto mirrored = Screen(20, 20, 4, 2);
  const auto turned = Screen(30, 20, 4, 2);
  const auto doubled = Screen(40, 20, 8, 4);
  const auto rotated = Screen(49, 48, 2, 4);
  const auto centred = Screen(60, 20, 4, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(mirrored[y][x], TexelId(3 - x, y)) << x << "," << y;
      EXPECT_EQ(turned[y][x], TexelId(3 - x, 1 - y)) << x << "," << y;
      EXPECT_EQ(centred[y][x], TexelId(x, y)) << x << "," << y;
      for (int k = 0; k < 4; ++k) EXPECT_EQ(doubled[2 * y + k / 2][2 * x + k % 2], TexelId(x, y)) << x << "," << y;
      EXPECT_EQ(rotated[x][1 - y], TexelId(x, y)) << x << "," << y;
    }
  }
}

TEST_F(GraphDrawTest, DegenerateInputIsRefusedBeforeASceneOpensAndABowTieIsTwoTriangles) {
  vexal::GraphRecord* g = Prepare();
  vexal::EndPending3DScene();
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawExtendGraph(10, 10, 10, 20, g, 0), -1);
  EXPECT_EQ(vexal::G_D3D_DrawExtendGraph(10, 10, 20, 10, g, 0), -1);
  EXPECT_EQ(vexal::G_D3D_DrawRotaGraph(10, 10, 0.0, 1.0, g, 0, 0), -1);
  EXPECT_TRUE(pd::Journal().empty());

  // An axis-aligned integer quadrilateral is a stretch: one strip.
  EXPECT_EQ(vexal::G_D3D_DrawModiGraph(0, 0, 64, 0, 0, 32, 64, 32, g, 0), 0);
  EXPECT_EQ(Draws(), 1);
  // The bottom corners exchanged: folded, drawn as two triangles.
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawModiGraphFloat(100, 100, 140, 100, 140, 120, 100, 120, g, 0), 0);
  std::vector<uint32_t> counts;
  for (const pd::JournalEntry& e : pd::Journal()) {
    if (e.call == pd::Call::kDrawPrimitive) counts.push_back(e.c);
  }
  EXPECT_EQ(counts, (std::vector<uint32_t>{3, 3}));
  // Wholly left of the screen: skipped.
  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawModiGraphFloat(-50, 0, -10, 0, -50, 20, -10, 20, g, 0), 0);
  EXPECT_EQ(Draws(), 0);
}

TEST_F(GraphDrawTest, AStretchBeyondTheIntRangeIsHeldAtItsEdgeAndStillDrawn) {
  vexal::GraphRecord* g = Prepare();
  // Corners 2e10 pixels out are held at the int range, as row 0 holds them: the graph is
  // blown up over the whole screen around (10, 10), where its middle four texels meet.
  ASSERT_EQ(vexal::G_D3D_DrawRotaGraph(10, 10, 1e10, 0.0, g, 0, 0), 0);
  const std::vector<std::vector<int>> got = Screen(0, 0, 20, 20);
  const std::vector<int> middle = {TexelId(1, 0), TexelId(2, 0), TexelId(1, 1), TexelId(2, 1)};
  for (auto [x, y] : {std::pair{10, 10}, {0, 0}, {19, 19}, {0, 19}}) {
    EXPECT_NE(std::find(middle.begin(), middle.end(), got[static_cast<size_t>(y)][static_cast<size_t>(x)]),
              middle.end())
        << x << "," << y;
  }
  // Not a number gives a point-sized stretch, refused like any empty one.
  EXPECT_EQ(vexal::G_D3D_DrawRotaGraph(10, 10, std::nan(""), 0.0, g, 0, 0), -1);
}

TEST_F(GraphDrawTest, ACellOfADividedTextureLandsWhereAGraphOfItsOwnWould) {
  Prepare();
  // Two 2 x 2 cells side by side in one texture; the draw's half-pixel offset puts the
  // cell's texels on the pixels from (20, 30) on, like any other graph.
  std::vector<vexal::GraphRecord*> cells = {NewGraph(2, 2), NewGraph(2, 2)};
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 2, 2, 1, 2, 2), 0);
  const vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(cells[1]->Pieces[0]));
  ASSERT_EQ(t->texOffsetX, 2);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(t->surface, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      const uint32_t v = Compose(l.format, TexelId(x, y));
      std::memcpy(l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * (l.format.bit_count / 8), &v,
                  l.format.bit_count / 8);
    }
  }
  ps::Unlock(t->surface);
  const std::vector<std::vector<int>> want = {
      {0, 0, 0, 0}, {0, TexelId(2, 0), TexelId(3, 0), 0}, {0, TexelId(2, 1), TexelId(3, 1), 0}, {0, 0, 0, 0}};
  ASSERT_EQ(vexal::D3DDrawGraph(20, 30, cells[1], 0), 0);
  EXPECT_EQ(Screen(19, 29, 4, 4), want);
  // Stretched to its own size and through the free quadrilateral, the same pixels.
  for (int way = 0; way < 2; ++way) {
    vexal::EndPending3DScene();
    ps::LockedRect back;
    ASSERT_EQ(ps::Lock(vexal::GetBackSurface(), nullptr, ps::kLockWait, &back), ps::Result::kOk);
    for (int y = 0; y < back.height; ++y)
      std::memset(back.bits + static_cast<ptrdiff_t>(y) * back.pitch, 0, back.pitch);
    ps::Unlock(vexal::GetBackSurface());
    if (way == 0) {
      ASSERT_EQ(vexal::G_D3D_DrawExtendGraph(20, 30, 22, 32, cells[1], 0), 0);
    } else {
      ASSERT_EQ(vexal::G_D3D_DrawModiGraphFloat(20, 30, 22, 30, 20, 32, 22, 32, cells[1], 0), 0);
    }
    EXPECT_EQ(Screen(19, 29, 4, 4), want) << (way == 0 ? "stretched" : "quadrilateral");
  }
}

TEST_F(GraphDrawTest, WithoutDirect3DTheDrawsRefuse) {
  vexal::GraphRecord* g = Prepare();
  pd::Direct3D* held = vexal::D3DObject;
  vexal::D3DObject = nullptr;
  EXPECT_EQ(vexal::D3DDrawGraph(0, 0, g, 0), -1);
  EXPECT_EQ(vexal::G_D3D_DrawExtendGraph(0, 0, 4, 4, g, 0), -1);
  EXPECT_EQ(vexal::G_D3D_DrawRotaGraph(0, 0, 1.0, 1.0, g, 0, 0), -1);
  EXPECT_EQ(vexal::G_D3D_DrawModiGraphFloat(0, 0, 4, 0, 0, 4, 4, 4, g, 0), -1);
  vexal::D3DObject = held;
}

}  // namespace

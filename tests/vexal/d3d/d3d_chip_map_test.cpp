// Chip maps: one triangle list per row over a shared divided texture, bad entries
// skipped, and where the cells of such a texture land drawn on their own.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/ddraw/primitive.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Direct3DTest;
namespace pd = plat::d3d;
namespace ps = plat::surface;

constexpr uint32_t kEmpty = 0xFFFFFFFFu;

class ChipMapTest : public Direct3DTest {
 protected:
  // Sixteen 4 x 4 cells of one shared texture, cell i painted all in colour i % 7 + 1.
  std::vector<vexal::GraphRecord*> Prepare() {
    Start3D();
    EXPECT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    const vexal::Rect all{0, 0, vexal::D3DDrawState->TargetWidth, vexal::D3DDrawState->TargetHeight};
    vexal::D3DDrawState->DrawArea = all;
    EXPECT_EQ(vexal::D3DSetDrawArea(&all), 0);
    std::vector<vexal::GraphRecord*> cells;
    for (int i = 0; i < 16; ++i) cells.push_back(NewGraph(4, 4));
    EXPECT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 16, 4, 4, 4, 4), 0);
    ps::Surface* tex = vexal::GetTexData(static_cast<int>(cells[0]->Pieces[0]))->surface;
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(tex, nullptr, ps::kLockWait, &l), ps::Result::kOk);
    const int bytes = l.format.bit_count / 8;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const uint32_t v = d3dtest::Compose(l.format, (y / 4 * 4 + x / 4) % 7 + 1);
        std::memcpy(l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * bytes, &v, static_cast<size_t>(bytes));
      }
    }
    ps::Unlock(tex);
    return cells;
  }
  static std::vector<uint32_t> DrawCounts() {
    std::vector<uint32_t> out;
    for (const pd::JournalEntry& e : pd::Journal()) {
      if (e.call == pd::Call::kDrawPrimitive) out.push_back(e.c);
    }
    return out;
  }
};

TEST_F(ChipMapTest, ASharedTextureMapIsOneListPerRowAndSkipsEmptyAndUnknownCells) {
  std::vector<vexal::GraphRecord*> cells = Prepare();
  const std::vector<uint32_t> map = {0, kEmpty, 2, 99,  // one empty, one beyond the chips
                                     3, 4,      5, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty};  // nothing to send
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::G_D3D_DrawChipMap(40, 40, 4, 3, map.data(), 4, 16, cells.data(), 0), 0);
  EXPECT_EQ(DrawCounts(), (std::vector<uint32_t>{12, 18}));
  // Cells land on whole pixels at the map's own place, with no half-pixel shift.
  const auto got = d3dtest::Screen(39, 39, 14, 10);
  EXPECT_EQ(got[1][1], 1);  // chip 0 at (40, 40)
  EXPECT_EQ(got[1][0], 0);
  EXPECT_EQ(got[4][4], 1);   // its last pixel (43, 43)
  EXPECT_EQ(got[1][5], 0);   // the empty cell
  EXPECT_EQ(got[1][9], 3);   // chip 2
  EXPECT_EQ(got[5][1], 4);   // chip 3, row 1
  EXPECT_EQ(got[8][12], 6);  // chip 5's last pixel (51, 47)
  EXPECT_EQ(got[9][1], 0);   // row 2 is empty

  pd::RecordJournal(true);
  EXPECT_EQ(vexal::G_D3D_DrawChipMap(0, 0, 4, 3, map.data(), 4, 0, cells.data(), 0), 0);
  EXPECT_TRUE(DrawCounts().empty());
}

TEST_F(ChipMapTest, ACellOfASharedTextureDrawnOnItsOwnLandsWhereTheMapPutsIt) {
  std::vector<vexal::GraphRecord*> cells = Prepare();
  // The plain draw's half-pixel offset is the only one: the cell covers (100, 100) to
  // (103, 103) as in a map drawn at (100, 100).
  ASSERT_EQ(vexal::D3DDrawGraph(100, 100, cells[1], 0), 0);
  const auto got = d3dtest::Screen(99, 99, 6, 6);
  EXPECT_EQ(got[1][1], 2);  // (100, 100)
  EXPECT_EQ(got[4][4], 2);  // (103, 103)
  EXPECT_EQ(got[0][0], 0);  // (99, 99) stays untouched
  EXPECT_EQ(got[1][0], 0);
  EXPECT_EQ(got[0][1], 0);
  EXPECT_EQ(got[5][5], 0);
  pd::RecordJournal(true);
  const std::vector<uint32_t> one = {1};
  ASSERT_EQ(vexal::G_D3D_DrawChipMap(100, 100, 1, 1, one.data(), 1, 16, cells.data(), 0), 0);
  EXPECT_EQ(DrawCounts(), (std::vector<uint32_t>{6}));
  EXPECT_EQ(d3dtest::Screen(99, 99, 6, 6), got);
}

// Cells past the end of the int range, on the back and on the front screen (whose origin
// moves every cell on), are placed without overflow and lie beyond every draw area; those
// of separate graphs are skipped, those of a shared texture still go in each row's list.
TEST_F(ChipMapTest, CellsPastTheEndOfTheIntRangeAreWorkedOutWithoutOverflowAndShowNothing) {
  std::vector<vexal::GraphRecord*> shared = Prepare();
  std::vector<vexal::GraphRecord*> separate;
  for (int i = 0; i < 2; ++i) {
    separate.push_back(NewGraph(4, 4));
    ASSERT_EQ(vexal::D3DCreateGraphStorage(separate.back()), 0);
  }
  const std::vector<uint32_t> map(64, 1);  // 8 x 8 cells of 4 x 4: 28 pixels on from the first
  const int far = INT_MAX - 20;
  for (int target : {vexal::kBackScreen, vexal::kFrontScreen}) {
    ASSERT_EQ(vexal::SetDrawTarget(target), 0);
    for (std::vector<vexal::GraphRecord*>* cells : {&shared, &separate}) {
      SCOPED_TRACE(testing::Message() << "target " << target << (cells == &shared ? ", shared" : ", separate"));
      d3dtest::ClearScreen();
      pd::RecordJournal(true);
      EXPECT_EQ(vexal::G_D3D_DrawChipMap(far, 40, 8, 8, map.data(), 8, 2, cells->data(), 0), 0);
      EXPECT_EQ(vexal::G_D3D_DrawChipMap(40, far, 8, 8, map.data(), 8, 2, cells->data(), 0), 0);
      vexal::EndPending3DScene();
      if (cells == &shared) {
        EXPECT_EQ(DrawCounts(), std::vector<uint32_t>(16, 48));
      }
      EXPECT_EQ(d3dtest::LitPixels(), d3dtest::PixelSet{});
    }
  }
}

TEST_F(Direct3DTest, APrimitiveListForTheFrontScreenMovesTheCallersOwnVerticesAtEachCall) {
  Start3D();
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
  ASSERT_EQ(vexal::IsDrawingToFront(), 1);
  vexal::DrawState.TargetRect = {100, 50, 420, 290};
  std::array<vexal::PrimitiveVertex, 3> v{};
  v[0] = {1, 2, 0, 1, 0xFFFFFFFF, 0, 0};
  v[1] = {9, 2, 0, 1, 0xFFFFFFFF, 0, 0};
  v[2] = {1, 9, 0, 1, 0xFFFFFFFF, 0, 0};
  ASSERT_EQ(vexal::G_D3D_DrawPrimitive(v.data(), 3, 4, nullptr, 0), 0);
  EXPECT_FLOAT_EQ(v[0].x, 101.0f);
  EXPECT_FLOAT_EQ(v[0].y, 52.0f);
  EXPECT_FLOAT_EQ(v[2].y, 59.0f);
  ASSERT_EQ(vexal::G_D3D_DrawPrimitive(v.data(), 3, 4, nullptr, 0), 0);
  EXPECT_FLOAT_EQ(v[0].x, 201.0f);
  EXPECT_FLOAT_EQ(v[0].y, 102.0f);
  // The back screen's lists stay as they are.
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  ASSERT_EQ(vexal::G_D3D_DrawPrimitive(v.data(), 3, 4, nullptr, 0), 0);
  EXPECT_FLOAT_EQ(v[0].x, 201.0f);
}

}  // namespace

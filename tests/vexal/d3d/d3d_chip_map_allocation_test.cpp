// A chip map whose work buffers cannot be allocated says so in the log and returns -1,
// drawing nothing. The failure is made by this test program's own operator new
// (tests/support/refused_allocation), which refuses the next request of one given size.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "tests/support/refused_allocation/refused_allocation.h"
#include "tests/vexal/d3d/d3d_fixture.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace {

std::atomic<size_t>& g_refused_size = nltest::refused_allocation_size;

}  // namespace

namespace {

namespace pd = plat::d3d;

class ChipMapAllocationTest : public d3dtest::Direct3DTest {
 protected:
  void TearDown() override {
    g_refused_size = 0;
    d3dtest::Direct3DTest::TearDown();
  }
  static int Draws() {
    int n = 0;
    for (const pd::JournalEntry& e : pd::Journal()) n += e.call == pd::Call::kDrawPrimitive ? 1 : 0;
    return n;
  }
};

TEST_F(ChipMapAllocationTest, EachWorkBufferThatCannotBeHadIsLoggedAndGivesMinusOne) {
  Start3D();
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  // Seven cells of one shared texture and a map of 11 columns: sizes no other request of
  // the draw has.
  std::vector<vexal::GraphRecord*> cells;
  for (int i = 0; i < 7; ++i) cells.push_back(NewGraph(4, 4));
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 7, 7, 1, 4, 4), 0);
  const std::vector<uint32_t> map(11 * 2, 1);
  struct Case {
    size_t size;
    const char* line;
  };
  const Case cases[] = {
      {11 * 6 * sizeof(vexal::TexVertex), "メモリの確保に失敗しました in G_D3D_DrawChipMap "},
      {7 * sizeof(void*), "テクスチャーデータアドレス配列用メモリの確保に失敗しました in G_D3D_DrawChipMap "},
  };
  for (const Case& c : cases) {
    const size_t lines = LinesWith(c.line).size();
    pd::RecordJournal(true);
    g_refused_size = c.size;
    EXPECT_EQ(vexal::G_D3D_DrawChipMap(0, 0, 11, 2, map.data(), 11, 7, cells.data(), 0), -1) << c.line;
    EXPECT_EQ(g_refused_size, 0u) << "the request was never made: " << c.line;
    EXPECT_EQ(LinesWith(c.line).size(), lines + 1);
    EXPECT_EQ(Draws(), 0);
  }
  g_refused_size = 0;
  EXPECT_EQ(vexal::G_D3D_DrawChipMap(0, 0, 11, 2, map.data(), 11, 7, cells.data(), 0), 0);
}

}  // namespace

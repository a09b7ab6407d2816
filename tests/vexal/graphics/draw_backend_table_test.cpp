// The drawing backend table: what each slot of each row answers before its drawer or
// device exists, the row lookup, and the row-0 entries built so far (the colour format
// of a new graph, deleting a graph's storage).
#include "vexal/graphics/drawing/draw_backend_table.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace {

using vexal::DrawBackendTable;

// A library never started (whatever an earlier case of the program started is forgotten).
class DrawBackendTableTest : public apptest::LibraryTest {};

TEST_F(DrawBackendTableTest, WithoutADeviceOnlyTheNoOpAndAlwaysZeroSlotsSucceed) {
  // Row 0: the slots it does not need, the chip map and mask steps (0 whatever they draw),
  // the colour description, the line (its ends lie outside the empty draw area, which it
  // tests first) and the triangle outline (it leaves the device to the line set);
  // everything else needs the device. Row 1: Direct3D is unavailable: its no-op slots, the
  // divided storage and the blend mode (which answer 0 in every case), the draw target (0
  // without a device) and a colour description with nowhere to write succeed.
  const std::set<int> row0_zero = {9,  10, 11, 12, 18, 20, 21, 22, 25, 28, 32,
                                   37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47};
  const std::set<int> row1_zero = {2, 10, 11, 24, 25, 38, 39};
  const auto row0 = vexal::DrawBackendSlotCalls(DrawBackendTable[0]);
  const auto row1 = vexal::DrawBackendSlotCalls(DrawBackendTable[1]);
  for (int slot = 0; slot < vexal::kDrawBackendSlotCount; ++slot) {
    if (slot != 24) {  // the draw-target code has its own tests
      EXPECT_EQ(row0[slot](), row0_zero.count(slot) ? 0 : -1) << "row 0 slot " << slot;
    }
    EXPECT_EQ(row1[slot](), row1_zero.count(slot) ? 0 : -1) << "row 1 slot " << slot;
  }
}

TEST_F(DrawBackendTableTest, GraphRecordsNameTheirRowAndTestsCanSwapTheTable) {
  EXPECT_EQ(&vexal::GetDrawBackendRow(0), &DrawBackendTable[0]);
  EXPECT_EQ(&vexal::GetDrawBackendRow(1), &DrawBackendTable[1]);
  EXPECT_EQ(&vexal::GetDrawBackendRow(7), &DrawBackendTable[0]);
  vexal::DrawBackendRows mine = DrawBackendTable;
  vexal::SetDrawBackendTableForTests(&mine);
  EXPECT_EQ(&vexal::GetDrawBackendRow(1), &mine[1]);
  vexal::SetDrawBackendTableForTests(nullptr);
  EXPECT_EQ(&vexal::GetDrawBackendRow(1), &DrawBackendTable[1]);
}

std::vector<std::string> StateCalls;
template <int Row>
int RecordBlend(int mode, int param) {
  StateCalls.push_back(std::to_string(Row) + ":" + std::to_string(mode) + "," + std::to_string(param));
  return Row == 0 ? 0 : -1;
}

TEST_F(DrawBackendTableTest, StateCallsReachRowOneFirstOnlyWhileDirect3DIsAvailable) {
  vexal::DrawBackendRows rows = DrawBackendTable;
  rows[0].SetBlendMode = RecordBlend<0>;
  rows[1].SetBlendMode = RecordBlend<1>;
  vexal::SetDrawBackendTableForTests(&rows);
  for (const auto& [available, calls] : {std::pair{0u, std::vector<std::string>{"0:1,128"}},
                                         std::pair{1u, std::vector<std::string>{"1:1,128", "0:1,128"}}}) {
    vexal::GraphTable.Direct3DAvailable = available;
    StateCalls.clear();
    vexal::CallOnBothRows([](const vexal::DrawBackendRow& row) { row.SetBlendMode(1, 128); });
    EXPECT_EQ(StateCalls, calls) << available;
  }
  vexal::SetDrawBackendTableForTests(nullptr);
}

TEST_F(DrawBackendTableTest, NewGraphsTakeTheScreenFormatExceptOnEightBitScreens) {
  vexal::ColorFormatRecord screen{};
  screen.ColorBits = 16;
  screen.BytesPerPixel = 2;
  screen.RedWidth = 5, screen.GreenWidth = 6, screen.BlueWidth = 5;
  screen.RedShift = 11, screen.GreenShift = 5;
  screen.RedMask = 0xF800, screen.GreenMask = 0x07E0, screen.BlueMask = 0x001F;
  vexal::DDrawState.Screen.Format = screen;

  vexal::ColorFormatRecord want24{};
  want24.ColorBits = 24;
  want24.BytesPerPixel = 3;
  want24.RedWidth = want24.GreenWidth = want24.BlueWidth = 8;
  want24.RedShift = 16, want24.GreenShift = 8, want24.BlueShift = 0;
  want24.RedMask = 0xFF0000, want24.GreenMask = 0xFF00, want24.BlueMask = 0xFF;

  const auto same = [](const vexal::ColorFormatRecord& a, const vexal::ColorFormatRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
  };
  for (const int bits : {8, 16, 32}) {
    for (const int alpha : {0, 1}) {
      vexal::DDrawState.ScreenColorBits = bits;
      vexal::ColorFormatRecord out;
      std::memset(&out, 0xAB, sizeof out);
      EXPECT_EQ(DrawBackendTable[0].GetGraphColorDesc(&out, alpha), 0);
      EXPECT_TRUE(same(out, bits == 8 ? want24 : screen)) << bits << " bits, alpha " << alpha;
    }
  }
}

class DDrawGraphStorageTest : public screentest::ScreenTest {};

TEST_F(DDrawGraphStorageTest, DeletingAGraphsStorageDeletesEachOfItsPieces) {
  vexal::BmpDataRecord records[3];
  std::array<vexal::BmpDataRecord*, 3> table = {&records[0], &records[1], &records[2]};
  vexal::SetBmpDataTableForTests(table);
  vexal::GraphRecord graph;
  graph.PieceCount = 2;
  graph.Pieces[0] = 2;
  graph.Pieces[1] = 0;
  graph.Pieces[2] = 1;                                            // beyond the piece count
  EXPECT_EQ(DrawBackendTable[0].DeleteGraphStorage(&graph), -1);  // no device yet
  EXPECT_NE(table[2], nullptr);

  Start(1);
  EXPECT_EQ(DrawBackendTable[0].DeleteGraphStorage(&graph), 0);
  EXPECT_EQ(table[0], nullptr);
  EXPECT_EQ(table[1], &records[1]);
  EXPECT_EQ(table[2], nullptr);
  vexal::SetBmpDataTableForTests({});
}

}  // namespace

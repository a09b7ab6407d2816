// Graph handles: allocation and reuse, the end index, validation, the row a new graph
// gets, the limit of 3000 graphs, and where a graph's source is recorded.
#include "vexal/graphics/graphs/graph_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

// What the recording rows saw: "row:slot" per call, and the alpha slot 25 was given.
std::vector<std::string> Calls;
std::vector<int> ColorDescAlpha;
int CreateStorageResult = 0;

template <int Row>
int RecordCreate(vexal::GraphRecord*) {
  Calls.push_back(std::to_string(Row) + ":1");
  return CreateStorageResult;
}
template <int Row>
int RecordDelete(vexal::GraphRecord*) {
  Calls.push_back(std::to_string(Row) + ":4");
  return 0;
}
template <int Row>
int RecordColorDesc(vexal::ColorFormatRecord* out, int alpha) {
  Calls.push_back(std::to_string(Row) + ":25");
  ColorDescAlpha.push_back(alpha);
  out->ColorBits = Row == 0 ? 16 : 32;
  return 0;
}

class GraphTableTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    apptest::LibraryTest::SetUp();
    vexal::AppState.StartDirectory = dir_.path();  // the log of a fatal exit lands here
    Calls.clear();
    ColorDescAlpha.clear();
    CreateStorageResult = 0;
    rows_ = vexal::DrawBackendTable;
    rows_[0].CreateGraphStorage = RecordCreate<0>;
    rows_[1].CreateGraphStorage = RecordCreate<1>;
    rows_[0].DeleteGraphStorage = RecordDelete<0>;
    rows_[1].DeleteGraphStorage = RecordDelete<1>;
    rows_[0].GetGraphColorDesc = RecordColorDesc<0>;
    rows_[1].GetGraphColorDesc = RecordColorDesc<1>;
    vexal::SetDrawBackendTableForTests(&rows_);
  }
  void TearDown() override {
    vexal::SetDrawBackendTableForTests(nullptr);
    vexal::ResetGraphTable();
    apptest::LibraryTest::TearDown();
  }
  static int Add(int w = 8, int h = 8) { return vexal::AddGraphHandle(w, h, 0, 0, nullptr, 0); }

  vexal::DrawBackendRows rows_;
};

TEST_F(GraphTableTest, FreedIndexesAreReusedAndTheEndIndexShrinksPastEmptySlots) {
  for (int i = 0; i < 4; ++i) ASSERT_EQ(Add(), 0x10000 | i);
  ASSERT_EQ(vexal::DeleteGraphHandle(0x10001, 0), 0);
  EXPECT_EQ(vexal::GraphTable.EndIndex, 4);
  EXPECT_EQ(Add(), 0x10001);  // the lowest free index, not the end

  ASSERT_EQ(vexal::DeleteGraphHandle(0x10001, 0), 0);
  ASSERT_EQ(vexal::DeleteGraphHandle(0x10002, 0), 0);
  EXPECT_EQ(vexal::GraphTable.EndIndex, 4);  // the highest is still in use
  ASSERT_EQ(vexal::DeleteGraphHandle(0x10003, 0), 0);
  EXPECT_EQ(vexal::GraphTable.EndIndex, 1);  // past both empty slots below it
  EXPECT_EQ(vexal::GraphTable.Count, 1);
  EXPECT_EQ(Add(), 0x10001);

  ASSERT_EQ(vexal::DeleteGraphHandle(0x10001, 0), 0);
  ASSERT_EQ(vexal::DeleteGraphHandle(0x10000, 0), 0);
  EXPECT_EQ(vexal::GraphTable.EndIndex, 0);
  EXPECT_EQ(vexal::GraphTable.Count, 0);
  EXPECT_EQ(Add(), 0x10000);
}

TEST_F(GraphTableTest, OnlyTaggedHandlesOfOccupiedSlotsAreGraphs) {
  ASSERT_EQ(Add(10, 20), 0x10000);
  ASSERT_EQ(Add(30, 40), 0x10001);
  ASSERT_EQ(Add(), 0x10002);
  ASSERT_EQ(vexal::DeleteGraphHandle(0x10002, 0), 0);
  struct Case {
    int handle;
    bool graph;       // GetGraphRecord gives a record
    int dims_result;  // GetGraphDimensions
    int w, h;
  };
  const Case cases[] = {
      {0x10001, true, 0, 30, 40},
      {0x10000, true, 0, 10, 20},
      {0x20001, false, -1, -7, -7},         // a sound handle's tag on an occupied index
      {0x10000 | 3000, false, -1, -7, -7},  // one past the table
      {0x10000 | 0xFFFF, false, -1, -7, -7},
      {0x10002, false, -1, -7, -7},  // deleted
      {0x0001, false, -1, -7, -7},   // no tag
      {-1, false, -1, -7, -7},
      {-4, false, 0, 640, 480},  // screens: the screen size, no record
      {-2, false, 0, 640, 480},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vexal::GetGraphRecord(c.handle) != nullptr, c.graph) << std::hex << c.handle;
    int w = -7, h = -7;
    EXPECT_EQ(vexal::GetGraphDimensions(c.handle, &w, &h), c.dims_result) << std::hex << c.handle;
    EXPECT_EQ(w, c.w) << std::hex << c.handle;
    EXPECT_EQ(h, c.h) << std::hex << c.handle;
    if (!c.graph) {
      EXPECT_EQ(vexal::DeleteGraphHandle(c.handle, 0), -1) << std::hex << c.handle;
    }
  }
  EXPECT_EQ(vexal::GraphTable.Count, 2);
  EXPECT_EQ(vexal::GetGraphHandleFromRecord(vexal::GetGraphRecord(0x10001)), 0x10001);
  vexal::GraphRecord stranger;
  EXPECT_EQ(vexal::GetGraphHandleFromRecord(&stranger), -1);
}

TEST_F(GraphTableTest, NewGraphRecordsAreFilledAndDeletionGoesToTheirRow) {
  vexal::GraphRecord* record = nullptr;
  const int handle = vexal::AddGraphHandle(320, 240, 0, 1, &record, 0xFF);
  ASSERT_EQ(handle, 0x10000);
  ASSERT_EQ(record, vexal::GetGraphRecord(handle));
  EXPECT_EQ(record->Width, 320);
  EXPECT_EQ(record->Height, 240);
  EXPECT_EQ(record->Link, -1);
  EXPECT_EQ(record->PieceFlag, 1);
  EXPECT_EQ(record->Alpha, 0xFF);
  EXPECT_EQ(record->ColorFormat.ColorBits, 16);     // filled by row 0's slot 25
  EXPECT_EQ(ColorDescAlpha, std::vector<int>{-1});  // the alpha byte sign-extended
  EXPECT_EQ(record->PieceCount, 0);                 // storage is the caller's next step
  vexal::SetGraphSource(record, "img\\face.png", "/data");
  EXPECT_EQ(vexal::DeleteGraphHandle(handle, 1), 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:25", "0:4"}));
  EXPECT_NE(Log().find("グラフィック img\\face.png の削除"), std::string::npos);
}

TEST_F(GraphTableTest, NewGraphsGoToTheDirect3DRowOnlyWhenEverythingAllowsIt) {
  struct Case {
    int want_3d;
    uint32_t forbidden, available;
    int no_3d_surfaces;
    uint8_t row;
  };
  const Case cases[] = {
      {1, 0, 1, 0, 1}, {0, 0, 1, 0, 0}, {1, 1, 1, 0, 0}, {1, 0, 0, 0, 0}, {1, 0, 1, 1, 0}, {2, 0, 1, 0, 1},
  };
  for (const Case& c : cases) {
    vexal::GraphTable.Direct3DForbidden = c.forbidden;
    vexal::GraphTable.Direct3DAvailable = c.available;
    vexal::DDrawState.No3DSurfaces = c.no_3d_surfaces;
    Calls.clear();
    vexal::GraphRecord* record = nullptr;
    const int handle = vexal::AddGraphHandle(4, 4, c.want_3d, 0, &record, 0);
    const std::string row = std::to_string(c.row);
    EXPECT_EQ(record->Row, c.row) << c.want_3d << c.forbidden << c.available << c.no_3d_surfaces;
    EXPECT_EQ(vexal::DeleteGraphHandle(handle, 0), 0);
    EXPECT_EQ(Calls, (std::vector<std::string>{row + ":25", row + ":4"}));
  }
}

TEST_F(GraphTableTest, AllowingDirect3DGraphsBeforeTheDeviceAlsoSetsTheDeviceFlag) {
  for (const auto& [flag, forbidden] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{5, 0}}) {
    EXPECT_EQ(vexal::AllowDirect3DGraphs(flag), 0);
    EXPECT_EQ(vexal::GraphTable.Direct3DForbidden, static_cast<uint32_t>(forbidden)) << flag;
    EXPECT_EQ(vexal::GetNoDirect3DFlag(), forbidden) << flag;
  }
}

TEST_F(GraphTableTest, BlankGraphsGetStorageFromTheirRow) {
  const int handle = vexal::CreateBlankGraph(320, 240);
  EXPECT_EQ(handle, 0x10000);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:25", "0:1"}));
  for (const auto& [w, h] : {std::pair{65536, 8}, std::pair{8, 65536}, std::pair{-1, 8}, std::pair{8, -1}}) {
    EXPECT_EQ(vexal::CreateBlankGraph(w, h), -1) << w << " x " << h;  // not wrapped to another size
  }
  EXPECT_EQ(vexal::GraphTable.Count, 1);
  // New blank graphs take the draw state's alpha flag.
  EXPECT_EQ(vexal::GetGraphRecord(handle)->Alpha, 0);
  vexal::DrawState.NewGraphAlpha = 1;
  EXPECT_EQ(vexal::GetGraphRecord(vexal::CreateBlankGraph(4, 4))->Alpha, 1);
  vexal::DrawState.NewGraphAlpha = 0;
  CreateStorageResult = -1;
  EXPECT_EXIT(vexal::CreateBlankGraph(16, 16), ::testing::ExitedWithCode(255), "");
  EXPECT_NE(Log().find("グラフィックの作成に失敗しました終了します"), std::string::npos);
}

TEST_F(GraphTableTest, ThreeThousandGraphsAreAllowedAndTheNextEndsTheProgram) {
  for (int i = 0; i < vexal::kGraphMax; ++i) ASSERT_EQ(Add(), 0x10000 | i);
  EXPECT_EXIT(Add(), ::testing::ExitedWithCode(255), "");
  EXPECT_NE(Log().find("グラフィックの数が許容量を越えました終了します"), std::string::npos);
  // A freed slot makes room again.
  ASSERT_EQ(vexal::DeleteGraphHandle(0x10000 | 1234, 0), 0);
  EXPECT_EQ(Add(), 0x10000 | 1234);
}

TEST(GraphRecordTest, ANameTooLongToLoadAgainMarksTheGraph) {
  const std::string directory(300, 'd');  // kept whole, however long
  for (const auto& [length, not_restorable] :
       {std::pair{0, 0}, std::pair{59, 0}, std::pair{60, 1}, std::pair{200, 1}}) {
    vexal::GraphRecord record;
    const std::string name(static_cast<size_t>(length), 'n');
    vexal::SetGraphSource(&record, name, directory);
    EXPECT_EQ(record.FileName, name);
    EXPECT_EQ(record.Directory, directory);
    EXPECT_EQ(record.NotRestorable, not_restorable) << length;
  }
}

}  // namespace

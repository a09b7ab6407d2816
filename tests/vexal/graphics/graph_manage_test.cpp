// Starting and ending graph management on a started screen, deleting every graph, and the
// restore handler, with rows that record what they are asked.
#include "vexal/graphics/graphs/graph_manage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

std::vector<std::string> Calls;              // "row:slot" per call
std::vector<vexal::DrawStateBlock*> Blocks;  // what slot 0 was given
int Row1BindResult = -1;

template <int Row>
int RecordBind(vexal::DrawStateBlock* block) {
  Calls.push_back(std::to_string(Row) + ":0");
  Blocks.push_back(block);
  return Row == 1 ? Row1BindResult : 0;
}
int RecordDelete(vexal::GraphRecord* graph) {
  Calls.push_back("0:4 " + std::to_string(vexal::GetGraphHandleFromRecord(graph) & 0xFFFF));
  return 0;
}
int Handler() { return 0; }

class GraphManageTest : public screentest::ScreenTest {
 protected:
  void SetUp() override {
    screentest::ScreenTest::SetUp();
    Calls.clear();
    Blocks.clear();
    Row1BindResult = -1;
    rows_ = vexal::DrawBackendTable;
    rows_[0].SetDrawStateBlock = RecordBind<0>;
    rows_[1].SetDrawStateBlock = RecordBind<1>;
    rows_[0].DeleteGraphStorage = RecordDelete;
    vexal::SetDrawBackendTableForTests(&rows_);
  }
  void TearDown() override {
    vexal::SetDrawBackendTableForTests(nullptr);
    screentest::ScreenTest::TearDown();
  }
  static int Add() { return vexal::AddGraphHandle(8, 8, 0, 0, nullptr, 0); }
  vexal::DrawBackendRows rows_;
};

TEST_F(GraphManageTest, StartBindsBothRowsEmptiesTheTableAndDrawsToTheFrontScreen) {
  Start(1);
  ASSERT_EQ(vexal::GraphTable.Initialised, 1u);
  vexal::AllowDirect3DGraphs(0);
  vexal::SetGraphRestoreHandler(Handler);
  vexal::SetDrawTarget(vexal::kBackScreen);
  vexal::GraphTable.Initialised = 0;  // as after an end that kept its graphs
  Add();
  Add();
  Calls.clear();
  Blocks.clear();

  EXPECT_EQ(vexal::InitGraphManage(), 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:0", "1:0"}));  // row 0 first, no graph deleted
  ASSERT_EQ(Blocks.size(), 2u);
  EXPECT_NE(Blocks[0], nullptr);
  EXPECT_EQ(Blocks[0], Blocks[1]);
  EXPECT_EQ(vexal::GraphTable.Count, 0);
  EXPECT_EQ(vexal::GraphTable.EndIndex, 0);
  EXPECT_EQ(vexal::GetGraphRecord(0x10000), nullptr);
  EXPECT_EQ(vexal::GraphTable.Direct3DAvailable, 0u);
  EXPECT_EQ(vexal::GraphTable.Direct3DForbidden, 0u);    // emptied with the table
  EXPECT_EQ(vexal::GraphTable.RestoreHandler, Handler);  // but the handler stays
  EXPECT_EQ(vexal::GetDrawTarget(), vexal::kFrontScreen);
  int area[4];
  vexal::GetDrawClipArea(area);
  EXPECT_EQ(std::vector<int>(area, area + 4), (std::vector<int>{0, 0, 640, 480}));
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 1);
  EXPECT_EQ(LinesWith("３Ｄグラフィック描画機能"),
            std::vector<std::string>(2, "３Ｄグラフィック描画機能は使用しません"));

  // Running already: nothing happens.
  Calls.clear();
  Add();
  EXPECT_EQ(vexal::InitGraphManage(), 0);
  EXPECT_EQ(Calls, std::vector<std::string>{});
  EXPECT_EQ(vexal::GraphTable.Count, 1);
}

TEST_F(GraphManageTest, ARowThatAcceptsTheBlockMakesDirect3DAvailable) {
  Row1BindResult = 0;
  Start(1);
  EXPECT_EQ(vexal::GraphTable.Direct3DAvailable, 1u);
  EXPECT_EQ(LinesWith("３Ｄグラフィック描画機能"), std::vector<std::string>{"３Ｄグラフィック描画機能を使用します"});
}

// Direct3D wanted but refused makes the screen again without 3-D surfaces, once, and
// blends coarsely; not wanted, or the surfaces already without, leaves the screen alone.
TEST_F(GraphManageTest, WithoutDirect3DTheScreenIsMadeAgainWithout3DSurfaces) {
  const struct {
    const char* name;
    int no_direct3d, no_3d_surfaces, row1_result;
    int mode_changes, no_3d_after, coarse_after;
  } cases[] = {
      {"refused", 0, 0, -1, 2, 1, 1},
      {"accepted", 0, 0, 0, 1, 0, 0},
      {"not wanted", 1, 0, -1, 1, 0, 0},
      {"no 3-D surfaces already", 0, 1, -1, 1, 1, 0},
  };
  for (const auto& c : cases) {
    ForgetStart();
    Row1BindResult = c.row1_result;
    vexal::SetNoDirect3DFlag(c.no_direct3d);
    vexal::SetUse3DSurfaces(c.no_3d_surfaces == 0 ? 1 : 0);
    Start(1);
    EXPECT_EQ(LinesWith("画面モード変更処理は正常に終了しました").size(), static_cast<size_t>(c.mode_changes))
        << c.name;
    EXPECT_EQ(vexal::GetNo3DSurfaceFlag(), c.no_3d_after) << c.name;
    EXPECT_EQ(vexal::DDrawState.CoarseBlendFlag, c.coarse_after) << c.name;
    const uint32_t caps = plat::surface::GetSurfaceInfo(vexal::GetBackSurface()).caps;
    EXPECT_EQ((caps & plat::surface::kCaps3DDevice) == 0, c.no_3d_after == 1) << c.name;
    EXPECT_EQ(vexal::GraphTable.Initialised, 1u) << c.name;
    EXPECT_EQ(vexal::GetDrawTarget(), vexal::kFrontScreen) << c.name;
  }
}

TEST_F(GraphManageTest, EndAndDeleteAllRemoveEveryGraphInRisingOrder) {
  // Before start-up nothing is deleted.
  EXPECT_EQ(vexal::DeleteAllGraph(1), 0);
  EXPECT_EQ(vexal::EndGraphManage(), 0);
  EXPECT_EQ(Calls, std::vector<std::string>{});

  Start(1);
  for (int i = 0; i < 4; ++i) Add();
  vexal::DeleteGraphHandle(0x10001, 0);
  Calls.clear();
  EXPECT_EQ(vexal::DeleteAllGraph(1), 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:4 0", "0:4 2", "0:4 3"}));
  EXPECT_EQ(LinesWith("の削除").size(), 3u);
  EXPECT_EQ(vexal::GraphTable.Count, 0);
  EXPECT_EQ(vexal::GraphTable.EndIndex, 0);

  Add();
  Add();
  Calls.clear();
  EXPECT_EQ(vexal::EndGraphManage(), 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:4 0", "0:4 1"}));
  EXPECT_EQ(vexal::GraphTable.Initialised, 0u);
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 0);
  EXPECT_EQ(LinesWith("グラフィック管理系の終了処理"),
            std::vector<std::string>{"グラフィック管理系の終了処理は正常に終了しました"});
  EXPECT_EQ(vexal::EndGraphManage(), 0);  // not running: no second line
  EXPECT_EQ(LinesWith("グラフィック管理系の終了処理").size(), 1u);
}

TEST_F(GraphManageTest, RestoreHandler) {
  EXPECT_EQ(vexal::IsGraphRestoreHandlerSet(), 0);
  vexal::SetGraphRestoreHandler(Handler);
  EXPECT_EQ(vexal::GraphTable.RestoreHandler, Handler);
  vexal::SetGraphRestoreHandler(nullptr);  // the file reloader
  EXPECT_EQ(vexal::IsGraphRestoreHandlerSet(), 1);
  EXPECT_NE(vexal::GraphTable.RestoreHandler, Handler);
}

}  // namespace

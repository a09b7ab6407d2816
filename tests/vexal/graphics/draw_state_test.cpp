// The draw state and its setters, with rows that record what they are asked: the draw
// area, blend mode and brightness, and the draw target with the masked-drawing flag.
#include "vexal/graphics/drawing/draw_state.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/vexal/graphics/call_record.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using graphicstest::Args;
using graphicstest::Calls;
using graphicstest::Record;
int RefusedTarget = 0;  // row 0 refuses this target; -1: every target

template <int Row>
int Blend(int mode, int param) {
  Record(Row, 10, {mode, param});
  return 0;
}
template <int Row>
int Bright(int r, int g, int b) {
  Record(Row, 11, {r, g, b});
  return 0;
}
template <int Row>
int Area(const vexal::Rect* a) {
  Record(Row, 12, {a->left, a->top, a->right, a->bottom});
  return 0;
}
template <int Row>
int Target(int screen) {
  Record(Row, 24, {screen});
  if (Row == 1) return -1;
  return RefusedTarget == -1 || screen == RefusedTarget ? -1 : 0;
}
template <int Row>
int Sync(int masked) {
  Record(Row, 37, {masked});
  return 0;
}
template <int Row>
int Fill(int x1, int y1, int x2, int y2, uint32_t) {
  Record(Row, 27, {x1, y1, x2, y2});
  return 0;
}

class DrawStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vexal::AppState.ActiveFlag = 1;
    vexal::DDrawState.ScreenWidth = 320;
    vexal::DDrawState.ScreenHeight = 240;
    vexal::AppState.DesktopWidth = 1024;
    vexal::AppState.DesktopHeight = 768;
    vexal::ResetGraphTable();
    vexal::GraphTable.Initialised = 1;
    rows_ = vexal::DrawBackendTable;
    rows_[0].SetBlendMode = Blend<0>, rows_[1].SetBlendMode = Blend<1>;
    rows_[0].SetDrawBright = Bright<0>, rows_[1].SetDrawBright = Bright<1>;
    rows_[0].SetDrawArea = Area<0>, rows_[1].SetDrawArea = Area<1>;
    rows_[0].SetDrawTarget = Target<0>, rows_[1].SetDrawTarget = Target<1>;
    rows_[0].SyncDrawTarget = Sync<0>, rows_[1].SyncDrawTarget = Sync<1>;
    rows_[0].DrawFillBox = Fill<0>, rows_[1].DrawFillBox = Fill<1>;
    vexal::SetDrawBackendTableForTests(&rows_);
    vexal::DrawState.DrawScreen = vexal::kBackScreen;
    Calls.clear();
  }
  void TearDown() override { vexal::SetDrawBackendTableForTests(nullptr); }
  static std::array<int, 4> StoredArea() {
    std::array<int, 4> a{};
    vexal::GetDrawClipArea(a.data());
    return a;
  }
  vexal::DrawBackendRows rows_;
};

TEST_F(DrawStateTest, DrawAreaIsSortedClampedAndAnEmptyOneStopsEveryDraw) {
  struct Case {
    std::array<int, 4> given, stored;
    bool empty;
  };
  const Case cases[] = {
      {{300, 200, 100, 50}, {100, 50, 300, 200}, false},  // inverted corners
      {{-10, -20, 400, 500}, {0, 0, 320, 240}, false},    // beyond the screen
      {{10, 10, 10, 50}, {10, 10, 10, 50}, true},         // no width
      {{500, 5, 600, 9}, {320, 5, 320, 9}, true},         // wholly right of the screen
      {{0, 0, 5, 5}, {0, 0, 5, 5}, false},                // a later area clears it
  };
  for (const Case& c : cases) {
    Calls.clear();
    EXPECT_EQ(vexal::SetDrawClipArea(c.given[0], c.given[1], c.given[2], c.given[3]), 0);
    EXPECT_EQ(StoredArea(), c.stored);
    EXPECT_EQ(vexal::DrawState.EmptyDrawArea, c.empty ? 1u : 0u);
    const std::string area = "0:12 " + Args({c.stored[0], c.stored[1], c.stored[2], c.stored[3]});
    EXPECT_EQ(Calls, c.empty ? std::vector<std::string>{} : std::vector<std::string>{area});
    Calls.clear();
    vexal::DrawState.MaskedDrawing = 0;
    EXPECT_EQ(vexal::DrawFillBox(1, 2, 3, 4, 0), 0);
    EXPECT_EQ(Calls, c.empty ? std::vector<std::string>{} : std::vector<std::string>{"0:27 1,2,3,4"});
  }
  // A graph as target bounds the area by its size.
  vexal::GraphRecord* record = nullptr;
  vexal::DrawState.DrawScreen = vexal::AddGraphHandle(40, 30, 0, 0, &record, 0);
  vexal::SetDrawClipArea(-5, 10, 100, 100);
  EXPECT_EQ(StoredArea(), (std::array<int, 4>{0, 10, 40, 30}));

  // The front screen: a client area reaching off the desktop moves and cuts the area.
  vexal::DrawState.DrawScreen = vexal::kFrontScreen;
  vexal::AppState.ClientRect = {-30, -10, 290, 230};
  vexal::SetDrawClipArea(0, 0, 320, 240);
  EXPECT_EQ(StoredArea(), (std::array<int, 4>{30, 10, 320, 240}));
  vexal::AppState.ClientRect = {900, 700, 1220, 940};
  vexal::SetDrawClipArea(0, 0, 320, 240);
  EXPECT_EQ(StoredArea(), (std::array<int, 4>{0, 0, 124, 68}));
}

TEST_F(DrawStateTest, BlendAndBrightnessReachBothRowsOnlyWhenTheyChange) {
  for (const uint32_t available : {0u, 1u}) {
    vexal::ResetDrawState();
    vexal::DrawState.DrawScreen = vexal::kBackScreen;
    vexal::GraphTable.Direct3DAvailable = available;
    const auto both = [&](const std::string& call) {
      std::vector<std::string> out;
      if (available != 0) out.push_back("1:" + call);
      out.push_back("0:" + call);
      return out;
    };
    struct Step {
      void (*call)();
      std::vector<std::string> slots;  // the call without its row
      int mode, param;
      uint32_t bright;
    };
    const Step steps[] = {
        {[] { vexal::SetBlendModeParam(0, 0); }, {}, 0, 0, vexal::kBrightNone},
        {[] { vexal::SetBlendModeParam(1, 300); }, {"10 1,255"}, 1, 255, vexal::kBrightNone},
        {[] { vexal::SetBlendModeParam(1, 255); }, {}, 1, 255, vexal::kBrightNone},
        {[] { vexal::SetBlendModeParam(6, 400); }, {"10 6,400"}, 1, 255, vexal::kBrightNone},
        {[] { vexal::SetBlendModeParam(2, -9); }, {"10 2,0"}, 2, 0, vexal::kBrightNone},
        {[] { vexal::SetDrawBrightness(255, 255, 255); }, {}, 2, 0, vexal::kBrightNone},
        {[] { vexal::SetDrawBrightness(10, 20, 30); }, {"11 10,20,30"}, 2, 0, 0x1E140AFFu},
        {[] { vexal::SetDrawBrightness(10, 20, 30); }, {}, 2, 0, 0x1E140AFFu},
        {[] { vexal::SetDrawBrightness(10, 30, 20); }, {"11 10,30,20"}, 2, 0, 0x141E0AFFu},
        {[] { vexal::SetDrawBrightness(300, -5, 0); }, {"11 255,0,0"}, 2, 0, 0x0000FFFFu},
        {[] { vexal::SetDrawClipArea(1, 2, 3, 4); }, {"12 1,2,3,4"}, 2, 0, 0x0000FFFFu},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
      Calls.clear();
      steps[i].call();
      std::vector<std::string> want;
      for (const std::string& s : steps[i].slots) want = both(s);
      EXPECT_EQ(Calls, want) << "step " << i << ", Direct3D " << available;
      int mode = -1, param = -1;
      vexal::GetBlendModeParam(&mode, &param);
      EXPECT_EQ(mode, steps[i].mode) << "step " << i;
      EXPECT_EQ(param, steps[i].param) << "step " << i;
      EXPECT_EQ(vexal::DrawState.Bright, steps[i].bright) << "step " << i;
    }
  }
}

TEST_F(DrawStateTest, DrawTargetPutsMaskedDrawingBackOnEveryExit) {
  vexal::CreateMaskSurface(1, 0);  // the buffer alone: the flag is kept around a target change
  vexal::GraphTable.Direct3DAvailable = 1;
  vexal::DrawState.MaskedDrawing = 1;
  vexal::DrawState.TargetWidth = 320, vexal::DrawState.TargetHeight = 240;
  vexal::DrawState.DrawArea = {1, 2, 3, 4};

  // An empty table slot: refused, the flag comes back.
  EXPECT_EQ(vexal::SetDrawTarget(5), -1);
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 1);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:37 0", "1:37 0", "0:37 1", "1:37 1"}));
  EXPECT_EQ(vexal::GetDrawTarget(), vexal::kBackScreen);

  // Accepted by row 0 only: same size as before, so the area is kept and passed on.
  Calls.clear();
  EXPECT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
  EXPECT_EQ(vexal::GetDrawTarget(), vexal::kFrontScreen);
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 1);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:37 0", "1:37 0", "1:24 -4", "0:24 -4", "1:12 1,2,3,4", "0:12 1,2,3,4",
                                             "0:37 1", "1:37 1"}));

  // Refused by both rows: the old target again, the flag back.
  RefusedTarget = vexal::kBackScreen;
  Calls.clear();
  EXPECT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::GetDrawTarget(), vexal::kFrontScreen);
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 1);
  EXPECT_EQ(Calls.front(), "0:37 0");
  EXPECT_EQ(Calls.back(), "1:37 1");

  // The old target refused as well: one fall-back, no endless retry.
  RefusedTarget = -1;
  Calls.clear();
  EXPECT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::GetDrawTarget(), vexal::kFrontScreen);
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 1);
  RefusedTarget = 0;

  // Before graph management starts: refused, nothing asked.
  vexal::GraphTable.Initialised = 0;
  Calls.clear();
  EXPECT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), -1);
  EXPECT_TRUE(Calls.empty());
}

}  // namespace

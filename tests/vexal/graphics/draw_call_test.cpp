// The public drawing calls with rows that record what they are asked: which row draws,
// the mask steps around each draw, the part draw and its draw area, and subtracting on
// Direct3D.
#include "vexal/graphics/drawing/draw_calls.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>
#include <tuple>
#include <vector>

#include "tests/vexal/graphics/call_record.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using graphicstest::Args;
using graphicstest::Calls;
using graphicstest::Record;
vexal::Rect AreaAtDraw{};  // the draw area while the last graph draw ran

template <int Row>
int Graph(int x, int y, vexal::GraphRecord*, int trans) {
  AreaAtDraw = vexal::DrawState.DrawArea;
  Record(Row, 13, {x, y, trans});
  return Row == 0 ? 7 : 8;  // passed through unchanged
}
template <int Row>
int Extend(int x1, int y1, int x2, int y2, vexal::GraphRecord*, int trans) {
  AreaAtDraw = vexal::DrawState.DrawArea;
  Record(Row, 14, {x1, y1, x2, y2, trans});
  return 0;
}
template <int Row>
int Fill(int x1, int y1, int x2, int y2, uint32_t color) {
  Record(Row, 27, {x1, y1, x2, y2, static_cast<int>(color), static_cast<int>(vexal::DrawState.Bright)});
  return -1;
}
template <int Row>
int Circle(int x, int y, int r, uint32_t, int fill) {
  Record(Row, 30, {x, y, r, fill});
  return 0;
}
template <int Row>
int Pixel(int x, int y, uint32_t) {
  Record(Row, 33, {x, y});
  return 0;
}
template <int Row>
int Blend(int mode, int param) {
  Record(Row, 10, {mode, param});
  return 0;
}
template <int Row>
int Copy(int x1, int y1, int x2, int y2, vexal::GraphRecord*, int flag) {
  Record(Row, 23, {x1, y1, x2, y2, flag});
  return Row;
}
template <int Row>
int String(int x, int y, const char*, uint32_t, int font, uint32_t, int) {
  Record(Row, 36, {x, y, font});
  return 0;
}
int Pre(vexal::Rect r) {
  Record(0, 38, {r.left, r.top, r.right, r.bottom});
  return 0;
}
int Post(vexal::Rect r) {
  Record(0, 39, {r.left, r.top, r.right, r.bottom});
  return 0;
}

std::array<int, 4> Edges(const vexal::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

class DrawCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vexal::AppState.ActiveFlag = 1;
    vexal::DDrawState.ScreenWidth = 320;
    vexal::DDrawState.ScreenHeight = 240;
    vexal::DDrawState.ScreenColorBits = 32;
    vexal::ResetGraphTable();
    vexal::GraphTable.Initialised = 1;
    rows_ = vexal::DrawBackendTable;
    for (auto* row : {&rows_[0], &rows_[1]}) row->MaskPreDraw = Pre, row->MaskPostDraw = Post;
    rows_[0].DrawGraph = Graph<0>, rows_[1].DrawGraph = Graph<1>;
    rows_[0].DrawExtendGraph = Extend<0>, rows_[1].DrawExtendGraph = Extend<1>;
    rows_[0].DrawFillBox = Fill<0>, rows_[1].DrawFillBox = Fill<1>;
    rows_[0].DrawCircle = Circle<0>, rows_[1].DrawCircle = Circle<1>;
    rows_[0].DestPixel = Pixel<0>, rows_[1].DestPixel = Pixel<1>;
    rows_[0].SetBlendMode = Blend<0>, rows_[1].SetBlendMode = Blend<1>;
    rows_[0].CopyScreenToGraph = Copy<0>, rows_[1].CopyScreenToGraph = Copy<1>;
    vexal::SetDrawBackendTableForTests(&rows_);
    vexal::DrawState.DrawScreen = vexal::kBackScreen;
    vexal::DrawState.DrawArea = {0, 0, 320, 240};
    graph_ = vexal::AddGraphHandle(40, 30, 0, 0, &record_, 0);
    Calls.clear();
  }
  void TearDown() override { vexal::SetDrawBackendTableForTests(nullptr); }
  vexal::DrawBackendRows rows_;
  vexal::GraphRecord* record_ = nullptr;
  int graph_ = -1;
};

TEST_F(DrawCallTest, EachDrawIsBracketedByTheMaskStepsWhileMaskedDrawingIsOn) {
  struct Case {
    const char* name;
    int (*draw)(int graph);
    std::string slot;  // the draw's call
    std::string mask;  // its mask rectangle
  };
  const Case cases[] = {
      {"graph", [](int g) { return vexal::DrawGraph(5, 6, g, 1); }, "0:13 5,6,1", "5,6,45,36"},
      {"extend", [](int g) { return vexal::DrawExtendGraph(1, 2, 90, 80, g, 0); }, "0:14 1,2,90,80,0", "1,2,90,80"},
      {"fill", [](int) { return vexal::DrawBox(3, 4, 9, 8, 0x10, 1); }, "0:27 3,4,9,8,16,-1", "3,4,9,8"},
      {"circle", [](int) { return vexal::DrawCircle(20, 30, 5, 0, 1); }, "0:30 20,30,5,1", "14,24,26,36"},
      {"pixel", [](int) { return vexal::DrawPixel(7, 9, 0); }, "0:33 7,9", "7,9,8,10"},
  };
  for (const Case& c : cases) {
    for (const uint32_t masked : {1u, 0u}) {
      vexal::DrawState.MaskedDrawing = masked;
      Calls.clear();
      c.draw(graph_);
      const std::vector<std::string> want = masked != 0
                                                ? std::vector<std::string>{"0:38 " + c.mask, c.slot, "0:39 " + c.mask}
                                                : std::vector<std::string>{c.slot};
      EXPECT_EQ(Calls, want) << c.name << ", masked " << masked;
    }
  }
  // Results pass through; a failing draw still gets its post step.
  vexal::DrawState.MaskedDrawing = 1;
  EXPECT_EQ(vexal::DrawGraph(0, 0, graph_, 0), 7);
  Calls.clear();
  EXPECT_EQ(vexal::DrawFillBox(0, 0, 1, 1, 0), -1);
  EXPECT_EQ(Calls.back(), "0:39 0,0,1,1");
}

// Mask rectangles of draws near the ends of the int range: each edge is held to the range,
// where it clips as the true edge would; the slots get the coordinates as they were given.
TEST_F(DrawCallTest, FarDrawsHoldTheirMaskRectanglesToTheIntRange) {
  const std::string kMax = std::to_string(INT_MAX), kMin = std::to_string(INT_MIN);
  struct Case {
    const char* name;
    int (*draw)(int graph);
    std::string slot;
    std::string mask;
  };
  const Case cases[] = {
      {"graph right", [](int g) { return vexal::DrawGraph(INT_MAX - 20, 6, g, 1); },
       "0:13 " + std::to_string(INT_MAX - 20) + ",6,1", std::to_string(INT_MAX - 20) + ",6," + kMax + ",36"},
      {"graph bottom", [](int g) { return vexal::DrawGraph(5, INT_MAX, g, 0); }, "0:13 5," + kMax + ",0",
       "5," + kMax + ",45," + kMax},
      {"pixel", [](int) { return vexal::DrawPixel(INT_MAX, INT_MAX, 0); }, "0:33 " + kMax + "," + kMax,
       kMax + "," + kMax + "," + kMax + "," + kMax},
      {"circle left", [](int) { return vexal::DrawCircle(INT_MIN + 3, 0, 10, 0, 0); },
       "0:30 " + std::to_string(INT_MIN + 3) + ",0,10,0", kMin + ",-11," + std::to_string(INT_MIN + 14) + ",11"},
      {"circle of the largest radius", [](int) { return vexal::DrawCircle(0, 0, INT_MAX, 0, 1); },
       "0:30 0,0," + kMax + ",1", kMin + "," + kMin + "," + kMax + "," + kMax},
  };
  vexal::DrawState.MaskedDrawing = 1;
  for (const Case& c : cases) {
    Calls.clear();
    c.draw(graph_);
    EXPECT_EQ(Calls, (std::vector<std::string>{"0:38 " + c.mask, c.slot, "0:39 " + c.mask})) << c.name;
  }

  // A part draw: its area is held to the range before it is clipped, and the graph's place
  // worked out from the part lands at the end of the range.
  vexal::DrawState.MaskedDrawing = 0;
  vexal::DrawState.DrawArea = {0, 0, 100, 100};
  Calls.clear();
  vexal::DrawGraphPart(INT_MAX - 5, 50, INT_MIN + 1, 4, 20, 10, graph_, 1, 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:13 " + kMax + ",46,1"}));
  EXPECT_EQ(Edges(AreaAtDraw), (std::array<int, 4>{100, 50, 100, 60}));
  Calls.clear();
  vexal::DrawGraphPart(INT_MAX - 5, 50, 8, 4, 20, 10, graph_, 0, 1);
  // x + srcX + w is past the range; 40 to the left of it is not.
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:14 " + kMax + ",46," + std::to_string(INT_MAX - 17) + ",76,0"}));
  Calls.clear();
  vexal::DrawGraphPart(INT_MIN + 5, 50, 8, 4, 20, 10, graph_, 0, 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:13 " + kMin + ",46,0"}));
  EXPECT_EQ(Edges(AreaAtDraw), (std::array<int, 4>{0, 50, 0, 60}));
  EXPECT_EQ(Edges(vexal::DrawState.DrawArea), (std::array<int, 4>{0, 0, 100, 100}));
}

TEST_F(DrawCallTest, RefusedAndEmptyDrawsReachNoSlot) {
  for (const int bad : {-1, -4, 0x10000 | 5, 0x20000}) {
    EXPECT_EQ(vexal::DrawGraph(0, 0, bad, 0), -1) << bad;
    EXPECT_EQ(vexal::DrawExtendGraph(0, 0, 1, 1, bad, 0), -1) << bad;
    EXPECT_EQ(vexal::CopyScreenToGraph(0, 0, 1, 1, bad, 1), -1) << bad;
  }
  EXPECT_EQ(vexal::DrawCircle(5, 5, -1, 0, 0), 0);
  vexal::DrawState.EmptyDrawArea = 1;
  EXPECT_EQ(vexal::DrawGraph(0, 0, graph_, 0), 0);
  EXPECT_EQ(vexal::DrawBox(0, 0, 5, 5, 0, 1), 0);
  vexal::DrawState.EmptyDrawArea = 0;
  vexal::SetGraphSuspend(1);
  EXPECT_EQ(vexal::DrawGraph(0, 0, -1, 0), 0);  // before the handle check
  EXPECT_EQ(vexal::DrawPixel(0, 0, 0), 0);
  EXPECT_TRUE(Calls.empty());
}

TEST_F(DrawCallTest, GraphsDrawOnTheirRowAndShapesOnRowOneOnlyWithDirect3D) {
  vexal::DrawState.MaskedDrawing = 0;
  record_->Row = 1;
  EXPECT_EQ(vexal::DrawGraph(2, 3, graph_, 0), 8);
  vexal::DrawPixel(1, 1, 0);
  vexal::GraphTable.Direct3DAvailable = 1;
  vexal::DrawPixel(2, 2, 0);
  vexal::GraphTable.Direct3DForbidden = 1;
  vexal::DrawPixel(3, 3, 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"1:13 2,3,0", "0:33 1,1", "1:33 2,2", "0:33 3,3"}));
}

TEST_F(DrawCallTest, ScreenCopiesGoToRowOneOnlyForADirect3DGraphWhileItIsAvailable) {
  for (const auto& [row_byte, available, want] : {std::tuple{1, 1u, 1}, {1, 0u, 0}, {0, 1u, 0}}) {
    record_->Row = static_cast<uint8_t>(row_byte);
    vexal::GraphTable.Direct3DAvailable = available;
    Calls.clear();
    EXPECT_EQ(vexal::CopyScreenToGraph(0, 0, 320, 240, graph_, 1), want);
    EXPECT_EQ(Calls, (std::vector<std::string>{std::to_string(want) + ":23 0,0,320,240,1"}));
  }
}

int HandlerCalls = 0;
int CountHandler() { return ++HandlerCalls; }

TEST_F(DrawCallTest, RefreshingFontsMarksEveryGraphForRestoreAndCallsTheHandler) {
  vexal::GraphRecord* second = nullptr;
  vexal::AddGraphHandle(4, 4, 0, 0, &second, 0);
  vexal::RefreshAllFontHandle();  // no handler yet
  EXPECT_EQ(record_->NeedsRestore, 1);
  EXPECT_EQ(second->NeedsRestore, 1);
  vexal::GraphTable.RestoreHandler = CountHandler;
  vexal::RefreshAllFontHandle();
  EXPECT_EQ(HandlerCalls, 1);
}

TEST_F(DrawCallTest, AStringWithABadFontHandleEndsTheProgram) {
  for (const int font : {-1, 20, 3}) {  // 3: in range, but no font behind it
    EXPECT_EXIT(vexal::DrawStringToHandle(1, 2, "a", 0, font, 0, 0), ::testing::ExitedWithCode(255), "") << font;
  }
}

TEST_F(DrawCallTest, APartDrawClipsToThePartAndPutsTheAreaBackOnEveryExit) {
  vexal::DrawState.MaskedDrawing = 0;
  vexal::DrawState.DrawArea = {0, 0, 100, 100};
  // Plain: the graph placed so that (8, 4) lands on (90, 50); the part reaches past the area.
  vexal::DrawGraphPart(90, 50, 8, 4, 20, 10, graph_, 1, 0);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:13 82,46,1"}));
  EXPECT_EQ(Edges(AreaAtDraw), (std::array<int, 4>{90, 50, 100, 60}));
  // Mirrored: the whole 40 x 30 graph from x + srcX + w leftwards.
  Calls.clear();
  vexal::DrawGraphPart(10, 20, 8, 4, 20, 10, graph_, 0, 1);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:14 38,16,-2,46,0"}));
  EXPECT_EQ(Edges(AreaAtDraw), (std::array<int, 4>{10, 20, 30, 30}));
  // A bad handle in either form.
  EXPECT_EQ(vexal::DrawGraphPart(10, 20, 0, 0, 5, 5, -1, 0, 1), -1);
  EXPECT_EQ(vexal::DrawGraphPart(10, 20, 0, 0, 5, 5, -1, 0, 0), -1);
  EXPECT_EQ(Edges(vexal::DrawState.DrawArea), (std::array<int, 4>{0, 0, 100, 100}));
}

TEST_F(DrawCallTest, SubtractingOnDirect3DWhitensTheAreaAroundTheDraw) {
  vexal::GraphTable.Direct3DAvailable = 1;
  vexal::DrawState.MaskedDrawing = 0;
  vexal::DrawState.BlendMode = 3, vexal::DrawState.BlendParam = 100;
  vexal::DrawState.Bright = vexal::MakeBrightValue(1, 2, 3);
  const int bright = static_cast<int>(vexal::DrawState.Bright);
  record_->Row = 1;
  vexal::ColorFormatRecord& f = vexal::DDrawState.Screen.Format;  // 32-bit XRGB
  f.RedWidth = f.GreenWidth = f.BlueWidth = 8;
  f.RedShift = 16, f.GreenShift = 8, f.BlueShift = 0;
  EXPECT_EQ(vexal::DrawGraph(5, 6, graph_, 1), 8);
  // White is 0xFFFFFF on the 32-bit screen; the fills run without brightness.
  EXPECT_EQ(Calls, (std::vector<std::string>{"1:27 5,6,45,36,16777215,-1", "1:10 4,100", "0:10 4,100", "1:13 5,6,1",
                                             "1:10 3,100", "0:10 3,100", "1:27 5,6,45,36,16777215,-1"}));
  EXPECT_EQ(static_cast<int>(vexal::DrawState.Bright), bright);
  EXPECT_EQ(vexal::DrawState.BlendMode, 3);
  // Row 0 subtracts by itself.
  record_->Row = 0;
  Calls.clear();
  vexal::DrawGraph(5, 6, graph_, 1);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:13 5,6,1"}));
}

// A string's mask rectangle on a started library: from (x, y) to the draw area's right edge
// and the default font's size plus 3 rows below y, whatever font draws the string.
class StringMaskTest : public screentest::ScreenTest {
 protected:
  void TearDown() override {
    vexal::SetDrawBackendTableForTests(nullptr);
    vexal::LibraryEnd();
    screentest::ScreenTest::TearDown();
  }
  vexal::DrawBackendRows rows_;
};

TEST_F(StringMaskTest, TheDefaultFontSizesTheMaskOfEveryString) {
  Start(1);
  rows_ = vexal::DrawBackendTable;
  for (auto* row : {&rows_[0], &rows_[1]}) row->MaskPreDraw = Pre, row->MaskPostDraw = Post;
  rows_[0].DrawString = String<0>, rows_[1].DrawString = String<1>;
  vexal::SetDrawBackendTableForTests(&rows_);
  vexal::DrawState.MaskedDrawing = 1;
  vexal::DrawState.DrawArea = {0, 0, 200, 150};
  const int big = vexal::CreateFontHandle(nullptr, 30, -1, 0, -1);
  ASSERT_GE(big, 0);
  std::string name;
  int size = 0;
  vexal::GetFontStateToHandle(vexal::GetDefaultFontHandle(), &name, &size, nullptr);
  ASSERT_EQ(size, 16);
  const std::string slot = "0:36 5,7," + std::to_string(big);
  auto draw = [&](int y) {
    Calls.clear();
    vexal::DrawStringToHandle(5, y, "A", 0, big, 0, 0);
  };
  draw(7);
  EXPECT_EQ(Calls, (std::vector<std::string>{"0:38 5,7,200,26", slot, "0:39 5,7,200,26"}));
  // A string at the bottom of the int range: the mask's bottom held to it.
  draw(INT_MAX - 5);
  const std::string far = "5," + std::to_string(INT_MAX - 5) + ",200," + std::to_string(INT_MAX);
  EXPECT_EQ(Calls.front(), "0:38 " + far);
  EXPECT_EQ(Calls.back(), "0:39 " + far);

  // A smaller default font: the mask follows it.
  ASSERT_EQ(vexal::CreateDefaultFont("", 12, 6), 0);
  draw(7);
  EXPECT_EQ(Calls.front(), "0:38 5,7,200,22");
  // No default font any more: the drawing font's size.
  ASSERT_EQ(vexal::DeleteFontHandle(vexal::GetDefaultFontHandle()), 0);
  draw(7);
  EXPECT_EQ(Calls.front(), "0:38 5,7,200,40");
}

}  // namespace

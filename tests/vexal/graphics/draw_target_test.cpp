// The DirectDraw row's draw target on a started 32-bit window with a 16 x 8 screen on the
// 1024 x 768 desktop: choosing the target, a Direct3D graph making row 0 unusable, the
// clear, the screen copy with its validation, and the restore after the inactive wait.
#include "vexal/graphics/drawing/draw_target.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/window.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"
#include "vexal/graphics/screen/wait_active.h"

namespace {

namespace ps = plat::surface;
using vexal::AppState;
using vexal::DDrawState;
using vexal::DrawState;

constexpr int kScreenW = 16;
constexpr int kScreenH = 8;
constexpr int kDesktopW = 1024;

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // row by row
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
  bool operator==(const Picture&) const = default;
};

Picture Pixels(ps::Surface* s) {
  ps::LockedRect r;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockReadOnly, &r), ps::Result::kOk);
  Picture out{r.width, r.height, {}};
  for (int y = 0; y < r.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(r.bits + static_cast<ptrdiff_t>(y) * r.pitch);
    out.pixels.insert(out.pixels.end(), row, row + r.width);
  }
  ps::Unlock(s);
  return out;
}

// A value of its own at every pixel: the tag in the top byte, y and x + 1 below it.
uint32_t PaintValue(uint32_t tag, int x, int y) {
  return tag << 24 | static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x + 1);
}

void Paint(ps::Surface* s, uint32_t tag) {
  ps::LockedRect r;
  ASSERT_EQ(ps::Lock(s, nullptr, 0, &r), ps::Result::kOk);
  for (int y = 0; y < r.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(r.bits + static_cast<ptrdiff_t>(y) * r.pitch);
    for (int x = 0; x < r.width; ++x) row[x] = PaintValue(tag, x, y);
  }
  ps::Unlock(s);
}

class DrawTargetTest : public screentest::ScreenTest {
 protected:
  void StartSmallWindow() {
    vexal::RequestScreenMode(kScreenW, kScreenH, -1, -1);
    Start(1);
    ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  }
  // A DirectDraw-row graph with its storage.
  static int Graph(int w, int h) { return vexal::CreateBlankGraph(w, h); }
  static vexal::BmpDataRecord* Piece(int graph) {
    return vexal::GetBmpData(static_cast<int>(vexal::GetGraphRecord(graph)->Pieces[0]));
  }
  static ps::Surface* Surface(int graph) { return Piece(graph)->Surface; }
  // A graph of the Direct3D row: its record says so; it has no storage here.
  static int Direct3DGraph() {
    vexal::GraphRecord* record = nullptr;
    const int handle = vexal::AddGraphHandle(8, 8, 0, 0, &record, 0);
    record->Row = vexal::kD3DRow;
    return handle;
  }
};

TEST_F(DrawTargetTest, EachTargetBecomesTheDrawSurfaceWithItsClipperAndMemoryPlace) {
  StartSmallWindow();
  const int video_graph = Graph(8, 4);
  vexal::SetUseVideoMemory(0);
  const int system_graph = Graph(8, 4);
  ASSERT_EQ(Piece(system_graph)->InVideoMemory, 0);
  struct Case {
    const char* name;
    int target;
    ps::Surface* surface;
    bool front_clipped;        // the window's clipper sits on the front screen
    uint32_t in_video_memory;  // the draw state's field
  };
  const Case cases[] = {
      {"front", vexal::kFrontScreen, DDrawState.Primary, false, ps::kCapsVideoMemory},
      {"back", vexal::kBackScreen, DDrawState.Back, true, ps::kCapsVideoMemory},
      {"graph in video memory", video_graph, Surface(video_graph), false, ps::kCapsVideoMemory},
      {"back again", vexal::kBackScreen, DDrawState.Back, true, ps::kCapsVideoMemory},
      {"graph in system memory", system_graph, Surface(system_graph), false, 0},
  };
  ASSERT_NE(DDrawState.Clipper, nullptr);
  for (const Case& c : cases) {
    EXPECT_EQ(vexal::DDrawSetDrawTarget(c.target), 0) << c.name;
    EXPECT_EQ(vexal::GetDrawSurface(), c.surface) << c.name;
    EXPECT_EQ(ps::GetClipper(DDrawState.Primary), c.front_clipped ? DDrawState.Clipper : nullptr) << c.name;
    EXPECT_EQ(DrawState.TargetInVideoMemory, c.in_video_memory) << c.name;
    EXPECT_EQ(vexal::DDrawTargetUnusable, 0) << c.name;
  }
}

TEST_F(DrawTargetTest, InFullScreenTheClipperIsLeftAlone) {
  vexal::RequestScreenMode(320, 240, 32, -1);
  Start(0);
  ASSERT_EQ(ps::GetClipper(DDrawState.Primary), nullptr);
  EXPECT_EQ(vexal::DDrawSetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::GetDrawSurface(), DDrawState.Back);
  EXPECT_EQ(ps::GetClipper(DDrawState.Primary), nullptr);
}

TEST_F(DrawTargetTest, RefusedTargetsChangeNothing) {
  EXPECT_EQ(vexal::DDrawSetDrawTarget(vexal::kBackScreen), -1);  // no device yet
  StartSmallWindow();
  vexal::GraphRecord* bare = nullptr;
  const int without_storage = vexal::AddGraphHandle(4, 4, 0, 0, &bare, 0);
  const int live = Graph(4, 4);
  const int deleted = Graph(4, 4);
  vexal::DeleteGraphHandle(deleted, 0);
  const int refused[] = {-1, -3, 0, 5, deleted, static_cast<int>(0x20000u | (live & 0xFFFF)), without_storage};
  for (const int target : refused) {
    EXPECT_EQ(vexal::DDrawSetDrawTarget(target), -1) << target;
    EXPECT_EQ(vexal::GetDrawSurface(), DDrawState.Back) << target;
    EXPECT_EQ(ps::GetClipper(DDrawState.Primary), DDrawState.Clipper) << target;
    EXPECT_EQ(vexal::DDrawTargetUnusable, 0) << target;
  }
}

TEST_F(DrawTargetTest, DeletingTheTargetGraphMakesTheBackScreenTheTarget) {
  StartSmallWindow();
  const int graph = Graph(4, 4);
  ASSERT_EQ(vexal::SetDrawTarget(graph), 0);
  ASSERT_NE(vexal::GetDrawSurface(), DDrawState.Back);
  ASSERT_EQ(vexal::DeleteGraphHandle(graph, 0), 0);
  EXPECT_EQ(DrawState.DrawScreen, vexal::kBackScreen);
  EXPECT_EQ(vexal::GetDrawSurface(), DDrawState.Back);
  EXPECT_EQ(vexal::ClearDrawTarget(), 0);  // reaches the back screen, not freed memory
  EXPECT_EQ(Pixels(DDrawState.Back).At(kScreenW - 1, kScreenH - 1), 0u);
}

// A move of the window carries the front screen's origin along: a draw lands at the
// client area's new place on the desktop, where the clear also goes.
TEST_F(DrawTargetTest, AfterAWindowMoveDrawsToTheFrontLandAtTheNewClientArea) {
  StartSmallWindow();
  const int graph = Graph(4, 2);
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
  plat::window::UserMove(AppState.MainWindow, 300, 200);
  ASSERT_EQ(AppState.ClientRect, (std::array<int32_t, 4>{300, 200, 300 + kScreenW, 200 + kScreenH}));
  Paint(Surface(graph), 3);
  Paint(DDrawState.Primary, 1);
  const Picture before = Pixels(DDrawState.Primary);
  ASSERT_EQ(vexal::DrawGraph(1, 1, graph, 0), 0);
  Picture expected = before;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x)
      expected.pixels[static_cast<size_t>((201 + y) * expected.width + 301 + x)] = PaintValue(3, x, y);
  }
  const Picture after = Pixels(DDrawState.Primary);
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < after.width; ++x) {
      ASSERT_EQ(after.At(x, y) & 0xFFFFFF, expected.At(x, y) & 0xFFFFFF) << x << "," << y;
    }
  }
}

TEST_F(DrawTargetTest, ADirect3DGraphAsTargetStopsEveryRowZeroDrawUntilTheBackScreenIsChosen) {
  StartSmallWindow();
  const int graph = Graph(8, 4);
  vexal::GraphRecord* record = vexal::GetGraphRecord(graph);
  Paint(DDrawState.Back, 1);
  const Picture before = Pixels(DDrawState.Back);

  EXPECT_EQ(vexal::DDrawSetDrawTarget(Direct3DGraph()), -1);
  EXPECT_EQ(vexal::DDrawTargetUnusable, 1);
  EXPECT_EQ(vexal::GetDrawSurface(), DDrawState.Back);  // the surface stays, unused
  struct Slot {
    int number;
    int result;
  };
  const char text[] = "A";
  const Slot slots[] = {
      {13, vexal::DDrawDrawGraph(0, 0, record, 0)},
      {14, vexal::G_DDraw_DrawExtendGraph(0, 0, 8, 4, record, 0)},
      {15, vexal::G_DDraw_DrawRotaGraph(4, 2, 1.0, 0.0, record, 0, 0)},
      {16, vexal::G_DDraw_DrawModiGraph(0, 0, 8, 0, 8, 4, 0, 4, record, 0)},
      {17, vexal::G_DDraw_DrawModiGraphFloat(0, 0, 8, 0, 8, 4, 0, 4, record, 0)},
      {26, vexal::DDrawClearDrawTarget()},
      {27, vexal::G_DDraw_DrawFillBox(0, 0, 16, 8, 0x00FFFFFF)},
      {28, vexal::G_DDraw_DrawLine(0, 0, 15, 7, 0x00FFFFFF)},
      {29, vexal::G_DDraw_DrawBoxOutline(0, 0, 16, 8, 0x00FFFFFF)},
      {30, vexal::G_DDraw_DrawCircle(8, 4, 3, 0x00FFFFFF, 1)},
      {31, vexal::G_DDraw_DrawOval(8, 4, 3, 2, 0x00FFFFFF, 1)},
      {32, vexal::G_DDraw_DrawTriangle(0, 0, 15, 0, 0, 7, 0x00FFFFFF, 1)},
      {33, vexal::G_DDraw_DestPixel(1, 1, 0x00FFFFFF)},
      {34, vexal::G_DDraw_DrawPixel(nullptr, 0)},
      {35, vexal::G_DDraw_DrawLineSet(nullptr, 0)},
      {36, vexal::DDrawStringByWorkDC(0, 0, text, 0x00FFFFFF, 0, 0, 0)},
  };
  // The box outline (29) leaves the test to its four lines and answers 0.
  for (const Slot& s : slots) EXPECT_EQ(s.result, s.number == 29 ? 0 : -1) << "slot " << s.number;
  EXPECT_EQ(Pixels(DDrawState.Back), before);

  // The front screen or a DirectDraw graph would lift it too; the back screen is the
  // game's way back.
  EXPECT_EQ(vexal::DDrawSetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::DDrawTargetUnusable, 0);
  EXPECT_EQ(vexal::DDrawClearDrawTarget(), 0);
  EXPECT_EQ(Pixels(DDrawState.Back).pixels, std::vector<uint32_t>(kScreenW * kScreenH, 0));
}

// A Direct3D row that takes every target, so that the public call keeps a Direct3D graph.
int AcceptTarget(int) { return 0; }

TEST_F(DrawTargetTest, ThroughThePublicCallADirect3DTargetStaysOnlyWhileDirect3DTakesIt) {
  StartSmallWindow();
  Paint(DDrawState.Back, 1);
  const Picture before = Pixels(DDrawState.Back);
  const int d3d_graph = Direct3DGraph();

  // Without Direct3D both rows refuse it and the old target comes back.
  EXPECT_EQ(vexal::SetDrawTarget(d3d_graph), 0);
  EXPECT_EQ(vexal::GetDrawTarget(), vexal::kBackScreen);
  EXPECT_EQ(vexal::DDrawTargetUnusable, 0);

  vexal::DrawBackendRows rows = vexal::DrawBackendTable;
  rows[vexal::kD3DRow].SetDrawTarget = AcceptTarget;
  vexal::SetDrawBackendTableForTests(&rows);
  vexal::GraphTable.Direct3DAvailable = 1;
  EXPECT_EQ(vexal::SetDrawTarget(d3d_graph), 0);
  EXPECT_EQ(vexal::GetDrawTarget(), d3d_graph);
  EXPECT_EQ(vexal::DDrawTargetUnusable, 1);
  EXPECT_EQ(vexal::ClearDrawTarget(), 0);
  EXPECT_EQ(Pixels(DDrawState.Back), before);  // row 0 cleared nothing

  EXPECT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  EXPECT_EQ(vexal::DDrawTargetUnusable, 0);
  EXPECT_EQ(vexal::ClearDrawTarget(), 0);
  EXPECT_EQ(Pixels(DDrawState.Back).pixels, std::vector<uint32_t>(kScreenW * kScreenH, 0));
  vexal::SetDrawBackendTableForTests(nullptr);
}

TEST_F(DrawTargetTest, ClearingFillsExactlyTheTargetWithZero) {
  StartSmallWindow();
  const int graph = Graph(8, 4);
  struct Case {
    const char* name;
    int target;
    std::array<int32_t, 4> client;  // the window's client area on the desktop
    ps::Rect cleared;               // in the draw surface
  };
  const Case cases[] = {
      {"back", vexal::kBackScreen, {100, 50, 116, 58}, {0, 0, kScreenW, kScreenH}},
      {"graph", graph, {100, 50, 116, 58}, {0, 0, 8, 4}},
      {"front at the client area", vexal::kFrontScreen, {100, 50, 116, 58}, {100, 50, 116, 58}},
      {"front reaching off the desktop", vexal::kFrontScreen, {1020, -3, 1036, 5}, {1020, 0, kDesktopW, 5}},
  };
  for (const Case& c : cases) {
    AppState.ClientRect = c.client;
    ASSERT_EQ(vexal::SetDrawTarget(c.target), 0) << c.name;
    ps::Surface* surface = vexal::GetDrawSurface();
    Paint(DDrawState.Primary, 1);
    Paint(DDrawState.Back, 2);
    Paint(Surface(graph), 3);
    const Picture primary = Pixels(DDrawState.Primary), back = Pixels(DDrawState.Back), piece = Pixels(Surface(graph));
    EXPECT_EQ(vexal::ClearDrawTarget(), 0) << c.name;
    for (const auto& [s, was] : {std::pair{DDrawState.Primary, &primary}, std::pair{DDrawState.Back, &back},
                                 std::pair{Surface(graph), &piece}}) {
      Picture expected = *was;
      for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
          const bool inside = x >= c.cleared.left && x < c.cleared.right && y >= c.cleared.top && y < c.cleared.bottom;
          if (s == surface && inside) expected.pixels[static_cast<size_t>(y * expected.width + x)] = 0;
        }
      }
      EXPECT_EQ(Pixels(s), expected) << c.name;
    }
  }

  // Suspended drawing clears nothing.
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  Paint(DDrawState.Back, 2);
  const Picture kept = Pixels(DDrawState.Back);
  vexal::SetGraphSuspend(1);
  EXPECT_EQ(vexal::ClearDrawTarget(), 0);
  EXPECT_EQ(vexal::DDrawClearDrawTarget(), 0);
  vexal::SetGraphSuspend(0);
  EXPECT_EQ(Pixels(DDrawState.Back), kept);
}

TEST_F(DrawTargetTest, ScreenCopyValidation) {
  StartSmallWindow();
  const int graph = Graph(8, 4);
  vexal::GraphRecord* record = vexal::GetGraphRecord(graph);
  struct Case {
    std::array<int, 4> rect;  // x1, y1, x2, y2 on the 16 x 8 back screen
    int result;
  };
  const Case cases[] = {
      {{0, 0, 8, 4}, 0},
      {{0, 0, 9, 4}, -1},  // one column wider than the graph
      {{0, 0, 8, 5}, -1},
      {{8, 4, 16, 8}, 0},
      {{-1, 0, 7, 4}, -1},
      {{0, -1, 8, 3}, -1},
      {{3, 0, 3, 4}, -1},
      {{0, 2, 8, 2}, -1},
      {{5, 0, 4, 4}, -1},
      {{0, 0, 1, 1}, 0},
      {{16, 0, 17, 1}, 0},  // at the screen's edge:
                            // accepted, nothing to copy
      {{17, 0, 18, 1}, -1},
      {{0, 8, 1, 9}, 0},
      {{0, 9, 1, 10}, -1},
  };
  for (const Case& c : cases) {
    const auto [x1, y1, x2, y2] = c.rect;
    EXPECT_EQ(vexal::DDrawCopyScreenToGraph(x1, y1, x2, y2, record, 1), c.result)
        << x1 << "," << y1 << "," << x2 << "," << y2;
  }
  EXPECT_EQ(vexal::DDrawCopyScreenToGraph(0, 0, 8, 4, nullptr, 1), -1);
  EXPECT_EQ(vexal::CopyScreenToGraph(0, 0, 9, 4, graph, 1), -1);  // the public call passes it on
  EXPECT_EQ(vexal::CopyScreenToGraph(0, 0, 8, 4, graph, 1), 0);
}

// The graph after a copy from (x1, y1): each pixel takes the source pixel at its place
// moved by (x1, y1) where the source area has one, else keeps its own.
Picture CopyReference(const Picture& graph, const Picture& source, int origin_x, int origin_y, int area_w, int area_h,
                      int x1, int y1) {
  Picture out = graph;
  for (int y = 0; y < graph.height; ++y) {
    for (int x = 0; x < graph.width; ++x) {
      if (x1 + x < area_w && y1 + y < area_h) {
        out.pixels[static_cast<size_t>(y * graph.width + x)] = source.At(origin_x + x1 + x, origin_y + y1 + y);
      }
    }
  }
  return out;
}

TEST_F(DrawTargetTest, ScreenCopyTakesThePixelsFromTheTargetAtTheGraphsPlaces) {
  StartSmallWindow();
  const int graph = Graph(8, 4);
  const int source_graph = Graph(12, 6);
  vexal::SetUseVideoMemory(0);
  const int system_graph = Graph(8, 4);
  AppState.ClientRect = {100, 50, 116, 58};
  struct Case {
    const char* name;
    int target;
    int into;
    int gdi;  // copies into system memory go through device contexts
    int flag;
    int x1, y1;
    int origin_x, origin_y, area_w, area_h;  // where the reference reads
  };
  const Case cases[] = {
      {"back", vexal::kBackScreen, graph, 0, 1, 3, 2, 0, 0, kScreenW, kScreenH},
      {"back, cut at the right edge", vexal::kBackScreen, graph, 0, 1, 10, 5, 0, 0, kScreenW, kScreenH},
      {"a graph", source_graph, graph, 0, 1, 2, 1, 0, 0, 12, 6},
      {"front through the origin", vexal::kFrontScreen, graph, 0, 1, 1, 1, 100, 50, kScreenW, kScreenH},
      {"front in desktop coordinates", vexal::kFrontScreen, graph, 0, 0, 101, 51, 0, 0, kDesktopW, 768},
      {"system memory", vexal::kBackScreen, system_graph, 0, 1, 3, 2, 0, 0, kScreenW, kScreenH},
      {"system memory through device contexts", vexal::kBackScreen, system_graph, 1, 1, 3, 2, 0, 0, kScreenW, kScreenH},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(vexal::SetDrawTarget(c.target), 0) << c.name;
    // Tag 0: a copy through device contexts keeps no top byte.
    Paint(DDrawState.Primary, 0);
    Paint(DDrawState.Back, 0);
    Paint(Surface(source_graph), 0);
    Paint(Surface(c.into), 5);
    DDrawState.UseGdiScreenCopy = c.gdi;
    const Picture expected = CopyReference(Pixels(Surface(c.into)), Pixels(vexal::GetDrawSurface()), c.origin_x,
                                           c.origin_y, c.area_w, c.area_h, c.x1, c.y1);
    const vexal::GraphRecord* record = vexal::GetGraphRecord(c.into);
    EXPECT_EQ(vexal::CopyScreenToGraph(c.x1, c.y1, c.x1 + record->Width, c.y1 + record->Height, c.into, c.flag), 0)
        << c.name;
    EXPECT_EQ(Pixels(Surface(c.into)), expected) << c.name;
  }
  DDrawState.UseGdiScreenCopy = 0;
}

TEST_F(DrawTargetTest, TheInactiveWaitRestoresWhatWasLostOnceTheApplicationIsBack) {
  StartSmallWindow();
  int polls_left = 3;
  plat::window::SetEventSource([&] {
    if (polls_left > 0 && --polls_left == 0) plat::window::UserFocus(AppState.MainWindow, true);
  });
  // A graph that records whether the application was active when it was brought back.
  static std::vector<int> restored_while_active;
  restored_while_active.clear();
  vexal::DrawBackendRows rows = vexal::DrawBackendTable;
  rows[vexal::kDDrawRow].RestoreLostSurfaces = [](vexal::GraphRecord*) {
    restored_while_active.push_back(AppState.ActiveFlag);
    return 0;
  };
  vexal::SetDrawBackendTableForTests(&rows);
  vexal::AddGraphHandle(8, 8, 0, 0, nullptr, 0);
  vexal::WaitActiveAndRestore();  // active: neither waits nor restores
  EXPECT_TRUE(restored_while_active.empty());
  AppState.ActiveFlag = 0;
  vexal::WaitActiveAndRestore();
  EXPECT_EQ(polls_left, 0);
  EXPECT_EQ(restored_while_active, std::vector<int>{1});
  vexal::SetDrawBackendTableForTests(nullptr);
  plat::window::SetEventSource(nullptr);
}

}  // namespace

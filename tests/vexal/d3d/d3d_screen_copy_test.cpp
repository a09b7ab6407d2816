// The screen copied into graphs kept in textures: where each piece's pixels come from,
// what the screen does not reach, the refused rectangles, the cells of a shared texture,
// desktop coordinates, and a device load that fails or loses its device while it waits.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/timer/timer.h"
#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Compose;
using d3dtest::Decompose;
using d3dtest::Direct3DTest;
namespace pd = plat::d3d;
namespace ps = plat::surface;

// The colour of screen pixel (x, y): never 0, so an unfilled texel shows.
int ScreenId(int x, int y) { return (3 * x + 5 * y) % 7 + 1; }

void Paint(ps::Surface* s, const std::function<int(int, int)>& id) {
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const int bytes = l.format.bit_count / 8;
  for (int y = 0; y < l.height; ++y) {
    for (int x = 0; x < l.width; ++x) {
      const uint32_t v = Compose(l.format, id(x, y));
      std::memcpy(l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * bytes, &v, static_cast<size_t>(bytes));
    }
  }
  ps::Unlock(s);
}

// The colour ids of a w x h block of a surface from (x0, y0), row by row.
std::vector<std::vector<int>> Ids(ps::Surface* s, int x0, int y0, int w, int h) {
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
  std::vector<std::vector<int>> out(static_cast<size_t>(h), std::vector<int>(static_cast<size_t>(w)));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      out[static_cast<size_t>(y)][static_cast<size_t>(x)] = Decompose(l.format, d3dtest::Read(l, x0 + x, y0 + y));
    }
  }
  ps::Unlock(s);
  return out;
}

std::vector<std::vector<int>> Expected(int x0, int y0, int w, int h, const std::function<int(int, int)>& id) {
  std::vector<std::vector<int>> out(static_cast<size_t>(h), std::vector<int>(static_cast<size_t>(w)));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) out[static_cast<size_t>(y)][static_cast<size_t>(x)] = id(x0 + x, y0 + y);
  }
  return out;
}

int Loads() {
  int n = 0;
  for (const pd::JournalEntry& e : pd::Journal()) n += e.call == pd::Call::kLoad && e.result == pd::Result::kOk;
  return n;
}

class ScreenCopyTest : public Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    Start3D();
    ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    Paint(vexal::GetBackSurface(), ScreenId);
  }
  static vexal::GraphRecord* Stored(int w, int h) {
    vexal::GraphRecord* g = NewGraph(w, h);
    EXPECT_EQ(vexal::D3DCreateGraphStorage(g), 0);
    return g;
  }
  static const vexal::TextureRecord& Piece(const vexal::GraphRecord* g, int i) {
    return *vexal::GetTexData(static_cast<int>(g->Pieces[static_cast<size_t>(i)]));
  }
};

TEST_F(ScreenCopyTest, EachPieceTakesTheScreenAtItsPlaceMovedByTheFirstCorner) {
  // 640 wide in textures of at most 256: pieces of 256, 256 and 128 columns.
  vexal::GraphRecord* g = Stored(640, 64);
  ASSERT_EQ(g->PieceCount, 3);
  const vexal::TextureRecord& last = Piece(g, 2);
  ASSERT_EQ(last.posX, 512);
  Paint(last.surface, [](int, int) { return 7; });

  // x2 - x1 = 640 passes; the last piece is cut at the screen's edge after 118 columns.
  ASSERT_EQ(vexal::D3DCopyScreenToGraph(10, 5, 650, 69, g, 1), 0);
  for (int i = 0; i < 2; ++i) {
    const vexal::TextureRecord& t = Piece(g, i);
    EXPECT_EQ(Ids(t.surface, 0, 0, 256, 64), Expected(10 + t.posX, 5, 256, 64, ScreenId)) << "piece " << i;
  }
  EXPECT_EQ(Ids(last.surface, 0, 0, 118, 64), Expected(522, 5, 118, 64, ScreenId));
  // The columns the screen does not reach are those of the fresh work texture.
  EXPECT_EQ(Ids(last.surface, 118, 0, 10, 64), Expected(0, 0, 10, 64, [](int, int) { return 0; }));
  ps::ColorKey key{};
  EXPECT_EQ(ps::GetColorKey(last.surface, &key), ps::Result::kOk);
}

TEST_F(ScreenCopyTest, RefusedRectanglesCopyNothing) {
  vexal::GraphRecord* g = Stored(64, 64);
  struct Case {
    int x1, y1, x2, y2, result;
  };
  const Case cases[] = {
      {5, 5, 5, 50, -1},      // no width
      {5, 5, 50, 4, -1},      // upside down
      {-1, 0, 10, 10, -1},    // left of the screen
      {0, 0, 65, 10, -1},     // wider than the graph
      {0, 481, 10, 490, -1},  // below the screen
      {640, 0, 650, 10, 0},   // on the right edge: accepted, nothing to copy
  };
  pd::RecordJournal(true);
  for (const Case& c : cases) {
    EXPECT_EQ(vexal::D3DCopyScreenToGraph(c.x1, c.y1, c.x2, c.y2, g, 1), c.result) << c.x1 << "," << c.y1;
  }
  vexal::D3DTargetUnusable = 1;
  EXPECT_EQ(vexal::D3DCopyScreenToGraph(0, 0, 10, 10, g, 1), 0);
  EXPECT_EQ(Loads(), 0);
  vexal::D3DTargetUnusable = 0;
  EXPECT_EQ(vexal::D3DCopyScreenToGraph(0, 0, 10, 10, g, 1), 0);
  EXPECT_EQ(Loads(), 1);
}

TEST_F(ScreenCopyTest, ACellOfASharedTextureLeavesTheOtherCellsAlone) {
  std::vector<vexal::GraphRecord*> cells;
  for (int i = 0; i < 4; ++i) cells.push_back(NewGraph(32, 32));
  ASSERT_EQ(vexal::D3DCreateDivGraphStorage(cells.data(), 4, 2, 2, 32, 32), 0);
  ps::Surface* shared = Piece(cells[3], 0).surface;
  Paint(shared, [](int, int) { return 7; });

  ASSERT_EQ(vexal::D3DCopyScreenToGraph(3, 4, 35, 36, cells[3], 1), 0);
  EXPECT_EQ(Ids(shared, 32, 32, 32, 32), Expected(3, 4, 32, 32, ScreenId));
  EXPECT_EQ(Ids(shared, 0, 0, 64, 32), Expected(0, 0, 64, 32, [](int, int) { return 7; }));
  EXPECT_EQ(Ids(shared, 0, 32, 32, 32), Expected(0, 0, 32, 32, [](int, int) { return 7; }));
}

TEST_F(ScreenCopyTest, FlagZeroReadsTheDesktopWhenTheFrontScreenIsDrawnInAWindow) {
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kFrontScreen), 0);
  ps::Surface* primary = vexal::GetPrimarySurface();
  Paint(primary, ScreenId);
  const int left = vexal::DrawState.TargetRect.left, top = vexal::DrawState.TargetRect.top;
  vexal::GraphRecord* g = Stored(32, 32);
  ASSERT_EQ(vexal::D3DCopyScreenToGraph(100, 50, 132, 82, g, 0), 0);
  EXPECT_EQ(Ids(Piece(g, 0).surface, 0, 0, 32, 32), Expected(100, 50, 32, 32, ScreenId));
  ASSERT_EQ(vexal::D3DCopyScreenToGraph(100, 50, 132, 82, g, 1), 0);
  EXPECT_EQ(Ids(Piece(g, 0).surface, 0, 0, 32, 32), Expected(left + 100, top + 50, 32, 32, ScreenId));
}

TEST_F(ScreenCopyTest, AFailingLoadIsLoggedAndTriedAgainUntilItsHundredthFailureEndsTheProgram) {
  vexal::GraphRecord* g = Stored(32, 32);
  pd::InjectFailure(pd::Call::kLoad, pd::Result::kSurfaceLost, 3);
  ASSERT_EQ(vexal::D3DCopyScreenToGraph(0, 0, 32, 32, g, 1), 0);
  EXPECT_EQ(Ids(Piece(g, 0).surface, 0, 0, 32, 32), Expected(0, 0, 32, 32, ScreenId));
  const std::vector<std::string> first = LinesWith("hr:");
  ASSERT_EQ(first.size(), 3u);
  EXPECT_NE(first[0].find("W:640  H:480  FullMode:0  Point x:0 y:0   Rect top:0 bottom:32 left:0 right:32"),
            std::string::npos)
      << first[0];
  EXPECT_EQ(LinesWith("AlphaValid:0  AlphaTestValid:0  ColorBitDepth:").size(), 3u);
  EXPECT_EQ(
      LinesWith("SizeX:32  SizeY:32  DrawPointX:0  DrawPointY:0  WndRect.left:0  WndRect.top:0  left:0  top:0").size(),
      3u);

  pd::InjectFailure(pd::Call::kLoad, pd::Result::kSurfaceLost, 100);
  EXPECT_DEATH(vexal::D3DCopyScreenToGraph(0, 0, 32, 32, g, 1), "");
}

// The device given up by the window while a retry waits.
void ReleaseOnFirstMove(uint64_t target_us) {
  plat::timer::SetVirtualClockMover(nullptr);
  vexal::ReleaseDirect3D();
  plat::timer::SetVirtualTimeUs(target_us);
}

TEST_F(ScreenCopyTest, ADeviceReleasedDuringTheRetryWaitEndsTheCopyWithMinusOne) {
  vexal::GraphRecord* g = Stored(32, 32);
  const int surfaces = ps::LiveSurfaceCount();
  plat::timer::UseVirtualClock(true, 1000);
  plat::timer::SetVirtualClockMover(ReleaseOnFirstMove);
  pd::InjectFailure(pd::Call::kLoad, pd::Result::kSurfaceLost, 1);
  EXPECT_EQ(vexal::D3DCopyScreenToGraph(0, 0, 32, 32, g, 1), -1);
  plat::timer::SetVirtualClockMover(nullptr);
  plat::timer::UseVirtualClock(false);
  // The work texture is gone and the screen's device context was given back.
  EXPECT_LE(ps::LiveSurfaceCount(), surfaces);
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(vexal::GetBackSurface(), nullptr, ps::kLockWait, &l), ps::Result::kOk);
  ps::Unlock(vexal::GetBackSurface());
}

}  // namespace

#include "vexal/app/window_region.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/app_state.h"
#include "vexal/app/library.h"
#include "vexal/app/window_access.h"
#include "vexal/app/window_mode.h"
#include "vexal/graphics/graphics_seam.h"

namespace {

namespace pw = plat::window;
using Rects = std::vector<pw::Rect>;
using vexal::AppState;

struct RegionCase {
  const char* name;
  int32_t width, height, pitch, bytes;
  std::vector<uint8_t> pixels;
  Rects rects;
};

TEST(BuildRegionFromImage, RunsOfOpaquePixelsBecomeRectangles) {
  const RegionCase cases[] = {
      {"24-bit: a pixel with only its third byte zero is opaque", 3, 2, 12, 3,
       {1, 1, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0,  //
        9, 9, 9, 0, 9, 0, 0, 0, 9, 0, 0, 0},
       {{0, 0, 1, 1}, {2, 0, 3, 1}, {0, 1, 3, 2}}},
      {"8-bit, runs closing at the row end and padding ignored", 5, 2, 8, 1,
       {0, 7, 7, 0, 7, 0xFF, 0xFF, 0xFF,  //
        0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF},
       {{1, 0, 3, 1}, {4, 0, 5, 1}}},
      {"16-bit", 2, 1, 4, 2, {0, 1, 0, 0}, {{0, 0, 1, 1}}},
      {"32-bit: only the alpha byte set", 2, 1, 8, 4, {0, 0, 0, 0, 0, 0, 0, 0x80}, {{1, 0, 2, 1}}},
      {"fully transparent", 2, 2, 4, 1, {0, 0, 0, 0, 0, 0, 0, 0}, {}},
  };
  for (const RegionCase& c : cases) {
    pw::RegionHandle r = vexal::BuildRegionFromImage(c.width, c.height, c.pixels.data(), c.pitch, c.bytes);
    ASSERT_NE(r, 0u) << c.name;
    EXPECT_EQ(pw::RegionRects(r), c.rects) << c.name;
    pw::DeleteRegion(r);
  }
  uint8_t pixel[8] = {1};
  EXPECT_EQ(vexal::BuildRegionFromImage(1, 1, pixel, 8, 5), 0u);
  EXPECT_EQ(vexal::BuildRegionFromImage(2, 2, pixel, 1, 1), 0u);  // rows would overlap
}

class WindowRegionTest : public apptest::LibraryTest {};

TEST_F(WindowRegionTest, PictureShapesTheWindowUntilRemoved) {
  // A region set before start-up shapes the window from its creation on.
  AppState.WindowRegion = pw::CreateRegion();
  pw::AddRegionRect(AppState.WindowRegion, {0, 0, 8, 8});
  vexal::ChangeWindowMode(1);
  ASSERT_EQ(vexal::LibraryInit(), 0);
  EXPECT_EQ(pw::GetWindowInfo(AppState.MainWindow)->region, (Rects{{0, 0, 8, 8}}));
  vexal::SetWindowRegionGraph(nullptr);

  EXPECT_EQ(vexal::SetWindowRegionGraph("img\\shape.bmp"), -1);  // no such picture
  EXPECT_EQ(vexal::HasWindowRegion(), 0);

  // A 2 x 1 24-bit bitmap, rows padded to 8 bytes: one opaque pixel, then a clear one.
  uint8_t bits[8] = {0, 0, 9, 0, 0, 0, 0xEE, 0xEE};
  vexal::SeamSetDibImage(vexal::DibSection{2, 1, 24, bits});
  EXPECT_EQ(vexal::SetWindowRegionGraph("img\\shape.bmp"), 0);
  EXPECT_EQ(vexal::HasWindowRegion(), 1);
  EXPECT_EQ(pw::GetWindowInfo(AppState.MainWindow)->region, (Rects{{0, 0, 1, 1}}));

  pw::RegionHandle first = AppState.WindowRegion;
  vexal::SeamSetDibImage(std::nullopt);
  EXPECT_EQ(vexal::SetWindowRegionGraph("img\\gone.bmp"), -1);
  EXPECT_EQ(AppState.WindowRegion, first);  // the old shape stays

  EXPECT_EQ(vexal::SetWindowRegionGraph(nullptr), 0);
  EXPECT_EQ(vexal::HasWindowRegion(), 0);
  EXPECT_FALSE(pw::DeleteRegion(first));  // already deleted
}

}  // namespace

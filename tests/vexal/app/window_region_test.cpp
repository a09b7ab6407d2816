#include "vexal/app/window/window_region.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

#include "platform/window/window.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_access.h"
#include "vexal/app/window/window_mode.h"

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
      {"24-bit: a pixel with only its third byte zero is opaque",
       3,
       2,
       12,
       3,
       {1, 1, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0,  //
        9, 9, 9, 0, 9, 0, 0, 0, 9, 0, 0, 0},
       {{0, 0, 1, 1}, {2, 0, 3, 1}, {0, 1, 3, 2}}},
      {"8-bit, runs closing at the row end and padding ignored",
       5,
       2,
       8,
       1,
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

// A bottom-up 24-bit bitmap file of two pixels (0x00RRGGBB each).
std::string TwoPixelBmp(uint32_t first, uint32_t second) {
  std::string b;
  auto put = [&b](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
  };
  b += "BM";
  put(14 + 40 + 8, 4);
  put(0, 4);
  put(14 + 40, 4);                        // bfOffBits
  put(40, 4);                             // biSize
  put(2, 4);                              // width
  put(1, 4);                              // height
  put(1, 2);                              // planes
  put(24, 2);                             // bits
  for (int i = 0; i < 6; ++i) put(0, 4);  // compression .. biClrImportant
  put(first, 3);
  put(second, 3);
  put(0, 2);  // row padding
  return b;
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

  // A 2 x 1 24-bit bitmap file: one opaque pixel, then a clear one.
  ::mkdir(dir_.File("img").c_str(), 0755);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("img/shape.bmp"), TwoPixelBmp(0x090000, 0)));
  EXPECT_EQ(vexal::SetWindowRegionGraph("img\\shape.bmp"), 0);
  EXPECT_EQ(vexal::HasWindowRegion(), 1);
  EXPECT_EQ(pw::GetWindowInfo(AppState.MainWindow)->region, (Rects{{0, 0, 1, 1}}));

  pw::RegionHandle first = AppState.WindowRegion;
  EXPECT_EQ(vexal::SetWindowRegionGraph("img\\gone.bmp"), -1);
  EXPECT_EQ(AppState.WindowRegion, first);  // the old shape stays

  EXPECT_EQ(vexal::SetWindowRegionGraph(nullptr), 0);
  EXPECT_EQ(vexal::HasWindowRegion(), 0);
  EXPECT_FALSE(pw::DeleteRegion(first));  // already deleted
}

}  // namespace

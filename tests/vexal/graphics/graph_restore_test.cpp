// Graphs after a device loss on a started 32-bit window: surfaces come back, and the
// default restore handler reloads every graph made from a file into its place.
#include "vexal/graphics/graphs/graph_restore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/vexal/graphics/graph_pixels.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

namespace ps = plat::surface;
using graphtest::GraphAlpha;
using graphtest::GraphPixel;
using graphtest::SheetColor;

class GraphRestoreTest : public screentest::ScreenTest {
 protected:
  void SetUp() override {
    screentest::ScreenTest::SetUp();
    ::mkdir(dir_.File("img").c_str(), 0755);
    ::mkdir(dir_.File("elsewhere").c_str(), 0755);
  }
  void PutBmp(const std::string& name, int w, int h, std::function<uint32_t(int, int)> pixel) const {
    nltest::BmpSpec s;
    s.width = w;
    s.height = h;
    s.pixel = std::move(pixel);
    nltest::WriteFile(dir_.File(name), nltest::WriteBmp(s));
  }
  void PutSheet(const std::string& name, int w, int h) const { PutBmp(name, w, h, SheetColor); }
  // The device lost every surface and came back: surfaces restored (cleared), every
  // graph marked, the handler called, from another current directory.
  static void LoseAndRestore() {
    ps::MarkAllSurfacesLost();
    ASSERT_EQ(vexal::RestoreAllGraph(), 0);
    for (int i = 0; i < vexal::GraphTable.EndIndex; ++i) {
      if (vexal::GraphTable.Slots[i] != nullptr) vexal::GraphTable.Slots[i]->NeedsRestore = 1;
    }
    ASSERT_NE(vexal::GraphTable.RestoreHandler, nullptr);
    vexal::GraphTable.RestoreHandler();
  }
};

TEST_F(GraphRestoreTest, ADeviceLossReloadsEveryFileGraphLoadingASharedFileOnce) {
  Start(1);
  EXPECT_EQ(vexal::GraphTable.RestoreHandler, &vexal::RestoreGraphFromFiles);
  PutSheet("img/whole.bmp", 6, 4);
  PutBmp("img/whole_a.bmp", 6, 4, [](int x, int) { return 0x111111u * static_cast<uint32_t>(x); });
  PutSheet("img/cells.bmp", 40, 16);
  const int whole = vexal::LoadGraph("img\\whole.bmp");
  int cells[10];
  ASSERT_EQ(vexal::LoadDivGraph("img\\cells.bmp", 10, 5, 2, 8, 8, cells), 0);
  int mirrored[5];
  ASSERT_EQ(vexal::LoadDivGraphCore("img\\cells.bmp", 5, 5, 1, 8, 8, mirrored, 1, 1), 0);
  const int blank = vexal::CreateBlankGraph(4, 4);

  // The surfaces come back empty.
  ps::MarkAllSurfacesLost();
  ASSERT_EQ(vexal::RestoreAllGraph(), 0);
  EXPECT_EQ(GraphPixel(whole, 5, 3), 0u);
  EXPECT_EQ(GraphPixel(cells[9], 7, 7), 0u);

  const std::string start = plat::fs::CurrentDirectory();
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir_.File("elsewhere")));
  const std::string elsewhere = plat::fs::CurrentDirectory();
  LoseAndRestore();
  EXPECT_EQ(plat::fs::CurrentDirectory(), elsewhere);
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(start));

  EXPECT_EQ(GraphPixel(whole, 5, 3), SheetColor(5, 3));
  EXPECT_EQ(GraphAlpha(whole, 5, 3), 0x55);
  for (int i = 0; i < 10; ++i) {
    const int left = 8 * (i % 5), top = 8 * (i / 5);
    EXPECT_EQ(GraphPixel(cells[i], 1, 2), SheetColor(left + 1, top + 2)) << i;
    EXPECT_EQ(vexal::GetGraphRecord(cells[i])->NeedsRestore, 0) << i;
  }
  for (int i = 0; i < 5; ++i) EXPECT_EQ(GraphPixel(mirrored[i], 0, 5), SheetColor(8 * i + 7, 5)) << i;
  EXPECT_EQ(vexal::GetGraphRecord(blank)->NeedsRestore, 1);  // nothing to load it from

  // One load per run of graphs from the same file and mirror flag.
  const std::string dir = start;
  EXPECT_EQ(LinesWith("をロードします"),
            (std::vector<std::string>{"パス:" + dir + " ファイル:img\\whole.bmp をロードします",
                                      "パス:" + dir + " ファイル:img\\cells.bmp をロードします",
                                      "パス:" + dir + " ファイル:img\\cells.bmp をロードします"}));
  EXPECT_EQ(LinesWith("グラフィックを復帰します").size(), 1u);
}

TEST_F(GraphRestoreTest, AFileThatChangedIsSkippedAndTheWalkGoesOn) {
  Start(1);
  PutSheet("img/gone.bmp", 4, 4);
  PutSheet("img/cells.bmp", 16, 4);
  PutSheet("img/last.bmp", 2, 2);
  const int gone = vexal::LoadGraph("img\\gone.bmp");
  int cells[4];
  ASSERT_EQ(vexal::LoadDivGraph("img\\cells.bmp", 4, 4, 1, 4, 4, cells), 0);
  const int last = vexal::LoadGraph("img\\last.bmp");

  ASSERT_EQ(::unlink(dir_.File("img/gone.bmp").c_str()), 0);
  PutBmp("img/cells.bmp", 10, 4, [](int x, int y) { return SheetColor(x + 100, y); });  // now two cells and a half
  LoseAndRestore();

  EXPECT_EQ(GraphPixel(gone, 0, 0), 0u);
  EXPECT_EQ(vexal::GetGraphRecord(gone)->NeedsRestore, 1);
  EXPECT_EQ(GraphPixel(cells[1], 3, 3), SheetColor(107, 3));
  EXPECT_EQ(GraphPixel(cells[2], 0, 0), 0u);  // would reach past the new picture
  EXPECT_EQ(vexal::GetGraphRecord(cells[2])->NeedsRestore, 1);
  EXPECT_EQ(GraphPixel(last, 1, 1), SheetColor(1, 1));
  const std::string dir = plat::fs::CurrentDirectory();
  EXPECT_EQ(LinesWith("がロードできませんでした"),
            std::vector<std::string>{"パス:" + dir + " ファイル:img\\gone.bmp がロードできませんでした"});
  EXPECT_EQ(LinesWith("復帰できません").size(), 2u);
}

TEST_F(GraphRestoreTest, AGraphLoadedInALongDirectoryComesBackFromIt) {
  Start(1);
  const std::string deep = dir_.File(std::string(150, 'd'));
  ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
  nltest::BmpSpec s;
  s.width = 2;
  s.height = 2;
  s.pixel = SheetColor;
  nltest::WriteFile(deep + "/deep.bmp", nltest::WriteBmp(s));
  const std::string start = plat::fs::CurrentDirectory();
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(deep));
  const int g = vexal::LoadGraph("deep.bmp");
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(start));
  ASSERT_NE(g, -1);
  LoseAndRestore();
  EXPECT_EQ(GraphPixel(g, 1, 1), SheetColor(1, 1));
  EXPECT_EQ(plat::fs::CurrentDirectory(), start);
}

// A blank graph holds what was copied into it from the screen, which no file can give
// back: it keeps the copy and gets it again; drawn on, it keeps nothing.
TEST_F(GraphRestoreTest, ABlankGraphGetsTheScreenCopyItHeldBack) {
  Start(1);
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
  // The back screen's pixel (x, y) is SheetColor(x, y).
  ps::Surface* back = vexal::GetDrawSurface();
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(back, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  for (int y = 0; y < l.height; ++y)
    for (int x = 0; x < l.width; ++x) {
      const uint32_t v = SheetColor(x, y);
      std::memcpy(l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * 4, &v, 4);
    }
  ps::Unlock(back);
  const int right = l.width;  // the screen's width
  const int inside = vexal::CreateBlankGraph(8, 6), edge = vexal::CreateBlankGraph(6, 4),
            drawn_on = vexal::CreateBlankGraph(4, 4);
  ASSERT_EQ(vexal::CopyScreenToGraph(2, 3, 10, 9, inside, 1), 0);
  ASSERT_EQ(vexal::CopyScreenToGraph(right - 4, 0, right, 4, edge, 1), 0);  // two columns beyond the screen
  ASSERT_EQ(vexal::CopyScreenToGraph(0, 0, 4, 4, drawn_on, 1), 0);
  ASSERT_EQ(vexal::SetDrawTarget(drawn_on), 0);
  ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);

  LoseAndRestore();
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(GraphPixel(inside, x, y), SheetColor(2 + x, 3 + y)) << x << "," << y;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(GraphPixel(edge, x, y), x < 4 ? SheetColor(right - 4 + x, y) : 0u) << x << "," << y;
  EXPECT_EQ(vexal::GetGraphRecord(inside)->NeedsRestore, 0);
  EXPECT_EQ(GraphPixel(drawn_on, 1, 1), 0u);
  EXPECT_EQ(vexal::GetGraphRecord(drawn_on)->NeedsRestore, 1);
  // Kept for a later loss too.
  LoseAndRestore();
  EXPECT_EQ(GraphPixel(inside, 7, 5), SheetColor(9, 8));
}

TEST_F(GraphRestoreTest, RestoringNeedsAGraphAndARunningLibrary) {
  EXPECT_EQ(vexal::RestoreAllGraph(), 0);  // before start-up: nothing to do
  Start(1);
  EXPECT_EQ(vexal::RestoreGraph(-1), -1);
  EXPECT_EQ(vexal::RestoreGraph(0x10005), -1);
  const int g = vexal::CreateBlankGraph(2, 2);
  EXPECT_EQ(vexal::RestoreGraph(g), 0);
}

}  // namespace

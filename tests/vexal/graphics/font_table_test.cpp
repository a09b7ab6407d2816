// Font handles: the cache layout each font gets, the slots handles live in, refused fonts,
// the default font across restarts and the on-screen log's one font.
#include "vexal/graphics/fonts/font_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "tests/vexal/graphics/font_fixture.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace {

namespace pg = plat::gdi;
using fonttest::FontTest;

TEST(FontCacheGeometry, CellsEntriesAndBitmapFollowTheWidestCharacter) {
  struct Case {
    int max_width, type;
    vexal::FontCacheGeometry want;  // cell, entries, width, height, cells per column
  };
  const Case cases[] = {
      {16, 0, {26, 484, 26, 12584, 484}},  // 327680 / 676
      {16, 1, {28, 417, 28, 11676, 417}},  // edged: 2 more
      {15, 0, {26, 484, 26, 12584, 484}},  // an odd width is raised to even first
      {15, 3, {28, 417, 28, 11676, 417}},
      // 327680 / 144 = 2275, capped at 2024; 24288 rows are too many for one bitmap.
      {2, 0, {12, 1365, 12, 16380, 1365}},  // plain: cut to whole cells under 16384 rows
      {2, 2, {12, 2024, 24, 12144, 1012}},  // the others: two columns, half the height
      // 1011 entries need 18198 rows: two columns of 9099 rows hold 505 cells each.
      {8, 2, {18, 1010, 36, 9099, 505}},
      // A cell bigger than the whole area keeps one entry rather than none.
      {1000, 0, {1010, 1, 1010, 1010, 1}},
  };
  for (const Case& c : cases) {
    const vexal::FontCacheGeometry g = vexal::ComputeFontCacheGeometry(c.max_width, c.type);
    EXPECT_EQ(std::tuple(g.Cell, g.EntryCount, g.DibWidth, g.DibHeight, g.CellsPerColumn),
              std::tuple(c.want.Cell, c.want.EntryCount, c.want.DibWidth, c.want.DibHeight, c.want.CellsPerColumn))
        << c.max_width << " type " << c.type;
  }
}

TEST_F(FontTest, AFontGetsTheLayoutOfItsFaceAndAScreenSizedTextCacheWhenFirstNeeded) {
  Start(1);
  const int h = vexal::CreateFontHandle(nullptr, 16, -1, 1, -1);
  ASSERT_GE(h, 0);
  vexal::FontRecord* f = vexal::GetFontManageDataToHandle(h);
  pg::TextMetrics m;
  pg::GetTextMetrics(f->Font, &m);
  // Type 1 is edged: the widest character raised to even, 2 for the edge and 10 more.
  const int cell = m.max_char_width + m.max_char_width % 2 + 2 + 10;
  // 327680 / cell^2 cells (at most 2024) in one column of cell x entries rows; from a cell
  // of 20 up that is under 16384 rows, so no second column.
  ASSERT_GE(cell, 20) << m.max_char_width;
  const int entries = std::min(327680 / (cell * cell), 2024);
  const int pitch = (cell + 3) / 4 * 4;  // one byte a pixel, rows of whole 4 bytes
  EXPECT_EQ(
      std::tuple(f->Cell, f->EntryCount, f->DibWidth, f->DibHeight, f->CellsPerColumn, f->CacheBitCount, f->CachePitch),
      std::tuple(cell, entries, cell, cell * entries, entries, 8, pitch))
      << "widest " << m.max_char_width;
  EXPECT_EQ(std::tuple(f->Size, f->Thickness, f->Name), std::tuple(16, vexal::kDefaultFontThickness, std::string()));
  EXPECT_EQ(f->Entries[static_cast<size_t>(f->EntryCount)].Cell, -1);  // the end mark
  EXPECT_EQ(f->TextCache, -1);
  const int records = vexal::BmpDataTable.Count;
  const vexal::BmpDataRecord* cache = vexal::GetFontTextCache(f);
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(std::tuple(cache->Width, cache->Height, cache->MaskFlag, cache->InVideoMemory), std::tuple(640, 480, 1, 0));
  EXPECT_EQ(vexal::GetFontTextCache(f), cache);  // made once
  EXPECT_EQ(vexal::BmpDataTable.Count, records + 1);
  vexal::DeleteFontHandle(h);
  EXPECT_EQ(vexal::BmpDataTable.Count, records);
}

TEST_F(FontTest, HandlesTakeTheFirstFreeSlotOrTheOneAskedFor) {
  Start(1);
  // The default font and the on-screen log's font are made at start-up.
  EXPECT_EQ(vexal::GetDefaultFontHandle(), 0);
  EXPECT_EQ(vexal::ScreenLogFontHandle(), 1);
  EXPECT_EQ(vexal::CreateFontHandle("", -1, -1, 0, -1), 2);
  EXPECT_EQ(vexal::CreateFontHandle("", -1, -1, 0, 7), 7);
  EXPECT_EQ(vexal::CreateFontHandle("", -1, -1, 0, 7), -1);  // in use
  for (int h : {-1, 2, 7, 0}) EXPECT_EQ(vexal::CheckFontHandle(h), h >= 0 ? 1 : 0) << h;
  for (int h : {3, 19, 20, -2}) EXPECT_EQ(vexal::CheckFontHandle(h), 0) << h;
  EXPECT_EQ(vexal::DeleteFontHandle(2), 0);
  EXPECT_EQ(vexal::DeleteFontHandle(2), -1);
  EXPECT_EQ(vexal::DeleteFontHandle(20), -1);
  EXPECT_EQ(vexal::CreateFontHandle("", -1, -1, 0, -1), 2);

  std::string name = "x";
  int size = 0, thickness = 0;
  ASSERT_EQ(vexal::CreateFontHandle("IPAGothic", 24, 3, 2, 9), 9);
  EXPECT_EQ(vexal::GetFontStateToHandle(9, &name, &size, &thickness), 0);
  EXPECT_EQ(std::tuple(name, size, thickness), std::tuple(std::string("IPAGothic"), 24, 3));
  EXPECT_EQ(vexal::GetFontStateToHandle(9, nullptr, nullptr, nullptr), 0);
}

TEST_F(FontTest, ARefusedFontLeavesItsSlotFreeAndTheTableFullIsFatal) {
  Start(1);
  const int live = pg::test::LiveFontCount();
  const int bmp_data = vexal::BmpDataTable.Count;
  pg::test::RefuseFontCreations(2);  // both character sets
  EXPECT_EQ(vexal::CreateFontHandle("IPAGothic", 16, 6, 0, -1), -1);
  EXPECT_EQ(vexal::CheckFontHandle(2), 0);
  EXPECT_EQ(std::pair(pg::test::LiveFontCount(), vexal::BmpDataTable.Count), std::pair(live, bmp_data));
  EXPECT_EQ(LinesWith("指定のフォント"), std::vector<std::string>{"指定のフォントの作成に失敗しました"});
  pg::test::RefuseFontCreations(2);
  EXPECT_EQ(vexal::CreateFontHandle(nullptr, 16, 6, 0, -1), -1);
  EXPECT_EQ(LinesWith("フォントの作成に失敗"),
            (std::vector<std::string>{"指定のフォントの作成に失敗しました", "フォントの作成に失敗しました"}));
  EXPECT_EQ(vexal::CreateFontHandle(nullptr, 16, 6, 0, -1), 2);  // the slot was not lost

  pg::test::RefuseFontCreations(1);  // the first character set only: the second is tried
  EXPECT_EQ(vexal::CreateFontHandle(nullptr, 16, 6, 0, -1), 3);
  for (int h = 4; h < vexal::kFontHandleCount; ++h) ASSERT_EQ(vexal::CreateFontHandle(nullptr, 8, 6, 0, -1), h);
  EXPECT_EXIT(vexal::CreateFontHandle(nullptr, 8, 6, 0, -1), ::testing::ExitedWithCode(255), "");
}

// The weight is the thickness x 100, held to the int range: a thickness whose weight
// passes the end of the range is refused like any other weight past 1000, and never
// wraps round to one the font system takes (42949673 x 100 = 2^32 + 4).
TEST_F(FontTest, AThicknessWhoseWeightPassesTheIntRangeIsRefused) {
  Start(1);
  EXPECT_GE(vexal::CreateFontHandle(nullptr, 16, 10, 0, -1), 0);  // weight 1000, the heaviest
  for (int thickness : {11, 21474837, 42949673, -21474837, -2147483647 - 1}) {
    EXPECT_EQ(vexal::CreateFontHandle(nullptr, 16, thickness, 0, -1), -1) << thickness;
  }
}

TEST_F(FontTest, ABadHandleEndsTheCallsThatTakeOne) {
  Start(1);
  EXPECT_EXIT(vexal::GetFontManageDataToHandle(5), ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(vexal::GetFontStateToHandle(-1, nullptr, nullptr, nullptr), ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(vexal::MeasureFontString("a", -1, 20, 0), ::testing::ExitedWithCode(255), "");
  const uint8_t a[3] = {'a', 0, 0};
  EXPECT_EXIT(vexal::FontCacheCharAddToHandle(1, a, 6), ::testing::ExitedWithCode(255), "");
}

TEST_F(FontTest, TheLogNamesABadHandleBeforeTheProgramEnds) {
  Start(1);
  EXPECT_EXIT({ vexal::GetFontManageDataToHandle(12); }, ::testing::ExitedWithCode(255), "");
  const std::vector<std::string> lines = LinesWith("FontHanle");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "in GetFontManageDataToHandle  FontHanle =12   ");
}

TEST_F(FontTest, WithoutTheDeviceFontsAreNeitherMadeNorChanged) {
  Start(1);
  vexal::EndDirectDraw();
  EXPECT_EQ(vexal::CreateFontHandle(nullptr, 16, 6, 0, -1), -1);
  EXPECT_EQ(vexal::InitFontManage(), -1);
  EXPECT_EQ(vexal::CreateDefaultFont("", 16, 6), -1);
  EXPECT_EQ(vexal::GetFontManageDataToHandle(0), nullptr);
}

TEST_F(FontTest, TheDefaultFontAndTheLogFontOutliveScreenModeChanges) {
  Start(1);
  ASSERT_EQ(vexal::CreateDefaultFont("IPAGothic", 20, 3), 0);
  const int log_font = vexal::ScreenLogFontHandle();
  const int live = pg::test::LiveFontCount();
  for (int i = 0; i < 30; ++i) {  // more changes than there are handles
    ASSERT_EQ(vexal::ChangeScreenModeCore(i % 2 == 0 ? 800 : 640, i % 2 == 0 ? 600 : 480, -1, 0, -1), 0);
  }
  EXPECT_EQ(vexal::ScreenLogFontHandle(), log_font);
  EXPECT_EQ(vexal::CheckFontHandle(log_font), 1);
  EXPECT_EQ(pg::test::LiveFontCount(), live);
  std::string name;
  int size = 0, thickness = 0;
  vexal::GetFontStateToHandle(vexal::GetDefaultFontHandle(), &name, &size, &thickness);
  EXPECT_EQ(std::tuple(name, size, thickness), std::tuple(std::string("IPAGothic"), 20, 3));
  // The text caches follow the new screen size.
  const vexal::BmpDataRecord* cache = vexal::GetFontTextCache(vexal::GetFontManageDataToHandle(log_font));
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ((std::pair<int, int>(cache->Width, cache->Height)), std::pair(640, 480));
}

TEST_F(FontTest, EndingGraphManagementDeletesEveryFont) {
  Start(1);
  vexal::CreateFontHandle(nullptr, 16, 6, 3, -1);
  vexal::EndGraphManage();
  for (int h = 0; h < vexal::kFontHandleCount; ++h) EXPECT_EQ(vexal::CheckFontHandle(h), 0) << h;
  EXPECT_EQ(pg::test::LiveFontCount(), 0);
}

TEST_F(FontTest, RefreshingMakesEveryFontAgainUnderItsHandle) {
  Start(1);
  ASSERT_EQ(vexal::CreateFontHandle("IPAGothic", 24, 3, 3, 11), 11);
  const uint8_t a[3] = {'a', 0, 0};
  vexal::FontCacheCharAddToHandle(1, a, 11);
  ASSERT_EQ(vexal::RefreshAllFontHandle(), 0);
  const vexal::FontRecord* f = vexal::GetFontManageDataToHandle(11);
  EXPECT_EQ(std::tuple(f->Name, f->Size, f->Thickness, f->Type), std::tuple(std::string("IPAGothic"), 24, 3, 3));
  EXPECT_EQ(f->Lookup['a'], -1);  // a new, empty cache
  EXPECT_EQ(vexal::CheckFontHandle(vexal::GetDefaultFontHandle()), 1);
}

}  // namespace

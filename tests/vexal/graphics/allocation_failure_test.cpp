// Allocations that fail where the library names the failure: graph loading logs it and
// gives -1, the fonts end the program with their message. The failure is made by this
// test program's own operator new (tests/support/refused_allocation), which refuses the
// next request of one given size.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/support/refused_allocation/refused_allocation.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace {

std::atomic<size_t>& g_refused_size = nltest::refused_allocation_size;

}  // namespace

namespace {

class AllocationFailureTest : public screentest::ScreenTest {
 protected:
  void TearDown() override {
    g_refused_size = 0;
    screentest::ScreenTest::TearDown();
  }
};

TEST_F(AllocationFailureTest, ADividedGraphWhoseListCannotBeMadeFailsWithItsMessage) {
  Start(1);
  ::mkdir(dir_.File("img").c_str(), 0755);
  nltest::BmpSpec sheet;
  sheet.width = 37;
  sheet.height = 1;
  sheet.pixel = [](int x, int) { return static_cast<uint32_t>(x); };
  nltest::WriteFile(dir_.File("img/row.bmp"), nltest::WriteBmp(sheet));
  int handles[37];
  g_refused_size = 37 * sizeof(void*);  // the list of the 37 pieces' records
  EXPECT_EQ(vexal::LoadDivGraph("img\\row.bmp", 37, 37, 1, 1, 1, handles), -1);
  EXPECT_EQ(g_refused_size, 0u);
  EXPECT_FALSE(LinesWith("CreateDXDivGraph 関数内でメモリの確保に失敗しました").empty());
}

TEST_F(AllocationFailureTest, AFontRecordThatCannotBeMadeEndsTheProgramWithItsMessage) {
  Start(1);
  EXPECT_EXIT(
      {
        g_refused_size = sizeof(vexal::FontRecord);
        vexal::CreateFontHandle(nullptr, 16, 6, 0, -1);
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_FALSE(LinesWith("フォント管理用メモリ領域の確保に失敗しました").empty());
}

}  // namespace

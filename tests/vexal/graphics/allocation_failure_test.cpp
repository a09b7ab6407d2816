// Allocations that fail where the library names the failure: graph loading logs it and
// gives -1, the fonts end the program with their message. The failure is made by this
// test program's own operator new, which refuses the next request of one given size.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/vexal/graphics/image_fixtures.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace {

std::atomic<size_t> g_refused_size{0};  // the next request of this size fails; 0: none

void* Allocate(size_t size) {
  size_t armed = size;
  if (size != 0 && g_refused_size.compare_exchange_strong(armed, 0)) throw std::bad_alloc();
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

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

#include "vexal/graphics/screen/surface_table.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"

namespace {

using vexal::kSurfaceTableSize;

class SurfaceTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vexal::ResetSurfaceTable();  // whatever an earlier case of the program made is forgotten
    vexal::AppState.StartDirectory = dir_.path();
    vexal::StartLogFile();
  }
  std::string Log() const { return nltest::ReadFileBytes(dir_.File("AppLog.txt")); }
  nltest::TempDir dir_;
};

TEST_F(SurfaceTableTest, RecordsHoldWhatTheyWereMadeWithAndCountReferences) {
  const int i = vexal::AddSurfaceManage(3, 0x5A, 64, 32);
  ASSERT_EQ(i, 0);
  vexal::SurfaceManageRecord* r = vexal::GetSurfaceManage(i);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Surfaces, (std::vector<plat::surface::Surface*>(3, nullptr)));
  EXPECT_EQ(r->Surface, nullptr);
  EXPECT_EQ(r->Count, 3);
  EXPECT_EQ(r->Flag, 0x5A);
  EXPECT_EQ(r->Width, 64);
  EXPECT_EQ(r->Height, 32);
  EXPECT_EQ(vexal::AddSurfaceRef(i), 4);
  EXPECT_EQ(vexal::ReleaseSurfaceRef(i), 3);
  for (int n = 2; n >= 0; --n) EXPECT_EQ(vexal::ReleaseSurfaceRef(i), n);
  EXPECT_EQ(vexal::ReleaseSurfaceRef(i), 0);  // it stops at 0

  r->RestoredMark = 1;
  vexal::ClearSurfaceLostFlags();
  EXPECT_EQ(r->RestoredMark, 0u);
  EXPECT_EQ(vexal::DeleteSurfaceManage(i), 0);
  EXPECT_EQ(vexal::GetSurfaceManage(i), nullptr);
  EXPECT_EQ(vexal::SurfaceTable.InUse, 0);
}

TEST_F(SurfaceTableTest, IndicesOutsideTheTableOrEmptyAreRefused) {
  vexal::AddSurfaceManage(1, 0, 1, 1);
  for (int bad : {-1, 1, kSurfaceTableSize - 1, kSurfaceTableSize, 1 << 20}) {
    EXPECT_EQ(vexal::GetSurfaceManage(bad), nullptr) << bad;
    EXPECT_EQ(vexal::DeleteSurfaceManage(bad), -1) << bad;
    EXPECT_EQ(vexal::AddSurfaceRef(bad), 0) << bad;
    EXPECT_EQ(vexal::ReleaseSurfaceRef(bad), 0) << bad;
  }
  EXPECT_EQ(vexal::SurfaceTable.InUse, 1);
}

TEST_F(SurfaceTableTest, AFullTableRefusesWithALogLineAndReusesTheLowestFreedSlot) {
  for (int i = 0; i < kSurfaceTableSize; ++i) ASSERT_EQ(vexal::AddSurfaceManage(1, 0, 8, 8), i);
  EXPECT_EQ(vexal::AddSurfaceManage(1, 0, 8, 8), -1);
  EXPECT_NE(Log().find(":サーフェスの管理数が許容量を越えました。\n"), std::string::npos);

  EXPECT_EQ(vexal::DeleteSurfaceManage(7000), 0);
  EXPECT_EQ(vexal::DeleteSurfaceManage(12), 0);
  EXPECT_EQ(vexal::AddSurfaceManage(1, 0, 8, 8), 12);
  EXPECT_EQ(vexal::AddSurfaceManage(1, 0, 8, 8), 7000);
  EXPECT_EQ(vexal::AddSurfaceManage(1, 0, 8, 8), -1);
}

}  // namespace

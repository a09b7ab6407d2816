// BMP data records on a started screen: the table's limit and reuse, shared surfaces and
// alpha planes that live until their last user, the colour key, the unlock call.
#include "vexal/graphics/graphs/bmp_data_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/surface_table.h"

namespace {

namespace ps = plat::surface;

class BmpDataTableTest : public screentest::ScreenTest {
 protected:
  static int Add(int w = 4, int h = 4, uint8_t mask = 0) {
    return vexal::AddBmpData(w, h, 0, 0, 0x10000, 0, nullptr, 0, 0, mask);
  }
};

TEST_F(BmpDataTableTest, WithoutTheDeviceNothingIsMade) {
  Start(1);
  vexal::EndDirectDraw();
  EXPECT_EQ(Add(), -1);
  EXPECT_EQ(LinesWith("Ｖｅｘａｌライブラリが"),
            std::vector<std::string>{"Ｖｅｘａｌライブラリが初期化されていません"});
  EXPECT_EQ(vexal::BmpDataTable.Count, 0);
}

TEST_F(BmpDataTableTest, TheRecordAfterTheLimitIsRefusedAndTheProgramGoesOn) {
  Start(1);
  for (int i = 0; i < vexal::kBmpDataMax; ++i) ASSERT_EQ(Add(1, 1), i);
  EXPECT_EQ(Add(1, 1), -1);
  EXPECT_EQ(LinesWith("２Ｄグラフィックの量"), std::vector<std::string>{"２Ｄグラフィックの量が許容量を越えました"});
  EXPECT_EQ(vexal::BmpDataTable.Count, vexal::kBmpDataMax);

  // Freeing makes room again, lowest slot first; the end index shrinks past empty slots.
  EXPECT_EQ(vexal::DeleteBmpData(7), 0);
  EXPECT_EQ(vexal::DeleteBmpData(3), 0);
  EXPECT_EQ(Add(1, 1), 3);
  for (int i = vexal::kBmpDataMax - 1; i >= 10; --i) vexal::DeleteBmpData(i);
  vexal::DeleteBmpData(9);
  EXPECT_EQ(vexal::BmpDataTable.EndIndex, 9);
  vexal::DeleteBmpData(8);
  EXPECT_EQ(vexal::BmpDataTable.EndIndex, 7);  // past the empty slot 7
}

TEST_F(BmpDataTableTest, DeletingWhatIsNotThereDoesNothing) {
  Start(1);
  const int a = Add();
  const int live = ps::LiveSurfaceCount();
  for (int index : {-1, a + 1, vexal::kBmpDataMax, 1 << 20}) EXPECT_EQ(vexal::DeleteBmpData(index), 0) << index;
  EXPECT_EQ(vexal::BmpDataTable.Count, 1);
  EXPECT_EQ(ps::LiveSurfaceCount(), live);
  EXPECT_EQ(vexal::DeleteBmpData(a), 0);
  EXPECT_EQ(vexal::DeleteBmpData(a), 0);  // already gone
  EXPECT_EQ(ps::LiveSurfaceCount(), live - 1);
  EXPECT_EQ(vexal::BmpDataTable.Count, 0);
}

TEST_F(BmpDataTableTest, ASharedSurfaceAndAlphaPlaneLiveUntilTheLastReference) {
  Start(1);
  const int live = ps::LiveSurfaceCount();
  const int parent = Add(16, 8, 1);
  vexal::BmpDataRecord* p = vexal::GetBmpData(parent);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->OwnsAlphaPlane, 1);
  std::weak_ptr<uint8_t[]> alpha = p->AlphaPlane;
  const int entry = p->SurfaceEntry;
  ps::Surface* surface = p->Surface;
  const int share = vexal::AddBmpData(4, 4, 0, 0, 0x10001, 1, p, 8, 2, 0);
  ASSERT_GE(share, 0);
  const vexal::BmpDataRecord* s = vexal::GetBmpData(share);
  EXPECT_EQ(s->Surface, surface);
  EXPECT_EQ(s->SurfaceEntry, entry);
  EXPECT_EQ(std::tuple(s->X, s->Y, s->Width, s->Height, s->OwnerGraph), std::tuple(8, 2, 4, 4, 0x10001));
  EXPECT_EQ(s->OwnsAlphaPlane, 0);
  EXPECT_EQ(ps::LiveSurfaceCount(), live + 1);

  vexal::DeleteBmpData(parent);
  EXPECT_EQ(ps::LiveSurfaceCount(), live + 1);
  EXPECT_NE(vexal::GetSurfaceManage(entry), nullptr);
  EXPECT_FALSE(alpha.expired());
  ps::LockedRect locked;
  ASSERT_EQ(ps::Lock(s->Surface, nullptr, 0, &locked), ps::Result::kOk);  // still a usable surface
  ps::Unlock(s->Surface);

  vexal::DeleteBmpData(share);
  EXPECT_EQ(ps::LiveSurfaceCount(), live);
  EXPECT_EQ(vexal::GetSurfaceManage(entry), nullptr);
  EXPECT_TRUE(alpha.expired());
}

TEST_F(BmpDataTableTest, TheColourKeyIsTheDrawStatesTransparentColour) {
  Start(1);  // a window on the 32-bit desktop
  struct Case {
    bool set;
    uint32_t trans;
    uint32_t key;  // the 32-bit XRGB value worked out by hand
  };
  for (const Case& c : {Case{false, 0, 0}, Case{true, 0x00FF00FF, 0x00FF00FF}, Case{true, 0x00123456, 0x00123456}}) {
    if (c.set) vexal::SetTransColorValue(c.trans);
    const vexal::BmpDataRecord* r = vexal::GetBmpData(Add());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->ColorKey, static_cast<int32_t>(c.trans));
    ps::ColorKey key;
    ASSERT_EQ(ps::GetColorKey(r->Surface, &key), ps::Result::kOk);
    EXPECT_EQ(std::pair(key.low, key.high), std::pair(c.key, c.key)) << std::hex << c.trans;
  }
}

TEST_F(BmpDataTableTest, UnlockNeedsALockMark) {
  Start(1);
  for (int screen : {-4, -3, -2}) EXPECT_EQ(vexal::UnlockGraphSurface(screen), -1) << screen;
  EXPECT_EQ(vexal::UnlockGraphSurface(0x20001), 0);  // not a graph

  ps::LockedRect locked;
  ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, 0, &locked), ps::Result::kOk);
  vexal::DDrawState.BackLocked = 1;
  vexal::DDrawState.OpenLocks = 1;
  vexal::SetGraphSuspend(1);
  EXPECT_EQ(vexal::UnlockGraphSurface(-2), 0);
  EXPECT_EQ(vexal::DDrawState.BackLocked, 0);
  EXPECT_EQ(vexal::DDrawState.OpenLocks, 0);
  EXPECT_EQ(vexal::GetGraphSuspendFlag(), 0);  // the last lock gone, drawing goes on
  ASSERT_EQ(ps::Lock(vexal::DDrawState.Back, nullptr, 0, &locked), ps::Result::kOk);  // unlocked indeed
  ps::Unlock(vexal::DDrawState.Back);
  EXPECT_EQ(vexal::UnlockGraphSurface(-2), -1);
}

}  // namespace

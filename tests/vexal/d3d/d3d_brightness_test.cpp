// Brightness set through the public call colours every kind of Direct3D draw: a graph, a
// box, a circle and a string, each white under red 255, green 0, blue 128, so that any
// channel read from the wrong byte of the draw state shows.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "tests/vexal/d3d/d3d_pixels.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using d3dtest::Direct3DTest;
namespace pd = plat::d3d;
namespace ps = plat::surface;

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Rgb& c) { return o << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

// A channel's top bits as the screen keeps them, e.g. 128 in 5 bits is 16.
int Kept(int value, uint32_t mask) { return value >> (8 - std::popcount(mask)); }

class BrightnessTest : public Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    Start3D();
    ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    ASSERT_EQ(vexal::SetDrawBrightness(255, 0, 128), 0);
  }
  // The back screen's pixel as the screen's own channel values.
  static Rgb Pixel(int x, int y) {
    vexal::EndPending3DScene();
    ps::Surface* s = vexal::GetBackSurface();
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
    const uint32_t p = d3dtest::Read(l, x, y);
    ps::Unlock(s);
    const plat::PixelFormat& f = l.format;
    return {static_cast<int>((p & f.red_mask) >> std::countr_zero(f.red_mask)),
            static_cast<int>((p & f.green_mask) >> std::countr_zero(f.green_mask)),
            static_cast<int>((p & f.blue_mask) >> std::countr_zero(f.blue_mask))};
  }
  // White under the brightness: red 255, green 0, blue 128 in the screen's bits.
  static Rgb Want() {
    ps::LockedRect l;
    ps::Surface* s = vexal::GetBackSurface();
    EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l), ps::Result::kOk);
    ps::Unlock(s);
    return {Kept(255, l.format.red_mask), 0, Kept(128, l.format.blue_mask)};
  }
  // Journal entries that drew through the device since recording started.
  static int DeviceDraws() {
    int n = 0;
    for (const pd::JournalEntry& e : pd::Journal()) n += e.call == pd::Call::kDrawPrimitive ? 1 : 0;
    return n;
  }
};

TEST_F(BrightnessTest, AGraphIsColouredByTheBrightnessInItsOwnChannels) {
  vexal::GraphRecord* g = NewGraph(8, 8);
  ASSERT_EQ(vexal::D3DCreateGraphStorage(g), 0);
  const vexal::TextureRecord* t = vexal::GetTexData(static_cast<int>(g->Pieces[0]));
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(t->surface, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const uint32_t white = d3dtest::Compose(l.format, 7);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      std::memcpy(l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * (l.format.bit_count / 8), &white,
                  l.format.bit_count / 8);
    }
  }
  ps::Unlock(t->surface);
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::DrawGraph(10, 10, vexal::GetGraphHandleFromRecord(g), 0), 0);
  EXPECT_GT(DeviceDraws(), 0);
  EXPECT_EQ(Pixel(13, 13), Want());
}

TEST_F(BrightnessTest, ABoxAndACircleAreColouredByTheBrightnessInTheirOwnChannels) {
  const vexal::ColorValue white = vexal::MakeColorValue(255, 255, 255);
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::DrawBox(10, 10, 20, 20, white, 1), 0);
  EXPECT_GT(DeviceDraws(), 0);
  EXPECT_EQ(Pixel(15, 15), Want());
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::DrawCircle(60, 60, 8, white, 1), 0);
  EXPECT_GT(DeviceDraws(), 0);
  EXPECT_EQ(Pixel(60, 60), Want());
}

TEST_F(BrightnessTest, AStringIsColouredByTheBrightnessInItsOwnChannels) {
  // Added onto the black screen, the string shows its own colour; the add blend sends it
  // through the device.
  ASSERT_EQ(vexal::SetBlendModeParam(2, 255), 0);
  const int font = vexal::GetDefaultFontHandle();
  pd::RecordJournal(true);
  ASSERT_EQ(vexal::DrawStringToHandle(0, 0, "\x81\xa1\x81\xa1", vexal::MakeColorValue(255, 255, 255), font, 0, 0), 0);
  EXPECT_GT(DeviceDraws(), 0);
  // The middle of the first full-width filled square.
  const int cell = vexal::GetFontManageDataToHandle(font)->Cell;
  EXPECT_EQ(Pixel(cell / 2, cell / 2), Want());
}

}  // namespace

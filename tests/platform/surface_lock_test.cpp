#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "surface_fixture.h"

namespace {

using nltest::GetPixel;
using nltest::Paint;
using nltest::SurfaceTest;
namespace ps = plat::surface;
using ps::Result;

TEST_F(SurfaceTest, LockGivesTheRectanglesFirstPixelAndTheRowPitch) {
  ps::Surface* s = Offscreen(10, 6, plat::kFormatRgb565);
  Paint(s, [](int x, int y) { return static_cast<uint32_t>(y * 100 + x); });
  const ps::Rect r{3, 2, 7, 5};
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(s, &r, ps::kLockWait | ps::kLockReadOnly, &l), Result::kOk);
  EXPECT_EQ(l.pitch, 32);
  EXPECT_EQ(l.width, 4);
  EXPECT_EQ(l.height, 3);
  EXPECT_EQ(l.format, plat::kFormatRgb565);
  uint16_t first, last;
  std::memcpy(&first, l.bits, 2);
  std::memcpy(&last, l.bits + 2 * l.pitch + 3 * 2, 2);
  EXPECT_EQ(first, 203);
  EXPECT_EQ(last, 406);
  EXPECT_EQ(ps::Unlock(s), Result::kOk);
  EXPECT_EQ(ps::GetCounters().locks, 1u + 1u);  // Paint's lock and this one
}

TEST_F(SurfaceTest, ASecondLockIsRefusedAndTheFirstStaysValid) {
  ps::Surface* s = Offscreen(4, 4, plat::kFormatXrgb8888);
  ps::LockedRect first;
  ASSERT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &first), Result::kOk);
  ps::LockedRect second{};
  EXPECT_EQ(ps::Lock(s, nullptr, ps::kLockWait, &second), Result::kSurfaceBusy);
  EXPECT_EQ(second.bits, nullptr);
  const ps::Rect part{0, 0, 1, 1};
  EXPECT_EQ(ps::Lock(s, &part, ps::kLockWait, &second), Result::kSurfaceBusy);
  uint32_t v = 0x00ABCDEF;
  std::memcpy(first.bits, &v, 4);
  ASSERT_EQ(ps::Unlock(s), Result::kOk);
  EXPECT_EQ(ps::Unlock(s), Result::kNotLocked);
  EXPECT_EQ(GetPixel(s, 0, 0), 0x00ABCDEFu);
}

TEST_F(SurfaceTest, LockRefusesRectanglesOutsideTheSurface) {
  ps::Surface* s = Offscreen(8, 8, plat::kFormatRgb565);
  const ps::Rect bad[] = {{-1, 0, 4, 4}, {0, -1, 4, 4}, {4, 4, 9, 8}, {4, 4, 8, 9}, {3, 3, 3, 5}, {5, 3, 4, 5}};
  for (const ps::Rect& r : bad) {
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(s, &r, 0, &l), Result::kInvalidRect) << r.left << "," << r.top;
  }
  const ps::Rect whole{0, 0, 8, 8};
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, &whole, 0, &l), Result::kOk);
}

TEST_F(SurfaceTest, ALockedSurfaceRefusesEverythingThatWritesOrMovesIt) {
  ps::Surface* a = Offscreen(4, 4, plat::kFormatRgb565);
  ps::Surface* b = Offscreen(4, 4, plat::kFormatRgb565);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(a, nullptr, 0, &l), Result::kOk);
  ps::SurfaceDc dc;
  EXPECT_EQ(ps::GetDC(a, &dc), Result::kSurfaceBusy);
  EXPECT_EQ(ps::BltFast(b, 0, 0, a, nullptr, 0), Result::kSurfaceBusy);
  EXPECT_EQ(ps::BltFast(a, 0, 0, b, nullptr, 0), Result::kSurfaceBusy);
  EXPECT_EQ(ps::Blt(a, nullptr, nullptr, nullptr, ps::kBltColorFill, 1), Result::kSurfaceBusy);
  EXPECT_EQ(ps::Restore(a), Result::kSurfaceBusy);
  ps::Unlock(a);
  EXPECT_EQ(ps::BltFast(b, 0, 0, a, nullptr, 0), Result::kOk);
}

TEST_F(SurfaceTest, ADeviceContextHoldsTheSurfaceLikeALock) {
  ps::Surface* s = Offscreen(4, 4, plat::kFormatPalette8);
  ps::SurfaceDc dc;
  ASSERT_EQ(ps::GetDC(s, &dc), Result::kOk);
  EXPECT_EQ(dc.width, 4);
  EXPECT_EQ(dc.palette, nullptr);
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, 0, &l), Result::kSurfaceBusy);
  ps::SurfaceDc again;
  EXPECT_EQ(ps::GetDC(s, &again), Result::kSurfaceBusy);
  EXPECT_EQ(ps::ReleaseDC(s), Result::kOk);
  EXPECT_EQ(ps::ReleaseDC(s), Result::kNoDc);
  EXPECT_EQ(ps::Lock(s, nullptr, 0, &l), Result::kOk);
}

TEST_F(SurfaceTest, DeviceContextCopiesClipToBothSurfaces) {
  ps::Surface* src = Offscreen(4, 3, plat::kFormatRgb565);
  ps::Surface* dst = Offscreen(5, 4, plat::kFormatRgb565);
  Paint(src, [](int x, int y) { return static_cast<uint32_t>(0x100 * (y + 1) + x + 1); });
  ps::SurfaceDc s, d;
  ASSERT_EQ(ps::GetDC(src, &s), Result::kOk);
  ASSERT_EQ(ps::GetDC(dst, &d), Result::kOk);
  // 10 x 10 from (-1, 1) to (3, -1): cutting source column -1 moves the destination to
  // x 4, cutting destination row -1 moves the source to row 2; what is left is one pixel,
  // src (0, 2) -> dst (4, 0), as dst is 5 wide and src 3 high.
  ASSERT_EQ(ps::CopyBetweenDcs(d, 3, -1, 10, 10, s, -1, 1), Result::kOk);
  ps::ReleaseDC(src);
  ps::ReleaseDC(dst);
  const std::vector<uint32_t> want = {
      0, 0, 0, 0, 0x301, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
  };
  EXPECT_EQ(nltest::Pixels(dst), want);
  EXPECT_EQ(ps::CopyBetweenDcs(d, 0, 0, 1, 1, s, 0, 0), Result::kNoDc);
}

TEST_F(SurfaceTest, DeviceContextCopiesConvertBetweenRgbFormats) {
  const plat::PixelFormat argb4444{16, false, 0x0F00, 0x00F0, 0x000F, 0xF000, 0};
  struct Row {
    plat::PixelFormat from;
    uint32_t pixel;
    plat::PixelFormat to;
    uint32_t want;
  };
  const Row rows[] = {
      {plat::kFormatRgb565, 0xFFFF, argb4444, 0x0FFF},                   // alpha stays 0
      {plat::kFormatRgb565, 0x8410, argb4444, 0x0888},                   // 16, 32, 16 -> 8, 8, 8
      {plat::kFormatXrgb8888, 0xFF123456, plat::kFormatRgb565, 0x11AA},  // 2, 13, 10
      {plat::kFormatRgb565, 0xF800, plat::kFormatXrgb8888, 0x00F80000},  // 31 << 3
      {plat::kFormatRgb555, 0x03E0, plat::kFormatRgb565, 0x07C0},        // green 31 -> 62
  };
  for (const Row& r : rows) {
    ps::Surface* src = Offscreen(1, 1, r.from);
    ps::Surface* dst = Offscreen(1, 1, r.to);
    Paint(src, [&](int, int) { return r.pixel; });
    Paint(dst, [](int, int) { return 0xFFFFFFFFu; });
    ps::SurfaceDc s, d;
    ASSERT_EQ(ps::GetDC(src, &s), Result::kOk);
    ASSERT_EQ(ps::GetDC(dst, &d), Result::kOk);
    ASSERT_EQ(ps::CopyBetweenDcs(d, 0, 0, 1, 1, s, 0, 0), Result::kOk);
    ps::ReleaseDC(src);
    ps::ReleaseDC(dst);
    EXPECT_EQ(GetPixel(dst, 0, 0), r.want) << std::hex << r.pixel;
  }
}

TEST_F(SurfaceTest, DeviceContextCopiesFromEightBitSurfacesKeepTheirFormat) {
  ps::Surface* a = Offscreen(2, 2, plat::kFormatPalette8);
  ps::Surface* b = Offscreen(2, 2, plat::kFormatRgb555);
  ps::SurfaceDc da, db;
  ASSERT_EQ(ps::GetDC(a, &da), Result::kOk);
  ASSERT_EQ(ps::GetDC(b, &db), Result::kOk);
  EXPECT_EQ(ps::CopyBetweenDcs(db, 0, 0, 2, 2, da, 0, 0), Result::kUnsupportedFormat);
}

// A 3 x 2 picture of 24-bit (blue, green, red) pixels, rows of 12 bytes, bottom row
// first; seen through a memory context whose negative pitch runs the rows upwards.
struct MemoryPicture {
  std::vector<uint8_t> bytes;
  ps::SurfaceDc Dc() {
    ps::SurfaceDc dc;
    dc.bits = bytes.data() + 12;  // the top row
    dc.pitch = -12;
    dc.width = 3;
    dc.height = 2;
    dc.format = plat::kFormatRgb888;
    return dc;
  }
};

TEST_F(SurfaceTest, RgbOntoAnEightBitContextTakesThePaletteEntryNearestInColour) {
  // A grey ramp but for entries 10 and 11 (the same red: the lower index wins) and 12.
  std::array<plat::PaletteEntry, plat::kPaletteSize> ramp{};
  for (int i = 0; i < plat::kPaletteSize; ++i) ramp[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
  ramp[10] = ramp[11] = {200, 0, 0, 0};
  ramp[12] = {0, 0, 250, 0};
  MemoryPicture picture{{
      0, 0, 0,   /**/ 0,   0, 0, /**/ 0,  0,   0,   /**/ 0, 0, 0,  // bottom row: black
      0, 0, 210, /**/ 255, 0, 0, /**/ 99, 101, 100, /**/ 0, 0, 0,  // top: red, blue, grey
  }};
  // By hand: red (210, 0, 0) is 100 from entry 10 and, on the plain ramp, nearest grey 70
  // (distance 140^2 + 2 x 70^2); blue (0, 0, 255) is 25 from entry 12, and grey 85 on the
  // ramp; (100, 101, 99) is grey 100.
  struct Case {
    const char* name;
    bool own_palette, primary_palette;
    std::vector<uint32_t> want;  // 3 x 2, top row first
  };
  const Case cases[] = {
      {"its own palette", true, false, {10, 12, 100, 0, 0, 0}},
      {"the display's palette", false, true, {10, 12, 100, 0, 0, 0}},
      {"no palette: the grey ramp", false, false, {70, 85, 100, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ps::ResetSurfaces();
    ASSERT_EQ(ps::CreateDevice(&device_), Result::kOk);
    ASSERT_EQ(ps::InitializeDevice(device_), Result::kOk);
    GoFullScreen(640, 480, 8);
    ps::Palette* pal = nullptr;
    ASSERT_EQ(ps::CreatePalette(device_, ramp, &pal), Result::kOk);
    ps::Surface* primary = Primary();
    ps::Surface* s = Offscreen(3, 2, plat::kFormatPalette8);
    if (c.own_palette) {
      ASSERT_EQ(ps::SetPalette(s, pal), Result::kOk);
    }
    if (c.primary_palette) {
      ASSERT_EQ(ps::SetPalette(primary, pal), Result::kOk);
    }
    ps::SurfaceDc d;
    ASSERT_EQ(ps::GetDC(s, &d), Result::kOk);
    ASSERT_EQ(ps::CopyBetweenDcs(d, 0, 0, 3, 2, picture.Dc(), 0, 0), Result::kOk) << c.name;
    ps::ReleaseDC(s);
    EXPECT_EQ(nltest::Pixels(s), c.want) << c.name;
  }
}

}  // namespace

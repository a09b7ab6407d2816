#include <gtest/gtest.h>

#include <array>

#include "surface_fixture.h"

namespace {

using nltest::SurfaceTest;
namespace ps = plat::surface;
using ps::Result;

std::array<plat::PaletteEntry, plat::kPaletteSize> Ramp() {
  std::array<plat::PaletteEntry, plat::kPaletteSize> p{};
  for (int i = 0; i < plat::kPaletteSize; ++i) {
    p[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0};
  }
  return p;
}

TEST_F(SurfaceTest, PalettesGoOnEightBitSurfacesOnly) {
  auto ramp = Ramp();
  ps::Palette* pal = nullptr;
  ASSERT_EQ(ps::CreatePalette(device_, ramp, &pal), Result::kOk);
  ps::Surface* indexed = Offscreen(2, 2, plat::kFormatPalette8);
  ps::Surface* rgb = Offscreen(2, 2, plat::kFormatRgb565);
  EXPECT_EQ(ps::SetPalette(rgb, pal), Result::kNotPalettised);
  ASSERT_EQ(ps::SetPalette(indexed, pal), Result::kOk);
  EXPECT_EQ(ps::GetPalette(indexed), pal);
  ps::SurfaceDc dc;
  ASSERT_EQ(ps::GetDC(indexed, &dc), Result::kOk);
  ASSERT_NE(dc.palette, nullptr);
  EXPECT_EQ(dc.palette[200], ramp[200]);
  ps::ReleaseDC(indexed);
}

TEST_F(SurfaceTest, PaletteEntriesAreReadAndWrittenInRange) {
  auto ramp = Ramp();
  ps::Palette* pal = nullptr;
  ASSERT_EQ(ps::CreatePalette(device_, ramp, &pal), Result::kOk);
  const plat::PaletteEntry two[2] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  ASSERT_EQ(ps::SetPaletteEntries(pal, 254, two), Result::kOk);
  EXPECT_EQ(ps::SetPaletteEntries(pal, 255, two), Result::kInvalidParams);
  EXPECT_EQ(ps::SetPaletteEntries(pal, -1, two), Result::kInvalidParams);
  std::array<plat::PaletteEntry, 3> out{};
  ASSERT_EQ(ps::GetPaletteEntries(pal, 253, out), Result::kOk);
  EXPECT_EQ(out[0], ramp[253]);
  EXPECT_EQ(out[1], two[0]);
  EXPECT_EQ(out[2], two[1]);
  std::array<plat::PaletteEntry, 2> past{};
  EXPECT_EQ(ps::GetPaletteEntries(pal, 255, past), Result::kInvalidParams);
}

TEST_F(SurfaceTest, ASurfaceKeepsItsPaletteAfterTheCreatorReleasesIt) {
  auto ramp = Ramp();
  ps::Palette* pal = nullptr;
  ASSERT_EQ(ps::CreatePalette(device_, ramp, &pal), Result::kOk);
  ps::Surface* s = Offscreen(2, 2, plat::kFormatPalette8);
  ASSERT_EQ(ps::SetPalette(s, pal), Result::kOk);
  ps::ReleasePalette(pal);
  std::array<plat::PaletteEntry, 1> one{};
  ASSERT_EQ(ps::GetPaletteEntries(ps::GetPalette(s), 9, one), Result::kOk);
  EXPECT_EQ(one[0], ramp[9]);
  ASSERT_EQ(ps::SetPalette(s, nullptr), Result::kOk);
  EXPECT_EQ(ps::GetPalette(s), nullptr);
}

TEST_F(SurfaceTest, ClippersRememberTheirWindow) {
  ps::Clipper* c = nullptr;
  ASSERT_EQ(ps::CreateClipper(device_, &c), Result::kOk);
  ASSERT_EQ(ps::SetClipperWindow(c, 0x1234), Result::kOk);
  EXPECT_EQ(ps::GetClipperWindow(c), 0x1234u);
  ps::InjectFailure(ps::Operation::kCreateClipper, Result::kOutOfMemory);
  ps::Clipper* failed = nullptr;
  EXPECT_EQ(ps::CreateClipper(device_, &failed), Result::kOutOfMemory);
  EXPECT_EQ(failed, nullptr);
}

}  // namespace

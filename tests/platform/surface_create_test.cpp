#include <gtest/gtest.h>

#include "surface_fixture.h"

namespace {

using nltest::SurfaceTest;
namespace ps = plat::surface;
namespace pd = plat::display;
using ps::Result;

constexpr uint32_t kChain = ps::kCapsPrimary | ps::kCapsFlip | ps::kCapsComplex;

TEST_F(SurfaceTest, PrimaryCoversTheDesktopInAWindowAndTheModeInFullScreen) {
  ps::Surface* p = Primary(ps::kCaps3DDevice);
  ps::SurfaceInfo info = ps::GetSurfaceInfo(p);
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_EQ(info.format, plat::kFormatXrgb8888);
  EXPECT_TRUE(info.caps & ps::kCapsVideoMemory);
  EXPECT_TRUE(info.caps & ps::kCaps3DDevice);
  ps::Surface* again = nullptr;
  ps::SurfaceDesc d{ps::kCapsPrimary};
  EXPECT_EQ(ps::CreateSurface(device_, d, &again), Result::kPrimaryExists);
  ps::ReleaseSurface(p);

  GoFullScreen(320, 240, 16);
  p = Primary();
  info = ps::GetSurfaceInfo(p);
  EXPECT_EQ(info.width, 320);
  EXPECT_EQ(info.height, 240);
  EXPECT_EQ(info.format, plat::kFormatRgb565);
}

TEST_F(SurfaceTest, FlipChainsNeedFullScreenAndOneOrTwoBackBuffers) {
  ps::SurfaceDesc d{kChain, 0, 0, 1};
  ps::Surface* s = nullptr;
  EXPECT_EQ(ps::CreateSurface(device_, d, &s), Result::kNoExclusiveMode);
  GoFullScreen(640, 480, 16);
  struct Row {
    uint32_t caps;
    int backs;
    Result result;
  };
  const Row rows[] = {
      {kChain, 0, Result::kInvalidParams},
      {kChain, 3, Result::kInvalidParams},
      {ps::kCapsPrimary | ps::kCapsFlip, 1, Result::kInvalidParams},  // not complex
      {ps::kCapsPrimary, 1, Result::kInvalidParams},                  // count without chain
      {kChain | ps::kCapsSystemMemory, 1, Result::kInvalidParams},
      {ps::kCapsOffscreenPlain | ps::kCapsFlip | ps::kCapsComplex, 1, Result::kInvalidParams},
  };
  for (const Row& r : rows) {
    ps::SurfaceDesc bad{r.caps, 0, 0, r.backs};
    EXPECT_EQ(ps::CreateSurface(device_, bad, &s), r.result) << r.caps << " " << r.backs;
  }
  for (int backs = 1; backs <= 2; ++backs) {
    ps::Surface* p = Primary(ps::kCapsFlip | ps::kCapsComplex, backs);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(ps::LiveSurfaceCount(), 1 + backs);
    ps::ReleaseSurface(p);
    EXPECT_EQ(ps::LiveSurfaceCount(), 0);
  }
}

TEST_F(SurfaceTest, OffscreenSurfacesTakeTheDisplayFormatOrTheirOwn) {
  struct Row {
    plat::PixelFormat asked;
    Result result;
  };
  const plat::PixelFormat argb4444{16, false, 0x0F00, 0x00F0, 0x000F, 0xF000, 0};
  const plat::PixelFormat depth16{16, false, 0, 0, 0, 0, 0};
  const plat::PixelFormat overlapping{16, false, 0xF800, 0x0FE0, 0x001F, 0, 0};
  const plat::PixelFormat too_wide{16, false, 0x1F800, 0x07E0, 0x001F, 0, 0};
  const plat::PixelFormat fourcc{16, false, 0, 0, 0, 0, 0x32595559};
  const plat::PixelFormat indexed16{16, true, 0, 0, 0, 0, 0};
  const Row rows[] = {
      {plat::kFormatRgb555, Result::kOk},
      {argb4444, Result::kOk},
      {depth16, Result::kOk},
      {plat::kFormatPalette8, Result::kOk},
      {plat::kFormatRgb888, Result::kUnsupportedFormat},
      {overlapping, Result::kUnsupportedFormat},
      {too_wide, Result::kUnsupportedFormat},
      {fourcc, Result::kUnsupportedFormat},
      {indexed16, Result::kUnsupportedFormat},
  };
  for (const Row& r : rows) {
    ps::SurfaceDesc d{ps::kCapsOffscreenPlain, 5, 3};
    d.format = r.asked;
    ps::Surface* s = nullptr;
    ASSERT_EQ(ps::CreateSurface(device_, d, &s), r.result);
    if (s != nullptr) {
      EXPECT_EQ(ps::GetSurfaceInfo(s).format, r.asked);
    }
  }
  EXPECT_EQ(ps::GetSurfaceInfo(Offscreen(5, 3)).format, plat::kFormatXrgb8888);
}

TEST_F(SurfaceTest, SizesArePositiveAndBounded) {
  const int sizes[][2] = {{0, 1}, {1, 0}, {-4, 4}, {ps::kMaxSurfaceSide + 1, 1}};
  for (auto& sz : sizes) {
    ps::SurfaceDesc d{ps::kCapsOffscreenPlain, sz[0], sz[1]};
    ps::Surface* s = nullptr;
    EXPECT_EQ(ps::CreateSurface(device_, d, &s), Result::kInvalidParams) << sz[0] << "x" << sz[1];
  }
}

TEST_F(SurfaceTest, PitchIsTheRowRoundedUpToSixteenBytes) {
  struct Row {
    int width;
    plat::PixelFormat format;
    int32_t pitch;
  };
  const Row rows[] = {
      {1, plat::kFormatPalette8, 16}, {16, plat::kFormatPalette8, 16}, {17, plat::kFormatPalette8, 32},
      {3, plat::kFormatRgb565, 16},   {320, plat::kFormatRgb565, 640}, {5, plat::kFormatXrgb8888, 32},
  };
  for (const Row& r : rows) {
    ps::SurfaceInfo info = ps::GetSurfaceInfo(Offscreen(r.width, 2, r.format));
    EXPECT_EQ(info.pitch, r.pitch) << r.width;
  }
}

TEST_F(SurfaceTest, MemoryPlacementIsReportedInTheCaps) {
  struct Row {
    uint32_t caps;
    uint32_t placed;
  };
  const Row rows[] = {
      {ps::kCapsOffscreenPlain | ps::kCapsSystemMemory, ps::kCapsSystemMemory},
      {ps::kCapsOffscreenPlain | ps::kCapsVideoMemory | ps::kCaps3DDevice, ps::kCapsVideoMemory},
      {ps::kCapsOffscreenPlain, ps::kCapsVideoMemory},
      {ps::kCapsTexture | ps::kCapsSystemMemory, ps::kCapsSystemMemory},
  };
  for (const Row& r : rows) {
    ps::SurfaceInfo info = ps::GetSurfaceInfo(Offscreen(4, 4, {}, r.caps));
    EXPECT_EQ(info.caps & (ps::kCapsVideoMemory | ps::kCapsSystemMemory), r.placed) << r.caps;
    EXPECT_EQ(info.caps & ~(ps::kCapsVideoMemory | ps::kCapsSystemMemory),
              r.caps & ~(ps::kCapsVideoMemory | ps::kCapsSystemMemory));
  }
  ps::SurfaceDesc both{ps::kCapsOffscreenPlain | ps::kCapsVideoMemory | ps::kCapsSystemMemory, 4, 4};
  ps::Surface* s = nullptr;
  EXPECT_EQ(ps::CreateSurface(device_, both, &s), Result::kInvalidParams);
}

TEST_F(SurfaceTest, BackBuffersAreReachedFromThePrimaryAndCounted) {
  GoFullScreen(640, 480, 16);
  ps::Surface* p = Primary(ps::kCapsFlip | ps::kCapsComplex, 2);
  ps::Surface* back = nullptr;
  ASSERT_EQ(ps::GetAttachedSurface(p, ps::kCapsBackBuffer, &back), Result::kOk);
  EXPECT_TRUE(ps::GetSurfaceInfo(back).caps & ps::kCapsBackBuffer);
  ps::Surface* second = nullptr;
  ASSERT_EQ(ps::GetAttachedSurface(back, ps::kCapsBackBuffer, &second), Result::kOk);
  EXPECT_NE(second, back);
  ps::Surface* none = nullptr;
  EXPECT_EQ(ps::GetAttachedSurface(second, ps::kCapsBackBuffer, &none), Result::kNotFound);

  std::vector<ps::Surface*> seen;
  ps::EnumAttachedSurfaces(p, [&](ps::Surface* s) {
    seen.push_back(s);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<ps::Surface*>{back, second}));

  // The chain lives while any member is held.
  ps::ReleaseSurface(p);
  EXPECT_EQ(ps::LiveSurfaceCount(), 3);
  ps::ReleaseSurface(back);
  EXPECT_EQ(ps::LiveSurfaceCount(), 3);
  ps::ReleaseSurface(second);
  EXPECT_EQ(ps::LiveSurfaceCount(), 0);
}

TEST_F(SurfaceTest, AttachedSurfacesAreHeldByTheirHolder) {
  ps::Surface* back = Offscreen(16, 16, {}, ps::kCapsOffscreenPlain | ps::kCaps3DDevice);
  ps::Surface* z = Offscreen(16, 16, {16, false, 0, 0, 0, 0, 0}, ps::kCapsZBuffer | ps::kCapsVideoMemory);
  ASSERT_EQ(ps::AddAttachedSurface(back, z), Result::kOk);
  EXPECT_EQ(ps::AddAttachedSurface(back, z), Result::kAlreadyAttached);
  EXPECT_EQ(ps::AddAttachedSurface(back, back), Result::kInvalidParams);
  ps::ReleaseSurface(z);  // the holder keeps it
  EXPECT_EQ(ps::LiveSurfaceCount(), 2);
  ps::Surface* found = nullptr;
  ASSERT_EQ(ps::GetAttachedSurface(back, ps::kCapsZBuffer, &found), Result::kOk);
  EXPECT_EQ(found, z);
  ps::ReleaseSurface(found);
  ASSERT_EQ(ps::DeleteAttachedSurface(back, z), Result::kOk);
  EXPECT_EQ(ps::LiveSurfaceCount(), 1);
  EXPECT_EQ(ps::DeleteAttachedSurface(back, z), Result::kNotFound);
}

TEST_F(SurfaceTest, ReleasingAndRemakingTheSurfacesLeavesNoneBehind) {
  pd::SetVideoMemory(8u << 20);
  for (int round = 0; round < 3; ++round) {
    ps::Surface* p = Primary();
    ps::Surface* back = Offscreen(320, 240, {}, ps::kCapsOffscreenPlain | ps::kCaps3DDevice);
    ps::Surface* work = Offscreen(320, 240);
    ps::Clipper* c = nullptr;
    ASSERT_EQ(ps::CreateClipper(device_, &c), Result::kOk);
    ASSERT_EQ(ps::SetClipper(p, c), Result::kOk);
    ps::ReleaseClipper(c);
    EXPECT_EQ(ps::LiveSurfaceCount(), 3);
    ps::ReleaseSurface(work);
    ps::ReleaseSurface(back);
    ps::ReleaseSurface(p);
    EXPECT_EQ(ps::LiveSurfaceCount(), 0);
    EXPECT_EQ(pd::FreeVideoMemory(), 8u << 20);
  }
}

}  // namespace

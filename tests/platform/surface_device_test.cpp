#include <gtest/gtest.h>

#include "surface_fixture.h"

namespace {

using nltest::SurfaceTest;
namespace ps = plat::surface;
namespace pd = plat::display;
using ps::Result;

constexpr uint32_t kExclusive = ps::kCooperativeFullScreen | ps::kCooperativeExclusive;

TEST(SurfaceDevice, MustBeInitialisedAndGivenALevelBeforeMakingSurfaces) {
  pd::SetDesktop(640, 480, 16);
  ps::Device* d = nullptr;
  ASSERT_EQ(ps::CreateDevice(&d), Result::kOk);
  ps::SurfaceDesc desc{ps::kCapsOffscreenPlain, 8, 8};
  ps::Surface* s = nullptr;
  EXPECT_EQ(ps::CreateSurface(d, desc, &s), Result::kNotInitialized);
  ps::VideoMemory vm;
  EXPECT_EQ(ps::GetAvailableVideoMemory(d, &vm), Result::kNotInitialized);
  ASSERT_EQ(ps::InitializeDevice(d), Result::kOk);
  EXPECT_EQ(ps::CreateSurface(d, desc, &s), Result::kNoCooperativeLevel);
  EXPECT_EQ(s, nullptr);
  ASSERT_EQ(ps::SetCooperativeLevel(d, 0, ps::kCooperativeNormal), Result::kOk);
  EXPECT_EQ(ps::GetCooperativeLevel(d), ps::kCooperativeNormal);
  EXPECT_EQ(ps::CreateSurface(d, desc, &s), Result::kOk);
  EXPECT_EQ(ps::GetSurfaceInfo(s).format, plat::kFormatRgb565);
  ps::ResetSurfaces();
}

TEST(SurfaceDevice, InjectedFailuresFailTheNextCallsOnly) {
  ps::InjectFailure(ps::Operation::kCreateDevice, Result::kOutOfMemory, 1);
  ps::InjectFailure(ps::Operation::kInitializeDevice, Result::kUnsupported, 2);
  ps::Device* d = reinterpret_cast<ps::Device*>(1);
  EXPECT_EQ(ps::CreateDevice(&d), Result::kOutOfMemory);
  EXPECT_EQ(d, nullptr);
  ASSERT_EQ(ps::CreateDevice(&d), Result::kOk);
  EXPECT_EQ(ps::InitializeDevice(d), Result::kUnsupported);
  EXPECT_EQ(ps::InitializeDevice(d), Result::kUnsupported);
  EXPECT_EQ(ps::InitializeDevice(d), Result::kOk);
  ps::InjectFailure(ps::Operation::kSetCooperativeLevel, Result::kInvalidParams, -1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ps::SetCooperativeLevel(d, 0, ps::kCooperativeNormal), Result::kInvalidParams);
  }
  ps::ClearInjectedFailures();
  EXPECT_EQ(ps::SetCooperativeLevel(d, 0, ps::kCooperativeNormal), Result::kOk);
  ps::ResetSurfaces();
}

TEST_F(SurfaceTest, OneDeviceAtATimeHoldsTheDisplayExclusively) {
  ps::Device* other = nullptr;
  ASSERT_EQ(ps::CreateDevice(&other), Result::kOk);
  ASSERT_EQ(ps::InitializeDevice(other), Result::kOk);
  ASSERT_EQ(ps::SetCooperativeLevel(device_, 0, kExclusive), Result::kOk);
  EXPECT_EQ(ps::SetCooperativeLevel(device_, 0, kExclusive), Result::kOk);
  EXPECT_EQ(ps::SetCooperativeLevel(other, 0, kExclusive), Result::kExclusiveModeAlreadySet);
  EXPECT_EQ(ps::SetCooperativeLevel(other, 0, ps::kCooperativeExclusive), Result::kInvalidParams);
  ASSERT_EQ(ps::SetCooperativeLevel(device_, 0, ps::kCooperativeNormal), Result::kOk);
  EXPECT_EQ(ps::SetCooperativeLevel(other, 0, kExclusive), Result::kOk);
}

TEST_F(SurfaceTest, DisplayModesNeedExclusiveUseAndFollowTheFakeDisplay) {
  EXPECT_EQ(ps::SetDisplayMode(device_, 640, 480, 16, 0), Result::kNoExclusiveMode);
  ASSERT_EQ(ps::SetCooperativeLevel(device_, 0, kExclusive), Result::kOk);
  pd::SetAcceptedModes({{320, 240, 16, {60}}, {640, 480, 16, {}}, {640, 480, 24, {}}});
  EXPECT_EQ(ps::SetDisplayMode(device_, 320, 240, 16, 75), Result::kModeRefused);
  EXPECT_EQ(ps::SetDisplayMode(device_, 640, 480, 24, 0), Result::kModeRefused);
  EXPECT_EQ(ps::SetDisplayMode(device_, 320, 240, 16, 60), Result::kOk);

  ps::DisplayModeInfo m;
  ASSERT_EQ(ps::GetDisplayMode(device_, &m), Result::kOk);
  EXPECT_EQ(m.width, 320);
  EXPECT_EQ(m.height, 240);
  EXPECT_EQ(m.refresh, 60);
  EXPECT_EQ(m.format, plat::kFormatRgb565);

  ASSERT_EQ(ps::RestoreDisplayMode(device_), Result::kOk);
  ASSERT_EQ(ps::GetDisplayMode(device_, &m), Result::kOk);
  EXPECT_EQ(m.width, 640);
  EXPECT_EQ(m.format, plat::kFormatXrgb8888);
}

TEST_F(SurfaceTest, DisplayModeReportsTheDesktopFormatOfEachDepth) {
  struct Row {
    int bits;
    pd::Layout16 layout;
    plat::PixelFormat format;
  };
  const Row rows[] = {
      {8, pd::Layout16::k565, plat::kFormatPalette8},  {16, pd::Layout16::k565, plat::kFormatRgb565},
      {16, pd::Layout16::k555, plat::kFormatRgb555},   {24, pd::Layout16::k565, plat::kFormatRgb888},
      {32, pd::Layout16::k565, plat::kFormatXrgb8888},
  };
  for (const Row& r : rows) {
    pd::SetDesktop(640, 480, r.bits);
    pd::SetLayout16(r.layout);
    ps::DisplayModeInfo m;
    ASSERT_EQ(ps::GetDisplayMode(device_, &m), Result::kOk);
    EXPECT_EQ(m.format, r.format) << r.bits;
  }
}

TEST_F(SurfaceTest, ATwentyFourBitDesktopGivesNoSurfacesInTheDisplayFormat) {
  pd::SetDesktop(640, 480, 24);
  ps::SurfaceDesc primary{ps::kCapsPrimary};
  ps::Surface* s = nullptr;
  EXPECT_EQ(ps::CreateSurface(device_, primary, &s), Result::kUnsupportedFormat);
  ps::SurfaceDesc off{ps::kCapsOffscreenPlain, 16, 16};
  EXPECT_EQ(ps::CreateSurface(device_, off, &s), Result::kUnsupportedFormat);
  off.format = plat::kFormatRgb565;
  EXPECT_EQ(ps::CreateSurface(device_, off, &s), Result::kOk);
}

TEST_F(SurfaceTest, AModeChangeLosesPrimariesAndVideoSurfacesButNotSystemOnes) {
  ps::Surface* primary = Primary();
  ps::Surface* video = Offscreen(8, 8, {}, ps::kCapsOffscreenPlain | ps::kCapsVideoMemory);
  ps::Surface* system = Offscreen(8, 8);
  GoFullScreen(640, 480, 32);
  EXPECT_EQ(ps::IsLost(primary), Result::kSurfaceLost);
  EXPECT_EQ(ps::IsLost(video), Result::kSurfaceLost);
  EXPECT_EQ(ps::IsLost(system), Result::kOk);
}

TEST_F(SurfaceTest, ReleasingTheDeviceRestoresTheDesktopAndLeavesItsSurfacesLost) {
  ps::Surface* s = Offscreen(4, 4);
  GoFullScreen(320, 240, 16);
  ASSERT_TRUE(pd::Current().changed);
  ps::ReleaseDevice(device_);
  EXPECT_FALSE(pd::Current().changed);
  EXPECT_EQ(ps::LiveDeviceCount(), 0);
  EXPECT_EQ(ps::IsLost(s), Result::kSurfaceLost);
  EXPECT_EQ(ps::Restore(s), Result::kNoDevice);
  ps::LockedRect l;
  EXPECT_EQ(ps::Lock(s, nullptr, 0, &l), Result::kSurfaceLost);
  ps::ReleaseSurface(s);
  EXPECT_EQ(ps::LiveSurfaceCount(), 0);

  // A new device takes the display over.
  ps::Device* next = nullptr;
  ASSERT_EQ(ps::CreateDevice(&next), Result::kOk);
  ASSERT_EQ(ps::InitializeDevice(next), Result::kOk);
  EXPECT_EQ(ps::SetCooperativeLevel(next, 0, kExclusive), Result::kOk);
}

TEST_F(SurfaceTest, SurfacesOfAReleasedDeviceCanBeReleasedWithWhatTheyHold) {
  ps::Surface* back = Offscreen(8, 8);
  ps::Surface* z = Offscreen(8, 8, {16, false, 0, 0, 0, 0, 0}, ps::kCapsZBuffer);
  ASSERT_EQ(ps::AddAttachedSurface(back, z), Result::kOk);
  ps::ReleaseSurface(z);
  ps::ReleaseDevice(device_);
  ps::ReleaseSurface(back);  // takes z with it, then the device
  EXPECT_EQ(ps::LiveSurfaceCount(), 0);
}

TEST_F(SurfaceTest, VideoMemoryIsCountedForBackBuffersAndOffscreenSurfaces) {
  pd::SetVideoMemory(4u << 20);
  GoFullScreen(640, 480, 16);
  ps::VideoMemory vm;
  ASSERT_EQ(ps::GetAvailableVideoMemory(device_, &vm), Result::kOk);
  EXPECT_EQ(vm.total, 4u << 20);
  EXPECT_EQ(vm.free, 4u << 20);

  ps::Surface* chain = Primary(ps::kCapsFlip | ps::kCapsComplex, 2);
  ASSERT_NE(chain, nullptr);
  const uint64_t buffer = 640 * 2 * 480;  // the pitch needs no padding here
  ASSERT_EQ(ps::GetAvailableVideoMemory(device_, &vm), Result::kOk);
  EXPECT_EQ(vm.free, (4u << 20) - 2 * buffer);

  // 1500 x 1000 x 2 does not fit in the 2,965,504 bytes left: explicit video memory
  // fails, no placement falls back to system memory.
  ps::SurfaceDesc big{ps::kCapsOffscreenPlain | ps::kCapsVideoMemory, 1500, 1000};
  ps::Surface* s = nullptr;
  EXPECT_EQ(ps::CreateSurface(device_, big, &s), Result::kOutOfVideoMemory);
  big.caps = ps::kCapsOffscreenPlain | ps::kCaps3DDevice;
  ASSERT_EQ(ps::CreateSurface(device_, big, &s), Result::kOk);
  EXPECT_EQ(ps::GetSurfaceInfo(s).caps & (ps::kCapsVideoMemory | ps::kCapsSystemMemory), ps::kCapsSystemMemory);

  ps::ReleaseSurface(chain);
  ASSERT_EQ(ps::GetAvailableVideoMemory(device_, &vm), Result::kOk);
  EXPECT_EQ(vm.free, 4u << 20);
}

TEST_F(SurfaceTest, AChainThatDoesNotFitInVideoMemoryIsRefusedWhole) {
  pd::SetVideoMemory(1u << 20);
  GoFullScreen(640, 480, 32);  // one back buffer is 1.2 MB
  ps::SurfaceDesc d{ps::kCapsPrimary | ps::kCapsFlip | ps::kCapsComplex, 0, 0, 1};
  ps::Surface* s = nullptr;
  EXPECT_EQ(ps::CreateSurface(device_, d, &s), Result::kOutOfVideoMemory);
  EXPECT_EQ(ps::LiveSurfaceCount(), 0);
  EXPECT_EQ(pd::FreeVideoMemory(), 1u << 20);
  // The primary may be made again, without a chain.
  EXPECT_NE(Primary(), nullptr);
}

TEST_F(SurfaceTest, DeviceDescribesItselfAndHasNoOverlays) {
  ps::DeviceIdentifier id;
  ASSERT_EQ(ps::GetDeviceIdentifier(device_, &id), Result::kOk);
  EXPECT_FALSE(id.driver.empty());
  EXPECT_FALSE(id.description.empty());
  ps::DeviceCaps caps;
  ASSERT_EQ(ps::GetDeviceCaps(device_, &caps), Result::kOk);
  EXPECT_EQ(caps.min_overlay_stretch, 0u);
  ps::SurfaceDesc overlay{ps::kCapsOverlay | ps::kCapsVideoMemory, 16, 16};
  overlay.format = plat::kFormatRgb565;
  ps::Surface* s = nullptr;
  EXPECT_EQ(ps::CreateSurface(device_, overlay, &s), Result::kUnsupported);
  EXPECT_EQ(ps::WaitForVerticalBlank(device_), Result::kOk);
  EXPECT_EQ(ps::GetCounters().vertical_blank_waits, 1u);
}

}  // namespace

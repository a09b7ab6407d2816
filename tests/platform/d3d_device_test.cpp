// The 3-D device stand-in: the texture limits of the device in use, scene nesting, the
// viewport's bounds, texture loads and their loss, failure injection and the journal.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d/d3d.h"
#include "platform/surface/display.h"
#include "platform/surface/surface.h"

namespace {

namespace pd = plat::d3d;
namespace ps = plat::surface;

class D3DDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ps::ResetSurfaces();
    pd::ResetD3D();
    ASSERT_EQ(ps::CreateDevice(&dd_), ps::Result::kOk);
    ASSERT_EQ(ps::InitializeDevice(dd_), ps::Result::kOk);
    ASSERT_EQ(ps::SetCooperativeLevel(dd_, 0, ps::kCooperativeNormal), ps::Result::kOk);
    ps::SurfaceDesc desc;
    desc.caps = ps::kCapsOffscreenPlain | ps::kCaps3DDevice;
    desc.width = 64;
    desc.height = 32;
    desc.format = plat::kFormatRgb565;
    ASSERT_EQ(ps::CreateSurface(dd_, desc, &target_), ps::Result::kOk);
    ASSERT_EQ(pd::QueryDirect3D(dd_, &object_), pd::Result::kOk);
  }
  void TearDown() override {
    pd::ResetD3D();
    ps::ResetSurfaces();
  }
  pd::Device* MakeDevice() {
    pd::Device* device = nullptr;
    EXPECT_EQ(pd::CreateDevice(object_, pd::kHardwareDevice, target_, &device), pd::Result::kOk);
    return device;
  }
  pd::Result Texture(int w, int h, pd::PixelFormatDesc format = pd::kTexR5G6B5, ps::Surface** out = nullptr) {
    ps::Surface* s = nullptr;
    const pd::Result r = pd::CreateTexture(dd_, {w, h, format, false}, &s);
    if (out != nullptr) *out = s;
    return r;
  }

  ps::Device* dd_ = nullptr;
  ps::Surface* target_ = nullptr;
  pd::Direct3D* object_ = nullptr;
};

TEST_F(D3DDeviceTest, TextureSidesFollowTheLimitsOfTheDeviceInUse) {
  pd::Profile profile = pd::DefaultProfile();
  profile.devices[1].texture_caps = pd::kTexturePow2 | pd::kTextureSquareOnly;
  profile.devices[1].min_texture_width = profile.devices[1].min_texture_height = 8;
  profile.devices[1].max_texture_width = 2048;
  profile.devices[1].max_texture_height = 1024;
  pd::SetProfile(profile);
  MakeDevice();
  struct Case {
    int w, h;
    pd::Result want;
  } cases[] = {
      {64, 64, pd::Result::kOk},
      {1024, 1024, pd::Result::kOk},
      {2048, 2048, pd::Result::kTextureSize},  // taller than 1024
      {48, 48, pd::Result::kTextureSize},      // not a power of two
      {64, 32, pd::Result::kTextureSize},      // not square
      {4, 4, pd::Result::kTextureSize},        // below the minimum
      {0, 0, pd::Result::kInvalidParams},
  };
  for (const Case& c : cases) EXPECT_EQ(Texture(c.w, c.h), c.want) << c.w << " x " << c.h;
  // Packed, luminance, bump and alpha-only formats make no texture.
  for (const pd::PixelFormatDesc& f : {pd::kTexDxt1, pd::kTexL8, pd::kTexV8U8, pd::kTexA8, pd::kDepth16}) {
    EXPECT_EQ(Texture(64, 64, f), pd::Result::kUnsupportedFormat) << f.flags;
  }
  ps::Surface* s = nullptr;
  ASSERT_EQ(Texture(32, 32, pd::kTexA4R4G4B4, &s), pd::Result::kOk);
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(s);
  EXPECT_EQ(info.format.alpha_mask, 0xF000u);
  EXPECT_NE(info.caps & ps::kCapsTexture, 0u);
}

TEST_F(D3DDeviceTest, ScenesDoNotNestAndTheViewportStaysInsideTheTarget) {
  pd::Device* d = MakeDevice();
  EXPECT_EQ(pd::EndScene(d), pd::Result::kInvalidState);
  EXPECT_EQ(pd::BeginScene(d), pd::Result::kOk);
  EXPECT_EQ(pd::BeginScene(d), pd::Result::kInvalidState);
  EXPECT_TRUE(pd::InScene(d));
  EXPECT_EQ(pd::EndScene(d), pd::Result::kOk);
  EXPECT_FALSE(pd::InScene(d));

  EXPECT_EQ(pd::GetViewport(d), (pd::Viewport{0, 0, 64, 32, 0.0f, 1.0f}));
  EXPECT_EQ(pd::SetViewport(d, {10, 5, 54, 27, 0.0f, 1.0f}), pd::Result::kOk);
  EXPECT_EQ(pd::SetViewport(d, {10, 5, 55, 27, 0.0f, 1.0f}), pd::Result::kInvalidParams);
  EXPECT_EQ(pd::GetViewport(d), (pd::Viewport{10, 5, 54, 27, 0.0f, 1.0f}));

  // A surface made without 3-D capability takes no device.
  ps::SurfaceDesc plain;
  plain.caps = ps::kCapsOffscreenPlain | ps::kCapsSystemMemory;
  plain.width = plain.height = 8;
  ps::Surface* flat = nullptr;
  ASSERT_EQ(ps::CreateSurface(dd_, plain, &flat), ps::Result::kOk);
  pd::Device* none = nullptr;
  EXPECT_EQ(pd::CreateDevice(object_, pd::kHardwareDevice, flat, &none), pd::Result::kNo3DSurface);
  EXPECT_EQ(pd::SetRenderTarget(d, flat, 0), pd::Result::kNo3DSurface);
}

TEST_F(D3DDeviceTest, LoadCopiesTheRectangleAndReportsALostTexture) {
  pd::Device* d = MakeDevice();
  ps::Surface *work = nullptr, *draw = nullptr;
  ASSERT_EQ(pd::CreateTexture(dd_, {32, 32, pd::kTexR5G6B5, true}, &work), pd::Result::kOk);
  ASSERT_EQ(Texture(32, 32, pd::kTexR5G6B5, &draw), pd::Result::kOk);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(work, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const uint16_t v = static_cast<uint16_t>(y * 32 + x);
      std::memcpy(l.bits + y * l.pitch + x * 2, &v, 2);
    }
  }
  ps::Unlock(work);
  const ps::Rect part{4, 8, 12, 10};
  ASSERT_EQ(pd::Load(d, draw, 4, 8, work, &part, 0), pd::Result::kOk);
  ASSERT_EQ(ps::Lock(draw, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  auto at = [&](int x, int y) {
    uint16_t v = 0;
    std::memcpy(&v, l.bits + y * l.pitch + x * 2, 2);
    return v;
  };
  EXPECT_EQ(at(4, 8), 8 * 32 + 4);
  EXPECT_EQ(at(11, 9), 9 * 32 + 11);
  EXPECT_EQ(at(12, 9), 0);  // right of the rectangle
  EXPECT_EQ(at(4, 10), 0);  // below it
  ps::Unlock(draw);

  ps::MarkSurfaceLost(draw);
  EXPECT_EQ(pd::Load(d, draw, 0, 0, work, nullptr, 0), pd::Result::kSurfaceLost);
  ps::Surface* other = nullptr;
  ASSERT_EQ(Texture(32, 32, pd::kTexX1R5G5B5, &other), pd::Result::kOk);
  EXPECT_EQ(pd::Load(d, other, 0, 0, work, nullptr, 0), pd::Result::kInvalidParams);  // formats differ
}

TEST_F(D3DDeviceTest, InjectedFailuresMatchTheirStateAndTheJournalRecordsEveryCall) {
  pd::Device* d = MakeDevice();
  pd::RecordJournal(true);
  // The second address state fails once; other stage states pass.
  pd::InjectFailure(pd::Call::kSetTextureStageState, pd::Result::kInvalidParams, 1,
                    static_cast<int64_t>(pd::StageState::kAddress), 1);
  EXPECT_EQ(pd::SetTextureStageState(d, 0, pd::StageState::kAddress, pd::kAddressClamp), pd::Result::kOk);
  EXPECT_EQ(pd::SetTextureStageState(d, 0, pd::StageState::kMagFilter, pd::kFilterLinear), pd::Result::kOk);
  EXPECT_EQ(pd::SetTextureStageState(d, 0, pd::StageState::kAddress, pd::kAddressWrap), pd::Result::kInvalidParams);
  EXPECT_EQ(pd::GetTextureStageState(d, pd::StageState::kAddress), pd::kAddressClamp);  // unchanged
  EXPECT_EQ(pd::SetTextureStageState(d, 0, pd::StageState::kAddress, pd::kAddressWrap), pd::Result::kOk);
  EXPECT_EQ(pd::SetRenderState(d, pd::RenderState::kAlphaBlendEnable, 1), pd::Result::kOk);
  EXPECT_EQ(pd::SetTextureStageState(d, 1, pd::StageState::kColorOp, pd::kOpModulate), pd::Result::kInvalidParams);

  std::vector<std::string> lines;
  for (const pd::JournalEntry& e : pd::Journal()) lines.push_back(pd::Describe(e));
  const std::vector<std::string> want = {
      "SetTextureStageState(0, kAddress, 3)",         "SetTextureStageState(0, kMagFilter, 2)",
      "SetTextureStageState(0, kAddress, 1) -> -200", "SetTextureStageState(0, kAddress, 1)",
      "SetRenderState(kAlphaBlendEnable, 1)",         "SetTextureStageState(1, kColorOp, 4) -> -200"};
  EXPECT_EQ(lines, want);

  pd::InjectFailure(pd::Call::kQueryDirect3D, pd::Result::kOutOfMemory);
  pd::Direct3D* second = nullptr;
  EXPECT_EQ(pd::QueryDirect3D(dd_, &second), pd::Result::kOutOfMemory);
  EXPECT_EQ(pd::LiveObjectCount(), 1);
  EXPECT_EQ(pd::QueryDirect3D(dd_, &second), pd::Result::kOk);
  EXPECT_EQ(pd::LiveObjectCount(), 2);
}

}  // namespace

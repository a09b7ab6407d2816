// The texture formats chosen from what the device offers, and the render-state cache.
#include "vexal/d3d/texture_formats.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/vexal/d3d/d3d_fixture.h"
#include "vexal/d3d/render_state_cache.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace {

using d3dtest::Direct3DTest;
namespace pd = plat::d3d;

void SetScreen(const plat::PixelFormat& format) { vexal::MakeColorFormat(&format, &vexal::DDrawState.Screen.Format); }

// The table after offering these formats in order; found receives the callback's flag.
int Enumerate(const std::vector<pd::PixelFormatDesc>& offered) {
  vexal::ResetTextureFormats();
  int found = 0;
  for (const auto& f : offered) vexal::D3DEnumTextureFormatCallback(f, &found);
  if (found != 0) vexal::ApplyTextureFormatFallbacks();
  return found;
}

uint32_t RedMask(int entry) { return vexal::TextureFormatTable[static_cast<size_t>(entry)].Color.RedMask; }
uint32_t AlphaMask(int entry) { return vexal::TextureFormatTable[static_cast<size_t>(entry)].Color.AlphaMask; }

TEST_F(Direct3DTest, TheDeviceFormatsFillTheTableByScreenAlphaMaskAndFallBacks) {
  Start3D();
  const pd::PixelFormatDesc kA8R8G8B8Odd{pd::kPfRgb | pd::kPfAlphaPixels, 0, 32, 0xFF, 0xFF00, 0xFF000000, 0xFF0000};
  struct Case {
    const char* name;
    plat::PixelFormat screen;
    std::vector<pd::PixelFormatDesc> offered;
    int found;
    uint32_t normal16_red, normal32_red, alpha16_alpha, alpha32_alpha, key16_alpha;
  } cases[] = {
      {"5:6:5 screen", plat::kFormatRgb565, {pd::kTexX1R5G5B5, pd::kTexR5G6B5}, 1, 0xF800, 0xF800, 0, 0, 0},
      {"5:5:5 screen", plat::kFormatRgb555, {pd::kTexX1R5G5B5, pd::kTexR5G6B5}, 1, 0x7C00, 0x7C00, 0, 0, 0},
      {"the default offer", plat::kFormatRgb565, pd::DefaultProfile().texture_formats, 1, 0xF800, 0xFF0000, 0xF000,
       0xFF000000, 0x8000},
      {"no 32-bit format",
       plat::kFormatRgb565,
       {pd::kTexR5G6B5, pd::kTexA4R4G4B4},
       1,
       0xF800,
       0xF800,
       0xF000,
       0xF000,
       0},
      {"32-bit only", plat::kFormatRgb565, {pd::kTexX8R8G8B8, pd::kTexA8R8G8B8}, 0, 0, 0xFF0000, 0, 0xFF000000, 0},
      {"alpha in 0xFF0000 is never taken",
       plat::kFormatRgb565,
       {pd::kTexR5G6B5, kA8R8G8B8Odd},
       1,
       0xF800,
       0xF800,
       0,
       0,
       0},
  };
  for (const Case& c : cases) {
    SetScreen(c.screen);
    EXPECT_EQ(Enumerate(c.offered), c.found) << c.name;
    EXPECT_EQ(RedMask(vexal::kTexNormal16), c.normal16_red) << c.name;
    EXPECT_EQ(RedMask(vexal::kTexNormal32), c.normal32_red) << c.name;
    EXPECT_EQ(AlphaMask(vexal::kTexAlpha16), c.alpha16_alpha) << c.name;
    EXPECT_EQ(AlphaMask(vexal::kTexAlpha32), c.alpha32_alpha) << c.name;
    EXPECT_EQ(AlphaMask(vexal::kTexKey16), c.key16_alpha) << c.name;
  }
  // Selection: a colour key takes key 16 at 16 bits and alpha 32 at 32.
  EXPECT_EQ(vexal::SelectTextureFormat(0, 1, 0), vexal::kTexKey16);
  EXPECT_EQ(vexal::SelectTextureFormat(0, 1, 1), vexal::kTexAlpha32);
  EXPECT_EQ(vexal::SelectTextureFormat(1, 0, 0), vexal::kTexAlpha16);
  EXPECT_EQ(vexal::SelectTextureFormat(0, 0, 1), vexal::kTexNormal32);
}

TEST_F(Direct3DTest, TextureBitDepthTakesSixteenOrThirtyTwoOnceDirect3DExists) {
  vexal::TextureBitDepth = 0;
  EXPECT_EQ(vexal::TextureDepthIndex(), 1);  // not set yet: the 32-bit entries
  EXPECT_EQ(vexal::SetTextureBitDepth(32), -1);
  Start3D();
  EXPECT_EQ(vexal::SetTextureBitDepth(16), 0);
  EXPECT_EQ(vexal::TextureDepthIndex(), 0);
  EXPECT_EQ(vexal::SetTextureBitDepth(24), -1);
  EXPECT_EQ(vexal::TextureBitDepth, 16);
  vexal::ColorFormatRecord out{};
  vexal::D3DGetGraphColorDesc(&out, 1);
  EXPECT_EQ(out.AlphaMask, 0xF000u);
  EXPECT_EQ(vexal::D3DGetGraphColorDesc(nullptr, 1), 0);
  EXPECT_EQ(vexal::GetImageConvOption(), 0);
}

TEST_F(Direct3DTest, TheStateCacheSendsOnlyWhatChanged) {
  Start3D();
  const int h = vexal::D3DCurrentDevice;
  // Each step: the call and the device calls it makes.
  struct Step {
    const char* name;
    std::function<int()> call;
    std::vector<std::string> sent;
  };
  const std::string en = "SetRenderState(kAlphaBlendEnable, ";
  const std::vector<Step> steps = {
      {"alpha 128",
       [&] { return vexal::D3DSetBlendState(1, 128, h); },
       {en + "1)", "SetRenderState(kDestBlend, 6)", "SetRenderState(kSrcBlend, 5)"}},
      {"alpha 128 again", [&] { return vexal::D3DSetBlendState(1, 128, h); }, {}},
      {"alpha 64", [&] { return vexal::D3DSetBlendState(1, 64, h); }, {}},
      {"add 255 after alpha",
       [&] { return vexal::D3DSetBlendState(2, 255, h); },
       {"SetRenderState(kDestBlend, 2)", "SetRenderState(kSrcBlend, 5)"}},
      {"add step",
       [&] { return vexal::D3DSetBlendState(4, 9, h); },
       {en + "1)", "SetRenderState(kDestBlend, 2)", "SetRenderState(kSrcBlend, 5)"}},
      {"invert after the add step",
       [&] { return vexal::D3DSetBlendState(3, 9, h); },
       {"SetRenderState(kDestBlend, 1)", "SetRenderState(kSrcBlend, 10)"}},
      {"none",
       [&] { return vexal::D3DSetBlendState(0, 77, h); },
       {en + "0)", "SetTextureStageState(0, kAlphaOp, 2)", "SetTextureStageState(0, kAlphaArg1, 0)"}},
      {"none again", [&] { return vexal::D3DSetBlendState(0, 77, h); }, {}},
      {"texture alpha on from none",
       [&] { return vexal::D3DSetBlendState(6, 1, h); },
       {"SetRenderState(kSrcBlend, 5)", en + "1)", "SetRenderState(kDestBlend, 6)",
        "SetTextureStageState(0, kAlphaArg1, 2)", "SetTextureStageState(0, kAlphaArg2, 0)",
        "SetTextureStageState(0, kAlphaOp, 4)"}},
      {"texture alpha off",
       [&] { return vexal::D3DSetBlendState(6, 0, h); },
       {"SetRenderState(kSrcBlend, 5)", "SetTextureStageState(0, kAlphaArg1, 0)",
        "SetTextureStageState(0, kAlphaArg2, 0)", "SetTextureStageState(0, kAlphaOp, 3)"}},
      {"mode 5", [&] { return vexal::D3DSetBlendState(5, 1, h); }, {}},
      {"filter 2", [&] { return vexal::D3DSetTextureFilter(2, h) == -1 ? 0 : 1; }, {}},
      {"filter 1",
       [&] { return vexal::D3DSetTextureFilter(1, h); },
       {"SetTextureStageState(0, kMagFilter, 2)", "SetTextureStageState(0, kMinFilter, 2)"}},
      {"filter 1 again", [&] { return vexal::D3DSetTextureFilter(1, h); }, {}},
      {"filter 1 forced",
       [&] {
         Current().Force = 1;
         const int r = vexal::D3DSetTextureFilter(1, h);
         Current().Force = 0;
         return r;
       },
       {"SetTextureStageState(0, kMagFilter, 2)", "SetTextureStageState(0, kMinFilter, 2)"}},
      {"a free record", [&] { return vexal::D3DSetBlendState(1, 1, h + 1) == -1 ? 0 : 1; }, {}},
  };
  for (const Step& s : steps) {
    pd::RecordJournal(true);
    EXPECT_EQ(s.call(), 0) << s.name;
    EXPECT_EQ(d3dtest::JournalLines(), s.sent) << s.name;
    if (std::string(s.name) == "add step") {
      EXPECT_EQ(Current().BlendParam, 255) << "the step keeps the parameter";
    }
    if (std::string(s.name) == "none") {
      EXPECT_EQ(Current().BlendParam, -1);
    }
    if (std::string(s.name) == "texture alpha on from none") {
      EXPECT_EQ(Current().BlendMode, 1);
      EXPECT_EQ(Current().BlendParam, 256);
      EXPECT_EQ(vexal::DrawState.BlendParam, 256);
    }
  }
  EXPECT_EQ(Current().BlendMode, 1);  // texture alpha off leaves blending on
}

}  // namespace

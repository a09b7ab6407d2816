// The device's rasteriser: coverage by the top-left rule, culling and strip winding,
// texturing and the colour key, blending, viewport clipping, lines without their last
// pixel. Expected pixels are worked out by hand on an 8 x 8 target.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d/d3d.h"
#include "platform/surface/surface.h"

namespace {

namespace pd = plat::d3d;
namespace ps = plat::surface;

struct V {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
constexpr uint32_t kFvf = pd::kFvfXyzRhw | pd::kFvfDiffuse | pd::kFvfTex1;

class D3DRasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ps::ResetSurfaces();
    pd::ResetD3D();
    ASSERT_EQ(ps::CreateDevice(&dd_), ps::Result::kOk);
    ASSERT_EQ(ps::InitializeDevice(dd_), ps::Result::kOk);
    ASSERT_EQ(ps::SetCooperativeLevel(dd_, 0, ps::kCooperativeNormal), ps::Result::kOk);
    ps::SurfaceDesc desc;
    desc.caps = ps::kCapsOffscreenPlain | ps::kCaps3DDevice;
    desc.width = desc.height = 8;
    desc.format = plat::kFormatXrgb8888;
    ASSERT_EQ(ps::CreateSurface(dd_, desc, &target_), ps::Result::kOk);
    pd::Direct3D* object = nullptr;
    ASSERT_EQ(pd::QueryDirect3D(dd_, &object), pd::Result::kOk);
    ASSERT_EQ(pd::CreateDevice(object, pd::kHardwareDevice, target_, &d_), pd::Result::kOk);
    pd::SetRenderState(d_, pd::RenderState::kShadeMode, pd::kShadeFlat);
    ASSERT_EQ(pd::BeginScene(d_), pd::Result::kOk);
  }
  void TearDown() override {
    pd::ResetD3D();
    ps::ResetSurfaces();
  }
  pd::Result Draw(pd::PrimitiveType type, const std::vector<V>& v) {
    return pd::DrawPrimitive(d_, type, kFvf, v.data(), static_cast<uint32_t>(v.size()), 0);
  }
  uint32_t Pixel(int x, int y) {
    ps::LockedRect l;
    EXPECT_EQ(ps::Lock(target_, nullptr, ps::kLockWait, &l), ps::Result::kOk);
    uint32_t v = 0;
    std::memcpy(&v, l.bits + y * l.pitch + x * 4, 4);
    ps::Unlock(target_);
    return v & 0xFFFFFF;
  }
  // The target as rows of '#' (the given colour), '.' (black) and '?' (anything else).
  std::vector<std::string> Picture(uint32_t color) {
    std::vector<std::string> rows;
    for (int y = 0; y < 8; ++y) {
      std::string row;
      for (int x = 0; x < 8; ++x) {
        const uint32_t p = Pixel(x, y);
        row += p == color ? '#' : p == 0 ? '.' : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }
  void Fill(uint32_t color) {
    const ps::Rect all{0, 0, 8, 8};
    ps::Blt(target_, &all, nullptr, nullptr, ps::kBltColorFill, color);
  }

  ps::Device* dd_ = nullptr;
  ps::Surface* target_ = nullptr;
  pd::Device* d_ = nullptr;
};

TEST_F(D3DRasterTest, ATriangleCoversTheCentresInsideAndItsTopAndLeftEdges) {
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleList,
                 {{0, 0, 0, 1, 0xFFFF0000, 0, 0}, {4, 0, 0, 1, 0xFF00FF00, 0, 0}, {0, 4, 0, 1, 0xFF0000FF, 0, 0}}),
            pd::Result::kOk);
  // Flat: the first vertex's red. The edge x + y = 4 is a right edge: its centres stay out.
  EXPECT_EQ(Picture(0xFF0000), (std::vector<std::string>{"####....", "###.....", "##......", "#.......", "........",
                                                         "........", "........", "........"}));
}

TEST_F(D3DRasterTest, CullingDropsOneWindingAndAStripKeepsItsFacing) {
  const std::vector<V> ccw = {
      {0, 0, 0, 1, 0xFFFFFFFF, 0, 0}, {0, 4, 0, 1, 0xFFFFFFFF, 0, 0}, {4, 0, 0, 1, 0xFFFFFFFF, 0, 0}};
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleList, ccw), pd::Result::kOk);
  EXPECT_EQ(Pixel(0, 0), 0u);  // counter-clockwise: culled by default
  pd::SetRenderState(d_, pd::RenderState::kCullMode, pd::kCullNone);
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleList, ccw), pd::Result::kOk);
  EXPECT_EQ(Pixel(0, 0), 0xFFFFFFu);

  // A 4 x 4 strip quad added onto black at 10 a channel: every pixel exactly once.
  Fill(0);
  pd::SetRenderState(d_, pd::RenderState::kCullMode, pd::kCullCcw);
  pd::SetRenderState(d_, pd::RenderState::kAlphaBlendEnable, 1);
  pd::SetRenderState(d_, pd::RenderState::kSrcBlend, pd::kBlendOne);
  pd::SetRenderState(d_, pd::RenderState::kDestBlend, pd::kBlendOne);
  const uint32_t c = 0xFF0A0A0A;
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleStrip,
                 {{2, 2, 0, 1, c, 0, 0}, {6, 2, 0, 1, c, 0, 0}, {2, 6, 0, 1, c, 0, 0}, {6, 6, 0, 1, c, 0, 0}}),
            pd::Result::kOk);
  EXPECT_EQ(Picture(0x0A0A0A), (std::vector<std::string>{"........", "........", "..####..", "..####..", "..####..",
                                                         "..####..", "........", "........"}));
}

TEST_F(D3DRasterTest, TexturesAreSampledClampedAndKeyedAndWhiteWhenNoneIsBound) {
  // No texture: TEXTURE is white, so MODULATE gives the diffuse colour.
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleList,
                 {{0, 0, 0, 1, 0xFF123456, 0, 0}, {2, 0, 0, 1, 0, 0, 0}, {0, 2, 0, 1, 0, 0, 0}}),
            pd::Result::kOk);
  EXPECT_EQ(Pixel(0, 0), 0x123456u);

  // A 2 x 2 texture: red, green / blue, white; blue is the colour key.
  ps::Surface* tex = nullptr;
  ASSERT_EQ(pd::CreateTexture(dd_, {2, 2, pd::kTexX8R8G8B8, false}, &tex), pd::Result::kOk);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(tex, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const uint32_t texels[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  for (int i = 0; i < 4; ++i) std::memcpy(l.bits + (i / 2) * l.pitch + (i % 2) * 4, &texels[i], 4);
  ps::Unlock(tex);
  const ps::ColorKey key{0x0000FF, 0x0000FF};
  ps::SetColorKey(tex, &key);
  ASSERT_EQ(pd::SetTexture(d_, 0, tex), pd::Result::kOk);
  Fill(0x404040);
  const uint32_t w = 0xFFFFFFFF;
  // u and v run 0..1 over 0..4 (and past 1 beyond, clamped): centre x samples texel x / 2.
  const std::vector<V> quad = {
      {0, 0, 0, 1, w, 0, 0}, {8, 0, 0, 1, w, 2, 0}, {0, 8, 0, 1, w, 0, 2}, {8, 8, 0, 1, w, 2, 2}};
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleStrip, quad), pd::Result::kOk);
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(Pixel(3, 0), 0x00FF00u);
  EXPECT_EQ(Pixel(7, 7), 0xFFFFFFu);                            // clamped to the last texel
  EXPECT_EQ(Pixel(0, 3), 0x0000FFu);                            // the key is off
  pd::SetRenderState(d_, pd::RenderState::kColorKeyEnable, 5);  // any non-zero value
  Fill(0x404040);
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleStrip, quad), pd::Result::kOk);
  EXPECT_EQ(Pixel(0, 3), 0x404040u);  // keyed out
  EXPECT_EQ(Pixel(3, 3), 0xFFFFFFu);

  // SELECTARG2 over DIFFUSE ignores the texture.
  pd::SetTextureStageState(d_, 0, pd::StageState::kColorOp, pd::kOpSelectArg2);
  const uint32_t grey = 0xFF808080;
  ASSERT_EQ(
      Draw(pd::PrimitiveType::kTriangleStrip,
           {{0, 0, 0, 1, grey, 0, 0}, {8, 0, 0, 1, grey, 2, 0}, {0, 8, 0, 1, grey, 0, 2}, {8, 8, 0, 1, grey, 2, 2}}),
      pd::Result::kOk);
  EXPECT_EQ(Pixel(1, 1), 0x808080u);
}

TEST_F(D3DRasterTest, AnOpaqueAlphaTextureTakesItsTransparencyFromTheKeyAlone) {
  // An alpha texture filled from a picture without alpha: every texel opaque, the key's
  // value without alpha bits. The key still matches; other texels blend at full strength.
  ps::Surface* tex = nullptr;
  ASSERT_EQ(pd::CreateTexture(dd_, {2, 1, pd::kTexA8R8G8B8, false}, &tex), pd::Result::kOk);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(tex, nullptr, ps::kLockWait, &l), ps::Result::kOk);
  const uint32_t texels[2] = {0xFF0000FF, 0xFFFF0000};
  std::memcpy(l.bits, texels, 8);
  ps::Unlock(tex);
  const ps::ColorKey key{0x0000FF, 0x0000FF};
  ps::SetColorKey(tex, &key);
  ASSERT_EQ(pd::SetTexture(d_, 0, tex), pd::Result::kOk);
  pd::SetRenderState(d_, pd::RenderState::kColorKeyEnable, 1);
  pd::SetRenderState(d_, pd::RenderState::kAlphaBlendEnable, 1);
  pd::SetRenderState(d_, pd::RenderState::kSrcBlend, pd::kBlendSrcAlpha);
  pd::SetRenderState(d_, pd::RenderState::kDestBlend, pd::kBlendInvSrcAlpha);
  pd::SetTextureStageState(d_, 0, pd::StageState::kAlphaOp, pd::kOpModulate);
  pd::SetTextureStageState(d_, 0, pd::StageState::kAlphaArg1, pd::kArgTexture);
  Fill(0x404040);
  const uint32_t w = 0xFFFFFFFF;
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleStrip,
                 {{0, 0, 0, 1, w, 0, 0}, {8, 0, 0, 1, w, 1, 0}, {0, 8, 0, 1, w, 0, 1}, {8, 8, 0, 1, w, 1, 1}}),
            pd::Result::kOk);
  EXPECT_EQ(Pixel(1, 1), 0x404040u);  // keyed: left alone
  EXPECT_EQ(Pixel(6, 1), 0xFF0000u);  // opaque red, 255 x 255 / 255 + 64 x 0 / 255
}

TEST_F(D3DRasterTest, BlendFactorsAsWorkedOutByHand) {
  struct Case {
    const char* name;
    uint32_t src_factor, dest_factor, dest, color, want;
  } cases[] = {
      // red at alpha 128 over blue: red 255 x 128 / 255 = 128, blue 255 x 127 / 255 = 127
      {"alpha", pd::kBlendSrcAlpha, pd::kBlendInvSrcAlpha, 0x0000FF, 0x80FF0000, 0x80007F},
      // add with saturation: 200 + 100 holds at 255
      {"add", pd::kBlendSrcAlpha, pd::kBlendOne, 0x640000, 0xFFC80000, 0xFF0000},
      // white x (255 - destination): inverts the destination
      {"invert", pd::kBlendInvDestColor, pd::kBlendZero, 0xFF3300, 0xFFFFFFFF, 0x00CCFF},
  };
  pd::SetRenderState(d_, pd::RenderState::kAlphaBlendEnable, 1);
  pd::SetTextureStageState(d_, 0, pd::StageState::kAlphaOp, pd::kOpSelectArg2);
  for (const Case& c : cases) {
    Fill(c.dest);
    pd::SetRenderState(d_, pd::RenderState::kSrcBlend, c.src_factor);
    pd::SetRenderState(d_, pd::RenderState::kDestBlend, c.dest_factor);
    ASSERT_EQ(Draw(pd::PrimitiveType::kPointList, {{3, 3, 0, 1, c.color, 0, 0}}), pd::Result::kOk);
    EXPECT_EQ(Pixel(3, 3), c.want) << c.name;
    EXPECT_EQ(Pixel(2, 3), c.dest) << c.name;
  }
}

TEST_F(D3DRasterTest, TheViewportClipsAndLinesLeaveOutTheirLastPixel) {
  ASSERT_EQ(pd::SetViewport(d_, {2, 1, 3, 2, 0.0f, 1.0f}), pd::Result::kOk);
  const uint32_t c = 0xFFFFFFFF;
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleStrip,
                 {{0, 0, 0, 1, c, 0, 0}, {8, 0, 0, 1, c, 0, 0}, {0, 8, 0, 1, c, 0, 0}, {8, 8, 0, 1, c, 0, 0}}),
            pd::Result::kOk);
  EXPECT_EQ(Picture(0xFFFFFF), (std::vector<std::string>{"........", "..###...", "..###...", "........", "........",
                                                         "........", "........", "........"}));
  Fill(0);
  ASSERT_EQ(pd::SetViewport(d_, {0, 0, 8, 8, 0.0f, 1.0f}), pd::Result::kOk);
  ASSERT_EQ(Draw(pd::PrimitiveType::kLineList,
                 {{0, 0, 0, 1, c, 0, 0}, {4, 0, 0, 1, c, 0, 0}, {7, 7, 0, 1, c, 0, 0}, {4, 4, 0, 1, c, 0, 0}}),
            pd::Result::kOk);
  EXPECT_EQ(Picture(0xFFFFFF), (std::vector<std::string>{"####....", "........", "........", "........", "........",
                                                         ".....#..", "......#.", ".......#"}));
  // Outside a scene nothing is drawn.
  ASSERT_EQ(pd::EndScene(d_), pd::Result::kOk);
  EXPECT_EQ(Draw(pd::PrimitiveType::kPointList, {{1, 1, 0, 1, c, 0, 0}}), pd::Result::kInvalidState);
}

TEST_F(D3DRasterTest, LinesAndPointsFarBeyondTheTargetDrawTheirVisiblePartOnly) {
  const uint32_t c = 0xFFFFFFFF;
  const float far = 1e10f;
  // Ends far outside the int range: the part across the target is drawn, row 2 whole and
  // column 5 from its top; the walk covers the target only, not the ten billion pixels.
  ASSERT_EQ(Draw(pd::PrimitiveType::kLineList, {{-far, 2, 0, 1, c, 0, 0},
                                                {far, 2, 0, 1, c, 0, 0},
                                                {5, -far, 0, 1, c, 0, 0},
                                                {5, 6, 0, 1, c, 0, 0},
                                                {0, 7, 0, 1, c, 0, 0},
                                                {2e8f, 7, 0, 1, c, 0, 0}}),
            pd::Result::kOk);
  EXPECT_EQ(Picture(0xFFFFFF), (std::vector<std::string>{".....#..", ".....#..", "########", ".....#..", ".....#..",
                                                         ".....#..", "........", "########"}));
  // A point beyond the int range is outside the target, not wrapped into it.
  Fill(0);
  ASSERT_EQ(Draw(pd::PrimitiveType::kPointList, {{-far, 3, 0, 1, c, 0, 0}, {3, far, 0, 1, c, 0, 0}}), pd::Result::kOk);
  EXPECT_EQ(Picture(0xFFFFFF), std::vector<std::string>(8, "........"));
}

TEST_F(D3DRasterTest, PrimitivesWithACornerThatIsNotANumberDrawNothing) {
  const uint32_t c = 0xFFFFFFFF;
  const float nan = std::nanf("");
  ASSERT_EQ(Draw(pd::PrimitiveType::kLineList,
                 {{nan, 2, 0, 1, c, 0, 0}, {4, 2, 0, 1, c, 0, 0}, {0, 3, 0, 1, c, 0, 0}, {4, nan, 0, 1, c, 0, 0}}),
            pd::Result::kOk);
  ASSERT_EQ(Draw(pd::PrimitiveType::kPointList, {{nan, 1, 0, 1, c, 0, 0}, {1, nan, 0, 1, c, 0, 0}}), pd::Result::kOk);
  ASSERT_EQ(Draw(pd::PrimitiveType::kTriangleList, {{0, 0, 0, 1, c, 0, 0},
                                                    {nan, 0, 0, 1, c, 0, 0},
                                                    {0, 8, 0, 1, c, 0, 0},
                                                    {-1, -1, 0, 1, c, 0, 0},
                                                    {1e30f, -1, 0, 1, c, 0, 0},
                                                    {-1, 1.5f, 0, 1, c, 0, 0}}),
            pd::Result::kOk);
  // The last triangle is real, reaching far beyond the int range: it covers the top two
  // rows as far as the target goes.
  EXPECT_EQ(Picture(0xFFFFFF), (std::vector<std::string>{"########", "########", "........", "........", "........",
                                                         "........", "........", "........"}));
}

}  // namespace

namespace {

struct V3 {
  float x, y, z, nx, ny, nz;
  uint32_t color;
  float u, v;
};
constexpr uint32_t kFvf3 = pd::kFvfXyz | pd::kFvfNormal | pd::kFvfDiffuse | pd::kFvfTex1;

pd::Matrix Identity() {
  pd::Matrix m;
  m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
  return m;
}

TEST_F(D3DRasterTest, IndicesPickTheVerticesAndOneBeyondTheListIsRefused) {
  const uint32_t c = 0x00FF00;
  const std::vector<V> v = {{0, 0, 0, 1, c, 0, 0}, {4, 0, 0, 1, c, 0, 0}, {0, 4, 0, 1, c, 0, 0}, {4, 4, 0, 1, c, 0, 0}};
  // The lower-right half only: vertices 1, 3, 2.
  const std::array<uint16_t, 3> half = {1, 3, 2};
  ASSERT_EQ(pd::DrawIndexedPrimitive(d_, pd::PrimitiveType::kTriangleList, kFvf, v.data(), 4, half.data(), 3, 0),
            pd::Result::kOk);
  EXPECT_EQ(Picture(c), (std::vector<std::string>{"........", "...#....", "..##....", ".###....", "........",
                                                  "........", "........", "........"}));
  const std::array<uint16_t, 3> beyond = {0, 1, 4};
  EXPECT_EQ(pd::DrawIndexedPrimitive(d_, pd::PrimitiveType::kTriangleList, kFvf, v.data(), 4, beyond.data(), 3, 0),
            pd::Result::kInvalidParams);
}

TEST_F(D3DRasterTest, UntransformedVerticesGoThroughTheTransformsOntoTheViewport) {
  // World doubles, view moves by (-1, 0), projection is the identity: (x, y) lands at
  // viewport x = (2x - 1 + 1) / 2 * 8 = 8x and y = (1 - 2y) / 2 * 8.
  pd::Matrix world = Identity();
  world.m[0] = world.m[5] = 2.0f;
  pd::Matrix view = Identity();
  view.m[12] = -1.0f;
  pd::SetTransform(d_, pd::TransformState::kWorld, world);
  pd::SetTransform(d_, pd::TransformState::kView, view);
  pd::SetTransform(d_, pd::TransformState::kProjection, Identity());
  const uint32_t c = 0xFF0000;
  // Screen corners (0, 0), (4, 0), (0, 4), (4, 4).
  const std::vector<V3> v = {{0.0f, 0.5f, 0, 0, 0, 1, c, 0, 0},
                             {0.5f, 0.5f, 0, 0, 0, 1, c, 0, 0},
                             {0.0f, 0.0f, 0, 0, 0, 1, c, 0, 0},
                             {0.5f, 0.0f, 0, 0, 0, 1, c, 0, 0}};
  ASSERT_EQ(pd::DrawPrimitive(d_, pd::PrimitiveType::kTriangleStrip, kFvf3, v.data(), 4, 0), pd::Result::kOk);
  EXPECT_EQ(Picture(c), (std::vector<std::string>{"####....", "####....", "####....", "####....", "........",
                                                  "........", "........", "........"}));
}

}  // namespace

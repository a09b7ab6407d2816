// Bitmap pixels into texture layouts: raw rows, alpha from a bitmap or from the
// transparent colour, and pixel-by-pixel conversion; values worked out by hand.
#include "vexal/d3d/convert_to_texture_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi_bitmap.h"
#include "tests/vexal/d3d/d3d_fixture.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"

namespace {

using d3dtest::Direct3DTest;

vexal::ColorFormatRecord Format(const plat::PixelFormat& p) {
  vexal::ColorFormatRecord f{};
  // MakeColorFormat needs the device; these fields are simple enough to lay out here.
  auto field = [](uint32_t mask, uint8_t* shift, uint8_t* width) {
    *shift = *width = 0;
    if (mask == 0) return;
    while (((mask >> *shift) & 1) == 0) ++*shift;
    while (*shift + *width < 32 && ((mask >> (*shift + *width)) & 1) != 0) ++*width;
  };
  f.ColorBits = p.bit_count;
  f.BytesPerPixel = static_cast<uint8_t>(p.bit_count / 8);
  f.RedMask = p.red_mask, f.GreenMask = p.green_mask, f.BlueMask = p.blue_mask, f.AlphaMask = p.alpha_mask;
  field(p.red_mask, &f.RedShift, &f.RedWidth);
  field(p.green_mask, &f.GreenShift, &f.GreenWidth);
  field(p.blue_mask, &f.BlueShift, &f.BlueWidth);
  field(p.alpha_mask, &f.AlphaShift, &f.AlphaWidth);
  return f;
}

const plat::PixelFormat kArgb{32, false, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0};
const plat::PixelFormat kXrgb{32, false, 0xFF0000, 0xFF00, 0xFF, 0, 0};
const plat::PixelFormat kArgb4444{16, false, 0x0F00, 0x00F0, 0x000F, 0xF000, 0};
const plat::PixelFormat kRgb565{16, false, 0xF800, 0x07E0, 0x001F, 0, 0};
const plat::PixelFormat kBgr24{24, false, 0xFF0000, 0xFF00, 0xFF, 0, 0};

// One source pixel (and alpha-bitmap pixel, when given) converted; the destination's
// pixel is read back at its own size.
uint32_t Convert(const plat::PixelFormat& dest, const plat::PixelFormat& src, uint32_t pixel,
                 const uint32_t* alpha = nullptr) {
  uint8_t s[4] = {}, a[4] = {}, d[4] = {};
  std::memcpy(s, &pixel, 4);
  if (alpha != nullptr) std::memcpy(a, alpha, 4);
  vexal::ConvertImageToTextureFormat(d, 4, Format(dest), 0, 0, s, alpha != nullptr ? a : nullptr, 4, Format(src),
                                     vexal::Rect{0, 0, 1, 1});
  uint32_t out = 0;
  std::memcpy(&out, d, static_cast<size_t>(dest.bit_count / 8));
  return out;
}

TEST(ConvertImageToTextureFormatTest, EachPathGivesTheHandWorkedPixel) {
  vexal::DrawStateBlock state{};
  state.TransColor = 0x00FF00FF;  // magenta stands for transparent
  vexal::D3DDrawState = &state;
  const uint32_t half = 0x80, one_byte_alpha = 0x000000F0;
  struct Case {
    const char* name;
    plat::PixelFormat dest, src;
    uint32_t pixel;
    const uint32_t* alpha;
    uint32_t want;
  } cases[] = {
      {"same layout with alpha: raw", kArgb, kArgb, 0x12345678, nullptr, 0x12345678},
      {"key colour gets alpha 0", kArgb, kXrgb, 0x00FF00FF, nullptr, 0x00FF00FF},
      {"other colours full alpha", kArgb, kXrgb, 0xAB123456, nullptr, 0xFF123456},
      {"alpha from the bitmap", kArgb, kXrgb, 0x00123456, &half, 0x80123456},
      {"bitmap alpha narrowed to four bits",
       kArgb4444,
       {16, false, 0x0F00, 0x00F0, 0x000F, 0, 0},
       0x0123,
       &one_byte_alpha,
       0xF123},
      {"24 bits into 4:4:4:4, no key test", kArgb4444, kBgr24, 0xFF8040, nullptr, 0xFF84},
      {"24 bits into 4:4:4:4 with bitmap alpha", kArgb4444, kBgr24, 0xFF8040, &half, 0x8F84},
      {"24 bits into 5:6:5", kRgb565, kBgr24, 0xFF8040, nullptr, 0xFC08},
      {"8:8:8:8 into 4:4:4:4 narrows alpha too", kArgb4444, kArgb, 0x80FF8040, nullptr, 0x8F84},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(c.dest, c.src, c.pixel, c.alpha), c.want) << c.name;
  // An empty rectangle writes nothing.
  uint8_t s[4] = {1, 2, 3, 4}, d[4] = {9, 9, 9, 9};
  vexal::ConvertImageToTextureFormat(d, 4, Format(kArgb), 0, 0, s, nullptr, 4, Format(kXrgb), vexal::Rect{0, 0, 0, 1});
  EXPECT_EQ(d[0], 9);
  vexal::D3DDrawState = nullptr;
}

uint32_t TexturePixel(plat::surface::Surface* s, int x, int y) {
  plat::surface::LockedRect l;
  if (plat::surface::Lock(s, nullptr, plat::surface::kLockWait, &l) != plat::surface::Result::kOk) return 0xDEADBEEF;
  uint32_t v = 0;
  std::memcpy(&v, l.bits + y * l.pitch + x * (l.format.bit_count / 8), static_cast<size_t>(l.format.bit_count / 8));
  plat::surface::Unlock(s);
  return v;
}

TEST_F(Direct3DTest, BitmapSectionsReachTheTextureTopRowFirstInEitherRowOrder) {
  Start3D();
  ASSERT_EQ(vexal::SetTextureBitDepth(32), 0);
  for (const int height : {-40, 40}) {  // top-down, bottom-up
    namespace pg = plat::gdi;
    pg::BitmapLayout layout;
    layout.width = 40;
    layout.height = height;
    layout.bit_count = 24;
    pg::Bitmap* bitmap = pg::CreateDibSection(layout);
    ASSERT_NE(bitmap, nullptr);
    pg::BitmapBits bits;
    ASSERT_TRUE(pg::GetBitmapBits(bitmap, &bits));
    // Picture row r (from the top) holds blue r, green 7, red column.
    for (int r = 0; r < 40; ++r) {
      const int stored = height < 0 ? r : 39 - r;
      for (int x = 0; x < 40; ++x) {
        uint8_t* p = bits.bits + stored * bits.pitch + x * 3;
        p[0] = static_cast<uint8_t>(r), p[1] = 7, p[2] = static_cast<uint8_t>(x);
      }
    }
    vexal::GraphRecord* g = NewGraph(40, 40);
    ASSERT_EQ(vexal::D3DCreateGraphStorage(g), 0);
    vexal::ColorFormatRecord format24{};
    vexal::SetPixelFormat24(&format24);
    ASSERT_EQ(vexal::D3DSetGraphImage(&format24, bitmap, nullptr, 0, 0, g, 1, nullptr, nullptr), 0);
    // 40 splits into [32, 32]: the first piece holds the picture's top-left 32 x 32.
    plat::surface::Surface* s = vexal::GetTexData(static_cast<int>(g->Pieces[0]))->surface;
    EXPECT_EQ(TexturePixel(s, 0, 0), 0x00000700u) << height;
    EXPECT_EQ(TexturePixel(s, 5, 3), 0x00050703u) << height;
    pg::DeleteBitmap(bitmap);
  }
}

}  // namespace

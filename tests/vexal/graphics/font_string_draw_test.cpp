// Strings from the glyph cache onto locked surfaces: the pixel rule of each font type at
// each depth (hand-worked), and whole strings against the system's text output and a slow
// per-pixel reference over the cache.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include <string>
#include <vector>

#include "tests/vexal/graphics/font_fixture.h"

namespace {

namespace pg = plat::gdi;
namespace ps = plat::surface;
using fonttest::FontTest;

const vexal::ColorFormatRecord kXrgb{32, 4, 8, 8, 8, 0, 16, 8, 0, 0, 0xFF0000, 0xFF00, 0xFF, 0};
const vexal::ColorFormatRecord kRgb565{16, 2, 5, 6, 5, 0, 11, 5, 0, 0, 0xF800, 0x07E0, 0x001F, 0};

TEST(FontPixelRule, EachTypeAndDepthWritesTheHandWorkedPixelAndMask) {
  struct Case {
    const char* what;
    int type, bits;
    uint8_t glyph, edge;
    uint32_t fill, edge_color;
    int transparent;
    uint32_t want_pixel;
    int want_mask;  // -1: left alone
  };
  constexpr uint32_t kBefore = 0x12345678;
  constexpr uint32_t F = 0x00C08040, E = 0x00204060;
  const Case cases[] = {
      {"plain glyph", 0, 32, 1, 0, F, E, 1, F, -1},
      {"plain background kept", 0, 32, 0, 0, F, E, 1, kBefore, -1},
      {"plain background cleared", 0, 32, 0, 0, F, E, 0, 0, -1},
      {"edged glyph", 1, 32, 3, 0, F, 0xFF204060, 1, F, -1},
      {"edge: low 24 bits of its colour", 1, 32, 1, 0, F, 0xFF204060, 1, 0x00204060, -1},
      {"edged background cleared", 1, 32, 0, 0, F, E, 0, 0, -1},
      {"coverage", 2, 32, 0x80, 0, F, E, 1, F, 0x80},
      {"no coverage kept", 2, 32, 0, 0, F, E, 1, kBefore, -1},
      {"no coverage cleared with its mask", 2, 32, 0, 0, F, E, 0, 0, 0},
      {"full glyph over edge", 3, 32, 255, 200, F, E, 1, F, 255},
      {"edge alone", 3, 32, 0, 0x7F, F, E, 1, E, 0x7F},
      // M = 128 + (255 x 128 >> 8) = 255, w = 128: each channel halfway from E to F.
      {"half glyph on full edge", 3, 32, 128, 255, F, E, 1, 0x00706050, 255},
      // M = 64 + (128 x 192 >> 8) = 160, w = 16384 / 160 = 102: R 32 + 160 x 102 / 256 = 95,
      // G 64 + 64 x 102 / 256 = 89, B 96 - 32 x 102 / 256 = 84 (truncated towards zero).
      {"quarter glyph on half edge", 3, 32, 64, 128, F, E, 1, 0x005F5954, 160},
      {"nothing at all cleared", 3, 32, 0, 0, F, E, 0, 0, 0},
      // 5:6:5, white over black: R 31 x 128 / 256 = 15, G 31, B 15.
      {"5:6:5 half glyph", 3, 16, 128, 255, 0xFFFF, 0, 1, 0x7BEF, 255},
      // R 31 x 102 / 256 = 12, G 63 x 102 / 256 = 25, B 12.
      {"5:6:5 quarter glyph", 3, 16, 64, 128, 0xFFFF, 0, 1, 0x632C, 160},
      // Black over white: R 31 - 3162 / 256 = 19, G 63 - 25 = 38, B 19.
      {"5:6:5 dark over light", 3, 16, 64, 128, 0, 0xFFFF, 1, 0x9CD3, 160},
      {"5:6:5 coverage", 2, 16, 1, 0, 0xF81F, 0, 1, 0xF81F, 1},
      {"5:6:5 edge", 1, 16, 1, 0, 0xF81F, 0x07E0, 1, 0x07E0, -1},
      // Palette indices: both colours of an edged font, nothing of an anti-aliased one.
      {"8-bit edged glyph", 1, 8, 3, 0, 7, 9, 1, 7, -1},
      {"8-bit edge", 1, 8, 1, 0, 7, 9, 1, 9, -1},
      {"8-bit plain glyph", 0, 8, 1, 0, 7, 9, 1, 7, -1},
      {"8-bit anti-aliased", 2, 8, 255, 0, 7, 9, 0, kBefore & 0xFF, -1},
      {"24 bits", 0, 24, 1, 0, F, E, 0, kBefore, -1},
  };
  for (const Case& c : cases) {
    uint32_t pixel = kBefore;
    if (c.bits == 16) pixel &= 0xFFFF;
    if (c.bits == 8) pixel &= 0xFF;
    uint8_t bytes[4];
    std::memcpy(bytes, &pixel, 4);
    uint8_t mask = 0x33;
    vexal::FontPutPixel(c.type, c.bits, c.bits == 16 ? kRgb565 : kXrgb, c.glyph, c.edge, c.fill, c.edge_color,
                        c.transparent, bytes, &mask);
    uint32_t got = 0;
    std::memcpy(&got, bytes, c.bits == 32 || c.bits == 24 ? 4 : c.bits / 8);
    const uint32_t want = c.bits == 16 ? c.want_pixel & 0xFFFF : c.bits == 8 ? c.want_pixel & 0xFF : c.want_pixel;
    EXPECT_EQ(got, want) << c.what;
    EXPECT_EQ(static_cast<int>(mask), c.want_mask == -1 ? 0x33 : c.want_mask) << c.what;
  }
}

class StringDrawTest : public FontTest {
 protected:
  int Font(int type, int size = 16) {
    const int h = vexal::CreateFontHandle(nullptr, size, 6, type, -1);
    EXPECT_GE(h, 0);
    return h;
  }
  int Draw(int handle, ps::Surface* s, int bits, int x, int y, const std::string& text, uint32_t color, uint32_t edge,
           const vexal::Rect* clip, int transparent = 1, uint8_t* mask = nullptr, int mask_pitch = 0,
           int vertical = 0) {
    return vexal::FontCacheStringDrawToHandle(1, x, y, text.c_str(), color, s, mask, mask_pitch, clip, bits,
                                              transparent, handle, edge, -1, vertical, nullptr);
  }
  static std::vector<uint32_t> Pixels(ps::Surface* s) {
    const ps::SurfaceInfo info = ps::GetSurfaceInfo(s);
    std::vector<uint32_t> out;
    for (int y = 0; y < info.height; ++y) {
      for (int x = 0; x < info.width; ++x) out.push_back(Pixel(s, x, y));
    }
    return out;
  }
};

// A plain font's string is the system's text output of its characters side by side,
// clipped, in the colour; the width it returns is the one measured.
TEST_F(StringDrawTest, APlainStringIsTheTextOutputOfItsCharactersClipped) {
  Start(1);
  const int h = Font(0);
  vexal::FontRecord* f = vexal::GetFontManageDataToHandle(h);
  const std::string text = "Ag\x93\xfa\x96{";  // A g 日 本
  constexpr int W = 64, H = 24, X = 3, Y = 2;
  constexpr uint32_t kCanary = 0x11111111, kColor = 0x00F0E0D0;
  const vexal::Rect clip{5, 4, 40, 15};
  ps::Surface* s = MakeSurface(W, H, plat::kFormatXrgb8888, 0x11);
  const int drawn = Draw(h, s, 32, X, Y, text, kColor, 0, &clip);
  EXPECT_EQ(drawn, vexal::MeasureFontString(text.c_str(), -1, h, 0));

  std::vector<uint8_t> ref(W * H, 0);
  const pg::Dib dib{ref.data(), W, H, W, 8};
  int pen = X;
  for (const std::string ch : {"A", "g", "\x93\xfa", "\x96{"}) {
    pg::TextOut(f->Font, dib, pen, Y, ch, pg::TextColors{1, 0, false});
    pg::Size e;
    pg::GetTextExtent(f->Font, ch, &e);
    pen += e.cx;
  }
  EXPECT_EQ(drawn, pen - X);
  int inked = 0;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const bool in_clip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
      const uint32_t want = in_clip && ref[y * W + x] != 0 ? kColor : kCanary;
      inked += want == kColor;
      ASSERT_EQ(Pixel(s, x, y), want) << x << "," << y;
    }
  }
  EXPECT_GT(inked, 20);
}

// Every type at 16 and 32 bits against a slow reference that applies the pixel rule to
// the cached cells at the pens; the clip cuts glyphs on every side and the surface's
// edge cuts the last one.
class EveryTypeTest : public StringDrawTest, public ::testing::WithParamInterface<int> {};

TEST_P(EveryTypeTest, DrawsItsCellsAtThePensWithinClipAndSurface) {
  {
    const int screen_bits = GetParam();
    Start(screen_bits == 32 ? 1 : 0);
    ASSERT_EQ(vexal::GetScreenColorBits(), screen_bits);
    const vexal::ColorFormatRecord& format = *vexal::GetPixelFormatPtr();
    for (int type = 0; type <= vexal::kFontTypeMax; ++type) {
      SCOPED_TRACE(type);
      const int h = Font(type);
      vexal::FontRecord* f = vexal::GetFontManageDataToHandle(h);
      const std::string text = "Wq\x8a\xbf";  // W q 漢
      constexpr int W = 56, H = 22, X = -3, Y = 6;
      const vexal::Rect clip{1, 8, 60, 20};
      const plat::PixelFormat pf = screen_bits == 32 ? plat::kFormatXrgb8888 : plat::kFormatRgb565;
      const uint32_t color = screen_bits == 32 ? 0x00F08010 : 0xF812, edge = screen_bits == 32 ? 0x00102030 : 0x0841;
      for (const int transparent : {1, 0}) {
        ps::Surface* s = MakeSurface(W, H, pf, 0x5A);
        std::vector<uint8_t> mask(W * H, 0x77);
        const int drawn = Draw(h, s, screen_bits, X, Y, text, color, edge, &clip, transparent, mask.data(), W);
        // The reference: each pixel of each glyph's cell rectangle inside clip and surface.
        std::vector<uint32_t> want(W * H, screen_bits == 32 ? 0x5A5A5A5A : 0x5A5A);
        std::vector<uint8_t> want_mask(W * H, 0x77);
        int pen = X;
        for (const std::string ch : {"W", "q", "\x8a\xbf"}) {
          const int code = static_cast<uint8_t>(ch[0]) | (ch.size() > 1 ? static_cast<uint8_t>(ch[1]) << 8 : 0);
          const vexal::FontCacheEntry& e = f->Entries[static_cast<size_t>(f->Lookup[static_cast<size_t>(code)])];
          for (int v = 0; v < e.Cy; ++v) {
            for (int u = 0; u < e.Cx; ++u) {
              const int x = pen + u, y = Y + v;
              if (x < clip.left || x >= std::min<int>(clip.right, W) || y < clip.top ||
                  y >= std::min<int>(clip.bottom, H))
                continue;
              uint8_t bytes[4];
              std::memcpy(bytes, &want[y * W + x], 4);
              vexal::FontPutPixel(type, screen_bits, format, static_cast<uint8_t>(CacheValue(f, e.Cell, u, v)),
                                  type == 3 ? static_cast<uint8_t>(CacheValue(f, e.Cell, u, v, 1)) : 0, color, edge,
                                  transparent, bytes, &want_mask[y * W + x]);
              std::memcpy(&want[y * W + x], bytes, 4);
            }
          }
          pen += e.Cx;
        }
        EXPECT_EQ(drawn, pen - X);
        EXPECT_EQ(Pixels(s), want) << "transparent " << transparent;
        EXPECT_EQ(mask, want_mask) << "transparent " << transparent;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, EveryTypeTest, ::testing::Values(32, 16));

TEST_F(StringDrawTest, VerticalStringsGoDownAndReturnTheirHeight) {
  Start(1);
  const int h = Font(0);
  ps::Surface* across = MakeSurface(64, 64, plat::kFormatXrgb8888);
  ps::Surface* down = MakeSurface(64, 64, plat::kFormatXrgb8888);
  const vexal::Rect all{0, 0, 64, 64};
  Draw(h, across, 32, 0, 0, "a", 0xFFFFFF, 0, &all);
  Draw(h, across, 32, 0, 16, "b", 0xFFFFFF, 0, &all);
  EXPECT_EQ(Draw(h, down, 32, 0, 0, "ab", 0xFFFFFF, 0, &all, 1, nullptr, 0, 1), 32);
  EXPECT_EQ(Pixels(down), Pixels(across));
}

TEST_F(StringDrawTest, AnEmptyStringDrawsNothingAndAFailedLockEndsTheProgram) {
  Start(1);
  const int h = Font(0);
  ps::Surface* s = MakeSurface(8, 8, plat::kFormatXrgb8888);
  EXPECT_EQ(Draw(h, s, 32, 0, 0, "", 0xFFFFFF, 0, nullptr), 0);
  EXPECT_EQ(
      vexal::FontCacheStringDrawToHandle(1, 0, 0, nullptr, 0, s, nullptr, 0, nullptr, 32, 1, h, 0, -1, 0, nullptr), 0);
  ps::InjectFailure(ps::Operation::kLock, ps::Result::kSurfaceLost);
  EXPECT_EXIT(Draw(h, s, 32, 0, 0, "a", 0xFFFFFF, 0, nullptr), ::testing::ExitedWithCode(255), "");
}

// A string that starts at the far ends of the int range walks its pen past them without
// wrapping round onto the surface; it draws nothing, and a string crossing x = 0 from the
// left still shows its last glyph.
TEST_F(StringDrawTest, StringsAtTheEndsOfTheIntRangeDrawNothingAndDoNotWrap) {
  Start(1);
  const int h = Font(0);
  const std::string text = "AAAAAAAA";
  constexpr uint32_t kCanary = 0x11111111;
  ps::Surface* s = MakeSurface(32, 32, plat::kFormatXrgb8888, 0x11);
  const std::vector<uint32_t> untouched(32 * 32, kCanary);
  for (const auto& [x, y] : {std::pair{INT_MAX - 5, 0}, std::pair{0, INT_MAX - 5}, std::pair{INT_MAX, INT_MAX}}) {
    Draw(h, s, 32, x, y, text, 0x00FFFFFF, 0, nullptr);
    Draw(h, s, 32, x, y, text, 0x00FFFFFF, 0, nullptr, 1, nullptr, 0, 1);
    EXPECT_EQ(Pixels(s), untouched) << x << "," << y;
  }
  const int width = vexal::MeasureFontString(text.c_str(), -1, h, 0);
  const int one = vexal::MeasureFontString("A", -1, h, 0);
  Draw(h, s, 32, one - width, 0, text, 0x00FFFFFF, 0, nullptr);
  EXPECT_NE(Pixels(s), untouched);
}

}  // namespace

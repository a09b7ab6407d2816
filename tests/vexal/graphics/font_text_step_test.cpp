// Strings on the screen through the public call and row 0's text step: straight from the
// cache when opaque, through the font's own surface and the graph blitter when blended or
// anti-aliased; the colour key of that surface; the on-screen log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/vexal/graphics/font_fixture.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/fonts/ddraw_text.h"
#include "vexal/graphics/fonts/screen_log_draw.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace {

namespace pg = plat::gdi;
namespace ps = plat::surface;
using fonttest::FontTest;
using vexal::DDrawState;

constexpr int kW = 128, kH = 64;

class TextStepTest : public FontTest {
 protected:
  void StartScreen(int w = kW, int h = kH) {
    vexal::RequestScreenMode(w, h, -1, -1);
    Start(1);
    ASSERT_EQ(vexal::SetDrawTarget(vexal::kBackScreen), 0);
    ASSERT_EQ(vexal::GetScreenColorBits(), 32);
  }
  static std::vector<uint32_t> Back() {
    std::vector<uint32_t> out;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) out.push_back(Pixel(DDrawState.Back, x, y));
    }
    return out;
  }
  static void ClearBack(uint32_t v) {
    ps::LockedRect l;
    ps::Lock(DDrawState.Back, nullptr, ps::kLockWait, &l);
    for (int y = 0; y < l.height; ++y) {
      for (int x = 0; x < l.width; ++x) std::memcpy(l.bits + y * l.pitch + x * 4, &v, 4);
    }
    ps::Unlock(DDrawState.Back);
  }
};

// The opaque path: with masked drawing on and no mask surface the text goes straight onto
// the back screen, the draw area clipping it; the pixels are the system's text output.
TEST_F(TextStepTest, AnOpaqueStringGoesStraightOntoTheTargetInsideTheDrawArea) {
  StartScreen();
  ASSERT_EQ(vexal::GetMaskSurface(), nullptr);
  ClearBack(0x00102030);
  const int font = vexal::CreateFontHandle(nullptr, 16, 6, 0, -1);
  vexal::SetDrawClipArea(0, 0, 40, kH);
  const std::string text = "\x93\xfa\x96{Ab";  // 日本Ab
  ASSERT_EQ(vexal::DrawStringToHandle(2, 3, text.c_str(), 0x00FFFFFF, font, 0, 0), 0);

  std::vector<uint8_t> ref(kW * kH, 0);
  const pg::Dib dib{ref.data(), kW, kH, kW, 8};
  int pen = 2;
  for (const std::string ch : {"\x93\xfa", "\x96{", "A", "b"}) {
    pg::TextOut(vexal::GetFontManageDataToHandle(font)->Font, dib, pen, 3, ch, pg::TextColors{1, 0, false});
    pg::Size e;
    pg::GetTextExtent(vexal::GetFontManageDataToHandle(font)->Font, ch, &e);
    pen += e.cx;
  }
  EXPECT_EQ(vexal::MeasureFontString(text.c_str(), -1, font, 0), pen - 2);
  std::vector<uint32_t> want(kW * kH, 0x00102030);
  for (int i = 0; i < kW * kH; ++i) {
    if (ref[i] != 0 && i % kW < 40) want[i] = 0x00FFFFFF;
  }
  EXPECT_EQ(Back(), want);
}

// Alpha blending at full strength puts the same pixels on the screen through the font's
// own surface as the opaque path does straight.
TEST_F(TextStepTest, AFullStrengthBlendedStringEqualsTheOpaqueOne) {
  StartScreen();
  const int font = vexal::CreateFontHandle(nullptr, 16, 6, 1, -1);
  for (const int x : {5, -3, 100}) {  // inside, cut on the left, cut on the right
    SCOPED_TRACE(x);
    ClearBack(0x00405060);
    vexal::SetBlendModeParam(0, 0);
    vexal::DrawStringToHandle(x, 10, "Wy\x8a\xbf", 0x00E0C0A0, font, 0x00010203, 0);
    const std::vector<uint32_t> straight = Back();
    ClearBack(0x00405060);
    vexal::SetBlendModeParam(1, 255);
    ASSERT_EQ(vexal::DrawStringToHandle(x, 10, "Wy\x8a\xbf", 0x00E0C0A0, font, 0x00010203, 0), 0);
    EXPECT_EQ(Back(), straight);
    EXPECT_NE(straight, std::vector<uint32_t>(kW * kH, 0x00405060));
  }
}

// A blended string larger than the screen draws only its own pixels: nothing of the
// string drawn before it through the font's surface comes back.
TEST_F(TextStepTest, AStringLargerThanTheScreenBringsBackNoEarlierString) {
  StartScreen();
  const int font = vexal::CreateFontHandle(nullptr, 16, 6, 0, -1);
  vexal::SetBlendModeParam(1, 255);
  const std::string blanks(40, ' ');  // far wider, and as a column far taller, than the screen
  for (const int vertical : {0, 1}) {
    SCOPED_TRACE(vertical);
    ClearBack(0);
    ASSERT_EQ(vexal::DrawStringToHandle(0, 0, "WWWWWW", 0x00FFFFFF, font, 0, vertical), 0);
    ASSERT_NE(Back(), std::vector<uint32_t>(kW * kH, 0));
    ClearBack(0);
    ASSERT_EQ(vexal::DrawStringToHandle(0, 0, blanks.c_str(), 0x00FFFFFF, font, 0, vertical), 0);
    EXPECT_EQ(Back(), std::vector<uint32_t>(kW * kH, 0));
  }
}

// An anti-aliased string is blended by its coverage: full coverage gives the colour,
// none leaves the screen, the rest lies between; nothing reaches past the measured width.
TEST_F(TextStepTest, AnAntialiasedStringBlendsByItsCoverage) {
  StartScreen();
  const int font = vexal::CreateFontHandle(nullptr, 16, 6, 2, -1);
  ClearBack(0);
  const char text[] = "\x8a\xbf\x8e\x9a";  // 漢字
  ASSERT_EQ(vexal::DrawStringToHandle(4, 4, text, 0x00FFFFFF, font, 0, 0), 0);
  const int width = vexal::MeasureFontString(text, -1, font, 0);
  int full = 0, partial = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const uint32_t p = Pixel(DDrawState.Back, x, y);
      if (x < 4 || x >= 4 + width || y < 4 || y >= 4 + 16) {
        ASSERT_EQ(p, 0u) << x << "," << y;
        continue;
      }
      const uint32_t r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
      ASSERT_TRUE(r == g && g == b) << x << "," << y;  // grey: white over black
      full += r == 255;
      partial += r > 0 && r < 255;
    }
  }
  EXPECT_GT(full, 20);
  EXPECT_GT(partial, 5);
}

TEST_F(TextStepTest, TheOwnSurfaceKeyDiffersFromBothTextColours) {
  StartScreen();
  struct Case {
    uint32_t color, edge, want;
  };
  const Case cases[] = {
      {0x00FFFFFF, 0, 0x00FFFF9C},  // ~(0xFFFFFF + 100) in the 24 colour bits
      // ~(0x7FFFCD + 100 + 1) & 0xFFFFFF is the text colour itself: the low blue bit flips.
      {0x7FFFCD, 1, 0x7FFFCC},
      {1, 0x7FFFCD, 0x7FFFCC},  // the same for the edge colour
      // ~(0xFFFFDE + 100 + 0xFFFFDF) is the colour, and flipping blue gives the edge colour:
      // green's low bit flips instead.
      {0xFFFFDE, 0xFFFFDF, 0xFFFEDE},
  };
  for (const Case& c : cases) {
    const uint32_t key = vexal::PickTextKeyColor(c.color, c.edge);
    EXPECT_NE(key, c.color & 0xFFFFFF);
    EXPECT_NE(key, c.edge & 0xFFFFFF);
    EXPECT_EQ(key, c.want) << std::hex << c.color;
  }
}

TEST_F(TextStepTest, TheOnScreenLogDrawsEachLineOfItsRowsInWhiteWithABlackEdge) {
  StartScreen(kW, 40);  // room for two rows of 16 pixels
  ClearBack(0x00808080);
  vexal::ScreenLogPrintf("ab\ncd\nef");
  ASSERT_EQ(vexal::ScreenLogDraw(), 0);
  const int font = vexal::ScreenLogFontHandle();
  // The same lines drawn by hand: "cd" on row 0 after "ab" scrolled away, "ef" on row 1.
  ps::Surface* ref = MakeSurface(kW, 40, plat::kFormatXrgb8888, 0x80);
  const vexal::Rect all{0, 0, kW, 40};
  ASSERT_EQ(vexal::ScreenLogLine(0), "cd");
  for (const auto& [row, text] : {std::pair{0, "cd"}, {1, "ef"}}) {
    vexal::FontCacheStringDrawToHandle(1, 0, 16 * row, text, 0x00FFFFFF, ref, nullptr, 0, &all, 32, 1, font, 0, -1, 0,
                                       nullptr);
  }
  int white = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < kW; ++x) {
      // Row 2 (y 32..39) is not a whole row: nothing is drawn there.
      const uint32_t want = Pixel(ref, x, y) & 0x00FFFFFF;
      ASSERT_EQ(Pixel(DDrawState.Back, x, y), want) << x << "," << y;
      white += want == 0x00FFFFFF;
    }
  }
  EXPECT_GT(white, 20);
}

}  // namespace

namespace {

// On a palette screen glyphs cannot be blended: an anti-aliased request makes a font of
// the same type without anti-aliasing, and edged text keeps both of its colours.
TEST_F(TextStepTest, APaletteScreenDropsAntialiasingAndKeepsTheEdgeColour) {
  plat::display::SetAcceptedModes({{640, 480, 8, {60}}});
  vexal::RequestScreenMode(640, 480, 8, -1);
  Start(0);
  ASSERT_EQ(vexal::GetScreenColorBits(), 8);
  for (const auto& [asked, made] : {std::pair{2, 0}, {3, 1}, {1, 1}}) {
    const int font = vexal::CreateFontHandle(nullptr, 16, 6, asked, -1);
    EXPECT_EQ(vexal::GetFontManageDataToHandle(font)->Type, made) << asked;
  }
  const int font = vexal::CreateFontHandle(nullptr, 16, 6, 1, -1);
  ps::Surface* s = MakeSurface(32, 20, plat::kFormatPalette8, 0);
  const vexal::Rect all{0, 0, 32, 20};
  vexal::FontCacheStringDrawToHandle(1, 0, 0, "H", 7, s, nullptr, 0, &all, 8, 1, font, 9, -1, 0, nullptr);
  ps::LockedRect l;
  ps::Lock(s, nullptr, ps::kLockWait, &l);
  int sevens = 0, nines = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 32; ++x) {
      sevens += l.bits[y * l.pitch + x] == 7;
      nines += l.bits[y * l.pitch + x] == 9;
    }
  }
  ps::Unlock(s);
  EXPECT_GT(sevens, 10);
  EXPECT_GT(nines, 10);
}

}  // namespace

namespace {

// With a mask, strings go through the mask surface like every draw: an all-0 mask keeps
// the screen, an all-0xFF one lets the same pixels through as no mask at all.
TEST_F(TextStepTest, AMaskedStringShowsOnlyWhereTheMaskAllows) {
  StartScreen();
  const int font = vexal::CreateFontHandle(nullptr, 16, 6, 3, -1);
  ClearBack(0x00203040);
  vexal::DrawStringToHandle(3, 5, "Ag\x8a\xbf", 0x00FFFFFF, font, 0x00FF0000, 0);
  const std::vector<uint32_t> unmasked = Back();

  ASSERT_EQ(vexal::CreateMaskBuffer(), 0);
  ASSERT_EQ(vexal::SetMaskTargetFlag(1), 0);
  ASSERT_NE(vexal::GetMaskSurface(), nullptr);
  for (const int fill : {0, 1}) {
    SCOPED_TRACE(fill);
    ClearBack(0x00203040);
    vexal::FillMaskBuffer(fill);
    ASSERT_EQ(vexal::DrawStringToHandle(3, 5, "Ag\x8a\xbf", 0x00FFFFFF, font, 0x00FF0000, 0), 0);
    EXPECT_EQ(Back(), fill == 0 ? std::vector<uint32_t>(kW * kH, 0x00203040) : unmasked);
  }
}

}  // namespace

// Colour formats, colour values and the blend table, checked against values worked out
// by hand from the channel layouts.
#include "vexal/graphics/screen/color_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <tuple>
#include <vector>

#include "platform/surface/pixel_format.h"
#include "platform/surface/surface.h"
#include "vexal/graphics/screen/blend_mul_table.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/palette.h"

namespace {

namespace ps = plat::surface;
using vexal::DDrawState;

constexpr plat::PixelFormat kArgb8888{32, false, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, 0};

// A device object, so that formats can be described, and a screen of the given format.
class ColorValueTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(ps::CreateDevice(&DDrawState.Object), ps::Result::kOk); }
  void TearDown() override {
    ps::ReleaseDevice(DDrawState.Object);
    vexal::ResetDDrawState();
  }
  void UseScreen(const plat::PixelFormat& format) {
    ASSERT_EQ(vexal::MakeColorFormat(&format, &DDrawState.Screen.Format), 0);
    DDrawState.ScreenColorBits = format.bit_count;
    DDrawState.Screen.Palette = vexal::kBuiltInPalette;
  }
  vexal::ColorFormatRecord Describe(const plat::PixelFormat& format) {
    vexal::ColorFormatRecord r{};
    vexal::MakeColorFormat(&format, &r);
    return r;
  }
};

TEST_F(ColorValueTest, FormatsAreDescribedByTheirMasks) {
  struct Case {
    const char* name;
    plat::PixelFormat format;
    vexal::ColorFormatRecord expected;
  };
  const Case cases[] = {
      {"5:6:5", plat::kFormatRgb565, {16, 2, 5, 6, 5, 0, 11, 5, 0, 0, 0xF800, 0x07E0, 0x001F, 0}},
      {"5:5:5", plat::kFormatRgb555, {16, 2, 5, 5, 5, 0, 10, 5, 0, 0, 0x7C00, 0x03E0, 0x001F, 0}},
      {"32-bit", plat::kFormatXrgb8888, {32, 4, 8, 8, 8, 0, 16, 8, 0, 0, 0xFF0000, 0xFF00, 0xFF, 0}},
      {"32-bit with alpha", kArgb8888, {32, 4, 8, 8, 8, 8, 16, 8, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
      {"8-bit palette", plat::kFormatPalette8, {8, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    vexal::ColorFormatRecord r = Describe(c.format);
    const auto fields = [](const vexal::ColorFormatRecord& f) {
      return std::tuple(f.ColorBits, f.BytesPerPixel, f.RedWidth, f.GreenWidth, f.BlueWidth, f.AlphaWidth, f.RedShift,
                        f.GreenShift, f.BlueShift, f.AlphaShift, f.RedMask, f.GreenMask, f.BlueMask, f.AlphaMask);
    };
    EXPECT_EQ(fields(r), fields(c.expected)) << c.name;
  }
  ps::ReleaseDevice(DDrawState.Object);
  DDrawState.Object = nullptr;
  vexal::ColorFormatRecord untouched{};
  EXPECT_EQ(vexal::MakeColorFormat(&plat::kFormatRgb565, &untouched), -1);
  EXPECT_EQ(untouched.ColorBits, 0);
}

TEST_F(ColorValueTest, ColourValuesAndBackOnRgbScreens) {
  struct Case {
    const char* name;
    plat::PixelFormat format;
    int r, g, b;
    uint32_t value;              // MakeColorValue(r, g, b)
    int back_r, back_g, back_b;  // GetColorRGB(value)
  };
  const Case cases[] = {
      {"5:6:5 white", plat::kFormatRgb565, 255, 255, 255, 0xFFFF, 255, 255, 255},
      {"5:6:5 low bits", plat::kFormatRgb565, 8, 4, 8, 0x0821, 8, 4, 8},  // 1 x 255 / 31 = 8, 255 / 63 = 4
      {"5:6:5 red", plat::kFormatRgb565, 255, 0, 0, 0xF800, 255, 0, 0},
      {"5:6:5 below one step", plat::kFormatRgb565, 7, 3, 7, 0, 0, 0, 0},
      {"5:6:5 only low 8 bits count", plat::kFormatRgb565, 0x1FF, 0x104, 0x108, 0xF821, 255, 4, 8},
      {"5:5:5 white", plat::kFormatRgb555, 255, 255, 255, 0x7FFF, 255, 255, 255},
      {"5:5:5 low bits", plat::kFormatRgb555, 8, 8, 8, 0x0421, 8, 8, 8},
      {"5:5:5 half", plat::kFormatRgb555, 128, 128, 128, 0x4210, 131, 131, 131},  // 16 x 255 / 31 = 131
      {"32-bit white", plat::kFormatXrgb8888, 255, 255, 255, 0x00FFFFFF, 255, 255, 255},
      {"32-bit", plat::kFormatXrgb8888, 0x12, 0x34, 0x56, 0x00123456, 0x12, 0x34, 0x56},
      {"32-bit only low 8 bits count", plat::kFormatXrgb8888, 0x112, 0x234, 0x356, 0x00123456, 0x12, 0x34, 0x56},
  };
  for (const Case& c : cases) {
    UseScreen(c.format);
    EXPECT_EQ(vexal::MakeColorValue(c.r, c.g, c.b), c.value) << c.name;
    int r = -1, g = -1, b = -1;
    EXPECT_EQ(vexal::GetColorRGB(c.value, &r, &g, &b), 0) << c.name;
    EXPECT_EQ(std::tuple(r, g, b), std::tuple(c.back_r, c.back_g, c.back_b)) << c.name;
  }
  // 5:6:5 green 32 of 63: 32 x 255 / 63 = 129.5, truncated.
  UseScreen(plat::kFormatRgb565);
  int r = -1, g = -1, b = -1;
  vexal::GetColorRGB(0x0400, &r, &g, &b);
  EXPECT_EQ(std::tuple(r, g, b), std::tuple(0, 129, 0));
  // Bits outside the channels (alpha of a 32-bit value) are ignored.
  UseScreen(plat::kFormatXrgb8888);
  vexal::GetColorRGB(0xAB123456, &r, &g, &b);
  EXPECT_EQ(std::tuple(r, g, b), std::tuple(0x12, 0x34, 0x56));
}

TEST_F(ColorValueTest, EightBitScreensUseTheNearestPaletteEntry) {
  UseScreen(plat::kFormatPalette8);
  struct Case {
    int r, g, b;
    uint32_t index;
  };
  // The palette's fixed entries, exactly and from nearby.
  const Case named[] = {{0, 0, 0, 0},         {255, 255, 255, 255}, {0, 0, 139, 16}, {125, 102, 79, 128},
                        {253, 254, 239, 254}, {0, 0, 140, 16},      {1, 0, 0, 0}};
  for (const Case& c : named)
    EXPECT_EQ(vexal::MakeColorValue(c.r, c.g, c.b), c.index) << c.r << "," << c.g << "," << c.b;
  int r = -1, g = -1, b = -1;
  EXPECT_EQ(vexal::GetColorRGB(16, &r, &g, &b), 0);
  EXPECT_EQ(std::tuple(r, g, b), std::tuple(0, 0, 139));
  EXPECT_EQ(vexal::GetColorRGB(256, &r, &g, &b), -1);
  EXPECT_EQ(vexal::GetColorRGB(0xFFFFFFFF, &r, &g, &b), -1);

  // Two entries at the same distance: the lower index wins.
  DDrawState.Screen.Palette.fill({200, 0, 200, 0});
  DDrawState.Screen.Palette[5] = {10, 10, 10, 0};
  DDrawState.Screen.Palette[9] = {30, 30, 30, 0};
  EXPECT_EQ(vexal::MakeColorValue(20, 20, 20), 5u);  // 3 x 10^2 from both
  EXPECT_EQ(vexal::MakeColorValue(21, 20, 20), 9u);
  DDrawState.Screen.Palette.fill({7, 7, 7, 0});
  EXPECT_EQ(vexal::MakeColorValue(200, 100, 50), 0u);
  // GetColorMatch8 follows the palette too while the screen has 8 bits.
  vexal::ColorFormatRecord rgb565 = Describe(plat::kFormatRgb565);
  EXPECT_EQ(vexal::GetColorMatch8(&rgb565, 7, 7, 7), 0u);
  UseScreen(plat::kFormatXrgb8888);
  EXPECT_EQ(vexal::GetColorMatch8(&rgb565, 255, 255, 255), 0xFFFFu);
}

TEST_F(ColorValueTest, ConvertingBetweenFormats) {
  const vexal::ColorFormatRecord rgb565 = Describe(plat::kFormatRgb565);
  const vexal::ColorFormatRecord rgb555 = Describe(plat::kFormatRgb555);
  const vexal::ColorFormatRecord xrgb = Describe(plat::kFormatXrgb8888);
  const vexal::ColorFormatRecord argb = Describe(kArgb8888);
  struct Case {
    const char* name;
    const vexal::ColorFormatRecord* dest;
    const vexal::ColorFormatRecord* source;
    uint32_t pixel, expected;
  };
  const Case cases[] = {
      {"5:5:5 white to 5:6:5: green 31 becomes 62", &rgb565, &rgb555, 0x7FFF, 0xFFDF},
      {"5:6:5 white to 5:5:5", &rgb555, &rgb565, 0xFFFF, 0x7FFF},
      {"5:6:5 red to 32 bits: low bits 0", &xrgb, &rgb565, 0xF800, 0x00F80000},
      {"no source alpha: full alpha", &argb, &rgb565, 0xFFFF, 0xFFF8FCF8},
      {"32 bits to 5:6:5, alpha dropped", &rgb565, &argb, 0x80FF8040, 0xFC08},
      {"alpha kept between 32-bit formats", &argb, &argb, 0x12345678, 0x12345678},
  };
  for (const Case& c : cases) EXPECT_EQ(vexal::ConvertColorByFormat(c.dest, c.source, c.pixel), c.expected) << c.name;
}

TEST(BlendMulTableTest, CornersAndEdges) {
  vexal::FillBlendMulTable();
  const auto& t = vexal::BlendMulTable;
  EXPECT_EQ(t[255][255], 254);
  EXPECT_EQ(t[128][255], 127);
  EXPECT_EQ(t[255][128], 127);
  EXPECT_EQ(t[16][16], 1);
  EXPECT_EQ(t[255][1], 0);
  for (int v : {0, 1, 128, 255}) {
    EXPECT_EQ(t[0][v], 0) << v;
    EXPECT_EQ(t[v][0], 0) << v;
  }
}

TEST(BlendMulTableTest, EveryEntryIsTheProductShiftedDownByEight) {
  vexal::FillBlendMulTable();
  for (int p = 0; p < 256; ++p) {
    for (int v = 0; v < 256; ++v) ASSERT_EQ(vexal::BlendMulTable[p][v], (p * v) >> 8) << p << " x " << v;
  }
  vexal::ResetBlendMulTable();
}

TEST(BuiltInPaletteTest, FixedEntriesThenTheCubeAndGreysByBrightness) {
  const vexal::PaletteTable& p = vexal::kBuiltInPalette;
  using Rgb = std::tuple<int, int, int>;
  auto rgb = [&](int i) { return Rgb(p[i].red, p[i].green, p[i].blue); };
  EXPECT_EQ(rgb(0), Rgb(0, 0, 0));
  EXPECT_EQ(rgb(16), Rgb(0, 0, 139));
  EXPECT_EQ(rgb(128), Rgb(125, 102, 79));
  EXPECT_EQ(rgb(254), Rgb(253, 254, 239));
  EXPECT_EQ(rgb(255), Rgb(255, 255, 255));

  // The other entries: the cube without black and white, and the greys round(k x 255 / 38).
  std::multiset<Rgb> expected;
  const int levels[] = {0, 51, 102, 153, 204, 255};
  for (int r : levels) {
    for (int g : levels) {
      for (int b : levels) {
        if (Rgb(r, g, b) != Rgb(0, 0, 0) && Rgb(r, g, b) != Rgb(255, 255, 255)) expected.insert(Rgb(r, g, b));
      }
    }
  }
  for (int k = 1; k <= 37; ++k) {
    const int grey = static_cast<int>(k * 255.0 / 38.0 + 0.5);
    expected.insert(Rgb(grey, grey, grey));
  }
  std::multiset<Rgb> actual;
  std::vector<int> brightness;
  for (int i = 0; i < 256; ++i) {
    if (i == 0 || i == 16 || i == 128 || i == 254 || i == 255) continue;
    actual.insert(rgb(i));
    brightness.push_back(299 * p[i].red + 587 * p[i].green + 114 * p[i].blue);
  }
  EXPECT_EQ(actual, expected);
  EXPECT_TRUE(std::is_sorted(brightness.begin(), brightness.end()));
  for (const plat::PaletteEntry& e : p) EXPECT_EQ(e.flags, 0);
}

}  // namespace

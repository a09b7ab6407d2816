#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/fs/fs.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "vexal/graphics/pictures/image_loader_list.h"

namespace {

using nltest::Bytes;
using nltest::PngSpec;
using Samples = std::vector<uint16_t>;

struct FreeImage {
  vexal::GraphImage image{};
  ~FreeImage() { std::free(image.Pixels); }
};

int ReadMemory(const Bytes& file, vexal::GraphImage* image) {
  Bytes exact(file);
  return vexal::LoadPngToDib(exact.data(), static_cast<uint32_t>(exact.size()), 1, 0, image, nullptr, nullptr);
}

struct PngCase {
  const char* name;
  PngSpec spec;
  int bits;  // of the picture read
  int pitch;
  std::vector<uint32_t> expected;  // row by row, as PixelAt reads them
};

// A 3 x 2 picture of each kind, with the pixels worked out by hand.
std::vector<PngCase> Cases() {
  auto spec = [](int type, int depth, std::function<Samples(int, int)> f) {
    PngSpec s;
    s.width = 3;
    s.height = 2;
    s.colorType = type;
    s.bitDepth = depth;
    s.samples = std::move(f);
    return s;
  };
  std::vector<PngCase> cases;
  cases.push_back({"RGB",
                   spec(PNG_COLOR_TYPE_RGB, 8,
                        [](int x, int y) {
                          return Samples{uint16_t(10 * x), uint16_t(100 + y), 200};
                        }),
                   24,
                   9,
                   {0x0064C8, 0x0A64C8, 0x1464C8, 0x0065C8, 0x0A65C8, 0x1465C8}});
  cases.push_back({"RGBA",
                   spec(PNG_COLOR_TYPE_RGBA, 8,
                        [](int x, int y) {
                          return Samples{0x11, 0x22, uint16_t(0x33 + x), uint16_t(0x80 * y)};
                        }),
                   32,
                   12,
                   {0x00112233, 0x00112234, 0x00112235, 0x80112233, 0x80112234, 0x80112235}});
  PngCase palette{"palette with tRNS",
                  spec(PNG_COLOR_TYPE_PALETTE, 4, [](int x, int y) { return Samples{uint16_t((x + y) % 3)}; }),
                  32,
                  12,
                  {}};
  palette.spec.palette = {0xFF0000, 0x00FF00, 0x0000FF};
  palette.spec.paletteAlpha = {0x00, 0x80};  // the third entry stays opaque
  palette.expected = {0x00FF0000, 0x8000FF00, 0xFF0000FF, 0x8000FF00, 0xFF0000FF, 0x00FF0000};
  cases.push_back(palette);
  PngCase opaquePalette = palette;
  opaquePalette.name = "palette";
  opaquePalette.spec.paletteAlpha.clear();
  opaquePalette.bits = 24;
  opaquePalette.pitch = 9;
  opaquePalette.expected = {0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00, 0x0000FF, 0xFF0000};
  cases.push_back(opaquePalette);
  cases.push_back({"grey",
                   spec(PNG_COLOR_TYPE_GRAY, 8, [](int x, int y) { return Samples{uint16_t(x * 100 + y)}; }),
                   8,
                   3,
                   {0, 100, 200, 1, 101, 201}});
  cases.push_back({"grey 1-bit",
                   spec(PNG_COLOR_TYPE_GRAY, 1, [](int x, int y) { return Samples{uint16_t((x + y) % 2)}; }),
                   8,
                   3,
                   {0, 255, 0, 255, 0, 255}});
  cases.push_back({"grey with alpha",
                   spec(PNG_COLOR_TYPE_GRAY_ALPHA, 8,
                        [](int x, int y) {
                          return Samples{uint16_t(0x40 * x), uint16_t(0xF0 + y)};
                        }),
                   32,
                   12,
                   {0xF0000000, 0xF0404040, 0xF0808080, 0xF1000000, 0xF1404040, 0xF1808080}});
  PngCase greyKey{"grey with tRNS",
                  spec(PNG_COLOR_TYPE_GRAY, 8, [](int x, int) { return Samples{uint16_t(0x20 * x)}; }),
                  32,
                  12,
                  {0x00000000, 0xFF202020, 0xFF404040, 0x00000000, 0xFF202020, 0xFF404040}};
  greyKey.spec.trnsGrey = 0;
  cases.push_back(greyKey);
  cases.push_back({"RGB 16-bit",
                   spec(PNG_COLOR_TYPE_RGB, 16,
                        [](int x, int y) {
                          return Samples{0xABCD, uint16_t(0x12FF + x), uint16_t(0x0100 * y)};
                        }),
                   24,
                   9,
                   {0xAB1200, 0xAB1300, 0xAB1300, 0xAB1201, 0xAB1301, 0xAB1301}});
  cases.push_back({"RGBA 16-bit",
                   spec(PNG_COLOR_TYPE_RGBA, 16,
                        [](int x, int) {
                          return Samples{0xFF00, 0x00FF, uint16_t(0x8000 + x), 0x7FFF};
                        }),
                   32,
                   12,
                   {0x7FFF0080, 0x7FFF0080, 0x7FFF0080, 0x7FFF0080, 0x7FFF0080, 0x7FFF0080}});
  PngCase interlaced = cases[0];
  interlaced.name = "RGB interlaced";
  interlaced.spec.interlace = true;
  cases.push_back(interlaced);
  return cases;
}

TEST(PngReader, EachKindLoadsWithThePixelsWorkedOutByHand) {
  for (const PngCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    FreeImage out;
    ASSERT_EQ(ReadMemory(nltest::WritePng(c.spec), &out.image), 0);
    EXPECT_EQ(out.image.ColorFormat.ColorBits, c.bits);
    EXPECT_EQ(out.image.ColorFormat.AlphaMask, c.bits == 32 ? 0xFF000000u : c.bits == 8 ? 0xFFu : 0u);
    EXPECT_EQ(out.image.Width, 3);
    EXPECT_EQ(out.image.Height, 2);
    EXPECT_EQ(out.image.Pitch, c.pitch);
    std::vector<uint32_t> got;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) got.push_back(nltest::PixelAt(out.image, x, y));
    EXPECT_EQ(got, c.expected);
  }
}

TEST(PngReader, ABitmapDropsTheAlphaAndPadsItsRows) {
  const std::vector<PngCase> cases = Cases();
  for (const PngCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = nltest::WritePng(c.spec);
    vexal::BitmapInfo* info = nullptr;
    uint8_t* bits = nullptr;
    ASSERT_EQ(vexal::LoadPngToDib(file.data(), static_cast<uint32_t>(file.size()), 1, 1, nullptr, &info, &bits), 0);
    EXPECT_EQ(info->bmiHeader.biBitCount, 24);
    EXPECT_EQ(info->bmiHeader.biHeight, -2);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) {
        const uint8_t* p = bits + y * 12 + x * 3;  // 9 bytes raised to 12
        uint32_t e = c.expected[y * 3 + x];
        if (c.bits == 8) e = e * 0x010101;  // grey fills every channel
        EXPECT_EQ(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16), e & 0xFFFFFF);
      }
    }
    std::free(info);
    std::free(bits);
  }
}

TEST(PngReader, BrokenFilesFailWithoutReadingPastTheirEnd) {
  const Bytes good = nltest::WritePng(Cases()[1].spec);
  // Every cut: in the signature, the header, the data and the end chunk.
  for (size_t size = 0; size < good.size(); ++size) {
    Bytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(size));
    FreeImage out;
    ASSERT_EQ(ReadMemory(cut, &out.image), -1) << "cut at " << size;
  }
  Bytes badCrc = good;
  badCrc[29] ^= 0x01;  // the header chunk's CRC
  FreeImage out;
  EXPECT_EQ(ReadMemory(badCrc, &out.image), -1);
  Bytes notPng = good;
  notPng[1] = 'Q';
  EXPECT_EQ(ReadMemory(notPng, &out.image), -1);
}

TEST(PngReader, AWidthBeyondTheLimitIsRefused) {
  PngSpec wide;
  wide.width = 40000;
  wide.colorType = PNG_COLOR_TYPE_GRAY;
  wide.samples = [](int, int) { return Samples{7}; };
  FreeImage out;
  EXPECT_EQ(ReadMemory(nltest::WritePng(wide), &out.image), -1);
}

TEST(PngReader, AFileIsReadThroughItsStreamAndLeftOpen) {
  nltest::TempDir dir;
  nltest::WriteFile(dir.File("p.png"), nltest::WritePng(Cases()[0].spec));
  std::FILE* f = plat::fs::OpenFile(dir.File("p.png"), "rb");
  ASSERT_NE(f, nullptr);
  FreeImage out;
  ASSERT_EQ(vexal::LoadPngToDib(f, 0, 0, 0, &out.image, nullptr, nullptr), 0);
  EXPECT_EQ(nltest::PixelAt(out.image, 2, 1), 0x1465C8u);
  EXPECT_EQ(std::fseek(f, 0, SEEK_SET), 0);  // still open
  std::fclose(f);
}

}  // namespace

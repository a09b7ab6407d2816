#include "vexal/graphics/pictures/image_loader_list.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/vexal/graphics/image_fixtures.h"

namespace {

using nltest::Bytes;

struct FreeImage {
  vexal::GraphImage image{};
  ~FreeImage() { std::free(image.Pixels); }
};

// 3 x 2, pixel (x, y) = 0x10 * x + y in every channel but red, which is 0x80.
Bytes SmallBmp() {
  nltest::BmpSpec spec;
  spec.width = 3;
  spec.height = 2;
  spec.pixel = [](int x, int y) { return 0x800000u | (0x0101u * (0x10u * x + y)); };
  return nltest::WriteBmp(spec);
}

Bytes SmallPng() {
  nltest::PngSpec spec;
  spec.width = 3;
  spec.height = 2;
  spec.colorType = PNG_COLOR_TYPE_RGBA;
  spec.samples = [](int x, int y) {
    return std::vector<uint16_t>{0x80, uint16_t(0x10 * x + y), uint16_t(0x10 * x + y), uint16_t(0x40 + x)};
  };
  return nltest::WritePng(spec);
}

Bytes SmallBgra() {
  Bytes pixels;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      for (uint8_t b : {uint8_t(0x10 * x + y), uint8_t(0x10 * x + y), uint8_t(0x80), uint8_t(0x40 + x)})
        pixels.push_back(b);
  return nltest::WriteBgra(vexal::kBgraDepth8, 3, 2, pixels);
}

uint32_t Expected(int x, int y, bool alpha) {
  return (alpha ? (0x40u + x) << 24 : 0) | 0x800000u | (0x0101u * (0x10u * x + y));
}

struct Source {
  const char* name;
  Bytes file;
  bool alpha;
};

std::vector<Source> Sources() {
  return {{"BMP", SmallBmp(), false}, {"PNG", SmallPng(), true}, {"BGRA", SmallBgra(), true}};
}

TEST(LoadImageByLoaderList, EachFormatLoadsFromAFileAfterTheReadersBeforeItFailed) {
  // The PNG and BGRA files are read only after the BMP reader (and for BGRA the PNG
  // reader) consumed their first bytes: each reader must start again at the beginning.
  nltest::TempDir dir;
  for (const Source& s : Sources()) {
    SCOPED_TRACE(s.name);
    const std::string path = dir.File(std::string("pic.") + s.name);
    nltest::WriteFile(path, s.file);
    FreeImage out;
    ASSERT_EQ(vexal::LoadImageByLoaderList(path, nullptr, 0, 0, 0, 0, &out.image, nullptr, nullptr), 0);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(nltest::PixelAt(out.image, x, y), Expected(x, y, s.alpha));
  }
}

TEST(LoadImageByLoaderList, MemoryAndMirrorAndBitmapFormsAgree) {
  for (const Source& s : Sources()) {
    for (int mirror : {0, 1}) {
      SCOPED_TRACE(std::string(s.name) + (mirror ? " mirrored" : ""));
      auto expected = [&](int x, int y, bool alpha) { return Expected(mirror ? 2 - x : x, y, alpha); };
      Bytes memory(s.file);
      FreeImage out;
      ASSERT_EQ(vexal::LoadImageByLoaderList("", memory.data(), static_cast<uint32_t>(memory.size()), 1, 0, mirror,
                                             &out.image, nullptr, nullptr),
                0);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(nltest::PixelAt(out.image, x, y), expected(x, y, s.alpha));

      vexal::BitmapInfo* info = nullptr;
      uint8_t* bits = nullptr;
      ASSERT_EQ(vexal::LoadImageByLoaderList("", memory.data(), static_cast<uint32_t>(memory.size()), 1, 1, mirror,
                                             nullptr, &info, &bits),
                0);
      EXPECT_EQ(info->bmiHeader.biBitCount, 24);
      EXPECT_EQ(info->bmiHeader.biWidth, 3);
      EXPECT_EQ(info->bmiHeader.biHeight, -2);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
          const uint8_t* p = bits + y * 12 + 3 * x;
          EXPECT_EQ(static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16), expected(x, y, false));
        }
      std::free(info);
      std::free(bits);
    }
  }
}

TEST(LoadImageByLoaderList, FilesOfNoKnownFormatFail) {
  nltest::TempDir dir;
  const Bytes bmp = SmallBmp();
  struct Case {
    const char* name;
    Bytes content;
  };
  const Case cases[] = {
      {"empty", {}},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!', '!', '!'}},
      {"bitmap cut short", Bytes(bmp.begin(), bmp.begin() + 40)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    nltest::WriteFile(dir.File("x.bin"), c.content);
    FreeImage out;
    EXPECT_EQ(vexal::LoadImageByLoaderList(dir.File("x.bin"), nullptr, 0, 0, 0, 0, &out.image, nullptr, nullptr), -1);
    Bytes memory = c.content;
    memory.push_back(0);  // a block of one byte at least
    EXPECT_EQ(vexal::LoadImageByLoaderList("", memory.data(), static_cast<uint32_t>(c.content.size()), 1, 0, 0,
                                           &out.image, nullptr, nullptr),
              -1);
  }
  FreeImage out;
  EXPECT_EQ(vexal::LoadImageByLoaderList(dir.File("missing.png"), nullptr, 0, 0, 0, 0, &out.image, nullptr, nullptr),
            -1);
}

TEST(LoadImageByLoaderList, GameNamesUseBackslashesAndAnyCase) {
  nltest::TempDir dir;
  std::filesystem::create_directory(dir.File("img"));
  nltest::WriteFile(dir.File("img/Pic.bmp"), SmallBmp());
  FreeImage out;
  ASSERT_EQ(
      vexal::LoadImageByLoaderList(dir.path() + "\\IMG\\pic.BMP", nullptr, 0, 0, 0, 0, &out.image, nullptr, nullptr),
      0);
  EXPECT_EQ(nltest::PixelAt(out.image, 1, 1), Expected(1, 1, false));
}

}  // namespace

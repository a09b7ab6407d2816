#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "tests/vexal/graphics/image_fixtures.h"
#include "vexal/graphics/pictures/image_loader_list.h"

namespace {

using nltest::BmpSpec;
using nltest::Bytes;

// Eight colours every layout holds exactly (each channel 0 or 255).
constexpr uint32_t kColours[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
constexpr int kWidth = 9;  // odd, and more than a byte of 1-bit pixels
constexpr int kHeight = 3;

int ColourIndex(int x, int y, int colours) { return (x + 2 * y) % colours; }

uint32_t Pack(uint32_t rgb, int bits, const uint32_t masks[3]) {
  const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  if (bits == 24) return rgb;
  // Full channels become full masks; 0 stays 0.
  return (r ? masks[0] : 0) | (g ? masks[1] : 0) | (b ? masks[2] : 0);
}

struct FreeImage {
  vexal::GraphImage image{};
  ~FreeImage() { std::free(image.Pixels); }
};

int ReadMemory(const Bytes& file, vexal::GraphImage* image) {
  Bytes exact(file);  // exactly the file's size, so a read past it is caught
  return vexal::LoadBmpToDib(exact.data(), static_cast<uint32_t>(exact.size()), 1, 0, image, nullptr, nullptr);
}

struct LayoutCase {
  const char* name;
  int bits;
  uint32_t compression;
  uint32_t masks[3];
  uint32_t headerSize;
  uint32_t clrUsed;
  int colours;  // palette entries written, or colours used by a direct layout
  bool topDown;
};

TEST(BmpReader, EveryLayoutGivesTheSameTopRowFirstPicture) {
  const LayoutCase cases[] = {
      {"1-bit", 1, 0, {}, 40, 0, 2, false},
      {"4-bit, 3 colours used", 4, 0, {}, 40, 3, 3, false},
      {"4-bit, full table", 4, 0, {}, 40, 0, 16, false},
      {"8-bit, 8 used", 8, 0, {}, 40, 8, 8, false},
      {"8-bit, 124-byte header", 8, 0, {}, 124, 8, 8, true},
      {"16-bit 5:5:5", 16, 0, {0x7C00, 0x3E0, 0x1F}, 40, 0, 8, false},
      {"16-bit 5:6:5 fields", 16, 3, {0xF800, 0x7E0, 0x1F}, 40, 0, 8, false},
      {"16-bit 5:5:5 fields, 108-byte header", 16, 3, {0x7C00, 0x3E0, 0x1F}, 108, 0, 8, true},
      {"24-bit bottom-up", 24, 0, {}, 40, 0, 8, false},
      {"24-bit top-down", 24, 0, {}, 40, 0, 8, true},
      {"24-bit, 124-byte header", 24, 0, {}, 124, 0, 8, false},
      {"32-bit", 32, 0, {0xFF0000, 0xFF00, 0xFF}, 40, 0, 8, false},
      {"32-bit fields, blue high", 32, 3, {0xFF00, 0xFF0000, 0xFF000000}, 124, 0, 8, true},
      {"24-bit, 52-byte header", 24, 0, {}, 52, 0, 8, false},
      {"24-bit, 56-byte header", 24, 0, {}, 56, 0, 8, false},
      {"24-bit, 64-byte header", 24, 0, {}, 64, 0, 8, true},
      {"16-bit 5:6:5 fields, 56-byte header", 16, 3, {0xF800, 0x7E0, 0x1F}, 56, 0, 8, false},
      {"8-bit, 64-byte header", 8, 0, {}, 64, 0, 8, false},
      // The table is read whole: biClrUsed 3 still gives the 16 entries stored.
      {"4-bit, 3 used, 16 stored", 4, 0, {}, 40, 3, 16, false},
      {"8-bit, 2 used, 8 stored", 8, 0, {}, 40, 2, 8, true},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int used = c.colours > 8 ? 8 : c.colours;
    BmpSpec spec;
    spec.bits = c.bits;
    spec.width = kWidth;
    spec.height = c.topDown ? -kHeight : kHeight;
    spec.compression = c.compression;
    spec.headerSize = c.headerSize;
    spec.clrUsed = c.clrUsed;
    std::copy(std::begin(c.masks), std::end(c.masks), spec.masks);
    if (c.bits <= 8) {
      for (int i = 0; i < c.colours; ++i) spec.palette.push_back(kColours[i % 8]);
      spec.pixel = [&](int x, int y) { return static_cast<uint32_t>(ColourIndex(x, y, used)); };
    } else {
      spec.pixel = [&](int x, int y) { return Pack(kColours[ColourIndex(x, y, used)], c.bits, c.masks); };
    }
    if (c.bits == 32 && c.compression == 0)
      spec.pixel = [&](int x, int y) { return 0x7F000000u | kColours[ColourIndex(x, y, used)]; };

    FreeImage out;
    ASSERT_EQ(ReadMemory(nltest::WriteBmp(spec), &out.image), 0);
    EXPECT_EQ(out.image.ColorFormat.ColorBits, 24);
    EXPECT_EQ(out.image.ColorFormat.RedMask, 0xFF0000u);
    EXPECT_EQ(out.image.Width, kWidth);
    EXPECT_EQ(out.image.Height, kHeight);
    EXPECT_EQ(out.image.Pitch, 28);  // 27 bytes raised to a multiple of 4
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        ASSERT_EQ(nltest::PixelAt(out.image, x, y), kColours[ColourIndex(x, y, used)]) << "x " << x << " y " << y;
  }
}

TEST(BmpReader, NarrowAndWideChannelsScaleToTheFullRange) {
  struct Case {
    const char* name;
    int bits;
    uint32_t compression;
    uint32_t masks[3];
    uint32_t stored;
    uint32_t expected;
  };
  // 5 bits: v * 255 / 31 rounded; 6 bits: v * 255 / 63 rounded; 10 bits: the top 8.
  const Case cases[] = {
      {"5:6:5 16/32/8", 16, 3, {0xF800, 0x7E0, 0x1F}, (16u << 11) | (32u << 5) | 8u, 0x848242},
      {"5:6:5 full", 16, 3, {0xF800, 0x7E0, 0x1F}, 0xFFFF, 0xFFFFFF},
      {"5:5:5 1/30/0, top bit ignored", 16, 0, {}, 0x8000 | (1u << 10) | (30u << 5), 0x08F700},
      {"10:10:10", 32, 3, {0x3FF00000, 0xFFC00, 0x3FF}, (0x3FFu << 20) | (0x200u << 10) | 0x3u, 0xFF8000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BmpSpec spec;
    spec.bits = c.bits;
    spec.compression = c.compression;
    std::copy(std::begin(c.masks), std::end(c.masks), spec.masks);
    spec.pixel = [&](int, int) { return c.stored; };
    FreeImage out;
    ASSERT_EQ(ReadMemory(nltest::WriteBmp(spec), &out.image), 0);
    EXPECT_EQ(nltest::PixelAt(out.image, 0, 0), c.expected);
  }
}

TEST(BmpReader, PixelsAreReadFromTheOffsetTheFileGives) {
  BmpSpec spec;
  spec.bits = 8;
  spec.width = 3;
  spec.palette = {0x102030, 0x405060};
  spec.gap = 37;
  spec.pixel = [](int x, int) { return static_cast<uint32_t>(x % 2); };
  FreeImage out;
  ASSERT_EQ(ReadMemory(nltest::WriteBmp(spec), &out.image), 0);
  EXPECT_EQ(nltest::PixelAt(out.image, 0, 0), 0x102030u);
  EXPECT_EQ(nltest::PixelAt(out.image, 1, 0), 0x405060u);
  EXPECT_EQ(nltest::PixelAt(out.image, 2, 0), 0x102030u);
}

TEST(BmpReader, ATableLongerThanTheRoomBeforeThePixelsIsCutThere) {
  // biClrUsed 0 claims 256 entries, but the pixels start after 2 of them.
  BmpSpec spec;
  spec.bits = 8;
  spec.width = 2;
  spec.palette = {0xABCDEF, 0x123456};
  spec.pixel = [](int x, int) { return static_cast<uint32_t>(x); };
  FreeImage out;
  ASSERT_EQ(ReadMemory(nltest::WriteBmp(spec), &out.image), 0);
  EXPECT_EQ(nltest::PixelAt(out.image, 0, 0), 0xABCDEFu);
  EXPECT_EQ(nltest::PixelAt(out.image, 1, 0), 0x123456u);
}

TEST(BmpReader, HostileHeadersAreRefused) {
  BmpSpec base;
  base.bits = 8;
  base.width = 4;
  base.height = 2;
  base.palette = {0, 0xFFFFFF};
  base.pixel = [](int, int) { return 1u; };
  const Bytes good = nltest::WriteBmp(base);
  {
    FreeImage out;
    ASSERT_EQ(ReadMemory(good, &out.image), 0);
  }
  auto set16 = [](size_t at, uint16_t v) { return [=](Bytes& b) { nltest::PutLe16(b, at, v); }; };
  auto set32 = [](size_t at, uint32_t v) { return [=](Bytes& b) { nltest::PutLe32(b, at, v); }; };
  auto cut = [](size_t size) { return [=](Bytes& b) { b.resize(size); }; };
  struct Case {
    const char* name;
    std::function<void(Bytes&)> change;
  };
  const Case cases[] = {
      {"type", set16(0, 0x5842)},
      {"header size 12", set32(14, 12)},
      {"header size 39", set32(14, 39)},
      {"header size past the pixels", set32(14, 200)},
      {"header size huge", set32(14, 0xFFFFFFFF)},
      {"width 0", set32(18, 0)},
      {"width negative", set32(18, static_cast<uint32_t>(-4))},
      {"width huge", set32(18, 0x7FFFFFFF)},
      {"height 0", set32(22, 0)},
      {"height INT_MIN", set32(22, 0x80000000u)},
      {"height huge", set32(22, 0x7FFFFFFF)},
      {"height huge top-down", set32(22, static_cast<uint32_t>(-0x7FFFFFFF))},
      {"sides in range, bits too many",
       [](Bytes& b) {
         nltest::PutLe32(b, 18, 30000);
         nltest::PutLe32(b, 22, 30000);
       }},
      {"bit count 0", set16(28, 0)},
      {"bit count 2", set16(28, 2)},
      {"bit count 64", set16(28, 64)},
      {"RLE8 whose bits have no end mark", set32(30, 1)},
      {"RLE4 at 8 bits", set32(30, 2)},
      {"bit fields at 8 bits", set32(30, 3)},
      {"JPEG", set32(30, 4)},
      {"unknown compression", set32(30, 99)},
      {"offset inside the header", set32(10, 20)},
      {"offset past the end", set32(10, 10000)},
      {"offset huge", set32(10, 0xFFFFFFFF)},
      {"cut in the file header", cut(9)},
      {"cut in the info header", cut(30)},
      {"cut in the table", cut(58)},
      {"cut in the pixels", cut(good.size() - 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    c.change(bad);
    FreeImage out;
    EXPECT_EQ(ReadMemory(bad, &out.image), -1);
    EXPECT_EQ(out.image.Pixels, nullptr);
  }
}

TEST(BmpReader, ABitmapIsHandedOutAsATopDown24BitInfo) {
  BmpSpec spec;
  spec.bits = 4;
  spec.width = 3;
  spec.height = 2;
  spec.palette = {0x112233, 0x445566};
  spec.pixel = [](int x, int y) { return static_cast<uint32_t>((x + y) % 2); };
  Bytes file = nltest::WriteBmp(spec);
  vexal::BitmapInfo* info = nullptr;
  uint8_t* bits = nullptr;
  ASSERT_EQ(vexal::LoadBmpToDib(file.data(), static_cast<uint32_t>(file.size()), 1, 1, nullptr, &info, &bits), 0);
  EXPECT_EQ(info->bmiHeader.biSize, 40u);
  EXPECT_EQ(info->bmiHeader.biWidth, 3);
  EXPECT_EQ(info->bmiHeader.biHeight, -2);
  EXPECT_EQ(info->bmiHeader.biPlanes, 1);
  EXPECT_EQ(info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(info->bmiHeader.biCompression, vexal::kBiRgb);
  // Row 0: 0x112233 0x445566 0x112233; row 1 starts 12 bytes on.
  const uint8_t expected[] = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0, 0, 0,
                              0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0, 0};
  EXPECT_EQ(Bytes(bits, bits + sizeof expected), Bytes(std::begin(expected), std::end(expected)));
  std::free(info);
  std::free(bits);
}

}  // namespace

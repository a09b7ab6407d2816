#include "vexal/graphics/pictures/dib_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/vexal/graphics/image_fixtures.h"

namespace {

using nltest::Bytes;

// An info with room for a full colour table behind the header.
struct InfoWithTable {
  vexal::BitmapInfoHeader bmiHeader;
  uint32_t colors[256];
};

InfoWithTable Info(int32_t width, int32_t height, int bits, uint32_t compression) {
  InfoWithTable i{};
  i.bmiHeader.biSize = 40;
  i.bmiHeader.biWidth = width;
  i.bmiHeader.biHeight = height;
  i.bmiHeader.biPlanes = 1;
  i.bmiHeader.biBitCount = static_cast<uint16_t>(bits);
  i.bmiHeader.biCompression = compression;
  return i;
}

const vexal::BitmapInfo* AsInfo(const InfoWithTable& i) { return reinterpret_cast<const vexal::BitmapInfo*>(&i); }

TEST(DibToGraphImage, TopDownDirectLayoutsAreDescribedInPlace) {
  struct Case {
    const char* name;
    int bits;
    uint32_t compression;
    uint32_t masks[3];
    uint8_t widths[3], shifts[3];
  };
  const Case cases[] = {
      {"16-bit plain is 5:5:5", 16, vexal::kBiRgb, {}, {5, 5, 5}, {10, 5, 0}},
      {"16-bit 5:6:5 fields", 16, vexal::kBiBitfields, {0xF800, 0x7E0, 0x1F}, {5, 6, 5}, {11, 5, 0}},
      {"24-bit plain", 24, vexal::kBiRgb, {}, {8, 8, 8}, {16, 8, 0}},
      {"32-bit fields", 32, vexal::kBiBitfields, {0xFF, 0xFF00, 0xFF0000}, {8, 8, 8}, {0, 8, 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InfoWithTable info = Info(3, -2, c.bits, c.compression);
    std::memcpy(info.colors, c.masks, sizeof c.masks);
    std::vector<uint8_t> bits(64, 0x5A);
    vexal::GraphImage image{};
    EXPECT_EQ(vexal::DibToGraphImage(AsInfo(info), bits.data(), &image, 0), 0);
    EXPECT_EQ(image.Pixels, bits.data());
    EXPECT_EQ(image.ColorFormat.ColorBits, c.bits);
    EXPECT_EQ(image.ColorFormat.BytesPerPixel, c.bits / 8);
    EXPECT_EQ(image.ColorFormat.RedWidth, c.widths[0]);
    EXPECT_EQ(image.ColorFormat.GreenWidth, c.widths[1]);
    EXPECT_EQ(image.ColorFormat.BlueWidth, c.widths[2]);
    EXPECT_EQ(image.ColorFormat.RedShift, c.shifts[0]);
    EXPECT_EQ(image.ColorFormat.GreenShift, c.shifts[1]);
    EXPECT_EQ(image.ColorFormat.BlueShift, c.shifts[2]);
    EXPECT_EQ(image.ColorFormat.AlphaMask, 0u);
    EXPECT_EQ(image.Pitch, (c.bits / 8 * 3 + 3) / 4 * 4);
    EXPECT_EQ(image.Width, 3);
    EXPECT_EQ(image.Height, 2);

    vexal::GraphImage copy{};
    EXPECT_EQ(vexal::DibToGraphImage(AsInfo(info), bits.data(), &copy, 1), 1);
    EXPECT_NE(copy.Pixels, bits.data());
    EXPECT_EQ(std::memcmp(copy.Pixels, bits.data(), static_cast<size_t>(copy.Pitch) * 2), 0);
    std::free(copy.Pixels);
  }
}

TEST(DibToGraphImage, OtherLayoutsAreDrawnInto24Bits) {
  struct Case {
    const char* name;
    int32_t height;
    int bits;
    Bytes data;  // 2 x 2
    uint32_t expected[4];
  };
  const Case cases[] = {
      {"bottom-up 24-bit",
       2,
       24,
       {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0},
       {0x090807, 0x0C0B0A, 0x030201, 0x060504}},
      {"8-bit palette", -2, 8, {0, 1, 0, 0, 1, 1, 0, 0}, {0xAABBCC, 0x112233, 0x112233, 0x112233}},
      {"32-bit plain",
       -2,
       32,
       {1, 2, 3, 0xFF, 4, 5, 6, 0xFF, 7, 8, 9, 0xFF, 10, 11, 12, 0xFF},
       {0x030201, 0x060504, 0x090807, 0x0C0B0A}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InfoWithTable info = Info(2, c.height, c.bits, vexal::kBiRgb);
    info.colors[0] = 0xAABBCC;
    info.colors[1] = 0x112233;
    info.bmiHeader.biClrUsed = 2;
    vexal::GraphImage image{};
    ASSERT_EQ(vexal::DibToGraphImage(AsInfo(info), c.data.data(), &image, 0), 1);
    EXPECT_EQ(image.ColorFormat.ColorBits, 24);
    EXPECT_EQ(image.Pitch, 8);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(nltest::PixelAt(image, i % 2, i / 2), c.expected[i]) << "pixel " << i;
    std::free(image.Pixels);
  }
}

TEST(DibToGraphImage, UnreadableLayoutsFail) {
  std::vector<uint8_t> bits(64);
  const InfoWithTable cases[] = {
      Info(2, -2, 8, vexal::kBiRle8), Info(2, -2, 4, vexal::kBiRle4),      Info(2, 0, 24, vexal::kBiRgb),
      Info(0, 2, 24, vexal::kBiRgb),  Info(2, -2, 8, vexal::kBiBitfields), Info(2, 2, 12, vexal::kBiRgb),
  };
  for (const InfoWithTable& info : cases) {
    vexal::GraphImage image{};
    EXPECT_EQ(vexal::DibToGraphImage(AsInfo(info), bits.data(), &image, 0), -1);
  }
}

TEST(GraphImageToDib, SharesOnlyA24BitPictureWithBitmapRows) {
  uint8_t packed[2 * 5 * 3];  // 5 wide, rows of 15 bytes: not a bitmap's 16
  for (size_t i = 0; i < sizeof packed; ++i) packed[i] = static_cast<uint8_t>(i + 1);
  uint8_t padded[2 * 16] = {};
  for (int y = 0; y < 2; ++y) std::memcpy(padded + 16 * y, packed + 15 * y, 15);
  uint8_t argb[2 * 5 * 4];
  for (int i = 0; i < 10; ++i) {
    std::memcpy(argb + 4 * i, packed + 3 * i, 3);
    argb[4 * i + 3] = 0x77;
  }
  vexal::GraphImage image{};
  image.Width = 5;
  image.Height = 2;
  struct Case {
    const char* name;
    uint8_t* pixels;
    int32_t pitch;
    int bits;
    int forceCopy;
    int expected;
  };
  const Case cases[] = {
      {"padded rows are shared", padded, 16, 24, 0, 0},
      {"padded rows, copy forced", padded, 16, 24, 1, 1},
      {"packed rows are copied", packed, 15, 24, 0, 1},
      {"32 bits are converted", argb, 20, 32, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.bits == 24) {
      vexal::SetPixelFormat24(&image.ColorFormat);
    } else {
      image.ColorFormat = vexal::ColorFormatRecord{32, 4, 8, 8, 8, 8, 16, 8, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    }
    image.Pixels = c.pixels;
    image.Pitch = c.pitch;
    vexal::BitmapInfo info;
    std::memset(&info, 0xCC, sizeof info);
    uint8_t* bits = nullptr;
    ASSERT_EQ(vexal::GraphImageToDib(&image, &info, &bits, c.forceCopy), c.expected);
    EXPECT_EQ(info.bmiHeader.biSize, 40u);
    EXPECT_EQ(info.bmiHeader.biWidth, 5);
    EXPECT_EQ(info.bmiHeader.biHeight, -2);
    EXPECT_EQ(info.bmiHeader.biBitCount, 24);
    EXPECT_EQ(info.bmiHeader.biCompression, vexal::kBiRgb);
    EXPECT_EQ(info.bmiColors[0], 0u);
    if (c.expected == 0) {
      EXPECT_EQ(bits, c.pixels);
    } else {
      EXPECT_EQ(Bytes(bits, bits + 32), Bytes(padded, padded + 32));
      std::free(bits);
    }
  }
}

}  // namespace

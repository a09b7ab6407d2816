#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "tests/vexal/graphics/image_fixtures.h"
#include "vexal/graphics/pictures/image_loader_list.h"

namespace {

using nltest::Bytes;

struct FreeImage {
  vexal::GraphImage image{};
  ~FreeImage() { std::free(image.Pixels); }
};

int ReadMemory(const Bytes& file, vexal::GraphImage* image) {
  Bytes exact(file);
  return vexal::LoadBgraToDib(exact.data(), static_cast<uint32_t>(exact.size()), 1, 0, image, nullptr, nullptr);
}

TEST(BgraReader, BothDepthsGive32BitPixelsWithAlpha) {
  struct Case {
    const char* name;
    uint32_t depth;
    Bytes pixels;  // 2 x 2
  };
  const Case cases[] = {
      {"8 bits",
       vexal::kBgraDepth8,
       {0x01, 0x02, 0x03, 0x04, 0x11, 0x12, 0x13, 0x14, 0x21, 0x22, 0x23, 0x24, 0x31, 0x32, 0x33, 0x34}},
      // Little-endian u16 channels: the high byte is the second of each pair.
      {"16 bits", vexal::kBgraDepth16, {0xFF, 0x01, 0x00, 0x02, 0xCD, 0x03, 0x00, 0x04, 0x00, 0x11, 0x00,
                                        0x12, 0x00, 0x13, 0x00, 0x14, 0x00, 0x21, 0x00, 0x22, 0x00, 0x23,
                                        0x00, 0x24, 0x00, 0x31, 0x00, 0x32, 0x00, 0x33, 0x00, 0x34}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FreeImage out;
    ASSERT_EQ(ReadMemory(nltest::WriteBgra(c.depth, 2, 2, c.pixels), &out.image), 0);
    EXPECT_EQ(out.image.ColorFormat.ColorBits, 32);
    EXPECT_EQ(out.image.ColorFormat.AlphaMask, 0xFF000000u);
    EXPECT_EQ(out.image.Pitch, 8);
    EXPECT_EQ(nltest::PixelAt(out.image, 0, 0), 0x04030201u);
    EXPECT_EQ(nltest::PixelAt(out.image, 1, 0), 0x14131211u);
    EXPECT_EQ(nltest::PixelAt(out.image, 0, 1), 0x24232221u);
    EXPECT_EQ(nltest::PixelAt(out.image, 1, 1), 0x34333231u);
  }
}

TEST(BgraReader, SixteenBitChannelsKeepTheirHighByte) {
  // Every channel 0xABCD.
  const Bytes pixels = {0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB, 0xCD, 0xAB};
  FreeImage out;
  ASSERT_EQ(ReadMemory(nltest::WriteBgra(vexal::kBgraDepth16, 1, 1, pixels), &out.image), 0);
  EXPECT_EQ(nltest::PixelAt(out.image, 0, 0), 0xABABABABu);
}

TEST(BgraReader, BadFilesAreRefused) {
  const Bytes good = nltest::WriteBgra(vexal::kBgraDepth8, 2, 2, Bytes(16, 0x55));
  auto set32 = [](size_t at, uint32_t v) { return [=](Bytes& b) { nltest::PutLe32(b, at, v); }; };
  struct Case {
    const char* name;
    std::function<void(Bytes&)> change;
  };
  const Case cases[] = {
      {"tag", [](Bytes& b) { b[3] = 'X'; }},
      {"depth", set32(4, 0x08080800)},
      {"width 0", set32(8, 0)},
      {"height 0", set32(12, 0)},
      {"size wraps in 32 bits",
       [](Bytes& b) {
         nltest::PutLe32(b, 8, 0x40000000);
         nltest::PutLe32(b, 12, 0x40000000);
       }},
      {"sides in range, block too large",
       [](Bytes& b) {
         nltest::PutLe32(b, 8, 30000);
         nltest::PutLe32(b, 12, 30000);
       }},
      {"short pixels", [](Bytes& b) { b.pop_back(); }},
      {"short header", [](Bytes& b) { b.resize(15); }},
      {"16-bit depth with 8-bit rows", set32(4, vexal::kBgraDepth16)},
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

TEST(BgraReader, ABitmapDropsTheAlpha) {
  Bytes file = nltest::WriteBgra(vexal::kBgraDepth8, 1, 1, {0x10, 0x20, 0x30, 0x40});
  vexal::BitmapInfo* info = nullptr;
  uint8_t* bits = nullptr;
  ASSERT_EQ(vexal::LoadBgraToDib(file.data(), static_cast<uint32_t>(file.size()), 1, 1, nullptr, &info, &bits), 0);
  EXPECT_EQ(info->bmiHeader.biBitCount, 24);
  EXPECT_EQ(info->bmiHeader.biHeight, -1);
  EXPECT_EQ(Bytes(bits, bits + 4), (Bytes{0x10, 0x20, 0x30, 0}));
  std::free(info);
  std::free(bits);
}

}  // namespace

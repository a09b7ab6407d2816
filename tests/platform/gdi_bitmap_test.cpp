#include "platform/gdi/gdi_bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

namespace pg = plat::gdi;

pg::BitmapLayout Layout(int w, int h, int bits) {
  pg::BitmapLayout l;
  l.width = w;
  l.height = h;
  l.bit_count = bits;
  return l;
}

// The bytes of row y (from the top) of a top-down section.
std::vector<uint8_t> Row(const pg::Bitmap* b, int y) {
  pg::BitmapBits s;
  EXPECT_TRUE(pg::GetBitmapBits(b, &s));
  const int bytes = s.layout.width * s.layout.bit_count / 8;
  return std::vector<uint8_t>(s.bits + y * s.pitch, s.bits + y * s.pitch + bytes);
}

TEST(GdiBitmap, EveryLayoutIsDrawnIntoATwentyFourBitSection) {
  const uint32_t palette[16] = {0x000000, 0x102030, 0xFF8040, 0x0000FF};  // (blue, green, red, 0) words
  struct Case {
    const char* name;
    pg::BitmapLayout source;
    std::vector<uint8_t> bits;  // as stored, rows padded to 4 bytes
    std::vector<uint8_t> top;   // the section's top row: blue, green, red per pixel
  };
  auto with_palette = [&](pg::BitmapLayout l) {
    l.palette = palette;
    return l;
  };
  pg::BitmapLayout fields565 = Layout(2, -1, 16);
  fields565.bit_fields = true;
  fields565.masks[0] = 0xF800;
  fields565.masks[1] = 0x07E0;
  fields565.masks[2] = 0x001F;
  const Case cases[] = {
      {"1 bit, first pixel in the high bit",
       with_palette(Layout(3, -1, 1)),
       {0b10100000, 0, 0, 0},
       {0x30, 0x20, 0x10, 0, 0, 0, 0x30, 0x20, 0x10}},
      {"4 bits", with_palette(Layout(2, -1, 4)), {0x23, 0, 0, 0}, {0x40, 0x80, 0xFF, 0xFF, 0, 0}},
      {"8 bits, an index past the table is black",
       with_palette(Layout(2, -1, 8)),
       {2, 200, 0, 0},
       {0x40, 0x80, 0xFF, 0, 0, 0}},
      {"16 bits 5:5:5, channels scaled to the full range",
       Layout(2, -1, 16),
       {0xFF, 0x7F, 0x10, 0x42},
       {255, 255, 255, 132, 132, 132}},
      {"16 bits 5:6:5 fields", fields565, {0x08, 0xFC, 0x1F, 0x00}, {66, 130, 255, 255, 0, 0}},
      {"24 bits bottom-up: the last stored row is the top", Layout(1, 2, 24), {1, 2, 3, 0, 4, 5, 6, 0}, {4, 5, 6}},
      {"32 bits", Layout(1, -1, 32), {7, 8, 9, 0xAA}, {7, 8, 9}},
  };
  for (const Case& c : cases) {
    pg::Bitmap* b = pg::CreateDibSection(Layout(c.source.width, -std::abs(c.source.height), 24));
    ASSERT_NE(b, nullptr) << c.name;
    EXPECT_TRUE(pg::SetBitsToBitmap(b, 0, 0, c.source, c.bits.data())) << c.name;
    EXPECT_EQ(Row(b, 0), c.top) << c.name;
    pg::DeleteBitmap(b);
  }
}

TEST(GdiBitmap, SectionsInBitFieldsKeepTheHighBitsOfEachChannel) {
  const uint8_t source[4] = {64, 128, 255, 0};  // one 24-bit pixel: red 255, green 128, blue 64
  struct Case {
    const char* name;
    int bits;
    uint32_t masks[3];
    uint32_t expected;
  };
  const Case cases[] = {
      {"5:6:5", 16, {0xF800, 0x07E0, 0x001F}, 0xFC08},
      {"5:5:5", 16, {0x7C00, 0x03E0, 0x001F}, 0x7E08},
      {"A8R8G8B8 colour masks", 32, {0xFF0000, 0xFF00, 0xFF}, 0xFF8040},
      {"B8G8R8 in 32 bits", 32, {0xFF00, 0xFF0000, 0xFF000000}, 0x4080FF00},
  };
  for (const Case& c : cases) {
    pg::BitmapLayout l = Layout(1, -1, c.bits);
    l.bit_fields = true;
    std::memcpy(l.masks, c.masks, sizeof c.masks);
    pg::Bitmap* b = pg::CreateDibSection(l);
    ASSERT_NE(b, nullptr) << c.name;
    ASSERT_TRUE(pg::SetBitsToBitmap(b, 0, 0, Layout(1, -1, 24), source)) << c.name;
    std::vector<uint8_t> row = Row(b, 0);
    uint32_t v = 0;
    for (size_t k = 0; k < row.size(); ++k) v |= uint32_t{row[k]} << (8 * k);
    EXPECT_EQ(v, c.expected) << c.name;
    pg::DeleteBitmap(b);
  }
}

TEST(GdiBitmap, DrawingIsClippedAndAMirroredStretchReversesRows) {
  // A 3 x 2 source, pixel value = column + 10 x row in the blue byte.
  std::vector<uint8_t> src(2 * 12, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src[y * 12 + x * 3] = static_cast<uint8_t>(x + 10 * y);
  const pg::BitmapLayout s = Layout(3, -2, 24);
  auto blues = [](const pg::Bitmap* b, int y) {
    std::vector<int> out;
    std::vector<uint8_t> row = Row(b, y);
    for (size_t i = 0; i < row.size(); i += 3) out.push_back(row[i]);
    return out;
  };

  pg::Bitmap* b = pg::CreateDibSection(Layout(3, -2, 24));
  ASSERT_TRUE(pg::StretchBitsToBitmap(b, 0, 0, 3, 2, 2, 0, -3, 2, s, src.data()));
  EXPECT_EQ(blues(b, 0), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(blues(b, 1), (std::vector<int>{12, 11, 10}));
  EXPECT_FALSE(pg::StretchBitsToBitmap(b, 0, 0, 3, 2, 0, 0, 2, 2, s, src.data()));  // no scaling

  // Placed at (2, -1): only the source's bottom-left pixel lands, at (2, 0).
  pg::Bitmap* c = pg::CreateDibSection(Layout(3, -2, 24));
  ASSERT_TRUE(pg::SetBitsToBitmap(c, 2, -1, s, src.data()));
  EXPECT_EQ(blues(c, 0), (std::vector<int>{0, 0, 10}));
  EXPECT_EQ(blues(c, 1), (std::vector<int>{0, 0, 0}));
  pg::DeleteBitmap(b);
  pg::DeleteBitmap(c);
}

TEST(GdiBitmap, CreationRefusesOtherDepthsAndCanBeMadeToFail) {
  EXPECT_EQ(pg::CreateDibSection(Layout(4, 4, 8)), nullptr);
  EXPECT_EQ(pg::CreateDibSection(Layout(4, 0, 24)), nullptr);
  EXPECT_EQ(pg::CreateDibSection(Layout(0, 4, 24)), nullptr);
  EXPECT_EQ(pg::CreateDibSection(Layout(pg::kMaxBitmapSide + 1, 1, 24)), nullptr);
  EXPECT_EQ(pg::test::LiveBitmapCount(), 0);

  pg::test::InjectBitmapFailure(pg::test::BitmapFailure::kRefuse);
  EXPECT_EQ(pg::CreateDibSection(Layout(1, 1, 24)), nullptr);
  pg::test::InjectBitmapFailure(pg::test::BitmapFailure::kNoBits);
  pg::Bitmap* empty = pg::CreateDibSection(Layout(1, 1, 24));
  ASSERT_NE(empty, nullptr);
  pg::BitmapBits bits;
  ASSERT_TRUE(pg::GetBitmapBits(empty, &bits));
  EXPECT_EQ(bits.bits, nullptr);
  const uint8_t pixel[4] = {};
  EXPECT_FALSE(pg::SetBitsToBitmap(empty, 0, 0, Layout(1, 1, 24), pixel));
  pg::Bitmap* fine = pg::CreateDibSection(Layout(1, 1, 24));
  ASSERT_NE(fine, nullptr);
  EXPECT_EQ(pg::test::LiveBitmapCount(), 2);
  pg::DeleteBitmap(empty);
  pg::DeleteBitmap(fine);
  pg::DeleteBitmap(nullptr);
  EXPECT_EQ(pg::test::LiveBitmapCount(), 0);
}

}  // namespace

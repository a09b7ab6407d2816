// Pictures as bitmaps in a chosen format: the depth table, mirroring, memory sources and
// the failures.
#include "vexal/graphics/pictures/dib_section.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi_bitmap.h"
#include "tests/vexal/app/library_fixture.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"

namespace {

// 3 x 2: (255, 128, 64) at the top left, then (1, 2, 3), (4, 5, 6); the bottom row grey.
uint32_t Sample(int x, int y) {
  static const uint32_t top[3] = {0xFF8040, 0x010203, 0x040506};
  return y == 0 ? top[x] : 0x111111u * static_cast<uint32_t>(x + 1);
}

nltest::Bytes SampleBmp() {
  nltest::BmpSpec s;
  s.width = 3;
  s.height = 2;
  s.pixel = Sample;
  return nltest::WriteBmp(s);
}

vexal::ColorFormatRecord Masks(int bits, uint32_t r, uint32_t g, uint32_t b) {
  vexal::ColorFormatRecord f{};
  f.ColorBits = static_cast<uint8_t>(bits);
  f.BytesPerPixel = static_cast<uint8_t>(bits / 8);
  f.RedMask = r;
  f.GreenMask = g;
  f.BlueMask = b;
  return f;
}

// Pixel (x, y) of a top-down bitmap, its bytes read little-endian.
uint32_t DibPixel(vexal::DibHandle dib, int x, int y) {
  vexal::DibSection s;
  EXPECT_EQ(vexal::GetDibSectionInfo(dib, &s), 0);
  const int bytes = s.bits_per_pixel / 8;
  const int pitch = (s.width * bytes + 3) & ~3;
  uint32_t v = 0;
  for (int k = 0; k < bytes; ++k) v |= uint32_t{s.pixels[y * pitch + x * bytes + k]} << (8 * k);
  return v;
}

class DibSectionTest : public apptest::LibraryTest {
 protected:
  void Start() {
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
  }
};

TEST_F(DibSectionTest, TheFormatChoosesTheDepth) {
  nltest::WriteFile(dir_.File("pic.bmp"), SampleBmp());
  vexal::ColorFormatRecord f24{};
  vexal::SetPixelFormat24(&f24);
  struct Case {
    const char* name;
    bool has_format;
    vexal::ColorFormatRecord format;
    int bits;
    uint32_t top_left;
    int format_bits_after;
  };
  const Case cases[] = {
      {"no format: 24 bits", false, {}, 24, 0xFF8040, 0},
      {"5:6:5", true, Masks(16, 0xF800, 0x07E0, 0x001F), 16, 0xFC08, 16},
      {"5:5:5", true, Masks(16, 0x7C00, 0x03E0, 0x001F), 16, 0x7E08, 16},
      {"32 bits become 24 and so does the format", true, Masks(32, 0xFF0000, 0xFF00, 0xFF), 24, 0xFF8040, 24},
      {"24 bits", true, f24, 24, 0xFF8040, 24},
  };
  for (const Case& c : cases) {
    vexal::ColorFormatRecord format = c.format;
    vexal::DibHandle dib = vexal::CreateDIBGraph("PIC.BMP", nullptr, 0, 0, 0, c.has_format ? &format : nullptr);
    ASSERT_NE(dib, nullptr) << c.name;
    vexal::DibSection s;
    ASSERT_EQ(vexal::GetDibSectionInfo(dib, &s), 0);
    EXPECT_EQ(std::tuple(s.width, s.height, s.bits_per_pixel), std::tuple(3, -2, c.bits)) << c.name;
    EXPECT_EQ(DibPixel(dib, 0, 0), c.top_left) << c.name;
    if (c.has_format) {
      EXPECT_EQ(format.ColorBits, c.format_bits_after) << c.name;
      EXPECT_EQ(format.RedMask, c.format.RedMask) << c.name;
    }
    EXPECT_EQ(vexal::DeleteDibSection(dib), 0);
  }
  EXPECT_EQ(vexal::LiveDibSectionCount(), 0);
  EXPECT_EQ(plat::gdi::test::LiveBitmapCount(), 0);
}

TEST_F(DibSectionTest, MirroredAndFromMemoryTheRowsStayTopFirst) {
  const nltest::Bytes bmp = SampleBmp();
  vexal::DibHandle dib = vexal::CreateDIBGraph(nullptr, bmp.data(), static_cast<int>(bmp.size()), 1, 1, nullptr);
  ASSERT_NE(dib, nullptr);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(DibPixel(dib, x, y), Sample(2 - x, y)) << x << "," << y;
  }
  vexal::DeleteDibSection(dib);

  nltest::PngSpec png;
  png.width = 2;
  png.samples = [](int x, int) { return std::vector<uint16_t>{static_cast<uint16_t>(x ? 9 : 200), 7, 5}; };
  const nltest::Bytes p = nltest::WritePng(png);
  dib = vexal::CreateDIBGraph(nullptr, p.data(), static_cast<int>(p.size()), 1, 0, nullptr);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(DibPixel(dib, 0, 0), 0xC80705u);
  EXPECT_EQ(DibPixel(dib, 1, 0), 0x090705u);
  vexal::DeleteDibSection(dib);
  EXPECT_EQ(vexal::CreateDIBGraph(nullptr, p.data(), static_cast<int>(p.size()) - 20, 1, 0, nullptr), nullptr);
  EXPECT_EQ(vexal::CreateDIBGraph(nullptr, p.data(), -1, 1, 0, nullptr), nullptr);
}

TEST_F(DibSectionTest, APictureAlreadyInMemoryKeepsItsOwnerAndMayGiveBitFields) {
  // A 2 x 1 bitmap of 8 bits with a two-entry colour table.
  struct {
    vexal::BitmapInfoHeader header;
    uint32_t colors[2];
  } info{};
  info.header.biSize = 40;
  info.header.biWidth = 2;
  info.header.biHeight = 1;
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  info.header.biClrUsed = 2;
  info.colors[0] = 0xFF8040;
  info.colors[1] = 0x102030;
  const uint8_t bits[4] = {1, 0, 0xEE, 0xEE};
  const auto* as_info = reinterpret_cast<const vexal::BitmapInfo*>(&info);

  vexal::ColorFormatRecord x8r8g8b8 = Masks(32, 0xFF0000, 0xFF00, 0xFF);
  vexal::DibHandle dib = vexal::CreateDIBInFormat(as_info, bits, 0, &x8r8g8b8);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(x8r8g8b8.ColorBits, 32);  // a picture of other than 24 bits keeps the format
  EXPECT_EQ(DibPixel(dib, 0, 0), 0x102030u);
  EXPECT_EQ(DibPixel(dib, 1, 0), 0xFF8040u);
  vexal::DeleteDibSection(dib);

  vexal::ColorFormatRecord r5g6b5 = Masks(16, 0xF800, 0x07E0, 0x001F);
  dib = vexal::CreateDIBInFormat(as_info, bits, 1, &r5g6b5);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(DibPixel(dib, 0, 0), 0xFC08u);  // mirrored
  vexal::DeleteDibSection(dib);

  info.header.biBitCount = 24;
  info.header.biClrUsed = 0;
  const uint8_t rgb[8] = {1, 2, 3, 4, 5, 6, 0, 0};
  dib = vexal::CreateDIBInFormat(as_info, rgb, 0, &x8r8g8b8);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(x8r8g8b8.ColorBits, 24);
  EXPECT_EQ(DibPixel(dib, 1, 0), 0x060504u);
  vexal::DeleteDibSection(dib);
  EXPECT_EQ(vexal::LiveDibSectionCount(), 0);
}

TEST_F(DibSectionTest, FailuresGiveNullAndLeakNothing) {
  Start();
  nltest::WriteFile(dir_.File("pic.bmp"), SampleBmp());
  EXPECT_EQ(vexal::CreateDIBGraph("none.bmp", nullptr, 0, 0, 0, nullptr), nullptr);
  vexal::ColorFormatRecord eight{};
  vexal::SetPixelFormat8(&eight);
  EXPECT_EQ(vexal::CreateDIBGraph("pic.bmp", nullptr, 0, 0, 0, &eight), nullptr);
  plat::gdi::test::InjectBitmapFailure(plat::gdi::test::BitmapFailure::kRefuse);
  EXPECT_EQ(vexal::CreateDIBGraph("pic.bmp", nullptr, 0, 0, 0, nullptr), nullptr);
  int refusals = 0;
  for (const std::string& line : LogLines()) refusals += line.find("ＤＩＢの作成に失敗しました3") != std::string::npos;
  EXPECT_EQ(refusals, 2);
  EXPECT_EQ(plat::gdi::test::LiveBitmapCount(), 0);

  vexal::DibSection someone_elses{1, 1, 24, nullptr};
  EXPECT_EQ(vexal::DeleteDibSection(&someone_elses), -1);
  EXPECT_EQ(vexal::DeleteDibSection(nullptr), -1);
  EXPECT_EQ(vexal::GetDibSectionInfo(nullptr, &someone_elses), -1);

  // Only the dying copy takes the failure.
  EXPECT_EXIT(
      {
        plat::gdi::test::InjectBitmapFailure(plat::gdi::test::BitmapFailure::kNoBits);
        vexal::CreateDIBGraph("pic.bmp", nullptr, 0, 0, 0, nullptr);
      },
      ::testing::ExitedWithCode(255), "");
}

}  // namespace

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/surface/presentation.h"

namespace {

namespace pp = plat::presentation;

// A one-row picture of the given raw pixels, shown whole.
std::vector<uint8_t> RgbOf(const plat::PixelFormat& format, const std::vector<uint32_t>& pixels,
                           const plat::PaletteEntry* palette = nullptr) {
  const int b = plat::BytesPerPixel(format);
  std::vector<uint8_t> row(pixels.size() * b);
  for (size_t i = 0; i < pixels.size(); ++i) {
    for (int k = 0; k < b; ++k) row[i * b + k] = static_cast<uint8_t>(pixels[i] >> (8 * k));
  }
  pp::Picture p;
  p.pixels = row.data();
  p.pitch = static_cast<int32_t>(row.size());
  p.width = static_cast<int>(pixels.size());
  p.height = 1;
  p.format = format;
  p.palette = palette;
  p.view_width = p.width;
  p.view_height = 1;
  return pp::PictureToRgb(p);
}

TEST(PresentedPicture, ChannelsAreStretchedToEightBitsTruncated) {
  // v * 255 / (2^width - 1): 5-bit 16 -> 131, 6-bit 32 -> 129, 5-bit 1 -> 8, 6-bit 1 -> 4.
  EXPECT_EQ(RgbOf(plat::kFormatRgb565, {0xF800, 0x0400, 0x0821, 0xFFFF, 0x8410}),
            (std::vector<uint8_t>{255, 0, 0, 0, 129, 0, 8, 4, 8, 255, 255, 255, 131, 129, 131}));
  // The top bit of 5:5:5 belongs to no channel.
  EXPECT_EQ(RgbOf(plat::kFormatRgb555, {0x7FFF, 0x4210, 0x8000, 0x001F}),
            (std::vector<uint8_t>{255, 255, 255, 131, 131, 131, 0, 0, 0, 0, 0, 255}));
  EXPECT_EQ(RgbOf(plat::kFormatXrgb8888, {0xFF123456, 0x00FFFFFF}),
            (std::vector<uint8_t>{0x12, 0x34, 0x56, 255, 255, 255}));
}

TEST(PresentedPicture, EightBitPixelsTakeThePaletteOrAGreyRamp) {
  std::array<plat::PaletteEntry, 256> palette{};
  palette[3] = {10, 20, 30, 0};
  palette[255] = {1, 2, 3, 0};
  EXPECT_EQ(RgbOf(plat::kFormatPalette8, {3, 255, 0}, palette.data()),
            (std::vector<uint8_t>{10, 20, 30, 1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(RgbOf(plat::kFormatPalette8, {3, 200}), (std::vector<uint8_t>{3, 3, 3, 200, 200, 200}));
}

TEST(PresentedPicture, AViewReachingOutsideThePrimaryIsBlackThere) {
  const uint32_t px[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};  // 2 x 2
  pp::Picture p;
  p.pixels = reinterpret_cast<const uint8_t*>(px);
  p.pitch = 8;
  p.width = 2;
  p.height = 2;
  p.format = plat::kFormatXrgb8888;
  p.view_x = -1;
  p.view_y = 1;
  p.view_width = 4;
  p.view_height = 2;
  const std::vector<uint8_t> want = {
      0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0,  // row 1 of the primary
      0, 0, 0, 0, 0, 0,   0,   0,   0,   0, 0, 0,  // below it
  };
  EXPECT_EQ(pp::PictureToRgb(p), want);
}

TEST(PresentedPicture, FitKeepsTheAspectAndCentres) {
  struct Row {
    int pw, ph, ow, oh;
    pp::ViewRect want;
  };
  const Row rows[] = {
      {320, 240, 640, 480, {0, 0, 640, 480}},
      {320, 240, 1920, 1080, {240, 0, 1440, 1080}},
      {320, 240, 1000, 1000, {0, 125, 1000, 750}},
      {640, 480, 333, 1000, {0, 375, 333, 249}},  // 480 * 333 / 640 = 249.75
      {320, 240, 0, 480, {0, 0, 0, 0}},
  };
  for (const Row& r : rows) {
    pp::ViewRect got = pp::FitPicture(r.pw, r.ph, r.ow, r.oh);
    EXPECT_EQ(got.x, r.want.x) << r.ow << "x" << r.oh;
    EXPECT_EQ(got.y, r.want.y) << r.ow << "x" << r.oh;
    EXPECT_EQ(got.width, r.want.width) << r.ow << "x" << r.oh;
    EXPECT_EQ(got.height, r.want.height) << r.ow << "x" << r.oh;
  }
}

TEST(CaptureFrameList, ParsesNumbersAndRangesAndNothingElse) {
  using Ranges = std::vector<std::pair<uint64_t, uint64_t>>;
  auto list = pp::ParseFrameList("1,50,100-120");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->ranges, (Ranges{{1, 1}, {50, 50}, {100, 120}}));
  for (uint64_t f : {1, 50, 100, 110, 120}) EXPECT_TRUE(list->Contains(f)) << f;
  for (uint64_t f : {0, 2, 49, 99, 121}) EXPECT_FALSE(list->Contains(f)) << f;
  EXPECT_EQ(pp::ParseFrameList("7-7")->ranges, (Ranges{{7, 7}}));

  const char* bad[] = {
      "", "0", "3-2", "1,,2", "1,", ",1", " 1", "1 ", "a", "1-", "-4", "2-x", "99999999999999999999999"};
  for (const char* text : bad) EXPECT_FALSE(pp::ParseFrameList(text)) << '"' << text << '"';
}

TEST(CaptureFrameList, FileNamesHaveSixDigitsOrMore) {
  EXPECT_EQ(pp::FrameFileName("out", 1), "out/frame-000001.png");
  EXPECT_EQ(pp::FrameFileName("/tmp/x", 123456), "/tmp/x/frame-123456.png");
  EXPECT_EQ(pp::FrameFileName("d", 1234567), "d/frame-1234567.png");
}

}  // namespace

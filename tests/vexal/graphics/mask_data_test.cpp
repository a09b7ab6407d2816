// Mask data records: the table of 512, filling them from bitmaps and loading them from
// picture files.
#include "vexal/graphics/mask/mask_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/vexal/app/library_fixture.h"
#include "tests/vexal/graphics/image_fixtures.h"

namespace {

using vexal::MaskDataTable;

// A 24-bit bitmap of width x height whose blue byte at picture (x, y), counted from the
// top row, is 10 y + x + 1 (so 0 means not written); green and red hold 0xEE. Rows are 4-byte padded, stored top row
// first or bottom row first.
struct Bitmap {
  std::vector<uint8_t> bytes;
  vexal::DibSection dib;
  Bitmap(int width, int height, bool top_down) {
    const int row = (width * 3 + 3) / 4 * 4;
    bytes.assign(static_cast<size_t>(row) * height, 0x55);
    for (int y = 0; y < height; ++y) {
      uint8_t* p = bytes.data() + (top_down ? y : height - 1 - y) * row;
      for (int x = 0; x < width; ++x) {
        p[x * 3] = static_cast<uint8_t>(10 * y + x + 1);
        p[x * 3 + 1] = p[x * 3 + 2] = 0xEE;
      }
    }
    dib = {width, top_down ? -height : height, 24, bytes.data()};
  }
};

std::vector<int> Row(int handle, int y) {
  const vexal::MaskDataRecord& r = MaskDataTable[handle];
  return std::vector<int>(r.Bytes.begin() + y * r.Pitch, r.Bytes.begin() + y * r.Pitch + r.Width);
}

// Every case starts from an empty table.
class MaskDataTest : public apptest::LibraryTest {};

TEST_F(MaskDataTest, RecordsAreHandedOutLowestFirstUpTo512) {
  struct Bad {
    int width, height;
  };
  for (const Bad& bad : {Bad{0, 1}, Bad{1, 0}, Bad{-3, 2}, Bad{16385, 1}, Bad{1, 16385}}) {
    EXPECT_EQ(vexal::CreateMaskData(bad.width, bad.height), -1) << bad.width << " x " << bad.height;
  }
  ASSERT_EQ(vexal::CreateMaskData(5, 3), 0);
  const vexal::MaskDataRecord& first = MaskDataTable[0];
  EXPECT_EQ(first.Pitch, 8);
  EXPECT_EQ(first.Width, 5);
  EXPECT_EQ(first.Height, 3);
  EXPECT_EQ(first.Bytes, std::vector<uint8_t>(24, 0));
  for (int i = 1; i < vexal::kMaskDataMax; ++i) ASSERT_EQ(vexal::CreateMaskData(1, 1), i);
  EXPECT_EQ(vexal::CreateMaskData(1, 1), -1);
  EXPECT_EQ(vexal::CreateMaskData(1, 1), -1);

  vexal::ReleaseAllMaskData();
  EXPECT_EQ(vexal::CreateMaskData(16384, 1), 0);
}

TEST_F(MaskDataTest, BitmapsGiveTheirBlueBytesTopRowFirstInEitherOrientation) {
  for (const bool top_down : {true, false}) {
    vexal::ReleaseAllMaskData();
    const Bitmap bitmap(3, 3, top_down);
    const int whole = vexal::CreateMaskData(3, 3);
    ASSERT_EQ(vexal::CopyBitmapToMaskData(&bitmap.dib, 0, 0, whole), 0);
    EXPECT_EQ(Row(whole, 0), (std::vector<int>{1, 2, 3})) << top_down;
    EXPECT_EQ(Row(whole, 2), (std::vector<int>{21, 22, 23})) << top_down;

    // From (1, 1) into a larger record: only what the bitmap covers is read.
    const int larger = vexal::CreateMaskData(4, 4);
    ASSERT_EQ(vexal::CopyBitmapToMaskData(&bitmap.dib, 1, 1, larger), 0);
    EXPECT_EQ(Row(larger, 0), (std::vector<int>{12, 13, 0, 0})) << top_down;
    EXPECT_EQ(Row(larger, 1), (std::vector<int>{22, 23, 0, 0})) << top_down;
    EXPECT_EQ(Row(larger, 2), (std::vector<int>{0, 0, 0, 0})) << top_down;

    // A start left of and above the picture.
    const int shifted = vexal::CreateMaskData(2, 2);
    ASSERT_EQ(vexal::CopyBitmapToMaskData(&bitmap.dib, -1, -1, shifted), 0);
    EXPECT_EQ(Row(shifted, 0), (std::vector<int>{0, 0})) << top_down;
    EXPECT_EQ(Row(shifted, 1), (std::vector<int>{0, 1})) << top_down;
  }
  const Bitmap bitmap(2, 2, true);
  for (const int handle : {-1, 7, 512}) EXPECT_EQ(vexal::CopyBitmapToMaskData(&bitmap.dib, 0, 0, handle), -1);
  EXPECT_EQ(vexal::CopyBitmapToMaskData(nullptr, 0, 0, 0), -1);
}

TEST_F(MaskDataTest, LoadingMapsTheTopPictureRowToRowZeroAndAlwaysFreesTheBitmap) {
  nltest::TempDir dir;
  // A PNG and a BMP stored bottom row first; the blue channel is 10 y + x + 1.
  nltest::PngSpec png;
  png.width = 4, png.height = 2;
  png.samples = [](int x, int y) { return std::vector<uint16_t>{0xEE, 0xEE, static_cast<uint16_t>(10 * y + x + 1)}; };
  nltest::WriteFile(dir.File("sc0.png"), nltest::WritePng(png));
  nltest::BmpSpec bmp;
  bmp.width = 4, bmp.height = 2;
  bmp.pixel = [](int x, int y) { return 0xEEEE00u | static_cast<uint32_t>(10 * y + x + 1); };
  nltest::WriteFile(dir.File("sc1.bmp"), nltest::WriteBmp(bmp));

  int expected_handle = 0;
  for (const char* name : {"sc0.png", "sc1.bmp"}) {
    const int handle = vexal::LoadMaskData(dir.File(name).c_str());
    ASSERT_EQ(handle, expected_handle++) << name;
    EXPECT_EQ(MaskDataTable[handle].Width, 4) << name;
    EXPECT_EQ(MaskDataTable[handle].Height, 2) << name;
    EXPECT_EQ(Row(handle, 0), (std::vector<int>{1, 2, 3, 4})) << name;
    EXPECT_EQ(Row(handle, 1), (std::vector<int>{11, 12, 13, 14})) << name;
  }
  EXPECT_EQ(vexal::LiveDibSectionCount(), 0);

  EXPECT_EQ(vexal::LoadMaskData(dir.File("missing.png").c_str()), -1);
  for (int i = expected_handle; i < vexal::kMaskDataMax; ++i) ASSERT_EQ(vexal::CreateMaskData(1, 1), i);
  EXPECT_EQ(vexal::LoadMaskData(dir.File("sc0.png").c_str()), -1);  // table full
  EXPECT_EQ(vexal::LiveDibSectionCount(), 0);
}

}  // namespace

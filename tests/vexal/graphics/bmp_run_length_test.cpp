// Run-length coded bitmaps (8 and 4 bits a pixel): streams coded by hand here, loaded
// through every path that reads bitmaps, against the pictures worked out from the codes;
// and the streams that are refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/vexal/graphics/graph_pixels.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/drawing/graphics_seam.h"
#include "vexal/graphics/pictures/dib_section.h"
#include "vexal/graphics/pictures/image_loader_list.h"

namespace {

using nltest::Bytes;

constexpr uint32_t kRle8 = vexal::kBiRle8;
constexpr uint32_t kRle4 = vexal::kBiRle4;
constexpr int kBlack = -1;  // a pixel the stream passes over

// Colour-table entries (0x00RRGGBB); entry 0 is not black, so a pixel passed over (black)
// and a run of index 0 differ.
const std::vector<uint32_t> kPalette = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF,
                                        0x808080, 0x400000, 0x004000, 0x000040, 0x404000, 0x004040, 0x400040,
                                        0xC0C0C0, 0xFFFFFF};

// A bitmap file: the two headers, the colour table, the stream. biSizeImage is the
// stream's length unless given.
Bytes RleFile(int32_t width, int32_t height, uint32_t compression, const Bytes& stream,
              std::optional<uint32_t> size_image = std::nullopt) {
  const int bits = compression == kRle8 ? 8 : 4;
  const size_t entries = bits == 8 ? kPalette.size() : 16;
  const size_t off = 14 + 40 + entries * 4;
  Bytes b(off + stream.size(), 0);
  b[0] = 'B';
  b[1] = 'M';
  nltest::PutLe32(b, 2, static_cast<uint32_t>(b.size()));
  nltest::PutLe32(b, 10, static_cast<uint32_t>(off));
  nltest::PutLe32(b, 14, 40);
  nltest::PutLe32(b, 18, static_cast<uint32_t>(width));
  nltest::PutLe32(b, 22, static_cast<uint32_t>(height));
  nltest::PutLe16(b, 26, 1);
  nltest::PutLe16(b, 28, static_cast<uint16_t>(bits));
  nltest::PutLe32(b, 30, compression);
  nltest::PutLe32(b, 34, size_image.value_or(static_cast<uint32_t>(stream.size())));
  nltest::PutLe32(b, 46, static_cast<uint32_t>(entries));
  for (size_t i = 0; i < entries; ++i) nltest::PutLe32(b, 54 + 4 * i, kPalette[i]);
  std::copy(stream.begin(), stream.end(), b.begin() + static_cast<ptrdiff_t>(off));
  return b;
}

// The info and colour table of a file, copied out to where a BitmapInfo may lie.
struct InfoCopy {
  std::vector<uint32_t> words;
  explicit InfoCopy(const Bytes& file) : words((file.size() - 14 + 3) / 4) {
    std::memcpy(words.data(), file.data() + 14, file.size() - 14);
  }
  const vexal::BitmapInfo* get() const { return reinterpret_cast<const vexal::BitmapInfo*>(words.data()); }
};

// The picture a file should give: a colour-table index per pixel, top row first, or kBlack.
struct Expected {
  int width, height;
  std::vector<int> index;
  uint32_t At(int x, int y) const {
    const int i = index[static_cast<size_t>(y * width + x)];
    return i == kBlack ? 0 : kPalette[static_cast<size_t>(i)];
  }
};

// 5 x 4, rows coded bottom first:
//   bottom row: 2 of index 1; then 3 as they stand (2, 3, 4), one byte of padding; end of row
//   next row:   1 of index 2; a move 2 right and 1 up, to (3, row 2)
//   row 2:      2 of index 3 from x = 3; end of row
//   top row:    4 as they stand (1, 2, 3, 4), no padding; end of bitmap (x = 4 stays black)
const Bytes kStream8 = {2, 1, 0, 3, 2, 3, 4, 0, 0, 0, 1, 2, 0, 2, 2, 1, 2, 3, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1};
const Expected kPicture8{5, 4, {1, 2, 3, 4, kBlack,                      // top
                                kBlack, kBlack, kBlack, 3, 3,            //
                                2, kBlack, kBlack, kBlack, kBlack,       //
                                1, 1, 2, 3, 4}};                         // bottom

// 7 x 3 at 4 bits:
//   bottom row: 5 from 0x12 (1, 2, 1, 2, 1); 2 from 0x34 (3, 4); end of row
//   middle row: 5 as they stand in 0x12 0x34 0x50, one byte of padding; a move 1 right and
//               1 up, to (6, top row)
//   top row:    1 from 0x60 (6); end of bitmap
const Bytes kStream4 = {5, 0x12, 2, 0x34, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 2, 1, 1, 1, 0x60, 0, 1};
const Expected kPicture4{7, 3, {kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, 6,  // top
                                1, 2, 3, 4, 5, kBlack, kBlack,                      //
                                1, 2, 1, 2, 1, 3, 4}};                              // bottom

struct FreeImage {
  vexal::GraphImage image{};
  ~FreeImage() { std::free(image.Pixels); }
};

void ExpectPicture(const vexal::GraphImage& image, const Expected& e, const std::string& what) {
  ASSERT_EQ(image.Width, e.width) << what;
  ASSERT_EQ(image.Height, e.height) << what;
  EXPECT_EQ(image.ColorFormat.ColorBits, 24) << what;
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      ASSERT_EQ(nltest::PixelAt(image, x, y), e.At(x, y)) << what << " at " << x << "," << y;
}

// The bits of a top-down 24-bit bitmap as a picture.
vexal::GraphImage DibAsImage(const vexal::BitmapInfo* info, uint8_t* bits) {
  vexal::GraphImage image{};
  vexal::SetPixelFormat24(&image.ColorFormat);
  image.Width = info->bmiHeader.biWidth;
  image.Height = -info->bmiHeader.biHeight;
  image.Pitch = static_cast<int32_t>(vexal::DibRowBytes(image.Width, 24));
  image.Pixels = bits;
  return image;
}

struct Coded {
  const char* name;
  uint32_t compression;
  const Bytes* stream;
  const Expected* picture;
};
const Coded kCoded[] = {{"RLE8", kRle8, &kStream8, &kPicture8}, {"RLE4", kRle4, &kStream4, &kPicture4}};

int LoadFromMemory(const Bytes& file, int want_dib, vexal::GraphImage* image, vexal::BitmapInfo** info,
                   uint8_t** bits) {
  return vexal::LoadImageByLoaderList("", file.data(), static_cast<uint32_t>(file.size()), 1, want_dib, 0, image,
                                      info, bits);
}

TEST(BmpRunLength, CodedFilesGiveTheirPicturesAsImagesAndAsBitmaps) {
  for (const Coded& c : kCoded) {
    const Expected& e = *c.picture;
    // biSizeImage as written, and 0 (the stream then runs to the end of the file).
    for (const std::optional<uint32_t> size_image : {std::optional<uint32_t>{}, std::optional<uint32_t>{0}}) {
      const std::string what = std::string(c.name) + (size_image ? " without a size" : "");
      const Bytes file = RleFile(e.width, e.height, c.compression, *c.stream, size_image);
      FreeImage out;
      ASSERT_EQ(LoadFromMemory(file, 0, &out.image, nullptr, nullptr), 0) << what;
      ExpectPicture(out.image, e, what);

      vexal::BitmapInfo* info = nullptr;
      uint8_t* bits = nullptr;
      ASSERT_EQ(LoadFromMemory(file, 1, nullptr, &info, &bits), 0) << what;
      EXPECT_EQ(info->bmiHeader.biCompression, vexal::kBiRgb);
      EXPECT_EQ(info->bmiHeader.biBitCount, 24);
      ExpectPicture(DibAsImage(info, bits), e, what + " as a bitmap");
      std::free(info);
      std::free(bits);
    }
    // Mirrored: each row reversed.
    FreeImage mirrored;
    const Bytes file = RleFile(e.width, e.height, c.compression, *c.stream);
    ASSERT_EQ(vexal::LoadImageByLoaderList("", file.data(), static_cast<uint32_t>(file.size()), 1, 0, 1,
                                           &mirrored.image, nullptr, nullptr),
              0);
    for (int y = 0; y < e.height; ++y)
      for (int x = 0; x < e.width; ++x)
        ASSERT_EQ(nltest::PixelAt(mirrored.image, x, y), e.At(e.width - 1 - x, y)) << c.name << " mirrored";
  }
}

// Streams that leave the picture or end early: refused, nothing handed out.
TEST(BmpRunLength, RunsOutOfThePictureAndCutStreamsAreRefused) {
  struct Case {
    const char* name;
    uint32_t compression;
    Bytes stream;
    std::optional<uint32_t> size_image;
  };
  // All on the 5 x 4 picture at 8 bits, or 7 x 3 at 4 bits.
  const Case cases[] = {
      {"run past the row end", kRle8, {6, 1, 0, 1}, {}},
      {"run past the row end after a run", kRle8, {3, 1, 3, 2, 0, 1}, {}},
      {"run as they stand past the row end", kRle8, {0, 6, 1, 1, 1, 1, 1, 1, 0, 1}, {}},
      {"run past the last row", kRle8, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1}, {}},
      {"run as they stand past the last row", kRle8, {0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 1, 1, 1, 0, 0, 1}, {}},
      {"move past the row end", kRle8, {2, 1, 0, 2, 4, 0, 0, 1}, {}},
      {"move past the last row", kRle8, {0, 2, 0, 4, 0, 1}, {}},
      {"move onto the row past the last", kRle8, {0, 0, 0, 0, 0, 2, 0, 2, 0, 1}, {}},
      {"no end mark", kRle8, {5, 1, 0, 0}, {}},
      {"cut in a pair", kRle8, {5, 1, 0}, {}},
      {"cut in a move", kRle8, {0, 2, 1}, {}},
      {"cut in a run as they stand", kRle8, {0, 4, 1, 2, 3}, {}},
      {"cut before the padding", kRle8, {0, 3, 1, 2, 3}, {}},
      {"cut by the stated size", kRle8, kStream8, static_cast<uint32_t>(kStream8.size() - 2)},
      {"empty", kRle8, {}, {}},
      {"4 bits: run past the row end", kRle4, {8, 0x12, 0, 1}, {}},
      {"4 bits: run as they stand past the row end", kRle4, {0, 8, 0x12, 0x34, 0x56, 0x78, 0, 1}, {}},
      {"4 bits: run past the last row", kRle4, {0, 0, 0, 0, 0, 0, 1, 0x11, 0, 1}, {}},
      {"4 bits: move out of the picture", kRle4, {0, 2, 8, 0, 0, 1}, {}},
      {"4 bits: cut in a run as they stand", kRle4, {0, 5, 0x12, 0x34}, {}},
  };
  for (const Case& c : cases) {
    const int w = c.compression == kRle8 ? 5 : 7, h = c.compression == kRle8 ? 4 : 3;
    const Bytes file = RleFile(w, h, c.compression, c.stream, c.size_image);
    FreeImage out;
    EXPECT_EQ(LoadFromMemory(file, 0, &out.image, nullptr, nullptr), -1) << c.name;
    EXPECT_EQ(out.image.Pixels, nullptr) << c.name;
    vexal::BitmapInfo* info = nullptr;
    uint8_t* bits = nullptr;
    EXPECT_EQ(LoadFromMemory(file, 1, nullptr, &info, &bits), -1) << c.name;
    EXPECT_EQ(info, nullptr) << c.name;
  }
  // The codes are read as stored: a top-down coded bitmap, or a code of the other depth,
  // is refused.
  Bytes top_down = RleFile(5, 4, kRle8, kStream8);
  nltest::PutLe32(top_down, 22, static_cast<uint32_t>(-4));
  Bytes rle4_at_8 = RleFile(5, 4, kRle8, kStream8);
  nltest::PutLe32(rle4_at_8, 30, kRle4);
  for (const Bytes* file : {&top_down, &rle4_at_8}) {
    FreeImage out;
    EXPECT_EQ(LoadFromMemory(*file, 0, &out.image, nullptr, nullptr), -1);
  }
}

// A coded bitmap already in memory (its info, colour table and stream of biSizeImage
// bytes) is drawn into 24 bits like any other layout.
TEST(BmpRunLength, InMemoryCodedBitmapsAreDrawnInto24Bits) {
  for (const Coded& c : kCoded) {
    const Bytes file = RleFile(c.picture->width, c.picture->height, c.compression, *c.stream);
    const InfoCopy info(file);
    const uint8_t* bits = file.data() + (file.size() - c.stream->size());
    FreeImage out;
    ASSERT_EQ(vexal::DibToGraphImage(info.get(), bits, &out.image, 0), 1) << c.name;
    ExpectPicture(out.image, *c.picture, c.name);

    // No stated length, or a stream that runs out of the picture: -1.
    Bytes unsized = file;
    nltest::PutLe32(unsized, 34, 0);
    FreeImage none;
    EXPECT_EQ(vexal::DibToGraphImage(InfoCopy(unsized).get(), bits, &none.image, 0), -1);
    const Bytes bad_stream = {30, 1, 0, 1};
    const Bytes bad = RleFile(c.picture->width, c.picture->height, c.compression, bad_stream);
    EXPECT_EQ(vexal::DibToGraphImage(InfoCopy(bad).get(), bad.data() + (bad.size() - bad_stream.size()),
                                     &none.image, 0),
              -1);
    EXPECT_EQ(none.image.Pixels, nullptr);
  }
}

// On a started library: a coded file becomes a graph through the game's load, and a bitmap
// section from a file or from memory.
class RunLengthGraphTest : public screentest::ScreenTest {
 protected:
  void TearDown() override {
    vexal::LibraryEnd();
    screentest::ScreenTest::TearDown();
  }
};

uint32_t SectionPixel(vexal::DibHandle dib, int x, int y) {
  vexal::DibSection s;
  EXPECT_EQ(vexal::GetDibSectionInfo(dib, &s), 0);
  EXPECT_EQ(s.bits_per_pixel, 24);
  const uint8_t* p = s.pixels + static_cast<ptrdiff_t>(y) * vexal::DibRowBytes(s.width, 24) + x * 3;
  return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
}

TEST_F(RunLengthGraphTest, CodedFilesLoadAsGraphsAndBitmapSections) {
  Start(1);
  ::mkdir(dir_.File("img").c_str(), 0755);
  for (const Coded& c : kCoded) {
    const Expected& e = *c.picture;
    const Bytes file = RleFile(e.width, e.height, c.compression, *c.stream);
    nltest::WriteFile(dir_.File("img/coded.bmp"), file);
    const int g = vexal::LoadGraph("img\\coded.bmp");
    ASSERT_NE(g, -1) << c.name;
    for (int y = 0; y < e.height; ++y)
      for (int x = 0; x < e.width; ++x)
        ASSERT_EQ(graphtest::GraphPixel(g, x, y), e.At(x, y)) << c.name << " at " << x << "," << y;

    vexal::DibHandle from_file = vexal::CreateDIBGraph("img\\coded.bmp", nullptr, 0, 0, 0, nullptr);
    const InfoCopy info(file);
    vexal::DibHandle from_memory =
        vexal::CreateDIBInFormat(info.get(), file.data() + (file.size() - c.stream->size()), 0, nullptr);
    for (vexal::DibHandle dib : {from_file, from_memory}) {
      ASSERT_NE(dib, nullptr) << c.name;
      for (int y = 0; y < e.height; ++y)
        for (int x = 0; x < e.width; ++x) ASSERT_EQ(SectionPixel(dib, x, y), e.At(x, y)) << c.name;
      EXPECT_EQ(vexal::DeleteDibSection(dib), 0);
    }
  }
  // A stream that leaves the picture loads no graph.
  nltest::WriteFile(dir_.File("img/bad.bmp"), RleFile(5, 4, kRle8, {9, 1, 0, 1}));
  EXPECT_EQ(vexal::LoadGraph("img\\bad.bmp"), -1);
  EXPECT_EQ(vexal::CreateDIBGraph("img\\bad.bmp", nullptr, 0, 0, 0, nullptr), nullptr);
}

}  // namespace

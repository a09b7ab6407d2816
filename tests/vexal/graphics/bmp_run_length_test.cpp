// Run-length coded bitmaps (8 and 4 bits a pixel): streams coded by hand here, loaded
// through every path that reads bitmaps, against the pictures worked out from the codes;
// rows coded to their padded width, clipped to the picture; the streams that are refused;
// and files ImageMagick writes (or reads, at 4 bits), against its own decode of them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/vexal/graphics/graph_pixels.h"
#include "tests/vexal/graphics/image_fixtures.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/mask/mask_data.h"
#include "vexal/graphics/pictures/dib_section.h"
#include "vexal/graphics/pictures/image_loader_list.h"
#include "vexal/graphics/screen/color_format.h"

namespace {

using nltest::Bytes;

constexpr uint32_t kRle8 = vexal::kBiRle8;
constexpr uint32_t kRle4 = vexal::kBiRle4;
constexpr int kBlack = -1;  // a pixel the stream passes over

// Colour-table entries (0x00RRGGBB); entry 0 is not black, so a pixel passed over (black)
// and a run of index 0 differ.
const std::vector<uint32_t> kPalette = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808080,
                                        0x400000, 0x004000, 0x000040, 0x404000, 0x004040, 0x400040, 0xC0C0C0, 0xFFFFFF};

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
const Expected kPicture8{5, 4, {1,      2,      3,      4,      kBlack,  // top
                                kBlack, kBlack, kBlack, 3,      3,       //
                                2,      kBlack, kBlack, kBlack, kBlack,  //
                                1,      1,      2,      3,      4}};     // bottom

// 7 x 3 at 4 bits:
//   bottom row: 5 from 0x12 (1, 2, 1, 2, 1); 2 from 0x34 (3, 4); end of row
//   middle row: 5 as they stand in 0x12 0x34 0x50, one byte of padding; a move 1 right and
//               1 up, to (6, top row)
//   top row:    1 from 0x60 (6); end of bitmap
const Bytes kStream4 = {5, 0x12, 2, 0x34, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 2, 1, 1, 1, 0x60, 0, 1};
const Expected kPicture4{7, 3, {kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, 6,       // top
                                1,      2,      3,      4,      5,      kBlack, kBlack,  //
                                1,      2,      1,      2,      1,      3,      4}};     // bottom

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
  return vexal::LoadImageByLoaderList("", file.data(), static_cast<uint32_t>(file.size()), 1, want_dib, 0, image, info,
                                      bits);
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

// Runs that reach past the row's end, as encoders write them when they code each row to
// its padded width: the pixels inside the picture are drawn, the rest dropped, and the
// place stays at the row's end.
TEST(BmpRunLength, RunsPastTheRowEndAreClippedToThePicture) {
  struct Case {
    const char* name;
    uint32_t compression;
    int width, height;
    Bytes stream;
    std::vector<int> index;  // top row first
  };
  const int k_ = kBlack;
  const Case cases[] = {
      {"a run into the padding", kRle8, 5, 2, {6, 1, 0, 0, 0, 1}, {k_, k_, k_, k_, k_, 1, 1, 1, 1, 1}},
      {"a run past the row end after a run", kRle8, 5, 2, {3, 1, 3, 2, 0, 1}, {k_, k_, k_, k_, k_, 1, 1, 1, 2, 2}},
      {"a run far past the row end", kRle8, 5, 2, {255, 3, 0, 0, 1, 4, 0, 1}, {4, k_, k_, k_, k_, 3, 3, 3, 3, 3}},
      {"runs as they stand into the padding",
       kRle8,
       5,
       2,
       {0, 3, 1, 2, 3, 0, 0, 3, 4, 5, 6, 0, 0, 0, 0, 4, 7, 8, 9, 10, 0, 0, 0, 1},
       {7, 8, 9, 10, k_, 1, 2, 3, 4, 5}},
      {"a run wholly past the row end",
       kRle8,
       5,
       2,
       {5, 1, 2, 2, 0, 0, 1, 3, 0, 1},
       {3, k_, k_, k_, k_, 1, 1, 1, 1, 1}},
      // After a clipped run a move straight up starts at the row's end: the next run there
      // is dropped too.
      {"a move up from the row's end",
       kRle8,
       5,
       2,
       {7, 1, 0, 2, 0, 1, 1, 4, 0, 1},
       {k_, k_, k_, k_, k_, 1, 1, 1, 1, 1}},
      // A 1 x 1 picture and a 7-wide row coded to 4 and 8 bytes.
      {"1 x 1 coded to 4 pixels", kRle8, 1, 1, {4, 5, 0, 0, 0, 1}, {5}},
      {"7 wide coded to 8 pixels", kRle8, 7, 1, {2, 1, 6, 2, 0, 0, 0, 1}, {1, 1, 2, 2, 2, 2, 2}},
      {"4 bits: a run into the padding", kRle4, 7, 1, {8, 0x12, 0, 0, 0, 1}, {1, 2, 1, 2, 1, 2, 1}},
      {"4 bits: a run past the row end after a run", kRle4, 7, 1, {5, 0x34, 3, 0x56, 0, 1}, {3, 4, 3, 4, 3, 5, 6}},
      {"4 bits: as they stand into the padding",
       kRle4,
       7,
       2,
       {0, 8, 0x12, 0x34, 0x56, 0x7F, 0, 0, 0, 3, 0x9A, 0xB0, 0, 5, 0xCD, 0xEF, 0x10, 0, 0, 0, 0, 1},
       {9, 10, 11, 12, 13, 14, 15, 1, 2, 3, 4, 5, 6, 7}},
      {"4 bits: 1 x 1 coded to 8 pixels", kRle4, 1, 1, {8, 0x9F, 0, 0, 0, 1}, {9}},
  };
  for (const Case& c : cases) {
    const Expected e{c.width, c.height, c.index};
    const Bytes file = RleFile(c.width, c.height, c.compression, c.stream);
    FreeImage out;
    ASSERT_EQ(LoadFromMemory(file, 0, &out.image, nullptr, nullptr), 0) << c.name;
    ExpectPicture(out.image, e, c.name);
    vexal::BitmapInfo* info = nullptr;
    uint8_t* bits = nullptr;
    ASSERT_EQ(LoadFromMemory(file, 1, nullptr, &info, &bits), 0) << c.name;
    ExpectPicture(DibAsImage(info, bits), e, std::string(c.name) + " as a bitmap");
    std::free(info);
    std::free(bits);
  }
}

// Streams that leave the picture's rows, move out of it or end early: refused, nothing
// handed out.
TEST(BmpRunLength, MovesOutOfThePictureRunsPastTheLastRowAndCutStreamsAreRefused) {
  struct Case {
    const char* name;
    uint32_t compression;
    Bytes stream;
    std::optional<uint32_t> size_image;
  };
  // All on the 5 x 4 picture at 8 bits, or 7 x 3 at 4 bits.
  const Case cases[] = {
      {"run past the last row", kRle8, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1}, {}},
      {"run as they stand past the last row", kRle8, {0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 1, 1, 1, 0, 0, 1}, {}},
      {"move past the row end", kRle8, {2, 1, 0, 2, 4, 0, 0, 1}, {}},
      {"move right from the row's end after a clipped run", kRle8, {7, 1, 0, 2, 1, 0, 0, 1}, {}},
      {"move past the last row", kRle8, {0, 2, 0, 4, 0, 1}, {}},
      {"move onto the row past the last", kRle8, {0, 0, 0, 0, 0, 2, 0, 2, 0, 1}, {}},
      {"no end mark", kRle8, {5, 1, 0, 0}, {}},
      {"no end mark after every row", kRle8, {5, 1, 0, 0, 5, 1, 0, 0, 5, 1, 0, 0, 5, 1, 0, 0}, {}},
      {"cut in a pair", kRle8, {5, 1, 0}, {}},
      {"cut in a move", kRle8, {0, 2, 1}, {}},
      {"cut in a run as they stand", kRle8, {0, 4, 1, 2, 3}, {}},
      {"cut before the padding", kRle8, {0, 3, 1, 2, 3}, {}},
      {"cut by the stated size", kRle8, kStream8, static_cast<uint32_t>(kStream8.size() - 2)},
      {"empty", kRle8, {}, {}},
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

    // No stated length, or a stream that runs past the last row: -1.
    Bytes unsized = file;
    nltest::PutLe32(unsized, 34, 0);
    FreeImage none;
    EXPECT_EQ(vexal::DibToGraphImage(InfoCopy(unsized).get(), bits, &none.image, 0), -1);
    const Bytes bad_stream = {0, 2, 0, 4, 0, 1};
    const Bytes bad = RleFile(c.picture->width, c.picture->height, c.compression, bad_stream);
    EXPECT_EQ(
        vexal::DibToGraphImage(InfoCopy(bad).get(), bad.data() + (bad.size() - bad_stream.size()), &none.image, 0), -1);
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
  // A stream that leaves the picture's rows loads no graph.
  nltest::WriteFile(dir_.File("img/bad.bmp"), RleFile(5, 4, kRle8, {0, 2, 0, 4, 0, 1}));
  EXPECT_EQ(vexal::LoadGraph("img\\bad.bmp"), -1);
  EXPECT_EQ(vexal::CreateDIBGraph("img\\bad.bmp", nullptr, 0, 0, 0, nullptr), nullptr);
}

// Files from another encoder. ImageMagick writes 8-bit run-length files (whatever the
// colour count, it codes nothing at 4 bits) and codes each row to its padded width; it
// reads 4-bit ones, which the test codes the same way, with the pattern running on into
// the padding. Its own decode of each file is the reference (but see below).

// An 8-bit RGB picture as a binary PPM holds it.
struct RgbPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // top row first
  uint32_t At(int x, int y) const {
    const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    return static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
  }
};

std::optional<RgbPicture> ReadPpm(const std::string& path) {
  const std::string bytes = nltest::ReadFileBytes(path);
  size_t at = 0;
  auto token = [&]() {
    while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
    const size_t start = at;
    while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
    return bytes.substr(start, at - start);
  };
  if (token() != "P6") return std::nullopt;
  RgbPicture p;
  p.width = std::atoi(token().c_str());
  p.height = std::atoi(token().c_str());
  if (token() != "255" || p.width < 1 || p.height < 1) return std::nullopt;
  ++at;  // the one blank before the samples
  const size_t size = static_cast<size_t>(p.width) * p.height * 3;
  if (bytes.size() - at != size) return std::nullopt;
  p.rgb.assign(bytes.begin() + static_cast<ptrdiff_t>(at), bytes.end());
  return p;
}

// Colour n of the pattern's 256 (0xRRGGBB), each channel a different walk.
uint32_t PatternColor(int n) {
  return static_cast<uint32_t>((n * 53 + 17) % 256) << 16 | static_cast<uint32_t>((n * 97 + 40) % 256) << 8 |
         static_cast<uint32_t>((n * 151 + 80) % 256);
}
// Runs of 1 to 7 pixels, a different length on each row, over `colors` colours.
int PatternIndex(int x, int y, int colors) { return (x / (1 + y * 3 % 7) + y * 5) % colors; }

std::string WritePatternPpm(const std::string& path, int width, int height, int colors) {
  std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = PatternColor(PatternIndex(x, y, colors));
      bytes += {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
    }
  }
  EXPECT_TRUE(nltest::WriteFileBytes(path, bytes));
  return path;
}

// A 4-bit run-length file of the pattern, each row coded to its padded width: runs of a
// repeated index and of two alternating ones, and runs as they stand of 3 or more.
Bytes PatternRle4(int width, int height) {
  const int coded = static_cast<int>(vexal::DibRowBytes(width, 4) * 2);
  Bytes stream;
  for (int y = height - 1; y >= 0; --y) {
    auto at = [&](int x) { return static_cast<uint8_t>(PatternIndex(x, y, 16)); };
    for (int x = 0; x < coded;) {
      int same = 1;
      while (x + same < coded && same < 255 && at(x + same) == at(x)) ++same;
      if (same >= 2 || coded - x < 3) {
        const int n = same >= 2 ? same : coded - x;  // 1 or 2 left: two alternating
        stream.insert(stream.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(at(x) << 4 | at(x + n - 1))});
        x += n;
        continue;
      }
      int n = 3;
      while (x + n < coded && n < 255 && at(x + n) != at(x + n - 1)) ++n;
      stream.insert(stream.end(), {0, static_cast<uint8_t>(n)});
      for (int k = 0; k < n; k += 2)
        stream.push_back(static_cast<uint8_t>(at(x + k) << 4 | (k + 1 < n ? at(x + k + 1) : 0)));
      if ((n + 1) / 2 % 2 == 1) stream.push_back(0);
      x += n;
    }
    stream.insert(stream.end(), {0, 0});
  }
  stream.insert(stream.end(), {0, 1});
  Bytes file(14 + 40 + 16 * 4, 0);
  file[0] = 'B';
  file[1] = 'M';
  nltest::PutLe32(file, 2, static_cast<uint32_t>(file.size() + stream.size()));
  nltest::PutLe32(file, 10, static_cast<uint32_t>(file.size()));
  nltest::PutLe32(file, 14, 40);
  nltest::PutLe32(file, 18, static_cast<uint32_t>(width));
  nltest::PutLe32(file, 22, static_cast<uint32_t>(height));
  nltest::PutLe16(file, 26, 1);
  nltest::PutLe16(file, 28, 4);
  nltest::PutLe32(file, 30, kRle4);
  nltest::PutLe32(file, 34, static_cast<uint32_t>(stream.size()));
  nltest::PutLe32(file, 46, 16);
  for (int i = 0; i < 16; ++i) nltest::PutLe32(file, 54 + 4 * static_cast<size_t>(i), PatternColor(i));
  file.insert(file.end(), stream.begin(), stream.end());
  return file;
}

// Pixels the bottom row's codes give, up to its end of row.
int BottomRowCodedPixels(const uint8_t* stream, bool four) {
  int pixels = 0;
  for (const uint8_t* p = stream;; p += 2) {
    if (p[0] != 0) {
      pixels += p[0];
    } else if (p[1] >= 3) {
      pixels += p[1];
      const int bytes = four ? (p[1] + 1) / 2 : p[1];
      p += bytes + bytes % 2;
    } else {
      return pixels;
    }
  }
}

bool ImageMagickAt(const std::string& arguments) {
  return std::system(("convert " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// The first pixel where got differs from ImageMagick's decode, as a failure.
void ExpectDecode(const RgbPicture& want, const std::function<uint32_t(int, int)>& got, const std::string& what) {
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x) ASSERT_EQ(got(x, y), want.At(x, y)) << what << " at " << x << "," << y;
}

TEST_F(RunLengthGraphTest, FilesImageMagickWritesAndReadsLoadOnEveryPathAsItDecodesThem) {
  if (std::system("command -v convert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "ImageMagick's convert is missing (scripts/setup installs it): the encoder's files are not tried";
  Start(1);
  ::mkdir(dir_.File("img").c_str(), 0755);
  for (const int width : {1, 7, 33, 37, 301, 64}) {
    const int height = 5;
    struct Variant {
      const char* name;
      int colors;
    };
    for (const Variant v :
         {Variant{"RLE8 of 16 colours", 16}, Variant{"RLE8 of 256 colours", 256}, Variant{"RLE4 coded here", 0}}) {
      const std::string what = std::string(v.name) + ", " + std::to_string(width) + " wide";
      const std::string bmp = dir_.File("img/coded.bmp");
      if (v.colors > 0) {
        const std::string ppm = WritePatternPpm(dir_.File("pattern.ppm"), width, height, v.colors);
        ASSERT_TRUE(ImageMagickAt("'" + ppm + "' -colors " + std::to_string(v.colors) +
                                  " -type Palette -compress RLE 'BMP3:" + bmp + "'"))
            << what;
      } else {
        nltest::WriteFile(bmp, PatternRle4(width, height));
      }
      ASSERT_TRUE(ImageMagickAt("'" + bmp + "' -depth 8 'ppm:" + dir_.File("decoded.ppm") + "'")) << what;
      const std::optional<RgbPicture> decoded = ReadPpm(dir_.File("decoded.ppm"));
      ASSERT_TRUE(decoded) << what;
      ASSERT_EQ(decoded->width, width) << what;
      ASSERT_EQ(decoded->height, height) << what;
      // ImageMagick 6.9 reads a file of two rows or more wrongly when a row's padding is as
      // wide as the picture (1 and 2 pixels at 8 bits, 1 to 4 at 4 bits: its own files
      // too; the upper rows come out in colour 0). There the picture the file was made
      // from is the reference; elsewhere ImageMagick's decode, which then is that picture.
      const int64_t coded = vexal::DibRowBytes(width, v.colors > 0 ? 8 : 4) * (v.colors > 0 ? 1 : 2);
      const bool decoded_right = coded < 2 * width;
      RgbPicture made{width, height, {}};
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const uint32_t c = PatternColor(PatternIndex(x, y, v.colors > 0 ? v.colors : 16));
          made.rgb.insert(made.rgb.end(),
                          {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
        }
      }
      if (decoded_right) {
        ASSERT_EQ(decoded->rgb, made.rgb) << what << ": ImageMagick's decode is the pattern";
      }
      const RgbPicture& want = decoded_right ? *decoded : made;

      const std::string text = nltest::ReadFileBytes(bmp);
      const Bytes file(text.begin(), text.end());
      ASSERT_GT(file.size(), 54u) << what;
      const uint32_t compression = file[30] | file[31] << 8;
      const int bits_per_pixel = file[28];
      ASSERT_EQ(compression, v.colors > 0 ? kRle8 : kRle4) << what;
      ASSERT_EQ(bits_per_pixel, v.colors > 0 ? 8 : 4) << what;
      const uint32_t offset = file[10] | file[11] << 8 | file[12] << 16 | static_cast<uint32_t>(file[13]) << 24;
      ASSERT_LT(offset, file.size()) << what;
      const uint8_t* stream = file.data() + offset;
      EXPECT_EQ(BottomRowCodedPixels(stream, bits_per_pixel == 4), coded)
          << what << ": rows coded to their padded width";

      // The readers, from memory, as a picture and as a bitmap.
      FreeImage image;
      ASSERT_EQ(LoadFromMemory(file, 0, &image.image, nullptr, nullptr), 0) << what;
      ExpectDecode(
          want, [&](int x, int y) { return nltest::PixelAt(image.image, x, y); }, what);
      vexal::BitmapInfo* info = nullptr;
      uint8_t* bits = nullptr;
      ASSERT_EQ(LoadFromMemory(file, 1, nullptr, &info, &bits), 0) << what;
      const vexal::GraphImage dib = DibAsImage(info, bits);
      ExpectDecode(
          want, [&](int x, int y) { return nltest::PixelAt(dib, x, y); }, what + " as a bitmap");
      std::free(info);
      std::free(bits);

      // A graph and a divided graph of one piece, as the game loads its pictures.
      int graphs[2] = {vexal::LoadGraph("img\\coded.bmp"), -1};
      ASSERT_EQ(vexal::LoadDivGraph("img\\coded.bmp", 1, 1, 1, width, height, &graphs[1]), 0) << what;
      for (const int g : graphs) {
        ASSERT_NE(g, -1) << what;
        ExpectDecode(
            want, [&](int x, int y) { return graphtest::GraphPixel(g, x, y); }, what + " as a graph");
        EXPECT_EQ(vexal::DeleteGraphHandle(g, 0), 0);
      }

      // Bitmap sections from the file and from the bitmap in memory, and a picture of it.
      const InfoCopy in_memory(Bytes(file.begin(), file.begin() + offset));
      for (const bool from_file : {true, false}) {
        vexal::DibHandle section = from_file ? vexal::CreateDIBGraph("img\\coded.bmp", nullptr, 0, 0, 0, nullptr)
                                             : vexal::CreateDIBInFormat(in_memory.get(), stream, 0, nullptr);
        ASSERT_NE(section, nullptr) << what << (from_file ? " from the file" : " from memory");
        ExpectDecode(
            want, [&](int x, int y) { return SectionPixel(section, x, y); }, what + " as a section");
        EXPECT_EQ(vexal::DeleteDibSection(section), 0);
      }
      FreeImage converted;
      ASSERT_EQ(vexal::DibToGraphImage(in_memory.get(), stream, &converted.image, 0), 1) << what;
      ExpectDecode(
          want, [&](int x, int y) { return nltest::PixelAt(converted.image, x, y); }, what + " converted");

      // Mask data, as the screen wipe loads its stages: the blue byte of each pixel.
      const int mask = vexal::LoadMaskData("img\\coded.bmp");
      ASSERT_NE(mask, -1) << what;
      const vexal::MaskDataRecord& record = vexal::MaskDataTable[static_cast<size_t>(mask)];
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(record.Bytes[static_cast<size_t>(y * record.Pitch + x)], want.At(x, y) & 0xFF)
              << what << " as mask data at " << x << "," << y;
    }
  }
}

}  // namespace

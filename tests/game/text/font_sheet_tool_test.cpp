// nl_font_sheet as CMake runs it: the sheet it writes, read back by the game's own
// picture loader, and its failures.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"
#include "vexal/graphics/pictures/image_loader_list.h"

namespace {

struct Outcome {
  int status;
  std::string errors;
};

Outcome RunSheetTool(const nltest::TempDir& dir, const std::string& args) {
  std::string errors = dir.File("stderr.txt");
  int raw = std::system((std::string(NL_FONT_SHEET_PATH) + " " + args + " 2>" + errors).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, nltest::ReadFileBytes(errors)};
}

uint32_t Le(const std::string& bytes, size_t at, int size) {
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

class Sheet {
 public:
  explicit Sheet(const vexal::GraphImage& image) : image_(image) {}
  // 1 for a white pixel, 0 for black, -1 for anything else.
  int Pixel(int x, int y) const {
    const uint8_t* p = image_.Pixels + y * image_.Pitch + x * image_.ColorFormat.BytesPerPixel;
    if (p[0] == 0 && p[1] == 0 && p[2] == 0) return 0;
    if (p[0] == 255 && p[1] == 255 && p[2] == 255) return 1;
    return -1;
  }
  // The 8 rows of a cell, '#' for ink.
  std::vector<std::string> Cell(int cell) const {
    std::vector<std::string> rows;
    for (int y = 0; y < 8; ++y) {
      std::string row;
      for (int x = 0; x < 8; ++x) row += Pixel(cell % 26 * 8 + x, cell / 26 * 8 + y) ? '#' : '.';
      rows.push_back(row);
    }
    return rows;
  }

 private:
  const vexal::GraphImage& image_;
};

TEST(FontSheetTool, WritesTheSheetTheGameReads) {
  nltest::TempDir dir;
  const std::string file = dir.File("letter.bmp");
  Outcome o = RunSheetTool(dir, file);
  ASSERT_EQ(o.status, 0) << o.errors;
  EXPECT_EQ(o.errors, "");

  const std::string bytes = nltest::ReadFileBytes(file);
  ASSERT_EQ(bytes.size(), 54u + 208 * 3 * 64);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  const struct {
    size_t at;
    int size;
    uint32_t value;
  } fields[] = {
      {2, 4, 54 + 208 * 3 * 64},
      {10, 4, 54},
      {14, 4, 40},
      {18, 4, 208},
      {22, 4, 64},
      {26, 2, 1},
      {28, 2, 24},
      {30, 4, 0},
  };
  for (const auto& f : fields) EXPECT_EQ(Le(bytes, f.at, f.size), f.value) << "offset " << f.at;

  vexal::GraphImage image{};
  ASSERT_EQ(vexal::LoadImageByLoaderList(file, nullptr, 0, 0, 0, 0, &image, nullptr, nullptr), 0);
  ASSERT_EQ(image.Width, 208);
  ASSERT_EQ(image.Height, 64);
  Sheet sheet(image);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 208; ++x) ASSERT_GE(sheet.Pixel(x, y), 0) << "grey at " << x << "," << y;
  }

  const std::vector<std::string> blank(8, "........");
  EXPECT_EQ(sheet.Cell(77), blank) << "code 125, the blank";
  EXPECT_EQ(sheet.Cell(181), blank) << "the cell no code reaches";
  // Full-width "Ａ" (code 74) as the face draws it.
  EXPECT_EQ(sheet.Cell(26), (std::vector<std::string>{"...#....", "..#.#...", "..#.#...", ".#...#..", ".#####..",
                                                      "#.....#.", "#.....#.", "........"}));
  // Upright glyphs in their own cells: ink above a free bottom row.
  const int glyphs[] = {0 /* 0 */, 52 /* あ */, 130 /* ア */, 125 /* 離 */, 195 /* 膿 */};
  for (int cell : glyphs) {
    std::vector<std::string> rows = sheet.Cell(cell);
    EXPECT_NE(rows, blank) << "cell " << cell;
    EXPECT_EQ(rows[7], "........") << "cell " << cell;
  }
  // The voicing marks hang from the bottom of their cells and end at column 5, so that,
  // drawn 8 up and 2 right, they touch the top right of the kana.
  for (int cell : {10, 11}) {
    std::vector<std::string> rows = sheet.Cell(cell);
    EXPECT_NE(rows[7], "........") << "cell " << cell;
    int right = -1;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (rows[y][x] == '#') right = std::max(right, x);
      }
      if (y < 4) {
        EXPECT_EQ(rows[y], "........") << "cell " << cell;
      }
    }
    EXPECT_EQ(right, 5) << "cell " << cell;
  }
  std::free(image.Pixels);
}

TEST(FontSheetTool, ReportsFailuresAndExitsNonZero) {
  nltest::TempDir dir;
  const struct {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {"", 2, "usage: nl_font_sheet OUTPUT [FONT]"},
      {dir.File("a.bmp") + " " + dir.File("no-such-face.ttf"), 1, "cannot use the face"},
      {dir.File("none/letter.bmp"), 1, "cannot write"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = RunSheetTool(dir, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.errors.find(c.says), std::string::npos) << o.errors;
  }
}

}  // namespace

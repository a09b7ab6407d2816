// Pictures the demo-world tools write: BMP bytes worked out by hand, a PNG read back, and
// the window-frame pictures (their sizes, the corners' transparent outside and inside,
// one band for every side, nothing darker than the game's darkest drawn colour).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "game/codec/lz_codec.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"
#include "tools/picture/picture_file.h"

namespace {

using nltools::Picture;
using nltools::Rgb;

// A 24-bit bottom-up bitmap as the writer makes it, back into a picture.
Picture ReadBmp(const std::string& bytes) {
  auto le = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
                                 static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint8_t>(bytes[at + 3]) << 24);
  };
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return {};
  Picture p(static_cast<int>(le(18)), static_cast<int>(le(22)));
  const size_t row = (static_cast<size_t>(p.width) * 3 + 3) / 4 * 4;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const size_t at = le(10) + (p.height - 1 - y) * row + x * 3;
      p.At(x, y) = {static_cast<uint8_t>(bytes[at + 2]), static_cast<uint8_t>(bytes[at + 1]),
                    static_cast<uint8_t>(bytes[at])};
    }
  }
  return p;
}

TEST(PictureFile, BmpIsBottomUpBgrWithPaddedRows) {
  Picture p(2, 2);
  p.At(0, 0) = {1, 2, 3}, p.At(1, 0) = {4, 5, 6};  // top row
  p.At(0, 1) = {7, 8, 9}, p.At(1, 1) = {10, 11, 12};
  const std::vector<uint8_t> want = {
      'B',  'M',  70, 0,  0,    0,    0, 0, 0, 0, 54, 0, 0, 0,                                  // file header
      40,   0,    0,  0,  2,    0,    0, 0, 2, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,  // info header
      0x13, 0x0B, 0,  0,  0x13, 0x0B, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0,                           // 72 dpi, no palette
      9,    8,    7,  12, 11,   10,   0, 0,                                                     // bottom row first
      3,    2,    1,  6,  5,    4,    0, 0,
  };
  EXPECT_EQ(nltools::EncodeBmp(p), want);
}

TEST(PictureFile, PngReadsBackAsWritten) {
  nltest::TempDir dir;
  Picture p(3, 2);
  for (int i = 0; i < 6; ++i) p.pixels[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(100 + i), 255};
  ASSERT_TRUE(nltools::WritePng(dir.File("p.png"), p));
  std::optional<nltest::Png> png = nltest::ReadPng(dir.File("p.png"));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 3);
  EXPECT_EQ(png->height, 2);
  std::vector<uint8_t> want;
  for (const Rgb& c : p.pixels) want.insert(want.end(), {c.r, c.g, c.b});
  EXPECT_EQ(png->rgb, want);
  EXPECT_FALSE(nltools::WritePng(dir.File("missing/p.png"), p));
  EXPECT_FALSE(nltools::WriteBmp(dir.File("missing/p.bmp"), p));
}

TEST(FramePicturesTool, WritesTheFramesPicturesForTheGamesRules) {
  nltest::TempDir dir;
  ASSERT_EQ(std::system((std::string(NL_FRAME_PICTURES_PATH) + " " + dir.path()).c_str()), 0);
  const struct {
    const char* name;
    int w, h;
  } files[] = {{"wakuwaku7.bmp", 16, 16},
               {"wakuyoko.bmp", 320, 5},
               {"wakutate.bmp", 5, 240},
               {"wna.bmp", 320, 240},
               {"wac.bmp", 320, 240}};
  std::vector<Picture> pictures;
  for (const auto& f : files) {
    pictures.push_back(ReadBmp(nltest::ReadFileBytes(dir.File(f.name))));
    EXPECT_EQ(pictures.back().width, f.w) << f.name;
    EXPECT_EQ(pictures.back().height, f.h) << f.name;
  }
  // Black is transparent; anything drawn is (8, 8, 8) or lighter in some channel, and
  // only the corners have transparent pixels.
  for (size_t i = 0; i < pictures.size(); ++i) {
    for (const Rgb& c : pictures[i].pixels) {
      const bool black = c == Rgb{0, 0, 0};
      if (i > 0) {
        ASSERT_FALSE(black) << files[i].name;
      }
      if (!black) {
        ASSERT_TRUE(c.r >= 8 || c.g >= 8 || c.b >= 8) << files[i].name;
      }
    }
  }
  const Picture& corners = pictures[0];
  const Picture& across = pictures[1];
  const Picture& down = pictures[2];
  // The band reads the same from both sides, so one edge picture serves both.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(across.At(0, i), across.At(0, 4 - i));
    EXPECT_EQ(across.At(100, i), down.At(i, 100));
  }
  // A corner continues the edges where it meets them, is open outside its round and
  // inside the box.
  EXPECT_EQ(corners.At(7, 0), across.At(0, 0));
  EXPECT_EQ(corners.At(7, 4), across.At(0, 4));
  EXPECT_EQ(corners.At(0, 7), down.At(0, 0));
  EXPECT_EQ(corners.At(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(corners.At(7, 7), (Rgb{0, 0, 0}));
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(corners.At(15 - x, y), corners.At(x, y));
      EXPECT_EQ(corners.At(x, 15 - y), corners.At(x, y));
      EXPECT_EQ(corners.At(15 - x, 15 - y), corners.At(x, y));
    }
  }
  EXPECT_NE(pictures[3].At(10, 10), pictures[4].At(10, 10)) << "the two backgrounds differ";
}

// The field's shadow (character 4 of the character sheet) must read as the enemy, not as
// one more townsperson: no skin anywhere in its twelve cells, red eyes in the front and
// side views (two, one, one) and none from behind; a townsperson (character 2) has skin.
TEST(FieldPicturesTool, TheShadowHasNoFaceButRedEyes) {
  nltest::TempDir dir;
  ASSERT_EQ(std::system((std::string(NL_FIELD_PICTURES_PATH) + " " + dir.path()).c_str()), 0);
  ASSERT_EQ(game::PackFile(dir.File("system/chargrp.png"), dir.File("chargrp.plain.png"), game::kPackFileModeUnpack),
            game::kPackFileOk);
  const std::optional<nltest::Png> sheet = nltest::ReadPng(dir.File("chargrp.plain.png"));
  ASSERT_TRUE(sheet);
  ASSERT_EQ(sheet->width, 768);
  // Cells of 16 x 32, 48 a row, character c facing d in frame f at (c x 4 + d) x 3 + f.
  auto count = [&](int c, int d, int f, auto near) {
    const int n = (c * 4 + d) * 3 + f, x0 = n % 48 * 16, y0 = n / 48 * 32;
    int k = 0;
    for (int y = y0; y < y0 + 32; ++y)
      for (int x = x0; x < x0 + 16; ++x) {
        const size_t at = (size_t(y) * size_t(sheet->width) + size_t(x)) * 3;
        if (near(sheet->rgb[at], sheet->rgb[at + 1], sheet->rgb[at + 2])) ++k;
      }
    return k;
  };
  auto skin = [](int r, int g, int b) { return r == 240 && g == 200 && b == 160; };
  auto red_eye = [](int r, int g, int b) { return r >= 200 && g < 100 && b < 100; };
  constexpr int kEyes[4] = {2, 0, 1, 1};  // facing down, up, right, left
  for (int d = 0; d < 4; ++d)
    for (int f = 0; f < 3; ++f) {
      EXPECT_EQ(count(4, d, f, skin), 0) << d << " " << f;
      EXPECT_EQ(count(4, d, f, red_eye), kEyes[d]) << d << " " << f;
    }
  EXPECT_GT(count(2, 0, 1, skin), 0) << "the townsman's face";
}

// The shadow's battle strip (enemy 4's ene/lord.png: the white highlight cell, then two
// frames of 96 x 80) is the figure the field shows, larger: drawn in the field figure's
// own colours and no others, with no skin, two red eyes (3 x 3 each, side by side in the
// hood's hollow) and a hem that sways between the frames; the highlight cell is its
// first frame's shape in white.
TEST(BattlePicturesTool, TheShadowFightsInTheHoodedLookOfItsFieldFigure) {
  nltest::TempDir dir;
  ASSERT_EQ(std::system((std::string(NL_FIELD_PICTURES_PATH) + " " + dir.path()).c_str()), 0);
  ASSERT_EQ(std::system((std::string(NL_BATTLE_PICTURES_PATH) + " " + dir.path()).c_str()), 0);
  ASSERT_EQ(game::PackFile(dir.File("system/chargrp.png"), dir.File("chargrp.plain.png"), game::kPackFileModeUnpack),
            game::kPackFileOk);
  const std::optional<nltest::Png> sheet = nltest::ReadPng(dir.File("chargrp.plain.png"));
  const std::optional<nltest::Png> strip = nltest::ReadPng(dir.File("ene/lord.png"));
  ASSERT_TRUE(sheet && strip);
  ASSERT_EQ(strip->width, 3 * 96);
  ASSERT_EQ(strip->height, 80);
  auto pixel = [](const nltest::Png& png, int x, int y) {
    const size_t at = (size_t(y) * size_t(png.width) + size_t(x)) * 3;
    return Rgb{png.rgb[at], png.rgb[at + 1], png.rgb[at + 2]};
  };
  auto key = [](Rgb c) { return c.r << 16 | c.g << 8 | c.b; };
  // The field figure's colours: its twelve cells (character 4, four directions, three frames).
  std::vector<int> field_colours;
  for (int n = 4 * 12; n < 5 * 12; ++n)
    for (int y = n / 48 * 32; y < n / 48 * 32 + 32; ++y)
      for (int x = n % 48 * 16; x < n % 48 * 16 + 16; ++x) {
        const Rgb c = pixel(*sheet, x, y);
        if (key(c) != 0) field_colours.push_back(key(c));
      }
  std::sort(field_colours.begin(), field_colours.end());
  field_colours.erase(std::unique(field_colours.begin(), field_colours.end()), field_colours.end());
  ASSERT_EQ(field_colours.size(), 4u) << "cloak, rim, hollow and eyes";

  const Rgb eye{255, 56, 48};
  std::vector<int> shapes[3];  // the drawn pixels of each cell, as y * 96 + x
  for (int cell = 0; cell < 3; ++cell) {
    SCOPED_TRACE(cell);
    std::vector<int> colours, eye_rows, eye_columns;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 96; ++x) {
        const Rgb c = pixel(*strip, 96 * cell + x, y);
        if (key(c) == 0) continue;
        shapes[cell].push_back(y * 96 + x);
        colours.push_back(key(c));
        if (c == eye) eye_rows.push_back(y), eye_columns.push_back(x);
      }
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    if (cell == 0) {
      EXPECT_EQ(colours, std::vector<int>{0xFFFFFF}) << "the highlight is white";
      continue;
    }
    EXPECT_EQ(colours, field_colours) << "the field figure's colours, no others";
    ASSERT_EQ(eye_rows.size(), 18u) << "two eyes of 3 x 3";
    EXPECT_EQ(*std::max_element(eye_rows.begin(), eye_rows.end()) - *std::min_element(eye_rows.begin(), eye_rows.end()),
              2);
    EXPECT_LT(eye_rows.front(), 40) << "in the hood, above the cloak";
    std::sort(eye_columns.begin(), eye_columns.end());
    eye_columns.erase(std::unique(eye_columns.begin(), eye_columns.end()), eye_columns.end());
    ASSERT_EQ(eye_columns.size(), 6u) << "side by side";
    EXPECT_GT(eye_columns[3] - eye_columns[2], 1) << "apart";
    EXPECT_LT(eye_columns.front(), 48);
    EXPECT_GT(eye_columns.back(), 48);
  }
  EXPECT_EQ(shapes[0], shapes[1]) << "the highlight is the first frame's shape";
  EXPECT_NE(shapes[1], shapes[2]) << "the hem sways";
}

// The ID cards are named by colour in the game's messages ("グリーンIDカード" is card 0, then
// red, yellow, blue, silver, gold, master): each card's body must read as the colour its name
// says, in that order.
TEST(IdCardPictureTool, EachCardHasTheColourOfItsName) {
  nltest::TempDir dir;
  ASSERT_EQ(std::system((std::string(NL_ID_CARD_PICTURE_PATH) + " " + dir.File("idcard.png")).c_str()), 0);
  const std::optional<nltest::Png> cards = nltest::ReadPng(dir.File("idcard.png"));
  ASSERT_TRUE(cards);
  ASSERT_EQ(cards->width, 42);
  ASSERT_EQ(cards->height, 8);
  struct Hue {
    const char* name;
    bool (*reads)(int r, int g, int b);
  };
  const Hue hues[] = {
      {"green", [](int r, int g, int b) { return g > r + 60 && g > b + 60; }},
      {"red", [](int r, int g, int b) { return r > g + 80 && r > b + 80; }},
      {"yellow", [](int r, int g, int b) { return r > 180 && g > 180 && b < 120; }},
      {"blue", [](int r, int g, int b) { return b > r + 80 && b > g + 60; }},
      {"silver",
       [](int r, int g, int b) {
         return std::min({r, g, b}) > 150 && std::max({r, g, b}) - std::min({r, g, b}) < 30;
       }},
      {"gold", [](int r, int g, int b) { return r > 180 && g > 120 && g < r && b < g - 60; }},
  };
  for (int card = 0; card < 6; ++card) {
    // (2, 2) of a card lies in its body, below the hole's row.
    const size_t at = (size_t(2) * 42 + size_t(card * 6 + 2)) * 3;
    const int r = cards->rgb[at], g = cards->rgb[at + 1], b = cards->rgb[at + 2];
    EXPECT_TRUE(hues[card].reads(r, g, b))
        << "card " << card << " should be " << hues[card].name << ": " << r << "," << g << "," << b;
  }
}

}  // namespace

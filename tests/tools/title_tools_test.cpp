// The writers of the title's, the wipe's, the portraits' and the hand's pictures and of
// the prologue text: the sizes the game cuts them by, the wipe's stages growing to the
// whole screen, pictures without holes where the game needs none, Shift-JIS bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"

namespace {

int RunTool(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

bool IsBlack(const nltest::Png& png, int x, int y) {
  const uint8_t* p = &png.rgb[(y * png.width + x) * 3];
  return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

TEST(WipePictures, StagesGrowFromNineToZeroWhichShowsAllAndTheCatchPictureHasNoHoles) {
  nltest::TempDir dir;
  ASSERT_EQ(RunTool(std::string(NL_WIPE_PICTURES_PATH) + " " + dir.path()), 0);
  std::optional<nltest::Png> later;  // the stage shown after the one being read
  int previous_shown = 0;
  for (int s = 9; s >= 0; --s) {
    std::optional<nltest::Png> stage = nltest::ReadPng(dir.File("sc" + std::to_string(s) + ".png"));
    ASSERT_TRUE(stage);
    ASSERT_EQ(stage->width, 320);
    ASSERT_EQ(stage->height, 240);
    int shown = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        const uint8_t blue = stage->rgb[(y * 320 + x) * 3 + 2];
        ASSERT_TRUE(blue == 0 || blue == 255);
        shown += blue != 0;
        if (later) {
          ASSERT_TRUE(blue != 0 || IsBlack(*later, x, y))
              << "stage " << s << " hides what stage " << s + 1 << " showed";
        }
      }
    }
    EXPECT_GT(shown, previous_shown) << "stage " << s;
    previous_shown = shown;
    later = stage;
  }
  EXPECT_EQ(previous_shown, 320 * 240) << "stage 0 shows everything";
  std::optional<nltest::Png> catch_picture = nltest::ReadPng(dir.File("catch.png"));
  ASSERT_TRUE(catch_picture);
  ASSERT_EQ(catch_picture->width, 320);
  ASSERT_EQ(catch_picture->height, 240);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) ASSERT_FALSE(IsBlack(*catch_picture, x, y)) << x << "," << y;
  }
}

TEST(TitlePictures, SizesCoverTheDriftAndTheBackgroundHasNoHoles) {
  nltest::TempDir dir;
  ASSERT_EQ(RunTool(std::string(NL_TITLE_PICTURES_PATH) + " " + dir.path()), 0);
  const struct {
    const char* name;
    int w, h;
  } files[] = {{"tt_t1.png", 352, 290}, {"title.png", 320, 100}, {"tt_b.png", 320, 24}};
  for (const auto& f : files) {
    std::optional<nltest::Png> png = nltest::ReadPng(dir.File(f.name));
    ASSERT_TRUE(png) << f.name;
    EXPECT_EQ(png->width, f.w) << f.name;
    EXPECT_EQ(png->height, f.h) << f.name;
  }
  std::optional<nltest::Png> background = nltest::ReadPng(dir.File("tt_t1.png"));
  for (int y = 0; y < 290; ++y) {
    for (int x = 0; x < 352; ++x) ASSERT_FALSE(IsBlack(*background, x, y)) << x << "," << y;
  }
}

TEST(PortraitPicture, EightCellsEachABustWithATransparentSurround) {
  nltest::TempDir dir;
  ASSERT_EQ(RunTool(std::string(NL_PORTRAIT_PICTURE_PATH) + " " + dir.File("bustupall.png")), 0);
  std::optional<nltest::Png> png = nltest::ReadPng(dir.File("bustupall.png"));
  ASSERT_TRUE(png);
  ASSERT_EQ(png->width, 800);
  ASSERT_EQ(png->height, 544);
  for (int cell = 0; cell < 8; ++cell) {
    const int ox = cell % 4 * 200, oy = cell / 4 * 272;
    EXPECT_TRUE(IsBlack(*png, ox, oy)) << "cell " << cell << ": the top-left corner is transparent";
    EXPECT_FALSE(IsBlack(*png, ox + 100, oy + 100)) << "cell " << cell << ": the face";
    EXPECT_FALSE(IsBlack(*png, ox + 100, oy + 260)) << "cell " << cell << ": the body";
  }
}

TEST(HandIcon, ABitmapOfSixteenByTen) {
  nltest::TempDir dir;
  ASSERT_EQ(RunTool(std::string(NL_HAND_ICON_PATH) + " " + dir.File("handicon.bmp")), 0);
  const std::string bytes = nltest::ReadFileBytes(dir.File("handicon.bmp"));
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<uint8_t>(bytes[18]), 16);
  EXPECT_EQ(static_cast<uint8_t>(bytes[22]), 10);
}

TEST(SjisText, Utf8BecomesShiftJisAndACharacterWithoutOneIsRefused) {
  nltest::TempDir dir;
  const std::string tool = NL_SJIS_TEXT_PATH;
  // "あ＿￥" in UTF-8.
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("in.txt"), "\xE3\x81\x82\xEF\xBC\xBF\xEF\xBF\xA5"));
  ASSERT_EQ(RunTool(tool + " " + dir.File("in.txt") + " " + dir.File("out.txt")), 0);
  EXPECT_EQ(nltest::ReadFileBytes(dir.File("out.txt")), "\x82\xA0\x81\x51\x81\x8F");
  // A snowman has no Shift-JIS form.
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("bad.txt"), "\xE2\x98\x83"));
  EXPECT_NE(RunTool(tool + " " + dir.File("bad.txt") + " " + dir.File("bad.out")), 0);
  EXPECT_NE(RunTool(tool + " " + dir.File("missing.txt") + " " + dir.File("x.out")), 0);
}

}  // namespace

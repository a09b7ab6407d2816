// The party pages as the player gets them: the real program in a copy of the demo world,
// under the virtual clock and scripted input (menu_pages.input): a new game, the menu
// opened in the town, the status, bag, sub-command, stock, materials and party-order pages
// in turn, and back to the town.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/game_run.h"
#include "tests/support/png_file.h"

namespace {

using nltest::CountNear;
using nltest::Rgb;

// The screen may hold 16-bit colour: a channel is read back within 8.
bool Near(const nltest::Png& png, int x, int y, Rgb c) {
  const uint8_t* p = &png.rgb[(static_cast<size_t>(y) * png.width + x) * 3];
  return std::abs(p[0] - c.r) <= 8 && std::abs(p[1] - c.g) <= 8 && std::abs(p[2] - c.b) <= 8;
}

// Whether the square of side 16 at (x, y) is the same in both frames.
bool SameSquare(const nltest::Png& a, const nltest::Png& b, int x, int y) {
  for (int row = y; row < y + 16; ++row)
    for (int col = x; col < x + 16; ++col)
      for (int c = 0; c < 3; ++c) {
        const size_t i = (static_cast<size_t>(row) * a.width + col) * 3 + c;
        if (a.rgb[i] != b.rgb[i]) return false;
      }
  return true;
}

// The demo frame's backgrounds darken downwards from (64, 64, 188) highlit and
// (32, 32, 156) quiet to half at row 239; a box's background starts 4 pixels inside it.
Rgb Background(Rgb top, int row) {
  const auto shade = [row](int v) { return v - v * row / 478; };
  return {shade(top.r), shade(top.g), shade(top.b)};
}
constexpr Rgb kHighlit{64, 64, 188}, kQuiet{32, 32, 156};

class MenuPagesProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
  }
  int Run() {
    return run_.Run(NL_MENU_PAGES_INPUT_DIR "/menu_pages.input", "140,160,175,190,250,270,340,400,420,460,500", 510);
  }
  nltest::Png Frame(int n) const {
    std::optional<nltest::Png> png = run_.Frame(n);
    EXPECT_TRUE(png.has_value()) << "frame " << n;
    return png.value_or(nltest::Png{320, 240, std::vector<uint8_t>(320 * 240 * 3)});
  }

  nltest::GameRun run_;
};

TEST_F(MenuPagesProgramTest, MenuKeyOpensThePartyPagesAndCancelLeaves) {
  ASSERT_EQ(Run(), 0);
  constexpr Rgb kTownGround{40, 36, 72};
  const nltest::Png town = Frame(140), main = Frame(160), choose = Frame(175), member = Frame(190);
  const nltest::Png bag = Frame(250), sub_command = Frame(270), stock = Frame(340);
  const nltest::Png held = Frame(400), all = Frame(420), order = Frame(460), back = Frame(500);

  EXPECT_GT(CountNear(town, kTownGround), 240 * 100) << "the town before the menu";
  EXPECT_LT(CountNear(main, kTownGround), 320 * 10) << "the menu covers the town";
  // The command box (216,1)-(280,140) is highlit while it takes the keys.
  EXPECT_TRUE(Near(main, 224, 70, Background(kHighlit, 65)));
  EXPECT_TRUE(Near(choose, 224, 70, Background(kQuiet, 65)));
  // Member 0's picture walks at (60, 38) on the main page; the member page shows it at (56, 28).
  EXPECT_FALSE(SameSquare(main, member, 60, 44));
  EXPECT_FALSE(SameSquare(main, member, 224, 100)) << "no command box on the member page";
  // The bag's list box (44,26)-(276,216) is highlit, but not while the sub-command is chosen.
  EXPECT_TRUE(Near(bag, 100, 150, Background(kHighlit, 120)));
  EXPECT_TRUE(Near(sub_command, 100, 150, Background(kQuiet, 120)));
  EXPECT_TRUE(Near(stock, 100, 150, Background(kHighlit, 120)));
  // A new game holds materials 0, 1, 2 and 4: material 3 (at 173, 47) shows only in the
  // list of all twenty; material 0 (at 57, 30) in both.
  EXPECT_TRUE(SameSquare(held, all, 57, 30));
  EXPECT_FALSE(SameSquare(held, all, 173, 47));
  EXPECT_TRUE(Near(held, 180, 55, Background(kQuiet, 46)));
  EXPECT_TRUE(Near(order, 224, 70, Background(kQuiet, 65)));
  EXPECT_GT(CountNear(back, kTownGround), 240 * 100) << "the town after the menu";
}

}  // namespace

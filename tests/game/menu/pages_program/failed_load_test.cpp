// A load that fails from the menu of a running game, as the player gets it: the real
// program in a copy of the demo world. The first run saves a new game to slot 0
// (save_slot0.input); its file is then deleted, though the slot list still names it. The
// second run (load_missing.input) starts a new game, opens the load list from the menu
// (W held on the last entry) and picks slot 0: the failure's pop-up, then the town again,
// with the running game, not the title.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/game/menu/frame_glyphs.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"

namespace {

using menutest::ShowsText;

class FailedLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    ASSERT_TRUE(menutest::UseSolidCellFont(run_.DataDir()));
  }
  int Run(const char* frames_dir, const char* input, const char* frames, int exit_after) {
    return run_.Run(std::string(NL_MENU_PAGES_INPUT_DIR "/") + input, frames, exit_after, frames_dir);
  }
  nltest::Png Frame(const char* frames_dir, int n) const {
    std::optional<nltest::Png> png = run_.Frame(frames_dir, n);
    EXPECT_TRUE(png.has_value()) << "frame " << n;
    return png.value_or(nltest::Png{320, 240, std::vector<uint8_t>(320 * 240 * 3)});
  }

  nltest::GameRun run_;
};

TEST_F(FailedLoadTest, AFailedLoadFromTheMenuLeavesThePlayerInTheTown) {
  ASSERT_EQ(Run("save", "save_slot0.input", "195", 230), 0);
  ASSERT_TRUE(std::filesystem::remove(run_.DataFile(nltest::SaveSlotName(0)))) << "the save was written";

  ASSERT_EQ(Run("load", "load_missing.input", "140,180,210,260", 270), 0);
  constexpr nltest::Rgb kTownGround{40, 36, 72};
  const nltest::Png town = Frame("load", 140), list = Frame("load", 180), popup = Frame("load", 210);
  const nltest::Png after = Frame("load", 260);
  EXPECT_GT(nltest::CountNear(town, kTownGround), 240 * 100) << "the town before the menu";
  EXPECT_TRUE(ShowsText(list, 48, 8, "ロード"));
  EXPECT_TRUE(ShowsText(list, 52, 51, "まち")) << "slot 0 is listed as saved in the town";
  EXPECT_TRUE(ShowsText(list, 140, 121, "EMPTY")) << "slot 1";
  EXPECT_TRUE(ShowsText(popup, 46, 112, "ファイルが＿ないので＿こまっています。"));
  EXPECT_GT(nltest::CountNear(after, kTownGround), 240 * 100) << "the town again, not the title";
}

}  // namespace

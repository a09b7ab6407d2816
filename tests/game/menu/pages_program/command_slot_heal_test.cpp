// An ability used from a command slot, as the player gets it: the real program in a copy
// of the demo world (command_slot_heal.input). みなみ walks into the brambles, しば heals
// her with ヒーリング from her slot 4, and the game is saved. The worn ability's count is a
// marker (0xFFC0, a negative count): it is never used up, so her page shows no number
// beside it, before or after, and the save keeps the marker.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/game/menu/frame_glyphs.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/save_file.h"

namespace {

using menutest::CellsAt;
using menutest::ShowsText;

class CommandSlotHealTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    ASSERT_TRUE(menutest::UseSolidCellFont(run_.DataDir()));
  }
  nltest::Png Frame(int n) const {
    std::optional<nltest::Png> png = run_.Frame(n);
    EXPECT_TRUE(png.has_value()) << "frame " << n;
    return png.value_or(nltest::Png{320, 240, std::vector<uint8_t>(320 * 240 * 3)});
  }

  nltest::GameRun run_;
};

TEST_F(CommandSlotHealTest, HealingFromACommandSlotKeepsTheWornMarker) {
  ASSERT_EQ(run_.Run(NL_MENU_PAGES_INPUT_DIR "/command_slot_heal.input", "275,305,325", 400), 0);
  const nltest::Png before = Frame(275), result = Frame(305), after = Frame(325);
  // しば's page with the hand at slot 4 (46, 188): PP 38 before the use, 33 after; the
  // place of a count (126, 188) holds nothing either time.
  EXPECT_TRUE(ShowsText(before, 80, 32, "しば"));
  EXPECT_TRUE(ShowsText(before, 120, 64, "38/"));
  EXPECT_TRUE(ShowsText(after, 120, 64, "33/"));
  EXPECT_EQ(CellsAt(before, 126, 188, 4), std::vector<int>(4, -1));
  EXPECT_EQ(CellsAt(after, 126, 188, 4), std::vector<int>(4, -1)) << "no count beside ヒーリング";
  EXPECT_TRUE(ShowsText(result, 45, 224, "HPかいふく!"));

  const std::optional<nltest::SavedGame> saved = run_.Save(0);
  ASSERT_TRUE(saved);
  const std::pair<int, int> slot4 = saved->Equipment(1, 4);
  EXPECT_EQ(slot4.first, 411) << "ヒーリング";
  EXPECT_EQ(slot4.second, 0xFFC0) << "the worn marker is kept";
  EXPECT_EQ(saved->Member(0, 2), 68) << "みなみ healed from 28";
  EXPECT_EQ(saved->Member(1, 4), 33) << "しば paid 5 PP";
}

}  // namespace

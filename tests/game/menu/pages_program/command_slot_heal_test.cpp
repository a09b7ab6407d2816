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

#include "game/codec/lz_codec.h"
#include "tests/game/menu/frame_glyphs.h"
#include "tests/support/png_file.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

using menutest::CellsAt;
using menutest::ShowsText;

uint32_t U32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

// The save layout: member blocks of 128 words from 128, the equipment stacks
// {u16 id, u16 count} of 16 per member from 2304; the icon before the packed data.
constexpr size_t kMembersAt = 128, kEquipmentAt = 2304, kIconBytes = 766;

class CommandSlotHealTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    std::filesystem::copy(NL_DEMO_DATA_DIR, data_, std::filesystem::copy_options::recursive);
    ASSERT_TRUE(menutest::UseSolidCellFont(data_));
  }
  nltest::Png Frame(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", n);
    std::optional<nltest::Png> png = nltest::ReadPng(dir_.File("frames") + name);
    EXPECT_TRUE(png.has_value()) << "frame " << n;
    return png.value_or(nltest::Png{320, 240, std::vector<uint8_t>(320 * 240 * 3)});
  }
  // Slot 0's game state, unpacked with the game's codec.
  std::string SavedLayout() {
    const std::string file = nltest::ReadFileBytes(data_ + "/save/data00.dat.ico");
    if (file.size() <= kIconBytes) return {};
    const std::string packed = dir_.File("packed"), plain = dir_.File("plain");
    EXPECT_TRUE(nltest::WriteFileBytes(packed, std::string_view(file).substr(kIconBytes)));
    if (game::PackFile(packed, plain, game::kPackFileModeUnpack) != game::kPackFileOk) return {};
    return nltest::ReadFileBytes(plain);
  }

  nltest::TempDir dir_;
  const std::string data_ = dir_.File("data");
};

TEST_F(CommandSlotHealTest, HealingFromACommandSlotKeepsTheWornMarker) {
  ASSERT_EQ(nltest::RunProgram({nltest::GameProgram(), data_,
                                {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                 {"NIGHTLOOM_CAPTURE", dir_.File("frames")},
                                 {"NIGHTLOOM_CAPTURE_FRAMES", "275,305,325"},
                                 {"NIGHTLOOM_EXIT_AFTER", "400"},
                                 {"NIGHTLOOM_INPUT", NL_MENU_PAGES_INPUT_DIR "/command_slot_heal.input"}},
                                "/dev/null", ""}),
            0);
  const nltest::Png before = Frame(275), result = Frame(305), after = Frame(325);
  // しば's page with the hand at slot 4 (46, 188): PP 38 before the use, 33 after; the
  // place of a count (126, 188) holds nothing either time.
  EXPECT_TRUE(ShowsText(before, 80, 32, "しば"));
  EXPECT_TRUE(ShowsText(before, 120, 64, "38/"));
  EXPECT_TRUE(ShowsText(after, 120, 64, "33/"));
  EXPECT_EQ(CellsAt(before, 126, 188, 4), std::vector<int>(4, -1));
  EXPECT_EQ(CellsAt(after, 126, 188, 4), std::vector<int>(4, -1)) << "no count beside ヒーリング";
  EXPECT_TRUE(ShowsText(result, 45, 224, "HPかいふく!"));

  const std::string saved = SavedLayout();
  ASSERT_GE(saved.size(), kEquipmentAt + 4 * 64);
  const uint32_t slot4 = U32(saved, kEquipmentAt + 4 * (16 * 1 + 4));
  EXPECT_EQ(slot4 & 0xFFFF, 411u) << "ヒーリング";
  EXPECT_EQ(slot4 >> 16, 0xFFC0u) << "the worn marker is kept";
  EXPECT_EQ(U32(saved, kMembersAt + 4 * 2), 68u) << "みなみ healed from 28";
  EXPECT_EQ(U32(saved, kMembersAt + 4 * (128 + 4)), 33u) << "しば paid 5 PP";
}

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "game/codec/glyph_codes.h"
#include "game/data/save_icons.h"
#include "tests/game/data/data_fixture.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"

namespace {

using namespace game;
using datatest::DataTest;
using datatest::WriteText;

// One backup.txt record: number, name, description, 64 values with [0] and [3] set.
std::string ItemLine(int uses, int kind, const std::string& name = "やくそう") {
  std::string line = "0 " + name + " せつめい " + std::to_string(uses) + " 10 0 " + std::to_string(kind);
  for (int i = 4; i < kItemValues; ++i) line += " 0";
  return line + "\n";
}

std::string Values(int n, int value) {
  std::string s;
  for (int i = 0; i < n; ++i) s += " " + std::to_string(value);
  return s;
}

std::array<uint8_t, kNameCodes> Codes16(std::string_view sjis) {
  std::array<uint8_t, kNameCodes + 1> all{};
  SjisToGlyphCodes(sjis, all);
  std::array<uint8_t, kNameCodes> out{};
  std::copy_n(all.begin(), kNameCodes, out.begin());
  return out;
}

TEST_F(DataTest, ItemRecordsAreNumberedByOrderAndTheirUsesClamped) {
  const struct { int on_file, stored; } cases[] = {{-5, -64}, {-1, -64}, {0, 0}, {998, 998}, {999, -32}, {1500, -32}};
  std::string file = "# items\nheader words ---\n" + ItemLine(7, 0);
  for (const auto& c : cases) file += ItemLine(c.on_file, 1);
  WriteText(dir_.File("system/backup.txt"), file);
  GameData& d = Data();
  d.LoadGameDatabase();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].on_file);
    EXPECT_EQ(d.Items[i + 1].values[kItemUses], cases[i].stored);
    EXPECT_EQ(d.Items[i + 1].values[kItemKind], 1);
  }
  EXPECT_EQ(d.Items[1].name, Codes16("やくそう"));
  EXPECT_EQ(d.Items[0].values[kItemUses], 7);
  EXPECT_EQ(d.Items[0].description, (std::array<uint8_t, kDescriptionCodes>{}));
  EXPECT_NE(d.Items[1].description, (std::array<uint8_t, kDescriptionCodes>{}));
}

TEST_F(DataTest, ItemNamesKeepSixteenGlyphsAndLongerOnesAreCut) {
  // 20 kana: the first 16 stay, with no room taken by a terminator.
  const std::string name = "あいうえおかきくけこさしすせそたちつてと";
  WriteText(dir_.File("system/backup.txt"), "---\n" + ItemLine(0, 0) + ItemLine(1, 1, name));
  GameData& d = Data();
  d.LoadGameDatabase();
  EXPECT_EQ(d.Items[1].name, Codes16("あいうえおかきくけこさしすせそた"));
  EXPECT_NE(d.Items[1].name[15], 0);
}

TEST_F(DataTest, AWordThatIsNotANumberEndsTheReadOfThatFile) {
  WriteText(dir_.File("system/backup.txt"),
            "---\n" + ItemLine(0, 0) + ItemLine(3, 1) + "0 name text 5 x" + Values(62, 0) + "\n" + ItemLine(4, 1));
  WriteText(dir_.File("ene/enemy.txt"), "---\n1 a" + Values(64, 1) + "\n2 b 7 oops\n3 c" + Values(64, 3) + "\n");
  WriteText(dir_.File("ene/party.txt"), "---\n5 1 2 0" + Values(21, 0) + "\n6 x\n7 3" + Values(23, 0) + "\n");
  GameData& d = Data();
  d.LoadGameDatabase();
  EXPECT_EQ(d.Items[1].values[kItemUses], 3);
  EXPECT_EQ(d.Items[2].values[kItemKind], 0);
  EXPECT_EQ(d.Items[3].values[kItemKind], 0);
  EXPECT_EQ(d.Enemies[1].values[kEnemySpriteValue], 1);
  EXPECT_EQ(d.Enemies[2].values[kEnemySpriteValue], 0);
  EXPECT_EQ(d.Enemies[3].values[kEnemySpriteValue], 0);
  EXPECT_EQ(d.EncounterGroups[5][1], 2u);
  EXPECT_EQ(d.EncounterGroups[7][0], 0u);
}

TEST_F(DataTest, RowsOutsideTheirTablesAreSkipped) {
  WriteText(dir_.File("system/maplist.txt"),
            "3 town.map まち\n-1 bad.map x\n512 bad.map x\n1 "
            "a_name_that_is_much_longer_than_forty_seven_bytes_of_room.map y\n");
  WriteText(dir_.File("ene/enemy.txt"),
            "words ---\n800 big" + Values(64, 9) + "\n-2 neg" + Values(64, 9) + "\n799 last" + Values(64, 4) + "\n");
  WriteText(dir_.File("ene/party.txt"),
            "---\n512" + Values(24, 1) + "\n34 1 2 800" + Values(21, 0) + "\n33 1 2 3" + Values(21, 0) + "\n");
  WriteText(dir_.File("system/concoction.txt"), "780 0 1 2\n100 0 32 1\n101 2 1 0\n102 255 255 255\n");
  vexal::ResetAppState();
  vexal::AppState.StartDirectory = dir_.path();
  vexal::StartLogFile();
  GameData& d = Data();
  d.LoadGameDatabase();
  // Each skipped row is one stamped line of the log, with no empty line after it.
  const std::string log = nltest::ReadFileBytes(dir_.File("AppLog.txt"));
  vexal::ResetAppState();
  for (const char* line : {"system\\maplist.txt: map -1 skipped", "system\\maplist.txt: map 512 skipped",
                           "ene\\enemy.txt: enemy 800 skipped", "ene\\party.txt: group of map 512 skipped"}) {
    EXPECT_NE(log.find(std::string(":") + line + "\n"), std::string::npos) << line << " in\n" << log;
  }
  EXPECT_NE(log.find("skipped (result"), std::string::npos) << log;
  for (size_t at = 0; at < log.size(); at = log.find('\n', at) + 1) {
    size_t digits = at;
    while (digits < log.size() && log[digits] >= '0' && log[digits] <= '9') ++digits;
    EXPECT_TRUE(digits > at && log[digits] == ':') << "an unstamped line at byte " << at << " of\n" << log;
  }
  EXPECT_STREQ(d.MapList[3].data(), "town.map");
  EXPECT_EQ(std::string(d.MapList[1].data()),
            std::string("a_name_that_is_much_longer_than_forty_seven_bytes_of_room.map").substr(0, 47));
  EXPECT_EQ(d.MapList[0][0], 0);
  EXPECT_EQ(d.Enemies[799].values[kEnemySpriteValue], 4);
  EXPECT_EQ(d.EncounterGroups[34][0], 0u);  // an enemy number past the table
  EXPECT_EQ(d.EncounterGroups[33][2], 3u);
  // A recipe's number is its row: the two bad rows stay empty and keep their places.
  const struct {
    uint32_t result;
    std::array<uint8_t, 3> materials;
  } recipes[] = {{1, {0xFF, 0xFF, 0xFF}},
                 {1, {0xFF, 0xFF, 0xFF}},
                 {101, {2, 1, 0}},
                 {102, {0xFF, 0xFF, 0xFF}},
                 {1, {0xFF, 0xFF, 0xFF}}};
  for (size_t i = 0; i < std::size(recipes); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(d.RecipeResults[i], recipes[i].result);
    EXPECT_EQ(d.RecipeMaterials[i], recipes[i].materials);
  }
}

TEST_F(DataTest, AShortIconPackKeepsWhatItHolds) {
  // One whole icon entry and half of the next: those bytes stay, the rest is zero.
  std::string pack;
  for (int i = 0; i < kSaveIconEntryBytes * 3 / 2; ++i) pack += static_cast<char>(1 + i % 251);
  WriteText(dir_.File("system/package16.grp"), pack);
  TheSaveIconPack.LoadSaveIcons();
  const auto& e = TheSaveIconPack.Entries();
  for (size_t i = 0; i < e.size(); ++i) {
    const int expected = i < pack.size() ? 1 + static_cast<int>(i % 251) : 0;
    if (e[i] != expected) {
      ADD_FAILURE() << "byte " << i << " is " << int(e[i]) << ", expected " << expected;
      break;
    }
  }
}

TEST_F(DataTest, MissingFilesLeaveTheTablesEmpty) {
  GameData& d = Data();
  d.LoadGameDatabase();
  EXPECT_EQ(d.Items[5].values[kItemKind], 0);
  EXPECT_EQ(d.MapList[34][0], 0);
  EXPECT_EQ(d.RecipeMaterials[0], (std::array<uint8_t, 3>{0xFF, 0xFF, 0xFF}));
  for (const SaveSlotSummary& s : d.SlotSummaries) {
    EXPECT_EQ(s.leader_id, 0xFFFF);
    EXPECT_EQ(s.place[0], 0);
    EXPECT_EQ(s.date[0], 0);
  }
}

}  // namespace

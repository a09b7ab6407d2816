// The demo world's tables as built into the data tree: what the maps, the shop, the
// battle and the menus rely on is there and consistent.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/codec/glyph_codes.h"
#include "tests/game/data/data_fixture.h"

namespace {

using namespace game;

class DemoTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = plat::fs::CurrentDirectory();
    ASSERT_TRUE(plat::fs::SetCurrentDirectory(NL_DEMO_DATA_DIR));
    ResetGameData();
    datatest::PictureLoads.clear();
    SetGameDataHooks(datatest::kRecordingHooks);
    CreateGameData();
    TheGameData().LoadGameDatabase();
  }
  void TearDown() override {
    ResetGameData();
    plat::fs::SetCurrentDirectory(old_dir_);
  }
  std::string old_dir_;
};

std::array<uint8_t, kNameCodes> Name(std::string_view sjis) {
  std::array<uint8_t, kNameCodes + 1> all{};
  SjisToGlyphCodes(sjis, all);
  std::array<uint8_t, kNameCodes> out{};
  std::copy_n(all.begin(), kNameCodes, out.begin());
  return out;
}

TEST_F(DemoTablesTest, TheTablesHoldWhatTheWorldUses) {
  const GameData& d = TheGameData();
  EXPECT_EQ(d.Items[1].name, Name("やくそう"));
  EXPECT_EQ(d.ItemKind(1), 1);
  EXPECT_GT(d.Items[1].values[kItemPrice], 0);
  EXPECT_EQ(d.ItemKind(90), 51);  // the fixed command: usable with its marker count
  for (int id : {32, 33, 36}) EXPECT_EQ(d.ItemKind(id), 4) << id;
  // Every starting item has a kind with a label, and the party wears it.
  for (int m = 0; m < kMemberCount; ++m) {
    for (int s = 0; s < kStartingEquipSlots; ++s) {
      const int id = d.Equipment[m][s].id;
      if (id != 0) {
        EXPECT_GE(ItemKindIndex(d.ItemKind(id)), 0) << m << " " << id;
      }
    }
  }
  EXPECT_GT(d.Members[0][kMemberAttack], d.Members[0][kMemberBaseAttack]);
  EXPECT_STREQ(d.MapList[33].data(), "town.map");
  EXPECT_STREQ(d.MapList[34].data(), "field.map");
  EXPECT_NE(d.EncounterGroups[34][0], 0u);
  EXPECT_EQ(d.EncounterGroups[33][0], 0u);
  for (uint32_t e : d.EncounterGroups[34]) {
    if (e != 0) {
      EXPECT_GT(d.Enemies[e].values[kEnemyHpValue], 0) << e;  // every enemy met has HP
    }
  }
  EXPECT_GT(d.Enemies[4].values[kEnemyHpValue], d.Enemies[1].values[kEnemyHpValue]);
  EXPECT_EQ(d.Enemies[1].name, Name("よるのこうもり"));
  EXPECT_EQ(datatest::PictureLoads, std::vector<std::string>{"system\\fruit.png 20 20 1 16 16"});
  EXPECT_EQ(d.FruitGraphs[19], 119);
}

// A fight's commands are the member's slots, so a herb the shop sells is used in a fight
// only once it is worn (the shopkeeper says so): the leader starts with one worn, which the
// first fight shows in her list. It heals as the shop's does and goes when used up.
TEST_F(DemoTablesTest, TheLeaderStartsWithAHerbInACommandSlot) {
  const GameData& d = TheGameData();
  const ItemRecord& shop_herb = d.Items[1];
  int worn = 0;
  for (int s = 0; s < kStartingEquipSlots; ++s) {
    const ItemStack& stack = d.Equipment[0][s];
    const ItemRecord& item = d.Items[stack.id];
    if (stack.id == 0 || item.name != shop_herb.name) continue;
    ++worn;
    EXPECT_EQ(std::vector<int32_t>(item.values.begin(), item.values.end()),
              std::vector<int32_t>(shop_herb.values.begin(), shop_herb.values.end()))
        << "item " << stack.id << " is the shop's herb";
    EXPECT_EQ(stack.count, 1) << "one use";
  }
  EXPECT_EQ(worn, 1);
  EXPECT_EQ(d.Items[1].values[kItemKind], 1) << "a used-up herb is taken out of the slot";
}

TEST_F(DemoTablesTest, AStartingPartyCanConcoctFromItsMaterials) {
  GameData& d = TheGameData();
  const int result = d.Concoct(2, 0, 1, 0);
  ASSERT_GT(result, 0);
  EXPECT_EQ(d.ItemKind(result), 1);
  EXPECT_EQ(d.Concoct(0, 1, 2, 1), result);
  EXPECT_EQ(d.ItemBag[0].id, result);
}

TEST_F(DemoTablesTest, EveryBagRowAPlayerCanReachReadsRight) {
  // The bag draws a count up to 9999, and 0xFFE0 as "-": worn things carry that marker,
  // used-up things a count from 1; 0xFFFF (uses -1) would read "9999".
  constexpr int32_t kDashUses = -32;
  GameData& d = TheGameData();
  std::vector<int> rows = {1, 2, 5, 213, 250, 260};  // the town shop's goods
  for (int e = 1; e <= 4; ++e) {
    rows.push_back(d.Enemies[e].values[kEnemyDropValue]);  // drops of the field's enemies and the shadow
    rows.push_back(d.Enemies[e].values[kEnemyRareDropValue]);
  }
  for (uint32_t r : d.RecipeResults) {
    if (r != 0) rows.push_back(static_cast<int>(r));
  }
  for (int m = 0; m < kMemberCount; ++m) {
    for (const ItemStack& worn : d.Equipment[m]) {
      if (worn.id != 0 && d.ItemKind(worn.id) < 300) rows.push_back(worn.id);  // taken off
    }
  }
  // The shadow's light, the field's reward, is an ability: it lands in the stock, whose
  // counts read in one digit, and never in the bag.
  EXPECT_GE(d.ItemKind(321), 301);
  for (int id : rows) {
    const int32_t uses = d.Items[id].values[kItemUses];
    const int kind = d.ItemKind(id);
    SCOPED_TRACE(id);
    if (kind >= 101 && kind <= 299) {
      EXPECT_EQ(uses, kDashUses);
      EXPECT_EQ(static_cast<uint16_t>(uses), 0xFFE0);
    } else {
      EXPECT_GE(uses, 1);
      EXPECT_LE(uses, 9999);
    }
  }
}

TEST_F(DemoTablesTest, EverySaveIconReadsAsAThirtyTwoPixelIcon) {
  if (std::system("command -v identify >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick identify missing";
  TheSaveIconPack.LoadSaveIcons();
  nltest::TempDir dir;
  std::string command = "identify -format '%m %w %h %z\\n'";
  for (int n = 0; n < kSaveIconCount; ++n) {
    const std::string file = dir.File("slot" + std::to_string(n) + ".ico");
    std::string bytes(kSaveIconHeader.begin(), kSaveIconHeader.end());
    const auto& e = TheSaveIconPack.Entries();
    bytes.append(e.begin() + n * kSaveIconEntryBytes, e.begin() + n * kSaveIconEntryBytes + kSaveIconUsedBytes);
    bytes += "packed game state";
    ASSERT_TRUE(nltest::WriteFileBytes(file, bytes));
    command += " ico:" + file;
  }
  std::FILE* out = popen((command + " 2>&1").c_str(), "r");
  ASSERT_NE(out, nullptr);
  char line[256];
  int icons = 0;
  while (std::fgets(line, sizeof line, out) != nullptr) {
    EXPECT_STREQ(line, "ICO 32 32 4\n");
    ++icons;
  }
  pclose(out);
  EXPECT_EQ(icons, kSaveIconCount);
}

}  // namespace

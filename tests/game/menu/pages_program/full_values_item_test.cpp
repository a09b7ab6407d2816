// Items whose only condition is that the member is not down, used on a member whose values
// are already full, in the real program in a copy of the demo world: PPドリンク from the bag
// on みなみ at PP 43/43 shows its message and is used up, and the save made afterwards keeps
// one fewer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "game/entry/field_wiring.h"
#include "game/field/field_map.h"
#include "tests/game/data/data_fixture.h"
#include "tests/game/menu/frame_glyphs.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"

namespace {

using namespace game;
using menutest::ShowsText;

constexpr uint16_t kPpDrink = 2;

// CONTINUE loads slot 0; the menu, アイテム, the bag's first entry chosen twice (use), the
// target みなみ; after the result the bag is left for the main page, up to セーブ, slot 0,
// confirmed.
constexpr char kInput[] =
    "60 down X\n61 up X\n80 down X\n81 up X\n100 down X\n101 up X\n"
    "200 down pad:0\n201 up pad:0\n210 down Down\n211 up Down\n220 down pad:1\n221 up pad:1\n"
    "230 down pad:1\n231 up pad:1\n240 down pad:1\n241 up pad:1\n250 down pad:1\n251 up pad:1\n"
    "300 down pad:2\n301 up pad:2\n310 down pad:2\n311 up pad:2\n320 down Up\n321 up Up\n"
    "330 down Up\n331 up Up\n340 down pad:1\n341 up pad:1\n350 down pad:1\n351 up pad:1\n"
    "360 down pad:1\n361 up pad:1\n";

class FullValuesItemTest : public datatest::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    ASSERT_TRUE(menutest::UseSolidCellFont(dir_.path()));
    ResetGameData();
    ResetField();
    WireField();                // the save is held to the field's own map check
    Data().LoadGameDatabase();  // the map list the save checks the town against
    TheSaveIconPack.LoadSaveIcons();
    datatest::WriteText(dir_.File("use.input"), kInput);
  }

  // The game works in the test's folder, where this process reads and writes its saves.
  nltest::GameRun run_{dir_.path(), dir_.path()};
};

TEST_F(FullValuesItemTest, APpDrinkAtFullPpIsUsedUpWithItsMessage) {
  // A new game in the town with two drinks in the bag; みなみ (member 0) starts at 43/43.
  GameData& d = Data();
  d.Scalars[kScalarCurrentMap] = 33;
  TheField.SetPlayerTile(115, 132);
  TheField.SetMapDisplayName("まち");
  d.ItemBag[0] = {kPpDrink, 2};
  ASSERT_EQ(d.Members[0][kMemberPp], d.Members[0][kMemberMaxPp]);
  const int32_t pp = d.Members[0][kMemberPp];
  ASSERT_EQ(d.SaveGame(0), 0);

  ASSERT_EQ(run_.Run(dir_.File("use.input"), "260", 400), 0);
  const auto result = run_.Frame(260);
  ASSERT_TRUE(result);
  EXPECT_TRUE(ShowsText(*result, 45, 224, "PPかいふく!"));
  EXPECT_FALSE(ShowsText(*result, 45, 224, "かいふくできないぜ"));

  ResetGameData();
  GameData& saved = Data();
  saved.LoadGameDatabase();
  ASSERT_EQ(saved.LoadGame(0), 0);
  EXPECT_EQ(saved.ItemBag[0].id, kPpDrink);
  EXPECT_EQ(saved.ItemBag[0].count, 1) << "one drink used up";
  EXPECT_EQ(saved.Members[0][kMemberPp], pp);
}

}  // namespace

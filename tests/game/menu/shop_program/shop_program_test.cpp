// The shop and the menu as the player gets them: the real program in a copy of the demo
// world, under the virtual clock and scripted input. The first run (shop_use_save.input)
// walks through the brambles to the shop, takes the shopkeeper's gift, buys two herbs,
// looks at the sell list, uses a herb from the menu and saves to slot 0. The second run
// (load_save_again.input) loads slot 0 from the title's CONTINUE and saves it again to
// slot 1. Both slot files are read back with the test support's save reader. Then
// the first run talks to the shopkeeper again and tries to buy what it cannot pay for.
// The data folder's font paints each cell a colour of its own, so the texts a player
// reads (the questions, the prices, the refusal) are read back cell by cell.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/game/menu/frame_glyphs.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/save_file.h"

namespace {

using menutest::ShowsText;
using nltest::CountNear;
using nltest::Rgb;

// The same pixels in the area of both frames.
bool SameArea(const nltest::Png& a, const nltest::Png& b, int x0, int y0, int w, int h) {
  for (int y = y0; y < y0 + h; ++y)
    if (std::memcmp(&a.rgb[(size_t(y) * a.width + x0) * 3], &b.rgb[(size_t(y) * b.width + x0) * 3], size_t(w) * 3) != 0)
      return false;
  return true;
}

struct Party {
  uint32_t money = 0;
  int32_t hp = 0, max_hp = 0;
  uint16_t bag[3][2] = {};     // id, count of stacks 0-2
  uint16_t materials[5] = {};  // counts of materials 0-4
};

class ShopProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    ASSERT_TRUE(menutest::UseSolidCellFont(run_.DataDir()));
  }
  // Frames go to the folder named after the run.
  int Run(const char* run, const char* input, const char* frames, int exit_after) {
    return run_.Run(std::string(NL_MENU_SHOP_INPUT_DIR "/") + input, frames, exit_after, run);
  }
  std::optional<nltest::Png> Frame(const char* run, int n) const { return run_.Frame(run, n); }
  // Slot n's game state.
  std::optional<Party> ReadSlot(int n) {
    const std::optional<nltest::SavedGame> save = run_.Save(n);
    if (!save) return std::nullopt;
    Party p;
    p.money = save->Scalar(0);
    p.hp = save->Member(0, 2);
    p.max_hp = save->Member(0, 3);
    for (int i = 0; i < 3; ++i) {
      p.bag[i][0] = uint16_t(save->Bag(i).first), p.bag[i][1] = uint16_t(save->Bag(i).second);
    }
    for (int i = 0; i < 5; ++i) p.materials[i] = uint16_t(save->MaterialCount(i));
    return p;
  }

  nltest::GameRun run_;
};

TEST_F(ShopProgramTest, BoughtUsedAndMixedItemsAreSavedAndComeBackFromTheTitle) {
  ASSERT_EQ(Run("shop", "shop_use_save.input", "365,395,405,475,635,645,795,810", 860), 0);
  const std::string log = run_.Log();
  EXPECT_NE(log.find("treasure: flag 302 set, kind 1, 200"), std::string::npos) << "the shopkeeper's gift";

  // 200 from the gift, two herbs at 20; the brambles took 3 of 68 HP and the herb gave
  // them back (its 30, up to the maximum); the used herb's stack is gone, the other one
  // stays.
  const std::optional<Party> saved = ReadSlot(0);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->money, 160u);
  EXPECT_EQ(saved->hp, 68);
  EXPECT_EQ(saved->max_hp, 68);
  EXPECT_EQ(saved->bag[0][0], 0) << "the used herb";
  EXPECT_EQ(saved->bag[1][0], 1) << "the second herb";
  EXPECT_EQ(saved->bag[1][1], 1);
  EXPECT_EQ(saved->bag[2][0], 0);

  // The slot list: slot 0 holds member 0 with 68 of 68 HP in the town.
  const std::optional<nltest::SlotList> list = run_.Slots();
  ASSERT_TRUE(list) << "16 summaries";
  EXPECT_EQ(list->Leader(0), 0);
  EXPECT_EQ(list->Value(0, 0), 68u);
  EXPECT_EQ(list->Value(0, 1), 68u);
  EXPECT_EQ(list->Leader(1), 0xFFFF) << "slot 1 still empty";

  // Before the goods, the shopkeeper's word on herbs: two lines of the message box, broken
  // where the script breaks them.
  const auto herb_word = Frame("shop", 365);
  ASSERT_TRUE(herb_word);
  EXPECT_TRUE(ShowsText(*herb_word, 54, 170, "やくそうは＿メニューの＿そうびで＿みにつけておけ。"));
  EXPECT_TRUE(ShowsText(*herb_word, 54, 186, "そうびした＿ものしか＿たたかいでは＿つかえないぞ。"));

  // What the player saw: the buy question's box (80, 80)-(240, 136) over the goods, the
  // sell question in the same place over the bag, the save question over slot 1.
  const auto goods = Frame("shop", 395), buy_question = Frame("shop", 405), sell_question = Frame("shop", 475);
  const auto save_list = Frame("shop", 635), save_question = Frame("shop", 645);
  ASSERT_TRUE(goods && buy_question && sell_question && save_list && save_question);
  EXPECT_TRUE(SameArea(*goods, *buy_question, 0, 138, 320, 70)) << "the goods below the box stay";
  EXPECT_FALSE(SameArea(*goods, *buy_question, 80, 80, 161, 57));
  EXPECT_FALSE(SameArea(*goods, *sell_question, 80, 80, 161, 57));
  EXPECT_TRUE(SameArea(*save_list, *save_question, 0, 159, 320, 50)) << "slot 2 stays";
  EXPECT_FALSE(SameArea(*save_list, *save_question, 56, 100, 209, 33));

  // The texts: the goods with their prices right-aligned in 7 places before "R", the
  // money after the gift; the buy question names the herb and its price; the sell
  // question its count, the price 20 x 3 / 4 for its one use of one, and the question.
  EXPECT_TRUE(ShowsText(*goods, 56, 34, "CASH"));
  EXPECT_TRUE(ShowsText(*goods, 128, 34, "200R"));
  EXPECT_TRUE(ShowsText(*goods, 64, 64, "やくそう"));
  EXPECT_TRUE(ShowsText(*goods, 216, 64, "20R"));
  EXPECT_TRUE(ShowsText(*goods, 208, 136, "500R")) << "よろい, the fifth row";
  EXPECT_TRUE(ShowsText(*buy_question, 92, 90, "やくそう"));
  EXPECT_TRUE(ShowsText(*buy_question, 132, 104, "20R"));
  EXPECT_TRUE(ShowsText(*buy_question, 92, 120, "かいますか？"));
  EXPECT_TRUE(ShowsText(*sell_question, 232, 10, "160R"));
  EXPECT_TRUE(ShowsText(*sell_question, 88, 88, "やくそう"));
  EXPECT_TRUE(ShowsText(*sell_question, 184, 88, "1かい"));
  EXPECT_TRUE(ShowsText(*sell_question, 128, 104, "15R"));
  EXPECT_TRUE(ShowsText(*sell_question, 88, 120, "このねだんで＿うりますか？"));
  // 500 R against 160: the question, then the refusal's pop-up.
  const auto armour_question = Frame("shop", 795), refusal = Frame("shop", 810);
  ASSERT_TRUE(armour_question && refusal);
  EXPECT_TRUE(ShowsText(*armour_question, 92, 90, "よろい"));
  EXPECT_TRUE(ShowsText(*armour_question, 124, 104, "500R"));
  EXPECT_TRUE(ShowsText(*refusal, 46, 112, "それでは＿たりないようですよ。"));

  ASSERT_EQ(Run("load", "load_save_again.input", "85,140,485,495,515", 650), 0);
  // The load list shows slot 0 filled where the save list showed it empty; then the
  // town again.
  constexpr Rgb kTownGround{40, 36, 72};
  const auto load_list = Frame("load", 85), loaded = Frame("load", 140);
  ASSERT_TRUE(load_list && loaded);
  EXPECT_TRUE(SameArea(*load_list, *save_list, 0, 96, 320, 120)) << "slots 1 and 2 as they were";
  EXPECT_FALSE(SameArea(*load_list, *save_list, 48, 33, 224, 50)) << "slot 0's summary";
  EXPECT_GT(CountNear(*loaded, kTownGround), 240 * 60) << "the town after the load";
  // Concoction: two chosen materials on their bands, the third brings the result box,
  // and once made the choice is cleared.
  constexpr Rgb kBand{120, 80, 24};
  const auto two_chosen = Frame("load", 485), result = Frame("load", 495), made = Frame("load", 515);
  ASSERT_TRUE(two_chosen && result && made);
  EXPECT_GT(CountNear(*two_chosen, kBand), 2 * 1000);
  EXPECT_EQ(CountNear(*made, kBand), 0);
  EXPECT_FALSE(SameArea(*two_chosen, *result, 56, 92, 209, 49)) << "the result box";

  // Slot 1 holds the loaded game: the money, HP and the second herb from the first run,
  // and the mixed item (3, from materials 0, 1, 2) in the stack the used herb left.
  const std::optional<Party> again = ReadSlot(1);
  ASSERT_TRUE(again) << "the loaded game was saved to slot 1";
  EXPECT_EQ(again->money, 160u);
  EXPECT_EQ(again->hp, 68);
  EXPECT_EQ(again->bag[0][0], 3);
  EXPECT_EQ(again->bag[0][1], 1);
  EXPECT_EQ(again->bag[1][0], saved->bag[1][0]);
  EXPECT_EQ(again->bag[1][1], saved->bag[1][1]);
  const uint16_t before[5] = {1, 1, 1, 0, 1}, after[5] = {0, 0, 0, 0, 1};  // a new game's 0, 1, 2 and 4
  EXPECT_EQ(std::memcmp(saved->materials, before, sizeof before), 0);
  EXPECT_EQ(std::memcmp(again->materials, after, sizeof after), 0);
}

}  // namespace

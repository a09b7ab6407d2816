#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/game/data/data_fixture.h"

namespace {

using namespace game;
using datatest::DataTest;
using datatest::Popups;
using datatest::Sounds;

constexpr char kArmourTaken[] = "べつの＿アイテムを＿はずさないと＿そうびできません。";
constexpr char kWholeBody[] = "ぜんしんぼうぐなので＿ほかの＿ぼうぐを＿はずしてください。";

// Items 601-606 are armour of kinds 201-206; 350 an ability; 360 an own ability.
class PartyTest : public DataTest {
 protected:
  GameData& Party() {
    GameData& d = Data();
    for (int k = 0; k < 6; ++k) SetItem(d, 601 + k, 201 + k, 0, 0);
    SetItem(d, 350, 311);
    SetItem(d, 360, kOwnAbilityKind);
    for (auto& e : d.Equipment) e.fill({});
    d.ItemBag.fill({});
    return d;
  }
  static uint16_t Id(int n) { return static_cast<uint16_t>(n); }
};

TEST_F(PartyTest, ArmourIsRefusedWhereItsPlaceIsTaken) {
  const struct {
    std::vector<int> worn;  // items in slots 0, 1, ...
    int slot, item;
    const char* message;  // null: worn
  } cases[] = {
      {{605}, 1, 601, kArmourTaken}, {{605}, 1, 604, kArmourTaken}, {{601}, 1, 605, kWholeBody},
      {{604}, 1, 605, kWholeBody},   {{601}, 1, 601, kArmourTaken}, {{606}, 1, 606, kArmourTaken},
      {{601}, 1, 602, nullptr},      {{605}, 0, 601, nullptr},      {{606}, 1, 605, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.worn[0]) + " then " + std::to_string(c.item));
    GameData& d = Party();
    for (size_t s = 0; s < c.worn.size(); ++s) d.Equipment[0][s] = {Id(c.worn[s]), 0};
    d.ItemBag[5] = {Id(c.item), 0};
    const auto before = d.Equipment;
    Sounds.clear();
    Popups.clear();
    const int result = d.EquipFromBag(0, c.slot, 5);
    if (c.message != nullptr) {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(Sounds, std::vector<int>{kSoundRefused});
      EXPECT_EQ(Popups, std::vector<std::string>{c.message});
      EXPECT_EQ(d.Equipment, before);
      EXPECT_EQ(d.ItemBag[5].id, c.item);
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(Popups.empty());
      EXPECT_EQ(d.Equipment[0][c.slot].id, c.item);
      // What the slot held went into the bag in the item's place.
      EXPECT_EQ(d.ItemBag[5].id, c.slot < static_cast<int>(c.worn.size()) ? c.worn[c.slot] : 0);
    }
  }
}

TEST_F(PartyTest, EquippingOverAnAbilityReturnsItToTheStockFirst) {
  GameData& d = Party();
  d.Equipment[0][3] = {350, kAbilityCount};
  d.AbilityStock[0] = {350, 2};
  d.ItemBag[0] = {601, 0};
  EXPECT_EQ(d.EquipFromBag(0, 3, 0), 0);
  EXPECT_EQ(d.AbilityStock[0].count, 3);
  EXPECT_EQ(d.Equipment[0][3].id, 601);
  EXPECT_EQ(d.ItemBag[0].id, 0);

  // An ability the stock does not hold takes the first free stack: a fresh count 0xFFFF
  // becomes 1.
  d.AbilityStock[0] = {};
  d.AbilityStock[0].count = kStockUnlimited;
  d.Equipment[1][2] = {350, kAbilityCount};
  EXPECT_EQ(d.Unequip(1, 2), 0);
  EXPECT_EQ(d.AbilityStock[0].id, 350);
  EXPECT_EQ(d.AbilityStock[0].count, 1);
  EXPECT_EQ(d.Equipment[1][2].id, 0);

  // And it goes back out: the slot becomes {id, 0xFFC0}, the stock one less.
  EXPECT_EQ(d.EquipAbility(1, 4, 0), 0);
  EXPECT_EQ(d.Equipment[1][4].id, 350);
  EXPECT_EQ(d.Equipment[1][4].count, kAbilityCount);
  EXPECT_EQ(d.AbilityStock[0].count, 0);
  EXPECT_EQ(d.EquipAbility(1, 5, 0), 1);  // none left
}

TEST_F(PartyTest, AnOwnAbilityCannotBeTakenOff) {
  GameData& d = Party();
  d.Equipment[2][0] = {360, kAbilityCount};
  d.ItemBag[0] = {601, 0};
  EXPECT_EQ(d.Unequip(2, 0), 1);
  EXPECT_EQ(d.EquipFromBag(2, 0, 0), 1);
  EXPECT_EQ(d.Equipment[2][0].id, 360);
  EXPECT_EQ(d.ItemBag[0].id, 601);
  EXPECT_EQ(Sounds, (std::vector<int>{kSoundRefused, kSoundRefused}));
  const std::string own = "だいじな＿のうりょくなので＿はずすことは＿できません!";
  EXPECT_EQ(Popups, (std::vector<std::string>{own, own}));
}

TEST_F(PartyTest, TakingAnItemOffNeedsRoomInTheBag) {
  GameData& d = Party();
  d.Equipment[0][0] = {601, 5};
  for (int b = 0; b < kUsedBagSlots; ++b) d.ItemBag[b] = {602, 1};
  EXPECT_EQ(d.Unequip(0, 0), 1);
  EXPECT_EQ(Popups, std::vector<std::string>{"アイテムが＿いっぱいで＿はずせません。"});
  d.ItemBag[40] = {};
  EXPECT_EQ(d.Unequip(0, 0), 0);
  EXPECT_EQ(d.ItemBag[40].id, 601);
  EXPECT_EQ(d.ItemBag[40].count, 5);
}

TEST_F(PartyTest, BuyingTellsWhyItIsRefusedAndPaysOnlyForWhatIsReceived) {
  const char* kLooking = "みるだけなら＿タダですからね。";
  const char* kDigits = "おきゃくさま、ケタを＿まちがえてますよ。";
  const char* kShort = "それでは＿たりないようですよ。";
  const struct {
    int price;
    uint32_t money;
    const char* message;  // null: bought
  } cases[] = {
      {1000000, 799999, kLooking}, {1000000, 800000, kShort}, {100000, 79999, kDigits},
      {100000, 80000, kShort},     {50, 49, kShort},          {50, 50, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.price);
    GameData& d = Party();
    SetItem(d, 20, 1, c.price, 3);
    d.Scalars[kScalarMoney] = c.money;
    Sounds.clear();
    Popups.clear();
    if (c.message != nullptr) {
      EXPECT_EQ(d.BuyItem(20), 1);
      EXPECT_EQ(Popups, std::vector<std::string>{c.message});
      EXPECT_EQ(Sounds, std::vector<int>{kSoundRefused});
      EXPECT_EQ(d.Scalars[kScalarMoney], c.money);
      EXPECT_EQ(d.ItemBag[0].id, 0);
    } else {
      EXPECT_EQ(d.BuyItem(20), 0);
      EXPECT_EQ(Sounds, std::vector<int>{kSoundPaid});
      EXPECT_EQ(d.Scalars[kScalarMoney], c.money - c.price);
      EXPECT_EQ(d.ItemBag[0].id, 20);
      EXPECT_EQ(d.ItemBag[0].count, 3);
    }
  }
}

TEST_F(PartyTest, ABuyThatFindsNoRoomKeepsTheMoney) {
  GameData& d = Party();
  SetItem(d, 20, 1, 10, 1);
  SetItem(d, 340, 311, 10, 0);
  d.Scalars[kScalarMoney] = 100;
  for (int b = 0; b < kUsedBagSlots; ++b) d.ItemBag[b] = {21, 1};
  for (int i = 0; i < kStackCount; ++i) d.AbilityStock[i] = {static_cast<uint16_t>(400 + i % 300), 1};
  EXPECT_EQ(d.BuyItem(20), 1);
  EXPECT_EQ(d.BuyItem(340), 1);
  EXPECT_EQ(d.Scalars[kScalarMoney], 100u);
  const std::string full = "アイテムが＿いっぱいですよ。";
  EXPECT_EQ(Popups, (std::vector<std::string>{full, full}));
  EXPECT_EQ(d.AddItem(340), 1);

  // An ability already stocked counts up; a count wrapping to 0 becomes 1.
  d.AbilityStock[7] = {340, 0xFFFF};
  EXPECT_EQ(d.BuyItem(340), 0);
  EXPECT_EQ(d.AbilityStock[7].count, 1);
  EXPECT_EQ(d.Scalars[kScalarMoney], 90u);
}

TEST_F(PartyTest, SellPriceIsThreeQuartersByUsesLeft) {
  const struct {
    int price, uses;
    uint16_t count;
    int64_t expected;
  } cases[] = {
      {101, kUsesLevelled, 7, 50},         // levelled: half
      {100, 10, 10, 75},                   // full: three quarters
      {100, 10, 5, 37},                    // 75 x 5 / 10
      {80, kUsesUnlimited, 0xFFC0, 60},    // -64 / -64
      {2000000000, 998, 998, 1500000000},  // needs 64 bits
      {100, 0, 3, -1},                     // nothing to divide by: not for sale
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.price);
    GameData& d = Party();
    SetItem(d, 20, 1, c.price, c.uses);
    d.ItemBag[4] = {20, c.count};
    EXPECT_EQ(d.SellPrice(4), c.expected);
  }
  GameData& d = Party();
  EXPECT_EQ(d.SellPrice(-1), -1);  // outside the bag: nothing to sell
  EXPECT_EQ(d.SellPrice(kStackCount), -1);
  d.Scalars[kScalarMoney] = 5;
  SetItem(d, 20, 1, 100, 10);
  d.ItemBag[4] = {20, 10};
  d.SellBagItem(4);
  EXPECT_EQ(d.Scalars[kScalarMoney], 80u);
  EXPECT_EQ(d.ItemBag[4].id, 0);
  EXPECT_EQ(Sounds, std::vector<int>{kSoundPaid});
  SetItem(d, 20, 1, 100, 0);
  d.ItemBag[4] = {20, 10};
  d.SellBagItem(4);
  EXPECT_EQ(d.ItemBag[4].id, 20);
  EXPECT_EQ(d.Scalars[kScalarMoney], 80u);
}

TEST_F(PartyTest, SortBagCompactsThenOrdersByKindKeepingEqualKindsInOrder) {
  GameData& d = Party();
  SetItem(d, 11, 3);
  SetItem(d, 12, 1);
  SetItem(d, 13, 1);
  SetItem(d, 14, 2);
  d.ItemBag[1] = {11, 1};
  d.ItemBag[2] = {12, 2};
  d.ItemBag[4] = {13, 3};
  d.ItemBag[9] = {14, 4};
  d.SortBag();
  const std::vector<uint16_t> expected = {12, 13, 14, 11, 0, 0};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(d.ItemBag[i].id, expected[i]) << i;
  EXPECT_EQ(d.ItemBag[1].count, 3);
}

TEST_F(PartyTest, MapMarksSkipNeighboursAndRunAsARing) {
  GameData& d = Party();
  d.AddMapMark(96, 48, 1, 2);  // (24, 12)
  EXPECT_EQ(d.MapMarks[0].x, 24);
  EXPECT_EQ(d.MapMarks[1].area, kMapMarkEnd);
  d.AddMapMark(101, 50, 1, 2);  // (25, 12): a neighbour
  EXPECT_EQ(d.MapMarks[1].area, kMapMarkEnd);
  d.AddMapMark(101, 50, 1, 3);  // another map
  EXPECT_EQ(d.MapMarks[1].map, 3);
  EXPECT_EQ(d.MapMarks[1].x, 25);
  d.AddMapMark(-8, 40, 1, 2);  // arithmetic shift: (-2, 10)
  EXPECT_EQ(d.MapMarks[2].x, static_cast<uint16_t>(-2));

  // The end marker at the last mark: the new mark takes it and mark 0 ends the ring.
  for (MapMark& m : d.MapMarks) m = {7, 0, 0, 0};
  d.MapMarks[kMapMarkCount - 1].area = kMapMarkEnd;
  d.AddMapMark(400, 400, 1, 2);
  EXPECT_EQ(d.MapMarks[kMapMarkCount - 1].x, 100);
  EXPECT_EQ(d.MapMarks[0].area, kMapMarkEnd);
  // No end marker at all: mark 0 becomes one and nothing is stored.
  d.MapMarks[0].area = 7;
  d.AddMapMark(800, 800, 1, 2);
  EXPECT_EQ(d.MapMarks[0].area, kMapMarkEnd);
  EXPECT_EQ(d.MapMarks[0].x, 0);
}

TEST_F(PartyTest, StepDamageIsKeptOffByTheShieldLeaderWithinItsEspLevel) {
  const struct {
    int damage;
    int applied;
    int hp_after;
  } cases[] = {{250, 0, 300}, {251, 1, 49}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.damage);
    GameData& d = Party();
    for (int m = 0; m < kMemberCount; ++m) {
      d.Members[m][kMemberPresent] = 1;
      d.Members[m][kMemberId] = (m + 2) % 4;  // member 0 has id 2
      d.Members[m][kMemberHp] = 300;
      d.Members[m][kMemberEspLevel] = m == 0 ? 3 : 0;
    }
    d.Scalars[kScalarLeader] = 2;
    int wiped_out = -1;
    EXPECT_EQ(d.PartyStepUpdate(c.damage, &wiped_out), c.applied);
    EXPECT_EQ(wiped_out, -1);
    for (int m = 0; m < kMemberCount; ++m) EXPECT_EQ(d.Members[m][kMemberHp], c.hp_after) << m;
  }
}

TEST_F(PartyTest, StepDamageNeverWipesOutTheWholeParty) {
  const struct {
    int hp[4];
    int damage;
    int hp_after[4];
    uint8_t down_after[4];
    int wiped_flag;  // -1: left as it was
  } cases[] = {
      {{10, 10, 10, 10}, 20, {1, 0, 0, 0}, {0, 1, 1, 1}, 0},
      {{1, 1, 1, 1}, 5, {1, 0, 0, 0}, {0, 1, 1, 1}, 1},
      {{5, 30, 30, 30}, 5, {0, 25, 25, 25}, {0, 0, 0, 0}, -1},  // exactly 0: still able
      // A save's HP near the bottom of the word still falls to 0.
      {{INT32_MIN + 5, 30, 30, 30}, 10, {0, 20, 20, 20}, {1, 0, 0, 0}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hp[0]);
    GameData& d = Party();
    for (int m = 0; m < kMemberCount; ++m) {
      d.Members[m][kMemberPresent] = 1;
      d.Members[m][kMemberHp] = c.hp[m];
      d.Status[m][kStatusDown] = 0;
    }
    int wiped_out = -1;
    EXPECT_EQ(d.PartyStepUpdate(c.damage, &wiped_out), 1);
    for (int m = 0; m < kMemberCount; ++m) {
      EXPECT_EQ(d.Members[m][kMemberHp], c.hp_after[m]) << m;
      EXPECT_EQ(d.Status[m][kStatusDown], c.down_after[m]) << m;
    }
    EXPECT_EQ(wiped_out, c.wiped_flag);
  }
}

// The derived words are the base words plus what is worn, held at the ends of the 32-bit
// range: a base raised to the top by the menu or by growth stays there.
TEST_F(PartyTest, DerivedStatsSaturateAtTheEndsOfTheirWords) {
  constexpr int32_t kTop = INT32_MAX, kBottom = INT32_MIN;
  const struct {
    int32_t base, bonus;
    int worn;  // how many of the item are worn
    int32_t want;
  } cases[] = {
      {10, 3, 2, 16},         {kTop, 3, 1, kTop},          {kTop - 1, 1, 2, kTop}, {kBottom, -5, 1, kBottom},
      {kTop, kBottom, 1, -1}, {kTop, kBottom, 2, kBottom},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << " + " << c.worn << " x " << c.bonus);
    GameData& d = Party();
    SetItem(d, 620, 101);
    auto& v = d.Items[620].values;
    for (int t = 0; t < 4; ++t) v[kItemAttackBonus + t] = c.bonus;
    v[kItemMaxHpBonus] = v[kItemMaxPpBonus] = c.bonus;
    PartyMember& p = d.Members[1];
    p[kMemberPresent] = 1;
    for (int t = 0; t < 4; ++t) p[kMemberBaseAttack + t] = c.base;
    p[kMemberBaseMaxHp] = p[kMemberBaseMaxPp] = c.base;
    for (int k = 0; k < c.worn; ++k) d.Equipment[1][k] = {Id(620), 1};
    d.RecalcPartyStats();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(p[kMemberAttack + t], c.want) << t;
    EXPECT_EQ(p[kMemberMaxHp], c.want);
    EXPECT_EQ(p[kMemberMaxPp], c.want);
  }
}

TEST_F(PartyTest, ConcoctionMatchesMaterialsInAnyOrder) {
  GameData& d = Party();
  SetItem(d, 100, 1, 0, 2);
  SetItem(d, 350, 311);
  d.RecipeMaterials[0] = {0, 1, 2};
  d.RecipeResults[0] = 100;
  d.RecipeMaterials[1] = {3, 3, 4};
  d.RecipeResults[1] = 350;
  for (int m = 0; m < 5; ++m) d.Materials[m].count = 2;
  for (auto order : {std::array{0, 1, 2}, std::array{2, 0, 1}, std::array{1, 2, 0}}) {
    EXPECT_EQ(d.Concoct(order[0], order[1], order[2], 0), 100);
  }
  EXPECT_EQ(d.Concoct(0, 1, 1, 0), -1);
  EXPECT_EQ(d.Materials[0].count, 2);  // asking changes nothing

  EXPECT_EQ(d.Concoct(2, 1, 0, 1), 100);
  EXPECT_EQ(d.ItemBag[0].id, 100);
  EXPECT_EQ(d.ItemBag[0].count, 2);
  for (int m = 0; m < 3; ++m) EXPECT_EQ(d.Materials[m].count, 1);
  EXPECT_EQ(d.Concoct(4, 3, 3, 1), 350);
  EXPECT_EQ(d.AbilityStock[0].id, 350);
  EXPECT_EQ(d.Materials[3].count, 0);  // named twice, taken twice

  // A full bag keeps the materials.
  for (int b = 0; b < kUsedBagSlots; ++b) d.ItemBag[b] = {100, 1};
  EXPECT_EQ(d.Concoct(0, 1, 2, 1), -1);
  EXPECT_EQ(d.Materials[0].count, 1);
  EXPECT_EQ(Popups, std::vector<std::string>{"これいじょう_アイテムを_もてませんぜ。"});
}

TEST_F(PartyTest, UsedUpItemsVanishAndOwnedItemsSetTheirFlags) {
  GameData& d = Party();
  SetItem(d, 30, 1);
  SetItem(d, 31, 112);
  SetItem(d, 32, 4);
  SetItem(d, 36, 104);
  d.ItemBag[0] = {30, 0};
  d.ItemBag[1] = {30, 1};
  d.ItemBag[2] = {31, 0};
  d.ItemBag[3] = {36, 0};
  d.Equipment[3][5] = {30, 0};
  d.AbilityStock[9] = {32, 1};
  d.RemoveUsedUpItems();
  EXPECT_EQ(d.ItemBag[0].id, 0);
  EXPECT_EQ(d.ItemBag[1].id, 30);
  EXPECT_EQ(d.ItemBag[2].id, 0);
  EXPECT_EQ(d.ItemBag[3].id, 36);
  EXPECT_EQ(d.Equipment[3][5].id, 0);
  TheGameFlags.ClearGameFlags();
  d.UpdateOwnershipFlags();
  EXPECT_EQ(TheGameFlags.TestGameFlag(10), 1);
  EXPECT_EQ(TheGameFlags.TestGameFlag(11), 0);
  EXPECT_EQ(TheGameFlags.TestGameFlag(12), 1);
}

TEST_F(PartyTest, NextLeaderSkipsMembersNotInTheParty) {
  GameData& d = Party();
  d.Members[2][kMemberPresent] = 1;  // id 2, graphic 36
  EXPECT_TRUE(d.NextLeader());
  EXPECT_EQ(d.Scalars[kScalarLeader], 2u);
  EXPECT_EQ(d.Scalars[kScalarLeaderGraphic], 36u);
  EXPECT_TRUE(d.NextLeader());
  EXPECT_EQ(d.Scalars[kScalarLeader], 0u);
  for (PartyMember& p : d.Members) p[kMemberPresent] = 0;
  EXPECT_FALSE(d.NextLeader()) << "nobody to lead";
  EXPECT_EQ(d.Scalars[kScalarLeaderGraphic], 34u) << "the picture stays";
}

}  // namespace

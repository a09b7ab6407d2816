#include <gtest/gtest.h>

#include "tests/game/data/data_fixture.h"

namespace {

using namespace game;
using datatest::DataTest;

TEST_F(DataTest, NewGameSetsUpThePartyWithItsStartingEquipment) {
  GameData& d = Data();
  // Starting items: 501-504 own abilities, 505 an accessory worth +3 speed, the rest
  // weapons and armour with uses and bonuses.
  for (int id : {501, 502, 503, 504}) SetItem(d, id, kOwnAbilityKind);
  SetItem(d, 505, 206, 0, 0);
  d.Items[505].values[kItemAttackBonus + 2] = 3;
  for (int id : {121, 91, 133, 201}) SetItem(d, id, 104, 0, 0);
  d.Items[121].values[kItemAttackBonus] = 4;
  for (int id : {211, 181, 212, 241, 285, 288}) SetItem(d, id, 201, 0, 0);
  d.Items[211].values[kItemMaxHpBonus] = 10;
  for (int id : {401, 402, 411, 431}) SetItem(d, id, 311);
  // State a new game must clear or keep.
  TheGameFlags.SetGameFlag(77, 1);
  d.ItemBag[3] = {9, 9};
  d.Scalars[kScalarMoney] = 500;
  d.LongJumpPoints[kSavedPositionPoint].area = 34;
  d.LongJumpPoints[5].area = 33;
  d.MapMarks[10] = {1, 2, 3, 4};
  d.MapMarks[600] = {5, 6, 7, 8};

  d.NewGame();

  EXPECT_EQ(TheGameFlags.TestGameFlag(77), 0);
  EXPECT_EQ(d.ItemBag[3].id, 0);
  EXPECT_EQ(d.AbilityStock[200].count, kStockUnlimited);
  const int starting[kMemberCount][6] = {{501, 121, 211, 285, 401, 0},
                                         {502, 91, 181, 288, 411, 505},
                                         {503, 133, 212, 241, 431, 0},
                                         {504, 201, 402, 411, 0, 0}};
  for (int m = 0; m < kMemberCount; ++m) {
    SCOPED_TRACE(m);
    for (int s = 0; s < 6; ++s) {
      const int id = starting[m][s];
      EXPECT_EQ(d.Equipment[m][s].id, id);
      const bool ability = id != 0 && d.ItemKind(id) > 300;
      EXPECT_EQ(d.Equipment[m][s].count, ability ? kAbilityCount : 0);
    }
    EXPECT_EQ(d.Members[m][kMemberPresent], m == 0 ? 1 : 0);
    EXPECT_EQ(d.Members[m][kMemberId], m);
    EXPECT_EQ(d.Members[m][kMemberFieldGraphic], 34 + m);
    EXPECT_EQ(d.Members[m][kMemberEspLevel], 1);
  }
  const PartyMember& p = d.Members[0];
  // {HP, max HP, PP, max PP, base attack..spirit, attack..spirit}: 121 gives +4 attack,
  // 211 +10 max HP; HP is not raised with its maximum.
  const int expected[] = {68, 78, 43, 43, 6, 1, 5, 4, 10, 1, 5, 4};
  const int index[] = {kMemberHp, kMemberMaxHp, kMemberPp, kMemberMaxPp, 6, 7, 8, 9, 10, 11, 12, 13};
  for (size_t i = 0; i < std::size(index); ++i) EXPECT_EQ(p[index[i]], expected[i]) << index[i];
  EXPECT_EQ(p[kMemberBaseMaxHp], 68);
  EXPECT_EQ(d.Members[3][kMemberBaseMaxPp], 62);
  EXPECT_EQ(d.Members[2][kMemberBaseAttack], 12);
  // Absent members are not recomputed.
  EXPECT_EQ(d.Members[1][kMemberAttack + 2], 0);

  EXPECT_EQ(d.Scalars[kScalarMoney], 0u);
  EXPECT_EQ(d.Scalars[kScalarLeaderGraphic], 34u);
  // New game bit, and 505 worn by member 1.
  EXPECT_EQ(d.Scalars[kScalarFlagWord], kFlagWordNewGame | kFlagWordSpecialWorn);
  for (int n = 0; n < kMaterialCount; ++n) {
    EXPECT_EQ(d.Materials[n].id, n);
    EXPECT_EQ(d.Materials[n].count, (n == 0 || n == 1 || n == 2 || n == 4) ? 1 : 0) << n;
  }
  EXPECT_EQ(d.LongJumpPoints[5].area, 0xFFFFFFFFu);
  EXPECT_EQ(d.LongJumpPoints[5].x, 0xFFFF);
  EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].area, 34u);
  EXPECT_EQ(d.MapMarks[10].area, 0xFFFF);
  EXPECT_EQ(d.MapMarks[10].map, 4);
  EXPECT_EQ(d.MapMarks[600].area, 5);
}

TEST_F(DataTest, EventBitsAreTheLowFiveBitsOfTheirNumber) {
  GameData& d = Data();
  d.SetEventBit(33);
  EXPECT_EQ(d.Scalars[kScalarEventBits], 2u);
  EXPECT_EQ(d.TestEventBit(1), 1);
  EXPECT_EQ(d.TestEventBit(2), 0);
}

}  // namespace

// Whom an action aims at, by the item's target range, for a member choosing and for an
// enemy acting. Each row is worked out by hand from the range table.
#include <gtest/gtest.h>

#include "tests/game/battle/battle_fixture.h"

namespace battletest {
namespace {

using game::TheBattle;

// Member 0 is absent, member 1 present but down, members 2 and 3 able; enemy slot 0
// (combatant 4) has fallen, slot 1 is present but down, slot 2 able, slots 3-7 empty. A member chooses as
// member 2 (combatant 2), an enemy acts as slot 2 (combatant 6). Target and side start
// at 7, so a range that sets nothing shows it.
TEST_F(BattleTest, EachTargetRangeAimsAtItsSideForMembersAndEnemies) {
  struct Case {
    int range, mode;
    std::deque<int32_t> random;  // enemy picks: the index draw, then the draw of 0-99
    int target, side;
  };
  const Case cases[] = {
      // A member chooses: the first present one of a side is the default.
      {game::kTargetOneFoe, 0, {}, 1, -1},  // enemy slot 0 fell: slot 1, present though down
      {game::kTargetOneAlly, 0, {}, 1, 1},  // member 0 absent; member 1 is present though down
      {game::kTargetAllFoes, 0, {}, -1, -1},
      {game::kTargetAllAllies, 0, {}, -1, 1},
      {game::kTargetOneFoeOnly, 0, {}, 1, -1},
      {game::kTargetOneAllyOnly, 0, {}, 1, 1},
      {game::kTargetAllFoesOnly, 0, {}, -1, -1},
      {game::kTargetAllAlliesOnly, 0, {}, -1, 1},
      {game::kTargetEveryone, 0, {}, -1, 0},
      {game::kTargetEveryoneToo, 0, {}, -1, 0},
      {game::kTargetSelf, 0, {}, 2, 1},  // the actor itself
      {11, 0, {}, 7, 7},                 // no such range: unchanged
      // An enemy acts: the able members are 2 and 3 (index 0, 1), the present enemies
      // slots 1 and 2, down or not; a second draw below 15 takes index 0.
      {game::kTargetOneFoe, 1, {1, 50}, 3, 1},
      {game::kTargetOneFoeOnly, 1, {1, 14}, 2, 1},
      {game::kTargetOneAlly, 1, {0, 99}, 1, -1},
      {game::kTargetOneAllyOnly, 1, {1, 15}, 2, -1},
      {game::kTargetAllFoes, 1, {}, -1, 1},
      {game::kTargetAllFoesOnly, 1, {}, -1, 1},
      {game::kTargetAllAllies, 1, {}, -1, -1},
      {game::kTargetAllAlliesOnly, 1, {}, -1, -1},
      {game::kTargetEveryone, 1, {}, -1, 0},
      {game::kTargetEveryoneToo, 1, {}, -1, 0},
      {game::kTargetSelf, 1, {}, 2, -1},  // its own slot, 6 - 4
      {11, 1, {}, 7, 7},
  };
  D().Members[0].fill(0);
  for (int k = 1; k < 4; ++k) SetMember(k, 30, {1, 1, 1, 1});
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "range " << c.range << (c.mode == 0 ? ", a member" : ", an enemy"));
    Start({1, 1, 1});
    TheBattle.fighters[1].status[game::kStatusDown] = 1;
    TheBattle.fighters[5].status[game::kStatusDown] = 1;
    TheBattle.fighters[4].Word(game::kMemberPresent) = game::kKindGone;
    SetAction(7, 1, c.range, 0, 1, 0, 0);
    TheBattle.actor = c.mode == 0 ? 2 : 6;
    TheBattle.target = TheBattle.side = 7;
    Script = c.random;
    TheBattle.ChooseActionTarget(7, c.mode);
    EXPECT_EQ(TheBattle.target, c.target);
    EXPECT_EQ(TheBattle.side, c.side);
    EXPECT_TRUE(Script.empty()) << "draws left over";
    EXPECT_FALSE(TheBattle.no_able_target);
  }
}

}  // namespace
}  // namespace battletest

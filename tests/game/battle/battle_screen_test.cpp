// The battle screen, recorded: poses with their shake, the dying fade, the command box.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/game/battle/battle_fixture.h"

namespace battletest {
namespace {

using game::TheBattle;

class BattleScreenTest : public BattleTest {
 protected:
  void SetUp() override {
    BattleTest::SetUp();
    SetMember(0, 40, {1, 1, 1, 1});
    for (int k = 1; k < 4; ++k) D().Members[k].fill(0);
    SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
    Start({1});
    for (int i = 0; i < game::kBattleCharCells; ++i) TheBattle.char_graphs[i] = 500 + i;
    Calls.clear();
  }
  // The member 0 draw: "graph x y handle 1".
  std::string MemberDraw() {
    Calls.clear();
    TheBattle.DrawPartyBattlers();
    return Calls.at(0);
  }
};

TEST_F(BattleScreenTest, MemberPoseFollowsStateInOrder) {
  struct Case {
    int phase, actor, hp, down, ailment, pending;
    const char* draw;
  };
  // Member 0 at (66, 174); cell = pose x 5 + member id.
  const Case cases[] = {
      {5, -1, 40, 0, 0, 0, "graph 66 174 500 1"},  // standing
      {5, -1, 40, 1, 0, 0, "graph 66 174 515 1"},  // down
      {5, -1, 10, 0, 0, 0, "graph 66 174 520 1"},  // HP at most max / 4: weak
      {5, -1, 40, 0, 1, 0, "graph 66 174 520 1"},  // an ailment: weak
      {3, 0, 40, 0, 0, 0, "graph 66 169 505 1"},   // acting, 5 higher
      {1, 0, 10, 0, 0, 0, "graph 66 169 500 1"},   // the weak actor choosing stands lifted
      {2, 0, 40, 0, 0, 0, "graph 66 169 500 1"},
      {3, 0, 40, 0, 0, 7, "graph 66 174 510 1"},  // hit: s = 7 x 8 / 40 = 1, draw 1 - 1 = 0
  };
  for (const Case& c : cases) {
    game::Combatant& m = TheBattle.fighters[0];
    TheBattle.phase = c.phase;
    TheBattle.actor = c.actor;
    m.block[game::kMemberHp] = c.hp;
    m.status[game::kStatusDown] = static_cast<uint8_t>(c.down);
    m.status[game::kStatusParalysed] = static_cast<uint8_t>(c.ailment);
    TheBattle.pending[0] = {};
    if (c.pending) TheBattle.SetPendingResult(0, c.pending, false, false, false, false, false);
    Fallback = 1;
    EXPECT_EQ(MemberDraw(), c.draw) << "row " << (&c - cases);
  }
  TheBattle.fighters[0].block[game::kMemberPresent] = game::kKindGone;
  EXPECT_EQ(MemberDraw(), "graph 66 174 524 1");  // absent
}

TEST_F(BattleScreenTest, HitShakeStaysWithinTenPixels) {
  struct Case {
    int value, hp, random;
    int y;
  };
  const Case cases[] = {
      // y = 174 + RandomUpTo(2s) - s
      {2000000000, 40, 20, 184},                   // s = 10 however large the blow (value x 8 in 64 bits)
      {2000000000, 40, 0, 164},  {5, 0, 20, 184},  // HP 0: s = 10
      {1, 40, 0, 174},                             // s = 0
      {15, 40, 0, 171},                            // s = 3
  };
  for (const Case& c : cases) {
    TheBattle.phase = 3;
    TheBattle.fighters[0].block[game::kMemberHp] = c.hp;
    TheBattle.SetPendingResult(0, c.value, false, false, false, false, false);
    Fallback = c.random;
    EXPECT_EQ(MemberDraw(), "graph 66 " + std::to_string(c.y) + " 510 1") << "row " << (&c - cases);
  }
}

TEST_F(BattleScreenTest, FallenEnemyFadesForThirtyFrames) {
  TheBattle.phase = game::kPhaseVictory;
  TheBattle.fighters[4].block[game::kMemberPresent] = game::kKindGone;
  TheBattle.enemy_layout[0].fade = 1;
  std::vector<std::string> fades;
  for (int frame = 0; frame < 32; ++frame) {
    Calls.clear();
    TheBattle.BattleFrame();
    for (const std::string& c : Calls) {
      if (c.rfind("blend 2", 0) == 0) fades.push_back(c);
    }
  }
  ASSERT_EQ(fades.size(), 30u);
  EXPECT_EQ(fades.front(), "blend 2 250");
  EXPECT_EQ(fades.back(), "blend 2 105");
  EXPECT_EQ(TheBattle.enemy_layout[0].fade, 0);
}

TEST_F(BattleScreenTest, CommandBoxShowsRowsCountsAndTheHand) {
  game::GameData& d = D();
  d.Items[1].values[game::kItemKind] = 4;  // greyed
  d.Items[2].values[game::kItemKind] = 1;
  d.Items[3].values[game::kItemKind] = 1;
  game::Combatant& m = TheBattle.fighters[0];
  m.commands[2] = {1, 3};
  m.commands[3] = {2, static_cast<int16_t>(0xFFE0)};
  m.commands[4] = {3, 12};
  m.status[game::kStatusFirstRow] = 2;
  m.status[game::kStatusSelected] = 4;
  TheBattle.actor = 0;
  TheBattle.phase = game::kPhaseCommand;
  TheBattle.DrawBattleScreen();
  TheBattle.DrawBattleCursor();
  auto has = [](const std::string& s) { return std::find(Calls.begin(), Calls.end(), s) != Calls.end(); };
  EXPECT_TRUE(has("box 45 4 153 80 0"));
  EXPECT_TRUE(has("box 153 4 275 80 1"));
  EXPECT_TRUE(has("number 246 16 3 2 9999"));
  EXPECT_TRUE(has("text 254 32"));  // the dash count
  EXPECT_TRUE(has("number 246 48 12 2 9999"));
  EXPECT_TRUE(has("bright 128 128 128"));
  EXPECT_TRUE(has("number 63 26 40 4 0"));
  EXPECT_TRUE(has("hand 166 48 0 0"));

  // PP less the selected entry's cost: a cost at the bottom of the range saturates.
  const int32_t costs[] = {4, -2147483647 - 1};
  const char* shown[] = {"number 63 38 6 4 0", "number 63 38 2147483647 4 0"};
  for (int i = 0; i < 2; ++i) {
    d.Items[3].values[game::kItemPpCost] = costs[i];
    Calls.clear();
    TheBattle.DrawBattleScreen();
    EXPECT_TRUE(has(shown[i])) << shown[i];
  }
}

TEST_F(BattleScreenTest, ContinuePromptShowsTheFieldItsMessageWindowAndTheChoices) {
  game::BattleHooks hooks = game::CurrentBattleHooks();
  hooks.draw_field = [] { Rec("field"); };
  game::SetBattleHooks(hooks);
  TheBattle.phase = game::kPhaseContinue;
  TheBattle.continue_choice = 2;
  TheBattle.DrawBattleScreen();
  TheBattle.DrawBattleCursor();
  const std::vector<std::string> tail = {"field",        "message window", "box 200 100 278 164 0", "text 216 112",
                                         "text 216 128", "text 216 144",   "hand 212 144 0 0"};
  ASSERT_GE(Calls.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(Calls.end() - ptrdiff_t(tail.size()), Calls.end()), tail);
  EXPECT_EQ(std::count_if(Calls.begin(), Calls.end(), [](const std::string& c) { return c.rfind("box", 0) == 0; }), 1)
      << "no battle message box under the field's";
}

}  // namespace
}  // namespace battletest

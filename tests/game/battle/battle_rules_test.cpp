// The rules of a fight without a screen: a whole scripted battle, turn order, the
// appearance message, enemy skills, defeat, the retry, damage and growth.
#include <gtest/gtest.h>

#include "tests/game/battle/battle_fixture.h"

namespace battletest {
namespace {

using game::TheBattle;

// Member 0 alone against one enemy that falls to the first blow.
TEST_F(BattleTest, ScriptedBattleRunsFromAppearanceToTheWriteBack) {
  game::GameData& d = D();
  SetMember(0, 30, {10, 2, 10, 3});
  for (int k = 1; k < 4; ++k) d.Members[k].fill(0);
  d.Equipment[0].fill({});
  d.Equipment[0][0] = {1, 5};
  SetAction(1, 1, 0, 0, 20, 1, 0);
  SetAction(2, 1, 0, 0, 3, 1, 0);
  d.Items[3].values[game::kItemKind] = 1;
  d.Items[3].values[game::kItemUses] = 2;
  SetEnemy(7, "A", 10, {4, 0, 0, 0}, 2, 50, 3);
  d.Scalars[game::kScalarMoney] = 100;
  Decide = true;
  Start({7});
  EXPECT_EQ(d.EncounterList[0], 7u);
  EXPECT_EQ(Music, std::vector<int>({999}));  // the standard battle song

  std::vector<int> phases = {TheBattle.phase};
  for (int frame = 0; frame < 400 && Mode == 2; ++frame) {
    TheBattle.BattleFrame();
    if (TheBattle.phase != phases.back()) phases.push_back(TheBattle.phase);
  }
  EXPECT_EQ(Mode, 0);
  // The result's decide is taken during its 7-frame delay, so phase 11 waits it out.
  EXPECT_EQ(phases, std::vector<int>({0, 1, 2, 3, 4, 11, 5, 21, 0}));
  // start, accept, the hit's row 0, an enemy fell, victory, growth line
  EXPECT_EQ(datatest::Sounds, std::vector<int>({25, 3, 0, 23, 24, 34}));
  EXPECT_EQ(Music, std::vector<int>({999, -1}));

  // Growth points: trunc(sqrt 4) + 2 + 4 - 10 = -2, + 5 + 0, + 100 + 10 = 113; a stat
  // point costs 100.
  EXPECT_EQ(d.Members[0][14], 13);
  EXPECT_EQ(d.Members[0][6], 11);
  EXPECT_EQ(d.Members[0][25], 1);  // ESP uses 0 still give one PP point
  EXPECT_EQ(d.Members[0][game::kMemberHp], 30);
  EXPECT_EQ(d.Scalars[game::kScalarMoney], 150u);
  EXPECT_EQ(d.Equipment[0][0].count, 4);
  bool found = false;
  for (int i = 0; i < game::kUsedBagSlots; ++i) found |= d.ItemBag[i].id == 3 && d.ItemBag[i].count == 2;
  EXPECT_TRUE(found);
  EXPECT_EQ(Message(TheBattle), Codes("みなみは＿こうげきが＿あがった!\n\n＿を＿てにいれた。\n"));
}

TEST_F(BattleTest, TurnOrderPlacesTheFirstOfEqualKeysFirst) {
  struct Case {
    std::vector<std::pair<int, int>> speeds;  // combatant, speed
    std::deque<int32_t> random;
    std::array<int32_t, 5> order;
  };
  const Case cases[] = {
      {{{0, 5}, {1, 5}, {4, 7}}, {}, {4, 1, 0, -1, -1}},  // the swap moved 0 behind 1
      {{{0, 3}, {2, 3}, {5, 3}}, {}, {0, 2, 5, -1, -1}},
      {{{0, 0}, {1, 10}, {6, 12}}, {15, 5, 2}, {0, 1, 6, -1, -1}},  // 15, 15, 14
      {{{3, 1}, {11, 9}}, {9, 1}, {3, 11, -1, -1, -1}},             // 10, 10
      {{}, {}, {-1, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    TheBattle = game::Battle();
    for (auto [who, speed] : c.speeds) {
      TheBattle.fighters[who].block[0] = who < 4 ? 1 : -1;
      TheBattle.fighters[who].block[40] = speed;
    }
    Script = c.random;
    TheBattle.BuildTurnOrder();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TheBattle.order[i], c.order[i]) << "row " << (&c - cases) << " at " << i;
  }
}

TEST_F(BattleTest, AppearanceNamesEachEnemyOnceJoinedByCount) {
  const char* names[] = {"", "A", "B", "C", "D", "E", "F", "G", "H"};
  for (int id = 1; id <= 8; ++id) SetEnemy(id, names[id], 5, {0, 0, 0, 0}, 0);
  struct Case {
    std::array<int32_t, 8> group;
    const char* text;
  };
  const Case cases[] = {
      {{1}, "A\nが＿あらわれた！"},
      {{1, 1, 1, 1}, "A\nが＿あらわれた！"},
      {{1, 2}, "A\nB\nが＿あらわれた！"},
      {{2, 1, 3}, "B\nA\nC\nが＿あらわれた！"},
      {{1, 2, 3, 4}, "A, B,\nC, D\nが＿あらわれた！"},
      {{1, 2, 1, 3, 2, 4}, "A, B,\nC, D\nが＿あらわれた！"},
      {{1, 2, 3, 4, 5}, "A, B,\nC, D,\nE\nが＿あらわれた！"},
      {{1, 2, 3, 4, 5, 6, 7, 8}, "A, B,\nC, D,\nE\nF, G, H, が＿あらわれた！"},
  };
  for (const Case& c : cases) {
    Start(c.group);
    EXPECT_EQ(Message(TheBattle), Codes(c.text)) << c.text;
  }
}

TEST_F(BattleTest, EnemySkillSlotFollowsTheRootTable) {
  struct Case {
    int filled;  // slots 0..filled-1 hold a skill
    std::deque<int32_t> random;
    int slot;
  };
  const Case cases[] = {
      {11, {0}, 10},       {11, {121}, 0},  {11, {99}, 1},  {11, {100}, 0},
      {1, {99, 121}, 0},   {3, {0, 64}, 2}, {3, {1, 81}, 1},  // 10 - 1 = 9 is refused
      {0, {}, 0},  // every draw gives slot 10; after 100 the slot is 0
  };
  for (const Case& c : cases) {
    game::Combatant& e = TheBattle.fighters[4];
    e = {};
    e.block[0] = -1;
    for (int j = 0; j < c.filled; ++j) e.commands[j].id = static_cast<int16_t>(10 + j);
    Script = c.random;
    TheBattle.ChooseEnemySkill(4);
    EXPECT_EQ(e.status[game::kStatusSelected], c.slot) << "row " << (&c - cases);
    EXPECT_TRUE(Script.empty());
  }
}

TEST_F(BattleTest, DefeatWinsWhenTheLastEnemyAndMemberFallTogether) {
  SetMember(0, 30, {1, 1, 1, 1});
  for (int k = 1; k < 4; ++k) D().Members[k].fill(0);
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  Start({1});
  TheBattle.fighters[0].status[0] = 1;
  TheBattle.fighters[4].block[0] = 0;
  TheBattle.order = {};
  TheBattle.order.fill(-1);
  TheBattle.order[0] = 0;
  TheBattle.phase = game::kPhaseAfterHit;
  TheBattle.UpdateBattlePhase();
  EXPECT_EQ(TheBattle.phase, game::kPhaseDefeat);
  EXPECT_EQ(Message(TheBattle), Codes("みなみたちは_ぜんめつした。"));
}

TEST_F(BattleTest, EnemyWithNobodyToAimAtPassesItsTurn) {
  SetMember(0, 30, {1, 1, 1, 1});
  for (int k = 1; k < 4; ++k) D().Members[k].fill(0);
  SetAction(2, 1, 0, 0, 3, 1, 0);
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 2);
  Start({1});
  TheBattle.fighters[0].status[0] = 1;
  TheBattle.order.fill(-1);
  TheBattle.order[0] = 4;
  TheBattle.actor = 4;
  TheBattle.phase = game::kPhaseEnemyDecides;
  TheBattle.UpdateBattlePhase();
  EXPECT_EQ(TheBattle.phase, game::kPhaseAfterHit);
  TheBattle.UpdateBattlePhase();
  EXPECT_EQ(TheBattle.phase, game::kPhaseDefeat);
  EXPECT_EQ(TheBattle.fighters[0].block[game::kMemberHp], 30);
}

TEST_F(BattleTest, RetryAfterDefeatKeepsTheEncounterList) {
  SetMember(0, 30, {1, 1, 1, 1});
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  SetEnemy(2, "B", 6, {0, 0, 0, 0}, 0);
  Start({1});
  TheBattle.fighters[4].block[game::kMemberHp] = 1;
  D().EncounterList[1] = 2;  // the retry must take the list as it stands
  TheBattle.phase = game::kPhaseContinue;
  TheBattle.input_last_phase = game::kPhaseContinue;
  TheBattle.input_wait = 0;
  TheBattle.continue_choice = 0;
  Decide = true;
  TheBattle.UpdateBattleInput();
  EXPECT_EQ(TheBattle.setup[game::kSetupKeepGroup], 1);
  EXPECT_EQ(TheBattle.phase, game::kPhaseAppear);
  EXPECT_EQ(TheBattle.enemy_count, 2);
  EXPECT_EQ(TheBattle.fighters[4].block[game::kMemberHp], 5);
  EXPECT_EQ(TheBattle.fighters[5].block[game::kMemberId], 2);
  EXPECT_EQ(D().EncounterList[0], 1u);
}

// Every random draw gives 3 (cut to its max).
TEST_F(BattleTest, DamageFollowsModeHelpfulnessTargetAndEsp) {
  struct Case {
    int actor, target, kind, mode, helpful, raise, target_hp;
    int result;
    bool healing, failed, killed, pp, no_number;
    int style;
  };
  const Case cases[] = {
      {0, 4, 1, 0, 0, 20, 40, 28, false, false, false, false, false, 0},  // 30 + 3 - 1 x 5
      {0, 4, 1, 1, 0, 20, 40, 30, false, false, false, false, false, 0},  // defence x 3
      {0, 4, 1, 2, 0, 20, 40, 30, false, false, false, false, false, 0},  // no defence, no bonus
      {0, 4, 1, 3, 0, 20, 40, 28, false, false, false, true, false, 0},
      {0, 0, 1, 0, 1, 20, 30, 36, true, false, false, false, false, 0},   // spirit 3 + 33
      // M = (3/32768 + 1) x 3; q = trunc(6 M) % 65535 = 18; trunc(M - 0.09) = 2; + 3
      {0, 4, 301, 0, 0, 0, 40, 5, false, false, false, false, false, 0},
      // (0 - 3 + 10 + 3) x 1 + 20 - 5 = 25
      {0, 4, 1, 4, 0, 20, 40, 0, false, true, false, false, false, 0},
      {0, 4, 1, 4, 0, 20, 24, 0, false, false, true, false, true, 1},
      {0, 4, 1, 14, 0, 20, 40, 0, false, false, false, false, true, 3},
      {0, 4, 1, 15, 0, 20, 40, 9, false, false, false, false, false, 2},  // 2 x 5 + 1 + 3 - 5
      {4, 0, 1, 0, 0, 5, 30, 2, false, false, false, false, false, 0},    // 4 + 5 + 3 - 10
  };
  SetMember(0, 30, {10, 2, 10, 3});
  D().Members[0][game::kMemberEspLevel] = 2;
  SetEnemy(1, "A", 40, {4, 1, 0, 6}, 5);
  for (const Case& c : cases) {
    Start({1});
    Fallback = 3;
    SetAction(5, c.kind, 0, c.helpful, c.raise, 1, c.mode);
    TheBattle.fighters[c.actor].commands[0] = {5, 1};
    TheBattle.fighters[c.actor].status[game::kStatusSelected] = 0;
    TheBattle.fighters[c.target].block[game::kMemberHp] = c.target_hp;
    TheBattle.actor = c.actor;
    int result = TheBattle.ResolveActionOnTarget(c.target);
    const game::PendingResult& p = TheBattle.pending[c.target];
    std::string row = "row " + std::to_string(&c - cases);
    EXPECT_EQ(result, c.result) << row;
    EXPECT_TRUE(p.valid) << row;
    EXPECT_EQ(p.value, c.result) << row;
    EXPECT_EQ(p.healing, c.healing) << row;
    EXPECT_EQ(p.failed, c.failed) << row;
    EXPECT_EQ(p.killed, c.killed) << row;
    EXPECT_EQ(p.pp, c.pp) << row;
    EXPECT_EQ(p.no_number, c.no_number) << row;
    EXPECT_EQ(TheBattle.death_style, c.style) << row;
    Fallback = 0;
  }
  // The enemy's blow gave the member HP growth points: g = 12 + 22, 24, 60, then
  // 12 - 5, less 5.
  EXPECT_EQ(TheBattle.fighters[0].block[game::kBlockHpPoints], 2);
}

TEST_F(BattleTest, GrowthLinesJoinStatsWithToAndGainsWithout) {
  struct Case {
    std::array<int, 4> stats;  // 1: exercised with 100 points
    bool hp, pp;
    const char* line;
  };
  const Case cases[] = {
      {{1, 0, 0, 0}, false, false, "みなみは＿こうげきが＿あがった!\n"},
      {{1, 1, 0, 0}, false, false, "みなみは＿こうげきと＿ぼうぎょが＿あがった!\n"},
      {{0, 0, 1, 0}, true, false, "みなみは＿すばやさと＿HPが＿6＿あがった!\n"},
      {{0, 0, 0, 0}, true, true, "みなみは＿HPが＿6＿PPが＿3＿あがった!\n"},
      {{1, 0, 0, 1}, false, true, "みなみは＿こうげきと＿せいしんと＿PPが＿3＿あがった!\n"},
      {{0, 0, 0, 0}, false, false, ""},
  };
  SetMember(0, 32, {1, 1, 1, 1});
  for (int k = 1; k < 4; ++k) D().Members[k].fill(0);
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  for (const Case& c : cases) {
    Start({1});
    game::Combatant& m = TheBattle.fighters[0];
    for (int s = 0; s < 4; ++s) {
      m.exercised[s] = c.stats[s];
      m.block[14 + s] = c.stats[s] ? 100 : 0;
    }
    m.block[24] = c.hp ? 42 : 0;  // 32 x 1.3 = 41.6; gain 0 + 1 + trunc(sqrt 28)
    m.block[25] = c.pp ? 9 : 0;   // + 1 for no ESP use reaches max PP 10
    TheBattle.GrowMembers();
    EXPECT_EQ(Message(TheBattle), Codes(c.line)) << c.line;
    EXPECT_EQ(TheBattle.phase, *c.line ? game::kPhaseGrowthMessage : game::kPhaseLeave);
    if (c.hp) {
      EXPECT_EQ(m.block[24], 0);  // 42 - 64, at least 0, halved
    }
  }
}

TEST_F(BattleTest, DeathsAreTakenOnlyAfterTheLastHitAndManyAreCounted) {
  SetMember(0, 30, {1, 1, 1, 1});
  for (int id = 1; id <= 5; ++id) SetEnemy(id, "A", 5, {0, 0, 0, 0}, 0, 10);
  Start({1, 2, 3, 4, 5});
  for (int n = 4; n < 9; ++n) TheBattle.SetPendingResult(n, 9, false, false, false, false, false);
  TheBattle.hits_left = 1;
  TheBattle.CheckBattleDeaths();
  EXPECT_EQ(TheBattle.fighters[4].block[0], -1);
  EXPECT_EQ(TheBattle.fighters[4].block[game::kMemberHp], -4);
  for (int n = 4; n < 9; ++n) TheBattle.SetPendingResult(n, 1, false, false, false, false, false);
  TheBattle.hits_left = 0;
  Fallback = 50;
  TheBattle.CheckBattleDeaths();
  for (int n = 4; n < 9; ++n) EXPECT_EQ(TheBattle.fighters[n].block[0], 0);
  EXPECT_EQ(TheBattle.money_won, 50);
  EXPECT_EQ(Message(TheBattle), Codes("5たい_たおした。"));
  EXPECT_EQ(TheBattle.enemy_layout[0].fade, 1);
}

}  // namespace
}  // namespace battletest

// The rules of a fight without a screen: a whole scripted battle, turn order, the
// appearance message, enemy skills, defeat, the retry, damage and growth.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "tests/game/battle/battle_fixture.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"

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
      TheBattle.fighters[who].block[game::kMemberPresent] = who < 4 ? game::kKindMember : game::kKindEnemy;
      TheBattle.fighters[who].block[game::kMemberBattleAttack + 2] = speed;
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
      {11, {0}, 10},     {11, {121}, 0},  {11, {99}, 1},   {11, {100}, 0},
      {1, {99, 121}, 0}, {3, {0, 64}, 2}, {3, {1, 81}, 1},  // 10 - 1 = 9 is refused
      {0, {}, 0},                                           // every draw gives slot 10; after 100 the slot is 0
  };
  for (const Case& c : cases) {
    game::Combatant& e = TheBattle.fighters[4];
    e = {};
    e.block[game::kMemberPresent] = game::kKindEnemy;
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
  TheBattle.fighters[0].status[game::kStatusDown] = 1;
  TheBattle.fighters[4].block[game::kMemberPresent] = game::kKindGone;
  TheBattle.order = {};
  TheBattle.order.fill(-1);
  TheBattle.order[0] = 0;
  TheBattle.phase = game::kPhaseAfterHit;
  vexal::AppState.StartDirectory = dir_.path();
  vexal::StartLogFile();
  TheBattle.UpdateBattlePhase();
  EXPECT_EQ(TheBattle.phase, game::kPhaseDefeat);
  EXPECT_EQ(Message(TheBattle), Codes("みなみたちは_ぜんめつした。"));
  // The defeat is one stamped line of the log, with no empty line after it.
  const std::string log = nltest::ReadFileBytes(dir_.File("AppLog.txt"));
  vexal::ResetAppState();
  const size_t at = log.find(":battle: the party fell\n");
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_EQ(log.size(), at + std::string(":battle: the party fell\n").size()) << log;
}

TEST_F(BattleTest, EnemyWithNobodyToAimAtPassesItsTurn) {
  SetMember(0, 30, {1, 1, 1, 1});
  for (int k = 1; k < 4; ++k) D().Members[k].fill(0);
  SetAction(2, 1, 0, 0, 3, 1, 0);
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 2);
  Start({1});
  TheBattle.fighters[0].status[game::kStatusDown] = 1;
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

// Phase 1's decide: usable when the kind is not 4 or 201-299, the id is set, the PP cost
// is met, and the kind is 300 or more, or the count (a signed 16-bit value) is above 0,
// or the kind is 51.
TEST_F(BattleTest, CommandIsUsableByKindSignedCountAndCost) {
  struct Case {
    int kind;
    uint16_t count;
    int cost;
    bool usable;
  };
  const Case cases[] = {
      {1, 1, 0, true},        {1, 0, 0, false},      {103, 0xFFC0, 0, false},  // a worn weapon
      {1, 0xFFE0, 0, false},  {51, 0xFFC0, 0, true}, {51, 0, 0, true},
      {301, 0xFFC0, 0, true}, {300, 0, 0, true},     {301, 0xFFC0, 11, false},  // PP 10
      {4, 5, 0, false},       {201, 5, 0, false},    {299, 5, 0, false},
      {200, 5, 0, true},      {1, 0x7FFF, 0, true},  {1, 0x8000, 0, false},
  };
  SetMember(0, 30, {1, 1, 1, 1});
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " count " << c.count << " cost " << c.cost);
    Start({1});
    SetAction(7, c.kind, 0, 0, 1, 0, 0);
    D().Items[7].values[game::kItemPpCost] = c.cost;
    game::Combatant& m = TheBattle.fighters[0];
    m.commands[2] = {7, static_cast<int16_t>(c.count)};
    m.status[game::kStatusSelected] = 2;
    TheBattle.actor = 0;
    TheBattle.phase = TheBattle.input_last_phase = game::kPhaseCommand;
    TheBattle.input_wait = 0;
    datatest::Sounds.clear();
    Decide = true;
    TheBattle.UpdateBattleInput();
    Decide = false;
    EXPECT_EQ(TheBattle.phase, c.usable ? game::kPhaseTarget : game::kPhaseCommand);
    EXPECT_EQ(datatest::Sounds, std::vector<int>({c.usable ? 3 : 4}));
  }
}

// Phase 2's keys by target type. Members 1 and 3 are present, enemies in slots 1 and 2
// (slot 0 has fallen). Left and right move within the side unless the whole side or
// the actor is the target; up and down (types 0-3) turn to the other side: its first
// present combatant for types 0 and 1, the whole side for 2 and 3.
TEST_F(BattleTest, TargetMovesAndTurnsSidesByTypeAndKey) {
  enum Key { kLeft, kRight, kUp, kDown };
  struct Case {
    int type, target, side;
    Key key;
    int want_target, want_side;
  };
  const Case cases[] = {
      {0, 1, -1, kRight, 2, -1}, {0, 2, -1, kRight, 1, -1},  // wraps past the empty slots
      {0, 1, -1, kLeft, 2, -1},  {0, 2, -1, kDown, 1, 1},   {0, 1, 1, kRight, 3, 1},    {0, 3, 1, kRight, 1, 1},
      {0, 3, 1, kUp, 1, -1},     {0, 2, -1, kUp, 1, -1},    {1, 3, 1, kUp, 1, -1},      {1, 1, 1, kLeft, 3, 1},
      {1, 2, -1, kDown, 1, 1},   {2, -1, -1, kDown, -1, 1}, {2, -1, 1, kUp, -1, -1},    {2, -1, -1, kRight, -1, -1},
      {3, -1, 1, kUp, -1, -1},   {3, -1, -1, kDown, -1, 1}, {3, -1, 1, kLeft, -1, 1},   {4, 1, -1, kDown, 1, -1},
      {4, 1, -1, kRight, 2, -1}, {5, 1, 1, kUp, 1, 1},      {6, -1, -1, kDown, -1, -1}, {7, -1, 1, kUp, -1, 1},
      {8, -1, 0, kUp, -1, 0},    {10, 1, 1, kRight, 1, 1},  {10, 1, 1, kUp, 1, 1},
  };
  for (int k : {0, 2}) D().Members[k].fill(0);
  SetMember(1, 30, {1, 1, 1, 1});
  SetMember(3, 30, {1, 1, 1, 1});
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - cases));
    Start({1, 1, 1});
    TheBattle.fighters[4].block[game::kMemberPresent] = game::kKindGone;
    SetAction(7, 1, c.type, 0, 1, 0, 0);
    TheBattle.fighters[1].commands[0] = {7, 1};
    TheBattle.fighters[1].status[game::kStatusSelected] = 0;
    TheBattle.actor = 1;
    TheBattle.target = c.target, TheBattle.side = c.side;
    TheBattle.phase = TheBattle.input_last_phase = game::kPhaseTarget;
    TheBattle.input_wait = 0;
    Left = c.key == kLeft, Right = c.key == kRight, Up = c.key == kUp, Down = c.key == kDown;
    TheBattle.UpdateBattleInput();
    Left = Right = Up = Down = false;
    EXPECT_EQ(TheBattle.target, c.want_target);
    EXPECT_EQ(TheBattle.side, c.want_side);
    EXPECT_EQ(TheBattle.phase, game::kPhaseTarget);
  }
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
      {0, 0, 1, 0, 1, 20, 30, 36, true, false, false, false, false, 0},  // spirit 3 + 33
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
  EXPECT_EQ(TheBattle.fighters[0].block[game::kMemberHpPoints], 2);
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
      m.block[game::kMemberGrowthPoints + s] = c.stats[s] ? 100 : 0;
    }
    m.block[game::kMemberHpPoints] = c.hp ? 42 : 0;  // 32 x 1.3 = 41.6; gain 0 + 1 + trunc(sqrt 28)
    m.block[game::kMemberPpPoints] = c.pp ? 9 : 0;   // + 1 for no ESP use reaches max PP 10
    TheBattle.GrowMembers();
    EXPECT_EQ(Message(TheBattle), Codes(c.line)) << c.line;
    EXPECT_EQ(TheBattle.phase, *c.line ? game::kPhaseGrowthMessage : game::kPhaseLeave);
    if (c.hp) {
      EXPECT_EQ(m.block[game::kMemberHpPoints], 0);  // 42 - 64, at least 0, halved
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
  EXPECT_EQ(TheBattle.fighters[4].block[game::kMemberPresent], game::kKindEnemy);
  EXPECT_EQ(TheBattle.fighters[4].block[game::kMemberHp], -4);
  for (int n = 4; n < 9; ++n) TheBattle.SetPendingResult(n, 1, false, false, false, false, false);
  TheBattle.hits_left = 0;
  Fallback = 50;
  TheBattle.CheckBattleDeaths();
  for (int n = 4; n < 9; ++n) EXPECT_EQ(TheBattle.fighters[n].block[game::kMemberPresent], game::kKindGone);
  EXPECT_EQ(TheBattle.money_won, 50);
  EXPECT_EQ(Message(TheBattle), Codes("5たい_たおした。"));
  EXPECT_EQ(TheBattle.enemy_layout[0].fade, 1);
}

// The action message by target: one combatant, the party, everyone, the enemies; harmful
// or helpful; "watching" replaces the message and the anger burst is appended.
TEST_F(BattleTest, ActionMessageNamesTheTargetBySideAndHelpfulness) {
  SetMember(0, 30, {1, 1, 1, 1});
  SetMember(1, 30, {1, 1, 1, 1});
  for (int k = 2; k < 4; ++k) D().Members[k].fill(0);
  SetEnemy(1, "A", 40, {0, 0, 0, 0}, 0);
  SetEnemy(2, "B", 40, {0, 0, 0, 0}, 0);
  auto cat = [](std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  struct Case {
    const char* name;
    int actor, target, side, helpful, mode;
    bool first_down;            // member 0 is down: the party is named after member 1
    std::vector<uint8_t> tail;  // after the actor's name, "は_" and the item's name
  };
  const Case cases[] = {
      {"one enemy", 0, 1, -1, 0, 0, false, cat({Codes("で\n"), Codes("B"), Codes("を_こうげき!\n")})},
      {"one member, helpful", 0, 1, 1, 1, 0, false, Codes("を_つかった!\n")},
      {"the party", 4, -1, 1, 0, 0, false, cat({Codes("で\n"), Codes("みなみ"), Codes("たちを_こうげき!\n")})},
      {"the party, member 0 down", 4, -1, 1, 0, 0, true, cat({Codes("で\n"), {}, Codes("たちを_こうげき!\n")})},
      {"the party, helpful", 0, -1, 1, 1, 0, false, Codes("を_つかった!\n")},
      {"everyone", 0, -1, 0, 0, 0, false, Codes("を_つかった!\n")},
      {"the enemies", 0, -1, -1, 0, 0, false, Codes("で\nてきぜんたいを_こうげき!\n")},
      {"the enemies, helpful", 4, -1, -1, 1, 0, false, Codes("を_つかった!\n")},
      {"anger", 0, 0, -1, 0, 15, false,
       cat({Codes("で\n"), Codes("A"), Codes("を_こうげき!\n"), Codes("みなみの＿いかりが＿ばくはつした!")})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start({1, 2});
    SetAction(5, 1, 0, c.helpful, 3, 1, c.mode);
    D().Items[5].name = {};
    const std::vector<uint8_t> item = Codes("パンチ");
    std::copy(item.begin(), item.end(), D().Items[5].name.begin());
    TheBattle.fighters[c.actor].commands[0] = {5, 1};
    TheBattle.fighters[c.actor].status[game::kStatusSelected] = 0;
    TheBattle.fighters[c.actor].damage_taken = 9;
    if (c.first_down) TheBattle.fighters[0].status[game::kStatusDown] = 1;
    TheBattle.actor = c.actor, TheBattle.target = c.target, TheBattle.side = c.side;
    TheBattle.ReportAction();
    const auto& an = TheBattle.fighters[c.actor].name;
    std::vector<uint8_t> want(an.begin(), std::find(an.begin(), an.end(), 0));
    want = cat({want, Codes("は_"), item, c.tail});
    if (c.first_down) {
      // The first able member's name in the gap.
      const auto& n1 = TheBattle.fighters[1].name;
      const size_t at = want.size() - Codes("たちを_こうげき!\n").size();
      want.insert(want.begin() + static_cast<long>(at), n1.begin(), std::find(n1.begin(), n1.end(), 0));
    }
    EXPECT_EQ(Message(TheBattle), want);
    EXPECT_EQ(TheBattle.fighters[c.actor].damage_taken, 0) << "the actor's damage is forgotten";
  }
  // Watching: the whole message is replaced.
  Start({1});
  SetAction(5, 1, 0, 0, 3, 1, 14);
  TheBattle.fighters[4].commands[0] = {5, 1};
  TheBattle.fighters[4].status[game::kStatusSelected] = 0;
  TheBattle.actor = 4, TheBattle.target = 0, TheBattle.side = 1;
  TheBattle.ReportAction();
  EXPECT_EQ(Message(TheBattle), cat({Codes("A"), Codes("は_ようすを＿うかがっている。")}));
}

// The death check looks at every combatant, not only those with a fresh result: an enemy
// whose table gives it 0 HP and a member saved at 0 HP fall after the action's last hit.
TEST_F(BattleTest, DeathCheckTakesCombatantsThatWereNotHit) {
  SetMember(0, 30, {1, 1, 1, 1});
  SetMember(1, 30, {1, 1, 1, 1});
  for (int k = 2; k < 4; ++k) D().Members[k].fill(0);
  D().Members[1][game::kMemberHp] = 0;
  SetEnemy(1, "A", 20, {0, 0, 0, 0}, 0, 7);
  SetEnemy(2, "B", 0, {0, 0, 0, 0}, 0, 11);
  Start({1, 2});
  ASSERT_EQ(TheBattle.fighters[5].block[game::kMemberHp], 0);
  TheBattle.SetPendingResult(4, 3, false, false, false, false, false);
  TheBattle.hits_left = 0;
  Fallback = 120;  // no drops
  TheBattle.CheckBattleDeaths();
  EXPECT_EQ(TheBattle.fighters[4].block[game::kMemberPresent], game::kKindEnemy);
  EXPECT_EQ(TheBattle.fighters[4].block[game::kMemberHp], 17);
  EXPECT_EQ(TheBattle.fighters[5].block[game::kMemberPresent], game::kKindGone) << "the enemy with 0 HP fell";
  EXPECT_EQ(TheBattle.fighters[1].status[game::kStatusDown], 1) << "the member at 0 HP fell";
  EXPECT_EQ(TheBattle.fighters[0].status[game::kStatusDown], 0);
  EXPECT_EQ(TheBattle.money_won, 11);
  // Combatant 1's name comes from the member's default name, the enemy's from its record.
  std::vector<uint8_t> want(TheBattle.fighters[1].name.begin(),
                            std::find(TheBattle.fighters[1].name.begin(), TheBattle.fighters[1].name.end(), 0));
  for (uint8_t c : Codes("は_しんだ。\nB")) want.push_back(c);
  for (uint8_t c : Codes("は_しんだ。\n")) want.push_back(c);
  EXPECT_EQ(Message(TheBattle), want);
  EXPECT_EQ(datatest::Sounds.back(), 23);
}

// Data values anywhere in the 32-bit range: sums and products saturate at the ends of the
// range (the sanitised build stops on a signed overflow, so reaching the checks is half
// of the test). Every random draw gives 3 (cut to its max).
TEST_F(BattleTest, ExtremeValuesSaturateInsteadOfOverflowing) {
  constexpr int32_t kMax = 2147483647, kMin = -2147483647 - 1;
  struct Case {
    const char* name;
    int actor, target, mode, helpful, raise, mult, target_defence;
    int result;
  };
  const Case cases[] = {
      {"raise at the top, no defence", 0, 4, 2, 0, kMax, 1, 1, kMax},  // 10 + max
      {"raise at the top, random and defence", 0, 4, 0, 0, kMax, 1, 1, kMax - 5},
      {"defence x 5 at the top", 0, 4, 0, 0, 20, 1, kMax, 0},
      {"factor x stat at the bottom", 0, 4, 0, 0, 0, kMin, 1, 0},
      {"healing at the top", 0, 0, 0, 1, kMax, 1, 1, kMax},  // 3 x 1 + max
      {"instant kill against a huge defence fails", 0, 4, 4, 0, 20, 1, kMax, 0},
      {"enemy's blow: HP growth points stop at the top", 4, 0, 0, 0, kMax, 1, 2, kMax - 10},
  };
  SetMember(0, 30, {10, 2, 10, 3});
  SetEnemy(1, "A", 40, {4, 1, 0, 6}, 5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start({1});
    Fallback = 3;
    SetAction(5, 1, 0, c.helpful, c.raise, c.mult, c.mode);
    TheBattle.fighters[c.actor].commands[0] = {5, 1};
    TheBattle.fighters[c.actor].status[game::kStatusSelected] = 0;
    TheBattle.fighters[c.target].block[game::kMemberBattleAttack + 1] = c.target_defence;
    TheBattle.actor = c.actor;
    EXPECT_EQ(TheBattle.ResolveActionOnTarget(c.target), c.result);
    Fallback = 0;
  }
  // The last row: g = max - 5 - 5, then trunc(1.5 g) on top since the blow kills.
  EXPECT_EQ(TheBattle.fighters[0].block[game::kMemberHpPoints], kMax);

  // Applying results: HP, PP and the damage taken stop at the ends; money from two
  // enemies worth the most stops at the top, and the party's money at the u32 top.
  struct Apply {
    int n, hp, pp, value;
    bool healing, pp_flag;
    int want_hp, want_pp;
  };
  const Apply applies[] = {
      {0, 10, 5, kMax, true, false, 30, 5},      // healed to max HP 30
      {0, 10, 5, kMax, true, true, 10, 10},      // PP to max PP 10
      {0, 20, -5, kMax, false, true, 20, kMin},  // PP -5 - max
  };
  for (const Apply& a : applies) {
    Start({1});
    TheBattle.fighters[a.n].block[game::kMemberHp] = a.hp;
    TheBattle.fighters[a.n].block[game::kMemberPp] = a.pp;
    TheBattle.SetPendingResult(a.n, a.value, a.healing, false, false, a.pp_flag, false);
    TheBattle.hits_left = 1;
    TheBattle.CheckBattleDeaths();
    EXPECT_EQ(TheBattle.fighters[a.n].block[game::kMemberHp], a.want_hp) << (&a - applies);
    EXPECT_EQ(TheBattle.fighters[a.n].block[game::kMemberPp], a.want_pp) << (&a - applies);
  }
  SetEnemy(2, "B", -100, {0, 0, 0, 0}, 0, kMax);
  D().Scalars[game::kScalarMoney] = 4000000000u;
  Start({2, 2});
  TheBattle.fighters[4].damage_taken = kMax - 1;
  TheBattle.SetPendingResult(4, kMax, false, false, false, false, false);
  TheBattle.SetPendingResult(5, kMax, false, false, false, false, false);
  TheBattle.hits_left = 0;
  Fallback = 120;
  TheBattle.CheckBattleDeaths();
  EXPECT_EQ(TheBattle.fighters[4].damage_taken, kMax);
  EXPECT_EQ(TheBattle.money_won, kMax);
  TheBattle.EndBattle();
  EXPECT_EQ(D().Scalars[game::kScalarMoney], 4294967295u);
}

// Growth with a maximum HP near the top: 7/8 of it and twice it are taken in 64 bits.
TEST_F(BattleTest, GrowthOfAHugeMaximumHpDoesNotOverflow) {
  SetMember(0, 1600000000, {1, 1, 1, 1});
  for (int k = 1; k < 4; ++k) D().Members[k].fill(0);
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  Start({1});
  game::Combatant& m = TheBattle.fighters[0];
  m.block[game::kMemberHpPoints] = 2147483647;  // at least 1.3 x max HP
  const int32_t base = m.block[game::kMemberBaseMaxHp];
  Fallback = 0;
  TheBattle.GrowMembers();
  EXPECT_EQ(m.hp_gain, 0 + 1 + 37416);  // trunc(sqrt(1400000000))
  EXPECT_EQ(m.block[game::kMemberHpPoints], 0);
  EXPECT_EQ(m.block[game::kMemberBaseMaxHp], base + 37417);
}

// Turn keys of speeds at the ends of the range: speed + the draw saturates at the top,
// and a key is never put behind the empty entries (-32768), so even the slowest
// combatant keeps its turn. Draws in combatant order: 7, 0, 0, 15, 15.
TEST_F(BattleTest, TurnKeysOfExtremeSpeedsSaturateAndKeepEveryCombatantInTheOrder) {
  constexpr int32_t kMax = 2147483647, kMin = -2147483647 - 1;
  TheBattle = game::Battle();
  const std::pair<int, int32_t> speeds[] = {{0, kMax}, {1, 100}, {2, -40000}, {4, kMax - 3}, {5, kMin}};
  for (auto [who, speed] : speeds) {
    TheBattle.fighters[who].block[game::kMemberPresent] = who < 4 ? game::kKindMember : game::kKindEnemy;
    TheBattle.fighters[who].block[game::kMemberBattleAttack + 2] = speed;
  }
  Script = {7, 0, 0, 15, 15};
  TheBattle.BuildTurnOrder();
  // Keys max, 100, -32768, max, -32768: the first of equal keys goes first.
  const std::array<int32_t, 6> want = {0, 4, 1, 2, 5, -1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(TheBattle.order[i], want[i]) << "at " << i;
}

// The growth points an attack earns against the strongest enemy there can be, summed in
// 64 bits and saturated where they are added. Every draw gives 3: p = trunc(sqrt(max)) +
// 2 + max - 10 = 2147529979, + 5 + 3, + 10 (3 < 10, not 3 < 1), + 3 with modifier 1.
TEST_F(BattleTest, GrowthPointsAgainstTheStrongestEnemySaturateWhereTheyAreAdded) {
  constexpr int32_t kMax = 2147483647, kMin = -2147483647 - 1;
  struct Case {
    const char* name;
    int32_t points, modifier;
    int32_t want;
  };
  const Case cases[] = {
      {"from nothing", 0, 0, kMax},
      {"from the bottom", kMin, 0, kMin + 2147529997},  // 46349
      {"with the growth modifier", 0, 1, kMax},
      {"without growth", 0, -1, 0},
  };
  SetMember(0, 30, {10, 2, 10, 3});
  SetEnemy(1, "A", 40, {kMax, 0, 0, 0}, 5);
  SetAction(5, 1, 0, 0, 1, 1, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start({1});
    game::Combatant& a = TheBattle.fighters[0];
    a.commands[0] = {5, 9};
    a.status[game::kStatusSelected] = 0;
    a.block[game::kMemberGrowthModifier] = c.modifier;
    a.block[game::kMemberGrowthPoints] = c.points;
    TheBattle.actor = 0;
    TheBattle.target = 0;
    TheBattle.side = -1;
    Fallback = 3;
    TheBattle.PayAndStartAction();
    Fallback = 0;
    EXPECT_EQ(a.block[game::kMemberGrowthPoints], c.want);
    EXPECT_EQ(a.exercised[0], 1);  // 3 < 50
    EXPECT_EQ(TheBattle.phase, game::kPhaseHit);
  }
}

}  // namespace
}  // namespace battletest

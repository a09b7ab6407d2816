// The effect list and its resident pictures, and the enemy sprite cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/game/battle/battle_fixture.h"

namespace battletest {
namespace {

using game::TheBattle;

int CountCalls(std::string_view prefix) {
  return static_cast<int>(
      std::count_if(Calls.begin(), Calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

TEST_F(BattleTest, EffectListIsReadAfterTheMarkerWithClampedEntries) {
  datatest::WriteText("system/effect.txt",
                      "id frames rows w h name note\n---\n"
                      "2 8 2 32 24 hit.png a\n"
                      "4 20 1 16 16 big.png b\n"
                      "5 3 0 8 8 zero.png c\n"
                      "6 8 22 8 8 tall.png t\n"
                      "600 1 1 8 8 far.png d\n"
                      "9 4 1 8 8 end.png e\n"
                      "oops 1 1 1 1 never.png f\n"
                      "10 1 1 1 1 never.png g\n");
  game::BattleEffect fx;
  EXPECT_EQ(fx.Def(2).frames, 8);
  EXPECT_EQ(fx.Def(2).rows, 2);
  EXPECT_EQ(fx.Def(2).across, 4);
  EXPECT_EQ(fx.Def(4).frames, 16);  // at most 16 kept
  EXPECT_EQ(fx.Def(4).across, 20);  // cells still cut as written
  EXPECT_EQ(fx.Def(5).rows, 1);
  EXPECT_EQ(fx.Def(5).across, 3);
  EXPECT_EQ(fx.Def(9).frames, 4);
  EXPECT_EQ(fx.Def(10).frames, 0);  // the word that is not a number ended the read
  EXPECT_STREQ(fx.Def(2).name.data(), "hit.png");

  EXPECT_EQ(fx.Def(6).rows, 16);
  EXPECT_EQ(fx.Def(6).across, 0);  // 8 frames over 22 rows

  // As many cells as frames are loaded, from the grid as written, and all are freed.
  fx.RequestEffect(2);
  fx.RequestEffect(2);
  fx.RequestEffect(4);
  fx.RequestEffect(6);
  EXPECT_EQ(Calls, std::vector<std::string>({"load img\\effect\\hit.png 8", "load img\\effect\\big.png 16",
                                             "load img\\effect\\tall.png 8"}));
  Calls.clear();
  fx.DrawEffect(100, 50, 2, 1);  // centred: 100 - 16, 50 - 12
  fx.DrawEffect(100, 50, 2, 8);  // past the frames: nothing
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].substr(0, 13), "graph 84 38 1");
  Calls.clear();
  fx.ReleaseEffects();
  EXPECT_EQ(CountCalls("delete"), 8 + 16 + 8);
}

TEST_F(BattleTest, MissingEffectListLeavesTheTableEmpty) {
  game::BattleEffect fx;
  EXPECT_EQ(fx.Def(2).frames, 0);
  fx.DrawEffect(0, 0, 2, 0);
  EXPECT_EQ(CountCalls("graph"), 0);
}

// The load counter starts at 1, so the 40th load already frees the first one.
TEST_F(BattleTest, FortiethEffectLoadFreesTheOldest) {
  std::string text = "---\n";
  for (int id = 100; id < 142; ++id) text += std::to_string(id) + " 1 1 8 8 e" + std::to_string(id) + ".png x\n";
  datatest::WriteText("system/effect.txt", text);
  game::BattleEffect fx;
  for (int id = 100; id < 139; ++id) fx.RequestEffect(id);
  EXPECT_EQ(fx.LoadNumber(100), 1);
  EXPECT_EQ(CountCalls("delete"), 0);
  fx.RequestEffect(139);
  EXPECT_EQ(fx.LoadNumber(100), -1);
  EXPECT_EQ(fx.LoadNumber(101), 2);
  EXPECT_EQ(fx.LoadNumber(139), 40);
  EXPECT_EQ(CountCalls("delete"), 1);
  fx.RequestEffect(140);
  EXPECT_EQ(fx.LoadNumber(101), -1);
}

TEST_F(BattleTest, EnemySpritesFillThirteenSlotsInTurn) {
  std::string text = "id w h k file note\n---\n";
  for (int id = 0; id < 14; ++id) text += std::to_string(id) + " 40 30 2 ene\\s" + std::to_string(id) + ".png x\n";
  text += "20 10 10 12 ene\\wide.png x\n";
  datatest::WriteText("ene/enemydef.txt", text);
  game::EnemyGraphCache& cache = game::TheEnemyGraphCache;
  cache.LoadEnemyDef();
  EXPECT_TRUE(cache.Loaded());
  EXPECT_EQ(cache.Def(20).last_cell, 8);  // at most 9 cells
  for (int id = 0; id < 13; ++id) cache.RequestEnemyGraph(id);
  cache.RequestEnemyGraph(5);
  EXPECT_EQ(CountCalls("load"), 13);
  EXPECT_EQ(Calls[0], "load ene\\s0.png 3");
  int first = cache.GetEnemyGraphHandle(0, -1);
  EXPECT_NE(first, -1);
  EXPECT_EQ(cache.GetEnemyGraphHandle(0, 1), first + 2);
  cache.RequestEnemyGraph(13);  // replaces slot 0
  EXPECT_EQ(cache.SlotSprite(0), 13);
  EXPECT_EQ(cache.GetEnemyGraphHandle(0, 0), -1);
  EXPECT_EQ(CountCalls("delete"), 3);
  EXPECT_EQ(cache.GetEnemyGraphHandle(13, 8), -1);
  EXPECT_EQ(cache.GetEnemyGraphHandle(13, -2), -1);
  cache.ReleaseEnemyGraphs();
  EXPECT_EQ(cache.SlotSprite(5), -1);
}

TEST_F(BattleTest, EnemyPulseIsATriangleOfCounterB) {
  game::EnemyGraphCache& cache = game::TheEnemyGraphCache;
  struct Case {
    int ticks, brightness;
  };
  // After the restart B = 7 + ticks (back to 0 after 60).
  const Case cases[] = {{0, 105}, {8, 225}, {9, 210}, {23, 0}, {30, 105}, {52, 15}, {53, 0}, {54, 0}, {55, 15}};
  for (const Case& c : cases) {
    cache.RestartEnemyPulse();
    for (int i = 0; i < c.ticks; ++i) cache.TickEnemyGraphs();
    EXPECT_EQ(cache.PulseBrightness(), c.brightness) << c.ticks;
  }
}

// Each hit-effect kind shows its number at one frame and ends at another (both counted
// from 0, the pass the effect starts in); an idle slot of a whole-side action shows its
// combatant's number once its counter is above 8.
TEST_F(BattleTest, HitEffectKindsShowTheNumberAndEndAtTheirFrames) {
  struct Case {
    int kind, popup, end;
  };
  const Case cases[] = {{0, 2, 4},    {1, 14, 15},  {5, 14, 15},  {2, 6, 7}, {3, 8, 9},
                        {4, 90, 111}, {11, 12, 15}, {12, 12, 15}, {7, 6, 7}, {300, 6, 7}};
  SetMember(0, 30, {1, 1, 1, 1});
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind);
    Start({1});
    TheBattle.StartHitEffect(0, c.kind);
    TheBattle.SetPendingResult(0, 7, false, false, false, false, false);
    int popup_pass = -1, end_pass = -1;
    for (int pass = 0; pass < 130 && end_pass < 0; ++pass) {
      TheBattle.DrawHitEffects();
      if (popup_pass < 0 && TheBattle.popups[0].active) popup_pass = pass;
      if (!TheBattle.hits[0].active) end_pass = pass;
    }
    EXPECT_EQ(popup_pass, c.popup);
    EXPECT_EQ(end_pass, c.end);
    EXPECT_EQ(TheBattle.popups[0].value, 7);
    EXPECT_FALSE(TheBattle.popups[1].active) << "one number only";
  }

  // One effect for all enemies (slot 12): enemy slots 4 and 5 were never started, so
  // their counters run from 0 and pass 8 takes them above 8.
  Start({1, 1});
  TheBattle.StartHitEffect(game::kAllEnemiesSlot, 2);
  TheBattle.SetPendingResult(4, 3, false, false, false, false, false);
  TheBattle.SetPendingResult(5, 4, false, false, false, false, false);
  for (int pass = 0; pass < 8; ++pass) TheBattle.DrawHitEffects();
  EXPECT_FALSE(TheBattle.popups[0].active);
  TheBattle.DrawHitEffects();
  EXPECT_TRUE(TheBattle.popups[0].active);
  EXPECT_TRUE(TheBattle.popups[1].active);
  EXPECT_EQ(TheBattle.popups[0].value + TheBattle.popups[1].value, 7);
}

// A number's flight, worked from the rules: y += velocity, velocity += 1.5, a bounce at
// the ground halves and turns the velocity (0 once it is -4 or more); alpha 64t + 32 for
// t 0-3, 2016 - 64t from 29, and the 30th pass is the last.
TEST_F(BattleTest, ResultNumbersFlyBounceAndFade) {
  SetMember(0, 30, {1, 1, 1, 1});
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  Start({1});
  for (int i = 0; i < game::kBattleLetterCells; ++i) TheBattle.letter_graphs[i] = 500 + i;
  // Member 0's centre (88, 206): ground 214.
  struct Flight {
    const char* name;
    int value;
    bool healing, failed, killed;
    std::vector<int> xs, cells;  // per pass, from the left
    std::vector<int> ys;         // the first 12 passes
  };
  const Flight flights[] = {
      // 3 digits: x = 88 - 27 / 2; from 219 at -7.
      {"number",
       123,
       false,
       false,
       false,
       {75, 84, 93},
       {501, 502, 503},
       {212, 206, 202, 200, 199, 199, 201, 205, 210, 214, 214, 214}},
      {"healing",
       40,
       true,
       false,
       false,
       {79, 88},
       {514, 510},
       {212, 206, 202, 200, 199, 199, 201, 205, 210, 214, 214, 214}},
      // 4 places: x = 70; from the ground at -4.
      {"failed",
       0,
       false,
       true,
       false,
       {72, 88},
       {520, 521},
       {210, 207, 206, 207, 209, 212, 214, 214, 214, 214, 214, 214}},
      // From 50 above the ground at +7; the bounce at 214 turns 14.5 into -7.25.
      {"killed",
       0,
       false,
       false,
       true,
       {72, 88},
       {522, 523},
       {171, 179, 189, 201, 214, 206, 201, 196, 194, 192, 193, 194}},
  };
  for (const Flight& f : flights) {
    SCOPED_TRACE(f.name);
    TheBattle.popups = {};
    TheBattle.SpawnResultPopup(0, f.value, f.healing, f.failed, f.killed);
    std::vector<int> alphas, ys;
    for (int pass = 0; pass < 31; ++pass) {
      Calls.clear();
      TheBattle.DrawResultPopups();
      std::vector<std::string> graphs;
      int alpha = 255;
      for (const std::string& c : Calls) {
        if (c.rfind("blend 1 ", 0) == 0) alpha = std::stoi(c.substr(8));
        if (c.rfind("graph ", 0) == 0) graphs.push_back(c);
      }
      if (graphs.empty()) {
        EXPECT_EQ(pass, 30) << "drawn for 30 passes";
        break;
      }
      alphas.push_back(alpha);
      ASSERT_EQ(graphs.size(), f.xs.size());
      int y = 0;
      for (size_t i = 0; i < graphs.size(); ++i) {
        int x = 0, g = 0;
        std::sscanf(graphs[i].c_str(), "graph %d %d %d", &x, &y, &g);
        EXPECT_EQ(x, f.xs[i]);
        EXPECT_EQ(g, f.cells[i]);
      }
      ys.push_back(y);
    }
    ASSERT_EQ(alphas.size(), 30u);
    EXPECT_EQ(std::vector<int>(alphas.begin(), alphas.begin() + 5), std::vector<int>({32, 96, 160, 224, 255}));
    EXPECT_EQ(alphas[28], 255);
    EXPECT_EQ(alphas[29], 160);
    EXPECT_EQ(std::vector<int>(ys.begin(), ys.begin() + 12), f.ys);
  }
}

// Slots are drawn in ascending order on one pass and descending on the next.
TEST_F(BattleTest, ResultNumbersAreDrawnInAlternatingOrder) {
  SetMember(0, 30, {1, 1, 1, 1});
  SetEnemy(1, "A", 5, {0, 0, 0, 0}, 0);
  Start({1});
  for (int i = 0; i < game::kBattleLetterCells; ++i) TheBattle.letter_graphs[i] = 500 + i;
  TheBattle.SpawnResultPopup(0, 1, false, false, false);
  TheBattle.SpawnResultPopup(4, 2, false, false, false);
  std::vector<int> first;
  for (int pass = 0; pass < 4; ++pass) {
    Calls.clear();
    TheBattle.DrawResultPopups();
    std::vector<int> cells;
    for (const std::string& c : Calls) {
      int x = 0, y = 0, g = 0;
      if (std::sscanf(c.c_str(), "graph %d %d %d", &x, &y, &g) == 3) cells.push_back(g);
    }
    EXPECT_EQ(cells, pass % 2 == 0 ? std::vector<int>({501, 502}) : std::vector<int>({502, 501})) << pass;
  }
}

}  // namespace
}  // namespace battletest

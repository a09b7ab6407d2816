// The effect list and its resident pictures, and the enemy sprite cache.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/game/battle/battle_fixture.h"

namespace battletest {
namespace {

int CountCalls(std::string_view prefix) {
  return static_cast<int>(std::count_if(Calls.begin(), Calls.end(),
                                        [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

TEST_F(BattleTest, EffectListIsReadAfterTheMarkerWithClampedEntries) {
  datatest::WriteText("system/effect.txt",
                      "id frames rows w h name note\n---\n"
                      "2 8 2 32 24 hit.png a\n"
                      "4 20 1 16 16 big.png b\n"
                      "5 3 0 8 8 zero.png c\n"
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

  fx.RequestEffect(2);
  fx.RequestEffect(2);
  fx.RequestEffect(4);
  EXPECT_EQ(Calls, std::vector<std::string>({"load img\\effect\\hit.png 8", "load img\\effect\\big.png 20"}));
  Calls.clear();
  fx.DrawEffect(100, 50, 2, 1);  // centred: 100 - 16, 50 - 12
  fx.DrawEffect(100, 50, 2, 8);  // past the frames: nothing
  ASSERT_EQ(Calls.size(), 1u);
  EXPECT_EQ(Calls[0].substr(0, 13), "graph 84 38 1");
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

}  // namespace
}  // namespace battletest

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "tests/game/data/data_fixture.h"

namespace {

using namespace game;
using datatest::DataTest;

TEST_F(DataTest, BuildEncounterFollowsTheRollsGroupSizeAndKinds) {
  const struct {
    const char* what;
    int members;
    uint32_t money, map;
    std::vector<uint32_t> row;
    std::vector<int32_t> draws;   // size, r, kinds, then five candidates
    std::vector<int32_t> maxima;  // what each draw was asked for
    std::vector<uint32_t> expected;
  } cases[] = {
      {"lone and poor: a single enemy",
       1,
       250,
       34,
       {7, 8, 9},
       {2, 50, 0, 2, 0, 1, 1, 1},
       {2, 100, 0, 2, 2, 2, 2, 2},
       {9}},
      {"lone with money: three of a kind",
       1,
       300,
       34,
       {7, 8, 9},
       {2, 50, 0, 2, 0, 1, 1, 1},
       {2, 100, 2, 2, 2, 2, 2, 2},
       {9, 9, 9}},
      {"r < 35: as many as the party", 2, 0, 34, {7, 8}, {0, 34, 1, 1, 0, 0, 0, 0}, {3, 100, 1, 1, 1, 1, 1, 1}, {8, 7}},
      {"r = 35: the rolled size",
       2,
       0,
       34,
       {7, 8, 9},
       {2, 35, 1, 0, 1, 2, 0, 0},
       {3, 100, 2, 2, 2, 2, 2, 2},
       {7, 8, 8}},
      {"a size of 6 is capped at 5",
       4,
       0,
       34,
       {1, 2, 3, 4, 5},
       {5, 99, 4, 0, 1, 2, 3, 4},
       {5, 100, 4, 4, 4, 4, 4, 4},
       {1, 2, 3, 4, 5}},
      {"five of two kinds",
       4,
       0,
       34,
       {1, 2, 3, 4, 5},
       {4, 99, 1, 0, 1, 2, 3, 4},
       {5, 100, 4, 4, 4, 4, 4, 4},
       {1, 2, 4, 2, 3}},
      {"four of three kinds",
       3,
       0,
       34,
       {1, 2, 3, 4},
       {3, 99, 2, 0, 1, 2, 3, 0},
       {4, 100, 3, 3, 3, 3, 3, 3},
       {1, 2, 2, 3}},
      {"map 53: enemy 38 alone", 1, 1000, 53, {7}, {0, 50, 2, 0, 0, 0, 0, 0}, {2, 100, 4, 0, 0, 0, 0, 0}, {38}},
      {"an empty row: nobody", 2, 0, 34, {}, {1, 50, 0}, {3, 100, 1}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GameData& d = Data();
    for (int m = 0; m < kMemberCount; ++m) d.Members[m][kMemberPresent] = m < c.members ? 1 : 0;
    d.Scalars[kScalarMoney] = c.money;
    d.Scalars[kScalarCurrentMap] = c.map;
    d.EncounterGroups[c.map] = {};
    std::copy(c.row.begin(), c.row.end(), d.EncounterGroups[c.map].begin());
    d.EncounterList.fill(99);
    datatest::UseScriptedRandom = true;
    datatest::ScriptedRandom.assign(c.draws.begin(), c.draws.end());
    datatest::RandomMaxima.clear();
    d.BuildEncounter();
    EXPECT_EQ(datatest::RandomMaxima, c.maxima);
    EXPECT_TRUE(datatest::ScriptedRandom.empty());
    std::array<uint32_t, kEncounterListLength> expected{};
    std::copy(c.expected.begin(), c.expected.end(), expected.begin());
    EXPECT_EQ(d.EncounterList, expected);
  }
}

// The polar method worked out in double from the same generator steps.
TEST_F(DataTest, GaussRandomReturnsTheSpareOnTheSecondCallWithoutDrawing) {
  uint32_t next = 2024;
  auto rand15 = [&next] {
    next = next * 1103515245u + 12345u;
    return static_cast<int>((next >> 16) & 0x7FFF);
  };
  double u1, u2, s;
  do {
    u1 = rand15() * (2.0 / 32767) - 1;
    u2 = rand15() * (2.0 / 32767) - 1;
    s = u1 * u1 + u2 * u2;
  } while (!(s > 0 && s < 1));
  const double f = std::sqrt(-2 * std::log(s) / s);

  SeedGaussRand(2024);
  EXPECT_NEAR(GameData::GaussRandom(), f * u2, 1e-4);
  const uint32_t state = GaussRandomState.Next;
  EXPECT_EQ(state, next);
  EXPECT_NEAR(GameData::GaussRandom(), f * u1, 1e-4);
  EXPECT_EQ(GaussRandomState.Next, state);
  GameData::GaussRandom();
  EXPECT_NE(GaussRandomState.Next, state);
}

TEST_F(DataTest, RollGaussValueStaysBetweenFourAndTheCounterLimit) {
  GameData& d = Data();
  const struct {
    uint32_t mean, spread;
    uint32_t low, high;
  } cases[] = {
      {0, 0, 4, 4},
      {static_cast<uint32_t>(-1000), 0, 4, 4},  // a negative mean
      {100, 0, 100, 100},
      {INT32_MAX, static_cast<uint32_t>(INT32_MAX), 4, INT32_MAX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mean);
    for (int i = 0; i < 50; ++i) {
      d.Scalars[kScalarEncounterMean] = c.mean;
      d.Scalars[kScalarEncounterSpread] = c.spread;
      const uint32_t v = d.RollGaussValue();
      EXPECT_EQ(v, d.Scalars[kScalarEncounterSteps]);
      EXPECT_GE(v, c.low);
      EXPECT_LE(v, c.high);
    }
  }
}

}  // namespace

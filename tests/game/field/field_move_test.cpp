#include <gtest/gtest.h>

#include "game/entry/frame_loop.h"
#include "game/field/event_script.h"
#include "tests/game/field/field_fixture.h"

namespace {

using fieldtest::PutEvent;
using game::TheEventScript;
using game::TheField;

// A field in memory: ground of chip 1 everywhere, chip 2 blocks, chip 3 is a counter,
// chip 4 a cell where steps do not count; the camera on (50, 50).
class MoveTest : public fieldtest::FieldTest {
 protected:
  void SetUp() override {
    FieldTest::SetUp();
    Data();
    game::ResetEventScript();
    game::GameMode = game::MODE_FIELD;
    TheField.Map = NewMap();
    for (int i = 0; i < game::kMapCells; ++i) TheField.Map.planes[i] = 1;
    auto& chips = TheField.Chips.Records;
    chips[2].Attributes[game::kChipBlocks] = 1;
    chips[3].Attributes[game::kChipBlocks] = 1;
    chips[3].Attributes[game::kChipGround] = game::kGroundCounter;
    chips[4].Attributes[game::kChipGround] = game::kGroundNoSteps;
  }
  void TearDown() override {
    game::ResetEventScript();
    game::ResetFrameLoop();
    FieldTest::TearDown();
  }
  void Place(int px, int py, int direction) {
    TheField.EventCount = 0;
    for (int e = 0; e < game::kMapEventCount; ++e)
      if (TheField.Map.events[e][0][game::kPageX] != game::kEmptyEventX) TheField.EventCount = e + 1;
    TheField.UpdateEventPages(1);
    TheField.BuildPassGrid();
    TheField.PlacePlayer(px, py, direction);
    TheField.FieldResetPlayerMotion();
    TheField.TickEventSteps();
    TheField.BuildEventGrid();
  }
  // The player starts a step (speed 2) in a direction and the frames run until it ends.
  void Step(int direction) {
    auto& p = TheField.States[0];
    p.Direction = int16_t(direction);
    p.Dx = int16_t(direction == 2 ? 2 : direction == 3 ? -2 : 0);
    p.Dy = int16_t(direction == 0 ? 2 : direction == 1 ? -2 : 0);
    p.Moving = 1;
    p.MovingCounter = 1;
    TheField.TryStep(0);
    for (int i = 0; i < 8 && p.Moving != 0; ++i) {
      TheField.BuildEventGrid();
      TheField.TickEventAnimation();
      TheField.CheckFieldContact();
    }
  }
};

TEST_F(MoveTest, AOneCellWalkerNeverLeavesItsCell) {
  PutEvent(TheField.Map, 1, 50, 50);
  auto& page = TheField.Map.events[1][0];
  page[game::kPageAreaLowX] = page[game::kPageAreaHighX] = 50;
  page[game::kPageAreaLowY] = page[game::kPageAreaHighY] = 50;
  page[game::kPageWalkChance] = 0;
  Place(40, 40, 0);
  for (int frame = 0; frame < 400; ++frame) {
    TheField.TickEventSteps();
    TheField.BuildEventGrid();
    TheField.MoveRandomWalkers();
    TheField.CheckFieldContact();
    ASSERT_EQ(TheField.States[1].X, 50);
    ASSERT_EQ(TheField.States[1].Y, 50);
  }
}

TEST_F(MoveTest, WalkingAgainstATouchEventOnABlockedCellStartsIt) {
  TheField.Map.Cell(0, 51, 50) = 2;
  PutEvent(TheField.Map, 1, 51, 50, 0);
  TheField.Map.events[1][0][game::kPageActivation] = 1;
  TheField.Map.events[1][0][game::kPageBlock] = 7;
  Place(50, 50, 2);
  std::strcpy(TheField.MapScriptText.get(), "*7\r\n@48,9\r\n*");
  Step(2);
  EXPECT_EQ(TheField.PlayerTileX(), 50);
  EXPECT_TRUE(TheEventScript.Running());
}

TEST_F(MoveTest, NoStepCellsNeitherCountNorAnimate) {
  auto& data = Data();
  data.Scalars[game::kScalarEncounterMean] = 5;
  data.Scalars[game::kScalarEncounterSteps] = 100;
  TheField.Map.Cell(0, 51, 50) = 4;
  Place(50, 50, 2);
  TheField.States[0].Period = 1;
  Step(2);
  EXPECT_EQ(TheField.PlayerTileX(), 51);
  EXPECT_EQ(data.Scalars[game::kScalarStepCount], 0u);
  EXPECT_EQ(data.Scalars[game::kScalarEncounterSteps], 100u);
  const int frame = TheField.States[0].AnimFrame;
  TheField.TickEventAnimation();
  EXPECT_EQ(TheField.States[0].AnimFrame, frame);
  Step(2);  // onto ordinary ground
  EXPECT_EQ(data.Scalars[game::kScalarStepCount], 1u);
  EXPECT_EQ(data.Scalars[game::kScalarEncounterSteps], 99u);
  EXPECT_EQ(data.Scalars[game::kScalarStepValue], 1u);
}

TEST_F(MoveTest, ANegativeEncounterMeanStartsNoBattle) {
  auto& data = Data();
  data.EncounterGroups[0][0] = 1;
  data.Scalars[game::kScalarCurrentMap] = 0;
  data.Scalars[game::kScalarEncounterMean] = uint32_t(-1);
  data.Scalars[game::kScalarEncounterSteps] = 0;
  Place(50, 50, 2);
  Step(2);
  EXPECT_EQ(game::GameMode, game::MODE_FIELD);
  EXPECT_EQ(data.Scalars[game::kScalarStepValue], 0u);
  // With a mean of 0 or more the countdown at 0 starts one.
  data.Scalars[game::kScalarEncounterMean] = 3;
  Step(2);
  EXPECT_EQ(game::GameMode, game::MODE_BATTLE);
  EXPECT_EQ(data.Scalars[game::kScalarStepValue], 1u);
}

TEST_F(MoveTest, TalkingAcrossACounterWorksSidewaysOnly) {
  TheField.Map.Cell(0, 51, 50) = 3;
  TheField.Map.Cell(0, 50, 51) = 3;
  PutEvent(TheField.Map, 1, 52, 50);
  PutEvent(TheField.Map, 2, 50, 52);
  Place(50, 50, 2);
  EXPECT_EQ(TheField.FindEventInFront(0), 1);
  EXPECT_EQ(TheField.FindEventInFront(1), -1) << "touch events do not reach across";
  TheField.States[0].Direction = 0;
  EXPECT_EQ(TheField.FindEventInFront(0), -1) << "facing down does not reach across";
  TheField.Map.Cell(0, 51, 50) = 1;
  TheField.States[0].Direction = 2;
  EXPECT_EQ(TheField.FindEventInFront(0), -1) << "no counter between";
}

}  // namespace

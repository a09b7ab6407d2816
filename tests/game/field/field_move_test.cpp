#include <gtest/gtest.h>

#include "game/field/event_script.h"
#include "game/field/field_graphics.h"
#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
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
    game::KeyInput = game::KeyCast();
    game::ResetEventScript();
    game::ResetFrameLoop();
    FieldTest::TearDown();
  }
  // Buttons held this frame, and those of them newly pressed.
  static void Hold(std::initializer_list<int> held, std::initializer_list<int> pressed = {}) {
    game::KeyInput.pad_now = game::KeyInput.pad_pressed = 0;
    for (int b : held) game::KeyInput.pad_now |= game::KeyInput.button_masks[b];
    for (int b : pressed) game::KeyInput.pad_pressed |= game::KeyInput.button_masks[b];
  }
  // Field frames of the player's own: input, moving; the number of frames until it stands.
  int FramesUntilStanding(int limit = 100) {
    for (int n = 1; n <= limit; ++n) {
      TheField.BuildEventGrid();
      TheField.UpdatePlayer();
      Hold({});
      TheField.CheckFieldContact();
      if (TheField.States[0].Moving == 0) return n;
    }
    return -1;
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
  // A walker beside it with the whole map to walk in shows that walkers do get to walk.
  PutEvent(TheField.Map, 2, 45, 52);
  Place(48, 48, 0);  // both near the camera, so both are active
  ASSERT_EQ(TheField.ActiveCount, 3);
  bool other_moved = false;
  for (int frame = 0; frame < 400; ++frame) {
    TheField.TickEventSteps();
    TheField.BuildEventGrid();
    TheField.MoveRandomWalkers();
    TheField.CheckFieldContact();
    ASSERT_EQ(TheField.States[1].X, 50);
    ASSERT_EQ(TheField.States[1].Y, 50);
    other_moved |= TheField.States[2].X != 45 || TheField.States[2].Y != 52;
  }
  EXPECT_TRUE(other_moved);
}

// The heading turns one unit toward the walking direction's value (0 right, 6 up, 12
// left, 18 down) when within 6 units of it, without going round the circle, except that
// down turns 0 into 23; farther away it is lost. Walking on in the same direction turns
// a lost heading into the direction's value.
TEST_F(MoveTest, TheWalkingHeadingTurnsByOneOrIsLost) {
  const struct {
    int heading, direction, last, want;
  } cases[] = {
      {18, 2, -1, -1},                   // facing down, walking right: 18 units apart
      {0, 0, -1, 23},                    // right, walking down
      {1, 0, -1, -1},  {23, 2, -1, -1},  // 23 units from right the short way round
      {12, 0, -1, 13}, {18, 0, -1, 18}, {24 - 1, 0, -1, 22}, {3, 1, -1, 4}, {9, 1, -1, 8},
      {13, 1, -1, -1}, {6, 2, -1, 5},   {-1, 1, -1, -1},     {-1, 1, 1, 6},  // walking on upward
      {18, 2, 2, 0},                                                         // lost, then walking on to the right
  };
  const int buttons[4] = {game::kButtonDown, game::kButtonUp, game::kButtonRight, game::kButtonLeft};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "heading " << c.heading << ", direction " << c.direction);
    Place(50, 50, 0);
    TheField.Heading = c.heading;
    TheField.LastWalkDirection = c.last;
    Hold({buttons[c.direction]});
    TheField.UpdatePlayer();
    EXPECT_EQ(TheField.Heading, c.want);
  }
}

// Events flagged for the second pass, chip events as well as characters, are drawn after
// every other event; within a pass chip events come first, then the rows top to bottom.
TEST_F(MoveTest, EventsWithTheSecondPassFlagAreDrawnAfterAllOthers) {
  auto& m = TheField.Map;
  PutEvent(m, 1, 50, 49, 5);  // a chip event of the second pass
  m.events[1][0][game::kPageFixed] = 1;
  m.events[1][0][game::kPageSecondPass] = 1;
  PutEvent(m, 2, 50, 51);     // a character
  PutEvent(m, 3, 51, 52, 6);  // a chip event
  m.events[3][0][game::kPageFixed] = 1;
  PutEvent(m, 4, 49, 47);  // a character of the second pass
  m.events[4][0][game::kPageSecondPass] = 1;
  Place(48, 48, 0);
  EXPECT_EQ(TheField.DrawOrder(48, 48), (std::vector<int>{3, 0, 2, 1, 4}));
}

// The menu button's request waits while decide is newly pressed, with or without anyone
// to talk to, and opens the menu on the next frame without it.
TEST_F(MoveTest, TheMenuOpensOnlyInAFrameWithoutADecidePress) {
  Place(50, 50, 0);
  Hold({}, {7});
  TheField.UpdatePlayer();
  EXPECT_EQ(game::GameMode, game::MODE_MENU) << "a plain request opens it at once";

  game::GameMode = game::MODE_FIELD;
  Hold({game::kButtonDecide}, {7, game::kButtonDecide});
  TheField.UpdatePlayer();
  EXPECT_EQ(game::GameMode, game::MODE_FIELD) << "nobody in front, but decide was pressed";
  Hold({game::kButtonDecide});
  TheField.UpdatePlayer();
  EXPECT_EQ(game::GameMode, game::MODE_MENU) << "the kept request";
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
  EXPECT_EQ(data.Scalars[game::kScalarStepValue], 0u);
  EXPECT_EQ(data.Scalars[game::kScalarEncounterSteps], 100u);
  const int frame = TheField.States[0].AnimFrame;
  TheField.TickEventAnimation();
  EXPECT_EQ(TheField.States[0].AnimFrame, frame);
  Step(2);  // onto ordinary ground
  EXPECT_EQ(data.Scalars[game::kScalarStepValue], 1u);
  EXPECT_EQ(data.Scalars[game::kScalarEncounterSteps], 99u);
  EXPECT_EQ(data.Scalars[game::kScalarStepCount], 1u);
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
  EXPECT_EQ(data.Scalars[game::kScalarStepCount], 0u);
  // With a mean of 0 or more the countdown at 0 starts one.
  data.Scalars[game::kScalarEncounterMean] = 3;
  Step(2);
  EXPECT_EQ(game::GameMode, game::MODE_BATTLE);
  EXPECT_EQ(data.Scalars[game::kScalarStepCount], 1u);
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

TEST_F(MoveTest, RunningNeedsTheFlagBitAndCancelHeld) {
  static constexpr struct {
    bool bit2, cancel;
    int frames, period;
  } kCases[] = {{false, false, 8, 6}, {false, true, 8, 6}, {true, false, 8, 6}, {true, true, 4, 3}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "bit 2 " << c.bit2 << ", cancel " << c.cancel);
    Place(50, 50, 0);
    auto& flags = Data().Scalars[game::kScalarFlagWord];
    flags = c.bit2 ? game::kFlagWordSpecialWorn : 0;
    if (c.cancel)
      Hold({game::kButtonRight, game::kButtonCancel});
    else
      Hold({game::kButtonRight});
    TheField.UpdatePlayer();
    EXPECT_EQ(TheField.States[0].Period, c.period);
    TheField.CheckFieldContact();
    EXPECT_EQ(FramesUntilStanding() + 1, c.frames);
    EXPECT_EQ(TheField.PlayerTileX(), 51);
  }
}

// The field ESP is the leader's: member id 0 runs the "+3" part of the block in front,
// 1 jumps, 2 (the shield, which works by itself) does nothing, 3 toggles the continuous ESP.
TEST_F(MoveTest, TheEspButtonUsesTheLeadersPower) {
  TheField.Map.Cell(0, 51, 50) = 2;  // a wall east of the player, free ground beyond
  PutEvent(TheField.Map, 1, 50, 49);
  TheField.Map.events[1][0][game::kPageBlock] = 4;
  std::strcpy(TheField.MapScriptText.get(), "*4\r\n+1\r\n@48,5\r\n+3\r\n@45,44\r\n*");
  const struct {
    int leader, direction;
    bool script, jumped, telepathy;
    std::vector<int> sounds;
  } kCases[] = {{0, 1, true, false, false, {}},
                {1, 2, false, true, false, {20}},
                {2, 2, false, false, false, {}},
                {3, 2, false, false, true, {21}}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "leader " << c.leader);
    Place(50, 50, c.direction);
    game::ResetEventScript();
    datatest::Sounds.clear();
    Data().Scalars[game::kScalarLeader] = uint32_t(c.leader);
    Data().Members[c.leader][game::kMemberPresent] = 1;
    Hold({}, {6});
    TheField.UpdatePlayer();
    EXPECT_EQ(TheEventScript.Running(), c.script);
    EXPECT_EQ(TheField.TeleportState != 0, c.jumped);
    EXPECT_EQ(TheField.Effects[2].Timer != 0, c.telepathy);
    EXPECT_EQ(datatest::Sounds, c.sounds);
  }
  // The "+3" part ends with sound 19 and the mark in front of the player.
  Place(50, 50, 1);
  game::ResetEventScript();
  Data().Scalars[game::kScalarLeader] = 0;
  Hold({}, {6});
  TheField.UpdatePlayer();
  datatest::Sounds.clear();
  for (int frame = 0; frame < 5 && TheEventScript.Running(); ++frame) TheEventScript.RunEventScript();
  EXPECT_EQ(datatest::Sounds, (std::vector<int>{44, 19}));
  EXPECT_EQ(TheField.Effects[1].Timer, 16);
  EXPECT_EQ(TheField.Effects[1].Y, 49);
  // Telepathy pressed again turns the continuous ESP off, silently.
  Data().Scalars[game::kScalarLeader] = 3;
  TheField.Effects[2].Timer = 5;
  datatest::Sounds.clear();
  Hold({}, {6});
  TheField.UpdatePlayer();
  EXPECT_EQ(TheField.Effects[2].Timer, 0);
  EXPECT_TRUE(datatest::Sounds.empty());
}

// Button 9 passes the lead to the next member present, and the player walks on in the new
// leader's picture; with nobody else in the party the picture stays.
TEST_F(MoveTest, TheLeaderButtonGivesThePlayerTheNextLeadersPicture) {
  Place(50, 50, 0);
  game::GameData& data = Data();
  data.Members[2][game::kMemberPresent] = 1;  // id 2, picture 36
  TheField.SetPlayerGraphic(34);
  Hold({}, {9});
  TheField.UpdatePlayer();
  EXPECT_EQ(data.Scalars[game::kScalarLeader], 2u);
  EXPECT_EQ(TheField.PlayerGraphic(), 36);
  for (game::PartyMember& p : data.Members) p[game::kMemberPresent] = 0;
  Hold({}, {9});
  TheField.UpdatePlayer();
  EXPECT_EQ(TheField.PlayerGraphic(), 36);
}

// The jumper faces east from (50, 50); walls are chip 2, a person stands where asked.
TEST_F(MoveTest, AJumpLandsOnTheFirstFreeCellBeyondTheBlockedOnesWithinRange) {
  static constexpr struct {
    const char* ahead;  // cells x = 51.. : '#' wall, 'p' a person, '.' ground
    int level;          // the leader's ESP level: range 2 to 5
    int landing;        // cells jumped, 0 = no jump
  } kCases[] = {
      {"#.", 1, 2}, {"##.", 1, 0},    {"##.", 2, 3},   {".#.", 5, 0},
      {"p.", 1, 2}, {"#####.", 9, 0}, {"####.", 9, 5}, {"#########", 9, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.ahead << " level " << c.level);
    for (int x = 51; x < 70; ++x) TheField.Map.Cell(0, x, 50) = 1;
    for (int e = 1; e < game::kMapEventCount; ++e) TheField.Map.events[e][0][game::kPageX] = game::kEmptyEventX;
    for (int i = 0; c.ahead[i] != 0; ++i) {
      if (c.ahead[i] == '#') TheField.Map.Cell(0, 51 + i, 50) = 2;
      if (c.ahead[i] == 'p') PutEvent(TheField.Map, 1, 51 + i, 50);
    }
    Place(50, 50, 2);
    auto& data = Data();
    data.Scalars[game::kScalarLeader] = 1;
    data.Members[1][game::kMemberPresent] = 1;
    data.Members[1][game::kMemberEspLevel] = c.level;
    data.Scalars[game::kScalarEncounterMean] = 5;
    data.Scalars[game::kScalarEncounterSteps] = 100;
    data.Scalars[game::kScalarStepValue] = data.Scalars[game::kScalarStepCount] = 0;
    datatest::Sounds.clear();
    EXPECT_EQ(TheField.StartJump(), c.landing != 0);
    const int frames = FramesUntilStanding();
    EXPECT_EQ(TheField.PlayerTileX(), 50 + c.landing);
    if (c.landing == 0) {
      EXPECT_TRUE(datatest::Sounds.empty());
      continue;
    }
    EXPECT_EQ(frames, c.landing * 4) << "four frames a cell";
    EXPECT_EQ(datatest::Sounds, std::vector<int>{20});
    EXPECT_EQ(TheField.TeleportState, 0);
    EXPECT_EQ(data.Scalars[game::kScalarStepValue], 1u) << "the landing is a step";
    EXPECT_EQ(data.Scalars[game::kScalarEncounterSteps], 99u);
    EXPECT_EQ(data.Scalars[game::kScalarStepCount], 0u) << "but no walked step";
  }
}

TEST_F(MoveTest, NoJumpOnAMarkedMapOrOffTheMap) {
  Data().Scalars[game::kScalarLeader] = 1;
  TheField.Map.Cell(0, 51, 50) = 2;
  TheField.Map.header[0] = 1;
  Place(50, 50, 2);
  EXPECT_FALSE(TheField.StartJump());
  TheField.Map.header[0] = 0;
  TheField.Map.Cell(0, 254, 50) = 2;
  Place(253, 50, 2);
  TheField.Map.Cell(0, 255, 50) = 2;
  TheField.BuildPassGrid();
  EXPECT_FALSE(TheField.StartJump()) << "walls up to the edge";
}

TEST_F(MoveTest, BubblesRiseFasterEachFrameAndStartAgainAtTheFoot) {
  game::FieldGraphics g;
  g.BubbleY = {32, 25, 18, 11, 0.1};
  g.BubbleSpeed = {-3.04, -4.16, -5.36, -6.64, -1};
  game::StepBubbles(g);
  // speed - 0.025, then y + speed / 8; the last one passes the top: 32 below, speed -3.04.
  EXPECT_DOUBLE_EQ(g.BubbleSpeed[0], -3.065);
  EXPECT_DOUBLE_EQ(g.BubbleY[0], 31.616875);
  EXPECT_DOUBLE_EQ(g.BubbleY[3], 10.166875);
  EXPECT_DOUBLE_EQ(g.BubbleY[4], 31.971875);
  EXPECT_DOUBLE_EQ(g.BubbleSpeed[4], -3.04);
}

TEST_F(MoveTest, MapMarksComeFromTheWholeRingEvenPastItsEnd) {
  auto& data = Data();
  data.Scalars[game::kScalarCurrentMap] = 7;
  data.MapMarks[0] = {game::kMapMarkEnd, 0, 0, 0};
  data.MapMarks[1] = {7, 3, 4, 1};  // older than the end marker: the ring wrapped
  data.MapMarks[2] = {8, 5, 5, 0};  // another map
  data.MapMarks[2047] = {7, 9, 10, 0};
  TheField.LoadMapMarks();
  EXPECT_EQ(TheField.MapMarks[0].X, 3);
  EXPECT_EQ(TheField.MapMarks[0].Y, 4);
  EXPECT_EQ(TheField.MapMarks[0].Kind, 1);
  EXPECT_EQ(TheField.MapMarks[1].X, 9);
  EXPECT_EQ(TheField.MapMarks[2].Kind, -1);
}

}  // namespace

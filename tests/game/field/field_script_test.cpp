#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "game/data/game_flags.h"
#include "game/field/event_script.h"
#include "game/frame/frame_loop.h"
#include "tests/game/field/field_fixture.h"

namespace {

using fieldtest::PutEvent;
using game::TheEventScript;
using game::TheField;

std::vector<std::string> Shown;  // messages, as glyph-code strings

void RecordMessage(std::span<const uint8_t> codes) {
  std::string s;
  for (uint8_t c : codes) {
    if (c == 0) break;
    s += char(c);
  }
  Shown.push_back(s);
}

// A field in memory: open ground of chip 1, walls of chip 2, the script given.
class ScriptTest : public fieldtest::FieldTest {
 protected:
  void SetUp() override {
    FieldTest::SetUp();
    Data();
    game::ResetEventScript();
    game::SetEventScriptHooks({RecordMessage});
    Shown.clear();
    game::GameMode = game::MODE_FIELD;
    TheField.Map = NewMap();
    for (int i = 0; i < game::kMapCells; ++i) TheField.Map.planes[i] = 1;
    TheField.Chips.Records[2].Attributes[game::kChipBlocks] = 1;
  }
  void TearDown() override {
    game::ResetEventScript();
    game::ResetFrameLoop();
    FieldTest::TearDown();
  }
  void Script(std::string_view text) {
    std::string t(text);
    t += "*";
    std::memcpy(TheField.MapScriptText.get(), t.c_str(), t.size() + 1);
  }
  void Place() {
    TheField.EventCount = 0;
    for (int e = 0; e < game::kMapEventCount; ++e)
      if (TheField.Map.events[e][0][game::kPageX] != game::kEmptyEventX) TheField.EventCount = e + 1;
    TheField.UpdateEventPages(1);
    TheField.BuildPassGrid();
  }
  // Runs frames until the script stops (at most n).
  int RunFrames(int n) {
    int frames = 0;
    while (TheEventScript.Running() && frames < n) {
      TheEventScript.RunEventScript();
      ++frames;
    }
    return frames;
  }
};

TEST_F(ScriptTest, FindTextEdges) {
  EXPECT_EQ(game::FindText("ab*12", "*1", 0), 2);
  EXPECT_EQ(game::FindText("ab*12", "*1", -5), 2);
  EXPECT_EQ(game::FindText("ab*12", "*1", 3), -1);
  EXPECT_EQ(game::FindText("ab", "b", 3), -1);
  EXPECT_EQ(game::FindText("", "b", 0), -1);
  EXPECT_EQ(game::FindText("ab", "", 0), -1);
}

TEST_F(ScriptTest, BlockLabelsMatchByTheirHead) {
  // "*1" finds the head of "*12" when block 12 comes first.
  Script("*12\r\ntwelve\r\n*1\r\none\r\n");
  TheEventScript.StartEventScript(1, -1, 0);
  RunFrames(5);
  ASSERT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Shown[0], "twelve");
  Shown.clear();
  Script("*1\r\none\r\n*12\r\ntwelve\r\n");
  TheEventScript.StartEventScript(12, -1, 0);
  RunFrames(5);
  EXPECT_EQ(Shown, std::vector<std::string>{"twelve"});
}

TEST_F(ScriptTest, SubBlocksByTrigger) {
  Script("*0\r\n@0\r\n*3\r\ntouch\r\n+1\r\ntalk\r\n+3\r\nesp\r\n*4\r\n+2\r\nlater\r\n");
  TheEventScript.StartEventScript(3, -1, 0);
  RunFrames(5);
  EXPECT_EQ(Shown, std::vector<std::string>{"touch"});
  Shown.clear();
  TheEventScript.StartEventScript(3, 1, 0);
  RunFrames(5);
  EXPECT_EQ(Shown, std::vector<std::string>{"talk"});
  Shown.clear();
  // "+2" lies in a later block: nothing starts.
  TheEventScript.StartEventScript(3, 2, 0);
  EXPECT_FALSE(TheEventScript.Running());
  // A missing block with a sub-label runs nothing, though "+2" exists further on.
  TheEventScript.StartEventScript(9, 2, 0);
  EXPECT_FALSE(TheEventScript.Running());
  EXPECT_TRUE(Shown.empty());
}

TEST_F(ScriptTest, APlusInsideAMessageCutsTheBlock) {
  Script("*1\r\nab+cd\r\nnext\r\n");
  TheEventScript.StartEventScript(1, -1, 0);
  EXPECT_EQ(TheEventScript.Line(1), "ab");
  EXPECT_EQ(TheEventScript.Line(2), game::kScriptEndLine);
  RunFrames(5);
  EXPECT_EQ(Shown, std::vector<std::string>{"ab"});
}

TEST_F(ScriptTest, OneMessageBlockEndsInTheSameFrame) {
  Script("*1\r\nhello\r\n*2\r\n");
  TheEventScript.StartEventScript(1, -1, 0);
  EXPECT_EQ(RunFrames(10), 1);
  EXPECT_EQ(Shown, std::vector<std::string>{"hello"});
  EXPECT_EQ(TheField.Conversation, 0);
}

TEST_F(ScriptTest, AWaitDelaysTheNextLineByItsFrames) {
  Script("*1\r\n@48,3\r\nlate\r\n");
  TheEventScript.StartEventScript(1, -1, 0);
  int frame = 0;
  while (Shown.empty() && frame < 10) {
    TheEventScript.RunEventScript();
    ++frame;
  }
  // Frame 1 runs the wait; frames 2-4 wait; frame 5 shows. Without the wait: frame 1.
  EXPECT_EQ(frame, 5);
}

TEST_F(ScriptTest, ABlockThatDoesNotStartLeavesTheRunningScriptAsItWas) {
  Script("*1\r\n@48,2\r\n@24,305,1\r\nafter\r\n*3\r\n+1\r\ntalk\r\n");
  TheEventScript.StartEventScript(1, -1, 7);
  TheEventScript.RunEventScript();  // the wait begins
  ASSERT_TRUE(TheEventScript.Running());
  // A missing block, a missing sub-label and one that belongs to a later block.
  TheEventScript.StartEventScript(9, -1, 2);
  TheEventScript.StartEventScript(1, 3, 2);
  TheEventScript.StartEventScript(1, 1, 2);
  EXPECT_EQ(TheEventScript.Line(1), "@48,2");
  RunFrames(10);
  EXPECT_EQ(Shown, std::vector<std::string>{"after"});
  EXPECT_EQ(game::TheGameFlags.TestGameFlag(305), 1);
}

TEST_F(ScriptTest, AFullBufferEndsAfterItsLastLine) {
  std::string text = "*1\r\n";
  for (int i = 0; i < 300; ++i) text += "@24,310,1\r\n";
  Script(text);
  TheEventScript.StartEventScript(1, -1, 0);
  EXPECT_EQ(TheEventScript.LastLine(), 255);
  RunFrames(2);
  EXPECT_FALSE(TheEventScript.Running());
  EXPECT_EQ(game::TheGameFlags.TestGameFlag(310), 1);
}

TEST_F(ScriptTest, TreasureWithAFullBagSetsNoFlag) {
  auto& data = Data();
  SetItem(data, 1, 1, 20, 1);
  for (int i = 0; i < 64; ++i) data.ItemBag[i] = {2, 1};
  PutEvent(TheField.Map, 1, 10, 10);
  Place();
  Script("*1\r\n@82,300,1,0\r\nafter\r\n");
  TheEventScript.StartEventScript(1, -1, 1);
  RunFrames(5);
  EXPECT_EQ(game::TheGameFlags.TestGameFlag(300), 0);
  EXPECT_EQ(Shown.size(), 1u) << "only the full-bag message; the block ended";
  // A free stack within the first 64: the item, its uses, the flag.
  data.ItemBag[40] = {};
  Shown.clear();
  TheEventScript.StartEventScript(1, -1, 1);
  RunFrames(5);
  EXPECT_EQ(game::TheGameFlags.TestGameFlag(300), 1);
  EXPECT_EQ(data.ItemBag[40], (game::ItemStack{1, 1}));
  EXPECT_EQ(Shown.size(), 2u);
}

// What a chest or a tree gives stops at the top of the money and the counts.
TEST_F(ScriptTest, TreasureAndHarvestStopAtTheTopOfTheirWords) {
  auto& data = Data();
  data.Scalars[game::kScalarMoney] = 0xFFFFFF00u;
  data.Materials[2].count = 0xFFFF;
  data.Materials[3].count = 0xFFF0;
  data.Scalars[game::kScalarStepCount] = 20;
  PutEvent(TheField.Map, 1, 10, 10);
  Place();
  Script("*1\r\n@82,300,1000,1\r\n@82,301,2,2\r\n@84,3,3,100,500\r\n");
  TheEventScript.StartEventScript(1, -1, 1);
  RunFrames(10);
  EXPECT_EQ(data.Scalars[game::kScalarMoney], 0xFFFFFFFFu);
  EXPECT_EQ(data.Materials[2].count, 0xFFFF);
  EXPECT_EQ(data.Materials[3].count, 0xFFFF);
  EXPECT_EQ(game::TheGameFlags.TestGameFlag(301), 1) << "the script ran to the harvest";
  EXPECT_EQ(data.HarvestTimes[3], 520u);
}

// The commands a field script runs, one line each followed by the message "n": the state
// before, what must follow, and whether "n" shows in the same frame (next = yes), in the
// frame after (next = no), or never (the command ends the block).
TEST_F(ScriptTest, EachCommandHasItsEffectAndRunsOnAsTheTableSays) {
  enum Next { kSameFrame, kNextFrame, kEnds };
  struct Case {
    const char* line;
    Next next;
    void (*before)(game::GameData&);
    void (*check)(game::GameData&);
  };
  static const auto nothing = [](game::GameData&) {};
  const Case cases[] = {
      {"@0", kNextFrame, nothing, nothing},
      {"m\r\n@19", kSameFrame, nothing,
       [](game::GameData&) {
         EXPECT_EQ(Shown, (std::vector<std::string>{"m", "m", "n"}));
       }},
      {"@40,10,20,30,40", kSameFrame, nothing,
       [](game::GameData&) {
         EXPECT_EQ(TheField.ScriptParams, (std::array<int32_t, 4>{10, 20, 30, 40}));
       }},
      {"@50,1,0", kSameFrame, nothing, nothing},
      {"@51,1", kSameFrame, nothing, nothing},
      {"@65", kNextFrame, [](game::GameData&) { TheField.Conversation = 1; },
       [](game::GameData&) { EXPECT_EQ(TheField.Conversation, 0); }},
      {"@66", kNextFrame, [](game::GameData&) { TheField.Conversation = 0; },
       [](game::GameData&) { EXPECT_EQ(TheField.Conversation, 1); }},
      // Tree 3 last picked at step 10, now step 20: 4 of material 2, again after 500 steps.
      {"@84,3,2,4,500", kNextFrame,
       [](game::GameData& d) {
         d.HarvestTimes[3] = 10;
         d.Scalars[game::kScalarStepCount] = 20;
         d.Materials[2].count = 1;
       },
       [](game::GameData& d) {
         EXPECT_EQ(d.Materials[2].count, 5);
         EXPECT_EQ(d.HarvestTimes[3], 520u);
         EXPECT_EQ(Shown.size(), 1u) << "what was picked";
       }},
      {"@100,5,1", kEnds, [](game::GameData&) { game::TheGameFlags.SetGameFlag(5, 1); }, nothing},
      {"@100,5,0", kSameFrame, [](game::GameData&) { game::TheGameFlags.SetGameFlag(5, 1); }, nothing},
      {"@101,2,0", kEnds, nothing, [](game::GameData&) { EXPECT_EQ(Shown.size(), 1u) << "the card is needed"; }},
      {"@101,2,1", kSameFrame, nothing, nothing},
      {"@102,0,5", kEnds, [](game::GameData& d) { d.Members[0][game::kMemberEspLevel] = 4; },
       [](game::GameData&) {
         EXPECT_EQ(Shown.size(), 1u) << "the level is too low";
         EXPECT_EQ(TheEventScript.EspRefused, 1);
       }},
      {"@102,0,4", kSameFrame, [](game::GameData& d) { d.Members[0][game::kMemberEspLevel] = 4; },
       [](game::GameData&) { EXPECT_EQ(TheEventScript.EspRefused, 0); }},
      {"@120,1,2,3", kNextFrame, nothing, nothing},
      {"@121,1,2,3", kNextFrame, nothing, nothing},
      {"@123,2", kNextFrame, nothing, nothing},
      {"@125,1,2,3,4,5,6,7,8", kSameFrame, nothing,
       [](game::GameData&) {
         EXPECT_EQ(TheEventScript.BattleValues, (std::array<int32_t, game::kBattleValues>{1, 2, 3, 4, 5, 6, 7, 8}));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    game::ResetEventScript();
    game::SetEventScriptHooks({RecordMessage});
    game::TheGameFlags.SetGameFlag(5, 0);
    Data().Scalars[game::kScalarEventBits] = 0;
    Script(std::string("*1\r\n") + c.line + "\r\nn\r\n");
    c.before(Data());
    Shown.clear();
    TheEventScript.StartEventScript(1, -1, 0);
    TheEventScript.RunEventScript();
    const bool n_shown = !Shown.empty() && Shown.back() == "n";
    switch (c.next) {
      case kSameFrame: EXPECT_TRUE(n_shown) << "the next line in the same frame"; break;
      case kNextFrame:
        EXPECT_FALSE(n_shown);
        c.check(Data());
        TheEventScript.RunEventScript();
        EXPECT_FALSE(Shown.empty());
        EXPECT_EQ(Shown.back(), "n") << "the next line in the next frame";
        continue;
      case kEnds:
        EXPECT_FALSE(TheEventScript.Running());
        RunFrames(5);
        EXPECT_FALSE(n_shown || (!Shown.empty() && Shown.back() == "n")) << "the block ended";
        break;
    }
    c.check(Data());
  }
}

// A scripted battle: the battle values of code 125, then code 124 switches to the battle,
// and the script waits while the battle runs.
TEST_F(ScriptTest, AScriptedBattleTakesTheBattleValuesAndHoldsTheScript) {
  Script("*1\r\n@125,1,2,3,4,5,6,7,8\r\n@124,0,5\r\nn\r\n");
  TheEventScript.StartEventScript(1, -1, 0);
  TheEventScript.RunEventScript();
  EXPECT_EQ(game::GameMode, game::MODE_BATTLE);
  EXPECT_TRUE(Shown.empty());
  TheEventScript.RunEventScript();
  EXPECT_TRUE(Shown.empty()) << "nothing runs while the battle does";
  game::GameMode = game::MODE_FIELD;
  TheEventScript.RunEventScript();
  EXPECT_EQ(Shown, std::vector<std::string>{"n"});
}

// A parameter outside its range makes the command do nothing: each line is a block of
// its own, and nothing a player could see changes.
TEST_F(ScriptTest, OutOfRangeParametersAreIgnored) {
  const char* lines[] = {
      "@85,7",      // card 7: there are seven, 0-6
      "@31,1,4,0",  // direction 4
      "@31,1,9,0",
      "@31,1,0,6",         // speed index 6
      "@31,600,0,0",       // no event 600
      "@20,900,1,1,0,0",   // map 900
      "@20,-1,256,3,0,0",  // x 256
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    Script(std::string("*1\r\n") + line + "\r\n");
    TheField.Map.events[1] = {};
    PutEvent(TheField.Map, 1, 10, 12);
    TheField.Map.events[1][0][game::kPageDirection] = 1;
    Place();
    TheField.PlacePlayer(20, 20, 0);
    const auto map = Data().Scalars[game::kScalarCurrentMap];
    Shown.clear();
    TheEventScript.StartEventScript(1, -1, 0);
    RunFrames(10);
    for (int i = 0; i < 8; ++i) TheField.CheckFieldContact();
    EXPECT_FALSE(TheEventScript.Running());
    EXPECT_EQ(Data().Scalars[game::kScalarEventBits], 0u);
    EXPECT_TRUE(Shown.empty());
    EXPECT_EQ(Data().Scalars[game::kScalarCurrentMap], map);
    EXPECT_EQ(TheField.PlayerTileX(), 20);
    EXPECT_EQ(TheField.PlayerTileY(), 20);
    const auto& walker = TheField.States[1];
    EXPECT_EQ(walker.Moving, 0);
    EXPECT_EQ(walker.X, 10);
    EXPECT_EQ(walker.Y, 12);
    EXPECT_EQ(walker.Direction, 1);
  }
  // The same step with parameters in range is taken.
  Script("*1\r\n@31,1,2,0\r\n");
  Place();
  TheEventScript.StartEventScript(1, -1, 0);
  RunFrames(10);
  EXPECT_EQ(TheField.States[1].Direction, 2);
  EXPECT_EQ(TheField.States[1].Moving, 1);
}

// A warp to a map the field cannot enter is refused before its wipe, as the long jump
// refuses one: the buzz, the block ends, and the party stays where it stands on the map in
// place. A map the field can enter, the one in place too, is taken.
TEST_F(ScriptTest, AWarpToAMapTheFieldCannotEnterIsRefused) {
  WriteMap("a.map", NewMap());
  NameMap(1, "a.map");
  game::MapFileImage bad = NewMap();
  bad.Cell(1, 4, 4) = 600;  // past the chip set
  WriteMap("bad.map", bad);
  NameMap(2, "bad.map");
  NameMap(3, "gone.map");
  WriteMap("b.map", NewMap());
  NameMap(4, "b.map");
  ASSERT_TRUE(TheField.EnterMap(1, 20, 20, 0));
  const struct {
    const char* line;
    int map, x, y;
    bool refused;
  } cases[] = {
      {"@20,2,3,3,0,0", 1, 20, 20, true},  // a damaged file
      {"@20,3,3,3,0,0", 1, 20, 20, true},  // no file
      {"@20,5,3,3,0,0", 1, 20, 20, true},  // no name in the list
      {"@20,-1,3,4,0,0", 1, 3, 4, false},  // the map in place
      {"@20,4,5,6,2,0", 4, 5, 6, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Script(std::string("*1\r\n") + c.line + "\r\nafter\r\n");
    Shown.clear();
    datatest::Sounds.clear();
    const uint32_t clock = game::FrameClock;
    TheEventScript.StartEventScript(1, -1, 0);
    RunFrames(10);
    EXPECT_FALSE(TheEventScript.Running());
    EXPECT_TRUE(Shown.empty()) << "the block ends at the warp";
    // The wipe runs frames of its own; a refused warp runs none.
    EXPECT_EQ(game::FrameClock == clock, c.refused) << "a wipe played or not";
    EXPECT_EQ(datatest::Sounds, c.refused ? std::vector<int>{4} : std::vector<int>{});
    EXPECT_EQ(Data().Scalars[game::kScalarCurrentMap], uint32_t(c.map));
    EXPECT_EQ(TheField.LoadedMapName(), c.map == 1 ? "a.map" : "b.map");
    EXPECT_EQ(TheField.PlayerTileX(), c.x);
    EXPECT_EQ(TheField.PlayerTileY(), c.y);
  }
}

// Every negative speed index stands for the actor's own movement type: type 2 steps 2 a frame,
// type 5 (speed 0) is taken as 1.
TEST_F(ScriptTest, ANegativeSpeedIndexStepsAtTheActorsMovementType) {
  struct Case {
    const char* line;
    int move_type, dx;
  } cases[] = {
      {"@31,1,2,-1", 2, 2}, {"@31,1,2,-2", 2, 2}, {"@31,1,2,-9", 2, 2}, {"@31,1,2,-2", 5, 1}, {"@31,1,2,0", 5, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line << " movement type " << c.move_type);
    Script(std::string("*1\r\n") + c.line + "\r\n");
    TheField.Map.events[1] = {};
    PutEvent(TheField.Map, 1, 10, 12);
    TheField.Map.events[1][0][game::kPageMoveType] = uint16_t(c.move_type);
    Place();
    TheEventScript.StartEventScript(1, -1, 0);
    RunFrames(10);
    const auto& walker = TheField.States[1];
    EXPECT_EQ(walker.Moving, 1);
    EXPECT_EQ(walker.Direction, 2);
    EXPECT_EQ(walker.Dx, c.dx);
    EXPECT_EQ(walker.Dy, 0);
  }
}

}  // namespace

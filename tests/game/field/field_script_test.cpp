#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/data/game_flags.h"
#include "game/entry/frame_loop.h"
#include "game/field/event_script.h"
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

// A parameter outside its range makes the command do nothing: each line is a block of
// its own, and nothing a player could see changes.
TEST_F(ScriptTest, OutOfRangeParametersAreIgnored) {
  const char* lines[] = {
      "@85,7",             // card 7: there are seven, 0-6
      "@31,1,4,0",         // direction 4
      "@31,1,9,0",
      "@31,1,0,6",         // speed index 6
      "@31,1,0,-2",
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

}  // namespace

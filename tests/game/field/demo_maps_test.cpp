#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "game/codec/scrambled_copy.h"
#include "game/data/game_flags.h"
#include "tests/game/field/field_fixture.h"
#include "tools/map_source/map_source.h"

namespace {

using fieldtest::FieldTest;
using game::TheField;

class DemoMapsTest : public FieldTest {
 protected:
  void SetUp() override {
    FieldTest::SetUp();
    for (const auto& entry : std::filesystem::directory_iterator(std::string(NL_DEMO_DATA_DIR) + "/map"))
      std::filesystem::copy_file(entry.path(), dir_.File("map/" + entry.path().filename().string()));
    NameMap(33, "town.map");
    NameMap(34, "field.map");
  }
};

TEST_F(DemoMapsTest, PackedMapsMatchTheirSources) {
  for (const char* name : {"town", "field"}) {
    SCOPED_TRACE(name);
    game::MapFileImage source;
    ASSERT_EQ(nltool::ParseMapSource(nltest::ReadFileBytes(std::string(NL_DEMO_SOURCE_DIR) + "/map/" + name + ".txt"),
                                     source),
              "");
    ASSERT_EQ(game::PackFile(std::string("map\\") + name + ".map", "unpacked.bin", game::kPackFileModeUnpack),
              game::kPackFileOk);
    const std::string bytes = nltest::ReadFileBytes(dir_.File("unpacked.bin"));
    ASSERT_EQ(bytes.size(), game::kMapFileBytes);
    game::MapFileImage packed;
    ASSERT_EQ(game::ParseMapFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), packed), "");
    EXPECT_EQ(packed.planes, source.planes);
    EXPECT_EQ(packed.header, source.header);
    EXPECT_EQ(packed.events, source.events);
    EXPECT_EQ(packed.strings, source.strings);
  }
}

// What the game relies on in the demo maps.
TEST_F(DemoMapsTest, TownAndFieldHoldWhatTheGameNeeds) {
  Data();
  TheField.EnterMap(33, 115, 132, 0);
  ASSERT_EQ(TheField.LoadedMapName(), "town.map");
  EXPECT_EQ(TheField.ChipAt(115, 132).Attributes[game::kChipBlocks], 0) << "start cell walkable";
  EXPECT_NE(TheField.Map.events[0][0][game::kPageX], game::kEmptyEventX) << "event 0 is a real event";
  for (int i = 0; i < 256; ++i) {
    for (auto [x, y] : {std::pair{i, 0}, {i, 255}, {0, i}, {255, i}})
      ASSERT_NE(TheField.ChipAt(x, y).Attributes[game::kChipBlocks], 0) << x << "," << y;
  }
  for (int e = 1; e < game::kMapEventCount; ++e)
    for (const auto& page : TheField.Map.events[e])
      for (int t = 0; t < game::kPageTestCount; ++t) {
        const int16_t test = int16_t(page[game::kPageFirstTest + t]);
        if (test != 0) {
          EXPECT_GE(std::abs(test), game::kMapLocalFlagCount) << "event " << e << " tests a map-local flag";
        }
      }
  // The counter between the shopkeeper (106, 125) and the player's spot (108, 125).
  EXPECT_EQ(TheField.ChipAt(107, 125).Attributes[game::kChipGround], game::kGroundCounter);
  const std::string_view script(TheField.MapScriptText.get());
  EXPECT_NE(script.find("@122,"), std::string_view::npos);

  TheField.EnterMap(34, 130, 143, 1);
  EXPECT_EQ(TheField.LoadedMapName(), "field.map");
  EXPECT_EQ(TheField.ChipAt(130, 143).Attributes[game::kChipBlocks], 0);
  EXPECT_EQ(std::string_view(TheField.MapScriptText.get()).substr(0, 12), "*0\r\n@122,20,");
}

// The message box holds 4 lines of 25 glyph places (the window's text width); a line that
// would pass it wraps, and the wrap must fall on a blank or an explicit line break, never
// inside a word. The wrap is walked here as the bitmap font's rules give it: a glyph takes
// a place (voicing marks take none, the opening quote indents the lines after it), a blank
// takes one except at a line's start, a line break forces the wrap, and a comma or full
// stop may hang one place past the width.
constexpr int kBoxGlyphs = 25, kBoxLines = 4;
constexpr uint8_t kBlank = 1, kBreak = 5, kFirstGlyph = 48, kQuote = 66;
bool Hangs(uint8_t c) { return c == 60 || c == 61 || c == 69 || c == 70; }
bool TakesNoPlace(uint8_t c) { return c == 58 || c == 59 || c == 242; }

// Why the codes do not sit well in the box, or "" when they do.
std::string BoxFault(const std::string& codes) {
  int column = 0, lines = 0, indent = 0;
  for (size_t i = 0; i < codes.size(); ++i) {
    const uint8_t c = uint8_t(codes[i]);
    bool forced = false;
    if (c == kBreak) {
      column = kBoxGlyphs + 5, forced = true;
    } else if (c == kBlank) {
      if (column != 0 && !(column == 1 && indent == 1)) ++column;
    } else if (c >= kFirstGlyph && !TakesNoPlace(c)) {
      ++column;
      if (c == kQuote) indent = 1;
    }
    const bool last = i + 1 == codes.size();
    const uint8_t next = last ? 0 : uint8_t(codes[i + 1]);
    if (column <= kBoxGlyphs || (!last && Hangs(next) && column <= kBoxGlyphs + 1)) continue;
    if (!forced && !last && next != kBlank && next != kBreak)
      return "wraps inside a word after " + std::to_string(i + 1) + " codes";
    if (++lines >= kBoxLines && !last) return "longer than the box's " + std::to_string(kBoxLines) + " lines";
    column = indent;
  }
  return "";
}

// Every message of the demo's map scripts, as the game reads them (glyph codes, one line
// each), sits in the message box.
TEST_F(DemoMapsTest, EveryMessageLineFitsTheBoxOrBreaksAtABlank) {
  // The rule itself, on lines worked by hand: 26 places fit (the wrap comes after the 26th),
  // a blank or a break after them is fine, a glyph is not; a full stop may hang.
  const std::string glyphs25(26, char(100)), glyph(1, char(100));
  EXPECT_EQ(BoxFault(glyphs25), "");
  EXPECT_EQ(BoxFault(glyphs25 + char(kBlank) + glyph), "");
  EXPECT_EQ(BoxFault(glyphs25 + char(61)), "");
  EXPECT_NE(BoxFault(glyphs25 + glyph), "");
  EXPECT_NE(BoxFault(glyphs25 + char(58) + glyph), "") << "a voiced kana is one glyph";
  EXPECT_EQ(BoxFault(std::string(20, char(100)) + char(kBreak) + glyph), "");
  EXPECT_NE(BoxFault(glyph + char(kBreak) + glyph + char(kBreak) + glyph + char(kBreak) + glyph + char(kBreak) + glyph),
            "");

  int messages = 0;
  for (const char* name : {"town", "field"}) {
    ASSERT_EQ(game::XorCopyFile(std::string("map\\") + name + ".scr", "plain.scr"), 0) << name;
    const std::string plain = nltest::ReadFileBytes(dir_.File("plain.scr"));
    // The source's message lines, in the same order, to name a fault in readable text.
    std::vector<std::string> sources;
    std::istringstream source(nltest::ReadFileBytes(std::string(NL_DEMO_SOURCE_DIR) + "/map/" + name + "_script.txt"));
    for (std::string line; std::getline(source, line);)
      if (!line.empty() && std::string("#*+@").find(line[0]) == std::string::npos) sources.push_back(line);
    std::istringstream lines(plain);
    size_t n = 0;
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '*' || line[0] == '+' || line[0] == '@') continue;
      const std::string text = n < sources.size() ? sources[n] : "?";
      ++n, ++messages;
      EXPECT_EQ(BoxFault(line), "") << name << " script: " << text;
    }
    EXPECT_EQ(n, sources.size()) << name;
  }
  EXPECT_GT(messages, 10);
}

}  // namespace

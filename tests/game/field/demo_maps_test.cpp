#include <gtest/gtest.h>

#include <filesystem>

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
    ASSERT_EQ(nltool::ParseMapSource(nltest::ReadFileBytes(std::string(NL_DEMO_SOURCE_DIR) + "/map/" + name + ".txt"), source), "");
    ASSERT_EQ(game::PackFile(std::string("map\\") + name + ".map", "unpacked.bin", game::kPackFileModeUnpack), game::kPackFileOk);
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

}  // namespace

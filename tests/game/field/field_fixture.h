// A test folder with maps, chip sets and scripts written the way the tools write them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/codec/lz_codec.h"
#include "game/codec/scrambled_copy.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_map.h"
#include "tests/game/data/data_fixture.h"

namespace fieldtest {

class FieldTest : public datatest::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    game::ResetField();
    game::WireField();  // the game data's view of the field, and the screens the field opens
    std::filesystem::create_directories(dir_.File("map"));
    std::filesystem::create_directories(dir_.File("img"));
  }
  void TearDown() override {
    game::ResetField();
    DataTest::TearDown();
  }

  // A map whose strings name chip set "t.chp" and script "t.scr"; no events but 0.
  static game::MapFileImage NewMap() {
    game::MapFileImage m;
    m.events[0][0][game::kPageX] = 1;
    m.events[0][0][game::kPageY] = 1;
    std::strcpy(m.strings[0].data(), "t.chp");
    std::strcpy(m.strings[1].data(), "test");
    std::strcpy(m.strings[2].data(), "t.scr");
    return m;
  }
  // Packs bytes as map\<name>.
  void WritePackedMap(const std::string& name, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("plain.bin"),
                                       std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    ASSERT_EQ(game::PackFile("plain.bin", "map\\" + name, game::kPackFileModePack), game::kPackFileOk);
  }
  void WriteMap(const std::string& name, const game::MapFileImage& m) {
    WritePackedMap(name, game::SerializeMapFile(m));
  }
  void WriteScript(const std::string& name, std::string_view text) {
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("plain.txt"), text));
    ASSERT_EQ(game::XorCopyFile("plain.txt", "map\\" + name), 0);
  }
  // Names map n in the map list.
  void NameMap(int n, const std::string& name) {
    auto& slot = Data().MapList[n];
    slot.fill(0);
    std::memcpy(slot.data(), name.data(), name.size());
  }
};

// Event e of a map as a character standing at (x, y) on page 0 with graphic g.
inline void PutEvent(game::MapFileImage& m, int e, int x, int y, int g = 1) {
  auto& p0 = m.events[e][0];
  p0[game::kPageX] = uint16_t(x);
  p0[game::kPageY] = uint16_t(y);
  p0[game::kPageGraphic] = uint16_t(g);
  p0[game::kPageAreaHighX] = 255;
  p0[game::kPageAreaHighY] = 255;
}

}  // namespace fieldtest

#include <gtest/gtest.h>

#include "game/data/game_flags.h"
#include "tests/game/field/field_fixture.h"

namespace {

using fieldtest::FieldTest;
using fieldtest::PutEvent;
using game::TheField;
using game::TheGameFlags;

TEST_F(FieldTest, EventCountIsTheLastUsedSlotPlusOne) {
  Data();
  game::MapFileImage only_player = NewMap();
  WriteMap("a.map", only_player);
  game::MapFileImage sparse = NewMap();
  PutEvent(sparse, 3, 10, 11);
  PutEvent(sparse, 7, 20, 21);
  WriteMap("b.map", sparse);
  NameMap(1, "a.map");
  NameMap(2, "b.map");

  TheField.EnterMap(1, 5, 6, 0);
  EXPECT_EQ(TheField.EventCount, 1);
  TheField.EnterMap(2, 5, 6, 0);
  EXPECT_EQ(TheField.EventCount, 8);
  EXPECT_EQ(TheField.Map.Cell(2, 20, 21), 7);  // the event grid holds the index at (x, y)
  EXPECT_EQ(TheField.Map.Cell(2, 10, 11), 3);
  EXPECT_EQ(TheField.States[7].X, 20);
  EXPECT_EQ(TheField.States[7].Y, 21);
  EXPECT_EQ(TheField.PlayerTileX(), 5);
  EXPECT_EQ(TheField.PlayerTileY(), 6);
  EXPECT_EQ(Data().Scalars[game::kScalarCurrentMap], 2u);
}

// Which page an event takes, told apart by its graphic (page p has graphic 10 + p).
TEST_F(FieldTest, PageChoiceFollowsFlagTests) {
  struct Case {
    const char* what;
    std::vector<int> set_flags;
    std::array<std::array<int16_t, 4>, 4> tests;  // first four tests of pages 0..3
    bool page3_empty;
    int expected_graphic;  // -1: keeps the state it had (graphic 99)
  };
  const Case cases[] = {
      {"list 5, -7, 0, 9 stops at the 0", {5}, {{{0}, {5, -7, 0, 9}, {}, {}}}, true, 11},
      {"flag 7 set fails the -7 test", {5, 7}, {{{0}, {5, -7, 0, 9}, {}, {}}}, true, 10},
      {"later pages tried first", {5, 6}, {{{0}, {5}, {6}, {}}}, true, 12},
      {"page 3 all zero is empty", {}, {{{0}, {}, {}, {}}}, true, 10},
      {"page 3 with a graphic and no tests passes", {}, {{{0}, {}, {}, {}}}, false, 13},
      {"page 0 with a failing test: no page, state kept", {}, {{{400}, {401}, {402}, {403}}}, true, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    game::ResetField();
    TheGameFlags.ClearGameFlags();
    game::MapFileImage m = NewMap();
    PutEvent(m, 1, 4, 4);
    for (int p = 0; p < 4; ++p) {
      auto& page = m.events[1][p];
      page[game::kPageGraphic] = uint16_t(p == 0 || p != 3 || !c.page3_empty ? 10 + p : 0);
      if (p == 1 || p == 2) page[game::kPageGraphic] = uint16_t(c.tests[p][0] != 0 ? 10 + p : 0);
      for (int t = 0; t < 4; ++t) page[game::kPageFirstTest + t] = uint16_t(c.tests[p][t]);
    }
    WriteMap("p.map", m);
    NameMap(1, "p.map");
    TheField.EnterMap(1, 0, 0, 0);
    TheField.States[1].Graphic = 99;
    for (int f : c.set_flags) TheGameFlags.SetGameFlag(f, 1);
    TheField.UpdateEventPages(0);
    EXPECT_EQ(TheField.States[1].Graphic, c.expected_graphic < 0 ? 99 : c.expected_graphic);
  }
}

TEST_F(FieldTest, ReenteringTheSameMapKeepsItsFlags) {
  Data();
  WriteMap("a.map", NewMap());
  WriteMap("b.map", NewMap());
  NameMap(1, "a.map");
  NameMap(2, "b.map");
  TheField.EnterMap(1, 2, 2, 0);
  TheGameFlags.SetGameFlag(5, 1);
  TheGameFlags.SetGameFlag(299, 1);
  TheGameFlags.SetGameFlag(300, 1);
  TheField.EnterMap(1, 3, 3, 1);
  EXPECT_EQ(TheGameFlags.TestGameFlag(5), 1);
  EXPECT_EQ(TheGameFlags.TestGameFlag(299), 1);
  EXPECT_EQ(TheField.PlayerTileX(), 3);
  TheField.EnterMap(2, 3, 3, 1);
  EXPECT_EQ(TheGameFlags.TestGameFlag(5), 0);
  EXPECT_EQ(TheGameFlags.TestGameFlag(299), 0);
  EXPECT_EQ(TheGameFlags.TestGameFlag(300), 1);
}

TEST_F(FieldTest, MarkedMapHeaderSetsTheFlagWordBit) {
  game::MapFileImage m = NewMap();
  m.header[0] = 1;
  WriteMap("m.map", m);
  WriteMap("n.map", NewMap());
  NameMap(1, "m.map");
  NameMap(2, "n.map");
  TheField.EnterMap(1, 0, 0, 0);
  EXPECT_NE(Data().Scalars[game::kScalarFlagWord] & game::kFlagWordMarkedMap, 0u);
  TheField.EnterMap(2, 0, 0, 0);
  EXPECT_EQ(Data().Scalars[game::kScalarFlagWord] & game::kFlagWordMarkedMap, 0u);
}

TEST_F(FieldTest, DamagedMapsAreRefusedWhole) {
  struct Case {
    const char* what;
    void (*spoil)(game::MapFileImage&);
  };
  const Case cases[] = {
      {"chip 512 in plane 0", [](game::MapFileImage& m) { m.Cell(0, 3, 3) = 512; }},
      {"chip 512 in plane 1", [](game::MapFileImage& m) { m.Cell(1, 3, 3) = 512; }},
      {"start x 256", [](game::MapFileImage& m) { PutEvent(m, 2, 256, 3); }},
      {"start y 300", [](game::MapFileImage& m) { PutEvent(m, 2, 3, 300); }},
      {"walking area 256",
       [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[2][1][game::kPageAreaHighX] = 256; }},
      {"character graphic 64", [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3, 64); }},
      {"chip-event graphic 512",
       [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3, 512), m.events[2][0][game::kPageFixed] = 1; }},
      {"direction 4", [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[2][3][game::kPageDirection] = 4; }},
      {"period index 6", [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[2][0][game::kPagePeriod] = 6; }},
      {"walk chance 5", [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[2][0][game::kPageWalkChance] = 5; }},
      {"movement type 6", [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[2][0][game::kPageMoveType] = 6; }},
      // A free slot below the last used event still gets a page applied.
      {"free slot 8 below event 9, period index 20",
       [](game::MapFileImage& m) { PutEvent(m, 9, 3, 3), m.events[8][0][game::kPagePeriod] = 20; }},
      {"free slot 1 below event 2, movement type 6",
       [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[1][2][game::kPageMoveType] = 6; }},
      {"free slot 1 below event 2, walk chance 5",
       [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[1][0][game::kPageWalkChance] = 5; }},
      {"free slot 1 below event 2, character graphic 64",
       [](game::MapFileImage& m) { PutEvent(m, 2, 3, 3), m.events[1][3][game::kPageGraphic] = 64; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    game::MapFileImage m = NewMap();
    c.spoil(m);
    game::MapFileImage out;
    EXPECT_FALSE(game::ParseMapFile(game::SerializeMapFile(m), out).empty());
  }
  // A bubble chip event and a free slot with odd values are fine.
  game::MapFileImage ok = NewMap();
  PutEvent(ok, 2, 3, 3, game::kBubbleGraphicHigh);
  ok.events[2][0][game::kPageFixed] = 1;
  ok.events[5][1][game::kPageDirection] = 9;
  game::MapFileImage out;
  EXPECT_EQ(game::ParseMapFile(game::SerializeMapFile(ok), out), "");

  std::vector<uint8_t> short_file = game::SerializeMapFile(ok);
  short_file.pop_back();
  EXPECT_FALSE(game::ParseMapFile(short_file, out).empty());
}

// A map the field cannot read is not entered, and nothing of the map in place is lost:
// its events, its map-local flags, the player's place and the current map number. A save
// made there loads again.
TEST_F(FieldTest, AMapThatCannotBeReadIsNotEnteredAndTheMapInPlaceStays) {
  game::MapFileImage good = NewMap();
  PutEvent(good, 4, 3, 3);
  WriteMap("good.map", good);
  NameMap(1, "good.map");
  game::MapFileImage bad = NewMap();
  PutEvent(bad, 4, 3, 3, 70);  // past the 64 characters
  WriteMap("bad.map", bad);
  NameMap(2, "bad.map");
  NameMap(3, "gone.map");
  WritePackedMap("short.map", std::vector<uint8_t>(100, 1));
  NameMap(4, "short.map");
  ASSERT_TRUE(TheField.EnterMap(1, 5, 6, 1));
  for (int n : {2, 3, 4, 5, 512, -1}) {  // damaged, no file, short, no name, past the list
    SCOPED_TRACE(n);
    TheGameFlags.SetGameFlag(7, 1);
    EXPECT_FALSE(TheField.CanEnterMap(n));
    EXPECT_FALSE(TheField.EnterMap(n, 9, 9, 2));
    EXPECT_EQ(TheField.LoadedMapName(), "good.map");
    EXPECT_EQ(Data().Scalars[game::kScalarCurrentMap], 1u);
    EXPECT_EQ(TheField.PlayerTileX(), 5);
    EXPECT_EQ(TheField.PlayerTileY(), 6);
    EXPECT_EQ(TheField.PlayerDirection(), 1);
    EXPECT_EQ(TheField.States[4].Visible, 1);
    EXPECT_EQ(TheField.States[4].Graphic, 1);
    EXPECT_EQ(TheField.EventCount, 5);
    EXPECT_EQ(TheGameFlags.TestGameFlag(7), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("map/u8wh4kf.map")));
  }
  EXPECT_TRUE(TheField.CanEnterMap(1)) << "the map in place";
  TheField.SetPlayerTile(7, 8);
  Data().RecordLongJumpPoint(game::kSavedPositionPoint);
  EXPECT_EQ(Data().SaveGame(0), 0);
  EXPECT_EQ(Data().LoadGame(0), 0);
  EXPECT_EQ(TheField.PlayerTileX(), 7);
}

TEST_F(FieldTest, AFailedUnpackIsNotRead) {
  Data();
  WritePackedMap("a.map", game::SerializeMapFile(NewMap()));
  std::string packed = nltest::ReadFileBytes(dir_.File("map/a.map"));
  packed.resize(packed.size() / 2);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("map/a.map"), packed));
  NameMap(1, "a.map");
  TheField.EnterMap(1, 0, 0, 0);
  EXPECT_EQ(TheField.MapDisplayName(), "");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("map/u8wh4kf.map")));
}

TEST_F(FieldTest, ChipSetRecordsAreCheckedAndTerminated) {
  game::ChipSetImage s;
  s.ImageName.fill('x');
  s.Records[7].FrameCount = 8;
  s.Records[7].Period = 31;
  s.Records[7].Frames[7] = 1023;
  game::ChipSetImage out;
  EXPECT_EQ(game::ParseChipSet(game::SerializeChipSet(s), out), "");
  EXPECT_EQ(std::strlen(out.ImageName.data()), size_t{127});
  EXPECT_EQ(out.Records[7].Frames[7], 1023);
  struct Case {
    const char* what;
    void (*spoil)(game::ChipRecord&);
  };
  const Case cases[] = {
      {"9 frames", [](game::ChipRecord& r) { r.FrameCount = 9; }},
      {"period 32", [](game::ChipRecord& r) { r.Period = 32; }},
      {"cell 1024", [](game::ChipRecord& r) { r.Frames[3] = 1024; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    game::ChipSetImage bad;
    c.spoil(bad.Records[511]);
    EXPECT_FALSE(game::ParseChipSet(game::SerializeChipSet(bad), out).empty());
  }
  std::vector<uint8_t> short_file = game::SerializeChipSet(s);
  short_file.pop_back();
  EXPECT_FALSE(game::ParseChipSet(short_file, out).empty());
}

TEST_F(FieldTest, MapLoadsItsChipSetAndScript) {
  Data();
  game::ChipSetImage s;
  std::strcpy(s.ImageName.data(), "town.png");
  s.Records[3].Attributes[game::kChipBlocks] = 1;
  const std::vector<uint8_t> chips = game::SerializeChipSet(s);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("map/t.chp"),
                                     std::string_view(reinterpret_cast<const char*>(chips.data()), chips.size())));
  WriteScript("t.scr", "*0\r\n@11\r\n");
  WriteMap("a.map", NewMap());
  NameMap(1, "a.map");
  TheField.EnterMap(1, 0, 0, 0);
  EXPECT_STREQ(TheField.Chips.ImageName.data(), "town.png");
  EXPECT_EQ(TheField.Chips.Records[3].Attributes[game::kChipBlocks], 1);
  EXPECT_STREQ(TheField.MapScriptText.get(), "*0\r\n@11\r\n*");
  EXPECT_EQ(TheField.MapDisplayName(), "test");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("system/ddraw9x.ocx")));

  // A map with a missing script keeps the previous text.
  game::MapFileImage other = NewMap();
  std::strcpy(other.strings[2].data(), "none.scr");
  WriteMap("b.map", other);
  NameMap(2, "b.map");
  TheField.EnterMap(2, 0, 0, 0);
  EXPECT_STREQ(TheField.MapScriptText.get(), "*0\r\n@11\r\n*");

  // An empty script file is a script with no blocks.
  WriteScript("empty.scr", "");
  TheField.LoadMapScript("map\\empty.scr");
  EXPECT_STREQ(TheField.MapScriptText.get(), "*");
}

}  // namespace

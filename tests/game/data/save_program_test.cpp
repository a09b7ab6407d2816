// Saves as a player could put them in the save folder, loaded from the title's CONTINUE by
// the real program in a copy of the demo world: a sound save enters the town; a save whose
// leader graphic, ESP level or map is out of reach is refused with the load pop-up and
// changes nothing, and the program goes on without a sanitizer report; long-jump points
// and script warps that lead nowhere are refused in play, so the next save loads again; a
// new game whose town cannot be read is refused and leaves the title up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "game/codec/lz_codec.h"
#include "game/codec/scrambled_copy.h"
#include "game/entry/field_wiring.h"
#include "game/field/field_map.h"
#include "game/frame/play_timer.h"
#include "tests/game/data/data_fixture.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"

namespace {

using namespace game;
using nltest::CountNear;
using nltest::Rgb;

// Decide shows the title's menu (the hand on CONTINUE when a slot is used), decide opens
// the load list, decide loads the first slot.
constexpr char kContinueInput[] = "60 down X\n61 up X\n80 down X\n81 up X\n100 down X\n101 up X\n";
constexpr Rgb kTownGround{40, 36, 72};

class SaveProgramTest : public datatest::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    ResetGameData();
    ResetField();
    WireField();                // saves are held to the field's own map check
    Data().LoadGameDatabase();  // a new game read from the copy, with its map list
    TheSaveIconPack.LoadSaveIcons();
    datatest::WriteText(dir_.File("continue.input"), kContinueInput);
  }
  // Slot 0 holds a new game standing in the town (map 33) where it wakes, saved by the
  // game after prepare.
  void SaveInTown(void (*prepare)(GameData&) = nullptr) {
    GameData& d = Data();
    d.Scalars[kScalarCurrentMap] = 33;
    TheField.SetPlayerTile(115, 132);
    TheField.SetMapDisplayName("まち");
    if (prepare != nullptr) prepare(d);
    ASSERT_EQ(d.SaveGame(0), 0);
  }
  // The same slot spoiled and written by hand, as a player could put it there: the game
  // writes no slot that its load refuses.
  void SpoilSlot(void (*spoil)(GameData&)) {
    GameData& d = Data();
    spoil(d);
    d.RecordLongJumpPoint(kSavedPositionPoint);
    const std::vector<uint32_t> noise(kNoiseWords, 0);
    const std::vector<uint8_t> layout = BuildSaveLayout(d, noise, 0);
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("plain.bin"), std::string(layout.begin(), layout.end())));
    ASSERT_EQ(PackFile("plain.bin", SaveSlotFile(0), kPackFileModePack), kPackFileOk);
    ASSERT_EQ(TheSaveIconPack.AddSaveIcon(SaveSlotFile(0), 0), 0);
  }
  int Run(const std::string& input = "continue.input", const std::string& frames = "150,300", int exit_after = 300) {
    return run_.Run(dir_.File(input), frames, exit_after);
  }
  // A fresh run's files: no frames, no log.
  void ClearRun() {
    std::filesystem::remove_all(run_.CaptureDir());
    run_.RemoveLog();
  }
  std::string Log() const { return run_.Log(); }
  std::optional<nltest::Png> Frame(int n) const { return run_.Frame(n); }

  // The game works in the test's folder, where this process reads and writes its saves.
  nltest::GameRun run_{dir_.path(), dir_.path()};
};

TEST_F(SaveProgramTest, ASoundSaveContinuesInTheTown) {
  SaveInTown();
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(Log().find("load: slot 0 refused"), std::string::npos);
  const auto town = Frame(300);
  ASSERT_TRUE(town);
  EXPECT_GT(CountNear(*town, kTownGround), 240 * 100) << "the town fills the view";
  // The standing player's cell is the middle of the 320 x 240 screen, x 152-168 and
  // y 112-128: the dress (the sprite's alone) fills the cell's top rows, symmetric about
  // x = 160.
  int left = 320, right = -1, top = 240;
  for (int y = 0; y < town->height; ++y)
    for (int x = 0; x < town->width; ++x) {
      const uint8_t* p = &town->rgb[static_cast<size_t>(y * town->width + x) * 3];
      if (p[0] != 218 || p[1] != 62 || p[2] != 116) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y);
    }
  EXPECT_EQ(left + right + 1, 2 * 160);
  EXPECT_EQ(top, 112);
}

TEST_F(SaveProgramTest, ASaveTheGameCannotUseIsRefusedWithThePopUp) {
  const struct {
    const char* what;
    void (*spoil)(GameData&);
    const char* log;
  } cases[] = {
      {"leader graphic 0x80000000", [](GameData& d) { d.Scalars[kScalarLeaderGraphic] = 0x80000000u; },
       "load: slot 0 refused: a damaged save"},
      {"ESP level 0x7FFFFFFF", [](GameData& d) { d.Members[0][kMemberEspLevel] = 0x7FFFFFFF; },
       "load: slot 0 refused: a damaged save"},
      {"ESP level 100", [](GameData& d) { d.Members[2][kMemberEspLevel] = 100; },
       "load: slot 0 refused: a damaged save"},
      // The demo's map list names no map for areas 0 and 511.
      {"map 0", [](GameData& d) { d.Scalars[kScalarCurrentMap] = 0; }, "load: slot 0 refused: map 0 cannot be entered"},
      {"map 511", [](GameData& d) { d.Scalars[kScalarCurrentMap] = 511; },
       "load: slot 0 refused: map 511 cannot be entered"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ClearRun();
    ResetGameData();
    Data().LoadGameDatabase();
    SaveInTown();
    SpoilSlot(c.spoil);
    const std::string slot = nltest::ReadFileBytes(dir_.File("save/data00.dat.ico"));
    EXPECT_EQ(Run(), 0) << "no sanitizer report, no abnormal exit";
    EXPECT_NE(Log().find(c.log), std::string::npos);
    const auto popup = Frame(150), after = Frame(300);
    if (!popup || !after) {
      ADD_FAILURE() << "the run ended before frame 300";
      continue;
    }
    EXPECT_LT(CountNear(*popup, kTownGround), 320 * 240 / 100) << "not in the town";
    EXPECT_LT(CountNear(*after, kTownGround), 320 * 240 / 100) << "not in the town";
    EXPECT_EQ(nltest::ReadFileBytes(dir_.File("save/data00.dat.ico")), slot) << "the slot is kept";
  }
}

// After CONTINUE: the menu, JUMP, teleport; point 0 (a map with no file) and point 1 (a
// tile off the map) are refused, point 2 takes the party to the field by frame 300; then
// the menu again (its hand still on JUMP), down to セーブ, slot 0, confirmed.
constexpr char kJumpAndSaveInput[] =
    "60 down X\n61 up X\n80 down X\n81 up X\n100 down X\n101 up X\n"
    "200 down pad:0\n201 up pad:0\n210 down Up\n211 up Up\n220 down Up\n221 up Up\n"
    "230 down pad:1\n231 up pad:1\n240 down pad:1\n241 up pad:1\n"
    "250 down pad:1\n251 up pad:1\n260 down Down\n261 up Down\n270 down pad:1\n271 up pad:1\n"
    "280 down Down\n281 up Down\n290 down pad:1\n291 up pad:1\n"
    "400 down pad:0\n401 up pad:0\n410 down Down\n411 up Down\n"
    "420 down pad:1\n421 up pad:1\n430 down pad:1\n431 up pad:1\n440 down pad:1\n441 up pad:1\n";
constexpr Rgb kFieldGrass{36, 72, 48};

// A save may hold long-jump points the field cannot enter: it still loads, the jumps there
// are refused and leave the menu open, and a save made after a jump loads again.
TEST_F(SaveProgramTest, JumpsToPointsTheFieldCannotEnterAreRefusedAndTheNextSaveLoads) {
  datatest::WriteText(dir_.File("system/maplist.txt"),
                      nltest::ReadFileBytes(dir_.File("system/maplist.txt")) + "40 gone.map なし\n");
  ResetGameData();
  Data().LoadGameDatabase();
  SaveInTown([](GameData& d) {
    d.Scalars[kScalarFlagWord] &= ~2u;  // teleporting allowed
    d.Scalars[kScalarMenuValue] = 2;
    d.LongJumpPoints[0] = {40, 130, 140, {}};
    d.LongJumpPoints[1] = {34, 0xFFFF, 0xFFFF, {}};
    d.LongJumpPoints[2] = {34, 130, 140, {}};
  });
  datatest::WriteText(dir_.File("jump.input"), kJumpAndSaveInput);
  ASSERT_EQ(Run("jump.input", "195,285,395", 460), 0);
  EXPECT_EQ(Log().find("load: slot 0 refused"), std::string::npos);
  const auto town = Frame(195), list = Frame(285), field = Frame(395);
  ASSERT_TRUE(town && list && field);
  EXPECT_GT(CountNear(*town, kTownGround), 240 * 100) << "the save loaded in the town";
  // Still the jump list after both refusals: neither the town nor the field.
  EXPECT_LT(CountNear(*list, kTownGround), 320 * 240 / 100);
  EXPECT_LT(CountNear(*list, kFieldGrass), 320 * 240 / 100);
  EXPECT_GT(CountNear(*field, kFieldGrass), 240 * 100) << "point 2 reached the field";

  // The save made on the field loads, in this process and in the program.
  GameData& d = Data();
  d.LoadGameDatabase();  // the map list the load checks against
  ASSERT_EQ(d.LoadGame(0), 0);
  EXPECT_EQ(d.Scalars[kScalarCurrentMap], 34u);
  EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].area, 34u);
  EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].x, 130);
  EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].y, 140);
  EXPECT_EQ(d.LongJumpPoints[1].x, 0xFFFF) << "the save keeps the points as they were";
  ClearRun();
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(Log().find("load: slot 0 refused"), std::string::npos);
  const auto again = Frame(300);
  ASSERT_TRUE(again);
  EXPECT_GT(CountNear(*again, kFieldGrass), 240 * 100) << "the field again";
}

// A new game: the title's menu, NEW_GAME, the prologue skipped (decide with W); the town
// (party at 115,132) from frame 104. Right one, up eleven, left one and up onto the gate
// at (115,120), whose block warps; then the menu, up (round to its last entry, セーブ),
// slot 0, confirmed, and the menu closed.
constexpr char kGateAndSaveInput[] =
    "60 down X\n61 up X\n70 down Up\n71 up Up\n80 down X\n81 up X\n90 down X W\n92 up X W\n"
    "134 down Right\n135 up Right\n"
    "144 down Up\n145 up Up\n154 down Up\n155 up Up\n164 down Up\n165 up Up\n174 down Up\n175 up Up\n"
    "184 down Up\n185 up Up\n194 down Up\n195 up Up\n204 down Up\n205 up Up\n214 down Up\n215 up Up\n"
    "224 down Up\n225 up Up\n234 down Up\n235 up Up\n244 down Up\n245 up Up\n"
    "254 down Left\n255 up Left\n264 down Up\n265 up Up\n"
    "300 down Z\n301 up Z\n310 down Up\n311 up Up\n"
    "320 down X\n321 up X\n330 down X\n331 up X\n340 down X\n341 up X\n350 down C\n351 up C\n"
    "360 down C\n361 up C\n";

// The town's gate made to warp to a map the field cannot enter: a map-list entry whose
// file is damaged, or no entry at all. Stepping on it is refused and leaves the party on
// the gate in the town; the save made there names the town and loads again.
TEST_F(SaveProgramTest, AWarpToAMapTheFieldCannotEnterIsRefusedAndTheSaveMadeThereLoads) {
  // Map 35's file: the field with a chip past its chip set.
  ASSERT_EQ(PackFile("map\\field.map", "field.bin", kPackFileModeUnpack), kPackFileOk);
  std::string field = nltest::ReadFileBytes(dir_.File("field.bin"));
  field[2 * (10 * 256 + 10) + 1] = 2;  // cell (10, 10): chip 512 or more
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("broken.bin"), field));
  ASSERT_EQ(PackFile("broken.bin", "map\\broken.map", kPackFileModePack), kPackFileOk);
  datatest::WriteText(dir_.File("system/maplist.txt"),
                      nltest::ReadFileBytes(dir_.File("system/maplist.txt")) + "35 broken.map こわれ\n");
  ASSERT_EQ(XorCopyFile("map\\town.scr", "town.txt"), 0);
  const std::string town_script = nltest::ReadFileBytes(dir_.File("town.txt"));
  const std::string gate = "@20,34,130,143,1,0";
  ASSERT_NE(town_script.find(gate), std::string::npos);
  datatest::WriteText(dir_.File("gate.input"), kGateAndSaveInput);
  const struct {
    const char* warp;
    const char* log;  // what the field says of the map
  } cases[] = {
      {"@20,35,10,10,0,0", "map broken.map refused: "},
      {"@20,36,10,10,0,0", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.warp);
    std::string script = town_script;
    script.replace(script.find(gate), gate.size(), c.warp);
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("town.txt"), script));
    ASSERT_EQ(XorCopyFile("town.txt", "map\\town.scr"), 0);
    std::filesystem::remove(dir_.File("save/data00.dat.ico"));
    std::filesystem::remove(dir_.File("save/nightloom.sav"));
    ClearRun();
    ASSERT_EQ(Run("gate.input", "285,420", 420), 0);
    const std::string log = Log();
    const std::string map = c.warp + 4;
    EXPECT_NE(log.find("warp: map " + map.substr(0, 2) + " at (10, 10) refused"), std::string::npos) << log;
    if (c.log != nullptr) {
      EXPECT_NE(log.find(c.log), std::string::npos);
    }
    EXPECT_EQ(log.find("save: slot 0 refused"), std::string::npos);
    const auto gate_frame = Frame(285), closed = Frame(420);
    ASSERT_TRUE(gate_frame && closed);
    // Standing on the gate in the north wall, the town fills the lower part of the view.
    EXPECT_GT(CountNear(*gate_frame, kTownGround), 320 * 240 / 8) << "still the town, on its gate";
    EXPECT_GT(CountNear(*closed, kTownGround), 320 * 240 / 8) << "the town after the save";

    // The slot names the town and the gate, and loads, here and in the program.
    ResetGameData();
    GameData& d = Data();
    d.LoadGameDatabase();
    ASSERT_EQ(d.SlotSummaries[0].leader_id, 0);
    EXPECT_STREQ(d.SlotSummaries[0].place.data(), "まち");
    ASSERT_EQ(d.LoadGame(0), 0);
    EXPECT_EQ(d.Scalars[kScalarCurrentMap], 33u);
    EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].area, 33u);
    EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].x, 115);
    EXPECT_EQ(d.LongJumpPoints[kSavedPositionPoint].y, 120);
    ClearRun();
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(Log().find("load: slot 0 refused"), std::string::npos) << Log();
    const auto loaded = Frame(300);
    ASSERT_TRUE(loaded);
    EXPECT_GT(CountNear(*loaded, kTownGround), 320 * 240 / 8) << "the town again";
  }
}

// The title menu's row (0 NEW_GAME, 1 CONTINUE, 2 KEY_CAST) where the hand's white shows
// left of the words, or -1.
int TitleHandRow(const nltest::Png& frame) {
  int found = -1;
  for (int row = 0; row < 3; ++row) {
    int white = 0;
    for (int y = 166 + 16 * row; y < 178 + 16 * row; ++y)
      for (int x = 100; x < 124; ++x) {
        const uint8_t* p = &frame.rgb[static_cast<size_t>(y * frame.width + x) * 3];
        if (p[0] >= 217 && p[1] >= 217 && p[2] >= 217) ++white;
      }
    if (white > 20) found = found < 0 ? row : 3;
  }
  return found;
}

// A new game whose town cannot be read is refused: the title says so in its pop-up, a
// decide closes it and the title's menu is up again, on NEW_GAME; no field is entered, so
// there is nowhere to save a slot that would not load.
TEST_F(SaveProgramTest, ANewGameOnADamagedTownIsRefusedAndTheTitleStays) {
  std::string town = nltest::ReadFileBytes(dir_.File("map/town.map"));
  town.resize(town.size() / 2);  // a packed stream cut short
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("map/town.map"), town));
  datatest::WriteText(dir_.File("new_game.input"),
                      "60 down X\n61 up X\n70 down Up\n71 up Up\n80 down X\n81 up X\n90 down X W\n92 up X W\n"
                      "120 down X\n121 up X\n");
  ASSERT_EQ(Run("new_game.input", "65,110,130,200", 200), 0);
  const std::string log = Log();
  EXPECT_NE(log.find("new game refused: map 33 cannot be entered"), std::string::npos) << log;
  const auto menu = Frame(65), popup = Frame(110), again = Frame(130), later = Frame(200);
  ASSERT_TRUE(menu && popup && again && later);
  EXPECT_EQ(TitleHandRow(*menu), 1) << "CONTINUE, before";
  EXPECT_EQ(TitleHandRow(*popup), -1) << "the pop-up over the prologue";
  EXPECT_EQ(TitleHandRow(*again), 0) << "the menu again, on NEW_GAME";
  EXPECT_EQ(TitleHandRow(*later), 0);
  for (const auto* f : {&*popup, &*again, &*later}) EXPECT_LT(CountNear(*f, kTownGround), 320 * 240 / 100);
}

}  // namespace

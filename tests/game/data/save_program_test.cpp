// Saves as a player could put them in the save folder, loaded from the title's CONTINUE by
// the real program in a copy of the demo world: a sound save enters the town; a save whose
// leader graphic, ESP level or map is out of reach is refused with the load pop-up and
// changes nothing, and the program goes on without a sanitizer report; long-jump points
// that lead nowhere are refused in play, so the next save loads again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "game/data/play_timer.h"
#include "tests/game/data/data_fixture.h"
#include "tests/support/png_file.h"
#include "tests/support/program_run.h"

namespace {

using namespace game;
using nltest::CountNear;
using nltest::Rgb;

// Decide shows the title's menu (the hand on CONTINUE when a slot is used), decide opens
// the load list, decide loads the first slot.
constexpr char kContinueInput[] =
    "60 down X\n61 up X\n80 down X\n81 up X\n100 down X\n101 up X\n";
constexpr Rgb kTownGround{40, 36, 72};

class SaveProgramTest : public datatest::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    std::filesystem::copy(NL_DEMO_DATA_DIR, dir_.path(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    ResetGameData();  // a new game read from the copy
    TheSaveIconPack.LoadSaveIcons();
    datatest::WriteText(dir_.File("continue.input"), kContinueInput);
  }
  // Slot 0 holds a new game standing in the town (map 33) where it wakes, spoiled first.
  void SaveInTown(void (*spoil)(GameData&)) {
    GameData& d = Data();
    d.Scalars[kScalarCurrentMap] = 33;
    TheField.SetPlayerTile(115, 132);
    TheField.SetMapDisplayName("まち");
    spoil(d);
    ASSERT_EQ(d.SaveGame(0), 0);
  }
  int Run() {
    return nltest::RunProgram({nltest::GameProgram(), dir_.path(),
                               {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                {"NIGHTLOOM_CAPTURE", dir_.File("frames")},
                                {"NIGHTLOOM_CAPTURE_FRAMES", "150,300"},
                                {"NIGHTLOOM_EXIT_AFTER", "300"},
                                {"NIGHTLOOM_INPUT", dir_.File("continue.input")}},
                               "/dev/null",
                               ""});
  }
  std::string Log() const { return nltest::ReadFileBytes(dir_.File("AppLog.txt")); }
  std::optional<nltest::Png> Frame(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", n);
    return nltest::ReadPng(dir_.File("frames") + name);
  }
};

TEST_F(SaveProgramTest, ASoundSaveContinuesInTheTown) {
  SaveInTown([](GameData&) {});
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
      {"map 0", [](GameData& d) { d.Scalars[kScalarCurrentMap] = 0; },
       "load: slot 0 refused: map 0 cannot be entered"},
      {"map 511", [](GameData& d) { d.Scalars[kScalarCurrentMap] = 511; },
       "load: slot 0 refused: map 511 cannot be entered"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(dir_.File("frames"));
    std::filesystem::remove(dir_.File("AppLog.txt"));
    ResetGameData();
    SaveInTown(c.spoil);
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
  SaveInTown([](GameData& d) {
    d.Scalars[kScalarFlagWord] &= ~2u;  // teleporting allowed
    d.Scalars[kScalarMenuValue] = 2;
    d.LongJumpPoints[0] = {40, 130, 140, {}};
    d.LongJumpPoints[1] = {34, 0xFFFF, 0xFFFF, {}};
    d.LongJumpPoints[2] = {34, 130, 140, {}};
  });
  datatest::WriteText(dir_.File("jump.input"), kJumpAndSaveInput);
  ASSERT_EQ(nltest::RunProgram({nltest::GameProgram(), dir_.path(),
                                {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                 {"NIGHTLOOM_CAPTURE", dir_.File("frames")},
                                 {"NIGHTLOOM_CAPTURE_FRAMES", "195,285,395"},
                                 {"NIGHTLOOM_EXIT_AFTER", "460"},
                                 {"NIGHTLOOM_INPUT", dir_.File("jump.input")}},
                                "/dev/null",
                                ""}),
            0);
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
  std::filesystem::remove_all(dir_.File("frames"));
  std::filesystem::remove(dir_.File("AppLog.txt"));
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(Log().find("load: slot 0 refused"), std::string::npos);
  const auto again = Frame(300);
  ASSERT_TRUE(again);
  EXPECT_GT(CountNear(*again, kFieldGrass), 240 * 100) << "the field again";
}

}  // namespace

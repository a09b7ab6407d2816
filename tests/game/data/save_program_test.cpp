// Saves as a player could put them in the save folder, loaded from the title's CONTINUE by
// the real program in a copy of the demo world: a sound save enters the town; a save whose
// leader graphic, ESP level or map is out of reach is refused with the load pop-up and
// changes nothing, and the program goes on without a sanitizer report.
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

}  // namespace

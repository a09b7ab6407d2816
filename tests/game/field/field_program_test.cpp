// The field as the player gets it: the real program in a copy of the demo world, under
// the virtual clock and scripted input. walk_town.input: three steps up to the NPC and a
// talk, two messages, the chest opened from its west side, then up along x = 116, west
// and through the gate to the field. garden_esp.input: the town's garden entered with
// the jump ESP, over thorns to the healing spring, and left through the boulder that the
// break ESP shatters. field_encounter.input: up and down the field's path until enemies
// come.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "game/codec/lz_codec.h"
#include "game/field/map_file.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"

namespace {

using nltest::CountNear;
using nltest::Rgb;

class FieldProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
  }
  // A run of an input script of this folder.
  int Run(const std::string& input, const std::string& frames, int exit_after) {
    return run_.Run(std::string(NL_FIELD_TEST_DIR "/") + input, frames, exit_after);
  }
  std::string Log() const { return run_.Log(); }
  // The demo's town map read back, changed, and packed again in its place.
  void SpoilTownMap(void (*spoil)(game::MapFileImage&)) {
    const std::string packed = run_.DataFile("map/town.map"), plain = run_.File("town.bin");
    ASSERT_EQ(game::PackFile(packed, plain, game::kPackFileModeUnpack), game::kPackFileOk);
    const std::string bytes = nltest::ReadFileBytes(plain);
    game::MapFileImage map;
    ASSERT_EQ(game::ParseMapFile(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), map), "");
    spoil(map);
    const std::vector<uint8_t> out = game::SerializeMapFile(map);
    ASSERT_TRUE(nltest::WriteFileBytes(plain, std::string_view(reinterpret_cast<const char*>(out.data()), out.size())));
    ASSERT_EQ(game::PackFile(plain, packed, game::kPackFileModePack), game::kPackFileOk);
  }
  std::optional<nltest::Png> Frame(int n) const { return run_.Frame(n); }

  nltest::GameRun run_;
};

TEST_F(FieldProgramTest, WalkTalkOpenTheChestAndLeaveTheTown) {
  ASSERT_EQ(Run("walk_town.input", "132,144,224,420", 430), 0);
  const std::string log = Log();
  EXPECT_NE(log.find("treasure: flag 300 set, kind 2, 1"), std::string::npos) << "the chest gave material 1";

  constexpr Rgb kTownGround{40, 36, 72}, kFieldGround{36, 72, 48};
  constexpr Rgb kChestLock{248, 216, 96}, kChestOpenInside{40, 24, 16};
  const auto before_talk = Frame(132), talking = Frame(144), chest = Frame(224), field = Frame(420);
  ASSERT_TRUE(before_talk && talking && chest && field);
  EXPECT_GT(CountNear(*before_talk, kTownGround), 240 * 100) << "the town fills the view";
  EXPECT_EQ(CountNear(*before_talk, kChestLock), 6) << "the closed chest's 2 x 3 lock";
  EXPECT_NE(talking->rgb, before_talk->rgb) << "the message window over the field";
  EXPECT_EQ(CountNear(*chest, kChestLock), 0);
  EXPECT_EQ(CountNear(*chest, kChestOpenInside), 12 * 4) << "the open chest's 12 x 4 inside";
  EXPECT_GT(CountNear(*field, kFieldGround), 240 * 100) << "the field after the gate";
}

// A message closed by decide is gone from the very next frame: the field is drawn again
// into the back screen once the window's loop ends.
TEST_F(FieldProgramTest, AClosedMessageLeavesTheFieldOnTheNextFrame) {
  // The townsman's second message takes decide at frame 174.
  ASSERT_EQ(Run("walk_town.input", "174,175", 176), 0);
  constexpr Rgb kMessageBlue{28, 28, 144};
  const auto answered = Frame(174), next = Frame(175);
  ASSERT_TRUE(answered && next);
  EXPECT_GT(CountNear(*answered, kMessageBlue, 12), 240 * 40) << "the message box";
  EXPECT_EQ(CountNear(*next, kMessageBlue, 12), 0) << "the field alone";
}

// The dress's rows and columns on a frame: the player's sprite alone has that colour.
struct Box {
  int left = 320, right = -1, top = 240, bottom = -1;
};
Box DressOf(const nltest::Png& png) {
  Box b;
  for (int y = 0; y < png.height; ++y)
    for (int x = 0; x < png.width; ++x) {
      const uint8_t* p = &png.rgb[size_t(y * png.width + x) * 3];
      if (p[0] != 218 || p[1] != 62 || p[2] != 116) continue;
      b.left = std::min(b.left, x), b.right = std::max(b.right, x);
      b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
    }
  return b;
}

// Walking up the town, the camera runs ahead of the player; with Scroll Lock on (a press
// of the key, which switches the keyboard's lock) it has no lead and keeps the player's
// cell in the middle of the screen: x 152-168, y 112-128, the dress filling the top of
// the cell and symmetric about x = 160.
TEST_F(FieldProgramTest, WithScrollLockOnTheCameraKeepsThePlayerInTheMiddle) {
  // After the three steps up (frames 104-126) toward the townsman.
  ASSERT_EQ(Run("walk_town.input", "132", 133), 0);
  const auto leading = Frame(132);
  ASSERT_TRUE(leading);
  const std::string lock_input = run_.File("scroll_lock.input");
  ASSERT_TRUE(nltest::WriteFileBytes(lock_input, nltest::ReadFileBytes(NL_FIELD_TEST_DIR "/walk_town.input") +
                                                     "100 down ScrollLock\n101 up ScrollLock\n"));
  ASSERT_EQ(run_.Run(lock_input, "132", 133, "locked"), 0);
  const auto locked = run_.Frame(132);
  ASSERT_TRUE(locked);
  const Box dress = DressOf(*locked);
  EXPECT_EQ(dress.left + dress.right + 1, 2 * 160) << "centred across";
  EXPECT_EQ(dress.top, 112) << "the top of the middle cell";
  const Box ahead = DressOf(*leading);
  EXPECT_EQ(ahead.left + ahead.right + 1, 2 * 160);
  EXPECT_GE(ahead.top, 112 + 16) << "the camera a cell or more ahead, upward";
}

// A free event slot below the last used one gets a page applied like a used one: its
// values are checked as strictly, and the map that fails is refused whole.
TEST_F(FieldProgramTest, AFreeEventSlotWithAnOutOfRangePeriodRefusesTheTown) {
  SpoilTownMap([](game::MapFileImage& m) {
    // Slots 0-8 hold the town's events; 9 stays free before a real event in 10.
    ASSERT_EQ(m.events[9][0][game::kPageX], game::kEmptyEventX);
    ASSERT_EQ(m.events[10][0][game::kPageX], game::kEmptyEventX);
    m.events[10][0][game::kPageX] = 101, m.events[10][0][game::kPageY] = 138;
    m.events[10][0][game::kPageGraphic] = 1;
    m.events[10][0][game::kPageAreaHighX] = m.events[10][0][game::kPageAreaHighY] = 255;
    m.events[9][0][game::kPagePeriod] = 20;
  });
  ASSERT_EQ(Run("walk_town.input", "200", 200), 0) << "no sanitizer report, no abnormal exit";
  EXPECT_NE(Log().find("map town.map refused: free event slot 9: animation period index above 5"), std::string::npos);
}

// The HP a heal line of the log gives member m: before and after.
std::optional<std::pair<int, int>> HealOf(const std::string& log, int m) {
  const std::string key = "heal: member " + std::to_string(m) + " HP ";
  const size_t at = log.find(key);
  int before = 0, after = 0;
  if (at == std::string::npos || std::sscanf(log.c_str() + at + key.size(), "%d -> %d", &before, &after) != 2)
    return std::nullopt;
  return std::make_pair(before, after);
}

TEST_F(FieldProgramTest, TheGardenIsEnteredByJumpHealsOverThornsAndOpensByBreak) {
  ASSERT_EQ(Run("garden_esp.input", "178,184,190-220,240,290,306,340", 345), 0);
  const std::string log = Log();
  EXPECT_NE(log.find("jump: landed at (122, 135)"), std::string::npos) << "over the wall onto the thorns";
  // Two thorn bushes of 5 each, then the spring fills both members up again.
  for (int m : {0, 1}) {
    const auto heal = HealOf(log, m);
    ASSERT_TRUE(heal) << "member " << m << " healed";
    EXPECT_EQ(heal->second - heal->first, 10) << "member " << m;
  }
  // Each thorn bush flashes the view dark red on the frames where the 4-frame damage
  // timer is even: the frame its step ends and the next but one.
  constexpr Rgb kDamageRed{128, 0, 0};
  std::vector<int> red;
  for (int n = 190; n <= 220; ++n) {
    const auto f = Frame(n);
    ASSERT_TRUE(f) << n;
    if (CountNear(*f, kDamageRed, 0) == 240 * 240) red.push_back(n);  // all between the borders
  }
  ASSERT_EQ(red.size(), 4u);
  EXPECT_EQ(red[1], red[0] + 2);
  EXPECT_EQ(red[2], red[0] + 8) << "the next bush one step (8 frames) on";
  EXPECT_EQ(red[3], red[2] + 2);
  constexpr Rgb kBoulder{128, 124, 136};
  const auto before = Frame(240), after = Frame(340);
  ASSERT_TRUE(before && after);
  // The boulder's cell: a 10 x 13 and a 12 x 9 box (148 pixels) less its 4 x 2 light
  // and its 7-pixel crack.
  EXPECT_EQ(CountNear(*before, kBoulder), 133) << "the boulder in the garden's wall";
  EXPECT_EQ(CountNear(*after, kBoulder), 0) << "broken";
}

TEST_F(FieldProgramTest, WalkingTheFieldMeetsEnemies) {
  ASSERT_EQ(Run("field_encounter.input", "300,330,700", 720), 0);
  const std::string log = Log();
  EXPECT_NE(log.find("encounter: map 34"), std::string::npos) << "a battle in the field's grass";
  EXPECT_EQ(log.find("encounter: map 33"), std::string::npos) << "none in the town";
  constexpr Rgb kFieldGround{36, 72, 48};
  const auto walking = Frame(330), fighting = Frame(700);
  ASSERT_TRUE(walking && fighting);
  EXPECT_GT(CountNear(*walking, kFieldGround), 240 * 100) << "the field's grass fills the view";
  EXPECT_LT(CountNear(*fighting, kFieldGround), 320 * 240 / 100) << "the battle has replaced the field";
}

}  // namespace

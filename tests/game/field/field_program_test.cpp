// The field as the player gets it: the real program in a copy of the demo world, under
// the virtual clock and scripted input (walk_town.input): three steps up to the NPC and a
// talk, two messages, the chest opened from its west side, then up along x = 116, west
// and through the gate to the field.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/png_file.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

std::string ProgramPath() {
  char self[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string dir = n > 0 ? std::string(self, size_t(n)) : std::string();
  return dir.substr(0, dir.rfind('/')) + "/../../../game/entry/nightloom";
}

struct Rgb {
  int r, g, b;
};

// Pixels within 8 of a colour in every channel (the screen holds 16-bit colour).
int CountNear(const nltest::Png& png, Rgb c) {
  int n = 0;
  for (size_t i = 0; i + 2 < png.rgb.size(); i += 3)
    if (std::abs(png.rgb[i] - c.r) <= 8 && std::abs(png.rgb[i + 1] - c.g) <= 8 && std::abs(png.rgb[i + 2] - c.b) <= 8)
      ++n;
  return n;
}

class FieldProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(ProgramPath().c_str(), X_OK), 0) << ProgramPath() << " is not built";
    std::filesystem::copy(NL_DEMO_DATA_DIR, data_, std::filesystem::copy_options::recursive);
  }
  int Run() {
    return nltest::RunProgram({ProgramPath(), data_,
                               {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                {"NIGHTLOOM_CAPTURE", dir_.File("frames")},
                                {"NIGHTLOOM_CAPTURE_FRAMES", "132,144,224,420"},
                                {"NIGHTLOOM_EXIT_AFTER", "430"},
                                {"NIGHTLOOM_INPUT", NL_FIELD_TEST_DIR "/walk_town.input"}},
                               "/dev/null"});
  }
  std::optional<nltest::Png> Frame(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", n);
    return nltest::ReadPng(dir_.File("frames") + name);
  }

  nltest::TempDir dir_;
  const std::string data_ = dir_.File("data");
};

TEST_F(FieldProgramTest, WalkTalkOpenTheChestAndLeaveTheTown) {
  ASSERT_EQ(Run(), 0);
  const std::string log = nltest::ReadFileBytes(data_ + "/AppLog.txt");
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

}  // namespace

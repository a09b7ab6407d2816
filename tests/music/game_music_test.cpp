// The real game program, headless on the demo world: its music starts with the sound
// device (waveforms, song defaults, the music list) without an error, and two runs
// capture the same samples.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

class GameMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    std::filesystem::copy(NL_DATA_DIR, dir_.File("data"), std::filesystem::copy_options::recursive);
  }
  // Runs the game in the copied data folder for `frames` frames; its exit status.
  int Run(int frames, const std::string& audio) {
    return nltest::RunProgram({nltest::GameProgram(), dir_.File("data"),
                               {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                {"NIGHTLOOM_EXIT_AFTER", std::to_string(frames)},
                                {"NIGHTLOOM_AUDIO_OUT", dir_.File(audio)}},
                               "",
                               dir_.File("stderr-") + audio + ".txt"});
  }
  nltest::TempDir dir_;
};

TEST_F(GameMusicTest, MusicStartsWithoutErrorsAndRunsRepeat) {
  ASSERT_EQ(Run(40, "a.wav"), 0);
  ASSERT_EQ(Run(40, "b.wav"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("data/ORG_ERROR.TXT")));
  const std::string log = nltest::ReadFileBytes(dir_.File("stderr-a.wav.txt"));
  EXPECT_EQ(log.find("Error (Load)"), std::string::npos) << log;
  const std::string a = nltest::ReadFileBytes(dir_.File("a.wav"));
  EXPECT_GT(a.size(), 44u);
  EXPECT_EQ(a, nltest::ReadFileBytes(dir_.File("b.wav")));
}

}  // namespace

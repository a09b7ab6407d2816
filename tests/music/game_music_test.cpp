// The real game program, headless on the demo world: its music starts with the sound
// device (waveforms, song defaults, the music list) without an error, the title song's
// melody sounds at its written pitches and pace, and two runs capture the same samples.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace {

class GameMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    // No sound effects: the captured sound is the music's alone.
    std::filesystem::remove(dir_.File("data/wav/sound.csv"));
  }
  // Runs the game in the copied data folder for `frames` frames; its exit status.
  int Run(int frames, const std::string& audio) {
    run_.ExitAfter(frames);
    run_.AudioOut(audio);
    run_.Output("", dir_.File("stderr-") + audio + ".txt");
    return run_.Run();
  }
  nltest::TempDir dir_;
  nltest::GameRun run_{dir_.File("data"), dir_.path()};
};

using Mono = nltest::MonoWav;

// The Goertzel power at `hz` of samples [from, to), over their count.
double PowerAt(const Mono& wav, size_t from, size_t to, double hz) {
  const double w = 2 * std::numbers::pi * hz / wav.rate, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (size_t i = from; i < to; ++i) {
    const double s0 = wav.samples[i] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - c * s1 * s2) / double(to - from);
}

// The title song's melody as demo/Org/title.score writes it: 140 ms ticks, A3 and C4 for
// four ticks each, then E4 for eight (the writer's A3 is key 45, 440 Hz). The other
// tracks (bass, arpeggio, drums) sound under it, so the test asks which of the melody's
// pitches is loudest in each note, not what share of the sound it has.
struct Pitch {
  const char* name;
  double hz;
};
constexpr Pitch kMelodyPitches[] = {{"G3", 392.00}, {"A3", 440.00}, {"B3", 493.88},
                                    {"C4", 523.25}, {"D4", 587.33}, {"E4", 659.26}};
struct WrittenNote {
  const char* name;
  int from_tick, ticks;
};
constexpr WrittenNote kTitleOpening[] = {{"A3", 0, 4}, {"C4", 4, 4}, {"E4", 8, 8}};
constexpr int kTitleTickMs = 140;

TEST_F(GameMusicTest, MusicStartsWithoutErrorsAndRunsRepeat) {
  constexpr int kFrames = 120;  // 4.2 s: the boot log, then the title and its song
  ASSERT_EQ(Run(kFrames, "a.wav"), 0);
  ASSERT_EQ(Run(kFrames, "b.wav"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("data/ORG_ERROR.TXT")));
  const std::string log = nltest::ReadFileBytes(dir_.File("stderr-a.wav.txt"));
  EXPECT_EQ(log.find("Error (Load)"), std::string::npos) << log;
  const std::string a = nltest::ReadFileBytes(dir_.File("a.wav"));
  EXPECT_EQ(a, nltest::ReadFileBytes(dir_.File("b.wav")));

  const auto wav = nltest::ReadMonoWav(a);
  ASSERT_TRUE(wav);
  // Nothing sounds before the title song: its first tick is the first sample heard.
  size_t onset = 0;
  while (onset < wav->samples.size() && std::fabs(wav->samples[onset]) < 1) ++onset;
  ASSERT_LT(onset, wav->samples.size()) << "no music";
  const size_t ms = wav->rate / 1000;
  for (const WrittenNote& note : kTitleOpening) {
    SCOPED_TRACE(note.name);
    // The note's time, 40 ms off each end.
    const size_t from = onset + size_t(note.from_tick * kTitleTickMs + 40) * ms;
    const size_t to = onset + size_t((note.from_tick + note.ticks) * kTitleTickMs - 40) * ms;
    ASSERT_LE(to, wav->samples.size()) << "the capture ends early";
    double written = 0, loudest_other = 0;
    const char* other = "";
    for (const Pitch& p : kMelodyPitches) {
      const double power = PowerAt(*wav, from, to, p.hz);
      if (std::string(p.name) == note.name) {
        written = power;
      } else if (power > loudest_other) {
        loudest_other = power, other = p.name;
      }
    }
    const double margin_db = 10 * std::log10(written / loudest_other);
    std::printf("%s: %.1f dB over %s\n", note.name, margin_db, other);
    EXPECT_GT(margin_db, 20.0) << "the loudest other pitch is " << other;
  }
}

}  // namespace

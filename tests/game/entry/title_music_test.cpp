// The real game program, headless on the demo world with its audio captured: the title
// plays list entry 14. That entry's song is replaced by one of a known beat (a square-wave
// note two ticks long every eight ticks of 50 ms), so the capture must not be silent and
// its notes must start every 400 ms; two runs write the same samples.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/music/song_builder.h"
#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"

namespace {

constexpr int kTickMs = 50;
constexpr int kBeatTicks = 8;
constexpr int kBeatMs = kTickMs * kBeatTicks;

std::string BeatSong() {
  musictest::SongSpec spec;
  spec.tick_period = kTickMs;
  spec.repeat_start = 0;
  spec.repeat_end = kBeatTicks * 8;
  spec.tracks[0].wave = 3;  // square
  for (int beat = 0; beat < 8; ++beat) spec.tracks[0].notes.push_back({beat * kBeatTicks, 45, 2, 200, 6});
  return musictest::SongBytes(spec);
}

class TitleMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(run_.CopyDemoWorld());
    ASSERT_TRUE(nltest::WriteFileBytes(run_.DataFile("Org/title.org"), BeatSong()));
  }
  // Runs the game on the title for `frames` frames under the virtual clock; its exit status.
  int Run(int frames, const std::string& audio) {
    run_.ExitAfter(frames);
    run_.AudioOut(audio);
    return run_.Run();
  }
  nltest::GameRun run_;
};

TEST_F(TitleMusicTest, TheTitlePlaysItsSongAtItsTempoTheSameEachRun) {
  ASSERT_EQ(Run(240, "a.wav"), 0);
  ASSERT_EQ(Run(240, "b.wav"), 0);
  const std::string a = nltest::ReadFileBytes(run_.File("a.wav"));
  EXPECT_EQ(a, nltest::ReadFileBytes(run_.File("b.wav"))) << "two runs, the same samples";
  const std::optional<nltest::Pcm16Wav> read = nltest::ReadPcm16Wav(a);
  ASSERT_TRUE(read);
  const nltest::Pcm16Wav& wav = *read;
  ASSERT_GT(wav.rate, 0u);

  // Energy in 10 ms windows of the left and right channels together.
  const size_t window = wav.rate / 100 * static_cast<size_t>(wav.channels);
  std::vector<double> energy;
  for (size_t at = 0; at + window <= wav.samples.size(); at += window) {
    double sum = 0;
    for (size_t i = at; i < at + window; ++i) sum += static_cast<double>(wav.samples[i]) * wav.samples[i];
    energy.push_back(sum / static_cast<double>(window));
  }
  const double loudest = energy.empty() ? 0 : *std::max_element(energy.begin(), energy.end());
  ASSERT_GT(std::sqrt(loudest), 1000.0) << "the capture is silent";

  // A note starts where the energy rises through a quarter of the loudest window's.
  std::vector<size_t> onsets;
  for (size_t w = 1; w < energy.size(); ++w) {
    if (energy[w] >= loudest / 4 && energy[w - 1] < loudest / 4) onsets.push_back(w);
  }
  ASSERT_GE(onsets.size(), 4u) << "a note every " << kBeatMs << " ms over more than two seconds";
  for (size_t i = 1; i < onsets.size(); ++i) {
    const int gap_ms = static_cast<int>(onsets[i] - onsets[i - 1]) * 10;
    EXPECT_NEAR(gap_ms, kBeatMs, 10) << "between notes " << i - 1 << " and " << i;
  }
  // Between the notes (two ticks on, six off) the sound dies away.
  const size_t quiet = onsets[0] + (kTickMs * 4) / 10;
  EXPECT_LT(energy[quiet], loudest / 100);
}

}  // namespace

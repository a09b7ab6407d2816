// The real game program, headless on the demo world with its audio captured: the title
// plays list entry 14. That entry's song is replaced by one of a known beat (a square-wave
// note two ticks long every eight ticks of 50 ms), so the capture must not be silent and
// its notes must start every 400 ms; two runs write the same samples.
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/music/song_builder.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

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

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(s[at + i])) << (8 * i);
  return v;
}

// A 16-bit PCM WAV: its rate, channels and samples (channels interleaved).
struct Wav {
  uint32_t rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;
};

bool ParseWav(const std::string& s, Wav* out) {
  if (s.size() < 12 || s.compare(0, 4, "RIFF") != 0 || s.compare(8, 4, "WAVE") != 0) return false;
  bool format = false;
  for (size_t at = 12; at + 8 <= s.size();) {
    const std::string id = s.substr(at, 4);
    const size_t size = Le(s, at + 4, 4);
    const size_t body = at + 8;
    if (body + size > s.size()) return false;
    if (id == "fmt ") {
      if (size < 16 || Le(s, body, 2) != 1 || Le(s, body + 14, 2) != 16) return false;
      out->channels = static_cast<int>(Le(s, body + 2, 2));
      out->rate = Le(s, body + 4, 4);
      format = true;
    } else if (id == "data") {
      if (!format || out->channels <= 0) return false;
      for (size_t i = 0; i + 1 < size; i += 2) out->samples.push_back(static_cast<int16_t>(Le(s, body + i, 2)));
      return true;
    }
    at = body + size + (size & 1);
  }
  return false;
}

class TitleMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    std::filesystem::copy(NL_DATA_DIR, dir_.File("data"), std::filesystem::copy_options::recursive);
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("data/Org/title.org"), BeatSong()));
  }
  // Runs the game on the title for `frames` frames under the virtual clock; its exit status.
  int Run(int frames, const std::string& audio) {
    return nltest::RunProgram({nltest::GameProgram(), dir_.File("data"),
                               {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                {"NIGHTLOOM_EXIT_AFTER", std::to_string(frames)},
                                {"NIGHTLOOM_AUDIO_OUT", dir_.File(audio)}}});
  }
  nltest::TempDir dir_;
};

TEST_F(TitleMusicTest, TheTitlePlaysItsSongAtItsTempoTheSameEachRun) {
  ASSERT_EQ(Run(240, "a.wav"), 0);
  ASSERT_EQ(Run(240, "b.wav"), 0);
  const std::string a = nltest::ReadFileBytes(dir_.File("a.wav"));
  EXPECT_EQ(a, nltest::ReadFileBytes(dir_.File("b.wav"))) << "two runs, the same samples";
  Wav wav;
  ASSERT_TRUE(ParseWav(a, &wav));
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

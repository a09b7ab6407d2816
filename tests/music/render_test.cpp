// Songs rendered offline by the real synthesiser on the mixer under the virtual clock,
// measured: pitch, drum onsets at the frames the tick period gives, volume and pan
// levels, and repeatability.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/sound/sound.h"
#include "tests/music/song_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using musictest::SongBytes;
using musictest::SongSpec;
namespace ps = plat::sound;
constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 44100;

struct Stereo {
  std::vector<int16_t> left, right;
};

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.File("Org/Org"));
    std::string waves(25600, '\0');
    for (int i = 0; i < 256; ++i) waves[i] = static_cast<char>(std::lround(120 * std::sin(2 * kPi * i / 256)));
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("Org/Wave100.dat"), waves));
    // A drum of 200 samples at 8000, then nothing: its onset is its first non-zero frame.
    std::vector<uint8_t> samples;
    for (int i = 0; i < 200; ++i) samples.insert(samples.end(), {0x40, 0x1F});
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("Org/Org/Bass01.wav"), Drum(samples)));
  }
  static std::string Drum(const std::vector<uint8_t>& samples) {
    auto u32 = [](uint32_t v) {
      std::string s(4, '\0');
      for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
      return s;
    };
    const auto fmt = ps::WriteWaveFormat(ps::PcmFormat(22050, 1, 16));
    return "RIFF" + u32(50 + samples.size()) + "WAVE" + "fmt " + u32(18) + std::string(fmt.begin(), fmt.end()) +
           "fact" + u32(4) + u32(samples.size() / 2) + "data" + u32(samples.size()) +
           std::string(samples.begin(), samples.end());
  }
  // Renders the song for `ms` and reads the 44-byte-header WAV back.
  Stereo Render(const SongSpec& spec, int ms, const std::string& out = "out.wav") {
    EXPECT_TRUE(nltest::WriteFileBytes(dir_.File("Org/song.org"), SongBytes(spec)));
    const std::string command =
        "cd " + dir_.path() + " && " + NL_ORG_RENDER_PATH + " --ms " + std::to_string(ms) + " Org/song.org " + out;
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string wav = nltest::ReadFileBytes(dir_.File(out));
    Stereo s;
    EXPECT_GT(wav.size(), 44u);
    for (size_t at = 44; at + 4 <= wav.size(); at += 4) {
      s.left.push_back(static_cast<int16_t>(static_cast<uint8_t>(wav[at]) | (static_cast<uint8_t>(wav[at + 1]) << 8)));
      s.right.push_back(
          static_cast<int16_t>(static_cast<uint8_t>(wav[at + 2]) | (static_cast<uint8_t>(wav[at + 3]) << 8)));
    }
    EXPECT_EQ(s.left.size(), static_cast<size_t>(ms) * kRate / 1000);
    return s;
  }
  static SongSpec Sine(uint8_t volume, uint8_t pan) {
    SongSpec spec;
    spec.tick_period = 100;
    spec.repeat_end = 1000;
    spec.tracks[0].notes = {{0, 45, 255, volume, pan}, {999, 255, 0, 255, 255}};
    return spec;
  }
  static double Rms(const std::vector<int16_t>& v, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(v[i]) * v[i];
    return std::sqrt(sum / static_cast<double>(to - from));
  }
  nltest::TempDir dir_;
};

TEST_F(RenderTest, Key45IsA440) {
  const Stereo s = Render(Sine(254, 6), 1200);
  // Upward zero crossings between 0.2 s and 1.2 s, placed by linear interpolation.
  std::vector<double> crossings;
  for (size_t i = kRate / 5; i + 1 < s.left.size(); ++i) {
    if (s.left[i] < 0 && s.left[i + 1] >= 0) {
      crossings.push_back(i + static_cast<double>(-s.left[i]) / (s.left[i + 1] - s.left[i]));
    }
  }
  ASSERT_GT(crossings.size(), 400u);
  const double hz = (crossings.size() - 1) * kRate / (crossings.back() - crossings.front());
  EXPECT_NEAR(hz, 440.0, 440.0 * 0.005);
}

TEST_F(RenderTest, DrumOnsetsFallOnTheTickFrames) {
  SongSpec spec;
  spec.tick_period = 30;
  spec.repeat_end = 1000;
  for (int p = 0; p < 32; p += 4) spec.tracks[8].notes.push_back({p, 55, 0, 254, 6});  // 44,100 Hz
  spec.tracks[8].notes.push_back({999, 255, 0, 255, 255});
  const Stereo s = Render(spec, 1100);
  std::vector<size_t> onsets;
  for (size_t i = 0; i < s.left.size(); ++i) {
    if (s.left[i] != 0 && (i == 0 || s.left[i - 1] == 0)) onsets.push_back(i);
  }
  // Tick p runs at (p + 1) x 30 ms: frame (p + 1) x 30 x 44.1 = (p + 1) x 1323.
  std::vector<size_t> expected;
  for (int p = 0; p < 32; p += 4) expected.push_back(static_cast<size_t>(p + 1) * 1323);
  EXPECT_EQ(onsets, expected);
}

TEST_F(RenderTest, VolumeAndPanLevels) {
  const Stereo loud = Render(Sine(254, 6), 600, "loud.wav");
  const Stereo quiet = Render(Sine(0, 6), 600, "quiet.wav");
  const size_t from = kRate / 5, to = loud.left.size();
  // -8 against -2040 hundredths of a dB.
  EXPECT_NEAR(20 * std::log10(Rms(loud.left, from, to) / Rms(quiet.left, from, to)), 20.32, 0.05);
  const Stereo left = Render(Sine(254, 0), 600, "left.wav");
  EXPECT_NEAR(20 * std::log10(Rms(left.left, from, to) / Rms(left.right, from, to)), 25.6, 0.05);
  EXPECT_NEAR(Rms(left.left, from, to), Rms(loud.left, from, to), 1.0);
}

TEST_F(RenderTest, TwoRendersAreSampleIdentical) {
  SongSpec spec = Sine(200, 4);
  spec.tracks[1] = {1050, 0, 1, {{3, 50, 2, 180, 9}, {7, 52, 0, 255, 255}, {999, 255, 0, 255, 255}}};
  spec.tracks[8].notes = {{0, 30, 0, 200, 2}, {5, 40, 0, 255, 255}};
  Render(spec, 900, "a.wav");
  Render(spec, 900, "b.wav");
  const std::string a = nltest::ReadFileBytes(dir_.File("a.wav"));
  EXPECT_GT(a.size(), 44u);
  EXPECT_EQ(a, nltest::ReadFileBytes(dir_.File("b.wav")));
}

}  // namespace

// The mixer's samples: hand-worked values, an independent slow reference for awkward
// rates and gains, and a measured level and pitch.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "platform/sound/sound.h"

namespace {

using namespace plat::sound;

constexpr uint32_t kOutRate = 44100;
constexpr uint32_t kAllControls = kBufferCtrlFrequency | kBufferCtrlPan | kBufferCtrlVolume;

std::vector<uint8_t> Pcm16(std::initializer_list<int> samples) {
  std::vector<uint8_t> bytes;
  for (int s : samples) {
    bytes.push_back(static_cast<uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
  }
  return bytes;
}

class SoundMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetBackendForTests(Backend::kManual);
    ASSERT_EQ(CreateDevice(&device_), Result::kOk);
    BufferDesc desc;
    desc.flags = kBufferPrimary;
    ASSERT_EQ(CreateBuffer(device_, desc, &primary_), Result::kOk);
    SetOutput(PcmFormat(kOutRate, 2, 16));
  }
  void TearDown() override { ResetSoundForTests(); }

  void SetOutput(const WaveFormat& f) { ASSERT_EQ(SetBufferFormat(primary_, f), Result::kOk); }

  Buffer* Load(const WaveFormat& format, const std::vector<uint8_t>& data) {
    BufferDesc desc{kAllControls, static_cast<uint32_t>(data.size()), format};
    Buffer* b = nullptr;
    EXPECT_EQ(CreateBuffer(device_, desc, &b), Result::kOk);
    LockedRegions r;
    EXPECT_EQ(LockBuffer(b, 0, 0, &r, kLockEntireBuffer), Result::kOk);
    std::memcpy(r.first.data(), data.data(), data.size());
    EXPECT_EQ(UnlockBuffer(b, r), Result::kOk);
    return b;
  }

  // `frames` frames of 16-bit stereo output, interleaved left, right.
  std::vector<int16_t> Render(uint32_t frames) {
    std::vector<uint8_t> out(static_cast<size_t>(frames) * 4);
    EXPECT_EQ(MixFrames(out), Result::kOk);
    std::vector<int16_t> s(static_cast<size_t>(frames) * 2);
    std::memcpy(s.data(), out.data(), out.size());
    return s;
  }

  Device* device_ = nullptr;
  Buffer* primary_ = nullptr;
};

TEST_F(SoundMixerTest, HandWorkedSamples) {
  struct Row {
    const char* what;
    WaveFormat format;
    std::vector<uint8_t> data;
    uint32_t hz;
    bool loop;
    int32_t volume, pan;
    std::vector<int> left, right;  // right empty: as left
  } rows[] = {
      {"16-bit mono at half rate: midpoints, wrap to the first frame",
       PcmFormat(22050, 1, 16),
       Pcm16({0, 1000, -2000, 3000}),
       22050,
       true,
       0,
       0,
       {0, 500, 1000, -500, -2000, 500, 3000, 1500, 0, 500},
       {}},
      {"8-bit mono once: centred on 128, silent after the end",
       PcmFormat(22050, 1, 8),
       {128, 192, 64},
       kOutRate,
       false,
       0,
       0,
       {0, 16384, -16384, 0, 0},
       {}},
      {"16-bit stereo at a quarter rate",
       PcmFormat(11025, 2, 16),
       Pcm16({100, -100, 300, 500}),
       11025,
       true,
       0,
       0,
       {100, 150, 200, 250, 300, 250, 200, 150, 100},
       {-100, 50, 200, 350, 500, 350, 200, 50, -100}},
      {"8-bit stereo channels kept apart",
       PcmFormat(kOutRate, 2, 8),
       {0, 255, 255, 0},
       kOutRate,
       true,
       0,
       0,
       {-32768, 32512, -32768},
       {32512, -32768, 32512}},
      {"-6 dB: Q16 gain 32846, products rounded toward zero",
       PcmFormat(kOutRate, 1, 16),
       Pcm16({10000, -10000}),
       kOutRate,
       true,
       -600,
       0,
       {5011, -5011, 5011},
       {}},
      {"pan right 10 dB: left gain 20724",
       PcmFormat(kOutRate, 1, 16),
       Pcm16({10000}),
       kOutRate,
       true,
       0,
       1000,
       {3162, 3162},
       {10000, 10000}},
      {"pan left 10 dB", PcmFormat(kOutRate, 1, 16), Pcm16({10000}), kOutRate, true, 0, -1000, {10000}, {3162}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Buffer* b = Load(row.format, row.data);
    ASSERT_EQ(SetBufferFrequency(b, row.hz), Result::kOk);
    ASSERT_EQ(SetBufferVolume(b, row.volume), Result::kOk);
    ASSERT_EQ(SetBufferPan(b, row.pan), Result::kOk);
    ASSERT_EQ(PlayBuffer(b, row.loop ? kPlayLooping : 0), Result::kOk);
    const auto& right = row.right.empty() ? row.left : row.right;
    std::vector<int16_t> out = Render(static_cast<uint32_t>(row.left.size()));
    for (size_t n = 0; n < row.left.size(); ++n) {
      EXPECT_EQ(out[2 * n], row.left[n]) << "left " << n;
      EXPECT_EQ(out[2 * n + 1], right[n]) << "right " << n;
    }
    ReleaseBuffer(b);
  }
}

TEST_F(SoundMixerTest, SumsClampToSixteenBits) {
  for (int v : {30000, -30000}) {
    Buffer* a = Load(PcmFormat(kOutRate, 1, 16), Pcm16({v}));
    Buffer* b = Load(PcmFormat(kOutRate, 1, 16), Pcm16({v}));
    PlayBuffer(a, kPlayLooping);
    PlayBuffer(b, kPlayLooping);
    std::vector<int16_t> out = Render(2);
    EXPECT_EQ(out, std::vector<int16_t>(4, v > 0 ? 32767 : -32768));
    ReleaseBuffer(a);
    ReleaseBuffer(b);
  }
}

TEST_F(SoundMixerTest, EightBitAndMonoOutput) {
  SetOutput(PcmFormat(kOutRate, 1, 8));
  struct Row {
    WaveFormat format;
    std::vector<uint8_t> data;
    uint8_t expected;
  } rows[] = {
      {PcmFormat(kOutRate, 1, 16), Pcm16({1000}), 131},        // (1000 >> 8) + 128
      {PcmFormat(kOutRate, 1, 16), Pcm16({-1000}), 124},       // the shift floors
      {PcmFormat(kOutRate, 2, 16), Pcm16({1000, 3000}), 135},  // mono is the mean
      {PcmFormat(kOutRate, 1, 8), {128}, 128},
  };
  for (const Row& row : rows) {
    Buffer* b = Load(row.format, row.data);
    PlayBuffer(b, kPlayLooping);
    std::vector<uint8_t> out(3);
    ASSERT_EQ(MixFrames(out), Result::kOk);
    EXPECT_EQ(out, std::vector<uint8_t>(3, row.expected));
    ReleaseBuffer(b);
  }
}

// An independent slow reference: each output frame's position is k x step computed
// afresh, not accumulated; gains from the documented law.
struct ReferenceBuffer {
  std::vector<std::vector<int32_t>> channels;  // decoded samples per channel
  uint32_t hz;
  bool loop;
  int32_t volume, pan;
};

int32_t Q16(double amplitude) { return static_cast<int32_t>(std::lround(amplitude * 65536.0)); }

std::vector<int16_t> SlowMix(const ReferenceBuffer& b, uint32_t frames) {
  const uint32_t count = static_cast<uint32_t>(b.channels[0].size());
  const double base = std::pow(10.0, b.volume / 2000.0);
  const double away = std::pow(10.0, -std::abs(b.pan) / 2000.0);
  const int32_t gain[2] = {Q16(b.pan > 0 ? base * away : base), Q16(b.pan < 0 ? base * away : base)};
  const uint64_t step = (static_cast<uint64_t>(b.hz) << 32) / kOutRate;
  const unsigned __int128 length = static_cast<unsigned __int128>(count) << 32;
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0);
  for (uint32_t k = 0; k < frames; ++k) {
    unsigned __int128 pos = static_cast<unsigned __int128>(step) * k;
    if (pos >= length) {
      if (!b.loop) break;
      pos %= length;
    }
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    const uint32_t j = i + 1 < count ? i + 1 : (b.loop ? 0 : i);
    const int64_t f = static_cast<int64_t>((pos >> 16) & 0xFFFF);
    for (int c = 0; c < 2; ++c) {
      const auto& s = b.channels[b.channels.size() == 1 ? 0 : c];
      const int32_t v = s[i] + static_cast<int32_t>(((s[j] - s[i]) * f) >> 16);
      out[2 * k + c] = static_cast<int16_t>((v * gain[c]) / 65536);  // toward zero
    }
  }
  return out;
}

TEST_F(SoundMixerTest, MatchesASlowReferenceAtAwkwardRatesAndGains) {
  struct Row {
    uint16_t channels, bits;
    uint32_t frames, hz;
    bool loop;
    int32_t volume, pan;
  } rows[] = {
      {1, 8, 37, 30001, true, -1234, 567},        {2, 8, 50, 8000, false, 0, -3000},
      {1, 16, 8, 100000, true, -2040, 2560},  // a melody cycle: many wraps per frame
      {2, 16, 1000, 16317, false, -10000, 10000}, {1, 16, 3, 100, true, -1, -1},  // far below the output rate
      {2, 16, 300, 63232, true, -700, 0},
  };
  std::mt19937 rng(12345);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.channels << "ch " << row.bits << "bit " << row.hz << " Hz");
    ReferenceBuffer ref{std::vector<std::vector<int32_t>>(row.channels), row.hz, row.loop, row.volume, row.pan};
    std::vector<uint8_t> data;
    for (uint32_t n = 0; n < row.frames; ++n) {
      for (uint16_t c = 0; c < row.channels; ++c) {
        const uint32_t r = rng();
        if (row.bits == 8) {
          data.push_back(static_cast<uint8_t>(r));
          ref.channels[c].push_back((static_cast<int32_t>(r & 0xFF) - 128) * 256);
        } else {
          data.push_back(static_cast<uint8_t>(r));
          data.push_back(static_cast<uint8_t>(r >> 8));
          ref.channels[c].push_back(static_cast<int16_t>(r & 0xFFFF));
        }
      }
    }
    Buffer* b = Load(PcmFormat(22050, row.channels, row.bits), data);
    SetBufferFrequency(b, row.hz);
    SetBufferVolume(b, row.volume);
    SetBufferPan(b, row.pan);
    PlayBuffer(b, row.loop ? kPlayLooping : 0);
    // In pieces, so the state carried from one mixing pass to the next counts too.
    std::vector<int16_t> got;
    for (uint32_t piece : {1u, 999u, 2000u, 5000u}) {
      std::vector<int16_t> part = Render(piece);
      got.insert(got.end(), part.begin(), part.end());
    }
    std::vector<int16_t> want = SlowMix(ref, 8000);
    ASSERT_EQ(got.size(), want.size());
    for (size_t n = 0; n < want.size(); ++n) {
      ASSERT_EQ(got[n], want[n]) << "sample " << n;
    }
    ReleaseBuffer(b);
  }
}

// Full attenuation is silence: the smallest gain of a quiet negative sample rounds to 0,
// not to -1, so no half-wave of one step is left on the silent side.
TEST_F(SoundMixerTest, FullAttenuationIsSilence) {
  const std::vector<int> wave = {-32768, -20000, -1, 0, 1, 20000, 32767, -5};
  struct Case {
    int32_t volume, pan;
    bool left_silent, right_silent;
  } cases[] = {{-10000, 0, true, true}, {0, 10000, true, false}, {0, -10000, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan);
    Buffer* b = Load(PcmFormat(kOutRate, 1, 16), Pcm16({-32768, -20000, -1, 0, 1, 20000, 32767, -5}));
    SetBufferVolume(b, c.volume);
    SetBufferPan(b, c.pan);
    PlayBuffer(b, 0);
    const std::vector<int16_t> out = Render(static_cast<uint32_t>(wave.size()));
    for (size_t n = 0; n < wave.size(); ++n) {
      if (c.left_silent) {
        EXPECT_EQ(out[2 * n], 0) << n;
      }
      if (c.right_silent) {
        EXPECT_EQ(out[2 * n + 1], 0) << n;
      }
      if (!c.left_silent) {
        EXPECT_EQ(out[2 * n], wave[n]) << n;
      }
    }
    ReleaseBuffer(b);
  }
}

// Level in dB and pitch of a resampled tone, measured on the output.
TEST_F(SoundMixerTest, ToneComesOutAtTheSetPitchAndLevel) {
  constexpr double kAmplitude = 16000.0;
  constexpr uint32_t kCycleFrames = 2205;  // 100 cycles of 1000 Hz at 22050 Hz
  std::vector<uint8_t> data;
  for (uint32_t n = 0; n < kCycleFrames; ++n) {
    const int s = static_cast<int>(std::lround(kAmplitude * std::sin(2 * M_PI * 100 * n / kCycleFrames)));
    data.push_back(static_cast<uint8_t>(s & 0xFF));
    data.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
  }
  Buffer* b = Load(PcmFormat(22050, 1, 16), data);
  ASSERT_EQ(SetBufferFrequency(b, 33075), Result::kOk);  // x 1.5: 1500 Hz
  ASSERT_EQ(SetBufferVolume(b, -600), Result::kOk);
  ASSERT_EQ(SetBufferPan(b, 300), Result::kOk);  // left 3 dB further down
  PlayBuffer(b, kPlayLooping);
  std::vector<int16_t> out = Render(kOutRate);

  for (int c = 0; c < 2; ++c) {
    double sum = 0;
    int rising = 0;
    for (uint32_t n = 0; n < kOutRate; ++n) {
      const double v = out[2 * n + c];
      sum += v * v;
      if (n > 0 && out[2 * (n - 1) + c] < 0 && v >= 0) ++rising;
    }
    const double level_db = 20 * std::log10(std::sqrt(sum / kOutRate) / (kAmplitude / std::sqrt(2.0)));
    EXPECT_NEAR(level_db, c == 0 ? -9.0 : -6.0, 0.1) << "channel " << c;
    EXPECT_NEAR(rising, 1500, 1) << "channel " << c;
  }
}

}  // namespace

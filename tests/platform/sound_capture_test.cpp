// Who moves the mixer: the virtual clock (exactly the frames of the elapsed time, into the
// NIGHTLOOM_AUDIO_OUT capture), and SDL's audio thread on the real clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/capture/audio_capture.h"
#include "platform/sound/sound.h"
#include "platform/sys/debug_out.h"
#include "platform/timer/timer.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace plat::sound;

constexpr uint32_t kAllControls = kBufferCtrlFrequency | kBufferCtrlPan | kBufferCtrlVolume;

uint32_t U32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}
uint16_t U16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}

struct Wav {
  WaveFormat format;
  std::vector<int16_t> samples;  // 16-bit files only
  uint32_t data_bytes = 0;
};

Wav ReadWav(const std::string& path) {
  const std::string f = nltest::ReadFileBytes(path);
  Wav w;
  EXPECT_GE(f.size(), 44u);
  if (f.size() < 44) return w;
  EXPECT_EQ(f.substr(0, 4), "RIFF");
  EXPECT_EQ(f.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(f.substr(36, 4), "data");
  EXPECT_EQ(U32(f, 4), f.size() - 8);
  w.format.format_tag = U16(f, 20);
  w.format.channels = U16(f, 22);
  w.format.samples_per_sec = U32(f, 24);
  w.format.avg_bytes_per_sec = U32(f, 28);
  w.format.block_align = U16(f, 32);
  w.format.bits_per_sample = U16(f, 34);
  w.data_bytes = U32(f, 40);
  EXPECT_EQ(w.data_bytes, f.size() - 44);
  if (w.format.bits_per_sample == 16) {
    w.samples.resize((f.size() - 44) / 2);
    std::copy_n(f.data() + 44, w.samples.size() * 2, reinterpret_cast<char*>(w.samples.data()));
  }
  return w;
}

class SoundCaptureTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ResetSoundForTests();
    plat::timer::UseVirtualClock(false);
  }

  void Start(const WaveFormat& output) {
    ASSERT_EQ(CreateDevice(&device_), Result::kOk);
    if (primary_ == nullptr) {
      BufferDesc desc;
      desc.flags = kBufferPrimary;
      ASSERT_EQ(CreateBuffer(device_, desc, &primary_), Result::kOk);
    }
    ASSERT_EQ(SetBufferFormat(primary_, output), Result::kOk);
  }

  Buffer* Load(const WaveFormat& format, const std::vector<int16_t>& samples) {
    BufferDesc desc{kAllControls, static_cast<uint32_t>(samples.size() * 2), format};
    Buffer* b = nullptr;
    EXPECT_EQ(CreateBuffer(device_, desc, &b), Result::kOk);
    LockedRegions r;
    EXPECT_EQ(LockBuffer(b, 0, 0, &r, kLockEntireBuffer), Result::kOk);
    std::memcpy(r.first.data(), samples.data(), r.first.size());
    UnlockBuffer(b, r);
    return b;
  }

  uint32_t Status(Buffer* b) {
    uint32_t s = 0;
    EXPECT_EQ(GetBufferStatus(b, &s), Result::kOk);
    return s;
  }
  uint32_t Cursor(Buffer* b) {
    uint32_t play = 0;
    EXPECT_EQ(GetBufferPosition(b, &play, nullptr), Result::kOk);
    return play;
  }

  Device* device_ = nullptr;
  Buffer* primary_ = nullptr;
};

// A one-shot ramp of 100 frames at 22050 Hz, played into a 44100 Hz stereo output, in
// stereo frames: each source frame and then the midpoint to the next (the last frame held).
std::vector<int16_t> RampAtHalfRate(const std::vector<int16_t>& ramp, uint32_t frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0);
  for (uint32_t k = 0; k < frames && k / 2 < ramp.size(); ++k) {
    const size_t i = k / 2;
    const int32_t a = ramp[i];
    const int32_t b = i + 1 < ramp.size() ? ramp[i + 1] : a;
    const int32_t v = k % 2 == 0 ? a : a + (((b - a) * 32768) >> 16);
    out[2 * k] = out[2 * k + 1] = static_cast<int16_t>(v);
  }
  return out;
}

TEST_F(SoundCaptureTest, VirtualClockRendersExactlyTheElapsedFramesIntoTheCapture) {
  nltest::TempDir dir;
  const std::string path = dir.File("out.wav");
  setenv("NIGHTLOOM_AUDIO_OUT", path.c_str(), 1);
  plat::timer::UseVirtualClock(true, 1000);
  std::vector<int16_t> ramp;
  for (int n = 0; n < 100; ++n) ramp.push_back(static_cast<int16_t>(n * 300 - 15000));

  // The same scene twice; the capture stays open across devices, so the file holds both.
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    Start(PcmFormat(44100, 2, 16));
    Buffer* b = Load(PcmFormat(22050, 1, 16), ramp);
    ASSERT_EQ(PlayBuffer(b, 0), Result::kOk);
    plat::timer::Sleep(3);  // 132.3 frames due: 132 rendered, 66 source frames
    EXPECT_EQ(Status(b), kStatusPlaying);
    EXPECT_EQ(Cursor(b), 132u);
    EXPECT_EQ(Cursor(b), 132u);  // reading does not move the clock
    plat::timer::Sleep(7);       // 10 ms: 441 frames, the ramp ended after 200
    EXPECT_EQ(Status(b), 0u);
    EXPECT_EQ(Cursor(b), 0u);
    ReleaseBuffer(b);
    ASSERT_EQ(ReleaseDevice(device_), Result::kOk);
  }

  const Wav wav = ReadWav(path);
  EXPECT_EQ(wav.format.format_tag, kFormatPcm);
  EXPECT_EQ(wav.format.channels, 2);
  EXPECT_EQ(wav.format.samples_per_sec, 44100u);
  EXPECT_EQ(wav.format.bits_per_sample, 16);
  EXPECT_EQ(wav.format.block_align, 4);
  ASSERT_EQ(wav.data_bytes, 2u * 441 * 4);
  std::vector<int16_t> one = RampAtHalfRate(ramp, 441);
  std::vector<int16_t> both = one;
  both.insert(both.end(), one.begin(), one.end());
  EXPECT_EQ(wav.samples, both);
}

// A program that ends without releasing its device still leaves a complete file.
TEST_F(SoundCaptureTest, ProgramExitRendersTheRestAndFinishesTheFile) {
  nltest::TempDir dir;
  const std::string path = dir.File("exit.wav");
  EXPECT_EXIT(
      {
        setenv("NIGHTLOOM_AUDIO_OUT", path.c_str(), 1);
        plat::timer::UseVirtualClock(true, 0);
        Start(PcmFormat(22050, 1, 16));
        Buffer* b = Load(PcmFormat(22050, 1, 16), std::vector<int16_t>(10, -321));
        PlayBuffer(b, kPlayLooping);
        plat::timer::Sleep(20);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  const Wav wav = ReadWav(path);
  EXPECT_EQ(wav.format.channels, 1);
  EXPECT_EQ(wav.samples, std::vector<int16_t>(441, -321));  // 20 ms at 22050 Hz
}

TEST_F(SoundCaptureTest, WithoutACaptureTheClockStillMovesTheBuffers) {
  unsetenv("NIGHTLOOM_AUDIO_OUT");
  plat::timer::UseVirtualClock(true, 0);
  Start(PcmFormat(44100, 2, 16));
  Buffer* once = Load(PcmFormat(22050, 1, 16), std::vector<int16_t>(22050, 5));  // 1 s
  Buffer* loop = Load(PcmFormat(22050, 1, 16), std::vector<int16_t>(1000, 5));
  PlayBuffer(once, 0);
  PlayBuffer(loop, kPlayLooping);
  struct Row {
    uint32_t advance_ms;
    uint32_t once_status, once_cursor, loop_cursor;
  } rows[] = {
      {0, kStatusPlaying, 0, 0},
      {500, kStatusPlaying, 22050, 2 * (11025 % 1000)},
      {499, kStatusPlaying, 2 * 22027, 2 * (22027 % 1000)},  // 999 ms: 44055 frames
      {1, 0, 0, 2 * (22050 % 1000)},
      {3600u * 1000 - 1000 + 10, 0, 0, 440},  // an hour and 10 ms after the start
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.advance_ms);
    plat::timer::AdvanceVirtualClock(row.advance_ms);
    EXPECT_EQ(Status(once), row.once_status);
    EXPECT_EQ(Cursor(once), row.once_cursor);
    EXPECT_EQ(Cursor(loop), row.loop_cursor);
    EXPECT_EQ(Status(loop), kStatusPlaying | kStatusLooping);
  }
}

TEST_F(SoundCaptureTest, OutputFormatChangeAfterRecordingEndsTheCaptureCleanly) {
  nltest::TempDir dir;
  const std::string path = dir.File("out.wav");
  setenv("NIGHTLOOM_AUDIO_OUT", path.c_str(), 1);
  plat::timer::UseVirtualClock(true, 0);
  std::string messages;
  plat::SetDebugOutputSink([&](std::string_view t) { messages += t; });

  Start(PcmFormat(22050, 1, 16));
  // Before the first frame the capture simply takes the new format.
  ASSERT_EQ(SetBufferFormat(primary_, PcmFormat(44100, 2, 16)), Result::kOk);
  Buffer* b = Load(PcmFormat(44100, 1, 16), std::vector<int16_t>(100, 1234));
  PlayBuffer(b, kPlayLooping);
  plat::timer::Sleep(2);
  ASSERT_EQ(SetBufferFormat(primary_, PcmFormat(44100, 2, 16)), Result::kOk);  // no change
  EXPECT_TRUE(plat::audio_capture::IsOpen());
  ASSERT_EQ(SetBufferFormat(primary_, PcmFormat(22050, 2, 16)), Result::kOk);
  EXPECT_FALSE(plat::audio_capture::IsOpen());
  EXPECT_NE(messages.find("audio capture"), std::string::npos);
  plat::SetDebugOutputSink(nullptr);

  const Wav wav = ReadWav(path);
  EXPECT_EQ(wav.format.samples_per_sec, 44100u);
  EXPECT_EQ(wav.samples, std::vector<int16_t>(2 * 88, 1234));
}

// SDL's dummy driver pulls in real time: a short sound runs out by itself.
TEST_F(SoundCaptureTest, SdlOutputPullsTheMixerOnTheRealClock) {
  nltest::TempDir dir;
  const std::string path = dir.File("sdl.wav");
  setenv("NIGHTLOOM_AUDIO_OUT", path.c_str(), 1);
  plat::timer::UseVirtualClock(false);
  Start(PcmFormat(44100, 2, 16));
  Buffer* b = Load(PcmFormat(22050, 1, 16), std::vector<int16_t>(1102, 777));  // 50 ms
  ASSERT_EQ(PlayBuffer(b, 0), Result::kOk);
  for (int waited = 0; waited < 5000 && Status(b) != 0; waited += 5) plat::timer::Sleep(5);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(Cursor(b), 0u);
  ASSERT_EQ(ReleaseDevice(device_), Result::kOk);

  const Wav wav = ReadWav(path);
  ASSERT_GE(wav.samples.size(), 2u * 2204);
  size_t loud = 0;
  for (int16_t s : wav.samples) loud += s == 777;
  EXPECT_GE(loud, 2u * 2200);  // the held samples, whatever pull they fell into
}

}  // namespace

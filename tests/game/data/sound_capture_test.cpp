// The harness end to end: an effect played under the virtual clock with audio capture
// comes out in the WAV file exactly as the source, resampled to the output rate.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "game/data/sound_table.h"
#include "platform/fs/fs.h"
#include "platform/sys/debug_out.h"
#include "platform/timer/timer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"
#include "tests/vexal/app/wav_fixture.h"
#include "vexal/app/sound/sound_device.h"

namespace {

// What linear interpolation at the fixed-point step gives for output frame k of a one-shot
// source: position k * step in 32.32, the fraction's top 16 bits weighting the next sample,
// the last sample held, silence after the end.
int32_t ExpectedFrame(const std::vector<int16_t>& s, uint64_t step, uint64_t k) {
  uint64_t pos = k * step;
  uint64_t index = pos >> 32;
  if (index >= s.size()) return 0;
  int32_t a = s[index];
  int32_t b = index + 1 < s.size() ? s[index + 1] : a;
  int32_t frac = static_cast<int32_t>((pos >> 16) & 0xFFFF);
  return a + ((b - a) * frac >> 16);
}

TEST(SoundCapture, AnEffectPlayedUnderTheVirtualClockIsWrittenResampled) {
  nltest::TempDir dir;
  plat::SetDebugOutputEnabled(false);
  std::string old_dir = plat::fs::CurrentDirectory();
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir.path()));
  ASSERT_EQ(::mkdir(dir.File("wav").c_str(), 0755), 0);
  std::vector<int16_t> source;
  for (int i = 0; i < 300; ++i) source.push_back(static_cast<int16_t>(1000 + 37 * i - (i % 7) * 211));
  const uint32_t source_rate = 22050;
  ASSERT_TRUE(
      nltest::WriteFileBytes(dir.File("wav/tone.wav"), soundtest::AsString(soundtest::PcmWav16(source, source_rate))));
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("wav/sound.csv"), "0,wav\\tone.wav,x\n"));
  const std::string out_path = dir.File("out.wav");
  ASSERT_EQ(::setenv("NIGHTLOOM_AUDIO_OUT", out_path.c_str(), 1), 0);
  plat::timer::UseVirtualClock(true, 0);

  ASSERT_EQ(vexal::InitDirectSound(), 0);
  game::SoundTable table;
  table.LoadSoundTable();
  plat::timer::Sleep(20);
  table.PlaySoundEffect(0);
  plat::timer::Sleep(100);
  table.FreeSoundTable();
  vexal::EndDirectSound();
  plat::fs::SetCurrentDirectory(old_dir);

  std::string wav = nltest::ReadFileBytes(out_path);
  ASSERT_GE(wav.size(), 44u);
  ASSERT_EQ(wav.substr(0, 4), "RIFF");
  // A whole data chunk after a 16-bit PCM format chunk.
  const std::optional<nltest::Pcm16Wav> pcm = nltest::ReadPcm16Wav(wav);
  ASSERT_TRUE(pcm);
  const int channels = pcm->channels;
  const uint32_t rate = pcm->rate;
  ASSERT_GE(channels, 1);
  const size_t frames = pcm->samples.size() / size_t(channels);
  // 120 ms of virtual time at the output rate, from the device's first play.
  EXPECT_GE(frames, static_cast<size_t>(rate) * 100 / 1000);

  auto sample = [&](size_t frame, int ch) { return pcm->samples[frame * size_t(channels) + size_t(ch)]; };
  size_t first = 0;
  while (first < frames && sample(first, 0) == 0) ++first;
  ASSERT_LT(first, frames) << "the effect never sounded";
  // Playing began 20 ms after the silence started.
  EXPECT_EQ(first, static_cast<size_t>(rate) * 20 / 1000);

  const uint64_t step = (static_cast<uint64_t>(source_rate) << 32) / rate;
  for (size_t k = 0; first + k < frames; ++k) {
    int32_t want = ExpectedFrame(source, step, k);
    for (int ch = 0; ch < channels; ++ch) {
      ASSERT_EQ(sample(first + k, ch), want) << "frame " << k << " channel " << ch;
    }
  }
}

}  // namespace

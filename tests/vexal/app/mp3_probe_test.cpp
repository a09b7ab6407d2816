// The MPEG audio probe on frames made in code, and one tone encoded by lame decoded back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/fs/fs.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/wav_fixture.h"
#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/streams/stream.h"

namespace {

using namespace soundtest;

TEST(Mp3ProbeTest, FrameLengthsByVersionAndLayer) {
  struct Case {
    uint8_t b1, b2, b3;
    int kbps, rate, channels, length;
  } cases[] = {
      {0xFB, 0x90, 0xC0, 128, 44100, 1, 417},  // MPEG-1 III: 144000 x 128 / 44100
      {0xFB, 0x92, 0x00, 128, 44100, 2, 418},  // the same, padded
      {0xFD, 0xA4, 0x40, 192, 48000, 2, 576},  // MPEG-1 II
      {0xFF, 0x18, 0x80, 32, 32000, 2, 48},    // MPEG-1 I: (12000 x 32 / 32000) x 4
      {0xFF, 0x1A, 0x80, 32, 32000, 2, 52},    // the same, padded: (12 + 1) x 4
      {0xF3, 0x80, 0xC0, 64, 22050, 1, 208},   // MPEG-2 III: 72000 x 64 / 22050
      {0xF5, 0x84, 0xC0, 64, 24000, 1, 384},   // MPEG-2 II: 144000 x 64 / 24000
      {0xF7, 0x18, 0xC0, 32, 16000, 1, 96},    // MPEG-2 I: (12000 x 32 / 16000) x 4
      {0xF3, 0xE8, 0xC0, 160, 16000, 1, 720},  // MPEG-2 III, top index: 72000 x 160 / 16000
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int{c.b1} << " " << int{c.b2});
    vexal::Mp3FrameHeader h;
    ASSERT_TRUE(vexal::DecodeMp3FrameHeader(c.b1, c.b2, c.b3, &h));
    EXPECT_EQ(h.kbps, c.kbps);
    EXPECT_EQ(h.sample_rate, c.rate);
    EXPECT_EQ(h.channels, c.channels);
    EXPECT_EQ(vexal::Mp3FrameLength(h), c.length);
  }
  vexal::Mp3FrameHeader h;
  EXPECT_FALSE(vexal::DecodeMp3FrameHeader(0xF9, 0x90, 0, &h));  // reserved layer
  EXPECT_FALSE(vexal::DecodeMp3FrameHeader(0xFB, 0x00, 0, &h));  // free format
  EXPECT_FALSE(vexal::DecodeMp3FrameHeader(0xFB, 0xF0, 0, &h));  // bitrate index 15
  EXPECT_FALSE(vexal::DecodeMp3FrameHeader(0xFB, 0x9C, 0, &h));  // sample-rate index 3
}

// An MPEG-1 Layer III frame of 128 kbit/s, 44100 Hz, one channel: 417 bytes.
constexpr int kFrame = 417;
Bytes Frames(int n, uint8_t b2 = 0x90) {
  Bytes b;
  for (int i = 0; i < n; ++i) {
    b.insert(b.end(), {0xFF, 0xFB, b2, 0xC0});
    b.insert(b.end(), kFrame - 4, 0x11);
  }
  return b;
}
Bytes Id3v2(uint8_t version, uint8_t flags, int body, bool footer) {
  Bytes b = {
      'I', 'D', '3', version, 0, flags, 0, 0, static_cast<uint8_t>(body >> 7), static_cast<uint8_t>(body & 0x7F)};
  b.insert(b.end(), body, 0xFF);  // 0xFF bytes in a tag must not be taken for a sync
  if (footer) b.insert(b.end(), {'3', 'D', 'I', version, 0, flags, 0, 0, 0, 0});
  return b;
}
Bytes Id3v1() {
  Bytes b = {'T', 'A', 'G'};
  b.insert(b.end(), 125, 0xFF);
  return b;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

TEST(Mp3ProbeTest, ProbeTable) {
  Bytes bad_mid = Cat({Frames(2), Frames(1, 0xF0), Frames(1)});
  struct Case {
    const char* name;
    Bytes file;
    int32_t size;
    int32_t first;  // stream position of the first frame
  } cases[] = {
      {"bare frames", Frames(3), 3 * kFrame, 0},
      {"ID3v2.3", Cat({Id3v2(3, 0, 200, false), Frames(3)}), 3 * kFrame, 210},
      {"ID3v2.4 with footer", Cat({Id3v2(4, 0x10, 200, true), Frames(3)}), 3 * kFrame, 220},
      {"ID3v2.3 with the footer flag has none", Cat({Id3v2(3, 0x10, 200, false), Frames(2)}), 2 * kFrame, 210},
      {"ID3v1 trimmed", Cat({Frames(3), Id3v1()}), 3 * kFrame, 0},
      {"ID3v2.4 and ID3v1", Cat({Id3v2(4, 0x10, 130, true), Frames(2), Id3v1()}), 2 * kFrame, 150},
      {"junk before the first frame", Cat({Bytes{0x00, 0xFF, 0x12, 0x34}, Frames(2)}), 2 * kFrame, 4},
      {"a bad header mid-stream", bad_mid, -1, 0},
      {"free format", Frames(2, 0x00), -1, 0},
      {"no sync", Bytes(1000, 0x00), -1, 0},
      {"a tag and nothing after", Id3v2(3, 0, 50, false), -1, 0},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    vexal::MemStream* m = vexal::MemStreamOpen(c.file.data(), static_cast<uint32_t>(c.file.size()));
    std::vector<uint8_t> format;
    // Through the WAV parser, as loading does: a file that is not RIFF is tried as MPEG.
    const int32_t size = vexal::ParseWavHeader(vexal::SoundSource{vexal::GetMemStreamFuncs(), m}, &format);
    const int32_t at = vexal::MemStreamTell(m);
    vexal::MemStreamClose(m);
    EXPECT_EQ(size, c.size);
    if (c.size < 0) continue;
    EXPECT_EQ(at, c.first);
    Bytes want;
    PutU16(want, 0x55);
    PutU16(want, 1);
    PutU32(want, 44100);
    PutU32(want, 128 * 125);
    PutU16(want, 1);
    PutU16(want, 0);
    PutU16(want, 12);
    PutU16(want, 1);
    PutU32(want, 0);
    PutU16(want, kFrame);
    PutU16(want, 1);
    PutU16(want, 1393);
    EXPECT_EQ(format, want);
  }
}

// 0.2 s of a 440 Hz tone at 44100 Hz, encoded by lame, comes back as 16-bit PCM with as
// many samples as went in (the encoder's delay and padding are trimmed).
TEST(Mp3ProbeTest, LameToneDecodesToSixteenBitPcmOfItsLength) {
  if (std::system("command -v lame > /dev/null 2>&1") != 0) GTEST_SKIP() << "lame is not installed";
  nltest::TempDir dir;
  constexpr int kSamples = 8820;
  std::vector<int16_t> tone(kSamples);
  for (int i = 0; i < kSamples; ++i) tone[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / 44100.0));
  nltest::WriteFileBytes(dir.File("tone.wav"), AsString(PcmWav16(tone, 44100)));
  const std::string command =
      "lame --quiet -m m -b 64 --add-id3v2 --tt tone '" + dir.File("tone.wav") + "' '" + dir.File("tone.mp3") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);

  std::FILE* file = plat::fs::OpenFile(dir.File("tone.mp3"), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<uint8_t> pcm, format;
  const int32_t size = vexal::ConvertSoundToPcm(vexal::SoundSource{vexal::GetFileStreamFuncs(), file}, &pcm, &format);
  std::fclose(file);
  Bytes want_format = PcmFormatRecord(1, 44100, 16, true);
  EXPECT_EQ(format, want_format);
  ASSERT_EQ(size, kSamples * 2);
  ASSERT_EQ(pcm.size(), static_cast<size_t>(kSamples * 2));
  // A lossy copy of the tone: the peak lies near the source's.
  int peak = 0;
  for (int i = 0; i < kSamples; ++i)
    peak = std::max(peak, std::abs(static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8))));
  EXPECT_GT(peak, 6000);
  EXPECT_LT(peak, 10000);
}

}  // namespace

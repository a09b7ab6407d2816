// The WAV chunk walk and PCM / IMA ADPCM conversion, on files made in code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/vexal/app/wav_fixture.h"
#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/streams/stream.h"

namespace {

using namespace soundtest;

// Runs f on a memory stream over `file`.
template <typename F>
auto OnStream(Bytes& file, F f) {
  vexal::MemStream* m = vexal::MemStreamOpen(file.data(), static_cast<uint32_t>(file.size()));
  auto result = f(vexal::SoundSource{vexal::GetMemStreamFuncs(), m}, m);
  vexal::MemStreamClose(m);
  return result;
}

const Bytes kFmt16 = PcmFormatRecord(1, 22050, 16);
const Bytes kBody = {'a', 'b', 'c', 'd', 'e', 'f'};

TEST(WavHeaderTest, ChunkWalkTable) {
  Bytes fmt20 = PcmFormatRecord(1, 22050, 16);
  PutU16(fmt20, 2);
  fmt20.push_back(7);
  fmt20.push_back(9);
  Bytes not_wave = Riff({Chunk("fmt ", kFmt16), Chunk("data", kBody)});
  not_wave[11] = 'X';
  Bytes cut_header = Riff({Chunk("fmt ", kFmt16)});
  cut_header.insert(cut_header.end(), {'d', 'a', 't'});
  struct Case {
    const char* name;
    Bytes file;
    int32_t size;         // result
    size_t format_bytes;  // of the record, when the result is not -1
    int32_t data_at;      // stream position after
  } cases[] = {
      {"16-byte fmt", Riff({Chunk("fmt ", kFmt16), Chunk("data", kBody)}), 6, 18, 44},
      {"18-byte fmt", Riff({Chunk("fmt ", PcmFormatRecord(1, 22050, 16, true)), Chunk("data", kBody)}), 6, 18, 46},
      {"fmt with extra bytes", Riff({Chunk("fmt ", fmt20), Chunk("data", kBody)}), 6, 20, 48},
      {"LIST after fmt", Riff({Chunk("fmt ", kFmt16), Chunk("LIST", {1, 2, 3, 4}), Chunk("data", kBody)}), 6, 18, 56},
      {"LIST before fmt", Riff({Chunk("LIST", {1, 2, 3, 4}), Chunk("fmt ", kFmt16), Chunk("data", kBody)}), -1, 0, 0},
      {"odd chunk and its pad byte", Riff({Chunk("fmt ", kFmt16), Chunk("junk", {1, 2, 3}), Chunk("data", kBody)}), 6,
       18, 56},
      {"no data chunk", Riff({Chunk("fmt ", kFmt16), Chunk("LIST", {1, 2, 3, 4})}), -1, 0, 0},
      {"chunk header cut short", cut_header, -1, 0, 0},
      {"data size past the end", Riff({Chunk("fmt ", kFmt16), Chunk("data", kBody, 1000)}), 6, 18, 44},
      {"fmt of 14 bytes", Riff({Chunk("fmt ", Bytes(kFmt16.begin(), kFmt16.begin() + 14)), Chunk("data", kBody)}), -1,
       0, 0},
      {"fmt size past the end", Riff({Chunk("fmt ", kFmt16, 100)}), -1, 0, 0},
      {"chunk size past the end",
       Riff({Chunk("fmt ", kFmt16), Chunk("LIST", {1, 2}, 0xFFFFFFF0), Chunk("data", kBody)}), -1, 0, 0},
      {"RIFF but not WAVE", not_wave, -1, 0, 0},
      {"empty data", Riff({Chunk("fmt ", kFmt16), Chunk("data", {})}), 0, 18, 44},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> format;
    int32_t at = -1;
    int32_t size = OnStream(c.file, [&](const vexal::SoundSource& s, vexal::MemStream* m) {
      int32_t r = vexal::ParseWavHeader(s, &format);
      at = vexal::MemStreamTell(m);
      return r;
    });
    EXPECT_EQ(size, c.size);
    if (c.size < 0) continue;
    EXPECT_EQ(format.size(), c.format_bytes);
    EXPECT_EQ(at, c.data_at);
    EXPECT_EQ(format[16] | (format[17] << 8), c.format_bytes - 18);  // the extra size
    EXPECT_EQ(std::string(c.file.begin() + at, c.file.begin() + at + size), std::string("abcdef", size));
  }
}

TEST(WavHeaderTest, PcmPassesThroughWithItsOwnFormat) {
  Bytes file = Riff({Chunk("fmt ", PcmFormatRecord(2, 11025, 8)), Chunk("LIST", {0}), Chunk("data", kBody, 1000)});
  std::vector<uint8_t> pcm, format;
  int32_t size = OnStream(
      file, [&](const vexal::SoundSource& s, vexal::MemStream*) { return vexal::ConvertSoundToPcm(s, &pcm, &format); });
  EXPECT_EQ(size, 6);
  EXPECT_EQ(pcm, kBody);
  Bytes want = PcmFormatRecord(2, 11025, 8, true);
  EXPECT_EQ(format, want);
}

// Formats that cannot be played are "cannot be decoded", not a buffer failure later.
TEST(WavHeaderTest, UnplayableFormatsAreRefused) {
  Bytes compressed_no_channels = PcmFormatRecord(0, 8000, 4);
  compressed_no_channels[0] = 0x11;
  struct Case {
    const char* name;
    Bytes format;
    Bytes data;
  } cases[] = {
      {"no channels", PcmFormatRecord(0, 22050, 16), kBody},
      {"rate 0", PcmFormatRecord(1, 0, 16), kBody},
      {"no bytes", PcmFormatRecord(1, 22050, 16), {}},
      {"less than a frame", PcmFormatRecord(2, 22050, 16), {1, 2, 3}},
      {"24 bits", PcmFormatRecord(1, 22050, 24), kBody},
      {"three channels", PcmFormatRecord(3, 22050, 8), kBody},
      {"compressed, no channels", compressed_no_channels, kBody},
      {"an unknown codec",
       [] {
         Bytes f = PcmFormatRecord(1, 8000, 8);
         f[0] = 0x31;
         return f;
       }(),
       kBody},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = Riff({Chunk("fmt ", c.format), Chunk("data", c.data)});
    std::vector<uint8_t> pcm{1}, format{1};
    int32_t size = OnStream(file, [&](const vexal::SoundSource& s, vexal::MemStream*) {
      return vexal::ConvertSoundToPcm(s, &pcm, &format);
    });
    EXPECT_EQ(size, -1);
    EXPECT_TRUE(pcm.empty());
    EXPECT_TRUE(format.empty());
  }
}

// The size limits of a playable sound, without making a file of that size: from one
// frame to the largest buffer the sound device makes.
TEST(WavHeaderTest, APlayableSoundFitsOneBuffer) {
  plat::sound::WaveFormat stereo16;
  stereo16.format_tag = plat::sound::kFormatPcm;
  stereo16.channels = 2;
  stereo16.samples_per_sec = 44100;
  stereo16.bits_per_sample = 16;
  const size_t largest = plat::sound::kMaxBufferBytes;
  const std::pair<size_t, bool> cases[] = {{3, false}, {4, true}, {largest, true}, {largest + 1, false}};
  for (const auto& [bytes, usable] : cases) EXPECT_EQ(vexal::IsUsablePcm(stereo16, bytes), usable) << bytes;
}

// Two IMA ADPCM blocks of 36 bytes: a header (predictor 1000, step index 0) and 32 zero
// bytes each. A zero nibble adds step >> 3 = 7 >> 3 = 0, so all 65 samples of a block are
// the predictor.
TEST(WavHeaderTest, ImaAdpcmBecomesSixteenBitPcm) {
  Bytes fmt;
  PutU16(fmt, 0x11);
  PutU16(fmt, 1);
  PutU32(fmt, 8000);
  PutU32(fmt, 8000 * 36 / 65);
  PutU16(fmt, 36);
  PutU16(fmt, 4);
  PutU16(fmt, 2);
  PutU16(fmt, 65);
  Bytes data;
  for (int block = 0; block < 2; ++block) {
    PutU16(data, 1000);
    data.push_back(0);
    data.push_back(0);
    data.insert(data.end(), 32, 0);
  }
  Bytes file = Riff({Chunk("fmt ", fmt), Chunk("data", data)});
  std::vector<uint8_t> pcm, format;
  int32_t size = OnStream(
      file, [&](const vexal::SoundSource& s, vexal::MemStream*) { return vexal::ConvertSoundToPcm(s, &pcm, &format); });
  ASSERT_EQ(size, 130 * 2);
  ASSERT_EQ(pcm.size(), 260u);
  EXPECT_EQ(format, PcmFormatRecord(1, 8000, 16, true));
  for (size_t i = 0; i < 130; ++i) ASSERT_EQ(pcm[2 * i] | (pcm[2 * i + 1] << 8), 1000) << "sample " << i;
}

}  // namespace

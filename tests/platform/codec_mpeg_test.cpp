// MPEG audio to 16-bit PCM: silent frames made here for each version and layer, a tone
// encoded at test time by Debian's lame, and the stream calls around the decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/codec/codec.h"
#include "tests/support/temp_dir.h"

namespace {

using plat::codec::Result;
namespace codec = plat::codec;
namespace sound = plat::sound;

// The 30-byte record a probe makes for an MPEG file.
std::vector<uint8_t> MpegRecord(uint16_t channels, uint32_t rate, uint32_t kbps, uint16_t first_frame) {
  sound::WaveFormat f;
  f.format_tag = sound::kFormatMpegLayer3;
  f.channels = channels;
  f.samples_per_sec = rate;
  f.avg_bytes_per_sec = kbps * 125;
  f.block_align = 1;
  f.extra_size = 12;
  auto head = sound::WriteWaveFormat(f);
  std::vector<uint8_t> r(head.begin(), head.end());
  const uint16_t extra[6] = {1, 0, 0, first_frame, 1, 1393};  // id, flags (2 words), block, frames, delay
  for (uint16_t w : extra) {
    r.push_back(static_cast<uint8_t>(w));
    r.push_back(static_cast<uint8_t>(w >> 8));
  }
  return r;
}

// n frames with a header and an all-zero body: no allocation, no main data, so silence.
std::vector<uint8_t> SilentFrames(int n, uint8_t b1, uint8_t b2, uint8_t b3, size_t length) {
  std::vector<uint8_t> data;
  for (int i = 0; i < n; ++i) {
    const size_t at = data.size();
    data.resize(at + length, 0);
    data[at] = 0xFF;
    data[at + 1] = b1;
    data[at + 2] = b2;
    data[at + 3] = b3;
  }
  return data;
}

struct Decoded {
  Result result = Result::kFailed;
  std::vector<int16_t> samples;
  uint32_t bound = 0;
};

Decoded Decode(const std::vector<uint8_t>& record, const std::vector<uint8_t>& data) {
  Decoded d;
  sound::WaveFormat pcm;
  pcm.format_tag = sound::kFormatPcm;
  if ((d.result = codec::SuggestFormat(record, &pcm, codec::kSuggestFormatTag)) != Result::kOk) return d;
  codec::Stream* s = nullptr;
  if ((d.result = codec::OpenStream(&s, record, pcm)) != Result::kOk) return d;
  EXPECT_EQ(codec::StreamSize(s, static_cast<uint32_t>(data.size()), &d.bound, codec::kSizeFromSource), Result::kOk);
  std::vector<uint8_t> out(d.bound);
  codec::StreamHeader h;
  h.source = data;
  h.destination = out;
  EXPECT_EQ(codec::PrepareHeader(s, &h), Result::kOk);
  d.result = codec::Convert(s, &h, codec::kConvertBlockAlign);
  EXPECT_EQ(h.source_used, data.size());
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kOk);
  EXPECT_EQ(codec::CloseStream(s), Result::kOk);
  d.samples.resize(h.destination_used / 2);
  std::copy_n(out.begin(), h.destination_used, reinterpret_cast<uint8_t*>(d.samples.data()));
  return d;
}

TEST(MpegDecode, SilentFramesOfEachVersionAndLayer) {
  struct Row {
    const char* what;
    uint8_t b1, b2, b3;
    size_t length;  // by the frame-length rule of each layer
    uint16_t channels;
    uint32_t rate, kbps, samples_per_frame;
  } rows[] = {
      {"MPEG-1 Layer III 128k 44100 stereo", 0xFB, 0x90, 0x00, 417, 2, 44100, 128, 1152},
      {"MPEG-1 Layer III 128k 44100 mono", 0xFB, 0x90, 0xC0, 417, 1, 44100, 128, 1152},
      {"MPEG-1 Layer II 128k 48000", 0xFD, 0x84, 0x00, 384, 2, 48000, 128, 1152},
      {"MPEG-1 Layer I 128k 32000", 0xFF, 0x48, 0x00, 192, 2, 32000, 128, 384},
      {"MPEG-2 Layer III 64k 22050", 0xF3, 0x80, 0x00, 208, 2, 22050, 64, 576},
      {"MPEG-2 Layer III 64k 22050 padded", 0xF3, 0x82, 0x00, 209, 2, 22050, 64, 576},
      {"MPEG-2 Layer II 64k 16000 mono", 0xF5, 0x88, 0xC0, 576, 1, 16000, 64, 1152},
  };
  for (const Row& row : rows) {
    for (int frames : {1, 3}) {
      SCOPED_TRACE(testing::Message() << row.what << ", " << frames << " frames");
      Decoded d = Decode(MpegRecord(row.channels, row.rate, row.kbps, static_cast<uint16_t>(row.length)),
                         SilentFrames(frames, row.b1, row.b2, row.b3, row.length));
      ASSERT_EQ(d.result, Result::kOk);
      EXPECT_EQ(d.samples.size(), frames * row.samples_per_frame * row.channels);
      EXPECT_GE(d.bound, d.samples.size() * 2);
      EXPECT_EQ(std::count(d.samples.begin(), d.samples.end(), 0), static_cast<long>(d.samples.size()));
    }
  }
}

// What the encoder was given comes back: same length (its delay and padding trimmed),
// and the same tone.
TEST(MpegDecode, ToneEncodedByLame) {
  if (std::system("command -v lame >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "lame is not installed (scripts/setup installs it): the encoded-tone case is skipped";
  }
  nltest::TempDir dir;
  constexpr uint32_t kRate = 44100;
  constexpr uint32_t kFrames = 4410;
  std::vector<int16_t> tone(kFrames);
  for (uint32_t n = 0; n < kFrames; ++n) {
    tone[n] = static_cast<int16_t>(std::lround(10000 * std::sin(2 * M_PI * 441.0 * n / kRate)));
  }
  sound::WaveFormat pcm = sound::PcmFormat(kRate, 1, 16);
  auto fmt = sound::WriteWaveFormat(pcm);
  std::string wav = "RIFF";
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) wav += static_cast<char>(v >> (8 * i));
  };
  put32(36 + kFrames * 2);
  wav += "WAVEfmt ";
  put32(16);
  wav.append(reinterpret_cast<const char*>(fmt.data()), 16);
  wav += "data";
  put32(kFrames * 2);
  wav.append(reinterpret_cast<const char*>(tone.data()), kFrames * 2);
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("tone.wav"), wav));
  const std::string command = "lame --quiet -b 64 -m m '" + dir.File("tone.wav") + "' '" + dir.File("tone.mp3") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);

  std::string mp3 = nltest::ReadFileBytes(dir.File("tone.mp3"));
  ASSERT_GE(mp3.size(), 4u);
  ASSERT_EQ(static_cast<uint8_t>(mp3[0]), 0xFF) << "expected the file to start with a frame";
  ASSERT_EQ(static_cast<uint8_t>(mp3[1]) & 0xFE, 0xFA) << "MPEG-1 Layer III";
  ASSERT_EQ((static_cast<uint8_t>(mp3[2]) >> 2) & 3, 0) << "44100 Hz";
  ASSERT_EQ(static_cast<uint8_t>(mp3[3]) >> 6, 3) << "mono";
  Decoded d = Decode(MpegRecord(1, kRate, 64, 208), std::vector<uint8_t>(mp3.begin(), mp3.end()));
  ASSERT_EQ(d.result, Result::kOk);
  ASSERT_EQ(d.samples.size(), kFrames);
  double signal = 0, error = 0;
  for (uint32_t n = 0; n < kFrames; ++n) {
    signal += double(tone[n]) * tone[n];
    error += double(d.samples[n] - tone[n]) * (d.samples[n] - tone[n]);
  }
  EXPECT_GT(10 * std::log10(signal / error), 20.0) << "signal to error in dB";
}

TEST(MpegDecode, SamplesThatDoNotFitWaitForTheNextConvert) {
  const auto record = MpegRecord(2, 44100, 128, 417);
  const auto data = SilentFrames(3, 0xFB, 0x90, 0x00, 417);
  sound::WaveFormat pcm;
  ASSERT_EQ(codec::SuggestFormat(record, &pcm, 0), Result::kOk);
  codec::Stream* s = nullptr;
  ASSERT_EQ(codec::OpenStream(&s, record, pcm), Result::kOk);
  std::vector<uint8_t> out(1152 * 4 + 100);
  codec::StreamHeader h;
  h.source = data;
  h.destination = out;
  ASSERT_EQ(codec::PrepareHeader(s, &h), Result::kOk);
  ASSERT_EQ(codec::Convert(s, &h, 0), Result::kOk);
  EXPECT_EQ(h.destination_used, out.size());
  EXPECT_EQ(h.status & codec::kHeaderDone, codec::kHeaderDone);
  size_t total = h.destination_used;
  h.source = {};
  for (int pass = 0; pass < 5 && h.destination_used != 0; ++pass) {
    ASSERT_EQ(codec::Convert(s, &h, 0), Result::kOk);
    total += h.destination_used;
  }
  EXPECT_EQ(total, 3u * 1152 * 4);
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kOk);
  EXPECT_EQ(codec::CloseStream(s), Result::kOk);
}

TEST(MpegDecode, SizeQueriesBoundTheOutput) {
  const auto record = MpegRecord(2, 22050, 64, 208);
  sound::WaveFormat pcm;
  ASSERT_EQ(codec::SuggestFormat(record, &pcm, 0), Result::kOk);
  EXPECT_EQ(pcm.samples_per_sec, 22050u);
  EXPECT_EQ(pcm.channels, 2);
  EXPECT_EQ(pcm.bits_per_sample, 16);
  codec::Stream* s = nullptr;
  ASSERT_EQ(codec::OpenStream(&s, record, pcm), Result::kOk);
  // Smallest MPEG-2 frames at 22050 Hz: Layer II 8k is 52 bytes for 1152 samples.
  uint32_t n = 0;
  ASSERT_EQ(codec::StreamSize(s, 5200, &n, codec::kSizeFromSource), Result::kOk);
  EXPECT_EQ(n, (5200 / 52 + 1) * 1152 * 4u);
  uint32_t source = 0;
  ASSERT_EQ(codec::StreamSize(s, n, &source, codec::kSizeFromDestination), Result::kOk);
  uint32_t back = 0;
  ASSERT_EQ(codec::StreamSize(s, source, &back, codec::kSizeFromSource), Result::kOk);
  EXPECT_LE(back, n);
  ASSERT_EQ(codec::StreamSize(s, source + 1, &back, codec::kSizeFromSource), Result::kOk);
  EXPECT_GT(back, n);
  EXPECT_EQ(codec::StreamSize(s, 0xFFFFFFFFu, &n, codec::kSizeFromSource), Result::kNotPossible);
  codec::CloseStream(s);
}

}  // namespace

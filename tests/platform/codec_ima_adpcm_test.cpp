// IMA ADPCM blocks to 16-bit PCM: hand-worked samples, clamping, lengths of whole and
// cut-short blocks, and the tests' own slow decoder over random stereo blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

#include "platform/codec/codec.h"
#include "tests/support/ima_adpcm_reference.h"

namespace {

using plat::codec::Result;
namespace codec = plat::codec;
namespace sound = plat::sound;

std::vector<uint8_t> AdpcmRecord(uint16_t channels, uint16_t block_align, uint16_t bits = 4,
                                 int samples_per_block = -1) {
  sound::WaveFormat f;
  f.format_tag = sound::kFormatImaAdpcm;
  f.channels = channels;
  f.samples_per_sec = 22050;
  f.avg_bytes_per_sec = 11100;
  f.block_align = block_align;
  f.bits_per_sample = bits;
  f.extra_size = 2;
  if (samples_per_block < 0) samples_per_block = (block_align - 4 * channels) * 2 / channels + 1;
  auto head = sound::WriteWaveFormat(f);
  std::vector<uint8_t> r(head.begin(), head.end());
  r.push_back(static_cast<uint8_t>(samples_per_block));
  r.push_back(static_cast<uint8_t>(samples_per_block >> 8));
  return r;
}

struct Decoded {
  Result result = Result::kFailed;
  std::vector<int16_t> samples;
  uint32_t source_used = 0;
};

// The seven calls, as a loader makes them.
Decoded Decode(const std::vector<uint8_t>& record, const std::vector<uint8_t>& data,
               uint32_t flags = codec::kConvertBlockAlign) {
  Decoded d;
  sound::WaveFormat pcm;
  pcm.format_tag = sound::kFormatPcm;
  if ((d.result = codec::SuggestFormat(record, &pcm, codec::kSuggestFormatTag)) != Result::kOk) return d;
  EXPECT_EQ(pcm.bits_per_sample, 16);
  codec::Stream* s = nullptr;
  if ((d.result = codec::OpenStream(&s, record, pcm)) != Result::kOk) return d;
  uint32_t size = 0;
  EXPECT_EQ(codec::StreamSize(s, static_cast<uint32_t>(data.size()), &size, codec::kSizeFromSource), Result::kOk);
  std::vector<uint8_t> out(size);
  codec::StreamHeader h;
  h.source = data;
  h.destination = out;
  EXPECT_EQ(codec::PrepareHeader(s, &h), Result::kOk);
  d.result = codec::Convert(s, &h, flags);
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kOk);
  EXPECT_EQ(codec::CloseStream(s), Result::kOk);
  d.samples.resize(h.destination_used / 2);
  std::copy_n(out.begin(), h.destination_used, reinterpret_cast<uint8_t*>(d.samples.data()));
  d.source_used = h.source_used;
  return d;
}

TEST(ImaAdpcm, HandWorkedBlocks) {
  struct Row {
    const char* what;
    uint16_t channels;
    std::vector<uint8_t> block;
    std::vector<int16_t> expected;
  } rows[] = {
      {"mono: steps 7, 16, 34, 31, 28 ...",
       1,
       {0, 0, 0, 0, 0xF7, 0x80, 0x00, 0x00},
       {0, 11, -19, -15, -18, -15, -12, -10, -8}},
      {"stereo: headers then 4-byte groups per channel, interleaved out",
       2,
       {0, 0, 0, 0, 100, 0, 0, 0, 0xF7, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
       {0, 100, 11, 100, -19, 100, -15, 100, -18, 100, -15, 100, -12, 100, -10, 100, -8, 100}},
      {"clamped at both ends; a step index beyond the table counts as 88",
       1,
       {0xFF, 0x7F, 200, 0, 0xF7, 0x0F, 0x00, 0x00},
       {32767, 32767, -28669, -32768, -28673, -24949, -21564, -18487, -15689}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Decoded d = Decode(AdpcmRecord(row.channels, static_cast<uint16_t>(row.block.size())), row.block);
    ASSERT_EQ(d.result, Result::kOk);
    EXPECT_EQ(d.samples, row.expected);
  }
}

TEST(ImaAdpcm, LengthsOfWholeAndCutShortBlocks) {
  struct Row {
    uint16_t channels;
    uint32_t blocks, tail_bytes, flags;
    uint32_t samples_per_channel, used;
  } rows[] = {
      {1, 3, 0, codec::kConvertBlockAlign, 3 * 505, 768},
      {1, 3, 100, codec::kConvertBlockAlign, 3 * 505, 768},  // the tail waits for a whole block
      {1, 3, 100, 0, 3 * 505 + 1 + 24 * 8, 868},             // header sample + 24 groups
      {1, 0, 3, 0, 0, 0},                                    // not even a header
      {2, 2, 0, codec::kConvertBlockAlign, 2 * 505, 1024},
      {2, 2, 8 + 8 + 7, 0, 2 * 505 + 1 + 8, 1024 + 23},  // one whole group of both channels
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.channels << " ch, " << row.blocks << " blocks + " << row.tail_bytes);
    const uint16_t align = static_cast<uint16_t>(256 * row.channels);
    std::vector<uint8_t> data(row.blocks * align + row.tail_bytes, 0x11);
    Decoded d = Decode(AdpcmRecord(row.channels, align), data, row.flags);
    ASSERT_EQ(d.result, Result::kOk);
    EXPECT_EQ(d.samples.size(), row.samples_per_channel * row.channels);
    EXPECT_EQ(d.source_used, row.used);
  }
}

TEST(ImaAdpcm, RandomBlocksMatchASlowDecoder) {
  std::mt19937 rng(7);
  for (int channels : {1, 2}) {
    for (int align : {36 * channels, 512 * channels}) {
      SCOPED_TRACE(testing::Message() << channels << " ch, align " << align);
      std::vector<uint8_t> data(static_cast<size_t>(align) * 5);
      for (auto& byte : data) byte = static_cast<uint8_t>(rng());
      Decoded d = Decode(AdpcmRecord(static_cast<uint16_t>(channels), static_cast<uint16_t>(align)), data);
      ASSERT_EQ(d.result, Result::kOk);
      const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
      EXPECT_EQ(d.samples, nltest::DecodeImaAdpcmBlocks(bytes, channels, size_t(align)));
    }
  }
}

TEST(ImaAdpcm, SizeQueriesInBothDirections) {
  const auto record = AdpcmRecord(1, 256);
  sound::WaveFormat pcm;
  ASSERT_EQ(codec::SuggestFormat(record, &pcm, 0), Result::kOk);
  EXPECT_EQ(pcm.format_tag, sound::kFormatPcm);
  EXPECT_EQ(pcm.samples_per_sec, 22050u);
  EXPECT_EQ(pcm.block_align, 2);
  codec::Stream* s = nullptr;
  ASSERT_EQ(codec::OpenStream(&s, record, pcm), Result::kOk);
  uint32_t n = 0;
  ASSERT_EQ(codec::StreamSize(s, 3 * 256 + 100, &n, codec::kSizeFromSource), Result::kOk);
  EXPECT_EQ(n, (3 * 505 + 193) * 2u);
  // Two blocks' samples hold two blocks and 3 more bytes, which give no sample.
  ASSERT_EQ(codec::StreamSize(s, 2 * 505 * 2, &n, codec::kSizeFromDestination), Result::kOk);
  EXPECT_EQ(n, 515u);
  EXPECT_EQ(codec::StreamSize(s, 1, &n, 7), Result::kInvalidParam);
  codec::CloseStream(s);
}

TEST(ImaAdpcm, RefusesRecordsItCannotTrust) {
  struct Row {
    const char* what;
    std::vector<uint8_t> record;
  } rows[] = {
      {"3 bits", AdpcmRecord(1, 256, 3)},
      {"no channels", AdpcmRecord(0, 256, 4, 505)},
      {"3 channels", AdpcmRecord(3, 256, 4, 505)},
      {"block of headers only", AdpcmRecord(1, 4, 4, 1)},
      {"stereo block not in whole groups", AdpcmRecord(2, 20, 4, 3)},
      {"samples per block disagree", AdpcmRecord(1, 256, 4, 504)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    sound::WaveFormat pcm;
    EXPECT_EQ(codec::SuggestFormat(row.record, &pcm, 0), Result::kNotPossible);
  }
  // Without its two extra bytes the record says nothing of its blocks.
  auto bare = AdpcmRecord(1, 256);
  bare.resize(18);
  bare[16] = 0;
  sound::WaveFormat pcm;
  EXPECT_EQ(codec::SuggestFormat(bare, &pcm, 0), Result::kNotPossible);
  // Only the suggested format opens.
  const auto good = AdpcmRecord(2, 512);
  codec::Stream* s = nullptr;
  for (const sound::WaveFormat& dest :
       {sound::PcmFormat(22050, 2, 8), sound::PcmFormat(44100, 2, 16), sound::PcmFormat(22050, 1, 16)}) {
    EXPECT_EQ(codec::OpenStream(&s, good, dest), Result::kNotPossible);
    EXPECT_EQ(s, nullptr);
  }
}

}  // namespace

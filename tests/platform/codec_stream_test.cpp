// The compression manager's calls: which formats it refuses, the header protocol, stale
// handles and injected failures.
#include <gtest/gtest.h>

#include <vector>

#include "platform/codec/codec.h"

namespace {

using plat::codec::Result;
namespace codec = plat::codec;
namespace sound = plat::sound;

std::vector<uint8_t> Record(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, std::vector<uint8_t> extra,
                            int claimed_extra = -1) {
  sound::WaveFormat f;
  f.format_tag = tag;
  f.channels = channels;
  f.samples_per_sec = rate;
  f.block_align = 1;
  f.bits_per_sample = bits;
  f.extra_size = static_cast<uint16_t>(claimed_extra < 0 ? extra.size() : claimed_extra);
  auto head = sound::WriteWaveFormat(f);
  std::vector<uint8_t> r(head.begin(), head.end());
  r.insert(r.end(), extra.begin(), extra.end());
  return r;
}

std::vector<uint8_t> Mp3Record() { return Record(sound::kFormatMpegLayer3, 2, 44100, 0, std::vector<uint8_t>(12)); }

TEST(CodecStream, RefusesWhatItCannotConvert) {
  std::vector<uint8_t> short_record = Mp3Record();
  short_record.resize(16);
  struct Row {
    const char* what;
    std::vector<uint8_t> record;
    Result expected;
  } rows[] = {
      {"PCM needs no conversion", Record(sound::kFormatPcm, 2, 44100, 16, {}), Result::kNotPossible},
      {"another codec", Record(0x0002, 2, 44100, 4, std::vector<uint8_t>(32)), Result::kNotPossible},
      {"MPEG 2.5 rate", Record(sound::kFormatMpegLayer3, 1, 11025, 0, std::vector<uint8_t>(12)), Result::kNotPossible},
      {"MPEG with 3 channels", Record(sound::kFormatMpegLayer3, 3, 44100, 0, std::vector<uint8_t>(12)),
       Result::kNotPossible},
      {"record without its extra-size field", short_record, Result::kInvalidParam},
      {"extra bytes announced but missing", Record(sound::kFormatMpegLayer3, 2, 44100, 0, std::vector<uint8_t>(4), 12),
       Result::kInvalidParam},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    sound::WaveFormat pcm = sound::PcmFormat(44100, 2, 16);
    EXPECT_EQ(codec::SuggestFormat(row.record, &pcm, 0), row.expected);
    codec::Stream* s = reinterpret_cast<codec::Stream*>(1);
    EXPECT_EQ(codec::OpenStream(&s, row.record, sound::PcmFormat(44100, 2, 16)), row.expected);
    EXPECT_EQ(s, nullptr);
  }
  sound::WaveFormat want;
  want.format_tag = sound::kFormatMpegLayer3;
  EXPECT_EQ(codec::SuggestFormat(Mp3Record(), &want, codec::kSuggestFormatTag), Result::kNotPossible);
  EXPECT_EQ(codec::SuggestFormat(Mp3Record(), &want, 0x00020000), Result::kInvalidParam);
  EXPECT_EQ(codec::SuggestFormat(Mp3Record(), nullptr, 0), Result::kInvalidParam);
}

TEST(CodecStream, HeadersMustBePreparedAndClosedStreamsAreGone) {
  codec::Stream* s = nullptr;
  ASSERT_EQ(codec::OpenStream(&s, Mp3Record(), sound::PcmFormat(44100, 2, 16)), Result::kOk);
  std::vector<uint8_t> out(16);
  codec::StreamHeader h;
  h.destination = out;
  EXPECT_EQ(codec::Convert(s, &h, 0), Result::kUnprepared);
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kUnprepared);
  ASSERT_EQ(codec::PrepareHeader(s, &h), Result::kOk);
  EXPECT_EQ(h.status, codec::kHeaderPrepared);
  EXPECT_EQ(codec::Convert(s, &h, 0x1000), Result::kInvalidParam);
  EXPECT_EQ(codec::Convert(s, &h, codec::kConvertStart | codec::kConvertEnd), Result::kOk);
  EXPECT_EQ(h.destination_used, 0u);  // no data, nothing out
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kOk);
  EXPECT_EQ(h.status & codec::kHeaderPrepared, 0u);
  ASSERT_EQ(codec::CloseStream(s), Result::kOk);

  uint32_t n;
  EXPECT_EQ(codec::CloseStream(s), Result::kInvalidHandle);
  EXPECT_EQ(codec::StreamSize(s, 100, &n, codec::kSizeFromSource), Result::kInvalidHandle);
  EXPECT_EQ(codec::PrepareHeader(s, &h), Result::kInvalidHandle);
  EXPECT_EQ(codec::Convert(s, &h, 0), Result::kInvalidHandle);
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kInvalidHandle);
  EXPECT_EQ(codec::CloseStream(nullptr), Result::kInvalidHandle);
}

TEST(CodecStream, InjectedBusyKeepsTheHeaderPreparedUntilATryGetsThrough) {
  codec::Stream* s = nullptr;
  ASSERT_EQ(codec::OpenStream(&s, Mp3Record(), sound::PcmFormat(44100, 2, 16)), Result::kOk);
  codec::StreamHeader h;
  ASSERT_EQ(codec::PrepareHeader(s, &h), Result::kOk);
  int busy_left = 2;
  codec::SetFailureHook(
      [&](codec::Op op) { return op == codec::Op::kUnprepare && busy_left-- > 0 ? Result::kBusy : Result::kOk; });
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kBusy);
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kBusy);
  EXPECT_EQ(h.status, codec::kHeaderPrepared);
  EXPECT_EQ(codec::UnprepareHeader(s, &h), Result::kOk);

  codec::SetFailureHook([](codec::Op op) { return op == codec::Op::kOpen ? Result::kOutOfMemory : Result::kOk; });
  codec::Stream* other = nullptr;
  EXPECT_EQ(codec::OpenStream(&other, Mp3Record(), sound::PcmFormat(44100, 2, 16)), Result::kOutOfMemory);
  EXPECT_EQ(other, nullptr);
  codec::ResetCodecForTests();
  EXPECT_EQ(codec::CloseStream(s), Result::kInvalidHandle);  // the reset closed it
}

}  // namespace

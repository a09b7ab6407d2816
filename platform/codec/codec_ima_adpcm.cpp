// IMA ADPCM to 16-bit PCM. A block starts with one header per channel (the first sample
// as s16, the step index, a reserved byte); then 4-byte groups alternate between the
// channels, each holding 8 samples of its channel, low nibble first.
#include <algorithm>
#include <array>

#include "platform/codec/codec_decoder.h"
#include "platform/codec/ima_adpcm_steps.h"
#include "platform/numeric/little_endian.h"

namespace plat::codec {
namespace {

constexpr uint32_t kHeaderBytesPerChannel = 4;
constexpr uint32_t kGroupBytes = 4;       // one channel's share of a group
constexpr uint32_t kSamplesPerGroup = 8;  // two per byte

struct ChannelState {
  int32_t predictor = 0;
  int index = 0;
};

int16_t DecodeNibble(ChannelState& c, uint8_t nibble) {
  const int32_t step = kImaStepTable[c.index];
  int32_t diff = step >> 3;
  if ((nibble & 4) != 0) diff += step;
  if ((nibble & 2) != 0) diff += step >> 1;
  if ((nibble & 1) != 0) diff += step >> 2;
  c.predictor += (nibble & 8) != 0 ? -diff : diff;
  c.predictor = std::clamp(c.predictor, -32768, 32767);
  c.index = std::clamp(c.index + kImaIndexStep[nibble & 7], 0, kImaMaxStepIndex);
  return static_cast<int16_t>(c.predictor);
}

void PutSample(uint8_t* out, size_t sample, int16_t v) {
  out[2 * sample] = static_cast<uint8_t>(v & 0xFF);
  out[2 * sample + 1] = static_cast<uint8_t>((static_cast<uint16_t>(v) >> 8) & 0xFF);
}

class ImaAdpcmDecoder final : public Decoder {
 public:
  ImaAdpcmDecoder(uint32_t channels, uint32_t block_align, uint32_t samples_per_block)
      : channels_(channels), block_align_(block_align), samples_per_block_(samples_per_block) {}

  uint64_t MaxOutputBytes(uint64_t source_bytes) const override {
    const uint64_t blocks = source_bytes / block_align_;
    return (blocks * samples_per_block_ + SamplesInPart(source_bytes % block_align_)) * channels_ * 2;
  }

  Result Convert(StreamHeader& h, uint32_t flags) override {
    const bool whole_blocks_only = (flags & kConvertBlockAlign) != 0;
    const uint8_t* src = h.source.data();
    uint64_t left = h.source.size();
    uint8_t* dst = h.destination.data();
    const uint64_t room_samples = h.destination.size() / (2 * channels_);
    uint64_t written = 0;  // frames
    uint64_t used = 0;
    while (left > 0) {
      const uint32_t bytes = left >= block_align_ ? block_align_ : static_cast<uint32_t>(left);
      if (bytes < block_align_ && whole_blocks_only) break;
      const uint32_t samples = SamplesInPart(bytes);
      if (samples == 0 || written + samples > room_samples) break;
      DecodeBlock(src + used, samples, dst + written * channels_ * 2);
      written += samples;
      used += bytes;
      left -= bytes;
    }
    h.source_used = static_cast<uint32_t>(used);
    h.destination_used = static_cast<uint32_t>(written * channels_ * 2);
    return Result::kOk;
  }

 private:
  // Samples per channel in the first `bytes` bytes of a block: the header sample, then 8
  // for every complete group of all channels.
  uint32_t SamplesInPart(uint64_t bytes) const {
    if (bytes >= block_align_) return samples_per_block_;
    if (bytes < kHeaderBytesPerChannel * channels_) return 0;
    const uint64_t groups = (bytes - kHeaderBytesPerChannel * channels_) / (kGroupBytes * channels_);
    return static_cast<uint32_t>(1 + groups * kSamplesPerGroup);
  }

  // Decodes the first `samples` samples of each channel of a block, interleaved.
  void DecodeBlock(const uint8_t* block, uint32_t samples, uint8_t* out) const {
    std::array<ChannelState, 2> state;
    for (uint32_t c = 0; c < channels_; ++c) {
      const uint8_t* hdr = block + c * kHeaderBytesPerChannel;
      state[c].predictor = static_cast<int16_t>(numeric::LoadLe16(hdr));
      // A step index beyond the table is damaged data; the nearest entry keeps it safe.
      state[c].index = std::min<int>(hdr[2], kImaMaxStepIndex);
      PutSample(out, c, static_cast<int16_t>(state[c].predictor));
    }
    const uint8_t* data = block + kHeaderBytesPerChannel * channels_;
    for (uint32_t g = 0; (1 + g * kSamplesPerGroup) < samples; ++g) {
      for (uint32_t c = 0; c < channels_; ++c) {
        const uint8_t* group = data + (g * channels_ + c) * kGroupBytes;
        for (uint32_t k = 0; k < kSamplesPerGroup; ++k) {
          const uint8_t byte = group[k / 2];
          const uint8_t nibble = (k % 2 == 0) ? (byte & 0x0F) : (byte >> 4);
          const size_t frame = 1 + g * kSamplesPerGroup + k;
          PutSample(out, frame * channels_ + c, DecodeNibble(state[c], nibble));
        }
      }
    }
  }

  uint32_t channels_;
  uint32_t block_align_;
  uint32_t samples_per_block_;
};

}  // namespace

bool ImaAdpcmTarget(const sound::WaveFormat& source, std::span<const uint8_t> extra, sound::WaveFormat* pcm) {
  if (source.format_tag != sound::kFormatImaAdpcm || source.bits_per_sample != 4) return false;
  if (source.channels != 1 && source.channels != 2) return false;
  if (source.samples_per_sec == 0 || extra.size() < 2) return false;
  const uint32_t header = kHeaderBytesPerChannel * source.channels;
  if (source.block_align <= header || (source.block_align - header) % (kGroupBytes * source.channels) != 0) {
    return false;
  }
  const uint32_t samples_per_block = uint32_t{numeric::LoadLe16(extra.data())};
  if (samples_per_block != (source.block_align - header) * 2u / source.channels + 1) return false;
  *pcm = sound::PcmFormat(source.samples_per_sec, source.channels, 16);
  return true;
}

std::unique_ptr<Decoder> MakeImaAdpcmDecoder(const sound::WaveFormat& source, std::span<const uint8_t> extra) {
  sound::WaveFormat pcm;
  if (!ImaAdpcmTarget(source, extra, &pcm)) return nullptr;
  const uint32_t header = kHeaderBytesPerChannel * source.channels;
  return std::make_unique<ImaAdpcmDecoder>(source.channels, source.block_align,
                                           (source.block_align - header) * 2u / source.channels + 1);
}

}  // namespace plat::codec

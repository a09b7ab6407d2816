// MPEG audio to 16-bit PCM through libmpg123, fed from memory.
#include <mpg123.h>

#include <algorithm>
#include <array>
#include <mutex>

#include "platform/codec/codec_decoder.h"

namespace plat::codec {
namespace {

// The smallest frame of each layer of a version: its samples and its length at the
// lowest bitrate. Padding only lengthens a frame and free format is not decoded, so
// every frame holds at least this many bytes per sample.
struct SmallestFrame {
  uint32_t samples;
  uint32_t length_numerator;  // length = numerator / rate (Layer I: x 4 after the division)
  bool layer1;
};
constexpr std::array<SmallestFrame, 3> kMpeg1Smallest = {
    {{384, 12000 * 32, true}, {1152, 144000 * 32, false}, {1152, 144000 * 32, false}}};
constexpr std::array<SmallestFrame, 3> kMpeg2Smallest = {
    {{384, 12000 * 32, true}, {1152, 144000 * 8, false}, {576, 72000 * 8, false}}};
constexpr uint32_t kHeaderBytes = 4;

bool IsMpeg1Rate(uint32_t r) { return r == 32000 || r == 44100 || r == 48000; }
bool IsMpeg2Rate(uint32_t r) { return r == 16000 || r == 22050 || r == 24000; }

void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

class MpegDecoder final : public Decoder {
 public:
  MpegDecoder(const sound::WaveFormat& source, mpg123_handle* handle)
      : channels_(source.channels), rate_(source.samples_per_sec), handle_(handle) {}
  ~MpegDecoder() override { mpg123_delete(handle_); }
  MpegDecoder(const MpegDecoder&) = delete;
  MpegDecoder& operator=(const MpegDecoder&) = delete;

  uint64_t MaxOutputBytes(uint64_t source_bytes) const override {
    const auto& rows = IsMpeg1Rate(rate_) ? kMpeg1Smallest : kMpeg2Smallest;
    uint64_t most = 0;
    for (const SmallestFrame& row : rows) {
      uint64_t length = row.length_numerator / rate_;
      if (row.layer1) length *= 4;
      const uint64_t frames = source_bytes / length + 1;
      most = std::max(most, frames * row.samples);
    }
    return most * channels_ * 2;
  }

  Result Convert(StreamHeader& h, uint32_t) override {
    if (!h.source.empty()) {
      if (!have_first_header_ && h.source.size() >= kHeaderBytes) {
        std::copy_n(h.source.begin(), kHeaderBytes, first_header_.begin());
        have_first_header_ = true;
      }
      if (mpg123_feed(handle_, h.source.data(), h.source.size()) != MPG123_OK) return Result::kFailed;
    }
    h.source_used = static_cast<uint32_t>(h.source.size());
    size_t written = 0;
    int r = Drain(h.destination, &written);
    // mpg123 confirms a stream's first frame by the header after it, so a lone frame
    // waits for more data. A copy of the first header lets it through; fed only while
    // nothing has come out yet, it cannot fall between two real frames of a longer stream.
    if (r == MPG123_NEED_MORE && produced_ + written == 0 && have_first_header_ && !tail_fed_) {
      tail_fed_ = true;
      if (mpg123_feed(handle_, first_header_.data(), kHeaderBytes) == MPG123_OK) {
        r = Drain(h.destination, &written);
      }
    }
    produced_ += written;
    h.destination_used = static_cast<uint32_t>(written);
    if (r == MPG123_NEED_MORE || r == MPG123_OK || r == MPG123_DONE) return Result::kOk;
    // A decoder error: what came out before it stands; with nothing at all it failed.
    return written > 0 ? Result::kOk : Result::kFailed;
  }

 private:
  // Reads decoded samples until the decoder wants input or the destination is full.
  int Drain(std::span<uint8_t> dest, size_t* written) {
    for (;;) {
      size_t got = 0;
      const int r = mpg123_read(handle_, dest.data() + *written, dest.size() - *written, &got);
      *written += got;
      if (r == MPG123_NEW_FORMAT) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        mpg123_getformat(handle_, &rate, &channels, &encoding);
        if (rate != static_cast<long>(rate_) || channels != static_cast<int>(channels_) ||
            encoding != MPG123_ENC_SIGNED_16) {
          return MPG123_ERR;
        }
        continue;
      }
      if (r != MPG123_OK) return r;
      if (*written == dest.size()) return MPG123_OK;
      if (got == 0) return MPG123_OK;
    }
  }

  uint32_t channels_;
  uint32_t rate_;
  mpg123_handle* handle_;
  std::array<uint8_t, kHeaderBytes> first_header_{};
  bool have_first_header_ = false;
  bool tail_fed_ = false;
  uint64_t produced_ = 0;  // bytes handed out so far
};

}  // namespace

bool MpegTarget(const sound::WaveFormat& source, sound::WaveFormat* pcm) {
  if (source.format_tag != sound::kFormatMpegLayer3) return false;
  if (source.channels != 1 && source.channels != 2) return false;
  if (!IsMpeg1Rate(source.samples_per_sec) && !IsMpeg2Rate(source.samples_per_sec)) return false;
  *pcm = sound::PcmFormat(source.samples_per_sec, source.channels, 16);
  return true;
}

std::unique_ptr<Decoder> MakeMpegDecoder(const sound::WaveFormat& source) {
  sound::WaveFormat pcm;
  if (!MpegTarget(source, &pcm)) return nullptr;
  InitLibraryOnce();
  int error = 0;
  mpg123_handle* h = mpg123_new(nullptr, &error);
  if (h == nullptr) return nullptr;
  const bool ready =
      mpg123_param(h, MPG123_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0) == MPG123_OK &&
      mpg123_format_none(h) == MPG123_OK &&
      mpg123_format(h, static_cast<long>(source.samples_per_sec), source.channels == 1 ? MPG123_MONO : MPG123_STEREO,
                    MPG123_ENC_SIGNED_16) == MPG123_OK &&
      mpg123_open_feed(h) == MPG123_OK;
  if (!ready) {
    mpg123_delete(h);
    return nullptr;
  }
  return std::make_unique<MpegDecoder>(source, h);
}

}  // namespace plat::codec

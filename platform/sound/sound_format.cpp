// Wave format records: reading and writing the little-endian file layout, and which
// formats the mixer plays.
#include <cstdint>

#include "platform/numeric/little_endian.h"
#include "platform/sound/sound.h"
#include "platform/sound/sound_state.h"

namespace plat::sound {
namespace {

using numeric::LoadLe16;
using numeric::LoadLe32;
using numeric::StoreLe16;
using numeric::StoreLe32;

}  // namespace

bool ReadWaveFormat(std::span<const uint8_t> record, WaveFormat* out) {
  if (record.size() < kWaveFormatShortBytes) return false;
  const uint8_t* p = record.data();
  out->format_tag = LoadLe16(p);
  out->channels = LoadLe16(p + 2);
  out->samples_per_sec = LoadLe32(p + 4);
  out->avg_bytes_per_sec = LoadLe32(p + 8);
  out->block_align = LoadLe16(p + 12);
  out->bits_per_sample = LoadLe16(p + 14);
  out->extra_size = record.size() >= kWaveFormatBytes ? LoadLe16(p + 16) : 0;
  return true;
}

std::array<uint8_t, kWaveFormatBytes> WriteWaveFormat(const WaveFormat& f) {
  std::array<uint8_t, kWaveFormatBytes> r{};
  StoreLe16(r.data(), f.format_tag);
  StoreLe16(r.data() + 2, f.channels);
  StoreLe32(r.data() + 4, f.samples_per_sec);
  StoreLe32(r.data() + 8, f.avg_bytes_per_sec);
  StoreLe16(r.data() + 12, f.block_align);
  StoreLe16(r.data() + 14, f.bits_per_sample);
  StoreLe16(r.data() + 16, f.extra_size);
  return r;
}

WaveFormat PcmFormat(uint32_t rate, uint16_t channels, uint16_t bits) {
  WaveFormat f;
  f.format_tag = kFormatPcm;
  f.channels = channels;
  f.samples_per_sec = rate;
  f.bits_per_sample = bits;
  f.block_align = static_cast<uint16_t>(channels * (bits / 8));
  f.avg_bytes_per_sec = rate * f.block_align;
  return f;
}

bool IsPlayableFormat(const WaveFormat& f) {
  // Block align and bytes per second are not checked: frames are taken as channels x
  // sample size, whatever a file's header claims.
  return f.format_tag == kFormatPcm && (f.channels == 1 || f.channels == 2) &&
         (f.bits_per_sample == 8 || f.bits_per_sample == 16) && f.samples_per_sec >= kMinFrequency &&
         f.samples_per_sec <= kMaxFrequency;
}

WaveFormat DefaultOutputFormat() { return PcmFormat(22050, 2, 8); }

}  // namespace plat::sound

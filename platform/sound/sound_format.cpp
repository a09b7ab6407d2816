// Wave format records: reading and writing the little-endian file layout, and which
// formats the mixer plays.
#include <cstdint>

#include "platform/sound/sound.h"
#include "platform/sound/sound_state.h"

namespace plat::sound {
namespace {

uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

bool ReadWaveFormat(std::span<const uint8_t> record, WaveFormat* out) {
  if (record.size() < kWaveFormatShortBytes) return false;
  const uint8_t* p = record.data();
  out->format_tag = GetU16(p);
  out->channels = GetU16(p + 2);
  out->samples_per_sec = GetU32(p + 4);
  out->avg_bytes_per_sec = GetU32(p + 8);
  out->block_align = GetU16(p + 12);
  out->bits_per_sample = GetU16(p + 14);
  out->extra_size = record.size() >= kWaveFormatBytes ? GetU16(p + 16) : 0;
  return true;
}

std::array<uint8_t, kWaveFormatBytes> WriteWaveFormat(const WaveFormat& f) {
  std::array<uint8_t, kWaveFormatBytes> r{};
  PutU16(r.data(), f.format_tag);
  PutU16(r.data() + 2, f.channels);
  PutU32(r.data() + 4, f.samples_per_sec);
  PutU32(r.data() + 8, f.avg_bytes_per_sec);
  PutU16(r.data() + 12, f.block_align);
  PutU16(r.data() + 14, f.bits_per_sample);
  PutU16(r.data() + 16, f.extra_size);
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
         (f.bits_per_sample == 8 || f.bits_per_sample == 16) &&
         f.samples_per_sec >= kMinFrequency && f.samples_per_sec <= kMaxFrequency;
}

WaveFormat DefaultOutputFormat() { return PcmFormat(22050, 2, 8); }

}  // namespace plat::sound

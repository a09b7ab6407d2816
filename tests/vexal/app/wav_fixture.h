// Sound files made in code for the sound tests: RIFF chunks and PCM WAV files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace soundtest {

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

// A chunk with its header; `size` as written (the real body may differ, for bad sizes).
inline Bytes Chunk(const char* id, const Bytes& body, int64_t size = -1, bool pad = true) {
  Bytes b;
  PutId(b, id);
  PutU32(b, static_cast<uint32_t>(size < 0 ? body.size() : size));
  b.insert(b.end(), body.begin(), body.end());
  if (pad && (body.size() & 1)) b.push_back(0);
  return b;
}

// A PCM format record of 16 bytes, or 18 with extra size 0.
inline Bytes PcmFormatRecord(uint16_t channels, uint32_t rate, uint16_t bits, bool with_extra = false) {
  Bytes b;
  PutU16(b, 1);
  PutU16(b, channels);
  PutU32(b, rate);
  PutU32(b, rate * channels * bits / 8);
  PutU16(b, channels * bits / 8);
  PutU16(b, bits);
  if (with_extra) PutU16(b, 0);
  return b;
}

// "RIFF" size "WAVE" and the chunks.
inline Bytes Riff(const std::vector<Bytes>& chunks) {
  Bytes body;
  PutId(body, "WAVE");
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes b;
  PutId(b, "RIFF");
  PutU32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// A 16-bit PCM WAV of the samples (interleaved when stereo).
inline Bytes PcmWav16(const std::vector<int16_t>& samples, uint32_t rate, uint16_t channels = 1) {
  Bytes data;
  for (int16_t s : samples) PutU16(data, static_cast<uint16_t>(s));
  return Riff({Chunk("fmt ", PcmFormatRecord(channels, rate, 16)), Chunk("data", data)});
}

inline std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }

}  // namespace soundtest

// Small readers the sound file decoders share: whole-byte reads through a stream and the
// little-endian fields of the file layouts.
#pragma once

#include <cstdint>

#include "vexal/app/sound/sound_decode.h"

namespace vexal {

// Bytes actually read (0 at the end).
inline uint32_t ReadBytes(const SoundSource& s, void* out, uint32_t n) {
  return static_cast<uint32_t>(s.funcs->Read(out, 1, n, s.stream));
}

// The stream's length in bytes; the stream is left at its start.
inline int64_t StreamSize(const SoundSource& s) {
  s.funcs->Seek(s.stream, 0, 2);
  const int64_t size = s.funcs->Tell(s.stream);
  s.funcs->Seek(s.stream, 0, 0);
  return size < 0 ? 0 : size;
}

inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void StoreU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace vexal

// Small readers the sound file decoders share: whole-byte reads through a stream. The
// little-endian fields of the file layouts are read with platform/numeric/little_endian.h.
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

}  // namespace vexal

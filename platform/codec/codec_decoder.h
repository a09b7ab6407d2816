// Inside the codec module: what each decoder offers the stream table. Not for callers of
// the module; they use codec.h.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/codec/codec.h"

namespace plat::codec {

class Decoder {
 public:
  virtual ~Decoder() = default;
  // Destination bytes that surely hold the conversion of `source_bytes` (UINT64 so that
  // a size beyond 32 bits can be refused by the caller).
  virtual uint64_t MaxOutputBytes(uint64_t source_bytes) const = 0;
  // Converts into header.destination, setting the used counts.
  virtual Result Convert(StreamHeader& header, uint32_t flags) = 0;
};

// The decoder for a source format (its record already checked to hold 18 bytes and the
// extra bytes it announces), or null when it cannot be decoded.
std::unique_ptr<Decoder> MakeImaAdpcmDecoder(const sound::WaveFormat& source, std::span<const uint8_t> extra);
std::unique_ptr<Decoder> MakeMpegDecoder(const sound::WaveFormat& source);

// The PCM format a source converts to; false when the decoder does not take the source.
bool ImaAdpcmTarget(const sound::WaveFormat& source, std::span<const uint8_t> extra, sound::WaveFormat* pcm);
bool MpegTarget(const sound::WaveFormat& source, sound::WaveFormat* pcm);

}  // namespace plat::codec

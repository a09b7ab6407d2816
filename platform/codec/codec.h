// The audio compression manager: turns compressed wave data into 16-bit PCM.
//
// Two source formats convert, each to signed 16-bit PCM of its own rate and channels:
// - MPEG audio (format tag 0x55, whatever the layer; MPEG-1 and MPEG-2 rates), decoded
//   by libmpg123 fed from memory. Encoder delay and padding that the stream declares
//   (an encoder's info frame) are trimmed, so the PCM has the length that was encoded.
// - IMA ADPCM (0x11, 4 bits, 1 or 2 channels), with our own decoder: blocks of
//   block_align bytes, samples_per_block (the 2 extra format bytes) =
//   (block_align - 4 x channels) x 2 / channels + 1.
// Everything else is refused with kNotPossible.
//
// A conversion runs as: SuggestFormat (the PCM format to ask for), OpenStream,
// StreamSize, PrepareHeader, Convert, UnprepareHeader, CloseStream. Source format
// records are given as stored in a file (18 bytes and their extra bytes).
//
// Calls are safe from any thread; one stream is used by one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "platform/sound/sound.h"

namespace plat::codec {

enum class Result : int32_t {
  kOk = 0,
  kInvalidParam,   // a null pointer, a malformed record, or flags this manager does not know
  kInvalidHandle,  // a stream this manager did not open, or one already closed
  kNotPossible,    // no conversion between these formats
  kBusy,           // the header is still in use (only a test injects it); try again
  kUnprepared,     // the header was not prepared
  kOutOfMemory,
  kFailed,  // the decoder failed, or a test injected it
};

struct Stream;  // opaque

// SuggestFormat: with kSuggestFormatTag the suggestion keeps dest's format tag (only
// PCM can be suggested); without it PCM is chosen.
constexpr uint32_t kSuggestFormatTag = 0x00010000;

// Fills `dest` with the PCM format the source converts to.
Result SuggestFormat(std::span<const uint8_t> source_format, sound::WaveFormat* dest, uint32_t flags);

// Opens a conversion from the source format to `dest`, which must be the suggested one.
Result OpenStream(Stream** out, std::span<const uint8_t> source_format, const sound::WaveFormat& dest);

// StreamSize directions: from a source size, the destination size that surely holds its
// conversion; from a destination size, the largest source whose conversion surely fits.
constexpr uint32_t kSizeFromSource = 0;
constexpr uint32_t kSizeFromDestination = 1;
Result StreamSize(Stream* stream, uint32_t bytes, uint32_t* out, uint32_t direction);

// Header status bits.
constexpr uint32_t kHeaderPrepared = 0x0001;
constexpr uint32_t kHeaderDone = 0x0002;

struct StreamHeader {
  std::span<const uint8_t> source;
  uint32_t source_used = 0;  // set by Convert
  std::span<uint8_t> destination;
  uint32_t destination_used = 0;  // set by Convert
  uint32_t status = 0;
};

Result PrepareHeader(Stream* stream, StreamHeader* header);

// Convert flags. kConvertBlockAlign converts whole source blocks only (an IMA ADPCM
// block cut short at the end is then left unused); kConvertStart begins the stream anew.
constexpr uint32_t kConvertBlockAlign = 0x0004;
constexpr uint32_t kConvertStart = 0x0010;
constexpr uint32_t kConvertEnd = 0x0020;

// Converts as much of the header's source as fits its destination. An MPEG stream keeps
// decoded samples that did not fit for the next Convert.
Result Convert(Stream* stream, StreamHeader* header, uint32_t flags);

Result UnprepareHeader(Stream* stream, StreamHeader* header);
Result CloseStream(Stream* stream);

// --- Test hooks ---
enum class Op { kSuggest, kOpen, kSize, kPrepare, kConvert, kUnprepare, kClose };
// Asked before each call: kOk lets it run, anything else is returned instead and the call
// does nothing. Null removes the hook.
void SetFailureHook(std::function<Result(Op)> hook);
// Closes every stream and removes the hook.
void ResetCodecForTests();

}  // namespace plat::codec

// IMA ADPCM decoded the slow, plain way the format is defined, for tests that check sound
// files and decoders against a decoding of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "tests/support/wav_file.h"

namespace nltest {

// Blocks of `block_bytes` for `channels` channels: each channel's header (the first sample,
// i16, the step index, a reserved byte), then groups of 4 bytes a channel in turn, each
// byte two samples, low nibble first. The samples come interleaved by channel. A cut last
// block gives the samples whose bytes are all there. A step index past the table is taken
// as its last (88) and counted in *past_table.
std::vector<int16_t> DecodeImaAdpcmBlocks(std::string_view data, int channels, size_t block_bytes,
                                          int* past_table = nullptr);

// The 16-bit samples of a mono IMA ADPCM WAV (format tag 0x11, 4 bits a sample); nullopt
// for anything else, a step index past the table included.
std::optional<Pcm16Wav> DecodeImaAdpcmWav(std::string_view bytes);

}  // namespace nltest

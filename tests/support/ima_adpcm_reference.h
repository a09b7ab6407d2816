// IMA ADPCM WAV files decoded the slow, plain way the format is defined, for tests that
// check sound files and decoders against a decoding of their own.
#pragma once

#include <optional>
#include <string>

#include "tests/support/wav_file.h"

namespace nltest {

// The 16-bit samples of a mono IMA ADPCM WAV (format tag 0x11, 4 bits a sample): each
// block a header of the first sample and the step index, then two samples a byte, low
// nibble first. nullopt for anything else, a step index past the table included.
std::optional<Pcm16Wav> DecodeImaAdpcmWav(const std::string& bytes);

}  // namespace nltest

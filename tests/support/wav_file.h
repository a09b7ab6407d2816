// WAV files read back, for tests that check the sound the game and the tools wrote: one
// walk over the RIFF chunks, and the 16-bit PCM samples.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nltest {

// A RIFF WAVE file's format chunk, as its first 16 bytes say, and its data chunk.
struct WavChunks {
  uint16_t format_tag = 0, channels = 0, block_align = 0, bits = 0;  // bits a sample
  uint32_t rate = 0;                                                 // frames a second
  std::string_view format, data;                                     // the whole format chunk, the data
};
// nullopt unless the bytes are a RIFF WAVE whose chunks are whole up to the first data
// chunk after a format chunk of 16 bytes or more (chunks are padded to even sizes).
std::optional<WavChunks> ReadWavChunks(std::string_view bytes);

struct Pcm16Wav {
  uint32_t rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved, channels values a frame
};

// nullopt unless the bytes hold a RIFF WAVE with a 16-bit PCM format chunk before its data;
// a cut last frame is dropped.
std::optional<Pcm16Wav> ReadPcm16Wav(std::string_view bytes);

// The same file with its channels averaged, one value a frame.
struct MonoWav {
  uint32_t rate = 0;
  std::vector<double> samples;
};
std::optional<MonoWav> ReadMonoWav(std::string_view bytes);

}  // namespace nltest

// Reads a 16-bit PCM WAV back, for tests that check the sound the game wrote.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nltest {

struct Pcm16Wav {
  uint32_t rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved, channels values a frame
};

// nullopt unless the bytes hold a RIFF WAVE with a 16-bit PCM format chunk before its data.
std::optional<Pcm16Wav> ReadPcm16Wav(const std::string& bytes);

// The same file with its channels averaged, one value a frame.
struct MonoWav {
  uint32_t rate = 0;
  std::vector<double> samples;
};
std::optional<MonoWav> ReadMonoWav(const std::string& bytes);

}  // namespace nltest

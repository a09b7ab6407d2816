// The melody waveforms: 100 single cycles of 256 signed 8-bit samples, read from one file
// ("Org\Wave100.dat", waveform w at bytes 256 w .. 256 w + 255).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace music {

inline constexpr int kWaveCount = 100;
inline constexpr int kWaveSamples = 256;
inline constexpr size_t kWaveTableBytes = kWaveCount * kWaveSamples;  // 25,600

using Waveform = std::array<int8_t, kWaveSamples>;
extern std::array<Waveform, kWaveCount> WaveTable;

// Reads the table; 1 read, 0 when the file cannot be opened or music is off. A short
// file leaves the rest of the table as it was.
int LoadWaveTable(std::string_view path);

void ResetWaveTableForTests();

}  // namespace music

// Owner of the melody waveform table.
#include "music/wave_table.h"

#include <cstdio>

#include "music/music_device.h"
#include "platform/fs/fs.h"

namespace music {

std::array<Waveform, kWaveCount> WaveTable{};  // zero until LoadWaveTable reads it

int LoadWaveTable(std::string_view path) {
  if (MusicDirectSound == nullptr) return 0;
  std::FILE* file = plat::fs::OpenFile(path, "rb");
  if (file == nullptr) return 0;
  std::fread(WaveTable.data(), 1, kWaveTableBytes, file);
  std::fclose(file);
  return 1;
}

void ResetWaveTableForTests() { WaveTable = {}; }

}  // namespace music

// Owner of the music's device pointer and master volume.
#include "music/music_device.h"

namespace music {

plat::sound::Device* MusicDirectSound = nullptr;          // null: music off
std::atomic<int32_t> MusicMasterVolume{kMaxMusicVolume};  // 0..127

void ResetMusicDeviceForTests() {
  MusicDirectSound = nullptr;
  MusicMasterVolume = kMaxMusicVolume;
}

}  // namespace music

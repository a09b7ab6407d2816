// The sound device the music plays on and the master volume: the two values every part
// of the synthesiser reads.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/sound/sound.h"

namespace music {

// The device handed over at start-up; null means music is off and every voice and
// player operation does nothing. The library owns it; the music never releases it.
extern plat::sound::Device* MusicDirectSound;

// 0..127; the tick scales every track volume by it. Written by the game thread, read by
// the song timer's thread.
inline constexpr int32_t kMaxMusicVolume = 127;
extern std::atomic<int32_t> MusicMasterVolume;

// Back to program start (no device, full volume).
void ResetMusicDeviceForTests();

}  // namespace music

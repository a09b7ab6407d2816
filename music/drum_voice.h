// Drum voices: one buffer per drum track holding a sample read from a WAV file, struck
// from its start at a rate that the note's key gives.
//
// Drum files are read at fixed offsets, not by walking their chunks: "RIFF" at 0, the
// 18-byte format record at 20, the sample byte count at 54 and the samples from 58. That
// is a RIFF file whose "fmt " chunk has an 18-byte body followed by one 12-byte chunk and
// then "data".
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/sound/sound.h"

namespace music {

inline constexpr int kDrumCount = 8;         // drum tracks 8..15
inline constexpr int kDrumSampleKinds = 12;  // a drum track's wave 0..11
inline constexpr int kStrikeMode = 1;        // PlayDrum's one mode

// Paths relative to the song file's folder.
inline constexpr std::array<const char*, kDrumSampleKinds> DrumSampleTable{
    "Org\\Bass01.wav", "Org\\Bass02.wav", "Org\\Snare01.wav", "Org\\Snare02.wav", "Org\\Tom01.wav",  "Org\\HiClose.wav",
    "Org\\HiOpen.wav", "Org\\Crash.wav",  "Org\\Per01.wav",   "Org\\Per02.wav",   "Org\\Bass03.wav", "Org\\Tom02.wav"};

// Fixed offsets of a drum file.
inline constexpr size_t kDrumFormatOffset = 20;
inline constexpr size_t kDrumSizeOffset = 54;
inline constexpr size_t kDrumHeaderBytes = 58;

// Drum rate for a key: key x 800 + 100 Hz.
constexpr uint32_t DrumRate(uint8_t key) { return key * 800u + 100u; }

extern std::array<plat::sound::Buffer*, kDrumCount> DrumBuffers;  // null when absent

// 1 loaded; 0 when the file is missing, not RIFF, too short, or the buffer fails (buffer
// failures are logged to ORG_ERROR.TXT).
int LoadDrumSample(std::string_view path, int drum);
void ReleaseDrumBuffer(int drum);
// Mode 1 restarts the sample from its start at the key's rate.
void PlayDrum(uint8_t key, int mode, int drum);
void SetDrumFrequency(uint8_t key, int drum);
void SetDrumPan(int pan, int drum);
void SetDrumVolume(int volume, int drum);

// Forgets every buffer without releasing it.
void ResetDrumVoicesForTests();

}  // namespace music

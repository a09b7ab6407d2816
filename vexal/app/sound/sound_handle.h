// Sound handles: whole sounds in sound buffers, each sound with 1..10 buffers of the same
// data so that it can sound several times at once.
#pragma once

#include <array>
#include <cstdint>

#include "platform/sound/sound.h"

namespace vexal {

inline constexpr int kSoundSlots = 512;          // sounds that can exist at once
inline constexpr int kSoundHandleTag = 0x20000;  // handle = tag | slot
inline constexpr int kMaxSoundBuffers = 10;      // buffers of one sound
inline constexpr int kSoundFileNameBytes = 256;  // the name field, terminator included
// Buffer flags of a sound, and the fall-back without frequency control and global focus.
inline constexpr uint32_t kSoundBufferFlags = plat::sound::kBufferCtrlVolume | plat::sound::kBufferCtrlPan |
                                              plat::sound::kBufferCtrlFrequency | plat::sound::kBufferStatic |
                                              plat::sound::kBufferGlobalFocus;
inline constexpr uint32_t kSoundBufferFallbackFlags =
    plat::sound::kBufferCtrlVolume | plat::sound::kBufferCtrlPan | plat::sound::kBufferStatic;

// Play types of StartSoundPlay; any other value plays as kSoundPlayBack.
inline constexpr int kSoundPlayNormal = 0;  // play once and wait until it has finished
inline constexpr int kSoundPlayBack = 1;    // play once and return at once
inline constexpr int kSoundPlayLoop = 3;    // loop until stopped

struct SoundRecord {
  int32_t InUse = 0;                                                  // the slot holds a sound
  char SoundFileName[kSoundFileNameBytes] = {};                       // as loaded, cut to 255 bytes
  std::array<plat::sound::Buffer*, kMaxSoundBuffers> SoundBuffers{};  // each holds the whole sound
  int32_t SoundBufferCount = 0;                                       // buffers made, 1..10
};

struct SoundHandleTableRecord {
  std::array<SoundRecord, kSoundSlots> Records;  // slot i is handle kSoundHandleTag | i
};
extern SoundHandleTableRecord SoundHandleTable;

// Loads a WAV or MP3 file into `count` buffers (1..10). Its handle, or -1 (no device, a bad
// count, a file that cannot be opened or decoded). A full table ends the program.
int AddSoundData(const char* file_name, int count);
// AddSoundData with one buffer.
int LoadSound(const char* file_name);
// Stops and frees a sound; with log non-zero the deletion is logged. 0, or -1.
int DeleteSound(int handle, int log);
// DeleteSound of every sound, lowest slot first. 0, or -1 without a device.
int DeleteAllSounds(int log);
// Plays a sound on a buffer that is not playing, else on the one that has played longest.
// 0, or -1 when a buffer operation fails.
int StartSoundPlay(int handle, int type);
// Stops every buffer of the sound and rewinds it. 0, or -1.
int StopSoundPlay(int handle);
// 1 while any buffer of the sound plays, 0 when none does; -1 for a bad handle.
int IsSoundPlaying(int handle);

// Empties the table without releasing anything (after plat::sound was reset).
void ResetSoundTableForTests();

}  // namespace vexal

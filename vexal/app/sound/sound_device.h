// The program's one sound device: started by the library's start-up, ended by every
// shut-down path, and handed to the music, which makes its own buffers on it. Without a
// device the program runs silent: every sound operation refuses to work.
#pragma once

#include <cstdint>

#include "platform/sound/sound.h"

namespace vexal {

// Starts the sound device, its primary buffer and the silent buffer that loops for the
// whole run. 0; -1 when the device cannot be made or set up, or is started already.
int InitDirectSound();
// Deletes every sound and ends the device. 0; -1 when it is not started.
int EndDirectSound();
// The device object for the music; null while not started.
plat::sound::Device* GetDirectSoundObject();
// Logs one output device of the start-up report; always goes on (true).
bool EnumSoundDeviceCallback(const plat::sound::DeviceInfo& device);

// The silent buffer: 400 zero bytes of 44100 Hz 16-bit stereo.
inline constexpr uint32_t kSilentBufferBytes = 400;
inline constexpr uint32_t kSilentBufferRate = 44100;
inline constexpr uint32_t kSilentBufferFlags = plat::sound::kBufferStatic | plat::sound::kBufferGlobalFocus;
// The primary format's rate is the device's largest secondary rate, at most this.
inline constexpr uint32_t kPrimaryMaxRate = 44100;

struct SoundDeviceStateRecord {
  plat::sound::Device* SoundObject = nullptr;    // null while not started
  plat::sound::Buffer* PrimaryBuffer = nullptr;  // the primary buffer
  plat::sound::Buffer* SilentBuffer = nullptr;   // loops all run; null when making it failed
};
extern SoundDeviceStateRecord SoundDeviceState;

// Forgets the device state without releasing anything (after plat::sound was reset).
void ResetSoundDeviceForTests();

}  // namespace vexal

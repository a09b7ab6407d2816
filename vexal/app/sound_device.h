// The sound device as far as start-up and shut-down use it. A stand-in for now: it only
// keeps the started state.
#pragma once

#include <cstdint>

namespace vexal {

// Starts the sound device. 0; -1 when it is started already.
int InitDirectSound();
// Ends it. 0; -1 when it is not started.
int EndDirectSound();
// The device object handed to the music; null while not started.
void* GetDirectSoundObject();

struct SoundDeviceStateRecord {
  int32_t Started = 0;  // InitDirectSound ran, EndDirectSound not yet
};
extern SoundDeviceStateRecord SoundDeviceState;

}  // namespace vexal

#include "vexal/app/sound_device.h"

namespace vexal {

SoundDeviceStateRecord SoundDeviceState;  // the one sound device

int InitDirectSound() {
  if (SoundDeviceState.Started) return -1;
  SoundDeviceState.Started = 1;
  return 0;
}

int EndDirectSound() {
  if (!SoundDeviceState.Started) return -1;
  SoundDeviceState.Started = 0;
  return 0;
}

void* GetDirectSoundObject() { return SoundDeviceState.Started ? &SoundDeviceState : nullptr; }

}  // namespace vexal

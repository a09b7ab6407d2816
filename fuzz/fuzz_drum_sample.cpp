// A drum sample (WAV) loaded into a drum voice.
#include "music/drum_voice.h"
#include "music_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterMusicDevice();
  if (!nlfuzz::WriteGameFile("drum.wav", data, size)) return 0;
  if (music::LoadDrumSample("drum.wav", 0) == 1) music::ReleaseDrumBuffer(0);
  return 0;
}

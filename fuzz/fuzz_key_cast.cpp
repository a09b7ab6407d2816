// The button assignment file keycast.ini.
#include "game/input/key_cast.h"
#include "scratch_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterScratchDir();
  if (!nlfuzz::WriteGameFile(game::kKeyCastFile, data, size)) return 0;
  game::KeyCast cast;  // reads the file
  return 0;
}

// The scrambled copy of a script file.
#include "game/codec/scrambled_copy.h"
#include "scratch_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterScratchDir();
  if (!nlfuzz::WriteGameFile("scrambled.bin", data, size)) return 0;
  game::XorCopyFile("scrambled.bin", "plain.bin");
  return 0;
}

// The LZ unpacker on a packed file.
#include "game/codec/lz_codec.h"
#include "scratch_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterScratchDir();
  if (!nlfuzz::WriteGameFile("packed.bin", data, size)) return 0;
  game::PackFile("packed.bin", "plain.bin", game::kPackFileModeUnpack);
  return 0;
}

// The sound-effect list wav\sound.csv (its rows name sounds that are not there).
#include "game/data/sound_table.h"
#include "scratch_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterScratchDir();
  if (!nlfuzz::WriteGameFile(game::kSoundListFile, data, size)) return 0;
  game::SoundTable table;
  table.LoadSoundTable();
  table.FreeSoundTable();
  return 0;
}

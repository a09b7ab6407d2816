// The sound-effect list wav\sound.csv (its rows name sounds that are not there).
#include "scratch_files.h"
#include "game/data/sound_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterScratchDir();
  if (!nlfuzz::WriteGameFile(game::kSoundListFile, data, size)) return 0;
  game::SoundTable table;
  table.LoadSoundTable();
  table.FreeSoundTable();
  return 0;
}

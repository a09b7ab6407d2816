// The save icon pack system\package16.grp.
#include "game/data/save_icons.h"
#include "game_data_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::FreshGameData();
  if (!nlfuzz::WriteGameFile(game::kSaveIconFile, data, size)) return 0;
  game::SaveIconPack pack;
  pack.LoadSaveIcons();
  return 0;
}

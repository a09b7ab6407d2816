// A save: the slot file (icon, packed layout) loaded whole, and the slot list file.
#include "game/data/save_game.h"
#include "game_data_fuzz.h"
#include "platform/fs/fs.h"
#include "scratch_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game::GameData& d = nlfuzz::FreshGameData();
  const std::string slot = game::SaveSlotFile(0);
  if (nlfuzz::WriteGameFile(slot, data, size)) d.LoadGame(0);
  plat::fs::DeleteFile(slot);
  if (nlfuzz::WriteGameFile(game::kSlotListFile, data, size)) d.ReadSlotSummaries();
  return 0;
}

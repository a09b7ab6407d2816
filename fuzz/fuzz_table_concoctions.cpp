// The database table game::kConcoctionFile, read with the rest of the database (all other tables absent).
#include "game_data_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game::GameData& d = nlfuzz::FreshGameData();
  if (!nlfuzz::WriteGameFile(game::kConcoctionFile, data, size)) return 0;
  d.LoadGameDatabase();
  return 0;
}

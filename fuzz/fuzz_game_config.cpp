// The settings file nlconfig.inf.
#include "game/entry/game_config.h"
#include "scratch_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterScratchDir();
  if (!nlfuzz::WriteGameFile(game::kGameConfigFile, data, size)) return 0;
  game::GameConfigTable config = game::ReadGameConfig();
  game::ConfiguredFontSheet(config);
  return 0;
}

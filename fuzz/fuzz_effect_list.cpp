// The battle's effect list system\effect.txt, read as a battle reads it, then every effect
// id drawn through its frames as the hit effects draw them, with the pictures loaded on
// first use and the oldest freed past the resident limit; at the end all are released.
#include <memory>

#include "battle_fuzz.h"
#include "game/battle/battle_effect.h"
#include "scratch_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterScratchDir();
  if (!nlfuzz::WriteGameFile(game::kEffectListFile, data, size)) return 0;
  game::SetBattleDrawCalls(nlfuzz::CountingBattleDrawCalls());
  auto effects = std::make_unique<game::BattleEffect>();  // reads the list
  for (int id = -1; id <= game::kEffectIds; ++id) {
    for (int frame = -1; frame <= game::kEffectMaxFrames; ++frame) effects->DrawEffect(160, 128, id, frame);
  }
  effects->ReleaseEffects();
  nlfuzz::ExpectNoGraphLoaded();
  return 0;
}

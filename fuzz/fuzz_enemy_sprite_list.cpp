// The enemy sprite list ene\enemydef.txt, read as the game reads it at start-up; then every
// sprite id requested, cut into cells and drawn through the 13 cache slots, and a fight
// against eight enemies wearing the sprites the list names, laid out and drawn for a
// while; at the end the sprites are released.
#include <array>
#include <memory>

#include "battle_fuzz.h"
#include "game/battle/battle_effect.h"
#include "game/frame/frame_loop.h"
#include "game_data_fuzz.h"
#include "scratch_files.h"

namespace {

constexpr int kFightFrames = 64;
constexpr int kFirstFrames[] = {0, 1, -1, 7, 8, 9, -2147483647 - 1, 2147483647};  // enemy value 1

int frame_number = 0;  // the fight's frame: decide is pressed every eighth

bool NoButton(int) { return false; }
bool DecideNow(int button) { return button == game::kButtonDecide && frame_number % 8 == 7; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  game::GameData& d = nlfuzz::FreshGameData();
  if (!nlfuzz::WriteGameFile(game::kEnemySpriteListFile, data, size)) return 0;
  game::SetBattleDrawCalls(nlfuzz::CountingBattleDrawCalls());
  game::ResetEnemyGraphCache();
  game::TheEnemyGraphCache.LoadEnemyDef();
  game::EnemyGraphCache& cache = game::TheEnemyGraphCache;

  for (int id = -1; id <= game::kEnemySprites; ++id) {
    cache.RequestEnemyGraph(id);
    for (int frame = -2; frame <= game::kEnemySpriteCells; ++frame) {
      cache.DrawEnemyGraph(0, 0, id, frame, frame % 2 == 0);
      cache.TickEnemyGraphs();
    }
  }
  cache.ReleaseEnemyGraphs();
  nlfuzz::ExpectNoGraphLoaded();

  // Eight enemies wearing the first sprites the list names (a sprite id the list left out
  // has no cells and draws nothing).
  std::array<int32_t, game::kBattleEnemies> group{};
  int named = 0;
  for (int id = 0; id < game::kEnemySprites && named < game::kBattleEnemies; ++id) {
    const game::EnemyDef& def = cache.Def(id);
    if (def.file[0] == 0 && def.width == 0 && def.height == 0 && def.last_cell == 0) continue;
    game::EnemyRecord& e = d.Enemies[named + 1];
    e.values[game::kEnemySpriteValue] = id;
    e.values[game::kEnemyFirstFrameValue] = kFirstFrames[named];
    e.values[game::kEnemyHpValue] = 1;
    group[named] = named + 1;
    ++named;
  }
  if (named == 0) return 0;
  game::ResetBattle();
  game::SetBattleKeys({NoButton, DecideNow, NoButton, [] {}});
  game::BattleHooks hooks;
  hooks.set_game_mode = [](int mode) { game::GameMode = mode; };
  game::SetBattleHooks(hooks);
  game::GameMode = game::MODE_BATTLE;
  game::TheBattle.StartBattle(group, 1, std::array<int32_t, game::kBattleSetupWords>{});
  for (frame_number = 0; frame_number < kFightFrames && game::GameMode == game::MODE_BATTLE; ++frame_number) {
    game::TheBattle.BattleFrame();
  }
  game::TheEnemyGraphCache.ReleaseEnemyGraphs();
  nlfuzz::ExpectNoGraphLoaded();
  return 0;
}

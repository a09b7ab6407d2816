// The battle as a game mode: how the field and scripts open a fight, and its frame.
#include "game/battle/battle.h"

namespace game {
namespace {
constexpr int kBattleMode = 2;
}

void EnterBattle(std::span<const int32_t, kBattleEnemies> group, int useGroup,
                 std::span<const int32_t, kBattleSetupWords> setup) {
  TheBattle.StartBattle(group, useGroup, setup);
  CurrentBattleHooks().set_game_mode(kBattleMode);
}

void BattleModeFrame() { TheBattle.BattleFrame(); }

}  // namespace game

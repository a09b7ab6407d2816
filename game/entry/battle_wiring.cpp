// The battle's services as the program has them now. The music manager is a stand-in: the
// battle's songs go to its PlayMusic; the standard battle song and the resumed field song
// have no call yet and stay silent.
#include "game/entry/battle_wiring.h"

#include "game/battle/battle.h"
#include "game/entry/frame_loop.h"
#include "game/entry/title_pending.h"
#include "game/entry/title_screen.h"

namespace game {

void WireBattle() {
  BattleHooks hooks;
  hooks.play_music = title_pending::PlayMusic;
  hooks.enter_title = [] { TheTitleScreen.EnterTitle(); };
  hooks.background_graph = [] { return ScreenCopyGraph; };
  hooks.set_game_mode = [](int mode) { GameMode = mode; };
  SetBattleHooks(hooks);
  TheEnemyGraphCache.LoadEnemyDef();
  TheBattle.effects.ReadEffectList();
  TheBattle.LoadBattleGraphics();
  SetGameModeHandler(MODE_BATTLE, BattleModeFrame);
}

}  // namespace game

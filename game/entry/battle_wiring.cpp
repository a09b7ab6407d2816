// The battle's services: the music manager, the title, the field's picture behind the
// battle and the game mode.
#include "game/entry/battle_wiring.h"

#include "game/battle/battle.h"
#include "game/entry/frame_loop.h"
#include "game/entry/title_screen.h"
#include "game/field/field_map.h"
#include "music/music_manager.h"

namespace game {

void WireBattle() {
  BattleHooks hooks;
  hooks.play_music = [](int entry) { music::TheMusicManager.PlayMusic(entry); };
  hooks.resume_music = [] { music::TheMusicManager.ResumeMusic(); };
  hooks.play_battle_music = [](int entry) { music::TheMusicManager.PlayBattleMusic(entry); };
  hooks.draw_field = [] { TheField.DrawField(); };
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

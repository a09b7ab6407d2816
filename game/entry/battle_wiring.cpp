// The battle's services: the music manager, the title, the field's picture behind the
// battle and the game mode. Its pictures and tables are loaded at start-up (InitGame).
#include "game/entry/battle_wiring.h"

#include "game/battle/battle.h"
#include "game/entry/title_screen.h"
#include "game/field/field_graphics.h"
#include "game/field/field_map.h"
#include "game/frame/frame_loop.h"
#include "music/music_manager.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

void WireBattle() {
  BattleHooks hooks;
  hooks.play_music = [](int entry) { music::TheMusicManager.PlayMusic(entry); };
  hooks.resume_music = [] { music::TheMusicManager.ResumeMusic(); };
  hooks.play_battle_music = [](int entry) { music::TheMusicManager.PlayBattleMusic(entry); };
  hooks.draw_field = [] { TheField.DrawField(); };
  // The field view's side borders, opaque, where the field draws them.
  hooks.draw_field_frame = [] {
    vexal::DrawGraph(0, 0, TheFieldGraphics.EdgeLeft, 0);
    vexal::DrawGraph(280, 0, TheFieldGraphics.EdgeRight, 0);
  };
  // The step that met the enemies is over, but its walking pose, heading and camera lead
  // would carry on into the field after the fight.
  hooks.stop_player_motion = [] { TheField.FieldResetPlayerMotion(); };
  hooks.enter_title = [] { TheTitleScreen.EnterTitle(); };
  hooks.background_graph = [] { return ScreenCopyGraph; };
  hooks.set_game_mode = [](int mode) { GameMode = mode; };
  SetBattleHooks(hooks);
  SetGameModeHandler(MODE_BATTLE, BattleModeFrame);
}

}  // namespace game

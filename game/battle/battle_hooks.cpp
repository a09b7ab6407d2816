// What the battle calls on outside itself: the keys, the music, the title and the field.
#include "game/battle/battle.h"
#include "game/input/key_cast.h"

namespace game {
namespace {

bool KeyDown(int b) { return KeyInput.IsButtonDown(b); }
bool KeyPressed(int b) { return KeyInput.IsButtonPressed(b); }
bool KeyRepeat(int b) { return KeyInput.IsButtonRepeat(b); }
void KeyClear() { KeyInput.ClearKeyCast(); }

void NoMusic(int) {}
void NoCall() {}
int NoGraph() { return -1; }
void NoMode(int) {}

BattleHooks hooks = {NoMusic, NoCall, NoMusic, NoCall, NoCall, NoCall, NoCall, NoGraph, NoMode};

}  // namespace

BattleKeys battle_keys = {KeyDown, KeyPressed, KeyRepeat, KeyClear};  // read by the input step

void SetBattleKeys(BattleKeys keys) {
  battle_keys.down = keys.down ? keys.down : KeyDown;
  battle_keys.pressed = keys.pressed ? keys.pressed : KeyPressed;
  battle_keys.repeat = keys.repeat ? keys.repeat : KeyRepeat;
  battle_keys.clear = keys.clear ? keys.clear : KeyClear;
}

void SetBattleHooks(BattleHooks h) {
  hooks.play_music = h.play_music ? h.play_music : NoMusic;
  hooks.resume_music = h.resume_music ? h.resume_music : NoCall;
  hooks.play_battle_music = h.play_battle_music ? h.play_battle_music : NoMusic;
  hooks.enter_title = h.enter_title ? h.enter_title : NoCall;
  hooks.draw_field = h.draw_field ? h.draw_field : NoCall;
  hooks.draw_field_frame = h.draw_field_frame ? h.draw_field_frame : NoCall;
  hooks.stop_player_motion = h.stop_player_motion ? h.stop_player_motion : NoCall;
  hooks.background_graph = h.background_graph ? h.background_graph : NoGraph;
  hooks.set_game_mode = h.set_game_mode ? h.set_game_mode : NoMode;
}

const BattleHooks& CurrentBattleHooks() { return hooks; }

}  // namespace game

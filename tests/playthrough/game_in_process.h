// The program's own start and frame loop (game/entry/game_main.cpp), run in a test's own
// process so that the test can look at the game between frames: the soak counts its
// tables, the story's player fights its fights. One start a process.
#pragma once

#include "game/entry/battle_wiring.h"
#include "game/entry/debug_switch.h"
#include "game/entry/game_start.h"
#include "game/entry/title_screen.h"
#include "game/frame/frame_loop.h"
#include "game/frame/play_timer.h"
#include "game/menu/field_menu.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_present.h"

namespace playtest {

// Starts the game in the working directory, as the program does, up to its title; false
// when the start-up failed.
inline bool StartGameHere() {
  vexal::ChangeWindowMode(1);
  vexal::SetDrawTarget(vexal::kBackScreen);
  vexal::AllowDirect3DGraphs(0);
  vexal::SetDrawOptionFlag(1);
  game::TheDebugOut.SetDebugOut(0);
  if (game::InitGame() != 0) return false;
  game::SetGameModeHandler(game::MODE_TITLE, game::TitleModeFrame);
  game::WireBattle();
  game::SetGameModeHandler(game::MODE_MENU, game::FieldMenuFrame);
  game::ThePlayTimer.StartPlayTimer(0);
  game::TheTitleScreen.EnterTitle();
  return true;
}

// One frame of the loop, presented; false when the game ends there (Escape, a closed window).
inline bool RunGameFrame() {
  vexal::ClearDrawTarget();
  game::RunGameModeFrame();
  if (game::EndFrame() != 0 || game::QuitRequested != 0) return false;
  vexal::PresentScreen();
  return true;
}

}  // namespace playtest

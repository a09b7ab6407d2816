// The program's entry and its frame loop.
#include "game/entry/game_main.h"

#include "game/entry/battle_wiring.h"
#include "game/entry/debug_switch.h"
#include "game/entry/game_start.h"
#include "game/entry/title_screen.h"
#include "game/frame/frame_loop.h"
#include "game/frame/play_timer.h"
#include "game/input/key_cast.h"
#include "game/menu/field_menu.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_present.h"

namespace game {

namespace {

constexpr int kCoarseBlending = 1;  // the software drawers blend in sixteenths

}  // namespace

int RunGame() {
  vexal::ChangeWindowMode(1);
  vexal::SetDrawTarget(vexal::kBackScreen);
  vexal::AllowDirect3DGraphs(0);
  vexal::SetDrawOptionFlag(kCoarseBlending);
  TheDebugOut.SetDebugOut(0);
  if (InitGame() != 0) return 0;

  SetGameModeHandler(MODE_TITLE, TitleModeFrame);
  WireBattle();
  SetGameModeHandler(MODE_MENU, FieldMenuFrame);
  ThePlayTimer.StartPlayTimer(0);
  TheTitleScreen.EnterTitle();
  if (!KeyInput.IsKeyPressed(kEscapeKey)) {
    for (;;) {
      vexal::ClearDrawTarget();
      RunGameModeFrame();
      if (EndFrame() != 0 || QuitRequested != 0) break;
      vexal::PresentScreen();
      if (KeyInput.IsKeyPressed(kEscapeKey)) break;
    }
  }
  ShutdownGame();
  return 0;
}

}  // namespace game

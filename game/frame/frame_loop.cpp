// The frame loop's state and the end of every frame.
#include "game/frame/frame_loop.h"

#include <array>

#include "game/frame/play_timer.h"
#include "game/frame/screen_wipe.h"
#include "game/frame/scroll_lock_lamp.h"
#include "game/input/key_cast.h"
#include "music/music_manager.h"
#include "platform/timer/timer.h"
#include "vexal/app/system/timing.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

inline constexpr int kGameModeCount = 4;  // MODE_FIELD .. MODE_TITLE

int GameMode = MODE_TITLE;      // which handler runs each frame
uint8_t QuitRequested = 0;      // set by EndFrame when the game must end
uint32_t FrameClock = 0;        // time of the current frame's release, ms
uint8_t WindowSizeDoubled = 0;  // settings entry 4 asked for 640 x 480
int ScreenCopyGraph = -1;       // made at start-up
int StretchGraph = -1;          // made at start-up when doubled
namespace {

std::array<GameModeHandler, kGameModeCount> mode_handlers{};  // frame handler per mode, null none

int Quit() {
  QuitRequested = 1;
  return 1;
}

}  // namespace

int EndFrame() {
  music::TheMusicManager.UpdateMusicFade();
  ThePlayTimer.TickPlayTimer();
  TheScreenWipe.DrawScreenBreak();
  if (WindowSizeDoubled != 0) {
    vexal::CopyScreenToGraph(0, 0, kGameScreenWidth, kGameScreenHeight, StretchGraph, 1);
    vexal::DrawExtendGraph(0, 0, kDoubledScreenWidth, kDoubledScreenHeight, StretchGraph, 0);
  }
  if (KeyInput.IsKeyHeld(kEscapeKey)) return Quit();
  TheScrollLockLamp.LampTick();
  if (vexal::PumpMessages() == -1) return Quit();
  for (;;) {
    // Signed, so the wait survives the clock wrapping.
    if (static_cast<int32_t>(vexal::GetTimeMs() - FrameClock) >= static_cast<int32_t>(kFrameMs)) {
      FrameClock = vexal::GetTimeMs();
      KeyInput.UpdateKeyCast();
      return 0;
    }
    TheScrollLockLamp.LampTick();
    if (vexal::PumpMessages() == -1) return Quit();
    plat::timer::PauseUntil(FrameClock + kFrameMs);
  }
}

bool ModalFrameEnds() { return EndFrame() != 0 || QuitRequested != 0; }

void RunGameModeFrame() {
  if (GameMode < 0 || GameMode >= kGameModeCount) return;
  if (mode_handlers[GameMode] != nullptr) mode_handlers[GameMode]();
}

void SetGameModeHandler(int mode, GameModeHandler handler) {
  if (mode >= 0 && mode < kGameModeCount) mode_handlers[mode] = handler;
}

void ResetFrameLoop() {
  GameMode = MODE_TITLE;
  QuitRequested = 0;
  FrameClock = 0;
  WindowSizeDoubled = 0;
  ScreenCopyGraph = -1;
  StretchGraph = -1;
  mode_handlers.fill(nullptr);
}

}  // namespace game

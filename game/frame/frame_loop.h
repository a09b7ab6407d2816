// The game's frame: which mode's handler runs, the 35 ms pacing that ends every frame of
// the main loop and of every modal screen, and the quit request that stops them all.
//
// EndFrame releases a frame at least kFrameMs after the previous release (measured from
// the release itself, so a late frame is not made up), pumping messages while it waits,
// and samples the keys at the release. Escape held, or the window closing, sets
// QuitRequested.
#pragma once

#include <cstdint>

namespace game {

inline constexpr uint32_t kFrameMs = 35;      // shortest frame; every frame counter assumes it
inline constexpr int kEscapeKey = 1;          // key code of Escape
inline constexpr int kGameScreenWidth = 320;  // every game drawing call works in these
inline constexpr int kGameScreenHeight = 240;
inline constexpr int kDoubledScreenWidth = 640;
inline constexpr int kDoubledScreenHeight = 480;

enum GameModeValue : int {
  MODE_FIELD = 0,
  MODE_MENU = 1,
  MODE_BATTLE = 2,
  MODE_TITLE = 3,
};

// The frame loop's state (owned by frame_loop.cpp).
extern int GameMode;               // which handler runs each frame
extern uint8_t QuitRequested;      // 1 once the game must end; every loop stops on it
extern uint32_t FrameClock;        // GetTimeMs at the current frame's release
extern uint8_t WindowSizeDoubled;  // the 320 x 240 picture is shown at 640 x 480
extern int ScreenCopyGraph;        // 320 x 240 graph that freezes a background
extern int StretchGraph;           // 320 x 240 graph the doubled picture goes through

// Ends a frame: music fades, play time, the screen break, doubling, then the wait and
// the key sample. 0 when the next frame may begin, 1 when the game must end.
int EndFrame();

// One frame of a modal screen ends: EndFrame, then the quit request. true when the
// modal loop must stop.
bool ModalFrameEnds();

// Runs the handler of the current game mode once (any other mode runs nothing).
void RunGameModeFrame();

// Per-mode frame handlers; a mode whose handler is not set runs nothing. The field's
// second run in a frame is the field's own business.
using GameModeHandler = void (*)();
void SetGameModeHandler(int mode, GameModeHandler handler);

// Back to the state at load, for tests.
void ResetFrameLoop();

}  // namespace game

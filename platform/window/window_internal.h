// What the files of the window stand-in share among themselves; not for callers.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/window/window.h"

namespace plat::window::internal {

// Starts SDL's video (once), leaving the screen saver alone; false when it cannot.
bool EnsureVideo();

// Whether a window exists (also while it is being destroyed), and what of it the queue
// and the events need.
bool IsLive(WindowHandle window);
WindowProc ProcOf(WindowHandle window);
Cursor ClassCursorOf(WindowHandle window);
WindowHandle WindowOfSdlId(uint32_t sdl_window_id);
std::vector<WindowHandle> LiveWindows();
// Notes that the user moved focus to or from the window.
void NoteFocus(WindowHandle window, bool active);
// A full-screen window was put at (x, y) (its picture's corner, in desktop coordinates):
// away from its display's corner, it asks to go there (a bounded number of times).
void FullScreenMoved(WindowHandle window, int32_t x, int32_t y);
// The SDL window's picture is at (x, y) after the X server was last asked for `request`
// (the display's corner when full screen began): asks again, that much nearer, and keeps
// the new request there. false when it is at the corner already or the video is not X11.
bool PutFullScreenCorner(SDL_Window* sdl, int32_t x, int32_t y, Point* request);

// Queue: drops every posted message of a window being destroyed.
void DropMessagesOf(WindowHandle window);
// Runs the event source once (SDL's queue, or the test's script).
void PollEvents();

// Test hooks.
void Trace(std::string_view call);
const Failures& CurrentFailures();

// Resets of each file's state, for ResetWindowStandIn.
void ResetWindows();
void ResetQueue();
void ResetEvents();
void ResetCursor();
void ResetCom();
void ResetRegions();
void ResetInstanceLockOverride();

}  // namespace plat::window::internal

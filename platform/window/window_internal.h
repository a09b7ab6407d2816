// What the files of the window stand-in share among themselves; not for callers.
#pragma once

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

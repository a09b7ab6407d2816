// What the graphics, input and sound code read of the window state. No side effects,
// except SetWindowDrawRect, which stores the draw area.
#pragma once

#include <cstdint>

#include "platform/window/window.h"

namespace vexal {

// Copies the client area's place on the desktop (left, top, right, bottom). 0.
int GetClientRectCopy(int32_t rect[4]);
int IsAppActive();
plat::window::WindowHandle GetMainWindow();
int IsWindowMode();
// Desktop size and colour depth at window creation; null pointers are skipped. 0.
int GetDesktopMode(int32_t* width, int32_t* height, int32_t* bits);
int GetRunInBackground();
int IsMmxUsable();
int IsWindowClosing();
int HasWindowRegion();
// Stores the draw area (left, top, right, bottom). 0.
int SetWindowDrawRect(const int32_t rect[4]);

}  // namespace vexal

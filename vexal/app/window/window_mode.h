// Window mode and full screen: the styles of each, switching between them, the title and
// the client area's place on the desktop.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/window/window.h"

namespace vexal {

inline constexpr uint32_t kWindowModeStyle =
    plat::window::kWsPopup | plat::window::kWsCaption | plat::window::kWsSysMenu | plat::window::kWsMinimizeBox;
inline constexpr uint32_t kWindowModeExStyle = plat::window::kWsExWindowEdge | plat::window::kWsExClientEdge;
inline constexpr uint32_t kFullScreenStyle = plat::window::kWsPopup;
inline constexpr uint32_t kFullScreenExStyle = plat::window::kWsExTopmost;
// Pixels the window-mode rectangle grows on every side beyond its frame.
inline constexpr int32_t kWindowModeMargin = 3;
// Longest wait of a window-mode change for the desktop to report its new mode, in ms.
inline constexpr uint32_t kModeChangeWaitMs = 2000;

// Switches between window mode (1) and full screen (0). Before the window exists it only
// stores the flag. 0, or the result of the screen-mode change.
int ChangeWindowMode(int flag);
// Sets style, place and cursor of the window for the current mode. 0.
int ApplyWindowStyle();
// Sets the title (CP932), kept for the window's creation. 0.
int SetWindowTitle(std::string_view text);
// The client area moved (lParam of the move message). 0.
int OnClientAreaChanged(intptr_t lparam);

// The outer rectangle of a window-mode window whose client area is w x h, centred on the desktop.
plat::window::Rect WindowModeRect(int32_t w, int32_t h);
// Resizes the window so its client area is w x h, keeping its top-left corner.
void FitClientArea(plat::window::WindowHandle window, int32_t w, int32_t h);
// Reads the client area's place on the desktop into AppState.ClientRect.
void ReadClientRect();

}  // namespace vexal

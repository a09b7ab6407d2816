// The main window's procedure: how the library reacts to each window message.
#pragma once

#include <cstdint>

#include "platform/window/window.h"

namespace vexal {

// Messages of the library's own.
inline constexpr uint32_t kMsgMciNotify = 0x3B9;  // media notification
inline constexpr uint32_t kMsgF10 = 0x46F;        // wParam 1: F10 went down, else up
inline constexpr uint32_t kMsgF12 = 0x470;        // wParam 1: F12 went down, else up

intptr_t MainWindowProc(plat::window::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);

}  // namespace vexal

// Message boxes with an OK button. With a display, a real SDL message box that waits
// for the user; with none (no DISPLAY or WAYLAND_DISPLAY, or SDL's dummy video driver),
// the text goes to standard error and the box is answered at once. A test can watch
// the boxes instead.
#pragma once

#include <functional>
#include <string_view>

namespace plat {

// Text and caption are CP932. Returns when the box has been answered.
void ShowMessageBox(std::string_view text, std::string_view caption);

// Receives every box (text, caption) instead of the screen; null restores the real boxes.
void SetMessageBoxHook(std::function<void(std::string_view text, std::string_view caption)> hook);

}  // namespace plat

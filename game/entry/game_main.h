// The program's entry: the library's first settings, start-up, the frame loop over the
// game modes until Escape or the end of the window, and shut-down.
#pragma once

namespace game {

// Runs the whole game; 0 (also when start-up fails).
int RunGame();

}  // namespace game

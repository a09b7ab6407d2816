// Drawing the on-screen log (its lines are kept by vexal/app/log/screen_log.h) over the picture.
#pragma once

namespace vexal {

// Draws every line that fits the screen, 16 pixels apart, white with a black edge. 0.
int ScreenLogDraw();

}  // namespace vexal

// What the application layer calls in the graphics core before the graphics core is
// built: minimal versions that succeed and do nothing. Each moves to its own module
// when that module arrives, and this file shrinks until it is gone.
#pragma once

namespace vexal {

// Screen width and height, 640 x 480 until a mode is set; either pointer may be null. 0.
int GetScreenSize(int* w, int* h);

// Stands in for the screen-mode change's effect on the screen size (tests use it).
void SeamSetScreenSize(int w, int h);

}  // namespace vexal

// The shaped-window option: a window region made from the opaque pixels of a picture.
#pragma once

#include <cstdint>

#include "platform/window/window.h"

namespace vexal {

// Shapes the window after a picture file; null removes the shape. 0, or -1 when the
// picture cannot be loaded (the old shape stays).
int SetWindowRegionGraph(const char* file);
// The opaque pixels (any byte non-zero) of an image as one rectangle per run per row.
// Rows are pitch bytes apart; 1 to 4 bytes a pixel. 0 for an image it cannot read.
plat::window::RegionHandle BuildRegionFromImage(int32_t width, int32_t height, const uint8_t* pixels, int32_t pitch,
                                                int32_t bytes_per_pixel);
// Paints the background picture into the client area; none is ever set, so nothing. 0.
int PaintWindowBackground(void* device_context);

}  // namespace vexal

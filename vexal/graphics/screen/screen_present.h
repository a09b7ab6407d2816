// Showing the finished back screen: a flip of the chain in full screen, or a copy onto the
// primary (at the window's client area in window mode), with the on-screen log drawn over
// it first; and the one surface-to-surface copy that goes through device contexts when
// the screen-mode change's speed test found that faster.
#pragma once

#include "platform/surface/surface.h"

namespace vexal {

// Presents the back screen. While drawing to the front screen with the vertical-blank
// wait on, only waits for one blank. While the application is inactive, waits for it to
// come back first. 0, or -1 without the device or when the pump reports the end.
int PresentScreen();
// The same by a copy, never a flip.
int PresentScreenByBlt();
// Copies rect of src to (x, y) of dst, directly or through device contexts. 0.
int BltToScreenDC(plat::surface::Surface* dst, plat::surface::Surface* src, int x, int y,
                  const plat::surface::Rect* rect);

}  // namespace vexal

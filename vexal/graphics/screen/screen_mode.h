// Changing the screen mode: the device and every main surface are torn down and built
// again for the new width, height, colour bits and refresh rate, falling back along a
// fixed chain when the display refuses a mode. Every graph handle is gone afterwards.
#pragma once

namespace vexal {

// The mode every chain ends in.
inline constexpr int kFallbackScreenWidth = 640;
inline constexpr int kFallbackScreenHeight = 480;
inline constexpr int kFallbackScreenColorBits = 16;
// How long a full-screen change lets the display settle (skipped under the virtual clock).
inline constexpr unsigned kFullScreenSettleMs = 500;

// Applies a mode (-1 keeps a value); without force an unchanged mode does nothing.
// Before the device exists the values are only stored. 0 the mode asked for (or one that
// differs only in refresh rate); -1 the previous mode was kept; -2 it fell back to
// 640 x 480 x 16. A display that takes none of the chain is fatal.
int ChangeScreenModeCore(int width, int height, int bits, int force, int refresh_rate);
// The public call (-1 keeps a value); every graph is deleted first, even when nothing
// changes. 0 the mode is the one asked for; -2 it fell back to 640 x 480 x 16 at refresh
// 0; -1 it is unchanged or some other mode.
int RequestScreenMode(int width, int height, int bits, int refresh_rate);

}  // namespace vexal

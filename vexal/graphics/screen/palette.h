// The 8-bit screen's palette: the built-in colours, the palette object the device shows
// them with, and its restore after the device came back.
//
// The built-in palette has black at 0, white at 255 and the fixed entries 16 (0, 0, 139),
// 128 (125, 102, 79) and 254 (253, 254, 239). Every other entry holds, in order of
// brightness (299 R + 587 G + 114 B; equal ones in the order below), one colour of the
// 6 x 6 x 6 cube of levels 0, 51, 102, 153, 204 and 255 (red slowest, blue fastest;
// black and white left out, they are entries 0 and 255), then the 37 greys
// round(k x 255 / 38) for k = 1 to 37.
#pragma once

#include <array>

#include "platform/surface/pixel_format.h"
#include "platform/surface/surface.h"

namespace vexal {

using PaletteTable = std::array<plat::PaletteEntry, plat::kPaletteSize>;

extern const PaletteTable kBuiltInPalette;

// On an 8-bit screen without a palette object: fills the screen's palette with the
// built-in colours and gives the primary (and the back surface in window mode, every
// back buffer of the chain in full screen) a palette object of them. 0; a palette that
// cannot be made is fatal.
int CreatePalette8();
// Gives a surface the palette object passed as context. 1: go on with the next surface.
int SetPaletteToSurface(plat::surface::Surface* surface, void* context);
// After the device came back, on an 8-bit screen: makes the palette object again with the
// colours the screen had. 0.
int RestorePalette();

}  // namespace vexal

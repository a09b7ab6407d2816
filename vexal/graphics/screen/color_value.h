// Colour values: red, green and blue turned into a pixel of the screen's format
// (ColorValue) and back. On an 8-bit screen a colour value is the index of the nearest
// palette entry.
#pragma once

#include <cstdint>

#include "vexal/graphics/screen/color_format.h"

namespace vexal {

using ColorValue = uint32_t;

// The screen pixel of red, green and blue (only their low 8 bits count); alpha bits 0.
ColorValue MakeColorValue(int red, int green, int blue);
// The same in the given format; on an 8-bit screen the nearest palette entry instead
// (smallest squared distance, the lower index on a tie).
uint32_t GetColorMatch8(const ColorFormatRecord* format, int red, int green, int blue);
// Red, green and blue of a screen pixel, each channel scaled to 0..255 (truncated).
// 0, or -1 on an 8-bit screen for a value that is no palette index.
int GetColorRGB(ColorValue color, int* red, int* green, int* blue);

}  // namespace vexal

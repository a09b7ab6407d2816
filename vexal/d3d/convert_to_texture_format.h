// The converter for pictures that come as GDI bitmap sections: the bitmap's pixels into a
// texture's layout, with alpha from a second bitmap or, for sources without alpha, from
// the transparent colour.
#pragma once

#include <cstdint>

#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// Writes the source rectangle at (destX, destY) of the destination. The alpha bitmap (null
// for none) has the source's layout and pitch; its alpha is the lowest byte of each pixel.
// - Same layout (colour bits, bytes, red/green/blue shifts, widths and masks) and no
//   alpha work: raw rows.
// - Same colour bits and red/green/blue masks, 16 or 32 bits, a destination with alpha,
//   and alpha work: alpha from the bitmap (scaled to the destination's alpha width), or,
//   for a source without alpha and no alpha bitmap, alpha 0 where the pixel equals the
//   transparent colour of the draw state in the destination format and full elsewhere.
// - Otherwise pixel by pixel: channels shifted to the destination's widths (new low bits
//   0); alpha from the bitmap, from the source's alpha, or full; no key test.
// Sources of 16, 24 or 32 bits. 0; -1 for a layout of another depth.
int ConvertImageToTextureFormat(void* destBits, int32_t destPitch, ColorFormatRecord destFormat, int32_t destX,
                                int32_t destY, const void* srcBits, const void* alphaBits, int32_t srcPitch,
                                ColorFormatRecord srcFormat, Rect srcRect);

}  // namespace vexal

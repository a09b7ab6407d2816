// The library's general converter of pixel rectangles between any two ColorFormatRecord
// layouts: image loading, mirrored loading, picture-to-DIB and picture-to-texture
// conversions all go through it.
//
// Pixels are read and written by the layout's colour bits, little-endian: 8 bits one
// byte, 16 bits one word, 24 bits three bytes (low word first, then the high byte), 32
// bits one word. A channel's value is (pixel & mask) >> shift and has `width` bits.
#pragma once

#include <cstdint>

#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// Writes the source rectangle (right and bottom exclusive) at (destX, destY) of the
// destination. Pitches are in bytes and may be anything the buffers have; the caller
// makes sure the rectangle lies inside the source (and the alpha source, which is read
// at the same place) and that the destination holds it.
// - Identical layouts (same colour bits and masks) with no alpha work are copied raw.
// - Otherwise each channel is moved to the destination's shift and widened or narrowed
//   by the difference of the widths (plain shifts: new low bits stay 0).
// - Alpha: from the red channel of the alpha source when one is given and the source
//   has no alpha; else the source's own alpha (0 when the destination has none); else
//   fully opaque.
// - mirror 1 writes each row reversed left to right; alphaOnly 1 writes red, green and
//   blue as 0. keyToAlpha and transparentColor change no pixel; option is always 0.
// An empty rectangle writes nothing. 0; -1 only for a layout whose colour bits are not
// 8, 16, 24 or 32.
int ConvertImageFormat(void* destBits, int32_t destPitch, const ColorFormatRecord* destFormat, const void* srcBits,
                       int32_t srcPitch, const ColorFormatRecord* srcFormat, const void* alphaBits, int32_t alphaPitch,
                       const ColorFormatRecord* alphaFormat, int32_t destX, int32_t destY, const Rect* srcRect,
                       int mirror, int keyToAlpha, uint32_t transparentColor, uint32_t option, int alphaOnly);

}  // namespace vexal

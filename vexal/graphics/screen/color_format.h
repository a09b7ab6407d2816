// ColorFormatRecord: how a pixel's bits hold red, green, blue and alpha. The screen,
// every picture in memory and every converter describe their pixels with one.
#pragma once

#include <cstdint>

#include "platform/surface/pixel_format.h"

namespace vexal {

struct ColorFormatRecord {
  uint8_t ColorBits;                                    // 8, 16, 24 or 32
  uint8_t BytesPerPixel;                                // ColorBits / 8
  uint8_t RedWidth, GreenWidth, BlueWidth, AlphaWidth;  // bits per channel; 0 = absent
  uint8_t RedShift, GreenShift, BlueShift, AlphaShift;  // lowest bit of each channel
  uint32_t RedMask, GreenMask, BlueMask, AlphaMask;
};

// The library's 24-bit picture format: blue in the lowest byte.
void SetPixelFormat24(ColorFormatRecord* format);
// A palette index: every channel reads the same byte.
void SetPixelFormat8(ColorFormatRecord* format);

// Describes a pixel format the display reported: bits, bytes, and each mask's shift (zero
// bits below its lowest set bit) and width (set bits from there); a zero mask gives 0 and
// 0. 0, or -1 before the device exists.
int MakeColorFormat(const plat::PixelFormat* source, ColorFormatRecord* out);

// A pixel of the source format in the destination format: each channel shifted to the
// destination's width (added low bits 0); a source without alpha gives full alpha.
uint32_t ConvertColorByFormat(const ColorFormatRecord* dest, const ColorFormatRecord* source, uint32_t pixel);

}  // namespace vexal

// ColorFormatRecord: how a pixel's bits hold red, green, blue and alpha. The screen,
// every picture in memory and every converter describe their pixels with one.
#pragma once

#include <cstdint>

namespace vexal {

struct ColorFormatRecord {
  uint8_t ColorBits;      // 8, 16, 24 or 32
  uint8_t BytesPerPixel;  // ColorBits / 8
  uint8_t RedWidth, GreenWidth, BlueWidth, AlphaWidth;  // bits per channel; 0 = absent
  uint8_t RedShift, GreenShift, BlueShift, AlphaShift;  // lowest bit of each channel
  uint32_t RedMask, GreenMask, BlueMask, AlphaMask;
};

// The library's 24-bit picture format: blue in the lowest byte.
void SetPixelFormat24(ColorFormatRecord* format);
// A palette index: every channel reads the same byte.
void SetPixelFormat8(ColorFormatRecord* format);

}  // namespace vexal

// The graph blitter's per-pixel work over surfaces that are already locked: colour key,
// alpha plane, brightness and blend mode, in 32-bit XRGB and 16-bit colour. Clipping,
// locking and the choice of the plain path are the caller's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vexal/graphics/screen/color_format.h"

namespace vexal {

inline constexpr uint32_t kFullBrightness = 0xFFFFFFFF;  // 255/255/255 in the upper bytes
inline constexpr int kXorBlendMode = 7;                  // 16-bit colour only

// The draw-state values one call needs.
struct BlitSettings {
  const ColorFormatRecord* Format = nullptr;  // the screen's pixel format
  int32_t BlendMode = 0;
  int32_t BlendParam = 255;               // p, 0-255
  uint32_t Brightness = kFullBrightness;  // red, green, blue in the three upper bytes
  bool Coarse = false;                    // CoarseBlendFlag: blend in sixteenths
  bool Keyed = false;                     // the piece is drawn with its colour key
  uint32_t KeyValue = 0;                  // the key in the screen's pixel format
};

// Where the pixels are: w x h of each, rows `Pitch` bytes apart.
struct BlitPixels {
  const uint8_t* Source = nullptr;
  ptrdiff_t SourcePitch = 0;
  const uint8_t* Alpha = nullptr;  // one byte per pixel; null without an alpha plane
  ptrdiff_t AlphaPitch = 0;
  const uint8_t* DestRead = nullptr;  // d: the destination itself or its work copy
  ptrdiff_t DestReadPitch = 0;
  uint8_t* Dest = nullptr;
  ptrdiff_t DestPitch = 0;
  int Width = 0;
  int Height = 0;
};

// Draws the rectangle. Depths other than 32 and 16, modes with no rule at the depth and
// the nothing-drawn parameters leave the destination unchanged. A 16-bit layout with a
// channel wider than 8 bits is not drawn either (the blend rows have 256 columns).
void BlitPiecePixels(const BlitSettings& settings, const BlitPixels& pixels);

}  // namespace vexal

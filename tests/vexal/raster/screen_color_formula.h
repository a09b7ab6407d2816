// The screen's colours worked out by hand for the drawing tests: a colour value's red, green
// and blue levels, and the value of three levels, from the screen's format record (masks,
// shifts, widths) or, on an 8-bit screen, its palette.
#pragma once

#include <cstdint>
#include <optional>

#include "vexal/graphics/screen/ddraw_state.h"

namespace rastertest {

struct Levels {
  uint32_t red = 0, green = 0, blue = 0;
};

// ((colour AND mask) >> shift) x 255 / (2^width - 1). A mask that is not one run of bits
// can give levels past 255; a missing channel reads 0 rather than dividing by zero.
inline uint32_t ChannelLevel(uint32_t color, uint32_t mask, int shift, int width) {
  if (width == 0) return 0;
  const uint64_t bits = (color & mask) >> shift;
  return static_cast<uint32_t>(bits * 255 / ((uint64_t{1} << width) - 1));
}

// ((level AND 255) >> (8 - width)) << shift. A channel wider than 8 bits takes the level in
// its top 8 bits: the shift runs the other way and the low width - 8 bits stay 0.
inline uint32_t ChannelBits(uint32_t level, int shift, int width) {
  const uint32_t byte = level & 0xFF;
  const uint32_t scaled = width <= 8 ? byte >> (8 - width) : byte << (width - 8);
  return scaled << shift;
}

// A colour value's levels; nothing for an 8-bit value past the palette.
inline std::optional<Levels> LevelsOf(uint32_t color) {
  const vexal::DDrawStateRecord& s = vexal::DDrawState;
  if (s.ScreenColorBits == 8) {
    if (color >= static_cast<uint32_t>(plat::kPaletteSize)) return std::nullopt;
    const plat::PaletteEntry& e = s.Screen.Palette[color];
    return Levels{e.red, e.green, e.blue};
  }
  const vexal::ColorFormatRecord& f = s.Screen.Format;
  return Levels{ChannelLevel(color, f.RedMask, f.RedShift, f.RedWidth),
                ChannelLevel(color, f.GreenMask, f.GreenShift, f.GreenWidth),
                ChannelLevel(color, f.BlueMask, f.BlueShift, f.BlueWidth)};
}

// The screen value of three levels: on an 8-bit screen the palette index nearest in squared
// distance, the lowest index on a tie.
inline uint32_t ValueOf(const Levels& l) {
  const vexal::DDrawStateRecord& s = vexal::DDrawState;
  if (s.ScreenColorBits == 8) {
    const int r = static_cast<int>(l.red & 0xFF), g = static_cast<int>(l.green & 0xFF),
              b = static_cast<int>(l.blue & 0xFF);
    uint32_t best = 0;
    int best_distance = 0xFFFFFF;
    for (int i = 0; i < plat::kPaletteSize; ++i) {
      const plat::PaletteEntry& e = s.Screen.Palette[static_cast<size_t>(i)];
      const int dr = e.red - r, dg = e.green - g, db = e.blue - b;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < best_distance) {
        best_distance = distance;
        best = static_cast<uint32_t>(i);
      }
    }
    return best;
  }
  const vexal::ColorFormatRecord& f = s.Screen.Format;
  return ChannelBits(l.red, f.RedShift, f.RedWidth) | ChannelBits(l.green, f.GreenShift, f.GreenWidth) |
         ChannelBits(l.blue, f.BlueShift, f.BlueWidth);
}

}  // namespace rastertest

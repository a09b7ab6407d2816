#include "platform/surface/pixel_format.h"

#include <array>
#include <bit>
#include <cstring>

namespace plat {
namespace {

struct Channel {
  uint32_t mask;
  int shift;
  uint32_t max;  // 2^width - 1; 0 for a missing channel
};

Channel ChannelOf(uint32_t mask) {
  if (mask == 0) return {0, 0, 0};
  int shift = std::countr_zero(mask);
  int width = std::countr_one(mask >> shift);
  uint32_t max = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
  return {mask, shift, max};
}

uint8_t Expand(const Channel& c, uint32_t pixel) {
  if (c.max == 0) return 0;
  uint64_t v = (pixel & c.mask) >> c.shift;
  return static_cast<uint8_t>(v * 255 / c.max);
}

uint32_t ReadPixel(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1: return p[0];
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 3: return p[0] | (p[1] << 8) | (p[2] << 16);
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

}  // namespace

bool IsSurfaceFormat(const PixelFormat& format) {
  if (format.fourcc != 0) return false;
  if (format.bit_count == 8) {
    return format.palettised && format.red_mask == 0 && format.green_mask == 0 && format.blue_mask == 0 &&
           format.alpha_mask == 0;
  }
  if (format.palettised) return false;
  if (format.bit_count != 16 && format.bit_count != 32) return false;
  uint64_t limit = (uint64_t{1} << format.bit_count) - 1;
  uint32_t masks[] = {format.red_mask, format.green_mask, format.blue_mask, format.alpha_mask};
  uint32_t seen = 0;
  for (uint32_t m : masks) {
    if (m > limit || (m & seen) != 0) return false;
    seen |= m;
  }
  return true;
}

void PixelToRgb(const PixelFormat& format, uint32_t pixel, const PaletteEntry* palette, uint8_t rgb[3]) {
  if (format.palettised) {
    uint8_t i = static_cast<uint8_t>(pixel);
    if (palette != nullptr) {
      rgb[0] = palette[i].red;
      rgb[1] = palette[i].green;
      rgb[2] = palette[i].blue;
    } else {
      rgb[0] = rgb[1] = rgb[2] = i;
    }
    return;
  }
  rgb[0] = Expand(ChannelOf(format.red_mask), pixel);
  rgb[1] = Expand(ChannelOf(format.green_mask), pixel);
  rgb[2] = Expand(ChannelOf(format.blue_mask), pixel);
}

void RowToRgb(const PixelFormat& format, const uint8_t* row, int width, const PaletteEntry* palette, uint8_t* rgb_out) {
  const int bytes = BytesPerPixel(format);
  if (format.palettised) {
    for (int x = 0; x < width; ++x) PixelToRgb(format, row[x], palette, rgb_out + 3 * x);
    return;
  }
  const Channel ch[3] = {ChannelOf(format.red_mask), ChannelOf(format.green_mask), ChannelOf(format.blue_mask)};
  // Channels of up to 8 bits go through a table; wider ones are worked out per pixel.
  std::array<std::array<uint8_t, 256>, 3> table{};
  bool small[3];
  for (int c = 0; c < 3; ++c) {
    small[c] = ch[c].max <= 255;
    if (small[c] && ch[c].max != 0) {
      for (uint32_t v = 0; v <= ch[c].max; ++v) table[c][v] = static_cast<uint8_t>(v * 255 / ch[c].max);
    }
  }
  for (int x = 0; x < width; ++x) {
    uint32_t p = ReadPixel(row + x * bytes, bytes);
    for (int c = 0; c < 3; ++c) {
      uint8_t v;
      if (ch[c].max == 0)
        v = 0;
      else if (small[c])
        v = table[c][(p & ch[c].mask) >> ch[c].shift];
      else
        v = Expand(ch[c], p);
      rgb_out[3 * x + c] = v;
    }
  }
}

}  // namespace plat

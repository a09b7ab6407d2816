#include "vexal/graphics/mask/mask_key_pixels.h"

#include <cstring>

namespace vexal {
namespace {

constexpr int kGroup = 4;  // mask bytes tested with one read

template <int Bytes>
void KeyRows(uint8_t* pixels, int32_t pixel_pitch, const uint8_t* mask, int32_t mask_pitch, int width, int height) {
  for (int y = 0; y < height; ++y) {
    uint8_t* p = pixels + static_cast<intptr_t>(y) * pixel_pitch;
    const uint8_t* m = mask + static_cast<intptr_t>(y) * mask_pitch;
    int x = 0;
    for (; x + kGroup <= width; x += kGroup) {
      uint32_t word;
      std::memcpy(&word, m + x, sizeof word);
      if (word == 0) {
        std::memset(p + x * Bytes, 0, kGroup * Bytes);
        continue;
      }
      // No zero byte in the word: all four pixels are shown as drawn.
      if (((word - 0x01010101u) & ~word & 0x80808080u) == 0) continue;
      for (int i = 0; i < kGroup; ++i) {
        if (m[x + i] == 0) std::memset(p + (x + i) * Bytes, 0, Bytes);
      }
    }
    for (; x < width; ++x) {
      if (m[x] == 0) std::memset(p + x * Bytes, 0, Bytes);
    }
  }
}

}  // namespace

void KeyUnmaskedPixels(uint8_t* pixels, int32_t pixel_pitch, const uint8_t* mask, int32_t mask_pitch, int width,
                       int height, int bytes_per_pixel) {
  switch (bytes_per_pixel) {
    case 1: return KeyRows<1>(pixels, pixel_pitch, mask, mask_pitch, width, height);
    case 2: return KeyRows<2>(pixels, pixel_pitch, mask, mask_pitch, width, height);
    case 3: return KeyRows<3>(pixels, pixel_pitch, mask, mask_pitch, width, height);
    case 4: return KeyRows<4>(pixels, pixel_pitch, mask, mask_pitch, width, height);
    default: return;
  }
}

}  // namespace vexal

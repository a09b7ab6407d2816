// The pixel loop of the mask's post-draw step: every pixel of a rectangle whose mask byte
// is 0 gets the colour key 0 (all of its bytes 0); the others are not touched. The mask is
// read four bytes at a time, and never outside the rectangle.
#pragma once

#include <cstdint>

namespace vexal {

// pixels: the rectangle's first pixel, rows pixel_pitch bytes apart; mask: its first mask
// byte, rows mask_pitch apart. bytes_per_pixel 1 to 4.
void KeyUnmaskedPixels(uint8_t* pixels, int32_t pixel_pitch, const uint8_t* mask, int32_t mask_pitch, int width,
                       int height, int bytes_per_pixel);

}  // namespace vexal

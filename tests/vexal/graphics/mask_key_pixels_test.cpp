// The post-draw keying loop: pixels under a 0 mask byte become 0, nothing else changes,
// and nothing outside the rectangle is read or written.
#include "vexal/graphics/mask/mask_key_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// One pixel at a time: a pixel whose mask byte (same x and y) is 0 gets the colour key 0 in
// every one of its bytes; every other byte stays as it was.
void KeyPixelByPixel(uint8_t* pixels, int32_t pixel_pitch, const uint8_t* mask, int32_t mask_pitch, int width,
                     int height, int bytes_per_pixel) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (mask[y * mask_pitch + x] != 0) continue;
      for (int b = 0; b < bytes_per_pixel; ++b) pixels[y * pixel_pitch + x * bytes_per_pixel + b] = 0;
    }
  }
}

TEST(MaskKeyPixelsTest, KeysExactlyThePixelsUnderZeroBytes) {
  // 7 x 2 pixels of 2 bytes in rows of 16 bytes; the mask rows are 8 bytes apart and
  // their eighth byte (outside the rectangle) is 0, which must not key the padding.
  const uint8_t mask[16] = {0,    0xFF, 0,    0,    0, 0,    1,    0,  //
                            0xFF, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0};
  std::vector<uint8_t> pixels(32, 0xAB);
  vexal::KeyUnmaskedPixels(pixels.data(), 16, mask, 8, 7, 2, 2);
  const bool keyed[2][8] = {{1, 0, 1, 1, 1, 1, 0, 0}, {0, 0, 0, 0, 1, 0, 0, 0}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 8; ++x) {
      const uint8_t want = keyed[y][x] ? 0 : 0xAB;
      EXPECT_EQ(pixels[y * 16 + x * 2], want) << x << "," << y;
      EXPECT_EQ(pixels[y * 16 + x * 2 + 1], want) << x << "," << y;
    }
  }
}

TEST(MaskKeyPixelsTest, MatchesThePixelByPixelLoopAtEveryDepthWidthAndOffset) {
  std::mt19937 random(7);
  for (int bytes = 1; bytes <= 4; ++bytes) {
    for (int width = 0; width <= 13; ++width) {
      for (int offset = 0; offset < 4; ++offset) {
        const int height = 3, mask_pitch = 20, pitch = 64;
        std::vector<uint8_t> mask(mask_pitch * height);
        // Mostly runs of 0 and 0xFF, as wipes are, with single bytes between.
        for (uint8_t& m : mask) m = random() % 3 == 0 ? 0 : (random() % 2 ? 0xFF : random() % 256);
        std::vector<uint8_t> fast(pitch * height), slow;
        for (uint8_t& p : fast) p = static_cast<uint8_t>(random() | 1);
        slow = fast;
        vexal::KeyUnmaskedPixels(fast.data() + offset * bytes, pitch, mask.data() + offset, mask_pitch, width, height,
                                 bytes);
        KeyPixelByPixel(slow.data() + offset * bytes, pitch, mask.data() + offset, mask_pitch, width, height, bytes);
        ASSERT_EQ(fast, slow) << "bytes " << bytes << " width " << width << " offset " << offset;
      }
    }
  }
}

}  // namespace

// The pixel loops behind blits and fills: rectangles of 1-, 2- or 4-byte pixels given by
// the address of their first pixel and a row pitch in bytes, chosen once per call (pixel
// size, key on or off, direction).
#pragma once

#include <cstdint>

namespace plat::surface {

// Copies w x h pixels. dst and src may be rectangles of the same memory that overlap in
// any direction. With key non-null, source pixels equal to *key (truncated to the pixel
// size) are left out.
void CopyPixels(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h,
                int bytes_per_pixel, const uint32_t* key);

// CopyPixels with a key, for w and h above 0.
void CopyKeyedPixels(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h,
                     int bytes_per_pixel, uint32_t key);

// Sets w x h pixels to value (truncated to the pixel size).
void FillPixels(uint8_t* dst, int32_t pitch, int w, int h, int bytes_per_pixel, uint32_t value);

}  // namespace plat::surface

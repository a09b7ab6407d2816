// GraphImage: a picture in memory in a described pixel format, rows top to bottom. The
// image loaders fill one and the converters and backends read it.
//
// The pixel block is a separate std::malloc allocation; whoever holds the GraphImage
// owns it and frees it with std::free.
#pragma once

#include <cstdint>

#include "platform/surface/surface.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// Largest picture the loaders accept: sides a surface can take (a larger picture would
// fail its graph's storage, which is fatal), and a pixel block well inside what a game
// picture needs, so a hostile size fails before allocating.
inline constexpr int64_t kMaxImageSide = plat::surface::kMaxSurfaceSide;
inline constexpr int64_t kMaxImageBytes = int64_t{1} << 28;

// True when a picture of width x height pixels with rows of rowBytes bytes is within the
// limits above (every argument is taken as given: nothing here can wrap).
constexpr bool ImageSizeAllowed(int64_t width, int64_t height, int64_t rowBytes) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide && rowBytes >= 1 &&
         rowBytes <= kMaxImageBytes && rowBytes * height <= kMaxImageBytes;
}

struct GraphImage {
  ColorFormatRecord ColorFormat;
  int32_t Width;
  int32_t Height;   // always positive: the first row is the top one
  int32_t Pitch;    // bytes from one row to the next
  uint8_t* Pixels;  // Height rows of Pitch bytes
};

}  // namespace vexal

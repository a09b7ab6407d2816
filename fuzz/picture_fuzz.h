// One picture reader on memory bytes, as a picture and as a 24-bit bitmap.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "vexal/graphics/pictures/image_loader_list.h"

using PictureReader = int (*)(void* source, uint32_t size, int sourceKind, int wantDib, vexal::GraphImage* image,
                              vexal::BitmapInfo** info, uint8_t** bits);

inline int FuzzPictureReader(PictureReader reader, const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);  // the readers take a non-const pointer
  for (int want_dib = 0; want_dib < 2; ++want_dib) {
    vexal::GraphImage image{};
    vexal::BitmapInfo* info = nullptr;
    uint8_t* bits = nullptr;
    if (reader(bytes.data(), static_cast<uint32_t>(bytes.size()), 1, want_dib, &image, &info, &bits) == 0) {
      std::free(image.Pixels);
      std::free(info);
      std::free(bits);
    }
  }
  return 0;
}

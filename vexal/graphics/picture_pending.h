// Picture files into bitmaps until they are built: the bitmap comes from a test.
#pragma once

#include <cstdint>
#include <optional>

#include "vexal/graphics/color_format.h"

namespace vexal {

// A picture file loaded into a device-independent bitmap; null when it cannot be.
struct DibSection {
  int32_t width = 0, height = 0;  // height > 0: rows bottom-up
  int32_t bits_per_pixel = 0;
  uint8_t* pixels = nullptr;      // rows padded to 4 bytes
};
using DibHandle = const DibSection*;
DibHandle CreateDIBGraph(const char* file, const void* memory, int memory_size, int source_is_memory,
                         int mirror, ColorFormatRecord* format);
// Width, height, bits and pixels of a bitmap. 0, or -1 for null.
int GetDibSectionInfo(DibHandle dib, DibSection* out);
int DeleteDibSection(DibHandle dib);

// Tests: CreateDIBGraph hands out this bitmap (for any file) from now on; nullopt: none.
void SeamSetDibImage(std::optional<DibSection> dib);

}  // namespace vexal

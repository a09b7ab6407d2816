// Pictures as bitmaps of the drawing interface (device-independent bitmap sections) in a
// chosen colour format, for the code that reads pixels straight from a bitmap: the
// window's shape, mask data, BMP data on 8-bit screens. Every bitmap made here stores
// its top row first.
#pragma once

#include <cstdint>

#include "vexal/graphics/pictures/dib_image.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// What a bitmap holds, as its owner reads it.
struct DibSection {
  int32_t width = 0, height = 0;  // height < 0: rows top-down; > 0: bottom-up
  int32_t bits_per_pixel = 0;
  uint8_t* pixels = nullptr;  // rows of (width x bits / 8) bytes raised to a multiple of 4
};
using DibHandle = const DibSection*;

// A picture file (file; or memorySize bytes at memory with sourceIsMemory 1) as a bitmap,
// reversed left to right with mirror 1. Its depth follows format: none gives 24 bits; a
// 16-bit format gives 16 bits in its masks; a 32-bit format gives 24 bits and format
// becomes the 24-bit format; any other format its own depth (16, 24 or 32 bits only).
// Null when the picture cannot be loaded or the bitmap made (logged).
DibHandle CreateDIBGraph(const char* file, const void* memory, int memorySize, int sourceIsMemory, int mirror,
                         ColorFormatRecord* format);
// The same for a picture already in memory as a bitmap (info with its colour table or
// masks, and bits), which stays the caller's. A 16-bit format, or one of 25 bits and
// more for a picture not of 24 bits, gives the format's masks; another 32-bit format
// falls back to 24 bits (changing format).
DibHandle CreateDIBInFormat(const BitmapInfo* info, const uint8_t* bits, int mirror, ColorFormatRecord* format);

// Width, height, bits and pixels of a bitmap. 0, or -1 for null.
int GetDibSectionInfo(DibHandle dib, DibSection* out);
// Frees a bitmap made here. 0, or -1 for null or a bitmap not made here.
int DeleteDibSection(DibHandle dib);

// Tests: bitmaps made here and not deleted.
int LiveDibSectionCount();

}  // namespace vexal

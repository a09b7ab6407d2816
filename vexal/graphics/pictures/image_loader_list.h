// Reading pictures from files or memory: the three readers (BMP, PNG, raw "BGRA"), the
// list that tries them in order, and the convention they share.
//
// Reader convention: reader(source, size, sourceKind, wantDib, image, outInfo, outBits),
// 0 on success and -1 on failure, after freeing whatever it allocated.
// - sourceKind 0: source is a FILE* (plat::fs::OpenFile); the reader reads through the
//   file stream table from the current position and leaves the file open.
// - sourceKind 1: source points to size bytes; the reader reads them through a memory
//   stream it opens and closes itself, and never past the size.
// - wantDib 0: fills *image (the pixel block is the caller's, see graph_image.h).
//   wantDib 1: hands back a new 44-byte top-down 24-bit BitmapInfo through outInfo and
//   its bits through outBits (both the caller's, freed with std::free).
#pragma once

#include <cstdint>
#include <string_view>

#include "vexal/graphics/pictures/dib_image.h"
#include "vexal/graphics/pictures/graph_image.h"

namespace vexal {

using ImageReader = int (*)(void* source, uint32_t size, int sourceKind, int wantDib, GraphImage* image,
                            BitmapInfo** outInfo, uint8_t** outBits);

// Windows bitmaps: 1, 4 and 8 bits with a colour table, 16 bits (5:5:5 or bit fields),
// 24 and 32 bits; info headers of 40, 108 or 124 bytes; either row order. Always a
// 24-bit picture. Run-length coding is refused.
int LoadBmpToDib(void* source, uint32_t size, int sourceKind, int wantDib, GraphImage* image, BitmapInfo** outInfo,
                 uint8_t** outBits);

// PNG through libpng, 8 bits per channel: grey pictures come as 8-bit grey, colour ones
// as 24 bits, and any picture with transparency (an alpha channel or a tRNS chunk,
// grey ones too) as 32 bits with alpha. For a bitmap (wantDib 1) the alpha is dropped.
int LoadPngToDib(void* source, uint32_t size, int sourceKind, int wantDib, GraphImage* image, BitmapInfo** outInfo,
                 uint8_t** outBits);

// The raw "BGRA" format: a 16-byte header (the tag "BGRA", depth code 0x08080808 or
// 0x10101010, width, height, little-endian) and the rows top first. Always 32 bits with
// alpha; 16-bit channels keep their high byte.
int LoadBgraToDib(void* source, uint32_t size, int sourceKind, int wantDib, GraphImage* image, BitmapInfo** outInfo,
                  uint8_t** outBits);

// BGRA header values.
inline constexpr uint32_t kBgraDepth8 = 0x08080808u;
inline constexpr uint32_t kBgraDepth16 = 0x10101010u;

// The readers in the order they are tried, null-terminated.
extern const ImageReader ImageLoaderList[4];

// A picture from the file fileName (opened "rb") or, with sourceIsMemory 1, from
// memorySize bytes at memory, by the first reader that takes it (a file is rewound
// between readers). With mirror 1 the picture comes reversed left to right. wantDib 0
// fills *image; wantDib 1 fills *outInfo and *outBits as a reader does. 0 or -1.
int LoadImageByLoaderList(std::string_view fileName, const void* memory, uint32_t memorySize, int sourceIsMemory,
                          int wantDib, int mirror, GraphImage* image, BitmapInfo** outInfo, uint8_t** outBits);

}  // namespace vexal

// The device-independent bitmap form of a picture (an info header, then a colour table
// or the three bit-field masks, and a separate block of bits), its layouts, and the two
// converters between it and GraphImage.
//
// Layouts understood: 1, 4 and 8 bits through a colour table of (blue, green, red, 0)
// entries; 8 and 4 bits run-length coded (bottom row first, bmp_run_length.h); 16 bits
// 5:5:5 or bit fields; 24 bits (blue in the lowest byte); 32 bits (0x00RRGGBB) or bit
// fields. Rows are ((bits * width + 31) / 32) * 4 bytes; a positive height stores the
// bottom row first, a negative one the top row first.
//
// Every block here (info and bits) is a std::malloc allocation, freed with std::free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "vexal/graphics/pictures/graph_image.h"

namespace vexal {

// Compression codes of the info header.
inline constexpr uint32_t kBiRgb = 0;        // plain pixels
inline constexpr uint32_t kBiRle8 = 1;       // run-length coded 8 bits, bottom-up only
inline constexpr uint32_t kBiRle4 = 2;       // run-length coded 4 bits, bottom-up only
inline constexpr uint32_t kBiBitfields = 3;  // 16 or 32 bits; three masks follow the header

// Bytes of the info header the library writes (larger ones are read from files).
inline constexpr uint32_t kBitmapInfoHeaderSize = 40;

struct BitmapInfoHeader {
  uint32_t biSize;  // bytes of this header; the colour table or masks follow it
  int32_t biWidth;
  int32_t biHeight;  // negative: the top row comes first
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;  // bytes of the bits; a run-length stream's length
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;  // entries in the colour table; 0 means 2^biBitCount
  uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == kBitmapInfoHeaderSize);

// The 44-byte form the readers hand back: a header and one colour-table word. A
// caller's info may be longer (a full colour table, or the three masks).
struct BitmapInfo {
  BitmapInfoHeader bmiHeader;
  uint32_t bmiColors[1];
};
static_assert(sizeof(BitmapInfo) == 44);

// Bytes per row of a bitmap `width` pixels wide at `bitCount` bits (width >= 0).
constexpr int64_t DibRowBytes(int64_t width, int bitCount) { return ((bitCount * width + 31) / 32) * 4; }

// Everything needed to read a bitmap's bits, taken out of its info.
struct DibLayout {
  int32_t width;          // >= 1
  int32_t height;         // as stored: negative means top row first, never 0
  int bitCount;           // 1, 4, 8, 16, 24 or 32
  uint32_t compression;   // kBiRgb, kBiBitfields, kBiRle8 or kBiRle4
  uint32_t masks[3];      // red, green, blue for kBiBitfields
  uint32_t palette[256];  // (blue, green, red, 0) entries; unused ones are 0
  size_t codedBytes;      // bytes of a run-length stream
};

// True for the two run-length compressions.
constexpr bool IsRunLength(uint32_t compression) { return compression == kBiRle8 || compression == kBiRle4; }

// Fills the header of a top-down 24-bit bitmap of the given size (colour word 0).
void SetDib24Info(BitmapInfo* info, int32_t width, int32_t height);

// True when a header describes a bitmap the library can read: width 1 or more, height
// not 0 (nor the one value whose size has no positive twin), both sides and the bits
// within the image limits, 1, 4, 8, 16, 24 or 32 bits, kBiRgb, kBiBitfields at 16, 24
// or 32 bits, or a bottom-up kBiRle8 at 8 bits or kBiRle4 at 4. Unknown compressions
// are refused.
bool DibHeaderReadable(const BitmapInfoHeader& header);

// Colour-table entries a bitmap of this header stores: biClrUsed when it is 1 to
// 2^bits, else 2^bits; 0 above 8 bits.
uint32_t DibPaletteEntries(const BitmapInfoHeader& header);

// The layout of an info in memory (its colour table or masks directly after biSize
// bytes, its masks at byte 40; a run-length stream of biSizeImage bytes). false when
// DibHeaderReadable refuses it, or for a run-length stream of no stated length.
bool DibLayoutFromInfo(const BitmapInfo* info, DibLayout* layout);

// Draws bits of any layout above into a top-down 24-bit block of DibRowBytes(width,
// 24) bytes per row (the padding is written as 0). Channels narrower than 8 bits are
// scaled to the full range (31 of 5 bits becomes 255). A run-length stream is the
// layout's codedBytes bytes; false for one that is refused (bmp_run_length.h).
bool DrawDibTo24(const DibLayout& layout, const uint8_t* bits, uint8_t* out);

// A picture described by a bitmap. Top-down 16-bit (5:5:5 or bit fields), 24-bit and
// 32-bit bit-field bitmaps are described as they are: with copyFlag other than 1 the
// image uses the bits in place and the result is copyFlag; with 1 it gets a copy and
// the result is 1. Every other layout is drawn into a new 24-bit block (result 1).
// -1 for a layout or size the library cannot read, a refused run-length stream, or no
// memory.
int DibToGraphImage(const BitmapInfo* info, const uint8_t* bits, GraphImage* image, int copyFlag);

// A top-down 24-bit bitmap of a picture. The caller gives the 44-byte info. The 24-bit
// picture whose pitch is already the bitmap's row length hands out its own pixels
// (result 0) unless forceCopy is 1; every other picture is copied or converted into a
// new block (result 1). -1 for no memory or a size out of range.
int GraphImageToDib(const GraphImage* image, BitmapInfo* info, uint8_t** outBits, int forceCopy);

}  // namespace vexal

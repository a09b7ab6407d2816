// Mask data: pictures of mask bytes kept in a table of 512, stamped into the mask buffer
// by PutMaskData. A handle is the plain table index (0 to 511). Records are made zeroed,
// filled from 24-bit bitmaps (the blue byte of each pixel becomes the mask byte) and last
// until graph management ends.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "vexal/graphics/pictures/dib_section.h"

namespace vexal {

inline constexpr int kMaskDataMax = 512;        // records of the table
inline constexpr int kMaskDataMaxSide = 16384;  // widest and highest mask data accepted

// PutMaskData modes: which bytes of the data are written into the mask buffer.
inline constexpr int kPutMaskSkipFF = 0;    // all but 0xFF (0xFF is transparent)
inline constexpr int kPutMaskSkipZero = 1;  // all but 0x00
inline constexpr int kPutMaskAll = 2;       // every byte

struct MaskDataRecord {
  std::vector<uint8_t> Bytes;  // Pitch x Height bytes, zero at creation
  int32_t Pitch = 0;           // Width rounded up to 4
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Used = 0;  // the record is taken
};

extern std::array<MaskDataRecord, kMaskDataMax> MaskDataTable;

// A zeroed record of width x height (each 1 to kMaskDataMaxSide): the lowest free index,
// or -1 when all 512 are taken or a side is out of range.
int CreateMaskData(int width, int height);
// Fills the record from the bitmap, starting at (sx, sy) of the picture counted from its
// top row; record bytes the bitmap does not cover stay as they are. 0, -1 for a handle
// not taken or a bitmap that cannot be read.
int CopyBitmapToMaskData(DibHandle bitmap, int sx, int sy, int handle);
// Mask data from a picture file: its top row is the record's row 0. The handle, or -1.
int LoadMaskData(const char* file);
// Stamps the record with its top-left corner at (x, y) into the mask buffer by the mode,
// clipped to the draw area and the buffer. 0 (also without a mask surface), -1 for a
// handle not taken.
int PutMaskData(int x, int y, int handle, int mode);
// Every record free again.
void ReleaseAllMaskData();

}  // namespace vexal

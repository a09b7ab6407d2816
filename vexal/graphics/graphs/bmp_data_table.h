// The BMP data table: the records that hold the pixels of every DirectDraw-row piece and of
// the font cache. A BMP data handle is the plain slot index. Freed slots are handed out
// again, lowest first; scans run only up to one past the highest slot in use.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <span>

#include "vexal/graphics/graphs/bmp_data_record.h"

namespace vexal {

inline constexpr int kBmpDataMax = 3000;  // records that may exist at once

struct BmpDataTableRecord {
  std::array<BmpDataRecord*, kBmpDataMax> Own{};  // the table's slots; empty slots are null
  std::span<BmpDataRecord*> Slots{Own};           // the slots in use: Own, or a test's
  std::bitset<kBmpDataMax> Allocated;             // the slot's record was allocated here and is freed with it
  int32_t Count = 0;                              // occupied slots
  int32_t EndIndex = 0;                           // one past the highest occupied slot
};

extern BmpDataTableRecord BmpDataTable;

// A record of width x height: a view at (x, y) of parent's surface when share is set,
// else a surface of its own keyed with the draw state's transparent colour (and with an
// alpha plane when mask_flag is set). The piece's place and the owner graph are stored.
// The index, or -1 with a log line without the device, with a full table or without
// memory; a surface that cannot be set up ends the program.
int AddBmpData(int width, int height, uint16_t graph_x, uint16_t graph_y, uint32_t owner_graph, int share,
               const BmpDataRecord* parent, int x, int y, uint8_t mask_flag);
// Frees a record; its surface (and alpha plane) go with the last record that uses them.
// 0, also for an index that holds none and while drawing is suspended.
int DeleteBmpData(int index);
struct ColorFormatRecord;
struct GraphImage;

// Copies the record's rectangle of a picture, from (source_x, source_y), into the record's
// surface in the screen's format, fills its alpha plane (from the picture's alpha, else
// the red channel of alpha, else opaque) and sets its colour key again. Kind 1 takes the
// bitmap (a DibSection in format) and the blue bytes of a 24-bit alpha bitmap instead.
// On 8-bit screens each pixel becomes its nearest palette entry. Parts of the rectangle
// outside the picture are left as they are. 0; -1 without the device or for a bad index; 0 while
// drawing is suspended.
int GraphImageToBmpData(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int source_x,
                        int source_y, int index, int kind, const GraphImage* picture, const GraphImage* alpha);
// Deletes every record the table made, in index order (a test's records stay). 0.
int DeleteAllBmpData();
// The record of a slot, null when empty or outside the table.
BmpDataRecord* GetBmpData(int index);
// Unlocks a screen (-4 front, -3 first work surface, -2 back) or a graph's first piece. 0
// when it was unlocked (or for a bad handle), -1 when it was not locked or is a Direct3D graph.
int UnlockGraphSurface(int screen);

// Frees every record and empties the table, for tests.
void ResetBmpDataTable();
// The table is records from now on (null: empty slot; records are not freed by the table
// and DeleteAllBmpData passes them over);
// an empty span gives the table its own slots back, empty.
void SetBmpDataTableForTests(std::span<BmpDataRecord*> records);

}  // namespace vexal

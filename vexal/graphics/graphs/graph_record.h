// GraphRecord: what stands behind one graph handle — which backend row holds its pixels,
// the storage of each piece there, its size and colour format, and the file it came from
// so that a lost graph can be loaded again. The graph table (graph_table.h) owns them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// Pieces one graph can be stored in.
inline constexpr int kGraphPieceMax = 64;
// Longest file name a graph can be loaded again from (a 60-byte field with its end byte).
inline constexpr size_t kGraphFileNameMax = 59;

// The last copy of the screen put into a graph that no file gives back (a blank graph),
// in the screen's format: the restore handler puts it in again after a device loss.
struct KeptScreenCopy {
  std::vector<uint8_t> Pixels;  // Height rows of Pitch bytes; empty: nothing kept
  int32_t Pitch = 0;
  int32_t Width = 0, Height = 0;
  ColorFormatRecord Format{};
};

struct GraphRecord {
  uint8_t Row = 0;                                // backend row: 0 DirectDraw, 1 Direct3D
  uint8_t Alpha = 0;                              // the graph carries an alpha channel
  uint8_t Mirror = 0;                             // loaded left-right reversed; kept for reloading
  std::array<uint32_t, kGraphPieceMax> Pieces{};  // BMP data handles (row 0) or textures (row 1)
  uint8_t PieceCount = 0;                         // used entries of Pieces, written by the backend
  std::string FileName;                           // "" when not loaded from a file
  std::string Directory;                          // current directory at load time
  uint16_t SourceX = 0;                           // place of this graph inside the loaded picture
  uint16_t SourceY = 0;
  uint16_t Width = 0;
  uint16_t Height = 0;
  ColorFormatRecord ColorFormat{};  // pixel format of the storage, filled by the backend
  int32_t Link = -1;                // nothing reads it
  uint8_t PieceFlag = 0;            // one piece of a divided graph
  uint8_t NeedsRestore = 0;         // to be loaded again by the restore handler
  uint8_t NotRestorable = 0;        // its file name is too long to load it again from
  KeptScreenCopy ScreenCopy;        // a blank graph's picture, kept by CopyScreenToGraph
};

// Records where a graph was loaded from. A name longer than kGraphFileNameMax is kept for
// the log but marks the graph as one that cannot be loaded again.
void SetGraphSource(GraphRecord* record, std::string_view file_name, std::string_view directory);

}  // namespace vexal

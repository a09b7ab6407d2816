// The graph table: every graph handle and the record behind it. A handle is
// kGraphHandleTag | index; -4 and -2 name the front and back screens, -1 is failure.
// Freed indexes are handed out again, lowest first, and scans run only up to one past
// the highest index in use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "vexal/graphics/graphs/graph_record.h"

namespace vexal {

struct DrawStateBlock;  // the draw state both backend rows are bound to

inline constexpr int kGraphMax = 3000;                // graphs that may exist at once
inline constexpr uint32_t kGraphHandleTag = 0x10000;  // upper 16 bits of every graph handle
inline constexpr uint32_t kGraphHandleTagMask = 0xFFFF0000u;
inline constexpr uint32_t kGraphHandleIndexMask = 0xFFFFu;

struct GraphTableRecord {
  uint32_t Initialised = 0;                                   // graph management is running
  std::array<std::unique_ptr<GraphRecord>, kGraphMax> Slots;  // empty slots are null
  int32_t Count = 0;                                          // occupied slots
  int32_t EndIndex = 0;                                       // one past the highest occupied slot
  uint32_t Direct3DForbidden = 0;                             // the game asked for no Direct3D graphs
  uint32_t Direct3DAvailable = 0;                             // row 1 accepted the draw-state block at start
  int (*RestoreHandler)() = nullptr;  // brings graphs back after a device loss; survives a restart
};

// The draw state's block as the rows are given it (emptied with the table).
DrawStateBlock* GraphDrawStateBlock();

extern GraphTableRecord GraphTable;

// Back to the state at load, for tests.
void ResetGraphTable();

// A new graph of width x height on the row the rule below picks, its storage not made yet
// (the caller asks the row for it); the record through out_record when not null. The
// 3001st graph ends the program. 0 while drawing is suspended.
int AddGraphHandle(uint16_t width, uint16_t height, int want_3d, uint8_t piece_flag, GraphRecord** out_record,
                   uint8_t alpha);
// A graph with storage; a row that cannot make it ends the program. -1 for a side that
// does not fit a record (below 0 or above 65535). 0 while suspended.
int CreateBlankGraph(int width, int height);
// Frees the graph and its storage, logging its file name when log is set. 0, -1 for a bad
// handle, 0 doing nothing while suspended.
int DeleteGraphHandle(int handle, int log);
// Row 1 for new graphs that want it is allowed (flag non-zero) or not; before the device
// exists this also keeps the device from making Direct3D. 0.
int AllowDirect3DGraphs(int flag);
// The record of a graph handle, null for anything else (screens included).
GraphRecord* GetGraphRecord(int handle);
// The handle of a record in the table, -1 when it is not there.
int GetGraphHandleFromRecord(const GraphRecord* record);
// Width and height of a graph or a screen; either pointer may be null. 0, -1 for a bad handle.
int GetGraphDimensions(int handle, int* width, int* height);

}  // namespace vexal

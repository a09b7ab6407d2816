// DrawBackendTable: the two drawing backends every graphics-core operation goes through.
// Row 0 keeps graphs on DirectDraw surfaces and draws them in software; row 1 keeps them
// in Direct3D textures. Each row is a record of 48 typed entries ("slots", numbered in
// declaration order) because the operations take different arguments. A graph's record
// names its row; calls that change shared drawing state go to both rows.
//
// The table is fixed at build time. Tests may put a table of their own in its place to
// watch which slots the library calls.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/pictures/graph_image.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

struct DrawStateBlock;     // the draw state both rows read, bound through slot 0
struct PointRecord;        // x, y, colour, alpha of one point of a point set
struct LineSegmentRecord;  // ends, colour, alpha of one segment of a line set
struct PrimitiveVertex;    // x, y, z, rhw, diffuse, u, v of a primitive list

inline constexpr int kDrawBackendRowCount = 2;
inline constexpr int kDrawBackendSlotCount = 48;
inline constexpr int kDDrawRow = 0;
inline constexpr int kD3DRow = 1;

// Slots whose arguments come with the Direct3D row (20-22, 40-47) take one opaque block.
using OpaqueSlot = int (*)(const void* args);

struct DrawBackendRow {
  int (*SetDrawStateBlock)(DrawStateBlock* block);  // 0
  int (*CreateGraphStorage)(GraphRecord* graph);    // 1
  // the cells, their count, cells per row and per column, the cell size
  int (*CreateDivGraphStorage)(GraphRecord** graphs, int count, int x_count, int y_count, int width,
                               int height);  // 2
  int (*CreateDerivedGraphStorage)(GraphRecord* graph, int x, int y, int width, int height,
                                   GraphRecord* parent);  // 3
  int (*DeleteGraphStorage)(GraphRecord* graph);          // 4
  // format, the two bitmaps of a kind-1 picture, place in the picture, kind, the picture
  // and its alpha picture
  int (*SetGraphImage)(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int x, int y,
                       GraphRecord* graph, int kind, const GraphImage* picture,
                       const GraphImage* alpha);  // 5
  int (*BltBmpToDivGraph)(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap,
                          GraphRecord** graphs, int count, int kind, const GraphImage* picture,
                          const GraphImage* alpha);                                       // 6
  int (*RestoreLostSurfaces)(GraphRecord* graph);                                         // 7
  int (*RestoreAllLostGraphs)();                                                          // 8
  int (*SetDrawMode)(int mode);                                                           // 9
  int (*SetBlendMode)(int mode, int param);                                               // 10
  int (*SetDrawBright)(int red, int green, int blue);                                     // 11
  int (*SetDrawArea)(const Rect* area);                                                   // 12
  int (*DrawGraph)(int x, int y, GraphRecord* graph, int trans);                          // 13
  int (*DrawExtendGraph)(int x1, int y1, int x2, int y2, GraphRecord* graph, int trans);  // 14
  int (*DrawRotaGraph)(int x, int y, double scale, double angle, GraphRecord* graph, int trans,
                       int corner);  // 15
  int (*DrawModiGraph)(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, GraphRecord* graph,
                       int trans);  // 16
  int (*DrawModiGraphFloat)(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                            GraphRecord* graph, int trans);  // 17
  // origin, columns, rows, cell map, entries per map row, an unread value, cell graphs
  int (*DrawChipMap)(int x, int y, int columns, int rows, const uint32_t* map, int row_stride, int unused,
                     GraphRecord** graphs, int trans);  // 18
  int (*DrawPrimitive)(const PrimitiveVertex* vertices, int count, int type, GraphRecord* graph,
                       int trans);                                                                // 19
  OpaqueSlot DrawIndexedPrimitive;                                                                // 20
  OpaqueSlot DrawPrimitive3D;                                                                     // 21
  OpaqueSlot DrawIndexedPrimitive3D;                                                              // 22
  int (*CopyScreenToGraph)(int x1, int y1, int x2, int y2, GraphRecord* graph, int screen_size);  // 23
  int (*SetDrawTarget)(int target);                                                               // 24
  int (*GetGraphColorDesc)(ColorFormatRecord* out, int alpha);                                    // 25
  int (*ClearDrawTarget)();                                                                       // 26
  int (*DrawFillBox)(int x1, int y1, int x2, int y2, uint32_t color);                             // 27
  int (*DrawLine)(int x1, int y1, int x2, int y2, uint32_t color);                                // 28
  int (*DrawBoxOutline)(int x1, int y1, int x2, int y2, uint32_t color);                          // 29
  int (*DrawCircle)(int x, int y, int r, uint32_t color, int fill);                               // 30
  int (*DrawOval)(int x, int y, int rx, int ry, uint32_t color, int fill);                        // 31
  int (*DrawTriangle)(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int fill);  // 32
  int (*DestPixel)(int x, int y, uint32_t color);                                                 // 33
  int (*DrawPixelSet)(const PointRecord* points, int count);                                      // 34
  int (*DrawLineSet)(const LineSegmentRecord* segments, int count);                               // 35
  // place, Shift-JIS text, colour, font handle, edge colour, value for the font cache
  int (*DrawString)(int x, int y, const char* text, uint32_t color, int font, uint32_t edge_color,
                    int extra);       // 36
  int (*SyncDrawTarget)(int masked);  // 37
  int (*MaskPreDraw)(Rect area);      // 38
  int (*MaskPostDraw)(Rect area);     // 39
  OpaqueSlot SetWorldTransform;       // 40
  OpaqueSlot SetViewTransform;        // 41
  OpaqueSlot SetProjectionTransform;  // 42
  OpaqueSlot SetLight;                // 43
  OpaqueSlot EnableLight;             // 44
  OpaqueSlot SetMaterial;             // 45
  OpaqueSlot SetCullMode;             // 46
  OpaqueSlot SetLighting;             // 47
};

using DrawBackendRows = std::array<DrawBackendRow, kDrawBackendRowCount>;

// The slot a row does not need: takes no notice of its arguments, returns 0.
template <class... Args>
int BackendNoOp(Args...) {
  return 0;
}

// The table as built: row 0 DirectDraw, row 1 Direct3D.
extern const DrawBackendRows DrawBackendTable;

// The row a graph record names (anything but 1 is row 0), of the table in use.
const DrawBackendRow& GetDrawBackendRow(int row);

// A call that changes shared drawing state, made on both rows: row 1 first while
// Direct3D is available, then row 0. The call receives the row and keeps what results
// it needs.
template <class Call>
void CallOnBothRows(Call&& call) {
  if (GraphTable.Direct3DAvailable != 0) call(GetDrawBackendRow(kD3DRow));
  call(GetDrawBackendRow(kDDrawRow));
}

// Slot-number view for tests: each slot of the row, called with zero and null arguments.
std::array<std::function<int()>, kDrawBackendSlotCount> DrawBackendSlotCalls(const DrawBackendRow& row);

// Tests: use these rows in place of the table (null: the table again). They must outlive
// their use.
void SetDrawBackendTableForTests(const DrawBackendRows* rows);

}  // namespace vexal

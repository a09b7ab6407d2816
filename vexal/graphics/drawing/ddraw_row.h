// The entries of row 0 (DirectDraw, software) of the drawing backend table, by slot number.
// Row 1 is one folder (vexal/d3d/); row 0's bodies live with the drawers they belong to, so
// each group below names the file that holds its slots. Slot 24, DDrawSetDrawTarget, is
// declared with the draw target (vexal/graphics/drawing/draw_target.h); the slots row 0 leaves
// empty (9-12, 20-22, 37, 40-47) are BackendNoOp in the table.
//
// A new row-0 slot: its body goes in the file of its concern (a graph's storage in
// vexal/graphics/graphs/, a graph drawn by the blitter in vexal/ddraw/, a warp or a one-colour
// shape in vexal/raster/), its declaration here under that file's name with its slot number,
// and its name in row 0 of DrawBackendTable (draw_backend_table.cpp) in place of BackendNoOp.
#pragma once

#include <cstdint>

#include "vexal/graphics/drawing/draw_backend_table.h"

namespace vexal {

// vexal/graphics/graphs/ddraw_graph_storage.cpp: the bound draw state and the graphs' surfaces
int DDrawSetDrawStateBlock(DrawStateBlock* block);  // 0
int DDrawCreateGraphStorage(GraphRecord* graph);    // 1
int DDrawCreateDivGraphStorage(GraphRecord** graphs, int count, int x_count = 0, int y_count = 0, int width = 0,
                               int height = 0);                                                                    // 2
int DDrawCreateDerivedGraphStorage(GraphRecord* graph, int x, int y, int width, int height, GraphRecord* parent);  // 3
int DDrawDeleteGraphStorage(GraphRecord* graph);                                                                   // 4
int DDrawSetGraphImage(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int x, int y,
                       GraphRecord* graph, int kind, const GraphImage* picture, const GraphImage* alpha);  // 5
int DDrawBltBmpToDivGraph(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap,
                          GraphRecord** graphs, int count, int kind, const GraphImage* picture,
                          const GraphImage* alpha);  // 6
int DDrawRestoreLostSurfaces(GraphRecord* graph);    // 7
int DDrawRestoreAllLostGraphs();                     // 8

// vexal/ddraw/draw_graph.cpp: the graph blitter
int DDrawDrawGraph(int x, int y, GraphRecord* graph, int trans);  // 13

// vexal/raster/stretch_graph.cpp
int G_DDraw_DrawExtendGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int trans);  // 14

// vexal/raster/rota_graph.cpp
int G_DDraw_DrawRotaGraph(int x, int y, double scale, double angle, GraphRecord* graph, int trans, int corner);  // 15

// vexal/raster/quad_graph.cpp
int G_DDraw_DrawModiGraph(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, GraphRecord* graph,
                          int trans);  // 16
int G_DDraw_DrawModiGraphFloat(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                               GraphRecord* graph, int trans);  // 17

// vexal/ddraw/chip_map.cpp
int G_DDraw_DrawChipMap(int x, int y, int columns, int rows, const uint32_t* map, int row_stride, int count,
                        GraphRecord** graphs, int trans);  // 18

// vexal/ddraw/primitive.cpp
int G_DDraw_DrawPrimitive(const PrimitiveVertex* vertices, int count, int type, GraphRecord* graph, int trans);  // 19

// vexal/graphics/drawing/draw_target_copy.cpp
int DDrawCopyScreenToGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int screen_size);  // 23

// vexal/graphics/graphs/ddraw_graph_color_desc.cpp
int DDrawGetGraphColorDesc(ColorFormatRecord* out, int alpha);  // 25

// vexal/graphics/drawing/draw_target_clear.cpp
int DDrawClearDrawTarget();  // 26

// vexal/raster/box_fill.cpp
int G_DDraw_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color);  // 27

// vexal/raster/line_draw.cpp
int G_DDraw_DrawLine(int x1, int y1, int x2, int y2, uint32_t color);        // 28
int G_DDraw_DrawBoxOutline(int x1, int y1, int x2, int y2, uint32_t color);  // 29

// vexal/raster/circle.cpp
int G_DDraw_DrawCircle(int x, int y, int r, uint32_t color, int fill);  // 30

// vexal/raster/oval.cpp
int G_DDraw_DrawOval(int x, int y, int rx, int ry, uint32_t color, int fill);  // 31

// vexal/raster/triangle_outline.cpp
int G_DDraw_DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int fill);  // 32

// vexal/raster/shape_pixel.cpp
int G_DDraw_DestPixel(int x, int y, uint32_t color);  // 33

// vexal/raster/line_set.cpp
int G_DDraw_DrawPixel(const PointRecord* points, int count);            // 34
int G_DDraw_DrawLineSet(const LineSegmentRecord* segments, int count);  // 35

// vexal/graphics/fonts/ddraw_text.cpp
int DDrawStringByWorkDC(int x, int y, const char* text, uint32_t color, int font, uint32_t edge_color,
                        int extra);  // 36

// vexal/graphics/mask/mask_steps.cpp
int DDrawMaskPreDraw(Rect area);   // 38
int DDrawMaskPostDraw(Rect area);  // 39

}  // namespace vexal

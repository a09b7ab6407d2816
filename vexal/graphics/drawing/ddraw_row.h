// The entries of row 0 (DirectDraw) of the drawing backend table, by slot number. Their
// bodies live with the drawers that own them. Slot 24,
// DDrawSetDrawTarget, is declared with the draw target (draw_target.h).
#pragma once

#include <cstdint>

#include "vexal/graphics/drawing/draw_backend_table.h"

namespace vexal {

int DDrawSetDrawStateBlock(DrawStateBlock* block);                                                                 // 0
int DDrawCreateGraphStorage(GraphRecord* graph);                                                                   // 1
int DDrawCreateDivGraphStorage(GraphRecord** graphs, int count, int x_count = 0, int y_count = 0, int width = 0,
                               int height = 0);  // 2
int DDrawCreateDerivedGraphStorage(GraphRecord* graph, int x, int y, int width, int height, GraphRecord* parent);  // 3
int DDrawDeleteGraphStorage(GraphRecord* graph);                                                                   // 4
int DDrawSetGraphImage(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int x, int y,
                       GraphRecord* graph, int kind, const GraphImage* picture, const GraphImage* alpha);  // 5
int DDrawBltBmpToDivGraph(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap,
                          GraphRecord** graphs, int count, int kind, const GraphImage* picture,
                          const GraphImage* alpha);                                                              // 6
int DDrawRestoreLostSurfaces(GraphRecord* graph);                                                                // 7
int DDrawRestoreAllLostGraphs();                                                                                 // 8
int DDrawDrawGraph(int x, int y, GraphRecord* graph, int trans);                                                 // 13
int G_DDraw_DrawExtendGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int trans);                      // 14
int G_DDraw_DrawRotaGraph(int x, int y, double scale, double angle, GraphRecord* graph, int trans, int corner);  // 15
int G_DDraw_DrawModiGraph(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, GraphRecord* graph,
                          int trans);  // 16
int G_DDraw_DrawModiGraphFloat(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                               GraphRecord* graph, int trans);  // 17
int G_DDraw_DrawChipMap(int x, int y, int columns, int rows, const uint32_t* map, int row_stride, int count,
                        GraphRecord** graphs, int trans);                                                        // 18
int G_DDraw_DrawPrimitive(const PrimitiveVertex* vertices, int count, int type, GraphRecord* graph, int trans);  // 19
int DDrawCopyScreenToGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int screen_size);                 // 23
int DDrawGetGraphColorDesc(ColorFormatRecord* out, int alpha);                                                   // 25
int DDrawClearDrawTarget();                                                                                      // 26
int G_DDraw_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color);                                         // 27
int G_DDraw_DrawLine(int x1, int y1, int x2, int y2, uint32_t color);                                            // 28
int G_DDraw_DrawBoxOutline(int x1, int y1, int x2, int y2, uint32_t color);                                      // 29
int G_DDraw_DrawCircle(int x, int y, int r, uint32_t color, int fill);                                           // 30
int G_DDraw_DrawOval(int x, int y, int rx, int ry, uint32_t color, int fill);                                    // 31
int G_DDraw_DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int fill);              // 32
int G_DDraw_DestPixel(int x, int y, uint32_t color);                                                             // 33
int G_DDraw_DrawPixel(const PointRecord* points, int count);                                                     // 34
int G_DDraw_DrawLineSet(const LineSegmentRecord* segments, int count);                                           // 35
int DDrawStringByWorkDC(int x, int y, const char* text, uint32_t color, int font, uint32_t edge_color,
                        int extra);  // 36
int DDrawMaskPreDraw(Rect area);     // 38
int DDrawMaskPostDraw(Rect area);    // 39

}  // namespace vexal

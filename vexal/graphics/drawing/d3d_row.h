// The entries of row 1 (Direct3D) of the drawing backend table, by slot number. They live in
// vexal/d3d/.
#pragma once

#include <cstdint>

#include "vexal/graphics/drawing/draw_backend_table.h"

namespace vexal {

int D3DSetDrawStateBlock(DrawStateBlock* block);                                                                 // 0
int D3DCreateGraphStorage(GraphRecord* graph);                                                                   // 1
int D3DCreateDivGraphStorage(GraphRecord** graphs, int count, int x_count, int y_count, int width, int height);  // 2
int D3DCreateDerivedGraphStorage(GraphRecord* graph, int x, int y, int width, int height, GraphRecord* parent);  // 3
int D3DDeleteGraphStorage(GraphRecord* graph);                                                                   // 4
int D3DSetGraphImage(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int x, int y,
                     GraphRecord* graph, int kind, const GraphImage* picture, const GraphImage* alpha);  // 5
int D3DBltBmpToDivGraph(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap,
                        GraphRecord** graphs, int count, int kind, const GraphImage* picture,
                        const GraphImage* alpha);                                                              // 6
int D3DRestoreLostSurfaces(GraphRecord* graph);                                                                // 7
int D3DRestoreAllLostGraphs();                                                                                 // 8
int D3DSetDrawMode(int mode);                                                                                  // 9
int D3DSetBlendMode(int mode, int param);                                                                      // 10
int D3DSetDrawArea(const Rect* area);                                                                          // 12
int D3DDrawGraph(int x, int y, GraphRecord* graph, int trans);                                                 // 13
int G_D3D_DrawExtendGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int trans);                      // 14
int G_D3D_DrawRotaGraph(int x, int y, double scale, double angle, GraphRecord* graph, int trans, int corner);  // 15
int G_D3D_DrawModiGraph(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, GraphRecord* graph,
                        int trans);  // 16
int G_D3D_DrawModiGraphFloat(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                             GraphRecord* graph, int trans);  // 17
int G_D3D_DrawChipMap(int x, int y, int columns, int rows, const uint32_t* map, int row_stride, int unused,
                      GraphRecord** graphs, int trans);                                                        // 18
int G_D3D_DrawPrimitive(const PrimitiveVertex* vertices, int count, int type, GraphRecord* graph, int trans);  // 19
int G_D3D_DrawIndexedPrimitive(const void* args);                                                              // 20
int G_D3D_DrawPrimitive3D(const void* args);                                                                   // 21
int G_D3D_DrawIndexedPrimitive3D(const void* args);                                                            // 22
int D3DCopyScreenToGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int screen_size);                 // 23
int D3DSetDrawTarget(int target);                                                                              // 24
int D3DGetGraphColorDesc(ColorFormatRecord* out, int alpha);                                                   // 25
int D3DClearDrawTarget();                                                                                      // 26
int G_D3D_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color);                                         // 27
int G_D3D_DrawLine(int x1, int y1, int x2, int y2, uint32_t color);                                            // 28
int G_D3D_DrawBoxOutline(int x1, int y1, int x2, int y2, uint32_t color);                                      // 29
int G_D3D_DrawCircle(int x, int y, int r, uint32_t color, int fill);                                           // 30
int G_D3D_DrawOval(int x, int y, int rx, int ry, uint32_t color, int fill);                                    // 31
int G_D3D_DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int fill);              // 32
int G_D3D_DestPixel(int x, int y, uint32_t color);                                                             // 33
int G_D3D_DrawPixel(const PointRecord* points, int count);                                                     // 34
int G_D3D_DrawLineSet(const LineSegmentRecord* segments, int count);                                           // 35
int D3DDrawString(int x, int y, const char* text, uint32_t color, int font, uint32_t edge_color, int extra);   // 36
int D3DSyncDrawTarget(int masked);                                                                             // 37
int D3DSetWorldTransform(const void* args);                                                                    // 40
int D3DSetViewTransform(const void* args);                                                                     // 41
int D3DSetProjectionTransform(const void* args);                                                               // 42
int D3DSetLight(const void* args);                                                                             // 43
int D3DEnableLight(const void* args);                                                                          // 44
int D3DSetMaterial(const void* args);                                                                          // 45
int D3DSetCullMode(const void* args);                                                                          // 46
int D3DSetAmbientLight(const void* args);                                                                      // 47

}  // namespace vexal

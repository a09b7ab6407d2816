// Row-1 entries until the Direct3D backend is built: every one, binding the draw-state
// block first of all, reports that Direct3D cannot be used.
#include "vexal/graphics/d3d_row.h"

namespace vexal {
namespace {

constexpr int kUnavailable = -1;

}  // namespace

int D3DSetDrawStateBlock(DrawStateBlock*) { return kUnavailable; }
int D3DCreateGraphStorage(GraphRecord*) { return kUnavailable; }
int D3DCreateDivGraphStorage(GraphRecord**, int) { return kUnavailable; }
int D3DCreateDerivedGraphStorage(GraphRecord*, int, int, int, int, GraphRecord*) { return kUnavailable; }
int D3DDeleteGraphStorage(GraphRecord*) { return kUnavailable; }
int D3DSetGraphImage(const ColorFormatRecord*, const void*, const void*, int, int, GraphRecord*, int, const GraphImage*,
                     const GraphImage*) {
  return kUnavailable;
}
int D3DBltBmpToDivGraph(const ColorFormatRecord*, const void*, const void*, GraphRecord**, int, int, const GraphImage*,
                        const GraphImage*) {
  return kUnavailable;
}
int D3DRestoreLostSurfaces(GraphRecord*) { return kUnavailable; }
int D3DRestoreAllLostGraphs() { return kUnavailable; }
int D3DSetDrawMode(int) { return kUnavailable; }
int D3DSetBlendMode(int, int) { return kUnavailable; }
int D3DSetDrawArea(const Rect*) { return kUnavailable; }
int D3DDrawGraph(int, int, GraphRecord*, int) { return kUnavailable; }
int G_D3D_DrawExtendGraph(int, int, int, int, GraphRecord*, int) { return kUnavailable; }
int G_D3D_DrawRotaGraph(int, int, double, double, GraphRecord*, int, int) { return kUnavailable; }
int G_D3D_DrawModiGraph(int, int, int, int, int, int, int, int, GraphRecord*, int) { return kUnavailable; }
int G_D3D_DrawModiGraphFloat(float, float, float, float, float, float, float, float, GraphRecord*, int) {
  return kUnavailable;
}
int G_D3D_DrawChipMap(int, int, int, int, const uint32_t*, int, int, GraphRecord**, int) { return kUnavailable; }
int G_D3D_DrawPrimitive(const PrimitiveVertex*, int, int, GraphRecord*, int) { return kUnavailable; }
int G_D3D_DrawIndexedPrimitive(const void*) { return kUnavailable; }
int G_D3D_DrawPrimitive3D(const void*) { return kUnavailable; }
int G_D3D_DrawIndexedPrimitive3D(const void*) { return kUnavailable; }
int D3DCopyScreenToGraph(int, int, int, int, GraphRecord*, int) { return kUnavailable; }
int D3DSetDrawTarget(int) { return kUnavailable; }
int D3DGetGraphColorDesc(ColorFormatRecord*, int) { return kUnavailable; }
int D3DClearDrawTarget() { return kUnavailable; }
int G_D3D_DrawFillBox(int, int, int, int, uint32_t) { return kUnavailable; }
int G_D3D_DrawLine(int, int, int, int, uint32_t) { return kUnavailable; }
int G_D3D_DrawBoxOutline(int, int, int, int, uint32_t) { return kUnavailable; }
int G_D3D_DrawCircle(int, int, int, uint32_t, int) { return kUnavailable; }
int G_D3D_DrawOval(int, int, int, int, uint32_t, int) { return kUnavailable; }
int G_D3D_DrawTriangle(int, int, int, int, int, int, uint32_t, int) { return kUnavailable; }
int G_D3D_DestPixel(int, int, uint32_t) { return kUnavailable; }
int G_D3D_DrawPixel(const PointRecord*, int) { return kUnavailable; }
int G_D3D_DrawLineSet(const LineSegmentRecord*, int) { return kUnavailable; }
int D3DDrawString(int, int, const char*, uint32_t, int, uint32_t, int) { return kUnavailable; }
int D3DSyncDrawTarget(int) { return kUnavailable; }
int D3DSetWorldTransform(const void*) { return kUnavailable; }
int D3DSetViewTransform(const void*) { return kUnavailable; }
int D3DSetProjectionTransform(const void*) { return kUnavailable; }
int D3DSetLight(const void*) { return kUnavailable; }
int D3DEnableLight(const void*) { return kUnavailable; }
int D3DSetMaterial(const void*) { return kUnavailable; }
int D3DSetCullMode(const void*) { return kUnavailable; }
int D3DSetLighting(const void*) { return kUnavailable; }

}  // namespace vexal

// Row-1 draws until the Direct3D drawing is built: each refuses, as a row without a
// usable target does, so nothing is drawn and nothing is left half done.
#include "vexal/graphics/d3d_row.h"

namespace vexal {
namespace {

constexpr int kRefused = -1;

}  // namespace

int D3DDrawGraph(int, int, GraphRecord*, int) { return kRefused; }
int G_D3D_DrawExtendGraph(int, int, int, int, GraphRecord*, int) { return kRefused; }
int G_D3D_DrawRotaGraph(int, int, double, double, GraphRecord*, int, int) { return kRefused; }
int G_D3D_DrawModiGraph(int, int, int, int, int, int, int, int, GraphRecord*, int) { return kRefused; }
int G_D3D_DrawModiGraphFloat(float, float, float, float, float, float, float, float, GraphRecord*, int) {
  return kRefused;
}
int G_D3D_DrawChipMap(int, int, int, int, const uint32_t*, int, int, GraphRecord**, int) { return kRefused; }
int G_D3D_DrawPrimitive(const PrimitiveVertex*, int, int, GraphRecord*, int) { return kRefused; }
int G_D3D_DrawIndexedPrimitive(const void*) { return kRefused; }
int G_D3D_DrawPrimitive3D(const void*) { return kRefused; }
int G_D3D_DrawIndexedPrimitive3D(const void*) { return kRefused; }
int D3DCopyScreenToGraph(int, int, int, int, GraphRecord*, int) { return kRefused; }
int G_D3D_DrawFillBox(int, int, int, int, uint32_t) { return kRefused; }
int G_D3D_DrawLine(int, int, int, int, uint32_t) { return kRefused; }
int G_D3D_DrawBoxOutline(int, int, int, int, uint32_t) { return kRefused; }
int G_D3D_DrawCircle(int, int, int, uint32_t, int) { return kRefused; }
int G_D3D_DrawOval(int, int, int, int, uint32_t, int) { return kRefused; }
int G_D3D_DrawTriangle(int, int, int, int, int, int, uint32_t, int) { return kRefused; }
int G_D3D_DestPixel(int, int, uint32_t) { return kRefused; }
int G_D3D_DrawPixel(const PointRecord*, int) { return kRefused; }
int G_D3D_DrawLineSet(const LineSegmentRecord*, int) { return kRefused; }
int D3DDrawString(int, int, const char*, uint32_t, int, uint32_t, int) { return kRefused; }

}  // namespace vexal

// Row-0 entries whose drawers are not built yet. Each answers as the row does without a
// DirectDraw device: it draws nothing and fails, except the chip map and the mask steps,
// which report success whatever they draw.
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {
namespace {

constexpr int kNotDrawn = -1;

}  // namespace

int G_DDraw_DrawFillBox(int, int, int, int, uint32_t) { return kNotDrawn; }
int G_DDraw_DrawLine(int, int, int, int, uint32_t) { return kNotDrawn; }
int G_DDraw_DrawBoxOutline(int, int, int, int, uint32_t) { return kNotDrawn; }
int G_DDraw_DrawCircle(int, int, int, uint32_t, int) { return kNotDrawn; }
int G_DDraw_DrawOval(int, int, int, int, uint32_t, int) { return kNotDrawn; }
int G_DDraw_DrawTriangle(int, int, int, int, int, int, uint32_t, int) { return kNotDrawn; }
int G_DDraw_DestPixel(int, int, uint32_t) { return kNotDrawn; }
int G_DDraw_DrawPixel(const PointRecord*, int) { return kNotDrawn; }
int G_DDraw_DrawLineSet(const LineSegmentRecord*, int) { return kNotDrawn; }

}  // namespace vexal

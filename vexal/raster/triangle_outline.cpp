// Slot 32 of row 0: the one-colour triangle. Its outline is three segments of the line set,
// drawn in the caller's colour value as it is (no brightness, no blend); its fill is
// triangle_fill.h's.
#include <cstdint>

#include "vexal/ddraw/point_line_records.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/raster/triangle_fill.h"

namespace vexal {
namespace {

constexpr uint32_t kOutlineAlpha = 255;

}  // namespace

int G_DDraw_DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int fill) {
  if (DDrawTargetUnusable != 0) return -1;
  if (fill != 0) return DrawTriangleFill(x1, y1, x2, y2, x3, y3, color);
  const LineSegmentRecord sides[] = {{x1, y1, x2, y2, color, kOutlineAlpha},
                                     {x2, y2, x3, y3, color, kOutlineAlpha},
                                     {x3, y3, x1, y1, color, kOutlineAlpha}};
  G_DDraw_DrawLineSet(sides, 3);
  return 0;
}

}  // namespace vexal

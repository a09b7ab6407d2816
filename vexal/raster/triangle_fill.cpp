// The filled one-colour triangle: the shape frame (destination, colour with brightness,
// read-back and locks) around one flat-colour call of the triangle rasteriser, which
// clips to the draw area and blends by itself. The rasteriser applies the brightness once
// more: the fill is darker than a box of the same colour, as it always was.
#include "vexal/raster/triangle_fill.h"

#include <algorithm>
#include <cstdint>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/shape_frame.h"
#include "vexal/raster/shape_round.h"
#include "vexal/raster/triangle_raster.h"
#include "vexal/raster/warp_frame.h"

namespace vexal {
namespace {

// The lock failures keep the oval's name, as callers of the library see them.
constexpr warp::WarpLocks::Messages kLockMessages{"転送先サーフェスのロックに失敗しました in G_DDraw_DrawOval ",
                                                  "転送元サーフェスのロックに失敗しました in G_DDraw_DrawOval",
                                                  "転送元サーフェスのロックに失敗しました in G_DDraw_DrawOval"};

// The pixel the rasteriser gives a coordinate: the pixel centre truncated toward zero, so
// a negative coordinate lands one pixel to the right of (below) itself.
int64_t RasterPixel(int v) { return (static_cast<int64_t>(v) * 262144 + 131072) / 262144; }

// Every pixel the rasteriser draws for these corners: the columns between the outermost
// corners' pixels; the rows from the top corner's, one row for each pixel of height, begun
// again at the middle corner's pixel where an edge turns there.
Rect DrawnBox(const int (&x)[3], const int (&y)[3], const Rect& area) {
  int ys[3] = {y[0], y[1], y[2]};
  std::sort(std::begin(ys), std::end(ys));
  const int64_t top = RasterPixel(ys[0]);
  int64_t last = top + (static_cast<int64_t>(ys[2]) - ys[0]) - 1;
  if (ys[0] < ys[1] && ys[1] < ys[2])
    last = std::max(last, RasterPixel(ys[1]) + (static_cast<int64_t>(ys[2]) - ys[1]) - 1);
  const auto [min_x, max_x] = std::minmax({x[0], x[1], x[2]});
  return ClampedBox(RasterPixel(min_x), top, RasterPixel(max_x) + 1, last + 1, area);
}

}  // namespace

int DrawTriangleFill(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color) {
  bool is_mask = false;
  plat::surface::Surface* dest = ShapeDestination(&is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  if (dest == nullptr) return 0;
  const uint32_t color_value = PrepareShapeColor(color);
  const Rect area = ShapeClipArea(dest);
  const Rect box = DrawnBox({x1, x2, x3}, {y1, y2, y3}, area);

  warp::WarpLocks locks;
  warp::TriangleTarget t;
  warp::LockForTriangles(dest, is_mask, box, nullptr, kLockMessages, &locks, &t);
  const RasterVertex v[3] = {{x1, y1, 0, 0}, {x2, y2, 0, 0}, {x3, y3, 0, 0}};
  G_DDraw_RasterTriangle(v, nullptr, 0, t.Dest, t.DestPitch, nullptr, 0, t.Src2, t.Src2Pitch, color_value);
  locks.Unlock();
  return 0;
}

}  // namespace vexal

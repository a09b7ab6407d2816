// Slots 28 and 29 of row 0: the one-colour line with brightness and blend mode, and the box
// outline drawn as four of them.
#include <cstdint>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/line_walk.h"
#include "vexal/raster/shape_frame.h"
#include "vexal/raster/shape_kernel_ops.h"

namespace vexal {
namespace {

constexpr const char* kDestLockFailed = "転送先サーフェスのロックに失敗しました in G_DDraw_DrawLine ";
constexpr const char* kSourceLockFailed = "転送元サーフェスのロックに失敗しました in G_DDraw_DrawLine";

}  // namespace

int G_DDraw_DrawLine(int x1, int y1, int x2, int y2, uint32_t color) {
  if (DDrawTargetUnusable != 0) return -1;
  const Rect& drawn = DrawState.DrawArea;
  const auto in = [](int v, int low, int high) { return v >= low && v < high; };
  if (!in(x1, drawn.left, drawn.right) && !in(x2, drawn.left, drawn.right) && !in(y1, drawn.top, drawn.bottom) &&
      !in(y2, drawn.top, drawn.bottom))
    return 0;
  bool is_mask = false;
  plat::surface::Surface* dest = ShapeDestination(&is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  const uint32_t color_value = PrepareShapeColor(color);
  LineEnds ends;
  if (dest == nullptr || !ClipLine(x1, y1, x2, y2, ShapeClipArea(dest), &ends)) return 0;
  ShapeFormat format;
  if (!ScreenShapeFormat(&format)) return 0;
  const ShapeKernel kernel = PrepareShapeKernel(ShapeFamily::kSpan, format, DrawState.BlendMode, DrawState.BlendParam,
                                                DDrawState.CoarseBlendFlag != 0, color_value);
  ShapeLock lock(dest, plat::surface::kLockWait, ShapeNeedsReadBack(is_mask), LineWalkBox(ends), kDestLockFailed,
                 kSourceLockFailed);
  const ShapeCanvas& canvas = lock.canvas();
  shape_ops::WithShapeOp(kernel, [&](auto op) {
    WalkLine(ends, [&](int x, int y) { shape_ops::PutPixel(op, canvas.Dest(x, y), canvas.Src(x, y)); });
  });
  return 0;
}

int G_DDraw_DrawBoxOutline(int x1, int y1, int x2, int y2, uint32_t color) {
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  // One pixel in from the far edges, held to the int range: a far edge at its low end
  // draws as one a pixel inside it would.
  const int x2_in = SaturatedCoordinate(int64_t{x2} - 1), y2_in = SaturatedCoordinate(int64_t{y2} - 1);
  G_DDraw_DrawLine(x1, y1, x2, y1, color);
  G_DDraw_DrawLine(x2_in, y1, x2, y2, color);
  G_DDraw_DrawLine(x2_in, y2_in, x1, y2, color);
  G_DDraw_DrawLine(x1, y2_in, x1, y1, color);
  return 0;
}

}  // namespace vexal

// Slot 33 of row 0: one pixel with brightness and blend mode, blended channel by channel.
#include <cstdint>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/shape_frame.h"
#include "vexal/raster/shape_kernel_ops.h"

namespace vexal {
namespace {

constexpr const char* kDestLockFailed = "転送先サーフェスのロックに失敗しました in G_DDraw_DestPixel ";

}  // namespace

int G_DDraw_DestPixel(int x, int y, uint32_t color) {
  if (DDrawTargetUnusable != 0) return -1;
  bool is_mask = false;
  plat::surface::Surface* dest = ShapeDestination(&is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  const Rect area = ShapeClipArea(dest);
  if (dest == nullptr || x < area.left || x >= area.right || y < area.top || y >= area.bottom) return -1;
  ShapeLock lock(dest, plat::surface::kLockWait, false, area, kDestLockFailed, kDestLockFailed);
  ShapeFormat format;
  if (!ScreenShapeFormat(&format)) return 0;
  const ShapeKernel kernel = PrepareShapeKernel(ShapeFamily::kPoint, format, DrawState.BlendMode, DrawState.BlendParam,
                                                DDrawState.CoarseBlendFlag != 0, PrepareShapeColor(color));
  const ShapeCanvas& canvas = lock.canvas();
  shape_ops::WithShapeOp(kernel, [&](auto op) { shape_ops::PutPixel(op, canvas.Dest(x, y), canvas.Src(x, y)); });
  return 0;
}

}  // namespace vexal

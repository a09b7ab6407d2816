// Slot 27 of row 0: the filled box. Unblended (and on 8-bit screens) it is one colour fill
// of the surface; blended, the box-row kernels run over it row by row.
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

namespace ps = plat::surface;

constexpr int kPaletteBits = 8;

constexpr const char* kDestLockFailed = "転送先サーフェスのロックに失敗しました in G_DDraw_DrawFillBox ";
constexpr const char* kSourceLockFailed = "転送元サーフェスのロックに失敗しました in G_DDraw_DrawFillBox";

void ColorFill(ps::Surface* dest, const Rect& box, uint32_t color) {
  const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
  const ps::Rect moved{box.left + ox, box.top + oy, box.right + ox, box.bottom + oy};
  ps::Blt(dest, &moved, nullptr, nullptr, ps::kBltColorFill, color);
}

}  // namespace

int G_DDraw_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color) {
  if (DDrawTargetUnusable != 0) return -1;
  bool is_mask = false;
  ps::Surface* dest = ShapeDestination(&is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  const uint32_t color_value = PrepareShapeColor(color);
  Rect box{x1, y1, x2, y2};
  const Rect area = ShapeClipArea(dest);
  ClipRect(&box, &area);
  const int width = box.right - box.left, height = box.bottom - box.top;
  // Inverted and empty boxes draw nothing in every mode.
  if (dest == nullptr || width <= 0 || height <= 0) return 0;
  if (DrawState.BlendMode == 0 || GetScreenColorBits() == kPaletteBits) {
    ColorFill(dest, box, color_value);
    return 0;
  }
  ShapeFormat format;
  if (!ScreenShapeFormat(&format)) return 0;
  const ShapeKernel kernel = PrepareShapeKernel(ShapeFamily::kBoxRow, format, DrawState.BlendMode, DrawState.BlendParam,
                                                DDrawState.CoarseBlendFlag != 0, color_value);
  if (kernel.Kind == ShapeKernelKind::kStore) {
    ColorFill(dest, box, kernel.Color);
    return 0;
  }
  if (kernel.Kind == ShapeKernelKind::kNone) return 0;
  ShapeLock lock(dest, ps::kLockWait, ShapeNeedsReadBack(is_mask), box, kDestLockFailed, kSourceLockFailed);
  const ShapeCanvas& canvas = lock.canvas();
  shape_ops::WithShapeOp(kernel, [&](auto op) {
    shape_ops::PutRows(op, canvas.Dest(box.left, box.top), canvas.dest_pitch, canvas.Src(box.left, box.top),
                       canvas.src_pitch, width, height);
  });
  return 0;
}

}  // namespace vexal

// Slots 34 and 35 of row 0: arrays of points and of half-open line segments, each stored
// in its own colour value, clipped to the draw area.
#include "vexal/ddraw/point_line_records.h"

#include <cstdint>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/line_walk.h"
#include "vexal/raster/shape_frame.h"
#include "vexal/raster/shape_kernel_ops.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr const char* kPointLockFailed = "転送先サーフェスのロックに失敗しました in G_DDraw_DrawPixel ";
constexpr const char* kLineLockFailed = "転送先サーフェスのロックに失敗しました in G_DDraw_DrawLine ";

// Runs draw(canvas, store) with the store op of the screen's depth (none at other depths).
template <class Draw>
int WithLockedStore(uint32_t lock_flags, const char* lock_failed, Draw&& draw) {
  if (DDrawTargetUnusable != 0) return -1;
  bool is_mask = false;
  ps::Surface* dest = ShapeDestination(&is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  if (dest == nullptr) return 0;
  const Rect area = ShapeClipArea(dest);
  ShapeLock lock(dest, lock_flags, false, area, lock_failed, lock_failed);
  ShapeFormat format;
  if (ScreenShapeFormat(&format)) draw(lock.canvas(), area, format);
  return 0;
}

// The colour value as the pixel of the depth stores it.
template <class F>
void WithStoreOf(const ShapeFormat& format, uint32_t color, F&& f) {
  if (format.Bytes == 4) return f(shape_ops::Store<uint32_t>{color});
  if (format.Bytes == 2) return f(shape_ops::Store<uint16_t>{static_cast<uint16_t>(color)});
  f(shape_ops::Store<uint8_t>{static_cast<uint8_t>(color)});
}

}  // namespace

int G_DDraw_DrawPixel(const PointRecord* points, int count) {
  return WithLockedStore(ps::kLockWait | ps::kLockWriteOnly, kPointLockFailed,
                         [&](const ShapeCanvas& canvas, const Rect& area, const ShapeFormat& format) {
                           for (int i = 0; points != nullptr && i < count; ++i) {
                             const PointRecord& p = points[i];
                             if (p.x < area.left || p.x >= area.right || p.y < area.top || p.y >= area.bottom) continue;
                             WithStoreOf(format, p.color, [&](auto op) {
                               shape_ops::PutPixel(op, canvas.Dest(p.x, p.y), canvas.Src(p.x, p.y));
                             });
                           }
                         });
}

int G_DDraw_DrawLineSet(const LineSegmentRecord* segments, int count) {
  return WithLockedStore(
      ps::kLockWriteOnly, kLineLockFailed, [&](const ShapeCanvas& canvas, const Rect& area, const ShapeFormat& format) {
        for (int i = 0; segments != nullptr && i < count; ++i) {
          const LineSegmentRecord& s = segments[i];
          LineEnds ends;
          if (!ClipLine(s.x1, s.y1, s.x2, s.y2, area, &ends)) continue;
          WithStoreOf(format, s.color, [&](auto op) {
            WalkLine(ends, [&](int x, int y) { shape_ops::PutPixel(op, canvas.Dest(x, y), canvas.Src(x, y)); });
          });
        }
      });
}

}  // namespace vexal

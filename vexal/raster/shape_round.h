// The part of the circle's and the oval's frame that follows the checks: the kernel, the
// locks, the row flags and the walk through the sink that writes the pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/raster/shape_frame.h"
#include "vexal/raster/shape_kernel_ops.h"

namespace vexal {

// Writes points and runs through one kernel op, clipped to an inclusive rectangle. Each
// row of a filled shape takes only the first run that reaches it.
template <class Op>
struct RoundSink {
  Op op;
  const ShapeCanvas& canvas;
  int64_t left, top, right, bottom;  // inclusive
  uint8_t* row_done;                 // one flag per row from top; null for outlines

  void Point(int64_t px, int64_t py) const {
    if (px < left || px > right || py < top || py > bottom) return;
    const int x = static_cast<int>(px), y = static_cast<int>(py);
    shape_ops::PutPixel(op, canvas.Dest(x, y), canvas.Src(x, y));
  }
  void Run(int64_t y, int64_t xl, int64_t xr) const {
    if (xr < left || xl > right || y < top || y > bottom || row_done[y - top] != 0) return;
    row_done[y - top] = 1;
    const int from = static_cast<int>(xl < left ? left : xl), to = static_cast<int>(xr > right ? right : xr);
    const int row = static_cast<int>(y);
    shape_ops::PutRun(op, canvas.Dest(from, row), canvas.Src(from, row), to - from + 1);
  }
};

struct RoundMessages {
  const char* dest_lock;
  const char* source_lock;
  const char* no_memory;
};

// area: the clip area (right and bottom exclusive, not empty); box: the read-back box,
// already clipped to it; walk(sink) runs the geometry.
template <class Walk>
int DrawRoundShape(plat::surface::Surface* dest, bool dest_is_mask, const Rect& area, const Rect& box, bool filled,
                   uint32_t color, const RoundMessages& messages, Walk&& walk) {
  ShapeFormat format;
  const bool drawable = ScreenShapeFormat(&format);
  const ShapeKernel kernel = PrepareShapeKernel(ShapeFamily::kRound, format, DrawState.BlendMode, DrawState.BlendParam,
                                                DDrawState.CoarseBlendFlag != 0, color);
  ShapeLock lock(dest, plat::surface::kLockWait, ShapeNeedsReadBack(dest_is_mask), box, messages.dest_lock,
                 messages.source_lock);
  std::unique_ptr<uint8_t[]> rows;
  if (filled) {
    rows.reset(new (std::nothrow) uint8_t[static_cast<size_t>(area.bottom - area.top)]());
    if (rows == nullptr) FatalErrorExit(messages.no_memory);
  }
  if (!drawable) return 0;
  shape_ops::WithShapeOp(kernel, [&](auto op) {
    RoundSink<decltype(op)> sink{op, lock.canvas(), area.left, area.top, area.right - 1, area.bottom - 1, rows.get()};
    walk(sink);
  });
  return 0;
}

// The read-back box clipped to the area, from 64-bit edges.
inline Rect ClampedBox(int64_t left, int64_t top, int64_t right, int64_t bottom, const Rect& area) {
  auto clamp = [](int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(v < lo ? lo : v > hi ? hi : v); };
  return {clamp(left, area.left, area.right), clamp(top, area.top, area.bottom), clamp(right, area.left, area.right),
          clamp(bottom, area.top, area.bottom)};
}

}  // namespace vexal

// The frame every software shape runs its geometry in: the destination (the mask surface
// while masked drawing is on and one exists, else the draw surface), the drawing colour
// (brightness applied), the clip area, the copy of the old pixels into work surface 1 when
// the blend reads them and the destination lies in video memory, and the locks.
//
// Work surface 1 is screen-sized. A read-back box that does not fit it (a graph target
// larger than the screen) is read in the destination itself instead.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/surface/surface.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/raster/shape_kernels.h"

namespace vexal {

// The destination and whether it is the mask surface.
plat::surface::Surface* ShapeDestination(bool* is_mask);

// The colour after the draw brightness, in the screen's format. An 8-bit value that is no
// palette index counts as black.
uint32_t PrepareShapeColor(uint32_t color);

// The screen's layout for the kernels; false when nothing can be drawn at this depth.
bool ScreenShapeFormat(ShapeFormat* out);

// The draw area (right and bottom exclusive), also kept inside the destination surface.
Rect ShapeClipArea(plat::surface::Surface* dest);

// The blend reads old pixels from a copy: a blending mode, not 8 bits, and the destination
// in video memory.
bool ShapeNeedsReadBack(bool dest_is_mask);

// The locked memory: pixel (x, y) of the draw target, and where its old value is read.
struct ShapeCanvas {
  uint8_t* dest = nullptr;  // draw pixel (0, 0), the target origin applied
  ptrdiff_t dest_pitch = 0;
  const uint8_t* src = nullptr;  // draw pixel (0, 0) of the blend source
  ptrdiff_t src_pitch = 0;
  int bytes = 0;

  uint8_t* Dest(int x, int y) const { return dest + y * dest_pitch + static_cast<ptrdiff_t>(x) * bytes; }
  const uint8_t* Src(int x, int y) const { return src + y * src_pitch + static_cast<ptrdiff_t>(x) * bytes; }
};

// Locks for one call. With read_back the box (draw coordinates, inside the clip area) is
// copied into work surface 1 first and the blend reads there. A failed lock ends the
// program with the message given (the work surface's after the destination is unlocked).
class ShapeLock {
 public:
  ShapeLock(plat::surface::Surface* dest, uint32_t lock_flags, bool read_back, const Rect& box, const char* dest_failed,
            const char* source_failed);
  ~ShapeLock();
  ShapeLock(const ShapeLock&) = delete;
  ShapeLock& operator=(const ShapeLock&) = delete;

  const ShapeCanvas& canvas() const { return canvas_; }

 private:
  plat::surface::Surface* dest_;
  plat::surface::Surface* work_ = nullptr;
  ShapeCanvas canvas_;
};

}  // namespace vexal

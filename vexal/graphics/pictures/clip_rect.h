// Rectangles and the intersection every draw path clips with.
#pragma once

#include <cstdint>

namespace vexal {

// Left, top, right, bottom; right and bottom are exclusive.
struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Limits each edge of rect to clip, in place: bottom and top into [clip.top, clip.bottom],
// right and left into [clip.left, clip.right]. A rectangle wholly outside collapses onto
// the nearest clip edge (empty); an inverted one stays inverted. Always 0.
int ClipRect(Rect* rect, const Rect* clip);

}  // namespace vexal

// Rectangles and the intersection every draw path clips with.
#pragma once

#include <cstdint>

#include "platform/numeric/saturate.h"

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
inline int ClipRect(Rect* rect, const Rect* clip) {
  // The upper limit first, then the lower, so a clip whose edges cross still gives its
  // lower edge, as every caller has always seen.
  auto limit = [](int32_t v, int32_t low, int32_t high) {
    if (v > high) v = high;
    if (v < low) v = low;
    return v;
  };
  rect->bottom = limit(rect->bottom, clip->top, clip->bottom);
  rect->top = limit(rect->top, clip->top, clip->bottom);
  rect->right = limit(rect->right, clip->left, clip->right);
  rect->left = limit(rect->left, clip->left, clip->right);
  return 0;
}

// A rectangle whose edges were worked out in 64 bits, each held to the int range. Every
// clip lies inside that range, so an edge held there clips as the true edge would.
Rect SaturatedRect(int64_t left, int64_t top, int64_t right, int64_t bottom);

// A coordinate (or any other sum or product of int values) worked out in 64 bits, held to
// the int range by the program's one rule (plat::numeric::Saturate32).
constexpr int32_t SaturatedCoordinate(int64_t v) { return plat::numeric::Saturate32(v); }

}  // namespace vexal

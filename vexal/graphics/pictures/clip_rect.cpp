#include "vexal/graphics/pictures/clip_rect.h"

namespace vexal {
namespace {

// The upper limit first, then the lower, so a clip whose edges cross still gives its
// lower edge, as every caller has always seen.
int32_t Limit(int32_t v, int32_t low, int32_t high) {
  if (v > high) v = high;
  if (v < low) v = low;
  return v;
}

}  // namespace

int ClipRect(Rect* rect, const Rect* clip) {
  rect->bottom = Limit(rect->bottom, clip->top, clip->bottom);
  rect->top = Limit(rect->top, clip->top, clip->bottom);
  rect->right = Limit(rect->right, clip->left, clip->right);
  rect->left = Limit(rect->left, clip->left, clip->right);
  return 0;
}

Rect SaturatedRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return {SaturatedCoordinate(left), SaturatedCoordinate(top), SaturatedCoordinate(right), SaturatedCoordinate(bottom)};
}

}  // namespace vexal

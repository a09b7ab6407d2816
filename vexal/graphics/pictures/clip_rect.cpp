#include "vexal/graphics/pictures/clip_rect.h"

namespace vexal {

Rect SaturatedRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return {SaturatedCoordinate(left), SaturatedCoordinate(top), SaturatedCoordinate(right), SaturatedCoordinate(bottom)};
}

}  // namespace vexal

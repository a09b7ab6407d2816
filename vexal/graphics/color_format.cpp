#include "vexal/graphics/color_format.h"

namespace vexal {

void SetPixelFormat24(ColorFormatRecord* f) {
  *f = ColorFormatRecord{24, 3, 8, 8, 8, 0, 16, 8, 0, 0, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
}

void SetPixelFormat8(ColorFormatRecord* f) {
  *f = ColorFormatRecord{8, 1, 8, 8, 8, 8, 0, 0, 0, 0, 0xFFu, 0xFFu, 0xFFu, 0xFFu};
}

}  // namespace vexal

// The colour format a new DirectDraw-row graph is stored in: the screen's, except on an
// 8-bit screen, whose graphs hold 24-bit colour.
#include "vexal/graphics/drawing/ddraw_row.h"

#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

int DDrawGetGraphColorDesc(ColorFormatRecord* out, int) {
  if (out == nullptr) return 0;
  if (GetScreenColorBits() == 8) {
    *out = ColorFormatRecord{};
    out->ColorBits = 24;
    out->BytesPerPixel = 3;
    out->RedWidth = out->GreenWidth = out->BlueWidth = 8;
    out->RedShift = 16;
    out->GreenShift = 8;
    out->BlueShift = 0;
    out->RedMask = 0xFF0000;
    out->GreenMask = 0xFF00;
    out->BlueMask = 0xFF;
    return 0;
  }
  *out = *GetPixelFormatPtr();
  return 0;
}

}  // namespace vexal

// Slot 36 until the fonts are built: no text.
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {
namespace {

constexpr int kNotDrawn = -1;  // no text drawn

}  // namespace

int DDrawStringByWorkDC(int, int, const char*, uint32_t, int, uint32_t, int) { return kNotDrawn; }

}  // namespace vexal

// Slots 38 and 39 until the mask is built: the mask steps succeed.
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {

int DDrawMaskPreDraw(Rect) { return 0; }
int DDrawMaskPostDraw(Rect) { return 0; }

}  // namespace vexal

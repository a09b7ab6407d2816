// Slots 38 and 39 of the DirectDraw row: the mask steps around a masked draw, on the
// current draw surface.
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

int DDrawMaskPreDraw(Rect area) { return MaskPreDraw(area, GetDrawSurface()); }
int DDrawMaskPostDraw(Rect area) { return MaskPostDraw(area, GetDrawSurface()); }

}  // namespace vexal

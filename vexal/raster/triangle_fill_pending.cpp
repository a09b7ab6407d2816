// The triangle fill until the triangle rasteriser is built: it answers as a row without a
// device does, drawing nothing.
#include "vexal/raster/triangle_fill.h"

namespace vexal {

int DrawTriangleFill(int, int, int, int, int, int, uint32_t) { return -1; }

}  // namespace vexal

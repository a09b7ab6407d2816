// The filled one-colour triangle of slot 32: the shape frame around one call of the
// triangle rasteriser, which clips and blends by itself.
#pragma once

#include <cstdint>

namespace vexal {

// Fills the triangle in colour (brightness and blend mode applied). 0 when done; -1 when
// the draw target cannot be used or there is no device.
int DrawTriangleFill(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color);

}  // namespace vexal

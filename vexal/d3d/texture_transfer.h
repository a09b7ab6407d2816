// Image data into a texture piece: the pixels are converted into a system-memory work
// texture of the piece's format and the device loads them into the managed draw texture.
#pragma once

#include "vexal/graphics/pictures/graph_image.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

// The picture area that starts at (x, y) into texture record textureIndex: mode 1 takes
// the GDI bitmap pair (bitmapFormat describes bitmap; alphaBitmap may be null), any other
// mode the picture with its optional alpha picture. A texture shared by the cells of a
// divided graph is filled whole from (0, 0), and its graphs are no longer waiting for a
// reload. A piece of a derived graph is written at its offset in the texture. 0, or -1
// without a usable device or for a slot without a record.
int TransferImageToTexture(const ColorFormatRecord* bitmapFormat, const void* bitmap, const void* alphaBitmap, int x,
                           int y, int textureIndex, int mode, const GraphImage* image, const GraphImage* alphaImage);

}  // namespace vexal

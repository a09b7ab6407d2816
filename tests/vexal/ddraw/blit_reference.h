// A slow, obvious blitter for the tests: each pixel and each channel worked out from the
// rules one at a time, with the channel fields taken from the format's masks.
#pragma once

#include "vexal/ddraw/blit_kernels.h"

namespace nltest {

void ReferenceBlit(const vexal::BlitSettings& settings, const vexal::BlitPixels& pixels);

}  // namespace nltest

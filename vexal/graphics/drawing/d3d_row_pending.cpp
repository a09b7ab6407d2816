// Row-1 draws until the Direct3D drawing is built: each refuses, as a row without a
// usable target does, so nothing is drawn and nothing is left half done.
#include "vexal/graphics/drawing/d3d_row.h"

namespace vexal {
namespace {

constexpr int kRefused = -1;

}  // namespace

int D3DCopyScreenToGraph(int, int, int, int, GraphRecord*, int) { return kRefused; }
int D3DDrawString(int, int, const char*, uint32_t, int, uint32_t, int) { return kRefused; }

}  // namespace vexal

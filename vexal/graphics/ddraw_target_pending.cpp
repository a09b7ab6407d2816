// Slots 23 and 26 until the draw-target code is built: copy and clear nothing.
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {
namespace {

constexpr int kNotDrawn = -1;

}  // namespace

int DDrawCopyScreenToGraph(int, int, int, int, GraphRecord*, int) { return kNotDrawn; }
int DDrawClearDrawTarget() { return kNotDrawn; }

}  // namespace vexal

// Slot 13 until the graph blitter is built: draws nothing.
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {
namespace {

constexpr int kNotDrawn = -1;

}  // namespace

int DDrawDrawGraph(int, int, GraphRecord*, int) { return kNotDrawn; }

}  // namespace vexal

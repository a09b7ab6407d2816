// Row-0 entries whose drawers are not built yet. Each answers as the row does without a
// DirectDraw device: it draws nothing and fails, except the chip map and the mask steps,
// which report success whatever they draw.
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {
namespace {

constexpr int kNotDrawn = -1;

}  // namespace

int G_DDraw_DrawExtendGraph(int, int, int, int, GraphRecord*, int) { return kNotDrawn; }
int G_DDraw_DrawRotaGraph(int, int, double, double, GraphRecord*, int, int) { return kNotDrawn; }
int G_DDraw_DrawModiGraph(int, int, int, int, int, int, int, int, GraphRecord*, int) { return kNotDrawn; }
int G_DDraw_DrawModiGraphFloat(float, float, float, float, float, float, float, float, GraphRecord*, int) {
  return kNotDrawn;
}
int G_DDraw_DrawChipMap(int, int, int, int, const uint32_t*, int, int, GraphRecord**, int) { return 0; }
int G_DDraw_DrawPrimitive(const PrimitiveVertex*, int, int, GraphRecord*, int) { return kNotDrawn; }

}  // namespace vexal

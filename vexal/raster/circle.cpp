// Slot 30 of row 0: the software circle.
#include <cstdint>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/circle_walk.h"
#include "vexal/raster/shape_round.h"

namespace vexal {
namespace {

constexpr RoundMessages kCircleMessages{
    "転送先サーフェスのロックに失敗しました in G_DDraw_DrawCircle ",
    "転送元サーフェスのロックに失敗しました in G_DDraw_DrawCircle",
    "メモリの確保に失敗しました in G_DDraw_DrawCircle",
};

}  // namespace

int G_DDraw_DrawCircle(int x, int y, int r, uint32_t color, int fill) {
  if (DDrawTargetUnusable != 0) return -1;
  bool is_mask = false;
  plat::surface::Surface* dest = ShapeDestination(&is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  const Rect area = ShapeClipArea(dest);
  // A negative radius, or nothing to draw on, draws nothing and walks nothing.
  if (dest == nullptr || r < 0 || area.right <= area.left || area.bottom <= area.top) return 0;
  const uint32_t color_value = PrepareShapeColor(color);
  const int64_t cx = x, cy = y, cr = r;
  const Rect box = ClampedBox(cx - cr - 1, cy - cr - 1, cx + cr + 1, cy + cr + 1, area);
  return DrawRoundShape(dest, is_mask, area, box, fill != 0, color_value, kCircleMessages,
                        [&](auto& sink) { CircleWalk(cx, cy, cr, fill != 0, sink); });
}

}  // namespace vexal

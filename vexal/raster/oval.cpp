// Slot 31 of row 0: the software oval.
#include <cstdint>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/oval_walk.h"
#include "vexal/raster/shape_round.h"

namespace vexal {
namespace {

constexpr RoundMessages kOvalMessages{
    "転送先サーフェスのロックに失敗しました in G_DDraw_DrawOval ",
    "転送元サーフェスのロックに失敗しました in G_DDraw_DrawOval",
    "メモリの確保に失敗しました in G_DDraw_DrawOval",
};

int64_t Magnitude(int v) { return v < 0 ? -static_cast<int64_t>(v) : v; }

}  // namespace

int G_DDraw_DrawOval(int x, int y, int rx, int ry, uint32_t color, int fill) {
  if (DDrawTargetUnusable != 0) return -1;
  bool is_mask = false;
  plat::surface::Surface* dest = ShapeDestination(&is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  if (rx == 0 || ry == 0) return -1;
  EndPending3DScene();
  const Rect area = ShapeClipArea(dest);
  const int64_t ax = Magnitude(rx), ay = Magnitude(ry);
  if (dest == nullptr || ax > kMaxOvalRadius || ay > kMaxOvalRadius || area.right <= area.left ||
      area.bottom <= area.top)
    return 0;
  const uint32_t color_value = PrepareShapeColor(color);
  const int64_t cx = x, cy = y;
  // A tall oval's tips pass ry (up to about 1.42 ry): the box covers twice ry.
  const int64_t reach = ax >= ay ? ay + 1 : 2 * ay + 2;
  const Rect box = ClampedBox(cx - ax - 1, cy - reach, cx + ax + 1, cy + reach, area);
  return DrawRoundShape(dest, is_mask, area, box, fill != 0, color_value, kOvalMessages,
                        [&](auto& sink) { OvalWalk(cx, cy, ax, ay, fill != 0, sink); });
}

}  // namespace vexal

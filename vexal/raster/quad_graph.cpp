// A whole graph drawn onto a free quadrilateral: its corners (0, 0), (w, 0), (0, h),
// (w, h) go to the four points given, and two texture-mapped triangles split the
// quadrilateral along the diagonal from the second to the third point.
#include <algorithm>
#include <cstdint>

#include "platform/numeric/saturate.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/triangle_raster.h"
#include "vexal/raster/warp_frame.h"

namespace vexal {
namespace {

using plat::numeric::TruncSaturated32;

namespace w = warp;

constexpr int kMargin = 2;     // the bounding box reaches this far left of and above the corners
constexpr int kFarMargin = 4;  // and this far right of and below them
constexpr w::WarpLocks::Messages kLockMessages{"転送先サーフェスのロックに失敗しました in G_DDraw_DrawModiGraph ",
                                               "転送元サーフェス１のロックに失敗しました in G_DDraw_DrawModiGraph ",
                                               "転送元サーフェス２のロックに失敗しました in G_DDraw_DrawModiGraph "};

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); }

}  // namespace

int G_DDraw_DrawModiGraph(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, GraphRecord* graph,
                          int trans) {
  w::GraphPiece piece;
  const bool has_piece = w::FirstPiece(graph, &piece);
  if (DDrawTargetUnusable != 0 || GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  if (!has_piece) return -1;
  bool dest_is_mask = false;
  w::ps::Surface* dest = w::Destination(&dest_is_mask);
  if (dest == nullptr) return -1;

  const Rect& area = DrawState.DrawArea;
  const int64_t min_x = std::min({x1, x2, x3, x4}), max_x = std::max({x1, x2, x3, x4});
  const int64_t min_y = std::min({y1, y2, y3, y4}), max_y = std::max({y1, y2, y3, y4});
  const Rect box{Clamp(min_x - kMargin, area.left, area.right), Clamp(min_y - kMargin, area.top, area.bottom),
                 Clamp(max_x + kFarMargin, area.left, area.right), Clamp(max_y + kFarMargin, area.top, area.bottom)};
  if (box.left >= box.right || box.top >= box.bottom) return 0;

  w::WarpLocks locks;
  w::TriangleTarget t;
  w::LockForTriangles(dest, dest_is_mask, box, &piece, kLockMessages, &locks, &t);
  const int gw = piece.Width, gh = piece.Height;
  const RasterVertex v[4] = {{x1, y1, 0, 0}, {x2, y2, gw, 0}, {x3, y3, 0, gh}, {x4, y4, gw, gh}};
  G_DDraw_RasterTriangle(&v[0], graph, trans, t.Dest, t.DestPitch, t.Src1, t.Src1Pitch, t.Src2, t.Src2Pitch, 0);
  G_DDraw_RasterTriangle(&v[1], graph, trans, t.Dest, t.DestPitch, t.Src1, t.Src1Pitch, t.Src2, t.Src2Pitch, 0);
  locks.Unlock();
  return 0;
}

int G_DDraw_DrawModiGraphFloat(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                               GraphRecord* graph, int trans) {
  auto i = [](float v) { return TruncSaturated32(static_cast<double>(v)); };
  return G_DDraw_DrawModiGraph(i(x1), i(y1), i(x2), i(y2), i(x3), i(y3), i(x4), i(y4), graph, trans);
}

}  // namespace vexal

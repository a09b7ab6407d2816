// The primitive list drawn in software: points and lines go to the point and line sets
// as records in the screen's colours, triangles to the triangle rasteriser over one lock.
// Without a graph the triangles are filled in colour value 0.
#include "vexal/ddraw/primitive.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

#include "platform/numeric/saturate.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/ddraw/point_line_records.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/triangle_raster.h"
#include "vexal/raster/warp_frame.h"

namespace vexal {
namespace {

using plat::numeric::TruncSaturated32;

namespace w = warp;

constexpr int kMargin = 2;  // around the triangles' bounding box, as the quadrilateral draw keeps
constexpr int kFarMargin = 4;
constexpr w::WarpLocks::Messages kLockMessages{"転送先サーフェスのロックに失敗しました in G_DDraw_DrawModiGraph ",
                                               "転送元サーフェス１のロックに失敗しました in G_DDraw_DrawModiGraph ",
                                               "転送元サーフェス２のロックに失敗しました in G_DDraw_DrawModiGraph "};

ColorValue VertexColor(const PrimitiveVertex& v) {
  return MakeColorValue(static_cast<int>((v.diffuse >> 16) & 0xFF), static_cast<int>((v.diffuse >> 8) & 0xFF),
                        static_cast<int>(v.diffuse & 0xFF));
}

int Trunc(float v) { return TruncSaturated32(static_cast<double>(v)); }

LineSegmentRecord Segment(const PrimitiveVertex& a, const PrimitiveVertex& b) {
  return {Trunc(a.x), Trunc(a.y), Trunc(b.x), Trunc(b.y), VertexColor(a), a.diffuse & 0xFF000000u};
}

// The draw area cut to the destination surface. The area follows the chosen target, and
// while that is a Direct3D graph the surface drawn on is an older, maybe smaller one.
Rect SurfaceDrawArea(w::ps::Surface* dest) {
  const w::ps::SurfaceInfo info = w::ps::GetSurfaceInfo(dest);
  const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
  Rect area = DrawState.DrawArea;
  area.left = std::max(area.left, -ox);
  area.top = std::max(area.top, -oy);
  area.right = std::min(area.right, info.width - ox);
  area.bottom = std::min(area.bottom, info.height - oy);
  return area;
}

int DrawTriangles(const PrimitiveVertex* vertices, const std::vector<int>& indices, GraphRecord* graph, int trans) {
  if (indices.empty()) return 0;
  bool dest_is_mask = false;
  w::ps::Surface* dest = w::Destination(&dest_is_mask);
  if (dest == nullptr) return -1;
  w::GraphPiece piece;
  const bool textured = graph != nullptr && w::FirstPiece(graph, &piece);
  const int gw = textured ? graph->Width : 0, gh = textured ? graph->Height : 0;
  std::vector<RasterVertex> raster;
  raster.reserve(indices.size());
  int64_t min_x = std::numeric_limits<int64_t>::max(), min_y = min_x;
  int64_t max_x = std::numeric_limits<int64_t>::min(), max_y = max_x;
  for (int i : indices) {
    const PrimitiveVertex& v = vertices[i];
    const RasterVertex r{Trunc(v.x), Trunc(v.y), textured ? Trunc(v.u * static_cast<float>(gw)) : 0,
                         textured ? Trunc(v.v * static_cast<float>(gh)) : 0};
    raster.push_back(r);
    min_x = std::min<int64_t>(min_x, r.x), max_x = std::max<int64_t>(max_x, r.x);
    min_y = std::min<int64_t>(min_y, r.y), max_y = std::max<int64_t>(max_y, r.y);
  }
  const Rect area = SurfaceDrawArea(dest);
  if (area.left >= area.right || area.top >= area.bottom) return 0;
  auto clamp = [](int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); };
  const Rect box{clamp(min_x - kMargin, area.left, area.right), clamp(min_y - kMargin, area.top, area.bottom),
                 clamp(max_x + kFarMargin, area.left, area.right), clamp(max_y + kFarMargin, area.top, area.bottom)};
  if (box.left >= box.right || box.top >= box.bottom) return 0;
  w::WarpLocks locks;
  w::TriangleTarget t;
  w::LockForTriangles(dest, dest_is_mask, box, textured ? &piece : nullptr, kLockMessages, &locks, &t);
  {
    // The rasteriser clips to the draw area; for this call it is the part on the surface.
    const ScopedDrawArea on_surface(area);
    for (size_t i = 0; i + 2 < raster.size(); i += 3)
      G_DDraw_RasterTriangle(&raster[i], textured ? graph : nullptr, trans, t.Dest, t.DestPitch, t.Src1, t.Src1Pitch,
                             t.Src2, t.Src2Pitch, 0);
  }
  locks.Unlock();
  return 0;
}

}  // namespace

std::vector<LineSegmentRecord> PrimitiveSegments(const PrimitiveVertex* vertices, int count, int type) {
  std::vector<LineSegmentRecord> segments;
  if (vertices == nullptr) return segments;
  const int step = type == kPrimitiveLineList ? 2 : 1;
  for (int i = 0; i + 1 < count; i += step) segments.push_back(Segment(vertices[i], vertices[i + 1]));
  return segments;
}

std::vector<int> PrimitiveTriangles(int count, int type) {
  std::vector<int> out;
  for (int k = 2; k < count; ++k) {
    if (type == kPrimitiveTriangleList && k % 3 == 2)
      out.insert(out.end(), {k - 2, k - 1, k});
    else if (type == kPrimitiveTriangleStrip)
      out.insert(out.end(), {k - 2, k - 1, k});
    else if (type == kPrimitiveTriangleFan)
      out.insert(out.end(), {0, k - 1, k});
  }
  return out;
}

// The draw target's unusable flag is not tested here: with a Direct3D graph chosen, the
// point and line sets refuse their records, and triangles go to the surface drawn on before.
int G_DDraw_DrawPrimitive(const PrimitiveVertex* vertices, int count, int type, GraphRecord* graph, int trans) {
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  if (vertices == nullptr || count <= 0) return 0;
  try {
    switch (type) {
      case kPrimitivePointList: {
        std::vector<PointRecord> points;
        points.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
          points.push_back({Trunc(vertices[i].x), Trunc(vertices[i].y), VertexColor(vertices[i]),
                            vertices[i].diffuse & 0xFF000000u});
        G_DDraw_DrawPixel(points.data(), count);
        return 0;
      }
      case kPrimitiveLineList:
      case kPrimitiveLineStrip: {
        const std::vector<LineSegmentRecord> segments = PrimitiveSegments(vertices, count, type);
        if (!segments.empty()) G_DDraw_DrawLineSet(segments.data(), static_cast<int>(segments.size()));
        return 0;
      }
      case kPrimitiveTriangleList:
      case kPrimitiveTriangleStrip:
      case kPrimitiveTriangleFan: DrawTriangles(vertices, PrimitiveTriangles(count, type), graph, trans); return 0;
      default: return 0;
    }
  } catch (const std::bad_alloc&) {
    return -1;  // no room for the records
  }
}

}  // namespace vexal

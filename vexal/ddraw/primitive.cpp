// The primitive list drawn in software: points and lines go to the point and line sets
// as records in the screen's colours, triangles to the triangle rasteriser over one lock.
// Without a graph the triangles are filled in colour value 0.
#include "vexal/ddraw/primitive.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "vexal/ddraw/point_line_records.h"
#include "vexal/graphics/color_value.h"
#include "vexal/graphics/ddraw_row.h"
#include "vexal/graphics/direct3d_pending.h"
#include "vexal/graphics/draw_state.h"
#include "vexal/graphics/draw_target.h"
#include "vexal/graphics/screen_access.h"
#include "vexal/raster/triangle_raster.h"
#include "vexal/raster/warp_frame.h"

namespace vexal {
namespace {

namespace w = warp;

constexpr int kMargin = 2;  // around the triangles' bounding box, as the quadrilateral draw keeps
constexpr int kFarMargin = 4;
constexpr w::WarpLocks::Messages kLockMessages{
    "転送先サーフェスのロックに失敗しました in G_DDraw_DrawModiGraph ",
    "転送元サーフェス１のロックに失敗しました in G_DDraw_DrawModiGraph ",
    "転送元サーフェス２のロックに失敗しました in G_DDraw_DrawModiGraph "};

ColorValue VertexColor(const PrimitiveVertex& v) {
  return MakeColorValue(static_cast<int>((v.diffuse >> 16) & 0xFF), static_cast<int>((v.diffuse >> 8) & 0xFF),
                        static_cast<int>(v.diffuse & 0xFF));
}

int Trunc(float v) { return w::SaturateInt32(static_cast<double>(v)); }

LineSegmentRecord Segment(const PrimitiveVertex& a, const PrimitiveVertex& b) {
  return {Trunc(a.x), Trunc(a.y), Trunc(b.x), Trunc(b.y), VertexColor(a), a.diffuse & 0xFF000000u};
}

// The vertex triples of a triangle list, strip or fan.
std::vector<int> TriangleIndices(int count, int type) {
  std::vector<int> out;
  if (count < 3) return out;
  if (type == kPrimitiveTriangleList) {
    for (int i = 0; i + 2 < count; i += 3) out.insert(out.end(), {i, i + 1, i + 2});
  } else if (type == kPrimitiveTriangleStrip) {
    for (int k = 2; k < count; ++k) out.insert(out.end(), {k - 2, k - 1, k});
  } else {
    for (int k = 2; k < count; ++k) out.insert(out.end(), {0, k - 1, k});
  }
  return out;
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
  const Rect& area = DrawState.DrawArea;
  auto clamp = [](int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); };
  const Rect box{clamp(min_x - kMargin, area.left, area.right), clamp(min_y - kMargin, area.top, area.bottom),
                 clamp(max_x + kFarMargin, area.left, area.right), clamp(max_y + kFarMargin, area.top, area.bottom)};
  if (box.left >= box.right || box.top >= box.bottom) return 0;
  w::WarpLocks locks;
  w::TriangleTarget t;
  w::LockForTriangles(dest, dest_is_mask, box, textured ? &piece : nullptr, kLockMessages, &locks, &t);
  for (size_t i = 0; i + 2 < raster.size(); i += 3)
    G_DDraw_RasterTriangle(&raster[i], textured ? graph : nullptr, trans, t.Dest, t.DestPitch, t.Src1, t.Src1Pitch,
                           t.Src2, t.Src2Pitch, 0);
  locks.Unlock();
  return 0;
}

}  // namespace

int G_DDraw_DrawPrimitive(const PrimitiveVertex* vertices, int count, int type, GraphRecord* graph, int trans) {
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  // A Direct3D graph as target has no surface to lock.
  if (DDrawTargetUnusable != 0) return -1;
  if (vertices == nullptr || count <= 0) return 0;
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
      std::vector<LineSegmentRecord> segments;
      if (type == kPrimitiveLineList)
        for (int i = 0; i + 1 < count; i += 2) segments.push_back(Segment(vertices[i], vertices[i + 1]));
      else
        for (int i = 0; i + 1 < count; ++i) segments.push_back(Segment(vertices[i], vertices[i + 1]));
      if (!segments.empty()) G_DDraw_DrawLineSet(segments.data(), static_cast<int>(segments.size()));
      return 0;
    }
    case kPrimitiveTriangleList:
    case kPrimitiveTriangleStrip:
    case kPrimitiveTriangleFan:
      DrawTriangles(vertices, TriangleIndices(count, type), graph, trans);
      return 0;
    default:
      return 0;
  }
}

}  // namespace vexal

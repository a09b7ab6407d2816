// Slots 27 to 29 and 32 to 35 of row 1: one-colour shapes as untextured primitives. While
// the draw target is one Direct3D cannot draw on, the single shapes hand the call to
// their row-0 twin.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_graph.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/ddraw/point_line_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace pd = plat::d3d;

namespace {

constexpr uint32_t kFvfColorVertex = pd::kFvfXyzRhw | pd::kFvfDiffuse;
constexpr int kBatchVertices = 1000;

struct ColorVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
};

// Coordinates in doubles, which hold every int and every difference or sum of two
// exactly: shapes at the far ends of the int range are worked out without overflow.
struct Pt {
  double x, y;
};

Pt At(int x, int y) { return {static_cast<double>(x), static_cast<double>(y)}; }

// The caller's colour under the brightness, with the blend parameter as alpha.
uint32_t ShapeDiffuse(uint32_t color) {
  int r = 0, g = 0, b = 0;
  GetColorRGB(color, &r, &g, &b);
  const DrawStateBlock* s = D3DDrawState;
  const uint32_t bright = BrightColor();
  const uint32_t br = (bright >> 16) & 0xFF, bg = (bright >> 8) & 0xFF, bb = bright & 0xFF;
  uint32_t alpha = 255;
  if (s != nullptr && s->BlendMode != 0) alpha = static_cast<uint32_t>(std::clamp(s->BlendParam, 0, 255));
  const uint32_t rr = static_cast<uint32_t>(r) * br / 255, gg = static_cast<uint32_t>(g) * bg / 255,
                 bbb = static_cast<uint32_t>(b) * bb / 255;
  return alpha << 24 | rr << 16 | gg << 8 | bbb;
}

int OriginX() { return D3DDrawState != nullptr ? D3DDrawState->TargetRect.left : 0; }
int OriginY() { return D3DDrawState != nullptr ? D3DDrawState->TargetRect.top : 0; }

// Frame steps 4 to 9 for the points of one single shape.
int Send(pd::PrimitiveType type, const Pt* pts, int n, uint32_t color, bool always_shift = false) {
  if (BeginPending3DScene() != 0) return 0;
  D3DDeviceRecord* rec = UsableD3DDevice(D3DCurrentDevice);
  const uint32_t diffuse = ShapeDiffuse(color);
  const bool shift = always_shift || IsDrawingToFront() == 1;
  const double ox = shift ? OriginX() : 0, oy = shift ? OriginY() : 0;
  std::array<ColorVertex, 8> v{};
  for (int i = 0; i < n; ++i) {
    v[static_cast<size_t>(i)] = {static_cast<float>(pts[i].x + ox), static_cast<float>(pts[i].y + oy), 0.0f, 1.0f,
                                 diffuse};
  }
  BindStageTexture(rec, nullptr);
  pd::DrawPrimitive(rec->Device, type, kFvfColorVertex, v.data(), static_cast<uint32_t>(n), 0);
  EndSceneAfterDraw();
  return 0;
}

void OrderCorners(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2 || y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
}

// A channel of a screen-format value as 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask, int shift, int width) {
  if (width <= 0) return 0;
  const uint32_t max = (1u << width) - 1;
  return ((value & mask) >> shift) * 255 / max;
}

uint32_t RecordDiffuse(uint32_t value, uint32_t alpha, const ColorFormatRecord* f) {
  if (f == nullptr) return (alpha & 0xFF) << 24;
  return (alpha & 0xFF) << 24 | Channel(value, f->RedMask, f->RedShift, f->RedWidth) << 16 |
         Channel(value, f->GreenMask, f->GreenShift, f->GreenWidth) << 8 |
         Channel(value, f->BlueMask, f->BlueShift, f->BlueWidth);
}

// The arrays: records to vertices in batches of kBatchVertices.
template <class Record, int PerRecord, class Fill>
int SendBatches(pd::PrimitiveType type, const Record* records, int count, Fill fill) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return -2;  // the caller hands over to row 0
  if (BeginPending3DScene() != 0) return 0;
  D3DDeviceRecord* rec = UsableD3DDevice(D3DCurrentDevice);
  BindStageTexture(rec, nullptr);
  const float ox = static_cast<float>(OriginX()), oy = static_cast<float>(OriginY());
  const ColorFormatRecord* format = GetPixelFormatPtr();
  std::array<ColorVertex, kBatchVertices> buffer;
  int n = 0;
  for (int i = 0; records != nullptr && i < count; ++i) {
    fill(records[i], ox, oy, format, &buffer[static_cast<size_t>(n)]);
    n += PerRecord;
    if (n == kBatchVertices) {
      pd::DrawPrimitive(rec->Device, type, kFvfColorVertex, buffer.data(), static_cast<uint32_t>(n), 0);
      n = 0;
    }
  }
  if (n > 0) pd::DrawPrimitive(rec->Device, type, kFvfColorVertex, buffer.data(), static_cast<uint32_t>(n), 0);
  EndSceneAfterDraw();
  return 0;
}

}  // namespace

int G_D3D_DrawFillBox(int x1, int y1, int x2, int y2, uint32_t color) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DrawFillBox(x1, y1, x2, y2, color);
  OrderCorners(x1, y1, x2, y2);
  std::array<Pt, 4> p{{At(x1, y1), At(x2, y1), At(x1, y2), At(x2, y2)}};
  auto f = [](double v) { return static_cast<float>(v); };
  const float c1 =
      (f(p[2].y) - f(p[0].y)) * (f(p[1].x) - f(p[0].x)) - (f(p[1].y) - f(p[0].y)) * (f(p[2].x) - f(p[0].x));
  if (c1 <= 0.0f) {
    const float c2 =
        (f(p[1].y) - f(p[3].y)) * (f(p[2].x) - f(p[3].x)) - (f(p[2].y) - f(p[3].y)) * (f(p[1].x) - f(p[3].x));
    if (c2 <= 0.0f) std::swap(p[1], p[2]);
  }
  return Send(pd::PrimitiveType::kTriangleStrip, p.data(), 4, color);
}

int G_D3D_DrawLine(int x1, int y1, int x2, int y2, uint32_t color) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DrawLine(x1, y1, x2, y2, color);
  OrderCorners(x1, y1, x2, y2);
  const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
  const double m = dx != 0 ? dy / dx : std::numeric_limits<double>::infinity();
  const double k = dy != 0 ? dx / dy : std::numeric_limits<double>::infinity();
  // The intercepts are whole numbers from here on, though not always ints.
  const double by = dx != 0 ? std::trunc(y1 - x1 * m) : y1;
  const double bx = dy != 0 ? std::trunc(x1 - y1 * k) : x1;
  const Rect a = D3DDrawState != nullptr ? D3DDrawState->DrawArea : Rect{};
  const double L = a.left, T = a.top, R = a.right, B = a.bottom;
  if (a.left > std::max(x1, x2) || a.top > std::max(y1, y2) || a.right < std::min(x1, x2) ||
      a.bottom < std::min(y1, y2)) {
    return 0;
  }
  Pt p1 = At(x1, y1), p2 = At(x2, y2);
  // A vertical line keeps its x and a horizontal one its y: their slope has no use.
  auto clipX = [&](Pt& e) {
    if (e.x < L) {
      e.x = L;
      if (dx != 0) e.y = std::trunc(L * m + by);
    }
    if (e.x >= R) {
      e.x = R;
      if (dx != 0) e.y = std::trunc(R * m + by);
    }
  };
  auto clipY = [&](Pt& e) {
    if (e.y < T) {
      e.y = T;
      if (dy != 0) e.x = std::trunc(T * k + bx);
    }
    if (e.y >= B) {
      e.y = B;
      if (dy != 0) e.x = std::trunc(B * k + bx);
    }
  };
  clipX(p1);
  clipX(p2);
  clipY(p1);
  clipY(p2);
  if (p1.x == p2.x && p1.y == p2.y) return 0;
  const std::array<Pt, 2> p{p1, p2};
  return Send(pd::PrimitiveType::kLineList, p.data(), 2, color);
}

int G_D3D_DrawBoxOutline(int x1, int y1, int x2, int y2, uint32_t color) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DrawBoxOutline(x1, y1, x2, y2, color);
  OrderCorners(x1, y1, x2, y2);
  const double l = x1, t = y1, r = x2, b = y2;
  const std::array<Pt, 8> p{
      {{l, t}, {r - 1, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {r, b - 1}, {l, t}, {l, b - 1}}};
  return Send(pd::PrimitiveType::kLineList, p.data(), 8, color);
}

int G_D3D_DrawTriangle(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int fill) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DrawTriangle(x1, y1, x2, y2, x3, y3, color, fill);
  std::array<Pt, 4> p{{At(x1, y1), At(x2, y2), At(x3, y3), At(x1, y1)}};
  const double c = (p[2].y - p[0].y) * (p[1].x - p[0].x) - (p[1].y - p[0].y) * (p[2].x - p[0].x);
  if (c <= 0.0) std::swap(p[1], p[2]);
  if (fill != 0) return Send(pd::PrimitiveType::kTriangleList, p.data(), 3, color);
  return Send(pd::PrimitiveType::kLineStrip, p.data(), 4, color);
}

int G_D3D_DestPixel(int x, int y, uint32_t color) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DestPixel(x, y, color);
  const Pt p = At(x, y);
  return Send(pd::PrimitiveType::kPointList, &p, 1, color, true);
}

int G_D3D_DrawPixel(const PointRecord* points, int count) {
  const int r = SendBatches<PointRecord, 1>(
      pd::PrimitiveType::kPointList, points, count,
      [](const PointRecord& p, float ox, float oy, const ColorFormatRecord* f, ColorVertex* out) {
        out[0] = {static_cast<float>(p.x) + ox, static_cast<float>(p.y) + oy, 0.0f, 1.0f,
                  RecordDiffuse(p.color, p.alpha, f)};
      });
  return r == -2 ? G_DDraw_DrawPixel(points, count) : r;
}

int G_D3D_DrawLineSet(const LineSegmentRecord* segments, int count) {
  const int r = SendBatches<LineSegmentRecord, 2>(
      pd::PrimitiveType::kLineList, segments, count,
      [](const LineSegmentRecord& s, float ox, float oy, const ColorFormatRecord* f, ColorVertex* out) {
        const uint32_t d = RecordDiffuse(s.color, s.alpha, f);
        out[0] = {static_cast<float>(s.x1) + ox, static_cast<float>(s.y1) + oy, 0.0f, 1.0f, d};
        out[1] = {static_cast<float>(s.x2) + ox, static_cast<float>(s.y2) + oy, 0.0f, 1.0f, d};
      });
  return r == -2 ? G_DDraw_DrawLineSet(segments, count) : r;
}

}  // namespace vexal

// Slots 30 and 31 of row 1: circles and axis-aligned ovals walked on the processor with
// integer steps, outlines sent as point lists of up to 40 and fills as one line per row.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "vexal/app/fatal_exit.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_graph.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_value.h"

namespace vexal {

namespace pd = plat::d3d;

namespace {

constexpr uint32_t kFvfColorVertex = pd::kFvfXyzRhw | pd::kFvfDiffuse;
constexpr int kPointBatch = 40;

struct ColorVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
};

// Draws one shape: clipped points batched into point lists, clipped spans one line each,
// every row filled at most once.
class ShapeWriter {
 public:
  ShapeWriter(D3DDeviceRecord* rec, uint32_t diffuse, bool fill) : rec_(rec), fill_(fill) {
    const DrawStateBlock* s = D3DDrawState;
    const int ox = s != nullptr ? s->TargetRect.left : 0, oy = s != nullptr ? s->TargetRect.top : 0;
    const Rect a = s != nullptr ? s->DrawArea : Rect{};
    L_ = a.left + ox;
    T_ = a.top + oy;
    R_ = a.right - 1 + ox;
    B_ = a.bottom - 1 + oy;
    ox_ = ox;
    oy_ = oy;
    for (ColorVertex& v : buffer_) v = {0.0f, 0.0f, 0.0f, 1.0f, diffuse};
    if (fill_ && B_ >= T_) {
      // One flag per row of the area (not per row from 0), indexed from its top.
      rows_.resize(static_cast<size_t>(B_ - T_ + 1), 0);
    }
  }
  int ox() const { return ox_; }
  int oy() const { return oy_; }

  void Point(int x, int y) {
    if (x < L_ || x > R_ || y < T_ || y > B_) return;
    buffer_[static_cast<size_t>(n_)].x = static_cast<float>(x);
    buffer_[static_cast<size_t>(n_)].y = static_cast<float>(y);
    if (++n_ == kPointBatch) Flush();
  }
  void Span(int row, int xa, int xb) {
    if (xb < L_ || xa > R_ || row < T_ || row > B_) return;
    uint8_t& done = rows_[static_cast<size_t>(row - T_)];
    if (done != 0) return;
    xa = std::max(xa, L_);
    xb = std::min(xb, R_ - 1);
    std::array<ColorVertex, 2> line{buffer_[0], buffer_[0]};
    line[0].x = static_cast<float>(xa);
    line[0].y = static_cast<float>(row);
    line[1].x = static_cast<float>(xb + 1);
    line[1].y = static_cast<float>(row);
    pd::DrawPrimitive(rec_->Device, pd::PrimitiveType::kLineList, kFvfColorVertex, line.data(), 2, 0);
    done = 1;
  }
  void Flush() {
    if (n_ > 0) {
      pd::DrawPrimitive(rec_->Device, pd::PrimitiveType::kPointList, kFvfColorVertex, buffer_.data(),
                        static_cast<uint32_t>(n_), 0);
    }
    n_ = 0;
  }
  bool fill() const { return fill_; }

 private:
  D3DDeviceRecord* rec_;
  bool fill_;
  int L_ = 0, T_ = 0, R_ = -1, B_ = -1, ox_ = 0, oy_ = 0;
  std::array<ColorVertex, kPointBatch> buffer_{};
  int n_ = 0;
  std::vector<uint8_t> rows_;
};

uint32_t Diffuse(uint32_t color) {
  int r = 0, g = 0, b = 0;
  GetColorRGB(color, &r, &g, &b);
  const DrawStateBlock* s = D3DDrawState;
  const uint32_t bright = BrightColor();
  uint32_t alpha = 255;
  if (s != nullptr && s->BlendMode != 0) alpha = static_cast<uint32_t>(std::clamp(s->BlendParam, 0, 255));
  return alpha << 24 | (static_cast<uint32_t>(r) * ((bright >> 16) & 0xFF) / 255) << 16 |
         (static_cast<uint32_t>(g) * ((bright >> 8) & 0xFF) / 255) << 8 |
         static_cast<uint32_t>(b) * (bright & 0xFF) / 255;
}

// Frame steps 3 and 5; null when no device can draw.
D3DDeviceRecord* Open() {
  if (BeginPending3DScene() != 0) return nullptr;
  D3DDeviceRecord* rec = UsableD3DDevice(D3DCurrentDevice);
  BindStageTexture(rec, nullptr);
  return rec;
}

void WalkCircle(ShapeWriter& w, int cx, int cy, int r) {
  int d = 3 - 2 * r;
  int y = r;
  if (!w.fill()) {
    w.Point(cx - r, cy);
    w.Point(cx + r, cy);
    w.Point(cx, cy + r);
    w.Point(cx, cy - r);
  } else {
    w.Span(cy, cx - r, cx + r);
  }
  if (d >= 0) {
    if (w.fill()) {
      w.Span(cy + r, cx, cx);
      w.Span(cy - r, cx, cx);
    }
    y = r - 1;
    d -= 4 * y;
  }
  d += 6;
  for (int x = 1; x <= y;) {
    if (!w.fill()) {
      w.Point(cx - y, cy + x);
      w.Point(cx + y, cy + x);
      w.Point(cx + x, cy + y);
      w.Point(cx - x, cy + y);
      w.Point(cx + y, cy - x);
      w.Point(cx - y, cy - x);
      w.Point(cx + x, cy - y);
      w.Point(cx - x, cy - y);
    } else {
      w.Span(cy + x, cx - y, cx + y);
      w.Span(cy - x, cx - y, cx + y);
      if (d >= 0) {
        w.Span(cy + y, cx - x, cx + x);
        w.Span(cy - y, cx - x, cx + x);
      }
    }
    if (d >= 0) {
      --y;
      d -= 4 * y;
    }
    ++x;
    d += 4 * x + 2;
  }
}

struct OvalWalk {
  int rx, ry, k;
  bool wide;
  int sx, sy = 0, d1, d2, acc = 0;
  OvalWalk(int rx_, int ry_)
      : rx(rx_), ry(ry_), k(rx_ >= ry_ ? rx_ * rx_ / ry_ : ry_ * ry_ / rx_), wide(rx_ >= ry_), sx(rx_),
        d1(3 - 2 * rx_), d2(3 - 4 * rx_) {}
  // One step; whether it moved.
  bool Step() {
    const int ox = sx, oy = sy;
    if (wide) {
      if (d1 < 0) {
        acc += ry;
        if (acc >= k) {
          ++sy;
          acc -= k;
        }
        d1 += 4 * sy + 2;
        d2 += 4 * sy;
      } else if (d2 >= 0) {
        --sx;
        d1 -= 4 * sx;
        d2 += 2 - 4 * sx;
      } else {
        --sx;
        acc += ry;
        if (acc >= k) {
          ++sy;
          acc -= k;
        }
        const int t = 4 * (sy - sx);
        d1 += t + 2;
        d2 += t + 2;
      }
    } else {
      if (d1 < 0) {
        ++sy;
        d1 += 4 * sy + 2;
        d2 += 4 * sy;
      } else if (d2 >= 0) {
        acc += rx;
        if (acc >= k) {
          --sx;
          acc -= k;
        }
        d1 -= 4 * sx;
        d2 += 2 - 4 * sx;
      } else {
        acc += rx;
        if (acc >= k) {
          --sx;
          acc -= k;
        }
        ++sy;
        const int t = 4 * (sy - sx);
        d1 += t + 2;
        d2 += t + 2;
      }
    }
    return sx != ox || sy != oy;
  }
};

void WalkOval(ShapeWriter& w, int cx, int cy, int rx, int ry) {
  if (!w.fill()) {
    w.Point(cx - rx, cy);
    w.Point(cx + rx, cy);
  } else {
    w.Span(cy, cx - rx, cx + rx);
  }
  OvalWalk o(rx, ry);
  bool moved = o.Step();
  while (o.sx > 0) {
    if (moved) {
      if (!w.fill()) {
        w.Point(cx - o.sx, cy + o.sy);
        w.Point(cx + o.sx, cy + o.sy);
        w.Point(cx - o.sx, cy - o.sy);
        w.Point(cx + o.sx, cy - o.sy);
      } else {
        w.Span(cy + o.sy, cx - o.sx, cx + o.sx);
        w.Span(cy - o.sy, cx - o.sx, cx + o.sx);
      }
    }
    moved = o.Step();
  }
  if (!w.fill()) {
    w.Point(cx, cy - o.sy);
    w.Point(cx, cy + o.sy);
  } else {
    w.Span(cy - o.sy, cx, cx);
    w.Span(cy + o.sy, cx, cx);
  }
}

}  // namespace

int G_D3D_DrawCircle(int x, int y, int r, uint32_t color, int fill) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DrawCircle(x, y, r, color, fill);
  D3DDeviceRecord* rec = Open();
  if (rec == nullptr) return 0;
  ShapeWriter w(rec, Diffuse(color), fill != 0);
  WalkCircle(w, x + w.ox(), y + w.oy(), r);
  w.Flush();
  EndSceneAfterDraw();
  return 0;
}

int G_D3D_DrawOval(int x, int y, int rx, int ry, uint32_t color, int fill) {
  if (D3DObject == nullptr || rx == 0 || ry == 0) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DrawOval(x, y, rx, ry, color, fill);
  D3DDeviceRecord* rec = Open();
  if (rec == nullptr) return 0;
  ShapeWriter w(rec, Diffuse(color), fill != 0);
  WalkOval(w, x + w.ox(), y + w.oy(), std::abs(rx), std::abs(ry));
  w.Flush();
  EndSceneAfterDraw();
  return 0;
}

}  // namespace vexal

// Slots 30 and 31 of row 1: circles and axis-aligned ovals walked on the processor with
// integer steps, outlines sent as point lists of up to 40 and fills as one line per row.
// The walks are 64-bit, as row 0's are, so that every int radius and centre is walked
// without overflow; ovals past row 0's largest radius are not drawn, as on row 0.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_graph.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/raster/oval_walk.h"

namespace vexal {

namespace pd = plat::d3d;

namespace {

constexpr uint32_t kFvfColorVertex = pd::kFvfXyzRhw | pd::kFvfDiffuse;
constexpr int kPointBatch = 40;
constexpr const char* kNoRowFlags = "メモリの確保に失敗しました in G_D3D_DrawCircle";

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
    const int64_t ox = s != nullptr ? s->TargetRect.left : 0, oy = s != nullptr ? s->TargetRect.top : 0;
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
      try {
        rows_.assign(static_cast<size_t>(B_ - T_ + 1), 0);
      } catch (const std::bad_alloc&) {
        FatalErrorExit(kNoRowFlags);
      }
    }
  }
  int64_t ox() const { return ox_; }
  int64_t oy() const { return oy_; }

  void Point(int64_t x, int64_t y) {
    if (x < L_ || x > R_ || y < T_ || y > B_) return;
    buffer_[static_cast<size_t>(n_)].x = static_cast<float>(x);
    buffer_[static_cast<size_t>(n_)].y = static_cast<float>(y);
    if (++n_ == kPointBatch) Flush();
  }
  void Span(int64_t row, int64_t xa, int64_t xb) {
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
  // Whether any of four rows lies in the area: a step of a long walk whose rows all miss
  // it has nothing to place.
  bool AnyRow(int64_t a, int64_t b, int64_t c, int64_t d) const {
    auto in = [&](int64_t row) { return row >= T_ && row <= B_; };
    return in(a) || in(b) || in(c) || in(d);
  }
  void Flush() {
    if (n_ > 0) {
      pd::DrawPrimitive(rec_->Device, pd::PrimitiveType::kPointList, kFvfColorVertex, buffer_.data(),
                        static_cast<uint32_t>(n_), 0);
    }
    n_ = 0;
  }
  bool fill() const { return fill_; }
  int64_t top() const { return T_; }
  int64_t bottom() const { return B_; }

 private:
  D3DDeviceRecord* rec_;
  bool fill_;
  int64_t L_ = 0, T_ = 0, R_ = -1, B_ = -1, ox_ = 0, oy_ = 0;  // inclusive bounds
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

// The largest n whose square is at most v.
uint64_t SquareRootFloor(uint64_t v) {
  uint64_t n = static_cast<uint64_t>(std::sqrt(static_cast<long double>(v)));
  while (n > 0 && n > v / n) --n;
  while (n + 1 <= v / (n + 1)) ++n;
  return n;
}

// The circle walk in closed form. Its steps keep d = 2(x + 1)^2 + y^2 + (y - 1)^2 - 2r^2,
// and while x stays two columns short of y they keep y the largest with
// 2x^2 + y^2 + (y - 1)^2 < 2r^2, that is (2y - 1)^2 <= 4(r^2 - x^2) - 3. So a walk of a
// huge radius can leap over the columns that place nothing and go on where the steps would
// have brought it. All values stay below 2^63: 4096 <= r < 2^31.
struct CircleLeap {
  int64_t r;
  int64_t end = 0;  // the last column a leap may land on

  explicit CircleLeap(int64_t radius) : r(radius) {
    // The last j with j + 1 <= Row(j - 1), where every column before j is two short of y.
    end = static_cast<int64_t>(static_cast<long double>(r) / std::sqrt(2.0L));
    while (end > 1 && end + 1 > Row(end - 1)) --end;
    while (end + 2 <= Row(end)) ++end;
  }
  int64_t Row(int64_t x) const {
    const uint64_t q = static_cast<uint64_t>((r - x) * (r + x));
    return static_cast<int64_t>((SquareRootFloor(4 * q - 3) + 1) / 2);
  }
  int64_t Decision(int64_t x, int64_t y) const { return 2 * ((x + 1) * (x + 1) - (r - y) * (r + y)) - 2 * y + 1; }
  // The first column whose row is at most b (b >= 0): x^2 >= r^2 - b^2 - b.
  int64_t FirstColumnAtOrBelow(int64_t b) const {
    if (b >= r) return 0;
    const int64_t m = (r - b) * (r + b) - b;
    return m <= 0 ? 0 : static_cast<int64_t>(SquareRootFloor(static_cast<uint64_t>(m - 1)) + 1);
  }
};

// The first column after x whose step stands on a row from top to bottom (rows cy +- x,
// cy +- y, none of them there at x); -1 when no later step does. x grows by one a step and
// y falls by at most one, so each range is entered at its near end.
int64_t NextColumnOnRows(const CircleLeap& leap, int64_t top, int64_t bottom, int64_t cy, int64_t x, int64_t y) {
  int64_t next = -1;
  auto take = [&](int64_t column) {
    if (column > x && (next < 0 || column < next)) next = column;
  };
  if (top > bottom) return -1;
  if (x < top - cy) take(top - cy);        // row cy + x comes down into the area
  if (x < cy - bottom) take(cy - bottom);  // row cy - x comes up into it
  if (bottom - cy >= 0 && y > bottom - cy) take(leap.FirstColumnAtOrBelow(bottom - cy));  // row cy + y
  if (cy - top >= 0 && y > cy - top) take(leap.FirstColumnAtOrBelow(cy - top));           // row cy - y
  return next;
}

void WalkCircle(ShapeWriter& w, int64_t cx, int64_t cy, int64_t r) {
  int64_t d = 3 - 2 * r;
  int64_t y = r;
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
  // Small circles are walked step by step; the leap pays from a radius well beyond a screen.
  constexpr int64_t kLeapRadius = 4096;
  std::optional<CircleLeap> leap;
  if (r >= kLeapRadius) leap.emplace(r);
  for (int64_t x = 1; x <= y;) {
    if (!w.AnyRow(cy + x, cy - x, cy + y, cy - y)) {
      if (leap) {
        const int64_t next = NextColumnOnRows(*leap, w.top(), w.bottom(), cy, x, y);
        if (next < 0) return;  // no later step reaches the area
        const int64_t to = std::min(next, leap->end);
        if (to > x + 1) {
          x = to;
          y = leap->Row(x);
          d = leap->Decision(x, y);
          continue;
        }
      }
    } else if (!w.fill()) {
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
  int64_t rx, ry, k;
  bool wide;
  int64_t sx, sy = 0, d1, d2, acc = 0;
  OvalWalk(int64_t rx_, int64_t ry_)
      : rx(rx_), ry(ry_), k(rx_ >= ry_ ? rx_ * rx_ / ry_ : ry_ * ry_ / rx_), wide(rx_ >= ry_), sx(rx_), d1(3 - 2 * rx_),
        d2(3 - 4 * rx_) {}
  // One step; whether it moved.
  bool Step() {
    const int64_t ox = sx, oy = sy;
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
        const int64_t t = 4 * (sy - sx);
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
        const int64_t t = 4 * (sy - sx);
        d1 += t + 2;
        d2 += t + 2;
      }
    }
    return sx != ox || sy != oy;
  }
};

void WalkOval(ShapeWriter& w, int64_t cx, int64_t cy, int64_t rx, int64_t ry) {
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

int64_t Magnitude(int v) { return v < 0 ? -static_cast<int64_t>(v) : v; }

}  // namespace

int G_D3D_DrawCircle(int x, int y, int r, uint32_t color, int fill) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return G_DDraw_DrawCircle(x, y, r, color, fill);
  // A negative radius draws nothing, as on row 0.
  if (r < 0) return 0;
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
  const int64_t ax = Magnitude(rx), ay = Magnitude(ry);
  // Row 0 leaves such ovals undrawn: their walk would run for billions of steps.
  if (ax > kMaxOvalRadius || ay > kMaxOvalRadius) return 0;
  D3DDeviceRecord* rec = Open();
  if (rec == nullptr) return 0;
  ShapeWriter w(rec, Diffuse(color), fill != 0);
  WalkOval(w, x + w.ox(), y + w.oy(), ax, ay);
  w.Flush();
  EndSceneAfterDraw();
  return 0;
}

}  // namespace vexal

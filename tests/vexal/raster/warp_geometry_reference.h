// Where the warps put their texels, written from the rules as slow loops for the tests:
// the triangle rasteriser's 14.18 walk (vertices at pixel centres, two exchange sorts, the
// texel plane from the vertex with the smallest x, the edges in one or two parts, rows
// clipped to the draw area), the quadrilateral's two triangles, the turned draw's scan of
// its widened bounding box, and the stretch's columns and rows. Each lists every pixel the
// call writes, in draw coordinates and in the order written, with the texel it shows;
// pixels whose texel lies outside the graph are left out, as the draws leave them alone.
// Coordinates are kept small enough for 14.18 values to fit 32 bits.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/raster/triangle_raster.h"

namespace warpref {

inline constexpr int64_t kUnit = 262144;  // 14.18: 2^18 a pixel

struct Texel {
  int x, y;  // draw pixel
  int u, v;  // texel shown there
  bool operator==(const Texel&) const = default;
};

// The pixel of a 14.18 value: divided by 2^18, truncated toward zero.
inline int64_t PixelOf(int64_t units) { return units / kUnit; }

// The triangle rasteriser. w and h bound the texels (a flat colour passes 1 x 1 and every
// vertex at texel 0, so that every pixel shows texel (0, 0)). False for a triangle the
// rasteriser refuses (all three vertices on one line).
inline bool TriangleTexels(const vexal::RasterVertex (&vin)[3], const vexal::Rect& area, int w, int h,
                           std::vector<Texel>* out) {
  int64_t X[3], Y[3];
  uint32_t U[3], V[3];
  for (int i = 0; i < 3; ++i) {
    X[i] = int64_t{vin[i].x} * kUnit + kUnit / 2;
    Y[i] = int64_t{vin[i].y} * kUnit + kUnit / 2;
    U[i] = static_cast<uint32_t>(vin[i].u) << 18;
    V[i] = static_cast<uint32_t>(vin[i].v) << 18;
  }
  auto sort = [](const int64_t* key, int* idx) {
    for (int i = 0; i < 2; ++i)
      for (int j = i + 1; j < 3; ++j)
        if (key[idx[i]] > key[idx[j]]) std::swap(idx[i], idx[j]);
  };
  int A[3] = {0, 1, 2}, B[3] = {0, 1, 2};
  sort(X, A);
  sort(Y, B);

  // The plane, in whole pixels and texels from the vertex with the smallest x.
  const int dx1 = vin[A[1]].x - vin[A[0]].x, dy1 = vin[A[1]].y - vin[A[0]].y;
  const int du1 = vin[A[1]].u - vin[A[0]].u, dv1 = vin[A[1]].v - vin[A[0]].v;
  const int dx2 = vin[A[2]].x - vin[A[0]].x, dy2 = vin[A[2]].y - vin[A[0]].y;
  const int du2 = vin[A[2]].u - vin[A[0]].u, dv2 = vin[A[2]].v - vin[A[0]].v;
  const int det = dy1 * dx2 - dy2 * dx1;
  if (det == 0) return false;
  auto gradient = [&](int numerator) {
    return static_cast<uint32_t>(static_cast<int32_t>(int64_t{numerator} * kUnit / det));
  };
  const uint32_t du_dx = gradient(dy1 * du2 - dy2 * du1), du_dy = gradient(du1 * dx2 - dx1 * du2);
  const uint32_t dv_dx = gradient(dy1 * dv2 - dv1 * dy2), dv_dy = gradient(dv1 * dx2 - dx1 * dv2);
  const int64_t ax = PixelOf(X[A[0]]), ay = PixelOf(Y[A[0]]);
  const uint32_t u0 = U[A[0]], v0 = V[A[0]];

  struct Part {
    int64_t x, y, step, rows;
  };
  auto part = [](int64_t x, int64_t y, int64_t x_end, int64_t rows) {
    return Part{x, y, rows == 0 ? 0 : (x_end - x) / rows, rows};
  };
  std::vector<Part> left, right;
  const int b0 = B[0], b1 = B[1], b2 = B[2];
  if (Y[b0] == Y[b1]) {
    // Flat top: the top vertex with the smaller x (b0 on a tie) starts the left edge.
    const int first = X[b1] < X[b0] ? b1 : b0, second = first == b0 ? b1 : b0;
    const int64_t rows = (Y[b2] - Y[b0]) / kUnit;
    left = {part(X[first], Y[first], X[b2], rows)};
    right = {part(X[second], Y[second], X[b2], rows)};
  } else if (Y[b1] == Y[b2]) {
    // Flat bottom: the left edge runs to the bottom vertex with the smaller x (b1 on a tie).
    const int first = X[b2] < X[b1] ? b2 : b1, second = first == b1 ? b2 : b1;
    const int64_t rows = (Y[b1] - Y[b0]) / kUnit;
    left = {part(X[b0], Y[b0], X[first], rows)};
    right = {part(X[b0], Y[b0], X[second], rows)};
  } else {
    const int64_t rows1 = (Y[b1] - Y[b0]) / kUnit, rows2 = (Y[b2] - Y[b1]) / kUnit, all = (Y[b2] - Y[b0]) / kUnit;
    const double short_slope = static_cast<double>(X[b1] - X[b0]) / static_cast<double>(rows1);
    const double long_slope = static_cast<double>(X[b2] - X[b0]) / static_cast<double>(all);
    if (long_slope > short_slope) {  // the middle vertex on the left
      left = {part(X[b0], Y[b0], X[b1], rows1), part(X[b1], Y[b1], X[b2], rows2)};
      right = {part(X[b0], Y[b0], X[b2], all)};
    } else {  // on the right: its lower part starts one unit right of it
      left = {part(X[b0], Y[b0], X[b2], all)};
      right = {part(X[b0], Y[b0], X[b1], rows1), part(X[b1] + 1, Y[b1], X[b2], rows2)};
    }
  }
  for (const std::vector<Part>* side : {&left, &right})
    for (const Part& p : *side)
      if (p.rows == 0) return false;

  size_t li = 0, ri = 0;
  int64_t lx = left[0].x, rx = right[0].x, lcount = left[0].rows, rcount = right[0].rows;
  int64_t y = PixelOf(left[0].y);
  int64_t lpix = PixelOf(lx), rpix = PixelOf(rx);
  for (;;) {
    int64_t from = std::max<int64_t>(lpix, area.left);
    if (y >= area.top && y < area.bottom && from < area.right && from <= rpix) {
      uint32_t u = u0 + static_cast<uint32_t>(from - ax) * du_dx + static_cast<uint32_t>(y - ay) * du_dy;
      uint32_t v = v0 + static_cast<uint32_t>(from - ax) * dv_dx + static_cast<uint32_t>(y - ay) * dv_dy;
      for (int64_t x = from; x <= rpix && x < area.right; ++x, u += du_dx, v += dv_dx) {
        const uint32_t ui = u >> 18, vi = v >> 18;
        if (ui < static_cast<uint32_t>(w) && vi < static_cast<uint32_t>(h))
          out->push_back({static_cast<int>(x), static_cast<int>(y), static_cast<int>(ui), static_cast<int>(vi)});
      }
    }
    lx += left[li].step, rx += right[ri].step;
    lpix = PixelOf(lx), rpix = PixelOf(rx);
    ++y, --lcount, --rcount;
    if (lcount == 0) {
      if (++li == left.size()) return true;
      lx = left[li].x, lcount = left[li].rows, y = PixelOf(left[li].y), lpix = PixelOf(lx);
    }
    if (rcount == 0) {
      if (++ri == right.size()) return true;
      rx = right[ri].x, rcount = right[ri].rows, rpix = PixelOf(rx);
    }
  }
}

// The quadrilateral: the graph's corners (0, 0), (w, 0), (0, h), (w, h) on the four points,
// triangles 0-1-2 and then 1-2-3.
inline std::vector<Texel> QuadTexels(const int (&c)[8], int w, int h, const vexal::Rect& area) {
  const vexal::RasterVertex v[4] = {{c[0], c[1], 0, 0}, {c[2], c[3], w, 0}, {c[4], c[5], 0, h}, {c[6], c[7], w, h}};
  std::vector<Texel> out;
  TriangleTexels({v[0], v[1], v[2]}, area, w, h, &out);
  TriangleTexels({v[1], v[2], v[3]}, area, w, h, &out);
  return out;
}

// The turned draw's corners in pixels, in the order the mirrored form hands them on:
// top-right, top-left, bottom-right, bottom-left (as named at angle 0).
struct Turned {
  int64_t cos_p, sin_p, cos_n, sin_n, half_w, half_h;
  int64_t corner_x[4], corner_y[4];  // 14.18: top-left, bottom-left, bottom-right, top-right
};
inline Turned TurnedCorners(int x, int y, double rate, double angle, int w, int h) {
  Turned t{};
  t.cos_p = static_cast<int64_t>(std::cos(angle) * 262144.0);
  t.sin_p = static_cast<int64_t>(std::sin(angle) * 262144.0);
  t.cos_n = static_cast<int64_t>(std::cos(-angle) * 262144.0);
  t.sin_n = static_cast<int64_t>(std::sin(-angle) * 262144.0);
  t.half_w = static_cast<int64_t>(w * rate * 0.5);
  t.half_h = static_cast<int64_t>(h * rate * 0.5);
  const int64_t cx = x * kUnit, cy = y * kUnit;
  const int64_t wc = t.half_w * t.cos_p, ws = t.half_w * t.sin_p, hc = t.half_h * t.cos_p, hs = t.half_h * t.sin_p;
  const int64_t xs[4] = {cx - wc + hs, cx - wc - hs, cx + wc - hs, cx + wc + hs};
  const int64_t ys[4] = {cy - ws - hc, cy - ws + hc, cy + ws + hc, cy + ws - hc};
  for (int i = 0; i < 4; ++i) t.corner_x[i] = xs[i], t.corner_y[i] = ys[i];
  return t;
}

// The mirrored turn: the quadrilateral of corners 3, 0, 2, 1 in pixels.
inline std::vector<Texel> MirroredTurnTexels(int x, int y, double rate, double angle, int w, int h,
                                             const vexal::Rect& area) {
  const Turned t = TurnedCorners(x, y, rate, angle, w, h);
  auto px = [&](int i) { return static_cast<int>(PixelOf(t.corner_x[i])); };
  auto py = [&](int i) { return static_cast<int>(PixelOf(t.corner_y[i])); };
  const int c[8] = {px(3), py(3), px(0), py(0), px(2), py(2), px(1), py(1)};
  return QuadTexels(c, w, h, area);
}

// The turned draw: every pixel of the corners' box, widened by 2 left and above and 4
// right and below and cut to the area, mapped back into the graph by the inverse turn.
inline std::vector<Texel> TurnTexels(int x, int y, double rate, double angle, int w, int h, const vexal::Rect& area) {
  const Turned t = TurnedCorners(x, y, rate, angle, w, h);
  const int64_t du_x = static_cast<int64_t>(static_cast<double>(t.cos_p) / rate);
  const int64_t dv_x = static_cast<int64_t>(static_cast<double>(t.sin_n) / rate);
  int64_t min_x = PixelOf(t.corner_x[0]), max_x = min_x, min_y = PixelOf(t.corner_y[0]), max_y = min_y;
  for (int i = 1; i < 4; ++i) {
    min_x = std::min(min_x, PixelOf(t.corner_x[i])), max_x = std::max(max_x, PixelOf(t.corner_x[i]));
    min_y = std::min(min_y, PixelOf(t.corner_y[i])), max_y = std::max(max_y, PixelOf(t.corner_y[i]));
  }
  auto clamp = [](int64_t v, int lo, int hi) { return std::clamp<int64_t>(v, lo, hi); };
  const int64_t left = clamp(min_x - 2, area.left, area.right), right = clamp(max_x + 4, area.left, area.right);
  const int64_t top = clamp(min_y - 2, area.top, area.bottom), bottom = clamp(max_y + 4, area.top, area.bottom);
  std::vector<Texel> out;
  if (left == right || top == bottom) return out;
  auto source = [&](int64_t dx, int64_t dy, int64_t* u, int64_t* v) {
    *u = static_cast<int64_t>(static_cast<double>(dx * t.cos_n - dy * t.sin_n) / rate) + (int64_t{w >> 1} << 18);
    *v = static_cast<int64_t>(static_cast<double>(dy * t.cos_n + dx * t.sin_n) / rate) + (int64_t{h >> 1} << 18);
  };
  int64_t u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  source(left - x, top - y, &u0, &v0);
  source(left - x, bottom - y, &u1, &v1);
  const int64_t du_y = (u1 - u0) / (bottom - top), dv_y = (v1 - v0) / (bottom - top);
  for (int64_t py = top; py < bottom; ++py, u0 += du_y, v0 += dv_y) {
    int64_t u = u0, v = v0;
    for (int64_t px = left; px < right; ++px, u += du_x, v += dv_x) {
      const int64_t ui = u / kUnit, vi = v / kUnit;
      if (static_cast<uint64_t>(ui) < static_cast<uint64_t>(w) && static_cast<uint64_t>(vi) < static_cast<uint64_t>(h))
        out.push_back({static_cast<int>(px), static_cast<int>(py), static_cast<int>(ui), static_cast<int>(vi)});
    }
  }
  return out;
}

// The stretch into (x1, y1)-(x2, y2), corners exchanged on a mirrored axis: destination
// column j from the rectangle's edge shows source column floor(j * 0x10000 / scale), scale
// = (width << 16) / graph width, counted from the far side on a mirrored axis; rows alike.
inline std::vector<Texel> StretchTexels(int x1, int y1, int x2, int y2, int w, int h, const vexal::Rect& area) {
  auto source = [](int64_t j, int64_t dst, int64_t src, bool mirrored) {
    const uint64_t scale = (static_cast<uint64_t>(dst) << 16) / static_cast<uint64_t>(src);
    const int64_t k = static_cast<int64_t>((static_cast<uint64_t>(j) << 16) / scale);
    return static_cast<int>(mirrored ? src - 1 - k : k);
  };
  const int left = std::min(x1, x2), top = std::min(y1, y2);
  const int dw = std::abs(x2 - x1), dh = std::abs(y2 - y1);
  std::vector<Texel> out;
  for (int i = 0; i < dh; ++i)
    for (int j = 0; j < dw; ++j) {
      const int x = left + j, y = top + i;
      if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) continue;
      out.push_back({x, y, source(j, dw, w, x1 > x2), source(i, dh, h, y1 > y2)});
    }
  return out;
}

}  // namespace warpref

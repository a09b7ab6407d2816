// The triangle rasteriser. Edge positions and row counts are 64-bit, so far-off vertices
// step correctly, and the walk starts at the first row inside the draw area and ends at
// its bottom, so it never runs longer than the area is tall. Texel coordinates are 32-bit
// and wrap, as a 14.18 value does.
#include "vexal/raster/triangle_raster.h"

#include <algorithm>
#include <utility>

#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/warp_frame.h"
#include "vexal/raster/warp_kernels.h"

namespace vexal {
namespace {

namespace w = warp;

constexpr int kFracBits = 18;
constexpr int64_t kOne = int64_t{1} << kFracBits;
constexpr int64_t kHalf = kOne / 2;  // vertices sit at pixel centres
constexpr int kNotDrawn = -1;

// The pixel of a 14.18 value: truncated toward zero, so -0.5 is pixel 0.
int64_t Pix(int64_t v) { return v / kOne; }

struct EdgePart {
  int64_t X, Y, Step, Rows;
};

struct Side {
  EdgePart Parts[2];
  int Count = 0;
};

struct Setup {
  Side Left, Right;
  int64_t Ax = 0, Ay = 0;  // pixel of the plane's anchor
  uint32_t U0 = 0, V0 = 0;
  uint32_t DuDx = 0, DuDy = 0, DvDx = 0, DvDy = 0;
};

// The exchange sort of three indices by key; equal keys keep their order.
void Sort3(const int64_t* key, int* idx) {
  for (int i = 0; i < 2; ++i)
    for (int j = i + 1; j < 3; ++j)
      if (key[idx[i]] > key[idx[j]]) std::swap(idx[i], idx[j]);
}

EdgePart Part(int64_t x0, int64_t y0, int64_t x1, int64_t rows) { return {x0, y0, (x1 - x0) / rows, rows}; }

uint32_t Gradient(__int128 numerator, __int128 det) {
  const __int128 q = numerator * kOne / det;
  return static_cast<uint32_t>(static_cast<unsigned __int128>(q));  // taken as 32 bits
}

// False for three vertices on one line.
bool MakeSetup(const RasterVertex* v, Setup* s) {
  int64_t X[3], Y[3];
  for (int i = 0; i < 3; ++i) {
    X[i] = int64_t{v[i].x} * kOne + kHalf;
    Y[i] = int64_t{v[i].y} * kOne + kHalf;
  }
  int a[3] = {0, 1, 2}, b[3] = {0, 1, 2};
  Sort3(X, a);
  Sort3(Y, b);

  const int64_t dx1 = int64_t{v[a[1]].x} - v[a[0]].x, dy1 = int64_t{v[a[1]].y} - v[a[0]].y;
  const int64_t du1 = int64_t{v[a[1]].u} - v[a[0]].u, dv1 = int64_t{v[a[1]].v} - v[a[0]].v;
  const int64_t dx2 = int64_t{v[a[2]].x} - v[a[0]].x, dy2 = int64_t{v[a[2]].y} - v[a[0]].y;
  const int64_t du2 = int64_t{v[a[2]].u} - v[a[0]].u, dv2 = int64_t{v[a[2]].v} - v[a[0]].v;
  using I = __int128;  // differences of whole-range ints have 64-bit products
  const I det = I{dy1} * dx2 - I{dy2} * dx1;
  if (det == 0) return false;
  s->DuDx = Gradient(I{dy1} * du2 - I{dy2} * du1, det);
  s->DuDy = Gradient(I{du1} * dx2 - I{dx1} * du2, det);
  s->DvDx = Gradient(I{dy1} * dv2 - I{dv1} * dy2, det);
  s->DvDy = Gradient(I{dv1} * dx2 - I{dx1} * dv2, det);
  s->Ax = Pix(X[a[0]]);
  s->Ay = Pix(Y[a[0]]);
  s->U0 = static_cast<uint32_t>(v[a[0]].u) << kFracBits;
  s->V0 = static_cast<uint32_t>(v[a[0]].v) << kFracBits;

  const int b0 = b[0], b1 = b[1], b2 = b[2];
  if (Y[b0] == Y[b1]) {
    const int first = X[b1] < X[b0] ? b1 : b0, second = first == b0 ? b1 : b0;
    const int64_t rows = (Y[b2] - Y[b0]) / kOne;
    s->Left = {{Part(X[first], Y[first], X[b2], rows)}, 1};
    s->Right = {{Part(X[second], Y[second], X[b2], rows)}, 1};
  } else if (Y[b1] == Y[b2]) {
    const int first = X[b2] < X[b1] ? b2 : b1, second = first == b1 ? b2 : b1;
    const int64_t rows = (Y[b1] - Y[b0]) / kOne;
    s->Left = {{Part(X[b0], Y[b0], X[first], rows)}, 1};
    s->Right = {{Part(X[b0], Y[b0], X[second], rows)}, 1};
  } else {
    const int64_t rows1 = (Y[b1] - Y[b0]) / kOne, rows2 = (Y[b2] - Y[b1]) / kOne, all = (Y[b2] - Y[b0]) / kOne;
    if (rows1 == 0 || rows2 == 0 || all == 0) return false;
    const double short_slope = static_cast<double>(X[b1] - X[b0]) / static_cast<double>(rows1);
    const double long_slope = static_cast<double>(X[b2] - X[b0]) / static_cast<double>(all);
    const EdgePart whole = Part(X[b0], Y[b0], X[b2], all);
    const EdgePart upper = Part(X[b0], Y[b0], X[b1], rows1);
    if (long_slope > short_slope) {
      s->Left = {{upper, Part(X[b1], Y[b1], X[b2], rows2)}, 2};
      s->Right = {{whole}, 1};
    } else {
      s->Left = {{whole}, 1};
      s->Right = {{upper, Part(X[b1] + 1, Y[b1], X[b2], rows2)}, 2};
    }
  }
  return s->Left.Parts[0].Rows != 0 && s->Right.Parts[0].Rows != 0;
}

// Walks the rows, calling span(y, x0, x1, U, V) for the visible pixels x0 .. x1 - 1 of
// each row inside the area, U and V being the texel coordinates at x0.
template <class Span>
void Walk(const Setup& s, const Rect& area, Span&& span) {
  int li = 0, ri = 0;
  EdgePart l = s.Left.Parts[0], r = s.Right.Parts[0];
  int64_t lx = l.X, rx = r.X, lcount = l.Rows, rcount = r.Rows;
  int64_t y = Pix(l.Y);
  for (;;) {
    if (y >= area.bottom) return;
    if (y < area.top) {
      // Rows above the area are stepped over in one go.
      const int64_t k = std::min({int64_t{area.top} - y, lcount, rcount});
      lx += k * l.Step;
      rx += k * r.Step;
      y += k;
      lcount -= k;
      rcount -= k;
    } else {
      int64_t left = Pix(lx);
      const int64_t right = Pix(rx);
      left = std::max<int64_t>(left, area.left);
      if (left < area.right && right >= left) {
        const int64_t end = std::min<int64_t>(right + 1, area.right);
        const uint32_t u =
            s.U0 + static_cast<uint32_t>(left - s.Ax) * s.DuDx + static_cast<uint32_t>(y - s.Ay) * s.DuDy;
        const uint32_t v =
            s.V0 + static_cast<uint32_t>(left - s.Ax) * s.DvDx + static_cast<uint32_t>(y - s.Ay) * s.DvDy;
        span(static_cast<int>(y), static_cast<int>(left), static_cast<int>(end), u, v);
      }
      lx += l.Step;
      rx += r.Step;
      ++y;
      --lcount;
      --rcount;
    }
    if (lcount == 0) {
      if (++li >= s.Left.Count) return;
      l = s.Left.Parts[li];
      lx = l.X;
      lcount = l.Rows;
      y = Pix(l.Y);
    }
    if (rcount == 0) {
      if (++ri >= s.Right.Count) return;
      r = s.Right.Parts[ri];
      rx = r.X;
      rcount = r.Rows;
    }
  }
}

struct Surfaces {
  uint8_t* Dest;
  ptrdiff_t DestPitch;
  const uint8_t* Src1;
  ptrdiff_t Src1Pitch;
  const uint8_t* Src2;
  ptrdiff_t Src2Pitch;
  const uint8_t* Alpha;  // texel (0, 0)
  ptrdiff_t AlphaPitch;
  uint32_t Width, Height;  // of the picture
};

// Texels of a graph through a kernel.
struct GraphWalker {
  const Setup& S;
  const Rect& Area;
  const Surfaces& P;
  const w::WarpTables& T;

  template <class K>
  void Run(const K& kernel) {
    using Pixel = typename K::Pixel;
    constexpr int bpp = sizeof(Pixel);
    const uint32_t dudx = S.DuDx, dvdx = S.DvDx;
    const bool keyed = T.Keyed;
    const uint32_t key = T.Key;
    Walk(S, Area, [&](int y, int x0, int x1, uint32_t u, uint32_t v) {
      uint8_t* out = P.Dest + y * P.DestPitch;
      const uint8_t* old = P.Src2 + y * P.Src2Pitch;
      for (int x = x0; x < x1; ++x, u += dudx, v += dvdx) {
        const uint32_t ui = u >> kFracBits, vi = v >> kFracBits;
        if (ui >= P.Width || vi >= P.Height) continue;
        const uint32_t s = w::LoadPixel<Pixel>(P.Src1 + vi * P.Src1Pitch + ui * bpp);
        if (keyed && s == key) continue;
        int a = w::kOpaque;
        if (P.Alpha != nullptr) {
          a = P.Alpha[vi * P.AlphaPitch + ui];
          if (a == 0) continue;
        }
        const uint32_t d = w::LoadPixel<Pixel>(old + x * bpp);
        w::StorePixel<Pixel>(out + x * bpp, kernel.Apply(kernel.Prepare(s), a, d));
      }
    });
  }
};

// One colour through a kernel, prepared once.
struct FlatWalker {
  const Setup& S;
  const Rect& Area;
  const Surfaces& P;
  uint32_t Color;

  template <class K>
  void Run(const K& kernel) {
    using Pixel = typename K::Pixel;
    constexpr int bpp = sizeof(Pixel);
    const auto prepared = kernel.Prepare(Color);
    Walk(S, Area, [&](int y, int x0, int x1, uint32_t, uint32_t) {
      uint8_t* out = P.Dest + y * P.DestPitch;
      const uint8_t* old = P.Src2 + y * P.Src2Pitch;
      for (int x = x0; x < x1; ++x)
        w::StorePixel<Pixel>(out + x * bpp, kernel.Apply(prepared, w::kOpaque, w::LoadPixel<Pixel>(old + x * bpp)));
    });
  }
};

}  // namespace

int G_DDraw_RasterTriangle(const RasterVertex* vertices, const GraphRecord* graph, int trans, uint8_t* dest,
                           int dest_pitch, const uint8_t* src1, int src1_pitch, const uint8_t* src2, int src2_pitch,
                           ColorValue color) {
  if (GetDirectDrawObject() == nullptr || vertices == nullptr) return kNotDrawn;
  Setup setup;
  if (!MakeSetup(vertices, &setup)) return kNotDrawn;
  w::GraphPiece piece;
  const bool textured = graph != nullptr;
  if (textured && !w::FirstPiece(graph, &piece)) return 0;
  if (dest == nullptr || src2 == nullptr || (textured && src1 == nullptr)) return 0;
  const Rect area = DrawState.DrawArea;
  Surfaces px{dest,
              dest_pitch,
              src1,
              src1_pitch,
              src2,
              src2_pitch,
              textured ? w::PieceAlpha(*piece.Piece) : nullptr,
              textured ? piece.Piece->AlphaPitch : 0,
              static_cast<uint32_t>(piece.Width),
              static_cast<uint32_t>(piece.Height)};
  const int bits = GetScreenColorBits();
  if (bits == 8) {
    const uint8_t flat = static_cast<uint8_t>(color);
    Walk(setup, area, [&](int y, int x0, int x1, uint32_t u, uint32_t v) {
      uint8_t* out = px.Dest + y * px.DestPitch;
      for (int x = x0; x < x1; ++x, u += setup.DuDx, v += setup.DvDx) {
        if (!textured) {
          out[x] = flat;
          continue;
        }
        const uint32_t ui = u >> kFracBits, vi = v >> kFracBits;
        if (ui >= px.Width || vi >= px.Height) continue;
        const uint8_t s = px.Src1[vi * px.Src1Pitch + ui];
        if (trans != 0 && s == 0) continue;
        out[x] = s;
      }
    });
    return 0;
  }
  const w::WarpRequest rq = w::RequestFromDrawState(px.Alpha != nullptr, !textured, textured && trans == 1,
                                                    textured ? w::PieceKeyValue(*piece.Piece) : 0);
  w::WarpPlan plan;
  if (!w::PlanWarp(rq, &plan)) return 0;
  if (textured) {
    GraphWalker walker{setup, area, px, plan.Tables};
    w::RunPlan(plan, walker);
  } else {
    FlatWalker walker{setup, area, px, color};
    w::RunPlan(plan, walker);
  }
  return 0;
}

}  // namespace vexal

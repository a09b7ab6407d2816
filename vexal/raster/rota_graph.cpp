// A graph scaled by a factor and turned about its centre, the centre placed at a point of
// the draw target. Every pixel of the turned picture's bounding box is mapped back into
// the graph in 14.18 fixed point; pixels that map outside it are left alone (each row's
// run of pixels that map inside is worked out from the row's steps, texel_span.h). The mirrored
// form goes to the quadrilateral draw with the corners exchanged.
//
// Positions are 64-bit and every conversion from double saturates, so far-off centres,
// huge or tiny factors and NaN angles give a picture or nothing, never a wrapped walk.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/numeric/saturate.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/texel_span.h"
#include "vexal/raster/warp_frame.h"
#include "vexal/raster/warp_kernels.h"

namespace vexal {
namespace {

using plat::numeric::TruncSaturated32;

namespace w = warp;

constexpr int kFracBits = 18;
constexpr int64_t kOne = int64_t{1} << kFracBits;
constexpr double kOneDouble = 262144.0;
constexpr int kMargin = 2;     // the box reaches this far left of and above the corners
constexpr int kFarMargin = 4;  // and this far right of and below them
constexpr w::WarpLocks::Messages kLockMessages{"転送先サーフェスのロックに失敗しました in G_DDraw_DrawRotaGraph ",
                                               "転送元サーフェス１のロックに失敗しました in G_DDraw_DrawRotaGraph ",
                                               "転送元サーフェス２のロックに失敗しました in G_DDraw_DrawPloly "};

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); }

struct Scan {
  Rect Box;          // draw coordinates, clipped
  int64_t U0, V0;    // texel position of the box's first pixel, 14.18
  int64_t DuX, DvX;  // per pixel
  int64_t DuY, DvY;  // per row
  uint8_t* Dest;     // pixel (0, 0) of the draw target
  ptrdiff_t DestPitch;
  const uint8_t* Old;  // the blend source, laid out like the draw target
  ptrdiff_t OldPitch;
  const uint8_t* Source;  // texel (0, 0)
  ptrdiff_t SourcePitch;
  const uint8_t* Alpha;
  ptrdiff_t AlphaPitch;
  uint64_t Width, Height;
};

// Calls pixel(x, y, ui, vi) for every box pixel whose source lies in the graph: on each row
// the run of them, found from the row's start and steps.
template <class F>
void ScanBox(const Scan& s, F&& pixel) {
  int64_t ur = s.U0, vr = s.V0;
  const int left = s.Box.left, top = s.Box.top, bottom = s.Box.bottom;
  const int64_t n = int64_t{s.Box.right} - left;
  const int64_t du = s.DuX, dv = s.DvX, width = static_cast<int64_t>(s.Width), height = static_cast<int64_t>(s.Height);
  for (int y = top; y < bottom; ++y, ur += s.DuY, vr += s.DvY) {
    int64_t first = 0, last = n;
    NarrowToTexels(ur, du, width, kFracBits, &first, &last);
    NarrowToTexels(vr, dv, height, kFracBits, &first, &last);
    int64_t u = ur + first * du, v = vr + first * dv;
    const int end = left + static_cast<int>(last);
    for (int x = left + static_cast<int>(first); x < end; ++x, u += du, v += dv) {
      // Truncated toward zero: a position above -1 texel and below 0 is texel 0.
      const int64_t ui = std::max<int64_t>(u, 0) >> kFracBits, vi = std::max<int64_t>(v, 0) >> kFracBits;
      pixel(x, y, static_cast<ptrdiff_t>(ui), static_cast<ptrdiff_t>(vi));
    }
  }
}

struct RotaWalker {
  const Scan& S;
  const w::WarpTables& T;

  template <class K>
  void Run(const K& kernel) {
    if (T.Keyed) {
      if (S.Alpha != nullptr)
        RunWith<K, true, true>(kernel);
      else
        RunWith<K, true, false>(kernel);
    } else {
      if (S.Alpha != nullptr)
        RunWith<K, false, true>(kernel);
      else
        RunWith<K, false, false>(kernel);
    }
  }

  // The pointers and the key are held in locals: the stores could otherwise alias them.
  template <class K, bool Keyed, bool HasAlpha>
  void RunWith(const K& kernel) {
    using Pixel = typename K::Pixel;
    constexpr int bpp = sizeof(Pixel);
    const uint8_t* const source = S.Source;
    const ptrdiff_t source_pitch = S.SourcePitch;
    const uint8_t* const alpha = S.Alpha;
    const ptrdiff_t alpha_pitch = S.AlphaPitch;
    const uint8_t* const old = S.Old;
    const ptrdiff_t old_pitch = S.OldPitch;
    uint8_t* const dest = S.Dest;
    const ptrdiff_t dest_pitch = S.DestPitch;
    const uint32_t key = T.Key;
    ScanBox(S, [&](int x, int y, ptrdiff_t ui, ptrdiff_t vi) {
      const uint32_t s = w::LoadPixel<Pixel>(source + vi * source_pitch + ui * bpp);
      if (Keyed && s == key) return;
      int a = w::kOpaque;
      if constexpr (HasAlpha) {
        a = alpha[vi * alpha_pitch + ui];
        if (a == 0) return;
      }
      const uint32_t d = w::LoadPixel<Pixel>(old + y * old_pitch + x * bpp);
      w::StorePixel<Pixel>(dest + y * dest_pitch + x * bpp, kernel.Apply(kernel.Prepare(s), a, d));
    });
  }
};

}  // namespace

int G_DDraw_DrawRotaGraph(int x, int y, double ex_rate, double angle, GraphRecord* graph, int trans, int turn) {
  w::GraphPiece piece;
  const bool has_piece = w::FirstPiece(graph, &piece);
  if (DDrawTargetUnusable != 0 || GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  bool dest_is_mask = false;
  w::ps::Surface* dest = w::Destination(&dest_is_mask);
  // A NaN factor or angle places nothing (the sine and cosine of an infinite angle are NaN).
  if (!has_piece || dest == nullptr || std::isnan(ex_rate) || !std::isfinite(angle)) return -1;

  const int64_t cos_p = TruncSaturated32(std::cos(angle) * kOneDouble);
  const int64_t sin_p = TruncSaturated32(std::sin(angle) * kOneDouble);
  const int64_t cos_n = TruncSaturated32(std::cos(-angle) * kOneDouble);
  const int64_t sin_n = TruncSaturated32(std::sin(-angle) * kOneDouble);
  const int gw = piece.Width, gh = piece.Height;
  const int64_t half_w = TruncSaturated32(gw * ex_rate * 0.5), half_h = TruncSaturated32(gh * ex_rate * 0.5);

  const int64_t cx = int64_t{x} * kOne, cy = int64_t{y} * kOne;
  const int64_t wc = half_w * cos_p, ws = half_w * sin_p, hc = half_h * cos_p, hs = half_h * sin_p;
  // Top-left, bottom-left, bottom-right, top-right (as named at angle 0).
  const int64_t corner_x[4] = {cx - wc + hs, cx - wc - hs, cx + wc - hs, cx + wc + hs};
  const int64_t corner_y[4] = {cy - ws - hc, cy - ws + hc, cy + ws + hc, cy + ws - hc};
  auto pix = [](int64_t v) { return v / kOne; };

  if (turn != 0) {
    auto px = [&](int i) { return SaturatedCoordinate(pix(corner_x[i])); };
    auto py = [&](int i) { return SaturatedCoordinate(pix(corner_y[i])); };
    return G_DDraw_DrawModiGraph(px(3), py(3), px(0), py(0), px(2), py(2), px(1), py(1), graph, trans);
  }

  // A factor of 0 has no inverse to scan with.
  if (ex_rate == 0.0) return -1;
  const Rect& area = DrawState.DrawArea;
  const int64_t min_x = pix(*std::min_element(corner_x, corner_x + 4)),
                max_x = pix(*std::max_element(corner_x, corner_x + 4));
  const int64_t min_y = pix(*std::min_element(corner_y, corner_y + 4)),
                max_y = pix(*std::max_element(corner_y, corner_y + 4));
  Scan s{};
  s.Box = {Clamp(min_x - kMargin, area.left, area.right), Clamp(min_y - kMargin, area.top, area.bottom),
           Clamp(max_x + kFarMargin, area.left, area.right), Clamp(max_y + kFarMargin, area.top, area.bottom)};
  if (s.Box.left >= s.Box.right || s.Box.top >= s.Box.bottom) return 0;

  s.DuX = TruncSaturated32(static_cast<double>(cos_p) / ex_rate);
  s.DvX = TruncSaturated32(static_cast<double>(sin_n) / ex_rate);
  auto source_at = [&](int64_t dx, int64_t dy, int64_t* u, int64_t* v) {
    *u = TruncSaturated32(static_cast<double>(dx * cos_n - dy * sin_n) / ex_rate) + (int64_t{gw >> 1} << kFracBits);
    *v = TruncSaturated32(static_cast<double>(dy * cos_n + dx * sin_n) / ex_rate) + (int64_t{gh >> 1} << kFracBits);
  };
  int64_t u1 = 0, v1 = 0;
  source_at(int64_t{s.Box.left} - x, int64_t{s.Box.top} - y, &s.U0, &s.V0);
  source_at(int64_t{s.Box.left} - x, int64_t{s.Box.bottom} - y, &u1, &v1);
  s.DuY = (u1 - s.U0) / (s.Box.bottom - s.Box.top);
  s.DvY = (v1 - s.V0) / (s.Box.bottom - s.Box.top);

  const BmpDataRecord& pc = *piece.Piece;
  const int bits = GetScreenColorBits();
  w::WarpPlan plan;
  if (bits != 8) {
    const w::WarpRequest rq = w::RequestFromDrawState(w::HasAlphaPlane(pc), false, trans == 1, w::PieceKeyValue(pc));
    if (!w::PlanWarp(rq, &plan)) return 0;
  }

  w::WarpLocks locks;
  w::TriangleTarget t;
  w::LockForTriangles(dest, dest_is_mask, s.Box, &piece, kLockMessages, &locks, &t);
  s.Dest = t.Dest;
  s.DestPitch = t.DestPitch;
  s.Old = t.Src2;
  s.OldPitch = t.Src2Pitch;
  s.Source = t.Src1;
  s.SourcePitch = t.Src1Pitch;
  s.Alpha = w::PieceAlpha(pc);
  s.AlphaPitch = pc.AlphaPitch;
  s.Width = static_cast<uint64_t>(gw);
  s.Height = static_cast<uint64_t>(gh);
  if (bits == 8) {
    ScanBox(s, [&](int px, int py, ptrdiff_t ui, ptrdiff_t vi) {
      const uint8_t texel = s.Source[vi * s.SourcePitch + ui];
      if (trans != 0 && texel == 0) return;
      s.Dest[py * s.DestPitch + px] = texel;
    });
  } else {
    RotaWalker walker{s, plan.Tables};
    w::RunPlan(plan, walker);
  }
  locks.Unlock();
  return 0;
}

}  // namespace vexal

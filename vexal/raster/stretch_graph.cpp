// A graph stretched, shrunk or mirrored into a rectangle. The stepping is driven by the
// destination in 16.16 fixed point: destination column j (counted from the unclipped
// edge) shows source column floor(j * 0x10000 / scale), counted along the drawing
// direction. The stepping runs once per call into a table of runs (one source column
// and the destination columns that repeat it) and a source row for every destination
// row, so the pixel loops only add and compare, a source pixel is keyed and prepared once
// for its whole run, and a destination row that repeats the one above is copied.
//
// This is the doubled screen's path (320 x 240 to 640 x 480 every frame).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/warp_frame.h"
#include "vexal/raster/warp_kernels.h"

namespace vexal {
namespace {

namespace w = warp;

// The doubling loop is vectorised (which -O2 leaves undone) and also built for 256-bit
// vectors, chosen at load time where the processor has them (GCC only: clang cannot
// clone templates and ignores optimize).
#if defined(__clang__)
#define NL_WARP_WIDE_VECTORS
#elif defined(__x86_64__)
#define NL_WARP_WIDE_VECTORS __attribute__((target_clones("avx2", "default"), optimize("O3")))
#else
#define NL_WARP_WIDE_VECTORS __attribute__((optimize("O3")))
#endif

constexpr int64_t kOne = 0x10000;            // 1.0 in 16.16
constexpr int64_t kMaxSide = 0x10000;        // sides this long wrap the 16.16 scale
constexpr int64_t kMaxScale = 0x80000000LL;  // a factor of 32768 overflows the signed error terms
constexpr w::WarpLocks::Messages kLockMessages{"転送先サーフェスのロックに失敗しました in G_DDraw_DrawExtendGraph ",
                                               "転送元サーフェス１のロックに失敗しました in G_DDraw_DrawExtendGraph ",
                                               "転送元サーフェス２のロックに失敗しました in G_DDraw_DrawExtendGraph "};

struct ColumnRun {
  int Column;  // in the source block
  int Start;   // first destination column, from the clipped left
  int Length;
};

// One axis of the stepping.
struct Axis {
  int64_t Scale = 0;
  int64_t Cut = 0;    // destination pixels clipped off the leading edge
  int64_t First = 0;  // first source index read, along the drawing direction
  int64_t Count = 0;  // source indices read
  int64_t Err0 = 0;
};

Axis MakeAxis(int64_t dst, int64_t src, int64_t cut, int64_t clipped) {
  Axis a;
  a.Scale = (dst << 16) / src;
  a.Cut = cut;
  a.First = (cut << 16) / a.Scale;
  a.Err0 = a.Scale - ((cut << 16) % a.Scale);
  a.Count = ((cut + clipped - 1) << 16) / a.Scale - a.First + 1;
  return a;
}

// The source index (0 .. Count - 1, along the drawing direction) of each of n destination
// pixels, by the error stepping.
void Step(const Axis& a, int n, std::vector<int>* out) {
  out->resize(static_cast<size_t>(n));
  int64_t err = a.Err0;
  int k = 0;
  for (int j = 0; j < n; ++j) {
    (*out)[static_cast<size_t>(j)] = k;
    err -= kOne;
    while (err <= 0) {
      ++k;
      err += a.Scale;
    }
  }
}

struct Pixels {
  uint8_t* Dest;  // first clipped pixel
  ptrdiff_t DestPitch;
  const uint8_t* Old;  // the pixel blended with, at the same place
  ptrdiff_t OldPitch;
  const uint8_t* Source;  // texel (0, 0) of the source block
  ptrdiff_t SourcePitch;
  const uint8_t* Alpha;  // alpha of the block's texel (0, 0); null without a plane
  ptrdiff_t AlphaPitch;
  int Width, Height;  // clipped
  const std::vector<ColumnRun>* Runs;
  const std::vector<int>* Rows;  // source block row of each destination row
};

// Every source pixel of a row twice, from src onwards: the doubled screen's row.
template <class Pixel>
NL_WARP_WIDE_VECTORS void DoubleRow(const uint8_t* __restrict src, uint8_t* __restrict out, int pairs) {
  using Pair = std::conditional_t<sizeof(Pixel) == 4, uint64_t, uint32_t>;
  constexpr Pair kTwice = static_cast<Pair>(sizeof(Pixel) == 4 ? 0x100000001ull : 0x10001ull);
  for (int k = 0; k < pairs; ++k) {
    Pixel s;
    std::memcpy(&s, src + k * sizeof(Pixel), sizeof s);
    const Pair two = static_cast<Pair>(s) * kTwice;
    std::memcpy(out + k * sizeof(Pair), &two, sizeof two);
  }
}

// Whether the columns are an unmirrored doubling: 0, 0, 1, 1, 2, 2 ... from some column.
bool IsDoubling(const std::vector<int>& columns, int* first) {
  if (columns.empty() || columns.size() % 2 != 0) return false;
  *first = columns[0];
  for (size_t j = 0; j < columns.size(); ++j)
    if (columns[j] != *first + static_cast<int>(j / 2)) return false;
  return true;
}

// Mode 0 without brightness or alpha plane: the shortest loops.
template <class Pixel>
void PlainStretch(const Pixels& p, bool keyed, uint32_t key, const std::vector<int>& columns) {
  constexpr int bpp = sizeof(Pixel);
  const size_t row_bytes = static_cast<size_t>(p.Width) * bpp;
  int first = 0;
  const bool doubled = sizeof(Pixel) > 1 && IsDoubling(columns, &first);
  for (int i = 0; i < p.Height; ++i) {
    const int sr = (*p.Rows)[static_cast<size_t>(i)];
    uint8_t* out = p.Dest + i * p.DestPitch;
    if (!keyed && i > 0 && sr == (*p.Rows)[static_cast<size_t>(i - 1)]) {
      std::memcpy(out, out - p.DestPitch, row_bytes);
      continue;
    }
    const uint8_t* src = p.Source + sr * p.SourcePitch;
    if (!keyed && doubled) {
      DoubleRow<Pixel>(src + first * bpp, out, p.Width / 2);
      continue;
    }
    if (!keyed) {
      for (int j = 0; j < p.Width; ++j)
        w::StorePixel<Pixel>(out + j * bpp, w::LoadPixel<Pixel>(src + columns[static_cast<size_t>(j)] * bpp));
      continue;
    }
    for (const ColumnRun& r : *p.Runs) {
      const uint32_t s = w::LoadPixel<Pixel>(src + r.Column * bpp);
      if (s == key) continue;
      for (int j = r.Start; j < r.Start + r.Length; ++j) w::StorePixel<Pixel>(out + j * bpp, s);
    }
  }
}

struct KernelStretch {
  const Pixels& P;
  const w::WarpTables& T;

  template <class K>
  void Run(const K& kernel) {
    using Pixel = typename K::Pixel;
    constexpr int bpp = sizeof(Pixel);
    for (int i = 0; i < P.Height; ++i) {
      const int sr = (*P.Rows)[static_cast<size_t>(i)];
      const uint8_t* src = P.Source + sr * P.SourcePitch;
      const uint8_t* alpha = P.Alpha != nullptr ? P.Alpha + sr * P.AlphaPitch : nullptr;
      const uint8_t* old = P.Old + i * P.OldPitch;
      uint8_t* out = P.Dest + i * P.DestPitch;
      for (const ColumnRun& r : *P.Runs) {
        const uint32_t s = w::LoadPixel<Pixel>(src + r.Column * bpp);
        if (T.Keyed && s == T.Key) continue;
        const int a = alpha != nullptr ? alpha[r.Column] : w::kOpaque;
        if (a == 0) continue;
        const auto prepared = kernel.Prepare(s);
        for (int j = r.Start; j < r.Start + r.Length; ++j)
          w::StorePixel<Pixel>(out + j * bpp, kernel.Apply(prepared, a, w::LoadPixel<Pixel>(old + j * bpp)));
      }
    }
  }
};

}  // namespace

int G_DDraw_DrawExtendGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int trans) {
  if (DDrawTargetUnusable != 0) return -1;
  bool dest_is_mask = false;
  w::ps::Surface* dest = w::Destination(&dest_is_mask);
  if (GetDirectDrawObject() == nullptr) return -1;
  EndPending3DScene();
  w::GraphPiece piece;
  if (!w::FirstPiece(graph, &piece) || dest == nullptr) return -1;

  int64_t left = x1, right = x2, top = y1, bottom = y2;
  const bool mirror_x = left > right, mirror_y = top > bottom;
  if (mirror_x) std::swap(left, right);
  if (mirror_y) std::swap(top, bottom);
  const int64_t dst_w = right - left, dst_h = bottom - top;
  if (dst_w == 0 || dst_h == 0) return -1;
  const int gw = piece.Width, gh = piece.Height;
  if (dst_w == gw && dst_h == gh && !mirror_x && !mirror_y)
    return DDrawDrawGraph(static_cast<int>(left), static_cast<int>(top), graph, trans);
  if (dst_w >= kMaxSide || dst_h >= kMaxSide) return -1;
  if ((dst_w << 16) / gw >= kMaxScale || (dst_h << 16) / gh >= kMaxScale) return -1;

  const Rect& area = DrawState.DrawArea;
  const int64_t cl = std::clamp<int64_t>(left, area.left, area.right);
  const int64_t cr = std::clamp<int64_t>(right, area.left, area.right);
  const int64_t ct = std::clamp<int64_t>(top, area.top, area.bottom);
  const int64_t cb = std::clamp<int64_t>(bottom, area.top, area.bottom);
  if (cr <= cl || cb <= ct) return -1;
  const int clip_w = static_cast<int>(cr - cl), clip_h = static_cast<int>(cb - ct);
  const Axis ax = MakeAxis(dst_w, gw, cl - left, clip_w);
  const Axis ay = MakeAxis(dst_h, gh, ct - top, clip_h);

  const int bits = GetScreenColorBits();
  const BmpDataRecord& pc = *piece.Piece;
  w::WarpPlan plan;
  bool plain = bits == 8;
  if (!plain) {
    const w::WarpRequest rq = w::RequestFromDrawState(w::HasAlphaPlane(pc), false, trans != 0, w::PieceKeyValue(pc));
    if (!w::PlanWarp(rq, &plan)) return 0;
    plain = plan.Rule == w::Op::Copy && !plan.Alpha && !plan.Bright;
  }

  // The source block: its first column and row in the piece.
  const int block_w = static_cast<int>(ax.Count), block_h = static_cast<int>(ay.Count);
  const int first_col = static_cast<int>(mirror_x ? gw - ax.First - ax.Count : ax.First);
  const int first_row = static_cast<int>(mirror_y ? gh - ay.First - ay.Count : ay.First);
  const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;

  w::ps::Surface* work1 = nullptr;
  if (!plain && w::ReadBackWanted(plan.Alpha, dest_is_mask)) {
    const w::ps::Rect from{static_cast<int>(ox + cl), static_cast<int>(oy + ct), static_cast<int>(ox + cr),
                           static_cast<int>(oy + cb)};
    if (w::CopyToWork(DDrawState.Work1, dest, from, 0, 0)) work1 = DDrawState.Work1;
  }
  w::ps::Surface* source = pc.Surface;
  w::ps::Rect block{pc.X + first_col, pc.Y + first_row, pc.X + first_col + block_w, pc.Y + first_row + block_h};
  int screen_w = 0, screen_h = 0;
  GetScreenSize(&screen_w, &screen_h);
  if (pc.InVideoMemory != 0 && block_w <= screen_w && block_h <= screen_h &&
      w::CopyToWork(DDrawState.Work2, source, block, 0, 0)) {
    source = DDrawState.Work2;
    block = {0, 0, block_w, block_h};
  }

  std::vector<int> columns, rows;
  Step(ax, clip_w, &columns);
  Step(ay, clip_h, &rows);
  // Along a mirrored axis the block is read from its far end.
  if (mirror_x)
    for (int& c : columns) c = block_w - 1 - c;
  if (mirror_y)
    for (int& r : rows) r = block_h - 1 - r;
  std::vector<ColumnRun> runs;
  for (int j = 0; j < clip_w; ++j) {
    if (!runs.empty() && runs.back().Column == columns[static_cast<size_t>(j)])
      ++runs.back().Length;
    else
      runs.push_back({columns[static_cast<size_t>(j)], j, 1});
  }

  w::WarpLocks locks;
  locks.Lock(dest, source, block, work1, kLockMessages);
  const int bpp = bits / 8;
  Pixels px{};
  px.Dest = locks.DestBits + (oy + ct) * static_cast<ptrdiff_t>(locks.DestPitch) + (ox + cl) * bpp;
  px.DestPitch = locks.DestPitch;
  px.Old = work1 != nullptr ? locks.WorkBits : px.Dest;
  px.OldPitch = work1 != nullptr ? locks.WorkPitch : locks.DestPitch;
  px.Source = locks.SourceBits;
  px.SourcePitch = locks.SourcePitch;
  const uint8_t* alpha = w::PieceAlpha(pc);
  px.Alpha = alpha != nullptr ? alpha + static_cast<ptrdiff_t>(first_row) * pc.AlphaPitch + first_col : nullptr;
  px.AlphaPitch = pc.AlphaPitch;
  px.Width = clip_w;
  px.Height = clip_h;
  px.Runs = &runs;
  px.Rows = &rows;
  if (bits == 8) {
    PlainStretch<uint8_t>(px, (trans & 1) != 0, 0, columns);
  } else if (plain) {
    const bool keyed = (trans & 1) != 0;
    if (bits == 32)
      PlainStretch<uint32_t>(px, keyed, plan.Tables.Key, columns);
    else
      PlainStretch<uint16_t>(px, keyed, plan.Tables.Key, columns);
  } else {
    KernelStretch walker{px, plan.Tables};
    w::RunPlan(plan, walker);
  }
  locks.Unlock();
  return 0;
}

}  // namespace vexal

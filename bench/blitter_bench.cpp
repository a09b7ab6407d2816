// The graph blitter's whole call (clipping, locks, the plain or the software path) on a
// started library in full screen at 320 x 240, in 16-bit 5:6:5 and in 32-bit colour, side
// by side with memcpy of the same bytes and, where one exists, pixman doing the same
// composite. Each benchmark reports pixels per second and, timed again in alternating
// rounds after its run, ns per call and the ratios x_memcpy and x_pixman (call time over
// theirs: below 1 is faster). Graphs lie in system memory: in this stand-in video memory
// is the same memory, and the work-surface copies made for it would only add time.
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_screen.h"
#include "bench/side_by_side.h"
#include "platform/sys/sys.h"
#include "vexal/ddraw/draw_graph.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

namespace ps = plat::surface;

constexpr int kScreenW = 320, kScreenH = 240;

void UseScreen(int bits) { nlbench::UseBenchScreen(kScreenW, kScreenH, bits); }

// A piece of random pixels with magenta holes (and an alpha plane of ramps, when asked).
int MakePiece(int w, int h, bool alpha_plane) {
  vexal::SetTransColorValue(0xFF00FF);
  const int index = vexal::AddBmpData(w, h, 0, 0, 0, 0, nullptr, 0, 0, alpha_plane ? 1 : 0);
  vexal::BmpDataRecord* r = vexal::GetBmpData(index);
  if (r == nullptr) std::abort();
  const uint32_t key = vexal::MakeColorValue(255, 0, 255);
  std::mt19937 rng(w * 131 + h);
  ps::LockedRect l;
  ps::Lock(r->Surface, nullptr, ps::kLockWait, &l);
  const int bytes = l.format.bit_count / 8;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t v = rng() % 5 == 0 ? key : rng() & 0x00FFFFFF;
      std::memcpy(l.bits + y * l.pitch + x * bytes, &v, bytes);
      if (alpha_plane) r->AlphaPlane[(r->Y + y) * r->AlphaPitch + r->X + x] = static_cast<uint8_t>((x * 255) / w);
    }
  ps::Unlock(r->Surface);
  return index;
}

using nlbench::NowNs;
using nlbench::TimeSideBySide;

// What pixman is asked to do in the blitter's place.
enum class PixmanOp { kNone, kCopy, kConstantBlend, kAlphaPlane };

// pixman images over the same rectangle: a source and destination of the screen's
// format, and the mask the composite needs.
struct PixmanScene {
  PixmanScene(int bits, int w, int h, PixmanOp op)
      : w(w), h(h), op(op), format(bits == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5), stride(((w * bits / 8) + 3) & ~3),
        src(static_cast<size_t>(stride / 4) * h), dst(static_cast<size_t>(stride / 4) * kScreenH * 2),
        alpha(static_cast<size_t>((w + 3) & ~3) * h) {
    std::mt19937 rng(5);
    for (uint32_t& v : src) v = rng();
    for (uint32_t& v : dst) v = rng();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) alpha[y * ((w + 3) & ~3) + x] = static_cast<uint8_t>((x * 255) / w);
    src_image = pixman_image_create_bits(format, w, h, src.data(), stride);
    dst_image = pixman_image_create_bits(format, w, h, dst.data(), stride);
    if (op == PixmanOp::kConstantBlend) {
      const pixman_color_t half{0, 0, 0, 0x8080};
      mask_image = pixman_image_create_solid_fill(&half);
    } else if (op == PixmanOp::kAlphaPlane) {
      mask_image = pixman_image_create_bits(PIXMAN_a8, w, h, reinterpret_cast<uint32_t*>(alpha.data()), (w + 3) & ~3);
    }
  }
  ~PixmanScene() {
    pixman_image_unref(src_image);
    pixman_image_unref(dst_image);
    if (mask_image != nullptr) pixman_image_unref(mask_image);
  }
  void Composite() const {
    const pixman_op_t how = op == PixmanOp::kCopy ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
    pixman_image_composite32(how, src_image, mask_image, dst_image, 0, 0, 0, 0, 0, 0, w, h);
  }
  int w, h;
  PixmanOp op;
  pixman_format_code_t format;
  int stride;
  std::vector<uint32_t> src, dst;
  std::vector<uint8_t> alpha;
  pixman_image_t* src_image = nullptr;
  pixman_image_t* dst_image = nullptr;
  pixman_image_t* mask_image = nullptr;
};

struct Case {
  int w, h;
  bool trans;
  bool alpha_plane;
  int mode, param;
  bool coarse;
  PixmanOp pixman;
};

void RunCase(benchmark::State& state, int bits, const Case& c) {
  UseScreen(bits);
  vexal::SetDrawOptionFlag(c.coarse ? 1 : 0);
  vexal::SetBlendModeParam(c.mode, c.param);
  const int piece = MakePiece(c.w, c.h, c.alpha_plane);
  const int bytes = bits / 8;
  // Small pieces walk over the screen as a tile map does.
  const int columns = kScreenW / c.w, rows = kScreenH / c.h;
  int cell = 0;
  auto draw = [&] {
    const int x = (cell % columns) * c.w, y = (cell / columns % rows) * c.h;
    if (++cell == columns * rows) cell = 0;
    vexal::G_DDraw_DrawGraph(x, y, piece, c.trans ? 1 : 0);
  };
  for (auto _ : state) draw();
  state.SetItemsProcessed(state.iterations() * c.w * c.h);

  const size_t row_bytes = static_cast<size_t>(c.w) * bytes;
  std::vector<uint8_t> from(row_bytes * c.h), to(from.size());
  auto copy = [&] {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::ClobberMemory();
  };
  std::vector<std::function<void()>> fns{draw, copy};
  PixmanScene scene(bits, c.w, c.h, c.pixman);
  if (c.pixman != PixmanOp::kNone) fns.emplace_back([&] { scene.Composite(); });
  const int64_t reps = std::max<int64_t>(1, std::min<int64_t>(state.iterations(), 200000));
  const std::vector<double> ns = TimeSideBySide(fns, reps);
  state.counters["ns_call"] = ns[0];
  state.counters["x_memcpy"] = ns[0] / ns[1];
  if (ns.size() > 2) state.counters["x_pixman"] = ns[0] / ns[2];
  vexal::SetBlendModeParam(0, 0);
  vexal::DeleteBmpData(piece);
}

void BM_Tile16Keyed(benchmark::State& s) {
  RunCase(s, static_cast<int>(s.range(0)), {16, 16, true, false, 0, 0, true, PixmanOp::kNone});
}
void BM_Glyph8Keyed(benchmark::State& s) {
  RunCase(s, static_cast<int>(s.range(0)), {8, 8, true, false, 0, 0, true, PixmanOp::kNone});
}
void BM_OpaqueCopy(benchmark::State& s) {
  RunCase(s, static_cast<int>(s.range(0)), {320, 240, false, false, 0, 0, true, PixmanOp::kCopy});
}
void BM_BlendHalf(benchmark::State& s) {
  RunCase(s, static_cast<int>(s.range(0)), {320, 240, false, false, 1, 128, false, PixmanOp::kConstantBlend});
}
void BM_BlendHalfCoarse(benchmark::State& s) {
  RunCase(s, static_cast<int>(s.range(0)), {320, 240, false, false, 1, 128, true, PixmanOp::kConstantBlend});
}
void BM_AlphaPlaneSprite(benchmark::State& s) {
  RunCase(s, static_cast<int>(s.range(0)), {32, 32, true, true, 0, 0, true, PixmanOp::kAlphaPlane});
}
void BM_KeyedBlendTile(benchmark::State& s) {
  RunCase(s, static_cast<int>(s.range(0)), {16, 16, true, false, 1, 128, true, PixmanOp::kNone});
}

// All 16-bit cases first, then all 32-bit ones: each depth change rebuilds the screen.
#define NL_BLITTER_CASES(bits)               \
  BENCHMARK(BM_Tile16Keyed)->Arg(bits);      \
  BENCHMARK(BM_Glyph8Keyed)->Arg(bits);      \
  BENCHMARK(BM_OpaqueCopy)->Arg(bits);       \
  BENCHMARK(BM_BlendHalf)->Arg(bits);        \
  BENCHMARK(BM_BlendHalfCoarse)->Arg(bits);  \
  BENCHMARK(BM_AlphaPlaneSprite)->Arg(bits); \
  BENCHMARK(BM_KeyedBlendTile)->Arg(bits)

NL_BLITTER_CASES(16);
NL_BLITTER_CASES(32);

}  // namespace

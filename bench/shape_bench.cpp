// The software shapes' whole calls on a started library in full screen at 320 x 240, in
// 16-bit 5:6:5 and in 32-bit colour, beside a plain baseline of the same bytes (memset) and,
// where one does the same work, pixman (a solid fill, OVER or ADD of a solid colour). Each
// benchmark reports pixels per second and, timed again in alternating rounds after its run,
// ns per call and the ratios x_memset and x_pixman (call time over theirs: below 1 is
// faster).
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/bench_screen.h"
#include "bench/side_by_side.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/raster/circle_walk.h"

namespace {

constexpr int kScreenW = 320, kScreenH = 240;

void UseScreen(int bits) { nlbench::UseBenchScreen(kScreenW, kScreenH, bits); }

using nlbench::NowNs;
using nlbench::TimeSideBySide;

enum class PixmanOp { kNone, kFill, kOver, kAdd };

// pixman doing a full-screen box's work on a screen-sized image of the same format.
struct PixmanBox {
  PixmanBox(int bits, PixmanOp op)
      : op(op), format(bits == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5), stride(kScreenW * bits / 8), bits(bits),
        pixels(static_cast<size_t>(stride / 4) * kScreenH) {
    std::mt19937 rng(5);
    for (uint32_t& v : pixels) v = rng();
    image = pixman_image_create_bits(format, kScreenW, kScreenH, pixels.data(), stride);
    const pixman_color_t half{0x8080, 0x4040, 0x2020, 0x8080};  // premultiplied
    solid = pixman_image_create_solid_fill(&half);
  }
  ~PixmanBox() {
    pixman_image_unref(image);
    pixman_image_unref(solid);
  }
  void Run() {
    if (op == PixmanOp::kFill) {
      pixman_fill(pixels.data(), stride / 4, bits, 0, 0, kScreenW, kScreenH, 0x123456);
    } else {
      pixman_image_composite32(op == PixmanOp::kOver ? PIXMAN_OP_OVER : PIXMAN_OP_ADD, solid, nullptr, image, 0, 0, 0,
                               0, 0, 0, kScreenW, kScreenH);
    }
  }
  PixmanOp op;
  pixman_format_code_t format;
  int stride, bits;
  std::vector<uint32_t> pixels;
  pixman_image_t* image = nullptr;
  pixman_image_t* solid = nullptr;
};

struct Case {
  int mode, param;
  bool coarse;
  PixmanOp pixman;
};

// draw() does one call's worth; pixels is what it covers (the memset baseline's size).
void Report(benchmark::State& state, int bits, const std::function<void()>& draw, int64_t pixels, PixmanOp pixman) {
  for (auto _ : state) draw();
  state.SetItemsProcessed(state.iterations() * pixels);
  std::vector<uint8_t> bytes(static_cast<size_t>(pixels) * bits / 8);
  auto fill = [&] {
    std::memset(bytes.data(), 0x5A, bytes.size());
    benchmark::ClobberMemory();
  };
  std::vector<std::function<void()>> fns{draw, fill};
  PixmanBox box(bits, pixman);
  if (pixman != PixmanOp::kNone) fns.emplace_back([&] { box.Run(); });
  const int64_t reps = std::max<int64_t>(1, std::min<int64_t>(state.iterations(), 20000));
  const std::vector<double> ns = TimeSideBySide(fns, reps);
  state.counters["ns_call"] = ns[0];
  state.counters["x_memset"] = ns[0] / ns[1];
  if (ns.size() > 2) state.counters["x_pixman"] = ns[0] / ns[2];
}

void Prepare(int bits, const Case& c) {
  UseScreen(bits);
  vexal::SetDrawOptionFlag(c.coarse ? 1 : 0);
  vexal::SetBlendModeParam(c.mode, c.param);
}

void FullScreenBox(benchmark::State& state, const Case& c) {
  const int bits = static_cast<int>(state.range(0));
  Prepare(bits, c);
  const uint32_t color = vexal::MakeColorValue(200, 100, 50);
  Report(
      state, bits, [&] { vexal::G_DDraw_DrawFillBox(0, 0, kScreenW, kScreenH, color); }, kScreenW * kScreenH, c.pixman);
  vexal::SetBlendModeParam(0, 0);
}

// Pixels of a filled circle: the first run on each row.
int64_t DiscPixels(int r) {
  struct Count {
    std::set<int64_t> rows;
    int64_t n = 0;
    void Point(int64_t, int64_t) {}
    void Run(int64_t y, int64_t xl, int64_t xr) {
      if (rows.insert(y).second) n += xr - xl + 1;
    }
  } count;
  vexal::CircleWalk(0, 0, r, true, count);
  return count.n;
}

// 100 filled circles of 16 pixels across, spread over the screen.
void Circles(benchmark::State& state, const Case& c) {
  const int bits = static_cast<int>(state.range(0));
  Prepare(bits, c);
  const uint32_t color = vexal::MakeColorValue(200, 100, 50);
  constexpr int kRadius = 8, kCount = 100;
  Report(
      state, bits,
      [&] {
        for (int i = 0; i < kCount; ++i)
          vexal::G_DDraw_DrawCircle(10 + (i % 10) * 30, 10 + (i / 10) * 22, kRadius, color, 1);
      },
      kCount * DiscPixels(kRadius), PixmanOp::kNone);
  vexal::SetBlendModeParam(0, 0);
}

// 1,000 lines of 16 pixels in all directions.
void Lines(benchmark::State& state, const Case& c) {
  const int bits = static_cast<int>(state.range(0));
  Prepare(bits, c);
  const uint32_t color = vexal::MakeColorValue(200, 100, 50);
  constexpr int kCount = 1000, kLength = 16;
  std::vector<int> ends;
  std::mt19937 rng(3);
  for (int i = 0; i < kCount; ++i) {
    const int x = 20 + static_cast<int>(rng() % 280), y = 20 + static_cast<int>(rng() % 200);
    const int dx = static_cast<int>(rng() % (2 * kLength + 1)) - kLength;
    const int dy = (rng() % 2 ? 1 : -1) * (kLength - std::abs(dx) / 2);
    ends.insert(ends.end(), {x, y, x + dx, y + dy});
  }
  Report(
      state, bits,
      [&] {
        for (size_t i = 0; i < ends.size(); i += 4)
          vexal::G_DDraw_DrawLine(ends[i], ends[i + 1], ends[i + 2], ends[i + 3], color);
      },
      kCount * kLength, PixmanOp::kNone);
  vexal::SetBlendModeParam(0, 0);
}

void BM_BoxOpaque(benchmark::State& s) { FullScreenBox(s, {0, 255, false, PixmanOp::kFill}); }
void BM_BoxHalf(benchmark::State& s) { FullScreenBox(s, {1, 128, false, PixmanOp::kOver}); }
void BM_BoxHalfCoarse(benchmark::State& s) { FullScreenBox(s, {1, 128, true, PixmanOp::kOver}); }
void BM_BoxAdd(benchmark::State& s) { FullScreenBox(s, {2, 200, false, PixmanOp::kAdd}); }
void BM_BoxAddCoarse(benchmark::State& s) { FullScreenBox(s, {2, 200, true, PixmanOp::kAdd}); }
void BM_BoxSubtract(benchmark::State& s) { FullScreenBox(s, {3, 200, false, PixmanOp::kNone}); }
void BM_Circles16(benchmark::State& s) { Circles(s, {0, 255, false, PixmanOp::kNone}); }
void BM_Circles16Half(benchmark::State& s) { Circles(s, {1, 128, false, PixmanOp::kNone}); }
void BM_Lines16(benchmark::State& s) { Lines(s, {0, 255, false, PixmanOp::kNone}); }
void BM_Lines16Half(benchmark::State& s) { Lines(s, {1, 128, false, PixmanOp::kNone}); }

// All 16-bit cases first, then all 32-bit ones: each depth change rebuilds the screen.
#define NL_SHAPE_CASES(bits)              \
  BENCHMARK(BM_BoxOpaque)->Arg(bits);     \
  BENCHMARK(BM_BoxHalf)->Arg(bits);       \
  BENCHMARK(BM_BoxHalfCoarse)->Arg(bits); \
  BENCHMARK(BM_BoxAdd)->Arg(bits);        \
  BENCHMARK(BM_BoxAddCoarse)->Arg(bits);  \
  BENCHMARK(BM_BoxSubtract)->Arg(bits);   \
  BENCHMARK(BM_Circles16)->Arg(bits);     \
  BENCHMARK(BM_Circles16Half)->Arg(bits); \
  BENCHMARK(BM_Lines16)->Arg(bits);       \
  BENCHMARK(BM_Lines16Half)->Arg(bits)

NL_SHAPE_CASES(16);
NL_SHAPE_CASES(32);

}  // namespace

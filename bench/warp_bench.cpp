// The image warps on a started library, side by side with memcpy and pixman: the doubled
// screen (a 320 x 240 graph stretched to 640 x 480) at 16 and 32 bits against a memcpy of
// the 640 x 480 output and pixman scaling the same picture with its nearest filter; a
// 64 x 64 sprite turned by 30 degrees against pixman's nearest affine transform; a 20 x 15
// chip map of 16 x 16 chips against a memcpy of the screen it covers. Each reports ns per
// call and the ratios x_memcpy and x_pixman (call time over theirs: below 1 is faster),
// timed in alternating rounds.
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_screen.h"
#include "bench/side_by_side.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

namespace ps = plat::surface;

constexpr int kScreenW = 640, kScreenH = 480;

void UseScreen(int bits) {
  nlbench::UseBenchScreen(kScreenW, kScreenH, bits);
  vexal::SetBlendModeParam(0, 0);
}

// A graph record over one piece of random pixels.
struct BenchGraph {
  BenchGraph(int w, int h) {
    index = vexal::AddBmpData(w, h, 0, 0, 0, 0, nullptr, 0, 0, 0);
    vexal::BmpDataRecord* r = vexal::GetBmpData(index);
    if (r == nullptr) std::abort();
    std::mt19937 rng(static_cast<uint32_t>(w * 7 + h));
    ps::LockedRect l;
    ps::Lock(r->Surface, nullptr, ps::kLockWait, &l);
    const int bytes = l.format.bit_count / 8;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t v = rng() & 0x00FFFFFF;
        std::memcpy(l.bits + (r->Y + y) * l.pitch + (r->X + x) * bytes, &v, bytes);
      }
    ps::Unlock(r->Surface);
    record.Pieces[0] = static_cast<uint32_t>(index);
    record.PieceCount = 1;
    record.Width = static_cast<uint16_t>(w);
    record.Height = static_cast<uint16_t>(h);
  }
  ~BenchGraph() { vexal::DeleteBmpData(index); }
  int index;
  vexal::GraphRecord record;
};

using nlbench::NowNs;
using nlbench::TimeSideBySide;

// pixman drawing src_w x src_h through a transform onto out_w x out_h with the nearest
// filter.
struct PixmanTransform {
  PixmanTransform(int bits, int src_w, int src_h, int out_w, int out_h, const pixman_transform_t& t)
      : out_w(out_w), out_h(out_h) {
    const pixman_format_code_t format = bits == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
    const int src_stride = ((src_w * bits / 8) + 3) & ~3, out_stride = ((out_w * bits / 8) + 3) & ~3;
    src.resize(static_cast<size_t>(src_stride / 4) * src_h);
    out.resize(static_cast<size_t>(out_stride / 4) * out_h);
    std::mt19937 rng(3);
    for (uint32_t& v : src) v = rng();
    src_image = pixman_image_create_bits(format, src_w, src_h, src.data(), src_stride);
    out_image = pixman_image_create_bits(format, out_w, out_h, out.data(), out_stride);
    pixman_image_set_transform(src_image, &t);
    pixman_image_set_filter(src_image, PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
  ~PixmanTransform() {
    pixman_image_unref(src_image);
    pixman_image_unref(out_image);
  }
  void Composite() const {
    pixman_image_composite32(PIXMAN_OP_SRC, src_image, nullptr, out_image, 0, 0, 0, 0, 0, 0, out_w, out_h);
  }
  int out_w, out_h;
  std::vector<uint32_t> src, out;
  pixman_image_t* src_image = nullptr;
  pixman_image_t* out_image = nullptr;
};

void Report(benchmark::State& state, const std::function<void()>& draw, size_t copy_bytes, const PixmanTransform* px) {
  std::vector<uint8_t> from(copy_bytes), to(copy_bytes);
  auto copy = [&] {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::ClobberMemory();
  };
  std::vector<std::function<void()>> fns{draw, copy};
  if (px != nullptr) fns.emplace_back([px] { px->Composite(); });
  const int64_t reps = std::max<int64_t>(1, std::min<int64_t>(state.iterations(), 2000));
  const std::vector<double> ns = TimeSideBySide(fns, reps);
  state.counters["ns_call"] = ns[0];
  state.counters["x_memcpy"] = ns[0] / ns[1];
  if (ns.size() > 2) state.counters["x_pixman"] = ns[0] / ns[2];
}

void BM_DoubledScreen(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  UseScreen(bits);
  BenchGraph g(320, 240);
  auto draw = [&] { vexal::G_DDraw_DrawExtendGraph(0, 0, kScreenW, kScreenH, &g.record, 0); };
  for (auto _ : state) draw();
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  PixmanTransform px(bits, 320, 240, kScreenW, kScreenH, t);
  Report(state, draw, static_cast<size_t>(kScreenW) * kScreenH * (bits / 8), &px);
}

void BM_TurnedSprite(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  UseScreen(bits);
  BenchGraph g(64, 64);
  const double angle = 30.0 * std::acos(-1.0) / 180.0;
  auto draw = [&] { vexal::G_DDraw_DrawRotaGraph(160, 120, 1.0, angle, &g.record, 0, 0); };
  for (auto _ : state) draw();
  state.SetItemsProcessed(state.iterations() * 64 * 64);
  // The turned sprite's 90 x 90 box, each pixel mapped back about the centre.
  constexpr int kBox = 90;
  pixman_transform_t t;
  pixman_transform_init_translate(&t, pixman_int_to_fixed(-kBox / 2), pixman_int_to_fixed(-kBox / 2));
  pixman_transform_rotate(nullptr, &t, pixman_double_to_fixed(std::cos(-angle)),
                          pixman_double_to_fixed(std::sin(-angle)));
  pixman_transform_translate(nullptr, &t, pixman_int_to_fixed(32), pixman_int_to_fixed(32));
  PixmanTransform px(bits, 64, 64, kBox, kBox, t);
  Report(state, draw, static_cast<size_t>(64) * 64 * (bits / 8), &px);
}

void BM_ChipMap(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  UseScreen(bits);
  std::vector<BenchGraph*> chips;
  for (int i = 0; i < 8; ++i) chips.push_back(new BenchGraph(16, 16));
  std::vector<vexal::GraphRecord*> graphs;
  for (BenchGraph* c : chips) graphs.push_back(&c->record);
  std::vector<uint32_t> map(20 * 15);
  for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<uint32_t>(i % 8);
  auto draw = [&] {
    vexal::G_DDraw_DrawChipMap(0, 0, 20, 15, map.data(), 20, static_cast<int>(graphs.size()), graphs.data(), 0);
  };
  for (auto _ : state) draw();
  state.SetItemsProcessed(state.iterations() * 320 * 240);
  Report(state, draw, static_cast<size_t>(320) * 240 * (bits / 8), nullptr);
  for (BenchGraph* c : chips) delete c;
}

BENCHMARK(BM_DoubledScreen)->Arg(16);
BENCHMARK(BM_TurnedSprite)->Arg(16);
BENCHMARK(BM_ChipMap)->Arg(16);
BENCHMARK(BM_DoubledScreen)->Arg(32);
BENCHMARK(BM_TurnedSprite)->Arg(32);
BENCHMARK(BM_ChipMap)->Arg(32);

}  // namespace

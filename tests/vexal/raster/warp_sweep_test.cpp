// Random and extreme coordinates, scales and angles through every warp: nothing is ever
// written outside the draw area (the band round it is compared after every call) and no
// call runs away (the fixture's alarm ends a hung case).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "layout_seed.h"
#include "vexal/ddraw/primitive.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "warp_fixture.h"

namespace warptest {
namespace {

class WarpSweep : public WarpTest, public ::testing::WithParamInterface<const Screen*> {};

TEST_P(WarpSweep, NeverWritesOutsideTheArea) {
  Start(*GetParam());
  auto g = Graph(13, 9, 0xFF00FF, {0, 128, 255});
  const vexal::Rect area{37, 23, 251, 181};
  vexal::DrawState.DrawArea = area;
  FillBack();
  const Picture before = Read(vexal::DDrawState.Back);
  std::mt19937 rng(rastertest::LayoutSeed(GetParam()->name));  // each layout its own calls
  const int kExtremes[] = {INT_MIN, INT_MIN + 1, -100000, -8193,  -1,          0,      1,
                           8192,    65535,       65536,   100000, INT_MAX - 1, INT_MAX};
  auto coordinate = [&]() -> int {
    switch (rng() % 3) {
      case 0: return kExtremes[rng() % std::size(kExtremes)];
      case 1: return static_cast<int>(rng() % 600) - 150;
      default: return static_cast<int>(rng());
    }
  };
  const double kRates[] = {0.0,
                           -0.0,
                           1e-300,
                           1e-9,
                           0.001,
                           0.5,
                           1.0,
                           3.7,
                           -2.0,
                           1e6,
                           1e300,
                           std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  const double kAngles[] = {
      0.0, 0.3, -2.0, 1e10, 1e300, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  for (int i = 0; i < 400; ++i) {
    const Look look{static_cast<int>(rng() % 4), static_cast<int>(rng() % 256),
                    rng() % 2 ? vexal::kBrightNone : vexal::MakeBrightValue(rng() % 256, rng() % 256, rng() % 256),
                    rng() % 2 == 0, static_cast<int>(rng() % 3)};
    Apply(look);
    vexal::DrawState.TargetInVideoMemory = rng() % 2;
    switch (i % 4) {
      case 0:
        vexal::G_DDraw_DrawModiGraph(coordinate(), coordinate(), coordinate(), coordinate(), coordinate(), coordinate(),
                                     coordinate(), coordinate(), &g->record, look.trans);
        break;
      case 1:
        vexal::G_DDraw_DrawExtendGraph(coordinate(), coordinate(), coordinate(), coordinate(), &g->record, look.trans);
        break;
      case 2:
        vexal::G_DDraw_DrawRotaGraph(coordinate(), coordinate(), kRates[rng() % std::size(kRates)],
                                     kAngles[rng() % std::size(kAngles)], &g->record, look.trans,
                                     static_cast<int>(rng() % 2));
        break;
      default: {
        vexal::PrimitiveVertex v[5];
        for (auto& p : v)
          p = {static_cast<float>(coordinate()),
               static_cast<float>(coordinate()),
               0,
               1,
               static_cast<uint32_t>(rng()),
               static_cast<float>(rng() % 5) - 2.0f,
               static_cast<float>(rng() % 5) - 2.0f};
        vexal::G_DDraw_DrawPrimitive(v, 5, 4 + static_cast<int>(rng() % 3), rng() % 2 ? &g->record : nullptr,
                                     look.trans);
      }
    }
    const Picture after = Read(vexal::DDrawState.Back);
    for (int y = 0; y < after.h; ++y)
      for (int x = 0; x < after.w; ++x)
        if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) {
          ASSERT_EQ(after.at(x, y), before.at(x, y)) << "call " << i << " wrote (" << x << "," << y << ")";
        }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, WarpSweep, ::testing::Values(&kXrgb32, &k555, &kPalette8),
                         [](const auto& info) { return std::string("Rgb") + info.param->name; });

}  // namespace
}  // namespace warptest

// The run of a scanned row that maps inside the picture, against testing every pixel of the
// row the way the scan did before it had the run: position / 2^bits, truncated toward zero,
// within [0, texels).
#include "vexal/raster/texel_span.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The steps of [first, last) whose texel lies in the picture must be one run; returns it.
void BruteForce(int64_t position, int64_t step, int64_t texels, int bits, int64_t first, int64_t last, int64_t* from,
                int64_t* to) {
  *from = *to = first;
  bool seen = false, left = false;
  for (int64_t k = first; k < last; ++k) {
    const int64_t texel = (position + k * step) / (int64_t{1} << bits);
    const bool inside = texel >= 0 && texel < texels;
    ASSERT_FALSE(inside && left) << "not one run";
    if (inside && !seen) *from = k, seen = true;
    if (inside) *to = k + 1;
    if (seen && !inside) left = true;
  }
}

void Check(int64_t position, int64_t step, int64_t texels, int bits, int64_t first, int64_t last) {
  int64_t want_from, want_to;
  BruteForce(position, step, texels, bits, first, last, &want_from, &want_to);
  int64_t got_from = first, got_to = last;
  vexal::NarrowToTexels(position, step, texels, bits, &got_from, &got_to);
  const bool want_empty = want_from == want_to, got_empty = got_from >= got_to;
  ASSERT_EQ(got_empty, want_empty) << position << " step " << step << " texels " << texels << " window " << first
                                   << ".." << last;
  if (!want_empty) {
    ASSERT_EQ(got_from, want_from) << position << " step " << step << " texels " << texels;
    ASSERT_EQ(got_to, want_to) << position << " step " << step << " texels " << texels;
  }
}

// Every position, step and window of a small fixed point (two fraction bits), where the
// edges of each texel and of the picture fall on steps and between them.
TEST(TexelSpan, EveryInputOfASmallFixedPointMatchesThePixelTest) {
  for (int64_t texels : {1, 2, 3, 5})
    for (int64_t position = -40; position <= 40; ++position)
      for (int64_t step = -20; step <= 20; ++step)
        for (int64_t first = 0; first <= 12; first += 3)
          for (int64_t last = first; last <= 12; last += 4) Check(position, step, texels, 2, first, last);
}

// The scan's own fixed point (18 bits) at random positions and steps, rows up to 2,000
// pixels, near the edges of the picture and far from it.
TEST(TexelSpan, RandomRowsOfTheScanMatchThePixelTest) {
  std::mt19937_64 rng(99);
  constexpr int kBits = 18;
  for (int trial = 0; trial < 20000; ++trial) {
    const int64_t texels = 1 + static_cast<int64_t>(rng() % 300);
    const int64_t n = static_cast<int64_t>(rng() % 2000);
    const int64_t reach = (texels + 4) << kBits;
    const int64_t position =
        static_cast<int64_t>(rng() % (4 * reach)) - 2 * reach + static_cast<int64_t>(rng() % 3) - 1;
    const int64_t step = static_cast<int64_t>(rng() % (1 << (kBits + 2))) - (1 << (kBits + 1));
    Check(position, rng() % 17 == 0 ? 0 : step, texels, kBits, 0, n);
  }
}

}  // namespace

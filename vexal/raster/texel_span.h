// Which pixels of a scanned row map inside the picture. A row steps its texel position by a
// fixed amount per pixel, so the pixels whose position, truncated toward zero, is a texel
// of the picture are one run: found once per row, the pixel loop needs no test of its own.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vexal {

// Floor and ceiling of a / b for b > 0.
inline int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
inline int64_t CeilDiv(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -(-a / b); }

// Narrows [*first, *last) to the steps k at which position + k * step (fixed point with
// frac_bits fraction bits), truncated toward zero, lies in [0, texels): the position lies
// in (-1, texels) in whole texels, that is in [lo, hi] below.
inline void NarrowToTexels(int64_t position, int64_t step, int64_t texels, int frac_bits, int64_t* first,
                           int64_t* last) {
  const int64_t lo = -(int64_t{1} << frac_bits) + 1, hi = (texels << frac_bits) - 1;
  int64_t from = *first, to = *last;  // to exclusive
  if (step == 0) {
    if (position < lo || position > hi) to = from;
  } else if (step > 0) {
    from = std::max(from, CeilDiv(lo - position, step));
    to = std::min(to, FloorDiv(hi - position, step) + 1);
  } else {
    from = std::max(from, CeilDiv(position - hi, -step));
    to = std::min(to, FloorDiv(position - lo, -step) + 1);
  }
  *first = from;
  *last = std::max(from, to);
}

}  // namespace vexal

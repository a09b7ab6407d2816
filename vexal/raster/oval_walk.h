// The oval's geometry: a midpoint circle of radius rx whose row steps (wide: rx >= ry) or
// column steps (tall) are thinned by an accumulator, squeezing or stretching it to ry.
// Points and runs go to a sink as in circle_walk.h, in the order the drawing writes them.
// Radii are positive and at most kMaxOvalRadius; the arithmetic is 64-bit.
#pragma once

#include <cstdint>

namespace vexal {

// Above this a radius's square leaves 32 bits and the steps of a very unequal oval run to
// billions; such ovals are not drawn.
inline constexpr int64_t kMaxOvalRadius = 46340;

template <class Sink>
void OvalWalk(int64_t x, int64_t y, int64_t rx, int64_t ry, bool filled, Sink& sink) {
  const bool wide = rx >= ry;
  int64_t a = rx, j = 0, d = 3 - 2 * rx, e = 3 - 4 * rx, s = 0;
  const int64_t g = wide ? ry : rx;
  const int64_t k = wide ? (rx * rx) / ry : (ry * ry) / rx;
  if (filled) {
    sink.Run(y, x - rx, x + rx);
  } else {
    sink.Point(x - rx, y);
    sink.Point(x + rx, y);
  }
  // Steps the accumulator; true when it overflows into one more thinned step.
  auto thinned = [&] {
    s += g;
    if (s < k) return false;
    s -= k;
    return true;
  };
  for (;;) {
    const int64_t a0 = a, j0 = j;
    if (d < 0) {  // row step
      if (wide) {
        if (thinned()) ++j;
      } else {
        ++j;
      }
      d += 4 * j + 2;
      e += 4 * j;
    } else if (e >= 0) {  // column step
      if (wide) {
        --a;
      } else if (thinned()) {
        --a;
      }
      d -= 4 * a;
      e += 2 - 4 * a;
    } else {  // diagonal step
      if (wide) {
        --a;
        if (thinned()) ++j;
      } else {
        if (thinned()) --a;
        ++j;
      }
      d += 4 * (j - a) + 2;
      e += 4 * (j - a) + 2;
    }
    if (a <= 0) break;
    if (filled) {
      if (j != j0) {
        sink.Run(y + j, x - a, x + a);
        sink.Run(y - j, x - a, x + a);
      }
    } else if (a != a0 || j != j0) {
      sink.Point(x - a, y + j);
      sink.Point(x + a, y + j);
      sink.Point(x - a, y - j);
      sink.Point(x + a, y - j);
    }
  }
  if (filled) {
    sink.Run(y - j, x, x);
    sink.Run(y + j, x, x);
  } else {
    sink.Point(x, y - j);
    sink.Point(x, y + j);
  }
}

}  // namespace vexal

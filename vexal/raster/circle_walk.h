// The circle's geometry: a midpoint walk through one octant from the top (0, r) to the
// diagonal, each step mirrored into the other seven. The walk hands its points (outline)
// or row runs (filled) to a sink, in the order the drawing writes them:
//   sink.Point(px, py)      one outline pixel (the sink skips it outside the clip)
//   sink.Run(row, xl, xr)   one filled run (the sink clips it and keeps each row's first)
// Coordinates are 64-bit so that no radius overflows them: every int radius is walked.
#pragma once

#include <cstdint>

namespace vexal {

template <class Sink>
void CircleWalk(int64_t x, int64_t y, int64_t r, bool filled, Sink& sink) {
  int64_t dx = 0, dy = r, d = 3 - 2 * r;
  for (;;) {
    if (filled) {
      sink.Run(y + dx, x - dy, x + dy);
      sink.Run(y - dx, x - dy, x + dy);
      if (d >= 0) {
        sink.Run(y + dy, x - dx, x + dx);
        sink.Run(y - dy, x - dx, x + dx);
      }
    } else if (dx == 0) {
      sink.Point(x - r, y);
      sink.Point(x + r, y);
      sink.Point(x, y + r);
      sink.Point(x, y - r);
    } else {
      sink.Point(x - dy, y + dx);
      sink.Point(x + dy, y + dx);
      sink.Point(x - dy, y - dx);
      sink.Point(x + dy, y - dx);
      sink.Point(x - dx, y + dy);
      sink.Point(x + dx, y + dy);
      sink.Point(x - dx, y - dy);
      sink.Point(x + dx, y - dy);
    }
    if (d < 0) {
      d += 4 * dx + 6;
    } else {
      d += 4 * (dx - dy) + 10;
      --dy;
    }
    ++dx;
    if (dx > dy) break;
  }
}

}  // namespace vexal

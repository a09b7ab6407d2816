// The half-open line of the one-colour line, the box outline and the line set: end points
// outside the draw area are moved onto its edges along the line (in doubles), then an
// integer walk visits the pixels from the first end point up to, not including, the second.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "vexal/graphics/pictures/clip_rect.h"

namespace vexal {

struct LineEnds {
  int x1, y1, x2, y2;
};

// The ends after clipping to area (right and bottom exclusive): the first inside it, the
// second at most one pixel outside. false when the line is not drawn: none of its four end
// coordinates lies in the area's range (even when it crosses the area), its box misses the
// area, or it shrinks to one point.
bool ClipLine(int x1, int y1, int x2, int y2, const Rect& area, LineEnds* out);

// The smallest rectangle (right and bottom exclusive) that holds every pixel of the walk.
Rect LineWalkBox(const LineEnds& ends);

// Calls plot(x, y) for each pixel: |major| of them, the major axis being x on ties.
template <class Plot>
void WalkLine(const LineEnds& ends, Plot&& plot) {
  int x = ends.x1, y = ends.y1;
  const int dx = ends.x2 - ends.x1, dy = ends.y2 - ends.y1;
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const int ax = std::abs(dx), ay = std::abs(dy);
  int e = 0;
  if (ax >= ay) {
    for (int i = 0; i < ax; ++i) {
      plot(x, y);
      x += sx;
      e += ay;
      if (e >= ax) {
        y += sy;
        e -= ax;
      }
    }
  } else {
    for (int i = 0; i < ay; ++i) {
      plot(x, y);
      y += sy;
      e += ax;
      if (e >= ay) {
        x += sx;
        e -= ay;
      }
    }
  }
}

}  // namespace vexal

// Clipping of the half-open line.
#include "vexal/raster/line_walk.h"

#include <algorithm>

#include "platform/numeric/saturate.h"

namespace vexal {
namespace {

using plat::numeric::TruncSaturated32;

int Clamp(int v, int low, int high) {
  if (v < low) v = low;
  if (v > high) v = high;
  return v;
}

}  // namespace

bool ClipLine(int x1, int y1, int x2, int y2, const Rect& area, LineEnds* out) {
  const int L = area.left, T = area.top, R = area.right, B = area.bottom;
  const auto in = [](int v, int low, int high) { return v >= low && v < high; };
  if (!in(x1, L, R) && !in(x2, L, R) && !in(y1, T, B) && !in(y2, T, B)) return false;
  // From the unclipped ends; the differences as doubles, which no int overflows.
  const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
  const double ky = dy / dx, by = y1 - x1 * ky;
  const double kx = dx / dy, bx = x1 - y1 * kx;
  if (L > std::max(x1, x2) || T > std::max(y1, y2) || R <= std::min(x1, x2) || B <= std::min(y1, y2)) return false;
  auto Y = [&](int x) { return TruncSaturated32(x * ky + by); };
  auto X = [&](int y) { return TruncSaturated32(y * kx + bx); };
  if (x1 < L) {
    x1 = L, y1 = Y(x1);
  } else if (x1 >= R) {
    x1 = R - 1, y1 = Y(x1);
  }
  if (x2 < L) {
    x2 = L - 1, y2 = Y(x2);
  } else if (x2 >= R) {
    x2 = R, y2 = Y(x2);
  }
  if (y1 < T) {
    y1 = T, x1 = X(y1);
  } else if (y1 >= B) {
    y1 = B - 1, x1 = X(y1);
  }
  if (y2 < T) {
    y2 = T - 1, x2 = X(y2);
  } else if (y2 >= B) {
    y2 = B, x2 = X(y2);
  }
  x1 = Clamp(x1, L, R - 1);
  x2 = Clamp(x2, L - 1, R);
  y1 = Clamp(y1, T, B - 1);
  y2 = Clamp(y2, T - 1, B);
  if (x1 == x2 && y1 == y2) return false;
  *out = {x1, y1, x2, y2};
  return true;
}

Rect LineWalkBox(const LineEnds& e) {
  const int64_t dx = static_cast<int64_t>(e.x2) - e.x1, dy = static_cast<int64_t>(e.y2) - e.y1;
  const int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const int64_t major = std::max(ax, ay), minor = std::min(ax, ay);
  // After `steps` steps the minor axis has moved floor(steps * minor / major) times.
  const int64_t steps = major - 1, moved = steps * minor / major;
  const int64_t last_x = e.x1 + sx * (ax >= ay ? steps : moved);
  const int64_t last_y = e.y1 + sy * (ax >= ay ? moved : steps);
  return {static_cast<int32_t>(std::min<int64_t>(e.x1, last_x)), static_cast<int32_t>(std::min<int64_t>(e.y1, last_y)),
          static_cast<int32_t>(std::max<int64_t>(e.x1, last_x) + 1),
          static_cast<int32_t>(std::max<int64_t>(e.y1, last_y) + 1)};
}

}  // namespace vexal

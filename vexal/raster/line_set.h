// The records of the point set and the line set (slots 34 and 35 of the drawing rows). Row
// 0 stores each colour value as it is, with no brightness, blend or alpha.
#pragma once

#include <cstdint>

namespace vexal {

struct PointRecord {
  int32_t x, y;
  uint32_t color;  // in the screen's format
  uint32_t alpha;  // carried for the Direct3D row
};

struct LineSegmentRecord {
  int32_t x1, y1, x2, y2;
  uint32_t color;
  uint32_t alpha;
};

}  // namespace vexal

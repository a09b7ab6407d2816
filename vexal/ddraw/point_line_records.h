// The records of the point and line-segment sets (slots 34 and 35 of the drawing rows; the
// primitive list builds them, the triangle outline hands its three sides over as segments).
// Row 0 stores each colour value as it is, with no brightness, blend or alpha.
#pragma once

#include <cstdint>

namespace vexal {

struct PointRecord {
  int32_t x;
  int32_t y;
  uint32_t color;  // in the screen's format
  uint32_t alpha;  // top byte; carried, not read
};

struct LineSegmentRecord {
  int32_t x1;
  int32_t y1;
  int32_t x2;  // the end that is not drawn
  int32_t y2;
  uint32_t color;  // in the screen's format
  uint32_t alpha;  // carried, not read
};

}  // namespace vexal

// The software primitive list of the DirectDraw row: points, lines and triangles given as
// Direct3D-style vertices.
#pragma once

#include <cstdint>
#include <vector>

#include "vexal/ddraw/point_line_records.h"

namespace vexal {

// One vertex as the Direct3D row takes it (28 bytes). z and rhw are not read here.
struct PrimitiveVertex {
  float x;
  float y;
  float z;
  float rhw;
  uint32_t diffuse;  // 0xAARRGGBB
  float u;           // 0 .. 1 across the graph
  float v;
};

// Primitive types.
inline constexpr int kPrimitivePointList = 1;
inline constexpr int kPrimitiveLineList = 2;
inline constexpr int kPrimitiveLineStrip = 3;
inline constexpr int kPrimitiveTriangleList = 4;
inline constexpr int kPrimitiveTriangleStrip = 5;
inline constexpr int kPrimitiveTriangleFan = 6;

// The segments of a line list (vertex 2i to 2i + 1) or strip (vertex i to i + 1), each in
// the screen colour of its first vertex.
std::vector<LineSegmentRecord> PrimitiveSegments(const PrimitiveVertex* vertices, int count, int type);
// The vertex triples of a triangle list, strip or fan, one after another.
std::vector<int> PrimitiveTriangles(int count, int type);

}  // namespace vexal

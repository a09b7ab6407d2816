// The software primitive list of the DirectDraw row: points, lines and triangles given as
// Direct3D-style vertices.
#pragma once

#include <cstdint>

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

}  // namespace vexal

// The argument blocks of the Direct3D row's raw primitive slots (20 to 22) and the
// untransformed vertex the 3-D ones take.
#pragma once

#include <cstdint>

#include "vexal/d3d/texture_records.h"

namespace vexal {

struct GraphRecord;

// Position, normal, diffuse 0xAARRGGBB, texture u and v (36 bytes).
struct Vertex3D {
  float x, y, z;
  float nx, ny, nz;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(Vertex3D) == 36);
static_assert(sizeof(TexVertex) == 28);

struct D3DIndexedPrimitiveArgs {  // slot 20
  const TexVertex* vertices;
  int vertexCount;
  int primType;
  const uint16_t* indices;
  int indexCount;
  GraphRecord* graph;  // null: untextured
  int trans;
};
struct D3DPrimitive3DArgs {  // slot 21
  const Vertex3D* vertices;
  int count;
  int primType;
  GraphRecord* graph;
  int trans;
};
struct D3DIndexedPrimitive3DArgs {  // slot 22
  const Vertex3D* vertices;
  int vertexCount;
  int primType;
  const uint16_t* indices;
  int indexCount;
  GraphRecord* graph;
  int trans;
};

}  // namespace vexal

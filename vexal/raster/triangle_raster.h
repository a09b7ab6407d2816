// The triangle rasteriser of the software warps and shapes: one triangle, texture-mapped
// from a graph or in one colour, written into surfaces the caller has already locked.
// It walks rows between a left and a right edge in 14.18 fixed point (2^18 units a pixel,
// vertices at pixel centres) and interpolates texel coordinates as a plane. The rows run
// from the top vertex's row to the row above the bottom vertex's; each row includes both
// its end pixels.
#pragma once

#include <cstdint>

#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/screen/color_value.h"

namespace vexal {

// A corner: (x, y) a pixel of the draw target (origin applied by the caller), (u, v) a
// texel of the graph (unused for one colour).
struct RasterVertex {
  int x;
  int y;
  int u;
  int v;
};

// Fills the triangle of vertices[0..2].
// - graph null: one colour, `color` in the screen's format with the draw state's
//   brightness and blend mode; src1 and trans are not read.
// - graph set: texels of its first piece; trans == 1 skips the piece's colour key (on an
//   8-bit screen any non-zero trans skips index 0).
// dest: pixel (0, 0) of the draw target; src1: texel (0, 0) of the piece; src2: the old
// destination pixels blended with, laid out like dest (dest itself, or a work copy).
// Pitches are in bytes. Pixels outside the draw area are never touched.
// Returns -1 without the device or for three vertices on one line; 0 otherwise, also when
// the mode or format leaves nothing to draw.
int G_DDraw_RasterTriangle(const RasterVertex* vertices, const GraphRecord* graph, int trans, uint8_t* dest,
                           int dest_pitch, const uint8_t* src1, int src1_pitch, const uint8_t* src2, int src2_pitch,
                           ColorValue color);

}  // namespace vexal

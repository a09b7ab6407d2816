// A grid of tiles drawn with the graph blitter, one cell per map entry.
#include <cstdint>

#include "vexal/ddraw/draw_graph.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/graphs/graph_record.h"

namespace vexal {
namespace {

constexpr uint32_t kEmptyCell = 0xFFFFFFFF;

}  // namespace

int G_DDraw_DrawChipMap(int x, int y, int columns, int rows, const uint32_t* map, int row_stride, int /*unused*/,
                        GraphRecord** graphs, int trans) {
  if (map == nullptr || graphs == nullptr || graphs[0] == nullptr || columns <= 0 || rows <= 0) return 0;
  const int cell_w = graphs[0]->Width, cell_h = graphs[0]->Height;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const uint32_t n = *map++;
      if (n == kEmptyCell) continue;
      const GraphRecord* g = graphs[n];
      if (g == nullptr || g->PieceCount == 0) continue;
      G_DDraw_DrawGraph(x + c * cell_w, y + r * cell_h, static_cast<int>(g->Pieces[0]), trans);
    }
    if (r + 1 < rows) map += row_stride - columns;  // the map may be a window into a wider array
  }
  return 0;
}

}  // namespace vexal

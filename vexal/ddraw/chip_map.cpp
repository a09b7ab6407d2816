// A grid of tiles drawn with the graph blitter, one cell per map entry.
#include <cstddef>
#include <cstdint>

#include "vexal/ddraw/draw_graph.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/pictures/clip_rect.h"

namespace vexal {
namespace {

constexpr uint32_t kEmptyCell = 0xFFFFFFFF;

}  // namespace

// count: the number of graphs, as the slot's callers pass it. Entries at or past it (and
// negative ones other than the empty cell) are skipped rather than read beyond the array.
int G_DDraw_DrawChipMap(int x, int y, int columns, int rows, const uint32_t* map, int row_stride, int count,
                        GraphRecord** graphs, int trans) {
  if (map == nullptr || graphs == nullptr || count <= 0 || graphs[0] == nullptr || columns <= 0 || rows <= 0) return 0;
  const int cell_w = graphs[0]->Width, cell_h = graphs[0]->Height;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const uint32_t n = *map++;
      if (n == kEmptyCell || n >= static_cast<uint32_t>(count)) continue;
      const GraphRecord* g = graphs[n];
      if (g == nullptr || g->PieceCount == 0) continue;
      // A cell beyond the int range lies beyond every draw area.
      const int64_t cx = x + int64_t{c} * cell_w, cy = y + int64_t{r} * cell_h;
      if (cx != SaturatedCoordinate(cx) || cy != SaturatedCoordinate(cy)) continue;
      G_DDraw_DrawGraph(static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(g->Pieces[0]), trans);
    }
    if (r + 1 < rows)
      map += static_cast<ptrdiff_t>(row_stride) - columns;  // the map may be a window into a wider array
  }
  return 0;
}

}  // namespace vexal

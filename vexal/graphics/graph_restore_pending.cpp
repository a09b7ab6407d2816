// Reloading a graph's picture comes with the graph loaders; until then a lost graph only
// gets its surfaces back (cleared).
#include "vexal/graphics/draw_backend_table.h"
#include "vexal/graphics/graph_restore.h"
#include "vexal/graphics/graph_table.h"

namespace vexal {

int RestoreGraph(int graph) {
  GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  GetDrawBackendRow(record->Row).RestoreLostSurfaces(record);
  return 0;
}

}  // namespace vexal

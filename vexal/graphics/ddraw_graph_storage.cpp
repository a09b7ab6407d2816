// Storage of DirectDraw-row graphs: each piece of a graph is one BMP data record.
#include "vexal/graphics/ddraw_row.h"

#include "vexal/graphics/graphics_seam.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {

int DDrawDeleteGraphStorage(GraphRecord* graph) {
  if (GetDirectDrawObject() == nullptr) return -1;
  if (graph == nullptr) return 0;
  int result = 0;
  for (int i = 0; i < graph->PieceCount; ++i) result |= DeleteBmpData(static_cast<int>(graph->Pieces[i]));
  return result;
}

}  // namespace vexal

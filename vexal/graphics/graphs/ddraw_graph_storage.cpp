// Storage of DirectDraw-row graphs: each piece of a graph is one BMP data record.
#include <algorithm>
#include <vector>

#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_restore.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

DrawStateBlock* BoundDrawState = nullptr;  // the draw state this row was bound to

bool NoDevice() { return GetDirectDrawObject() == nullptr; }

// One piece for the whole graph; the piece count stays as it was when none can be made.
int CreateOnePiece(GraphRecord* graph) {
  const int handle = GetGraphHandleFromRecord(graph);
  const int piece =
      AddBmpData(graph->Width, graph->Height, 0, 0, static_cast<uint32_t>(handle), 0, nullptr, 0, 0, graph->Alpha);
  if (piece == -1) return -1;
  graph->PieceCount = 1;
  graph->Pieces[0] = static_cast<uint32_t>(piece);
  return 0;
}

int PutImage(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int x, int y,
             const GraphRecord* graph, int kind, const GraphImage* picture, const GraphImage* alpha) {
  for (int i = 0; i < graph->PieceCount; ++i) {
    const int index = static_cast<int>(graph->Pieces[i]);
    const BmpDataRecord* piece = GetBmpData(index);
    const int px = (piece != nullptr ? piece->GraphX : 0) + x;
    const int py = (piece != nullptr ? piece->GraphY : 0) + y;
    if (GraphImageToBmpData(format, bitmap, alpha_bitmap, px, py, index, kind, picture, alpha) == -1) return -1;
  }
  return 0;
}

}  // namespace

int DDrawSetDrawStateBlock(DrawStateBlock* block) {
  if (NoDevice()) return -1;
  BoundDrawState = block;
  if (block == nullptr || GetGraphSuspendFlag() != 0) return 0;
  return DeleteAllBmpData();
}

int DDrawCreateGraphStorage(GraphRecord* graph) {
  if (NoDevice() || graph == nullptr) return -1;
  return CreateOnePiece(graph);
}

int DDrawCreateDivGraphStorage(GraphRecord** graphs, int count, int, int, int, int) {
  if (NoDevice()) return -1;
  for (int i = 0; i < count; ++i) {
    if (graphs[i] == nullptr || CreateOnePiece(graphs[i]) == -1) return -1;
  }
  return 0;
}

int DDrawCreateDerivedGraphStorage(GraphRecord* graph, int x, int y, int width, int height, GraphRecord* parent) {
  // A parent without a piece has no surface to share.
  if (graph == nullptr || parent == nullptr || parent->PieceCount == 0) return -1;
  const BmpDataRecord* base = GetBmpData(static_cast<int>(parent->Pieces[0]));
  if (base == nullptr) return -1;
  // The view must lie inside the parent's piece: the picture transfer writes through it.
  if (x < 0 || y < 0 || width < 1 || height < 1 || x > base->Width - width || y > base->Height - height) return -1;
  const int handle = GetGraphHandleFromRecord(graph);
  const int piece = AddBmpData(width, height, 0, 0, static_cast<uint32_t>(handle), 1, base, x, y, graph->Alpha);
  if (piece == -1) return -1;
  graph->PieceCount = 1;
  graph->Pieces[0] = static_cast<uint32_t>(piece);
  return 0;
}

int DDrawDeleteGraphStorage(GraphRecord* graph) {
  if (NoDevice()) return -1;
  if (graph == nullptr) return 0;
  int result = 0;
  for (int i = 0; i < graph->PieceCount; ++i) result |= DeleteBmpData(static_cast<int>(graph->Pieces[i]));
  return result;
}

int DDrawSetGraphImage(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int x, int y,
                       GraphRecord* graph, int kind, const GraphImage* picture, const GraphImage* alpha) {
  if (NoDevice() || graph == nullptr) return -1;
  return PutImage(format, bitmap, alpha_bitmap, x, y, graph, kind, picture, alpha);
}

int DDrawBltBmpToDivGraph(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap,
                          GraphRecord** graphs, int count, int kind, const GraphImage* picture,
                          const GraphImage* alpha) {
  if (NoDevice()) return -1;
  for (int i = 0; i < count; ++i) {
    const GraphRecord* graph = graphs[i];
    if (graph == nullptr) return -1;
    if (PutImage(format, bitmap, alpha_bitmap, graph->SourceX, graph->SourceY, graph, kind, picture, alpha) == -1) {
      return -1;
    }
  }
  return 0;
}

int DDrawRestoreLostSurfaces(GraphRecord* graph) {
  if (NoDevice()) return -1;
  if (graph == nullptr) return 0;
  bool lost = false;
  for (int i = 0; i < graph->PieceCount; ++i) {
    const BmpDataRecord* piece = GetBmpData(static_cast<int>(graph->Pieces[i]));
    if (piece == nullptr || piece->Surface == nullptr) continue;
    if (ps::IsLost(piece->Surface) != ps::Result::kOk) {
      ps::Restore(piece->Surface);
      lost = true;
    }
  }
  return lost ? -1 : 0;
}

int DDrawRestoreAllLostGraphs() {
  if (NoDevice()) return -1;
  // Restoring a graph may delete and re-make BMP data, so the owners are gathered first;
  // pieces of one graph share an owner, which is restored once.
  std::vector<int> owners;
  const int end = BmpDataTable.EndIndex;
  for (int i = 0; i < end; ++i) {
    const BmpDataRecord* piece = GetBmpData(i);
    if (piece == nullptr || piece->Surface == nullptr || piece->OwnerGraph == -1) continue;
    if (ps::IsLost(piece->Surface) != ps::Result::kSurfaceLost) continue;
    if (std::find(owners.begin(), owners.end(), piece->OwnerGraph) == owners.end()) owners.push_back(piece->OwnerGraph);
  }
  int result = 0;
  for (int owner : owners) result |= RestoreGraph(owner);
  return result;
}

}  // namespace vexal

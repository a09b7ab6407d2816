// Slots 19 to 22 of row 1: caller-built vertex lists, screen-space or untransformed,
// plain or indexed, handed to the device with a graph's texture or none.
#include "vexal/d3d/d3d_primitive.h"

#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_graph.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/ddraw/primitive.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace pd = plat::d3d;

namespace {

constexpr uint32_t kFvfTexVertex = pd::kFvfXyzRhw | pd::kFvfDiffuse | pd::kFvfTex1;
constexpr uint32_t kFvfVertex3D = pd::kFvfXyz | pd::kFvfNormal | pd::kFvfDiffuse | pd::kFvfTex1;

// Opens the scene and sets the texture state; null when the call returns at once (its
// result in *early).
D3DDeviceRecord* Prepare(const GraphRecord* graph, int trans, int* early) {
  *early = 0;
  if (D3DObject == nullptr) {
    *early = -1;
    return nullptr;
  }
  if (D3DTargetUnusable != 0 || BeginPending3DScene() != 0) return nullptr;
  D3DDeviceRecord* rec = UsableD3DDevice(D3DCurrentDevice);
  const TextureRecord* first =
      graph != nullptr && graph->PieceCount > 0 ? GetTexData(static_cast<int>(graph->Pieces[0])) : nullptr;
  if (first == nullptr) {
    BindStageTexture(rec, nullptr);
  } else {
    ApplyGraphTextureState(graph, trans);
    BindStageTexture(rec, first->surface);
  }
  return rec;
}

}  // namespace

int G_D3D_DrawPrimitive(const PrimitiveVertex* vertices, int count, int type, GraphRecord* graph, int trans) {
  int early = 0;
  D3DDeviceRecord* rec = Prepare(graph, trans, &early);
  if (rec == nullptr) return early;
  if (vertices != nullptr && count > 0) {
    // The front-screen shift moves the caller's own list, as the slot is documented to
    // do (a second call with the same list moves it again). The table types the list
    // read-only for row 0, which only reads it; callers of this row hand writable arrays.
    auto* list = const_cast<PrimitiveVertex*>(vertices);
    if (IsDrawingToFront() == 1 && D3DDrawState != nullptr) {
      for (int i = 0; i < count; ++i) {
        list[i].x += static_cast<float>(D3DDrawState->TargetRect.left);
        list[i].y += static_cast<float>(D3DDrawState->TargetRect.top);
      }
    }
    pd::DrawPrimitive(rec->Device, static_cast<pd::PrimitiveType>(type), kFvfTexVertex, list,
                      static_cast<uint32_t>(count), 0);
  }
  EndSceneAfterDraw();
  return 0;
}

int G_D3D_DrawIndexedPrimitive(const void* block) {
  const auto* a = static_cast<const D3DIndexedPrimitiveArgs*>(block);
  if (a == nullptr) return -1;
  int early = 0;
  D3DDeviceRecord* rec = Prepare(a->graph, a->trans, &early);
  if (rec == nullptr) return early;
  if (a->vertices != nullptr && a->vertexCount > 0 && a->indexCount > 0) {
    pd::DrawIndexedPrimitive(rec->Device, static_cast<pd::PrimitiveType>(a->primType), kFvfTexVertex, a->vertices,
                             static_cast<uint32_t>(a->vertexCount), a->indices, static_cast<uint32_t>(a->indexCount),
                             0);
  }
  EndSceneAfterDraw();
  return 0;
}

int G_D3D_DrawPrimitive3D(const void* block) {
  const auto* a = static_cast<const D3DPrimitive3DArgs*>(block);
  if (a == nullptr) return -1;
  int early = 0;
  D3DDeviceRecord* rec = Prepare(a->graph, a->trans, &early);
  if (rec == nullptr) return early;
  if (a->vertices != nullptr && a->count > 0) {
    pd::DrawPrimitive(rec->Device, static_cast<pd::PrimitiveType>(a->primType), kFvfVertex3D, a->vertices,
                      static_cast<uint32_t>(a->count), 0);
  }
  EndSceneAfterDraw();
  return 0;
}

int G_D3D_DrawIndexedPrimitive3D(const void* block) {
  const auto* a = static_cast<const D3DIndexedPrimitive3DArgs*>(block);
  if (a == nullptr) return -1;
  int early = 0;
  D3DDeviceRecord* rec = Prepare(a->graph, a->trans, &early);
  if (rec == nullptr) return early;
  if (a->vertices != nullptr && a->vertexCount > 0 && a->indexCount > 0) {
    pd::DrawIndexedPrimitive(rec->Device, static_cast<pd::PrimitiveType>(a->primType), kFvfVertex3D, a->vertices,
                             static_cast<uint32_t>(a->vertexCount), a->indices, static_cast<uint32_t>(a->indexCount),
                             0);
  }
  EndSceneAfterDraw();
  return 0;
}

}  // namespace vexal

// Slot 18 of row 1: a map of chips drawn one list per row when every chip is a cell of
// one shared texture, chip by chip otherwise.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "vexal/app/log/log_file.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_graph.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace vexal {

namespace pd = plat::d3d;

namespace {

constexpr uint32_t kFvfTexVertex = pd::kFvfXyzRhw | pd::kFvfDiffuse | pd::kFvfTex1;
constexpr int kShareFlagDivided = 1;

const TextureRecord* FirstPiece(const GraphRecord* g) {
  if (g == nullptr || g->PieceCount == 0) return nullptr;
  return GetTexData(static_cast<int>(g->Pieces[0]));
}

// A map entry that names a chip: -1 is an empty cell, and anything outside the chips is
// skipped rather than read beyond them.
bool ChipIndex(uint32_t entry, int count, int* index) {
  const int32_t e = static_cast<int32_t>(entry);
  if (e < 0 || e >= count) return false;
  *index = e;
  return true;
}

}  // namespace

int G_D3D_DrawChipMap(int x, int y, int columns, int rows, const uint32_t* map, int row_stride, int count,
                      GraphRecord** graphs, int trans) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  if (count <= 0 || graphs == nullptr || map == nullptr || columns <= 0 || rows <= 0) return 0;
  const TextureRecord* first = FirstPiece(graphs[0]);
  if (first == nullptr) return 0;
  if (BeginPending3DScene() != 0) return 0;
  D3DDeviceRecord* rec = UsableD3DDevice(D3DCurrentDevice);
  ApplyGraphTextureState(graphs[0], trans);
  const uint32_t diffuse = GraphDiffuse();
  const int cw = graphs[0]->Width, ch = graphs[0]->Height;
  const SurfaceManageRecord* share = GetSurfaceManage(first->shareIndex);
  // Cell places are worked out in 64 bits; the map may be a window into a wider array.
  auto entry = [&](int r, int c) { return map[static_cast<ptrdiff_t>(r) * row_stride + c]; };
  if (share == nullptr || share->Flag != kShareFlagDivided) {
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        int e = 0;
        if (!ChipIndex(entry(r, c), count, &e)) continue;
        // A cell beyond the int range lies beyond every draw area.
        const int64_t cx = x + int64_t{c} * cw, cy = y + int64_t{r} * ch;
        if (cx != SaturatedCoordinate(cx) || cy != SaturatedCoordinate(cy)) continue;
        D3DDrawGraph(static_cast<int>(cx), static_cast<int>(cy), graphs[e], trans);
      }
    }
    return 0;
  }
  int64_t left = x, top = y;
  if (IsDrawingToFront() == 1 && D3DDrawState != nullptr) {
    left += D3DDrawState->TargetRect.left;
    top += D3DDrawState->TargetRect.top;
  }
  // The buffer is refilled for every row, so one row's worth is enough. A failed
  // allocation is reported and returned, never thrown.
  const std::unique_ptr<TexVertex[]> buffer(new (std::nothrow) TexVertex[static_cast<size_t>(columns) * 6]);
  if (buffer == nullptr) return LogWrite("メモリの確保に失敗しました in G_D3D_DrawChipMap \n");
  const std::unique_ptr<const TextureRecord*[]> records(new (std::nothrow)
                                                            const TextureRecord*[static_cast<size_t>(count)]);
  if (records == nullptr) {
    return LogWrite("テクスチャーデータアドレス配列用メモリの確保に失敗しました in G_D3D_DrawChipMap \n");
  }
  for (int i = 0; i < count; ++i) records[static_cast<size_t>(i)] = FirstPiece(graphs[i]);
  BindStageTexture(rec, first->surface);
  static constexpr int kOrder[6] = {0, 1, 2, 1, 3, 2};
  for (int r = 0; r < rows; ++r) {
    size_t n = 0;
    for (int c = 0; c < columns; ++c) {
      int e = 0;
      if (!ChipIndex(entry(r, c), count, &e)) continue;
      const TextureRecord* t = records[static_cast<size_t>(e)];
      if (t == nullptr) continue;
      // The cells' vertices are in graph pixels; the half-pixel offset puts texel centres
      // on pixel centres as the single draws do.
      const float dx = static_cast<float>(left + int64_t{c} * cw) - 0.5f;
      const float dy = static_cast<float>(top + int64_t{r} * ch) - 0.5f;
      for (int k : kOrder) {
        TexVertex v = t->vertices[static_cast<size_t>(k)];
        v.x += dx;
        v.y += dy;
        v.diffuse = diffuse;
        buffer[n++] = v;
      }
    }
    if (n > 0) {
      pd::DrawPrimitive(rec->Device, pd::PrimitiveType::kTriangleList, kFvfTexVertex, buffer.get(),
                        static_cast<uint32_t>(n), 0);
    }
  }
  EndSceneAfterDraw();
  return 0;
}

}  // namespace vexal

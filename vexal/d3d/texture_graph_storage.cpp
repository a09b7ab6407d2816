// Row 1's graph storage (slots 0 to 8): graphs cut into power-of-two texture pieces, the
// cells of a divided graph sharing one texture, derived graphs reusing their parent's
// textures, images put into every piece, and lost textures restored.
#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/d3d/texture_transfer.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_restore.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace vexal {

namespace pd = plat::d3d;
namespace ps = plat::surface;

namespace {

struct Piece {
  int x, y, w, h;
};

bool SquareOnly() { return (D3DDeviceCaps.texture_caps & pd::kTextureSquareOnly) != 0; }

// The pieces of a w x h graph in list order; false when it needs more than a graph holds.
bool PlanPieces(int w, int h, std::vector<Piece>* out) {
  std::array<int, kSplitSidesMax> widths{}, heights{};
  const int nx = SplitTextureSize(w, widths.data());
  const int ny = SplitTextureSize(h, heights.data());
  if (nx > kGraphPieceMax || ny > kGraphPieceMax || nx * ny > kGraphPieceMax) return false;
  int y = 0;
  for (int j = 0; j < ny; ++j) {
    int x = 0;
    for (int i = 0; i < nx; ++i) {
      out->push_back({x, y, widths[static_cast<size_t>(i)], heights[static_cast<size_t>(j)]});
      x += widths[static_cast<size_t>(i)];
    }
    y += heights[static_cast<size_t>(j)];
  }
  if (SquareOnly()) {
    const size_t grid = out->size();
    for (size_t k = 0; k < grid; ++k) {
      Piece p = (*out)[k];
      if (p.w == p.h) continue;
      const int s = std::min(p.w, p.h);
      const int m = std::max(p.w, p.h) / s;
      (*out)[k].w = (*out)[k].h = s;
      for (int e = 1; e < m; ++e) {
        const Piece extra = p.h > p.w ? Piece{p.x, p.y + e * s, s, s} : Piece{p.x + e * s, p.y, s, s};
        // A square that starts beyond the graph's edge would show nothing.
        if (extra.x >= w || extra.y >= h) continue;
        out->push_back(extra);
      }
    }
  }
  return out->size() <= static_cast<size_t>(kGraphPieceMax);
}

void FlagPiece(int index, const GraphRecord* graph) {
  if (TextureRecord* rec = GetTexData(index); rec != nullptr) SetUpperLeftFlags(rec, graph->Width, graph->Height);
}

// The picture's point that lies at a shared texture's corner: (0, 0) for a picture taken
// as it is, whose cells lie at their column and row times their size; for a mirrored one,
// whose cells the graphics core counts from its right edge, the leftmost and topmost of
// their places.
std::pair<int, int> CellOrigin(GraphRecord** graphs, int count, bool mirrored) {
  if (!mirrored) return {0, 0};
  int ox = INT32_MAX, oy = INT32_MAX;
  for (int g = 0; g < count; ++g) {
    if (graphs[g] == nullptr || graphs[g]->PieceCount == 0) continue;
    ox = std::min<int>(ox, graphs[g]->SourceX);
    oy = std::min<int>(oy, graphs[g]->SourceY);
  }
  return {ox, oy};
}

// The cells of a shared texture take their pixels from where the graphics core says each
// cell lies in the picture, so that both rows show the same cell for the same handle. Every
// load places them afresh: a division loaded mirrored and then plain moves back.
void PlaceCellsAtTheirSources(GraphRecord** graphs, int count, int share, std::pair<int, int> origin) {
  for (int g = 0; g < count; ++g) {
    if (graphs[g] == nullptr || graphs[g]->PieceCount == 0) continue;
    TextureRecord* t = GetTexData(static_cast<int>(graphs[g]->Pieces[0]));
    if (t == nullptr || t->shareIndex != share) continue;
    const int offX = graphs[g]->SourceX - origin.first, offY = graphs[g]->SourceY - origin.second;
    // Cells of one division never spread wider than the texture made for them.
    if (offX < 0 || offY < 0 || offX + t->usedWidth > t->texWidth || offY + t->usedHeight > t->texHeight) continue;
    t->texOffsetX = static_cast<uint16_t>(offX);
    t->texOffsetY = static_cast<uint16_t>(offY);
    const float uL = static_cast<float>(offX) / t->texWidth, uR = static_cast<float>(offX + t->usedWidth) / t->texWidth;
    const float vT = static_cast<float>(offY) / t->texHeight,
                vB = static_cast<float>(offY + t->usedHeight) / t->texHeight;
    t->vertices[0].u = t->vertices[2].u = uL;
    t->vertices[1].u = t->vertices[3].u = uR;
    t->vertices[0].v = t->vertices[1].v = vT;
    t->vertices[2].v = t->vertices[3].v = vB;
  }
}

}  // namespace

int D3DSetDrawStateBlock(DrawStateBlock* block) {
  if (D3DObject == nullptr) return -1;
  D3DDrawState = block;
  for (int i = 0; i < TexDataTable.End; ++i) {
    if (GetTexData(i) != nullptr) DeleteTexData(i);
  }
  ReleaseStringTextures();
  return 0;
}

int D3DCreateGraphStorage(GraphRecord* graph) {
  if (D3DObject == nullptr || graph == nullptr) return -1;
  std::vector<Piece> pieces;
  if (!PlanPieces(graph->Width, graph->Height, &pieces)) {
    return LogWriteFmt("グラフィックに必要なテクスチャの数が多すぎます %d x %d", graph->Width, graph->Height);
  }
  const int handle = GetGraphHandleFromRecord(graph);
  graph->PieceCount = 0;
  for (const Piece& p : pieces) {
    const int usedW = std::min(p.w, graph->Width - p.x);
    const int usedH = std::min(p.h, graph->Height - p.y);
    const int index = AddTexData(p.w, p.h, p.x, p.y, usedW, usedH, p.x, p.y, handle, 0, nullptr, 0, 0, graph->Alpha);
    if (index == -1) return -1;
    graph->Pieces[graph->PieceCount] = static_cast<uint32_t>(index);
    graph->PieceCount += 1;
    FlagPiece(index, graph);
  }
  return 0;
}

int D3DCreateDivGraphStorage(GraphRecord** graphs, int allNum, int xNum, int yNum, int width, int height) {
  if (graphs == nullptr || allNum <= 0 || xNum <= 0) return 0;
  if (SplitTextureSize(xNum * width, nullptr) > 1 || SplitTextureSize(yNum * height, nullptr) > 1) {
    for (int k = 0; k < allNum; ++k) D3DCreateGraphStorage(graphs[k]);
    return 0;
  }
  std::array<int, 1> side{};
  SplitTextureSize(xNum * width, side);
  int texW = side[0];
  SplitTextureSize(yNum * height, side);
  int texH = side[0];
  // A device that takes only square textures gets the cells' texture square too.
  if (SquareOnly()) texW = texH = std::max(texW, texH);
  if (D3DObject == nullptr) {
    LogWrite("３Ｄグラフィックエンジンが初期化されていません\n");
    return 0;
  }
  const int share = AddSurfaceManage(allNum, 1, texW, texH);
  if (share == -1) return 0;
  TextureRecord tmpl{};
  const uint32_t trans = D3DDrawState != nullptr ? D3DDrawState->TransColor : 0;
  if (InitTexData(&tmpl, TextureMakingObject(), texW, texH, 0, 0, texW, texH, 0, 0, 1, trans, TextureDepthIndex(),
                  graphs[0]->Alpha, 0, 0, 0, nullptr) == -1) {
    FatalErrorExit("テクスチャーサーフェスデータの初期化中にエラーが発生しました");
  }
  SurfaceManageRecord* rec = GetSurfaceManage(share);
  rec->Surface = tmpl.surface;
  std::vector<int> cells;
  int c = 0, r = 0;
  for (int k = 0; k < allNum; ++k) {
    if (TexDataTable.Count >= kTexDataMax) {
      LogWrite("３Ｄグラフィックの数が許容量を越えました。\n");
      break;
    }
    const int slot = FirstFreeTexDataSlot();
    auto& entry = TexDataTable.Slots[static_cast<size_t>(slot)];
    entry.reset(new (std::nothrow) TextureRecord(tmpl));
    if (entry == nullptr) {
      LogWrite("メモリの確保に失敗しました in AddTexData \n");
      break;
    }
    TextureRecord* t = entry.get();
    t->posX = t->posY = 0;
    t->texWidth = static_cast<uint16_t>(texW);
    t->texHeight = static_cast<uint16_t>(texH);
    t->texOffsetX = static_cast<uint16_t>(c * width);
    t->texOffsetY = static_cast<uint16_t>(r * height);
    t->usedWidth = static_cast<uint16_t>(width);
    t->usedHeight = static_cast<uint16_t>(height);
    t->srcX = t->srcY = 0;
    t->graphHandle = GetGraphHandleFromRecord(graphs[k]);
    t->shareIndex = share;
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const float uL = static_cast<float>(c * width) / texW, uR = static_cast<float>((c + 1) * width) / texW;
    const float vT = static_cast<float>(r * height) / texH, vB = static_cast<float>(r * height + height) / texH;
    // In graph pixels like every other piece: the draws apply the half-pixel offset once.
    t->vertices = {TexVertex{0.0f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFF, uL, vT},
                   TexVertex{w, 0.0f, 0.0f, 1.0f, 0xFFFFFFFF, uR, vT},
                   TexVertex{0.0f, h, 0.0f, 1.0f, 0xFFFFFFFF, uL, vB}, TexVertex{w, h, 0.0f, 1.0f, 0xFFFFFFFF, uR, vB}};
    SetUpperLeftFlags(t, width, height);
    graphs[k]->Pieces[0] = static_cast<uint32_t>(slot);
    graphs[k]->PieceCount = 1;
    cells.push_back(slot);
    NoteTexDataAdded(slot);
    if (++c == xNum) {
      c = 0;
      ++r;
    }
  }
  // The share counts exactly the cells made; with none the texture goes at once.
  rec->Count = static_cast<uint16_t>(cells.size());
  if (cells.empty()) {
    if (tmpl.surface != nullptr) ps::ReleaseSurface(tmpl.surface);
    rec->Surface = nullptr;
    DeleteSurfaceManage(share);
    return 0;
  }
  SetShareCells(share, std::move(cells));
  return 0;
}

int D3DCreateDerivedGraphStorage(GraphRecord* graph, int x, int y, int width, int height, GraphRecord* parent) {
  if (graph == nullptr || parent == nullptr) return -1;
  // The view must lie inside the parent: its pieces are written through it.
  if (x < 0 || y < 0 || width < 1 || height < 1 || x > parent->Width - width || y > parent->Height - height) {
    return -1;
  }
  graph->PieceCount = 0;
  const int handle = GetGraphHandleFromRecord(graph);
  if (parent->PieceCount == 1) {
    const TextureRecord* p = GetTexData(static_cast<int>(parent->Pieces[0]));
    if (p == nullptr) return -1;
    if (x < p->posX || y < p->posY || x - p->posX > p->usedWidth - width || y - p->posY > p->usedHeight - height) {
      return -1;
    }
    // A cell of a shared texture starts at its own offset inside it.
    const int index = AddTexData(0, 0, 0, 0, width, height, x, y, handle, 1, p, p->texOffsetX + x - p->posX,
                                 p->texOffsetY + y - p->posY, 0);
    if (index == -1) return -1;
    graph->Pieces[0] = static_cast<uint32_t>(index);
    graph->PieceCount = 1;
    FlagPiece(index, graph);
    return 0;
  }
  for (int i = 0; i < parent->PieceCount; ++i) {
    const TextureRecord* p = GetTexData(static_cast<int>(parent->Pieces[static_cast<size_t>(i)]));
    if (p == nullptr) continue;
    const int ax = std::max<int>(p->posX, x), ay = std::max<int>(p->posY, y);
    const int bx = std::min<int>(p->posX + p->usedWidth, x + width);
    const int by = std::min<int>(p->posY + p->usedHeight, y + height);
    if (bx <= ax || by <= ay) continue;
    const int index = AddTexData(0, 0, ax - x, ay - y, bx - ax, by - ay, ax, ay, handle, 1, p,
                                 p->texOffsetX + ax - p->posX, p->texOffsetY + ay - p->posY, 0);
    if (index == -1) return -1;
    graph->Pieces[graph->PieceCount] = static_cast<uint32_t>(index);
    graph->PieceCount += 1;
    FlagPiece(index, graph);
  }
  return 0;
}

int D3DDeleteGraphStorage(GraphRecord* graph) {
  if (D3DObject == nullptr) return -1;
  if (graph == nullptr) return 0;
  for (int i = 0; i < graph->PieceCount; ++i) DeleteTexData(static_cast<int>(graph->Pieces[static_cast<size_t>(i)]));
  return 0;
}

int D3DSetGraphImage(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int x, int y,
                     GraphRecord* graph, int kind, const GraphImage* picture, const GraphImage* alpha) {
  if (D3DObject == nullptr || graph == nullptr) return -1;
  for (int i = 0; i < graph->PieceCount; ++i) {
    const int index = static_cast<int>(graph->Pieces[static_cast<size_t>(i)]);
    const TextureRecord* rec = GetTexData(index);
    if (rec == nullptr) return -1;
    if (TransferImageToTexture(format, bitmap, alpha_bitmap, rec->posX + x, rec->posY + y, index, kind, picture,
                               alpha) == -1) {
      return -1;
    }
  }
  return 0;
}

int D3DBltBmpToDivGraph(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap,
                        GraphRecord** graphs, int count, int kind, const GraphImage* picture, const GraphImage* alpha) {
  if (graphs == nullptr || count <= 0 || graphs[0] == nullptr) return -1;
  if (graphs[0]->PieceCount > 0) {
    const int first = static_cast<int>(graphs[0]->Pieces[0]);
    const TextureRecord* rec = GetTexData(first);
    const SurfaceManageRecord* share = rec != nullptr ? GetSurfaceManage(rec->shareIndex) : nullptr;
    if (share != nullptr && share->Flag == 1) {
      const std::pair<int, int> origin = CellOrigin(graphs, count, graphs[0]->Mirror == 1);
      PlaceCellsAtTheirSources(graphs, count, rec->shareIndex, origin);
      // The transfer is told the first cell's place; less that cell's offset it is the origin.
      const int x = origin.first + rec->texOffsetX, y = origin.second + rec->texOffsetY;
      return TransferImageToTexture(format, bitmap, alpha_bitmap, x, y, first, kind, picture, alpha) == -1 ? -1 : 0;
    }
  }
  for (int g = 0; g < count; ++g) {
    GraphRecord* graph = graphs[g];
    if (D3DObject == nullptr || graph == nullptr) continue;
    for (int i = 0; i < graph->PieceCount; ++i) {
      const int index = static_cast<int>(graph->Pieces[static_cast<size_t>(i)]);
      const TextureRecord* rec = GetTexData(index);
      if (rec == nullptr || TransferImageToTexture(format, bitmap, alpha_bitmap, rec->posX + graph->SourceX,
                                                   rec->posY + graph->SourceY, index, kind, picture, alpha) == -1) {
        break;
      }
    }
  }
  return 0;
}

int D3DRestoreLostSurfaces(GraphRecord* graph) {
  // Half restored (a device record without its device), the textures have no surfaces yet.
  if (UsableD3DDevice(D3DMainDevice) == nullptr || graph == nullptr) return -1;
  int result = 0;
  for (int i = 0; i < graph->PieceCount; ++i) {
    const TextureRecord* rec = GetTexData(static_cast<int>(graph->Pieces[static_cast<size_t>(i)]));
    if (rec == nullptr || rec->surface == nullptr) {
      result = -1;
      continue;
    }
    if (ps::IsLost(rec->surface) != ps::Result::kOk) {
      ps::Restore(rec->surface);
      result = -1;
    }
  }
  return result;
}

int D3DRestoreAllLostGraphs() {
  if (D3DObject == nullptr) return -1;
  for (int i = 0; i < TexDataTable.End; ++i) {
    const TextureRecord* rec = GetTexData(i);
    if (rec == nullptr || rec->surface == nullptr) continue;
    if (ps::IsLost(rec->surface) == ps::Result::kSurfaceLost) RestoreGraph(rec->graphHandle);
  }
  return 0;
}

}  // namespace vexal

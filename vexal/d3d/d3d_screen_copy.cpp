// Slot 23 of row 1: part of the draw surface copied into a graph kept in textures.
//
// A texture cannot be written through a device context, so each piece goes through a
// fresh system-memory texture of its format: a device-context copy from the draw surface,
// then a device load into the piece's texture and its colour key set again. Only the
// piece's own rectangle is loaded, so the other cells of a shared texture keep their
// pixels; the part of the piece the screen does not reach takes the fresh texture's zeros.
//
// Only (x1, y1) places the copy; x2 and y2 serve the validation alone.
#include <cstdint>

#include "platform/d3d/d3d.h"
#include "platform/surface/display.h"
#include "platform/surface/surface.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/system/timing.h"
#include "vexal/app/window/window_access.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/d3d/texture_records.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_record.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace pd = plat::d3d;
namespace ps = plat::surface;

namespace {

constexpr int kLoadAttempts = 100;
constexpr int kLoadRetryMs = 1;

// What the copy may read: w x h pixels of the draw surface from (x, y) on.
struct SourceArea {
  int x = 0, y = 0, w = 0, h = 0;
};

bool Source(int flag, SourceArea* out) {
  const int screen = D3DDrawState != nullptr ? D3DDrawState->DrawScreen : kBackScreen;
  if (flag == 0 && IsWindowMode() == 1 && screen == kFrontScreen) {
    const plat::display::CurrentMode desktop = plat::display::Current();
    *out = {0, 0, desktop.width, desktop.height};
    return true;
  }
  int w = 0, h = 0;
  if (GetGraphDimensions(screen, &w, &h) == -1) return false;
  const int ox = D3DDrawState != nullptr ? D3DDrawState->TargetRect.left : 0;
  const int oy = D3DDrawState != nullptr ? D3DDrawState->TargetRect.top : 0;
  *out = {ox, oy, w, h};
  return true;
}

bool Refused(int x1, int y1, int x2, int y2, const SourceArea& area, const GraphRecord& graph) {
  return x1 < 0 || x1 >= x2 || y1 < 0 || y1 >= y2 || x1 > area.w || y1 > area.h || x2 - x1 > graph.Width ||
         y2 - y1 > graph.Height;
}

// The piece's record is still the one copied into and its texture still exists (the
// window procedure may release the device while a retry waits).
bool PieceAlive(int slot, const TextureRecord* rec, ps::Surface* surface) {
  return D3DObject != nullptr && UsableD3DDevice(D3DCurrentDevice) != nullptr && GetTexData(slot) == rec &&
         rec->surface == surface && surface != nullptr;
}

void LogLoadFailure(pd::Result r, const TextureRecord& t, const ps::Rect& loaded, int cw, int ch,
                    const SourceArea& area, int x1, int y1) {
  int sw = 0, sh = 0;
  GetScreenSize(&sw, &sh);
  LogWriteFmt("hr:%d  W:%d  H:%d  FullMode:%d  Point x:%d y:%d   Rect top:%d bottom:%d left:%d right:%d",
              static_cast<int>(r), sw, sh, IsWindowMode() == 1 ? 0 : 1, loaded.left, loaded.top, loaded.top,
              loaded.bottom, loaded.left, loaded.right);
  LogWriteFmt("AlphaValid:%d  AlphaTestValid:%d  ColorBitDepth:%d", t.AlphaValid, t.AlphaTestValid, t.ColorBitDepth);
  LogWriteFmt(
      "ScreenColor:%d  SizeX:%d  SizeY:%d  DrawPointX:%d  DrawPointY:%d  WndRect.left:%d  WndRect.top:%d  left:%d  "
      "top:%d",
      GetScreenColorBits(), cw, ch, t.posX, t.posY, area.x, area.y, x1, y1);
}

enum class PieceResult { kDone, kDeviceGone };

// Steps 3 to 9 for one piece whose copy is cw x ch pixels.
PieceResult CopyPiece(int slot, const TextureRecord& t, int cw, int ch, const ps::SurfaceDc& screen_dc,
                      const SourceArea& area, int x1, int y1, ps::Surface* draw_surface) {
  ps::Surface* const target = t.surface;
  pd::TextureDesc desc;
  desc.width = t.texWidth;
  desc.height = t.texHeight;
  desc.format = *GetTexturePixelFormat(t.AlphaValid, t.AlphaTestValid, t.ColorBitDepth);
  desc.system_memory = true;
  ps::Surface* work = nullptr;
  if (pd::CreateTexture(GetDirectDrawObject(), desc, &work) != pd::Result::kOk) {
    FatalErrorExit("作業用テクスチャサーフェスの作成に失敗しました");
  }
  ps::SurfaceDc work_dc;
  if (ps::GetDC(work, &work_dc) != ps::Result::kOk) {
    ps::ReleaseDC(draw_surface);
    FatalErrorExit("作業用テクスチャサーフェスのＤＣ取得に失敗しました");
  }
  ps::CopyBetweenDcs(work_dc, t.texOffsetX, t.texOffsetY, cw, ch, screen_dc, x1 + t.posX + area.x,
                     y1 + t.posY + area.y);
  ps::ReleaseDC(work);

  const ps::Rect loaded{t.texOffsetX, t.texOffsetY, t.texOffsetX + t.usedWidth, t.texOffsetY + t.usedHeight};
  for (int attempt = 1;; ++attempt) {
    D3DDeviceRecord* rec = UsableD3DDevice(D3DCurrentDevice);
    const pd::Result r = pd::Load(rec->Device, target, loaded.left, loaded.top, work, &loaded, 0);
    if (r == pd::Result::kOk) break;
    LogLoadFailure(r, t, loaded, cw, ch, area, x1, y1);
    WaitMs(kLoadRetryMs);
    if (!PieceAlive(slot, &t, target)) {
      ps::ReleaseSurface(work);
      return PieceResult::kDeviceGone;
    }
    if (attempt == kLoadAttempts) {
      FatalErrorExit("作業用テクスチャサーフェスから描画用テクスチャサーフェスへの画像転送に失敗しました");
    }
  }
  ps::ReleaseSurface(work);
  SetTextureColorKey(target, t);
  return PieceResult::kDone;
}

}  // namespace

int D3DCopyScreenToGraph(int x1, int y1, int x2, int y2, GraphRecord* graph, int flag) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  EndPending3DScene();
  if (graph == nullptr || UsableD3DDevice(D3DCurrentDevice) == nullptr) return -1;
  SourceArea area;
  if (!Source(flag, &area) || Refused(x1, y1, x2, y2, area, *graph)) return -1;

  ps::Surface* const draw_surface = GetDrawSurface();
  ps::SurfaceDc screen_dc;
  if (draw_surface == nullptr || ps::GetDC(draw_surface, &screen_dc) != ps::Result::kOk) {
    FatalErrorExit("ＤＣ作成に失敗しました");
  }
  for (int i = 0; i < graph->PieceCount; ++i) {
    const int slot = static_cast<int>(graph->Pieces[static_cast<size_t>(i)]);
    const TextureRecord* t = GetTexData(slot);
    if (t == nullptr || t->surface == nullptr) continue;
    if (x1 + t->posX > area.w || y1 + t->posY > area.h) continue;
    int cw = t->usedWidth, ch = t->usedHeight;
    if (x1 + t->posX + cw > area.w) cw = area.w - x1 - t->posX;
    if (y1 + t->posY + ch > area.h) ch = area.h - y1 - t->posY;
    if (cw <= 0 || ch <= 0) continue;
    if (CopyPiece(slot, *t, cw, ch, screen_dc, area, x1, y1, draw_surface) == PieceResult::kDeviceGone) {
      // A surface re-made meanwhile never gave out the device context taken above.
      if (GetDrawSurface() == draw_surface) ps::ReleaseDC(draw_surface);
      return -1;
    }
  }
  ps::ReleaseDC(draw_surface);
  return 0;
}

}  // namespace vexal

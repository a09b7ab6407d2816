// The DirectDraw row's draw target: slot 24 and the flag every row-0 drawer tests first.
#include "vexal/graphics/drawing/draw_target.h"

#include "platform/surface/surface.h"
#include "vexal/app/window/window_access.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace ps = plat::surface;

int32_t DDrawTargetUnusable = 0;  // the target is a Direct3D graph: row 0 draws nothing

namespace {

// The surface of a row-0 graph's first piece, null when it has none (no storage yet, or
// the device is away and took the surface with it).
ps::Surface* FirstPieceSurface(const GraphRecord& graph) {
  if (graph.PieceCount == 0) return nullptr;
  const BmpDataRecord* piece = GetBmpData(static_cast<int>(graph.Pieces[0]));
  return piece != nullptr ? piece->Surface : nullptr;
}

// In window mode the clipper sits on the front screen only while the back screen is the
// target, so that presenting it respects the window's place; drawing onto the front
// screen itself goes unclipped.
void SetFrontClipper(bool attach) {
  if (IsWindowMode() == 0 || DDrawState.Primary == nullptr) return;
  ps::SetClipper(DDrawState.Primary, attach ? DDrawState.Clipper : nullptr);
}

int SetTarget(int target) {
  if (DDrawState.Object == nullptr) return -1;
  if (target == kFrontScreen) {
    DDrawState.DrawSurface = DDrawState.Primary;
    DDrawTargetUnusable = 0;
    SetFrontClipper(false);
  } else if (target == kBackScreen) {
    DDrawState.DrawSurface = DDrawState.Back;
    DDrawTargetUnusable = 0;
    SetFrontClipper(true);
  } else {
    const GraphRecord* graph = GetGraphRecord(target);
    if (graph == nullptr) return -1;
    if (graph->Row == kD3DRow) {
      DDrawTargetUnusable = 1;
      return -1;
    }
    ps::Surface* surface = FirstPieceSurface(*graph);
    if (surface == nullptr) return -1;
    DDrawTargetUnusable = 0;
    DDrawState.DrawSurface = surface;
    SetFrontClipper(false);
  }
  const uint32_t caps = DDrawState.DrawSurface != nullptr ? ps::GetSurfaceInfo(DDrawState.DrawSurface).caps : 0;
  DrawState.TargetInVideoMemory = caps & ps::kCapsVideoMemory;
  return 0;
}

}  // namespace

int DDrawSetDrawTarget(int target) { return SetTarget(target); }

int GetDrawTargetOrigin(int* x, int* y) {
  if (x != nullptr) *x = DrawState.TargetRect.left;
  if (y != nullptr) *y = DrawState.TargetRect.top;
  return 0;
}

void LeaveDrawTargetGraph(int graph) {
  if (DrawState.DrawScreen != graph) return;
  SetDrawTarget(kBackScreen);
  if (DrawState.DrawScreen == graph) {
    DrawState.DrawScreen = kBackScreen;
    DDrawState.DrawSurface = DDrawState.Back;
  }
}

void ResetDDrawTarget() { DDrawTargetUnusable = 0; }

}  // namespace vexal

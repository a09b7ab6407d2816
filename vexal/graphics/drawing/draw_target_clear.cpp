// Clearing the draw target to colour 0: slot 26 of row 0 and the public call over both rows.
#include <algorithm>

#include "platform/surface/surface.h"
#include "vexal/app/window/window_access.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/wait_active.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr uint32_t kClearColor = 0;

// The target's pixels inside the draw surface: in window mode the front screen is the
// screen-sized client area on the desktop-sized primary. False for a graph target whose
// graph is gone (its surface went with it).
bool TargetRect(ps::Rect* out) {
  const int target = DrawState.DrawScreen;
  int w = 0, h = 0;
  if (target == kFrontScreen || target == kBackScreen) {
    GetScreenSize(&w, &h);
  } else if (GetGraphDimensions(target, &w, &h) == -1) {
    return false;
  }
  int32_t x = 0, y = 0;
  if (target == kFrontScreen && IsWindowMode() != 0) {
    int32_t client[4] = {};
    GetClientRectCopy(client);
    x = client[0];
    y = client[1];
  }
  *out = {x, y, x + w, y + h};
  return true;
}

}  // namespace

int DDrawClearDrawTarget() {
  if (DDrawTargetUnusable != 0 || DDrawState.Object == nullptr) return -1;
  if (GetGraphSuspendFlag() != 0) return 0;
  EndPending3DScene();
  ps::Surface* surface = DDrawState.DrawSurface;
  ps::Rect rect;
  if (surface == nullptr || !TargetRect(&rect)) return -1;
  // A window reaching off the desktop is cleared where it is on it: the surface would
  // refuse the whole rectangle.
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(surface);
  rect = {std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, info.width),
          std::min(rect.bottom, info.height)};
  if (rect.left >= rect.right || rect.top >= rect.bottom) return 0;
  ps::Blt(surface, &rect, nullptr, nullptr, ps::kBltColorFill, kClearColor);
  return 0;
}

int ClearDrawTarget() {
  if (GetGraphSuspendFlag() == 0) {
    WaitActiveAndRestore();
    CallOnBothRows([](const DrawBackendRow& row) { row.ClearDrawTarget(); });
  }
  return 0;
}

}  // namespace vexal

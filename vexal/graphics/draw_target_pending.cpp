#include "vexal/graphics/draw_target_pending.h"

#include "platform/surface.h"
#include "vexal/graphics/ddraw_state.h"
#include "vexal/graphics/graph_table.h"
#include "vexal/graphics/graphics_seam.h"

namespace vexal {

namespace ps = plat::surface;

int DDrawSetDrawTarget(int target) {
  if (target == kFrontScreen) DDrawState.DrawSurface = DDrawState.Primary;
  if (target == kBackScreen) DDrawState.DrawSurface = DDrawState.Back;
  return SeamTraced("DDrawSetDrawTarget");
}

int ClearDrawTarget() {
  if (DDrawState.DrawSurface != nullptr) {
    ps::Blt(DDrawState.DrawSurface, nullptr, nullptr, nullptr, ps::kBltColorFill | ps::kBltWait, 0);
  }
  return SeamTraced("ClearDrawTarget");
}

}  // namespace vexal

#include "vexal/graphics/screen/screen_present.h"

#include <cstdint>

#include "platform/timer/timer.h"
#include "vexal/app/log/screen_log.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_access.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/screen_log_draw.h"
#include "vexal/graphics/graphs/graph_restore.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

// While the application is in the background: pump until it is active again or ending,
// then bring every lost graph back. Without a window nothing could activate it, and one
// running in the background has nothing to wait for; the pump waits for neither.
void InactiveWait() {
  if (IsAppActive()) return;
  while (!IsAppActive() && GetMainWindow() != 0 && !GetRunInBackground() && PumpMessages() == 0) {
  }
  RestoreAllGraph();
}

void DrawScreenLogOverlay() {
  if (!ScreenLogIsUsed()) return;
  int area[4];
  GetDrawClipArea(area);
  int mode = 0, param = 0;
  GetBlendModeParam(&mode, &param);
  const int32_t coarse = DDrawState.CoarseBlendFlag;
  SetDrawClipArea(0, 0, DDrawState.ScreenWidth, DDrawState.ScreenHeight);
  SetBlendModeParam(0, 0);
  ScreenLogDraw();
  SetDrawClipArea(area[0], area[1], area[2], area[3]);
  SetBlendModeParam(mode, param);
  DDrawState.CoarseBlendFlag = coarse;
}

// Where the screen lies on the primary: the client area in a window (the primary is the
// desktop), else the whole primary.
ps::Rect ScreenOnPrimary() {
  if (!IsWindowMode()) return {0, 0, DDrawState.ScreenWidth, DDrawState.ScreenHeight};
  int32_t client[4];
  GetClientRectCopy(client);
  return {client[0], client[1], client[0] + DDrawState.ScreenWidth, client[1] + DDrawState.ScreenHeight};
}

// Drawing straight onto the front screen: nothing to copy, only the blank to wait for.
int WaitOneBlank() {
  if (GetGraphSuspendFlag()) return 0;
  InactiveWait();
  ps::WaitForVerticalBlank(DDrawState.Object);
  ps::ShowPrimary(DDrawState.Primary, ScreenOnPrimary());
  return PumpMessages() != 0 ? -1 : 0;
}

void CopyToWindow() {
  int32_t client[4];
  GetClientRectCopy(client);
  int32_t desktop_width = 0, desktop_height = 0;
  GetDesktopMode(&desktop_width, &desktop_height, nullptr);
  ps::Rect src{0, 0, DDrawState.ScreenWidth, DDrawState.ScreenHeight};
  ps::Rect dst{client[0], client[1], 0, 0};
  if (dst.left < 0) {
    src.left = -dst.left;
    dst.left = 0;
  }
  if (dst.top < 0) {
    src.top = -dst.top;
    dst.top = 0;
  }
  if (dst.left + DDrawState.ScreenWidth >= desktop_width) src.right = desktop_width - dst.left;
  if (dst.top + DDrawState.ScreenHeight >= desktop_height) src.bottom = desktop_height - dst.top;
  dst.right = dst.left + (src.right - src.left);
  dst.bottom = dst.top + (src.bottom - src.top);
  if (DDrawState.VSyncWait) ps::WaitForVerticalBlank(DDrawState.Object);
  // A window entirely off the desktop leaves an empty rectangle, which the copy refuses.
  ps::Blt(DDrawState.Primary, &dst, DDrawState.Back, &src, ps::kBltWait, 0);
  ps::ShowPrimary(DDrawState.Primary, ScreenOnPrimary());
}

void CopyToFullScreen() {
  const ps::Rect src{0, 0, DDrawState.ScreenWidth, DDrawState.ScreenHeight};
  if (DDrawState.VSyncWait) ps::WaitForVerticalBlank(DDrawState.Object);
  while (ps::GetBltStatus(DDrawState.Primary) != ps::Result::kOk) plat::timer::SpinPause();
  ps::BltFast(DDrawState.Primary, 0, 0, DDrawState.Back, &src, ps::kFastNoColorKey);
  ps::ShowPrimary(DDrawState.Primary, src);
}

}  // namespace

int PresentScreen() {
  if (DDrawState.Object == nullptr) return -1;
  InactiveWait();
  if (IsWindowMode() || DDrawState.No3DSurfaces) return PresentScreenByBlt();
  DrawScreenLogOverlay();
  if (GetDrawTarget() == kFrontScreen && DDrawState.VSyncWait) return WaitOneBlank();
  EndPending3DScene();
  ps::Flip(DDrawState.Primary, DDrawState.VSyncWait ? ps::kFlipWait : ps::kFlipWait | ps::kFlipNoVSync);
  return 0;
}

int PresentScreenByBlt() {
  if (DDrawState.Object == nullptr) return -1;
  DrawScreenLogOverlay();
  if (GetDrawTarget() == kFrontScreen) return WaitOneBlank();
  InactiveWait();
  EndPending3DScene();
  if (IsWindowMode()) {
    CopyToWindow();
  } else {
    CopyToFullScreen();
  }
  return 0;
}

int BltToScreenDC(ps::Surface* dst, ps::Surface* src, int x, int y, const ps::Rect* rect) {
  if (!DDrawState.UseGdiScreenCopy) {
    ps::BltFast(dst, x, y, src, rect, ps::kFastNoColorKey);
    return 0;
  }
  ps::SurfaceDc dst_dc, src_dc;
  if (ps::GetDC(dst, &dst_dc) != ps::Result::kOk) return 0;
  if (ps::GetDC(src, &src_dc) == ps::Result::kOk) {
    const ps::Rect r = rect != nullptr ? *rect : ps::Rect{0, 0, src_dc.width, src_dc.height};
    ps::CopyBetweenDcs(dst_dc, x, y, r.right - r.left, r.bottom - r.top, src_dc, r.left, r.top);
    ps::ReleaseDC(src);
  }
  ps::ReleaseDC(dst);
  return 0;
}

}  // namespace vexal

#include "vexal/graphics/screen/screen_access.h"

#include "vexal/app/window/window_access.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace vexal {

int GetScreenSize(int* w, int* h) {
  if (w != nullptr) *w = DDrawState.ScreenWidth != 0 ? DDrawState.ScreenWidth : kDefaultScreenWidth;
  if (h != nullptr) *h = DDrawState.ScreenHeight != 0 ? DDrawState.ScreenHeight : kDefaultScreenHeight;
  return 0;
}

int GetScreenColorBits() {
  return DDrawState.ScreenColorBits != 0 ? DDrawState.ScreenColorBits : kDefaultScreenColorBits;
}

plat::surface::Surface* GetDrawSurface() { return DDrawState.DrawSurface; }
plat::surface::Surface* GetPrimarySurface() { return DDrawState.Primary; }
plat::surface::Surface* GetBackSurface() { return DDrawState.Back; }
plat::surface::Device* GetDirectDrawObject() { return DDrawState.Object; }

int IsDrawingToFront() {
  return IsWindowMode() && DDrawState.DrawSurface != nullptr && DDrawState.DrawSurface == DDrawState.Primary ? 1 : 0;
}

int IsDisplayModeChanged() { return DDrawState.DisplayModeChanged; }

ColorFormatRecord* GetPixelFormatPtr() { return &DDrawState.Screen.Format; }

int SetVSyncWaitFlag(int flag) {
  DDrawState.VSyncWait = flag;
  return 0;
}

int SetUseVideoMemory(int use) {
  DDrawState.NoVideoMemory = use == 0 ? 1 : 0;
  return 0;
}

int GetUseVideoMemory() { return DDrawState.NoVideoMemory == 0 ? 1 : 0; }

int SetNoDirect3DFlag(int flag) {
  DDrawState.NoDirect3D = flag;
  return 0;
}

int GetNoDirect3DFlag() { return DDrawState.NoDirect3D; }

int SetDrawOptionFlag(int flag) {
  DDrawState.CoarseBlendFlag = flag;
  return 0;
}

int SetUse3DSurfaces(int use) {
  DDrawState.No3DSurfaces = use == 0 ? 1 : 0;
  if (DDrawState.Object == nullptr) return 0;
  const int target = GetDrawTarget();
  DeleteAllGraph(0);
  ChangeScreenModeCore(-1, -1, -1, 1, -1);
  if (target == kFrontScreen || target == kBackScreen) SetDrawTarget(target);
  return 0;
}

int GetNo3DSurfaceFlag() { return DDrawState.No3DSurfaces; }

int GetSkipActiveWaitFlag() { return 0; }

}  // namespace vexal

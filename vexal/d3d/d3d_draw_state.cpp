// Row 1's state slots, the scene protocol, the render target and viewport, and the stored
// fixed-function setters.
#include "vexal/d3d/d3d_draw_state.h"

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/d3d/render_state_cache.h"
#include "vexal/d3d/texture_formats.h"
#include "vexal/graphics/drawing/d3d_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace pd = plat::d3d;
namespace ps = plat::surface;

namespace {

constexpr int kFrontScreenHandle = -4;
constexpr int kBackScreenHandle = -2;
constexpr uint32_t kDepthFillFar = 0xFFFF;

D3DDeviceRecord* Current() { return UsableD3DDevice(D3DCurrentDevice); }

void CloseScene(D3DDeviceRecord* rec) {
  if (rec == nullptr || rec->SceneOpen == 0) return;
  pd::EndScene(rec->Device);
  rec->SceneOpen = 0;
}

void BindRenderTarget(ps::Surface* s) {
  D3DDeviceRecord* rec = Current();
  if (rec == nullptr) return;
  if (s == nullptr) {
    if (rec->RenderTarget != nullptr) {
      pd::SetRenderTarget(rec->Device, rec->CreationSurface, 0);
      rec->RenderTarget = rec->CreationSurface;
    }
    return;
  }
  pd::SetRenderTarget(rec->Device, s, 0);
  rec->RenderTarget = s;
}

pd::Viewport ViewportOf(const Rect& area, int originX, int originY) {
  pd::Viewport v;
  v.x = static_cast<uint32_t>(area.left + originX);
  v.y = static_cast<uint32_t>(area.top + originY);
  v.width = static_cast<uint32_t>(area.right - area.left);
  v.height = static_cast<uint32_t>(area.bottom - area.top);
  v.min_z = 0.0f;
  v.max_z = 1.0f;
  return v;
}

void SetViewportOrDie(D3DDeviceRecord* rec, const pd::Viewport& v) {
  if (pd::SetViewport(rec->Device, v) != pd::Result::kOk) FatalErrorExit("ビューポートのセットに失敗しました");
}

// Runs a fixed-function setter on the current device; -1 when there is none.
template <class F>
int OnDevice(F&& f) {
  D3DDeviceRecord* rec = Current();
  if (rec == nullptr) return -1;
  return f(rec->Device);
}

int ResultOf(pd::Result r) { return r == pd::Result::kOk ? 0 : -1; }

}  // namespace

int EndPending3DScene() {
  CloseScene(Current());
  return 0;
}

int BeginPending3DScene() {
  D3DDeviceRecord* rec = Current();
  if (rec == nullptr) return -1;
  if (rec->SceneOpen != 0) return 0;
  pd::BeginScene(rec->Device);
  rec->SceneOpen = 1;
  D3DReapplyDeviceState(D3DCurrentDevice);
  return 0;
}

void EndSceneAfterDraw() {
  if (D3DTargetIsFront != 0) CloseScene(Current());
}

int D3DSetStageDefaults(int handle) {
  D3DDeviceRecord* rec = UsableD3DDevice(handle);
  if (rec == nullptr) return -1;
  auto stage = [&](pd::StageState s, uint32_t v) { pd::SetTextureStageState(rec->Device, 0, s, v); };
  stage(pd::StageState::kColorOp, pd::kOpModulate);
  stage(pd::StageState::kColorArg1, pd::kArgTexture);
  stage(pd::StageState::kColorArg2, pd::kArgDiffuse);
  if (rec->TextureAlpha == 1) {
    stage(pd::StageState::kAlphaOp, pd::kOpModulate);
    stage(pd::StageState::kAlphaArg1, pd::kArgTexture);
  } else {
    stage(pd::StageState::kAlphaOp, pd::kOpSelectArg2);
  }
  stage(pd::StageState::kAlphaArg2, pd::kArgDiffuse);
  pd::SetRenderState(rec->Device, pd::RenderState::kLighting, 1);
  return 0;
}

int D3DSetZEnable(int flag, int handle) {
  D3DDeviceRecord* rec = UsableD3DDevice(handle);
  if (rec == nullptr) return -1;
  const uint32_t value = flag != 0 ? 1 : 0;
  if (rec->ZEnable == static_cast<uint32_t>(flag) && rec->Force == 0) return 0;
  pd::SetRenderState(rec->Device, pd::RenderState::kZEnable, value);
  rec->ZEnable = static_cast<uint32_t>(flag);
  return 0;
}

int D3DSetTextureAddress(int mode, int handle) {
  D3DDeviceRecord* rec = UsableD3DDevice(handle);
  if (rec == nullptr) return -1;
  if (rec->TextureAddress == static_cast<uint32_t>(mode) && rec->Force == 0) return 0;
  if (pd::SetTextureStageState(rec->Device, 0, pd::StageState::kAddress, static_cast<uint32_t>(mode)) !=
      pd::Result::kOk) {
    return -1;
  }
  rec->TextureAddress = static_cast<uint32_t>(mode);
  return 0;
}

void D3DReapplyDeviceState(int handle) {
  D3DDeviceRecord* rec = UsableD3DDevice(handle);
  if (rec == nullptr) return;
  rec->Force = 1;
  D3DSetStageDefaults(handle);
  D3DSetTextureFilter(static_cast<int>(rec->TextureFilter), handle);
  D3DSetBlendState(rec->BlendMode, rec->BlendParam, handle);
  D3DSetZEnable(static_cast<int>(rec->ZEnable), handle);
  D3DSetTextureAddress(static_cast<int>(rec->TextureAddress), D3DCurrentDevice);
  rec->Force = 0;
}

int D3DSetDrawMode(int mode) {
  if (D3DObject == nullptr) return -1;
  D3DSetTextureFilter(mode, D3DCurrentDevice);
  return 0;
}

int D3DSetBlendMode(int mode, int param) {
  D3DSetBlendState(mode, param, D3DCurrentDevice);
  return 0;
}

int D3DSetDrawArea(const Rect* area) {
  if (D3DObject == nullptr) return -1;
  if (D3DTargetUnusable != 0) return 0;
  D3DDeviceRecord* rec = Current();
  if (rec == nullptr || area == nullptr) return -1;
  const int ox = D3DDrawState != nullptr ? D3DDrawState->TargetRect.left : 0;
  const int oy = D3DDrawState != nullptr ? D3DDrawState->TargetRect.top : 0;
  SetViewportOrDie(rec, ViewportOf(*area, ox, oy));
  return 0;
}

int D3DSetDrawTarget(int screen) {
  if (D3DObject == nullptr) return 0;
  D3DDeviceRecord* rec = Current();
  if (rec == nullptr) return 0;  // half restored: nothing to bind yet
  CloseScene(rec);
  if (rec->RenderTarget != nullptr) {
    pd::SetRenderTarget(rec->Device, rec->CreationSurface, 0);
    rec->RenderTarget = rec->CreationSurface;
  }
  if (rec->Texture != nullptr || rec->Force != 0) {
    pd::SetTexture(rec->Device, 0, nullptr);
    rec->Texture = nullptr;
  }
  if (screen == kFrontScreenHandle) {
    BindRenderTarget(GetPrimarySurface());
    D3DTargetUnusable = 0;
    D3DTargetIsFront = 1;
    return 0;
  }
  if (screen == kBackScreenHandle) {
    BindRenderTarget(GetBackSurface());
    D3DTargetUnusable = 0;
    D3DTargetIsFront = 0;
    return 0;
  }
  const GraphRecord* graph = GetGraphRecord(screen);
  if (graph == nullptr) return -1;
  if (graph->PieceCount > 1) return 0;
  if (graph->Row == kD3DRow) return -1;
  const BmpDataRecord* piece = GetBmpData(static_cast<int>(graph->Pieces[0]));
  if (piece == nullptr || piece->Surface == nullptr) return -1;
  if (piece->InVideoMemory == 0) {
    D3DTargetUnusable = 1;
    return -1;
  }
  BindRenderTarget(piece->Surface);
  D3DTargetUnusable = 0;
  D3DTargetIsFront = 0;
  return 0;
}

int D3DGetGraphColorDesc(ColorFormatRecord* out, int alpha) {
  if (out == nullptr) return 0;
  *out = *GetTextureColorFormat(alpha != 0 ? 1 : 0, 0, TextureDepthIndex());
  return 0;
}

int D3DClearDrawTarget() {
  if (D3DObject == nullptr) return -1;
  if (D3DDrawState != nullptr && D3DDrawState->Suspended != 0) return 0;
  CloseScene(Current());
  if (ZBufferSurface != nullptr) {
    int w = 0, h = 0;
    GetScreenSize(&w, &h);
    const ps::Rect all{0, 0, w, h};
    ps::Blt(ZBufferSurface, &all, nullptr, nullptr, ps::kBltDepthFill | ps::kBltWait, kDepthFillFar);
  }
  const int screen = D3DDrawState != nullptr ? D3DDrawState->DrawScreen : kBackScreenHandle;
  const GraphRecord* graph = GetGraphRecord(screen);
  if (graph == nullptr) return -1;
  if (graph->Row == kD3DRow && D3DDrawState != nullptr) {
    G_D3D_DrawFillBox(0, 0, D3DDrawState->TargetWidth, D3DDrawState->TargetHeight, 0);
  }
  return 0;
}

int D3DSyncDrawTarget(int masked) {
  if (D3DObject == nullptr) return -1;
  // Without a mask surface the draws go to the draw surface, as row 0's do.
  ps::Surface* mask = masked != 0 ? GetMaskSurface() : nullptr;
  BindRenderTarget(mask != nullptr ? mask : GetDrawSurface());
  D3DDeviceRecord* rec = Current();
  if (IsDrawingToFront() == 1 && masked != 0) {
    D3DTargetUnusable = 0;
    if (rec != nullptr && D3DDrawState != nullptr) SetViewportOrDie(rec, ViewportOf(D3DDrawState->DrawArea, 0, 0));
  } else if (D3DDrawState != nullptr) {
    D3DSetDrawArea(&D3DDrawState->DrawArea);
  }
  return 0;
}

int D3DSetWorldTransform(const void* m) {
  if (m == nullptr) return -1;
  return OnDevice([&](pd::Device* d) {
    pd::SetTransform(d, pd::TransformState::kWorld, *static_cast<const pd::Matrix*>(m));
    return 0;
  });
}

int D3DSetViewTransform(const void* m) {
  if (m == nullptr) return -1;
  return OnDevice([&](pd::Device* d) {
    pd::SetTransform(d, pd::TransformState::kView, *static_cast<const pd::Matrix*>(m));
    return 0;
  });
}

int D3DSetProjectionTransform(const void* m) {
  if (m == nullptr) return -1;
  return OnDevice([&](pd::Device* d) {
    pd::SetTransform(d, pd::TransformState::kProjection, *static_cast<const pd::Matrix*>(m));
    return 0;
  });
}

int D3DSetLight(const void* args) {
  const auto* a = static_cast<const D3DLightArgs*>(args);
  if (a == nullptr || a->light == nullptr) return -1;
  return OnDevice([&](pd::Device* d) { return ResultOf(pd::SetLight(d, a->index, *a->light)); });
}

int D3DEnableLight(const void* args) {
  const auto* a = static_cast<const D3DLightEnableArgs*>(args);
  if (a == nullptr) return -1;
  return OnDevice([&](pd::Device* d) { return ResultOf(pd::LightEnable(d, a->index, a->enable != 0)); });
}

int D3DSetMaterial(const void* m) {
  if (m == nullptr) return -1;
  return OnDevice([&](pd::Device* d) { return ResultOf(pd::SetMaterial(d, *static_cast<const pd::Material*>(m))); });
}

int D3DSetCullMode(const void* args) {
  const auto* a = static_cast<const D3DCullModeArgs*>(args);
  if (a == nullptr) return -1;
  return OnDevice([&](pd::Device* d) {
    return ResultOf(pd::SetRenderState(d, pd::RenderState::kCullMode, a->flag != 0 ? pd::kCullCcw : pd::kCullNone));
  });
}

int D3DSetAmbientLight(const void* args) {
  const auto* a = static_cast<const D3DAmbientArgs*>(args);
  if (a == nullptr) return -1;
  return OnDevice([&](pd::Device* d) { return ResultOf(pd::SetRenderState(d, pd::RenderState::kAmbient, a->color)); });
}

}  // namespace vexal

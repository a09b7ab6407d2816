// The cached texture-filter and blend setters of a device record.
#include "vexal/d3d/render_state_cache.h"

#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/drawing/draw_state.h"

namespace vexal {

namespace pd = plat::d3d;

namespace {

void Render(D3DDeviceRecord* rec, pd::RenderState s, uint32_t v) { pd::SetRenderState(rec->Device, s, v); }
void Stage(D3DDeviceRecord* rec, pd::StageState s, uint32_t v) { pd::SetTextureStageState(rec->Device, 0, s, v); }

// Blending on (when it was off or under force) and the two factors (unless the mode's
// factors are already in place).
void SendBlend(D3DDeviceRecord* rec, int mode, uint32_t dest, uint32_t src) {
  if (rec->BlendMode == kBlendNone || rec->Force != 0) Render(rec, pd::RenderState::kAlphaBlendEnable, 1);
  if (rec->BlendMode != mode || rec->Force != 0) {
    Render(rec, pd::RenderState::kDestBlend, dest);
    Render(rec, pd::RenderState::kSrcBlend, src);
  }
}

int SetTextureAlpha(D3DDeviceRecord* rec, int param) {
  const uint32_t on = param != 0 ? 1 : 0;
  if (on == rec->TextureAlpha && rec->BlendMode != kBlendNone && rec->Force == 0) return 0;
  Render(rec, pd::RenderState::kSrcBlend, pd::kBlendSrcAlpha);
  if ((rec->BlendMode == kBlendNone && on != 0) || rec->Force != 0) {
    Render(rec, pd::RenderState::kAlphaBlendEnable, 1);
    Render(rec, pd::RenderState::kDestBlend, pd::kBlendInvSrcAlpha);
    if (rec->BlendMode == kBlendNone && on != 0) {
      if (D3DDrawState != nullptr) D3DDrawState->BlendParam = kBlendParamAfterTextureAlpha;
      rec->BlendMode = kBlendAlpha;
      rec->BlendParam = kBlendParamAfterTextureAlpha;
    }
  }
  if (on != rec->TextureAlpha || rec->Force != 0) {
    Stage(rec, pd::StageState::kAlphaArg1, on != 0 ? pd::kArgTexture : pd::kArgDiffuse);
    Stage(rec, pd::StageState::kAlphaArg2, pd::kArgDiffuse);
    Stage(rec, pd::StageState::kAlphaOp, on != 0 ? pd::kOpModulate : pd::kOpSelectArg2);
    rec->TextureAlpha = on;
  }
  return 0;
}

}  // namespace

int D3DSetTextureFilter(int filter, int handle) {
  D3DDeviceRecord* rec = UsableD3DDevice(handle);
  if (rec == nullptr) return -1;
  if (static_cast<int>(rec->TextureFilter) == filter && rec->Force == 0) return 0;
  if (filter != 0 && filter != 1) return -1;
  const uint32_t mag = filter == 0 ? pd::kFilterPoint : pd::kFilterLinear;
  Stage(rec, pd::StageState::kMagFilter, mag);
  Stage(rec, pd::StageState::kMinFilter, mag);
  rec->TextureFilter = static_cast<uint32_t>(filter);
  return 0;
}

int D3DSetBlendState(int mode, int param, int handle) {
  D3DDeviceRecord* rec = UsableD3DDevice(handle);
  if (rec == nullptr) return -1;
  if (rec->BlendMode == mode && rec->BlendParam == param && rec->Force == 0) return 0;
  switch (mode) {
    case kBlendNone:
    case kBlendNoneAlias:
      if (rec->BlendMode == mode && rec->Force == 0) return 0;
      Render(rec, pd::RenderState::kAlphaBlendEnable, 0);
      Stage(rec, pd::StageState::kAlphaOp, pd::kOpSelectArg1);
      Stage(rec, pd::StageState::kAlphaArg1, pd::kArgDiffuse);
      rec->BlendMode = mode;
      rec->TextureAlpha = 0;
      rec->BlendParam = -1;
      return 0;
    case kBlendAlpha: SendBlend(rec, mode, pd::kBlendInvSrcAlpha, pd::kBlendSrcAlpha); break;
    case kBlendAdd: SendBlend(rec, mode, pd::kBlendOne, pd::kBlendSrcAlpha); break;
    case kBlendInvert: SendBlend(rec, mode, pd::kBlendZero, pd::kBlendInvDestColor); break;
    case kBlendAddStep:
      if (rec->BlendMode == kBlendAddStep && rec->Force == 0) return 0;
      Render(rec, pd::RenderState::kAlphaBlendEnable, 1);
      Render(rec, pd::RenderState::kDestBlend, pd::kBlendOne);
      Render(rec, pd::RenderState::kSrcBlend, pd::kBlendSrcAlpha);
      rec->BlendMode = mode;
      return 0;
    case kBlendTextureAlpha: return SetTextureAlpha(rec, param);
    default: return 0;
  }
  rec->BlendMode = mode;
  rec->BlendParam = param;
  return 0;
}

}  // namespace vexal

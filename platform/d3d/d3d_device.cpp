// The device's state: render and stage-0 states, bound textures, scenes, viewport, render
// target, texture loads and the stored fixed-function state.
#include <algorithm>
#include <cstring>

#include "platform/d3d/d3d_state.h"

namespace plat::d3d {
namespace {

bool Alive(const Device* device) {
  return device != nullptr &&
         std::any_of(g_devices.begin(), g_devices.end(), [&](const auto& d) { return d.get() == device; });
}

// The injected failure of a call on a live device, or kOk.
Result Gate(Call call, const Device* device, int64_t arg = -1) {
  if (!Alive(device)) return Result::kInvalidParams;
  Result r = Result::kOk;
  return TakeInjectedFailure(call, arg, &r) ? r : Result::kOk;
}

uint32_t U(float v) {
  uint32_t u = 0;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

}  // namespace

Result EnumTextureFormats(Device* device, const std::function<bool(const PixelFormatDesc&)>& callback) {
  if (!callback) return Note(Call::kEnumTextureFormats, Result::kInvalidParams, device);
  if (Result r = Gate(Call::kEnumTextureFormats, device); r != Result::kOk) {
    return Note(Call::kEnumTextureFormats, r, device);
  }
  Note(Call::kEnumTextureFormats, Result::kOk, device);
  const std::vector<PixelFormatDesc> formats = g_profile.texture_formats;
  for (const PixelFormatDesc& f : formats) {
    if (!callback(f)) break;
  }
  return Result::kOk;
}

Result SetRenderState(Device* device, RenderState state, uint32_t value) {
  const auto s = static_cast<uint32_t>(state);
  if (state >= RenderState::kCount) return Note(Call::kSetRenderState, Result::kInvalidParams, device, s, value);
  if (Result r = Gate(Call::kSetRenderState, device, s); r != Result::kOk) {
    return Note(Call::kSetRenderState, r, device, s, value);
  }
  device->render[s] = value;
  return Note(Call::kSetRenderState, Result::kOk, device, s, value);
}

uint32_t GetRenderState(const Device* device, RenderState state) {
  return Alive(device) && state < RenderState::kCount ? device->render[static_cast<size_t>(state)] : 0;
}

Result SetTextureStageState(Device* device, int stage, StageState state, uint32_t value) {
  const auto s = static_cast<uint32_t>(state);
  const auto st = static_cast<uint32_t>(stage);
  if (stage != 0 || state >= StageState::kCount) {
    return Note(Call::kSetTextureStageState, Result::kInvalidParams, device, st, s, value);
  }
  if (Result r = Gate(Call::kSetTextureStageState, device, s); r != Result::kOk) {
    return Note(Call::kSetTextureStageState, r, device, st, s, value);
  }
  device->stage0[s] = value;
  return Note(Call::kSetTextureStageState, Result::kOk, device, st, s, value);
}

uint32_t GetTextureStageState(const Device* device, StageState state) {
  return Alive(device) && state < StageState::kCount ? device->stage0[static_cast<size_t>(state)] : 0;
}

Result SetTexture(Device* device, int stage, surface::Surface* texture) {
  const auto st = static_cast<uint32_t>(stage);
  if (stage < 0 || stage >= kStageCount ||
      (texture != nullptr && (surface::GetSurfaceInfo(texture).caps & surface::kCapsTexture) == 0)) {
    return Note(Call::kSetTexture, Result::kInvalidParams, texture, st);
  }
  if (Result r = Gate(Call::kSetTexture, device); r != Result::kOk) return Note(Call::kSetTexture, r, texture, st);
  device->textures[st] = texture;
  return Note(Call::kSetTexture, Result::kOk, texture, st);
}

surface::Surface* GetTexture(const Device* device, int stage) {
  return Alive(device) && stage >= 0 && stage < kStageCount ? device->textures[static_cast<size_t>(stage)] : nullptr;
}

Result BeginScene(Device* device) {
  if (Result r = Gate(Call::kBeginScene, device); r != Result::kOk) return Note(Call::kBeginScene, r, device);
  if (device->in_scene) return Note(Call::kBeginScene, Result::kInvalidState, device);
  device->in_scene = true;
  return Note(Call::kBeginScene, Result::kOk, device);
}

Result EndScene(Device* device) {
  if (Result r = Gate(Call::kEndScene, device); r != Result::kOk) return Note(Call::kEndScene, r, device);
  if (!device->in_scene) return Note(Call::kEndScene, Result::kInvalidState, device);
  device->in_scene = false;
  return Note(Call::kEndScene, Result::kOk, device);
}

bool InScene(const Device* device) { return Alive(device) && device->in_scene; }

Result SetViewport(Device* device, const Viewport& v) {
  if (Result r = Gate(Call::kSetViewport, device); r != Result::kOk) {
    return Note(Call::kSetViewport, r, device, v.x, v.y, v.width, v.height);
  }
  const surface::SurfaceInfo info = surface::GetSurfaceInfo(device->target);
  const uint64_t right = uint64_t{v.x} + v.width, bottom = uint64_t{v.y} + v.height;
  if (right > static_cast<uint64_t>(info.width) || bottom > static_cast<uint64_t>(info.height) ||
      !(v.min_z >= 0.0f && v.max_z <= 1.0f && v.min_z <= v.max_z)) {
    return Note(Call::kSetViewport, Result::kInvalidParams, device, v.x, v.y, v.width, v.height);
  }
  device->viewport = v;
  return Note(Call::kSetViewport, Result::kOk, device, v.x, v.y, v.width, v.height);
}

Viewport GetViewport(const Device* device) { return Alive(device) ? device->viewport : Viewport{}; }

Result SetRenderTarget(Device* device, surface::Surface* target, uint32_t flags) {
  if (target == nullptr) return Note(Call::kSetRenderTarget, Result::kInvalidParams, target, flags);
  if (Result r = Gate(Call::kSetRenderTarget, device); r != Result::kOk) {
    return Note(Call::kSetRenderTarget, r, target, flags);
  }
  const surface::SurfaceInfo info = surface::GetSurfaceInfo(target);
  if ((info.caps & (surface::kCaps3DDevice | surface::kCapsVideoMemory)) == 0) {
    return Note(Call::kSetRenderTarget, Result::kNo3DSurface, target, flags);
  }
  device->target = target;
  device->viewport = {0, 0, static_cast<uint32_t>(info.width), static_cast<uint32_t>(info.height), 0.0f, 1.0f};
  return Note(Call::kSetRenderTarget, Result::kOk, target, flags);
}

surface::Surface* GetRenderTarget(const Device* device) { return Alive(device) ? device->target : nullptr; }

Result Load(Device* device, surface::Surface* dst, int x, int y, surface::Surface* src, const surface::Rect* src_rect,
            uint32_t flags) {
  const auto ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
  if (dst == nullptr || src == nullptr) return Note(Call::kLoad, Result::kInvalidParams, dst, ux, uy, flags);
  if (Result r = Gate(Call::kLoad, device); r != Result::kOk) return Note(Call::kLoad, r, dst, ux, uy, flags);
  const surface::SurfaceInfo di = surface::GetSurfaceInfo(dst), si = surface::GetSurfaceInfo(src);
  if ((di.caps & si.caps & surface::kCapsTexture) == 0 || !(di.format == si.format)) {
    return Note(Call::kLoad, Result::kInvalidParams, dst, ux, uy, flags);
  }
  const surface::Rect sr = src_rect != nullptr ? *src_rect : surface::Rect{0, 0, si.width, si.height};
  const surface::Rect dr{x, y, x + (sr.right - sr.left), y + (sr.bottom - sr.top)};
  surface::LockedRect from, to;
  surface::Result lr = surface::Lock(src, &sr, surface::kLockWait | surface::kLockReadOnly, &from);
  if (lr != surface::Result::kOk) {
    return Note(Call::kLoad, lr == surface::Result::kSurfaceLost ? Result::kSurfaceLost : Result::kInvalidParams, dst,
                ux, uy, flags);
  }
  lr = surface::Lock(dst, &dr, surface::kLockWait | surface::kLockWriteOnly, &to);
  if (lr != surface::Result::kOk) {
    surface::Unlock(src);
    return Note(Call::kLoad, lr == surface::Result::kSurfaceLost ? Result::kSurfaceLost : Result::kInvalidParams, dst,
                ux, uy, flags);
  }
  const size_t row = static_cast<size_t>(from.width) * static_cast<size_t>(BytesPerPixel(si.format));
  for (int j = 0; j < from.height; ++j) {
    std::memcpy(to.bits + static_cast<ptrdiff_t>(j) * to.pitch, from.bits + static_cast<ptrdiff_t>(j) * from.pitch,
                row);
  }
  surface::Unlock(dst);
  surface::Unlock(src);
  return Note(Call::kLoad, Result::kOk, dst, ux, uy, flags);
}

Result SetTransform(Device* device, TransformState state, const Matrix& matrix) {
  const auto s = static_cast<uint32_t>(state);
  if (state >= TransformState::kCount) return Note(Call::kSetTransform, Result::kInvalidParams, device, s);
  if (Result r = Gate(Call::kSetTransform, device, s); r != Result::kOk) return Note(Call::kSetTransform, r, device, s);
  device->transforms[s] = matrix;
  return Note(Call::kSetTransform, Result::kOk, device, s, U(matrix.m[0]));
}

Matrix GetTransform(const Device* device, TransformState state) {
  return Alive(device) && state < TransformState::kCount ? device->transforms[static_cast<size_t>(state)] : Matrix{};
}

Result SetLight(Device* device, uint32_t index, const Light& light) {
  if (Result r = Gate(Call::kSetLight, device, index); r != Result::kOk) return Note(Call::kSetLight, r, device, index);
  device->lights[index].light = light;
  return Note(Call::kSetLight, Result::kOk, device, index, light.type);
}

Result LightEnable(Device* device, uint32_t index, bool enable) {
  if (Result r = Gate(Call::kLightEnable, device, index); r != Result::kOk) {
    return Note(Call::kLightEnable, r, device, index, enable ? 1u : 0u);
  }
  auto it = device->lights.find(index);
  if (it == device->lights.end()) return Note(Call::kLightEnable, Result::kInvalidParams, device, index, enable);
  it->second.enabled = enable;
  return Note(Call::kLightEnable, Result::kOk, device, index, enable ? 1u : 0u);
}

bool GetLight(const Device* device, uint32_t index, Light* light, bool* enabled) {
  if (!Alive(device)) return false;
  auto it = device->lights.find(index);
  if (it == device->lights.end()) return false;
  if (light != nullptr) *light = it->second.light;
  if (enabled != nullptr) *enabled = it->second.enabled;
  return true;
}

Result SetMaterial(Device* device, const Material& material) {
  if (Result r = Gate(Call::kSetMaterial, device); r != Result::kOk) return Note(Call::kSetMaterial, r, device);
  device->material = material;
  return Note(Call::kSetMaterial, Result::kOk, device, U(material.power));
}

Material GetMaterial(const Device* device) { return Alive(device) ? device->material : Material{}; }

}  // namespace plat::d3d

// The Direct3D object: asked of a surface device, it enumerates the profile and makes
// devices and texture surfaces.
#include <algorithm>
#include <bit>

#include "platform/d3d/d3d_state.h"

namespace plat::d3d {
namespace {

const DeviceDesc* FindDevice(const Guid& guid) {
  for (const DeviceDesc& d : g_profile.devices) {
    if (d.guid == guid) return &d;
  }
  return nullptr;
}

bool Alive(const Direct3D* object) {
  return std::any_of(g_objects.begin(), g_objects.end(), [&](const auto& o) { return o.get() == object; });
}

// The texture limits in force: the device made last that still exists, else the
// profile's first device.
const DeviceDesc* TextureLimits() {
  if (!g_devices.empty()) return &g_devices.back()->desc;
  return g_profile.devices.empty() ? nullptr : &g_profile.devices.front();
}

bool SideAllowed(uint32_t side, uint32_t min, uint32_t max, bool pow2) {
  if (side == 0 || side > static_cast<uint32_t>(surface::kMaxSurfaceSide)) return false;
  if (pow2 && !std::has_single_bit(side)) return false;
  if (min != 0 && side < min) return false;
  return max == 0 || side <= max;
}

}  // namespace

Result QueryDirect3D(surface::Device* device, Direct3D** out) {
  Result r = Result::kOk;
  if (device == nullptr || out == nullptr) return Note(Call::kQueryDirect3D, Result::kInvalidParams);
  if (TakeInjectedFailure(Call::kQueryDirect3D, -1, &r)) return Note(Call::kQueryDirect3D, r);
  g_objects.push_back(std::make_unique<Direct3D>());
  g_objects.back()->device = device;
  *out = g_objects.back().get();
  return Note(Call::kQueryDirect3D, Result::kOk, *out);
}

void ReleaseDirect3D(Direct3D* object) {
  if (object == nullptr) return;
  Note(Call::kReleaseDirect3D, Result::kOk, object);
  std::erase_if(g_objects, [&](const auto& o) { return o.get() == object; });
}

Result EnumDevices(Direct3D* object, const std::function<bool(const DeviceDesc&)>& callback) {
  Result r = Result::kOk;
  if (!Alive(object) || !callback) return Note(Call::kEnumDevices, Result::kInvalidParams, object);
  if (TakeInjectedFailure(Call::kEnumDevices, -1, &r)) return Note(Call::kEnumDevices, r, object);
  Note(Call::kEnumDevices, Result::kOk, object);
  const std::vector<DeviceDesc> devices = g_profile.devices;  // the callback may change the profile
  for (const DeviceDesc& d : devices) {
    if (!callback(d)) break;
  }
  return Result::kOk;
}

Result EnumZBufferFormats(Direct3D* object, const Guid& device,
                          const std::function<bool(const PixelFormatDesc&)>& callback) {
  Result r = Result::kOk;
  if (!Alive(object) || !callback) return Note(Call::kEnumZBufferFormats, Result::kInvalidParams, object);
  if (TakeInjectedFailure(Call::kEnumZBufferFormats, -1, &r)) return Note(Call::kEnumZBufferFormats, r, object);
  if (FindDevice(device) == nullptr) return Note(Call::kEnumZBufferFormats, Result::kNotFound, object);
  Note(Call::kEnumZBufferFormats, Result::kOk, object);
  const std::vector<PixelFormatDesc> formats = g_profile.depth_formats;
  for (const PixelFormatDesc& f : formats) {
    if (!callback(f)) break;
  }
  return Result::kOk;
}

Result CreateDevice(Direct3D* object, const Guid& guid, surface::Surface* target, Device** out) {
  Result r = Result::kOk;
  if (!Alive(object) || target == nullptr || out == nullptr) {
    return Note(Call::kCreateDevice, Result::kInvalidParams, object);
  }
  if (TakeInjectedFailure(Call::kCreateDevice, -1, &r)) return Note(Call::kCreateDevice, r, object);
  const DeviceDesc* desc = FindDevice(guid);
  if (desc == nullptr) return Note(Call::kCreateDevice, Result::kNotFound, object);
  const surface::SurfaceInfo info = surface::GetSurfaceInfo(target);
  if ((info.caps & surface::kCaps3DDevice) == 0) return Note(Call::kCreateDevice, Result::kNo3DSurface, object);
  const uint32_t depth = info.format.bit_count == 16   ? kRenderDepth16
                         : info.format.bit_count == 32 ? kRenderDepth32
                         : info.format.bit_count == 8  ? kRenderDepth8
                                                       : kRenderDepth24;
  if ((desc->render_depths & depth) == 0) return Note(Call::kCreateDevice, Result::kUnsupportedFormat, object);

  auto device = std::make_unique<Device>();
  device->desc = *desc;
  device->target = target;
  device->viewport = {0, 0, static_cast<uint32_t>(info.width), static_cast<uint32_t>(info.height), 0.0f, 1.0f};
  auto set = [&](RenderState s, uint32_t v) { device->render[static_cast<size_t>(s)] = v; };
  set(RenderState::kZEnable, 0);
  set(RenderState::kShadeMode, kShadeGouraud);
  set(RenderState::kLighting, 1);
  set(RenderState::kSrcBlend, kBlendOne);
  set(RenderState::kDestBlend, kBlendZero);
  set(RenderState::kCullMode, kCullCcw);
  auto stage = [&](StageState s, uint32_t v) { device->stage0[static_cast<size_t>(s)] = v; };
  stage(StageState::kColorOp, kOpModulate);
  stage(StageState::kColorArg1, kArgTexture);
  stage(StageState::kColorArg2, kArgDiffuse);
  stage(StageState::kAlphaOp, kOpSelectArg1);
  stage(StageState::kAlphaArg1, kArgTexture);
  stage(StageState::kAlphaArg2, kArgDiffuse);
  stage(StageState::kAddress, kAddressWrap);
  stage(StageState::kMagFilter, kFilterPoint);
  stage(StageState::kMinFilter, kFilterPoint);
  *out = device.get();
  g_devices.push_back(std::move(device));
  return Note(Call::kCreateDevice, Result::kOk, *out);
}

void ReleaseDevice(Device* device) {
  if (device == nullptr) return;
  Note(Call::kReleaseDevice, Result::kOk, device);
  std::erase_if(g_devices, [&](const auto& d) { return d.get() == device; });
}

Result CreateTexture(surface::Device* device, const TextureDesc& desc, surface::Surface** out) {
  Result r = Result::kOk;
  const auto w = static_cast<uint32_t>(desc.width), h = static_cast<uint32_t>(desc.height);
  if (device == nullptr || out == nullptr || desc.width <= 0 || desc.height <= 0) {
    return Note(Call::kCreateTexture, Result::kInvalidParams, nullptr, w, h);
  }
  if (TakeInjectedFailure(Call::kCreateTexture, -1, &r)) return Note(Call::kCreateTexture, r, nullptr, w, h);
  if (const DeviceDesc* limits = TextureLimits(); limits != nullptr) {
    const bool pow2 = (limits->texture_caps & kTexturePow2) != 0;
    if (!SideAllowed(w, limits->min_texture_width, limits->max_texture_width, pow2) ||
        !SideAllowed(h, limits->min_texture_height, limits->max_texture_height, pow2) ||
        ((limits->texture_caps & kTextureSquareOnly) != 0 && w != h)) {
      return Note(Call::kCreateTexture, Result::kTextureSize, nullptr, w, h);
    }
  }
  const uint32_t unusable = kPfFourCC | kPfZBuffer | kPfLuminance | kPfBumpLuminance | kPfBumpDuDv | kPfAlpha;
  const PixelFormat format = ToSurfaceFormat(desc.format);
  if ((desc.format.flags & unusable) != 0 || (desc.format.flags & kPfRgb) == 0 || !IsSurfaceFormat(format)) {
    return Note(Call::kCreateTexture, Result::kUnsupportedFormat, nullptr, w, h);
  }
  surface::SurfaceDesc sd;
  sd.caps = surface::kCapsTexture | surface::kCapsSystemMemory;
  sd.width = desc.width;
  sd.height = desc.height;
  sd.format = format;
  const surface::Result sr = surface::CreateSurface(device, sd, out);
  if (sr != surface::Result::kOk) {
    return Note(Call::kCreateTexture,
                sr == surface::Result::kOutOfMemory ? Result::kOutOfMemory : Result::kInvalidParams, nullptr, w, h);
  }
  return Note(Call::kCreateTexture, Result::kOk, *out, w, h, desc.system_memory ? 1u : 0u);
}

}  // namespace plat::d3d

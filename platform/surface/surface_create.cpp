// Making and releasing surfaces, flip chains and attachments.
#include <new>

#include "platform/surface/display.h"
#include "platform/surface/surface_state.h"

namespace plat::surface {
namespace {

constexpr int32_t kPitchAlignment = 16;  // bytes; rows start on this boundary

int32_t PitchFor(int width, const PixelFormat& format) {
  int32_t row = width * BytesPerPixel(format);
  return (row + kPitchAlignment - 1) / kPitchAlignment * kPitchAlignment;
}

enum class Placement { kVideo, kSystem, kVideoIfItFits };

Placement PlacementOf(uint32_t caps) {
  if (caps & kCapsVideoMemory) return Placement::kVideo;
  if (caps & kCapsSystemMemory) return Placement::kSystem;
  return Placement::kVideoIfItFits;
}

// A new record with its memory, or null with *result set. charge: whether video memory
// placement takes from the display's video memory (the primary is the display itself).
Surface* MakeSurface(Device* device, uint32_t caps, int w, int h, const PixelFormat& format, Placement placement,
                     bool charge, Result* result) {
  const int32_t pitch = PitchFor(w, format);
  const uint64_t bytes = static_cast<uint64_t>(pitch) * static_cast<uint64_t>(h);
  bool video = placement != Placement::kSystem;
  uint64_t reserved = 0;
  if (video && charge) {
    if (display::ReserveVideoMemory(bytes)) {
      reserved = bytes;
    } else if (placement == Placement::kVideo) {
      *result = Result::kOutOfVideoMemory;
      return nullptr;
    } else {
      video = false;
    }
  }
  SurfaceMemory memory;
  try {
    memory.assign(static_cast<size_t>(bytes), 0);
  } catch (const std::bad_alloc&) {
    display::ReturnVideoMemory(reserved);
    *result = Result::kOutOfMemory;
    return nullptr;
  }
  Surface* s = g_surfaces.Add();
  s->device = device;
  s->caps = (caps & ~(kCapsVideoMemory | kCapsSystemMemory)) | (video ? kCapsVideoMemory : kCapsSystemMemory);
  s->width = w;
  s->height = h;
  s->pitch = pitch;
  s->format = format;
  s->memory = std::move(memory);
  s->video_bytes = reserved;
  ++device->surfaces;
  return s;
}

// Frees a surface, or a whole chain, whose references are all gone.
void Destroy(Surface* s) {
  std::vector<Surface*> members = ChainOf(s);
  Device* device = s->device;
  std::vector<Surface*> attached;
  for (Surface* m : members) {
    display::ReturnVideoMemory(m->video_bytes);
    DropPalette(m->palette);
    DropClipper(m->clipper);
    attached.insert(attached.end(), m->attached.begin(), m->attached.end());
    if (device->primary == m) device->primary = nullptr;
    --device->surfaces;
    g_surfaces.Remove(m);
  }
  ++device->surfaces;  // keeps the device while the attached surfaces go
  for (Surface* a : attached) ReleaseSurface(a);
  --device->surfaces;
  FreeDeviceIfDone(device);
}

Result CreatePrimary(Device* device, const SurfaceDesc& desc, Surface** out) {
  const bool chain = (desc.caps & kCapsFlip) != 0;
  if (device->primary != nullptr) return Result::kPrimaryExists;
  if (desc.format.bit_count != 0 || (desc.caps & kCapsSystemMemory)) return Result::kInvalidParams;
  if (chain != ((desc.caps & kCapsComplex) != 0)) return Result::kInvalidParams;
  if (chain && (desc.back_buffer_count < 1 || desc.back_buffer_count > kMaxBackBuffers)) {
    return Result::kInvalidParams;
  }
  if (!chain && desc.back_buffer_count != 0) return Result::kInvalidParams;
  if (chain && !device->exclusive) return Result::kNoExclusiveMode;
  const PixelFormat format = display::CurrentFormat();
  if (!IsSurfaceFormat(format)) return Result::kUnsupportedFormat;
  const display::CurrentMode mode = display::Current();

  Result r = Result::kOk;
  Surface* head = MakeSurface(device, desc.caps, mode.width, mode.height, format, Placement::kVideo, false, &r);
  if (head == nullptr) return r;
  head->refs = 1;
  device->primary = head;
  if (chain) {
    head->chain_head = head;
    head->chain.push_back(head);
    const uint32_t back_caps =
        (desc.caps & ~(kCapsPrimary | kCapsFlip | kCapsComplex)) | kCapsBackBuffer | kCapsFlip | kCapsComplex;
    for (int i = 0; i < desc.back_buffer_count; ++i) {
      Surface* back = MakeSurface(device, back_caps, mode.width, mode.height, format, Placement::kVideo, true, &r);
      if (back == nullptr) {
        head->refs = 0;
        Destroy(head);
        return r;
      }
      back->chain_head = head;
      head->chain.push_back(back);
    }
  }
  *out = head;
  return Result::kOk;
}

Result CreateOffscreen(Device* device, const SurfaceDesc& desc, Surface** out) {
  if (desc.caps & (kCapsFlip | kCapsComplex)) return Result::kInvalidParams;
  if (desc.back_buffer_count != 0) return Result::kInvalidParams;
  if (desc.width < 1 || desc.height < 1 || desc.width > kMaxSurfaceSide || desc.height > kMaxSurfaceSide) {
    return Result::kInvalidParams;
  }
  const PixelFormat format = desc.format.bit_count != 0 ? desc.format : display::CurrentFormat();
  if (!IsSurfaceFormat(format)) return Result::kUnsupportedFormat;
  Result r = Result::kOk;
  Surface* s = MakeSurface(device, desc.caps, desc.width, desc.height, format, PlacementOf(desc.caps), true, &r);
  if (s == nullptr) return r;
  s->refs = 1;
  *out = s;
  return Result::kOk;
}

}  // namespace

Result CreateSurface(Device* device, const SurfaceDesc& desc, Surface** out) {
  if (device == nullptr || out == nullptr) return Result::kInvalidParams;
  *out = nullptr;
  if (device->released) return Result::kNoDevice;
  if (!device->initialized) return Result::kNotInitialized;
  Result r;
  if (TakeInjectedFailure(Operation::kCreateSurface, &r)) return r;
  if (device->level == 0) return Result::kNoCooperativeLevel;
  if (desc.caps & kCapsOverlay) return Result::kUnsupported;
  if ((desc.caps & kCapsVideoMemory) && (desc.caps & kCapsSystemMemory)) {
    return Result::kInvalidParams;
  }
  if (desc.caps & kCapsBackBuffer) return Result::kInvalidParams;
  if (desc.caps & kCapsPrimary) return CreatePrimary(device, desc, out);
  return CreateOffscreen(device, desc, out);
}

void AddSurfaceRef(Surface* surface) {
  if (surface != nullptr) ++surface->refs;
}

void ReleaseSurface(Surface* surface) {
  if (surface == nullptr || surface->refs <= 0) return;
  --surface->refs;
  for (Surface* m : ChainOf(surface)) {
    if (m->refs > 0) return;
  }
  Destroy(surface);
}

SurfaceInfo GetSurfaceInfo(const Surface* surface) {
  if (surface == nullptr) return {};
  return {surface->caps, surface->width, surface->height, surface->pitch, surface->format};
}

SurfaceSize GetSurfaceSize(const Surface* surface) {
  if (surface == nullptr) return {};
  return {surface->width, surface->height};
}

Result GetAttachedSurface(Surface* surface, uint32_t caps, Surface** out) {
  if (surface == nullptr || out == nullptr) return Result::kInvalidParams;
  *out = nullptr;
  std::vector<Surface*> candidates;
  if (surface->chain_head != nullptr) {
    const std::vector<Surface*>& chain = surface->chain_head->chain;
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
      if (chain[i] == surface) candidates.push_back(chain[i + 1]);
    }
  }
  candidates.insert(candidates.end(), surface->attached.begin(), surface->attached.end());
  for (Surface* c : candidates) {
    if ((c->caps & caps) == caps) {
      ++c->refs;
      *out = c;
      return Result::kOk;
    }
  }
  return Result::kNotFound;
}

Result EnumAttachedSurfaces(Surface* surface, const std::function<bool(Surface*)>& callback) {
  if (surface == nullptr || !callback) return Result::kInvalidParams;
  std::vector<Surface*> list;
  if (surface->chain_head != nullptr) {
    const std::vector<Surface*>& chain = surface->chain_head->chain;
    bool after = false;
    for (Surface* m : chain) {
      if (after) list.push_back(m);
      if (m == surface) after = true;
    }
  }
  list.insert(list.end(), surface->attached.begin(), surface->attached.end());
  for (Surface* s : list) {
    if (!callback(s)) break;
  }
  return Result::kOk;
}

Result AddAttachedSurface(Surface* surface, Surface* attached) {
  if (surface == nullptr || attached == nullptr || surface == attached || surface->device != attached->device) {
    return Result::kInvalidParams;
  }
  for (Surface* a : surface->attached) {
    if (a == attached) return Result::kAlreadyAttached;
  }
  surface->attached.push_back(attached);
  ++attached->refs;
  return Result::kOk;
}

Result DeleteAttachedSurface(Surface* surface, Surface* attached) {
  if (surface == nullptr || attached == nullptr) return Result::kInvalidParams;
  for (auto it = surface->attached.begin(); it != surface->attached.end(); ++it) {
    if (*it == attached) {
      surface->attached.erase(it);
      ReleaseSurface(attached);
      return Result::kOk;
    }
  }
  return Result::kNotFound;
}

}  // namespace plat::surface

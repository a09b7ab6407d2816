// Direct access to surface memory: locks, and device contexts for GDI-style copies.
#include <algorithm>

#include "platform/surface_copy.h"
#include "platform/surface_state.h"

namespace plat::surface {

Result Lock(Surface* surface, const Rect* rect, uint32_t /*flags*/, LockedRect* out) {
  if (surface == nullptr || out == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kLock, &r)) return r;
  if (r = UsableState(surface); r != Result::kOk) return r;
  Rect area{0, 0, surface->width, surface->height};
  if (rect != nullptr) {
    if (!RectInside(*rect, surface->width, surface->height)) return Result::kInvalidRect;
    area = *rect;
  }
  const int bpp = BytesPerPixel(surface->format);
  out->bits = surface->memory.data() + static_cast<ptrdiff_t>(area.top) * surface->pitch +
              static_cast<ptrdiff_t>(area.left) * bpp;
  out->pitch = surface->pitch;
  out->width = area.right - area.left;
  out->height = area.bottom - area.top;
  out->format = surface->format;
  surface->locked = true;
  ++g_counters.locks;
  return Result::kOk;
}

Result Unlock(Surface* surface) {
  if (surface == nullptr) return Result::kInvalidParams;
  if (!surface->locked) return Result::kNotLocked;
  surface->locked = false;
  return Result::kOk;
}

Result GetDC(Surface* surface, SurfaceDc* out) {
  if (surface == nullptr || out == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kGetDC, &r)) return r;
  if (r = UsableState(surface); r != Result::kOk) return r;
  out->surface = surface;
  out->bits = surface->memory.data();
  out->pitch = surface->pitch;
  out->width = surface->width;
  out->height = surface->height;
  out->format = surface->format;
  out->palette = surface->palette != nullptr ? surface->palette->entries.data() : nullptr;
  surface->dc_out = true;
  return Result::kOk;
}

Result ReleaseDC(Surface* surface) {
  if (surface == nullptr) return Result::kInvalidParams;
  if (!surface->dc_out) return Result::kNoDc;
  surface->dc_out = false;
  return Result::kOk;
}

Result CopyBetweenDcs(const SurfaceDc& dst, int x, int y, int w, int h, const SurfaceDc& src,
                      int sx, int sy) {
  if (dst.bits == nullptr || src.bits == nullptr) return Result::kInvalidParams;
  if ((dst.surface != nullptr && !dst.surface->dc_out) ||
      (src.surface != nullptr && !src.surface->dc_out)) {
    return Result::kNoDc;
  }
  if (!(dst.format == src.format)) return Result::kUnsupportedFormat;
  // Clipped against both surfaces, moving the other side along.
  if (sx < 0) { x -= sx; w += sx; sx = 0; }
  if (sy < 0) { y -= sy; h += sy; sy = 0; }
  if (x < 0) { sx -= x; w += x; x = 0; }
  if (y < 0) { sy -= y; h += y; y = 0; }
  w = std::min({w, src.width - sx, dst.width - x});
  h = std::min({h, src.height - sy, dst.height - y});
  if (w <= 0 || h <= 0) return Result::kOk;
  const int bpp = BytesPerPixel(dst.format);
  CopyPixels(dst.bits + static_cast<ptrdiff_t>(y) * dst.pitch + x * bpp, dst.pitch,
             src.bits + static_cast<ptrdiff_t>(sy) * src.pitch + sx * bpp, src.pitch, w, h, bpp,
             nullptr);
  ++g_counters.dc_copies;
  return Result::kOk;
}

}  // namespace plat::surface

// Clippers. Bound to a window, a clipper's region is the whole surface it is attached to:
// the stand-in has no overlapping windows to cut out.
#include "platform/surface/surface_state.h"

namespace plat::surface {

Result CreateClipper(Device* device, Clipper** out) {
  if (device == nullptr || out == nullptr) return Result::kInvalidParams;
  *out = nullptr;
  if (device->released) return Result::kNoDevice;
  if (!device->initialized) return Result::kNotInitialized;
  Result r;
  if (TakeInjectedFailure(Operation::kCreateClipper, &r)) return r;
  Clipper* c = g_clippers.Add();
  c->refs = 1;
  *out = c;
  return Result::kOk;
}

void ReleaseClipper(Clipper* clipper) { DropClipper(clipper); }

Result SetClipperWindow(Clipper* clipper, WindowRef window) {
  if (clipper == nullptr) return Result::kInvalidParams;
  clipper->window = window;
  return Result::kOk;
}

WindowRef GetClipperWindow(const Clipper* clipper) { return clipper != nullptr ? clipper->window : 0; }

Result SetClipper(Surface* surface, Clipper* clipper) {
  if (surface == nullptr) return Result::kInvalidParams;
  if (clipper == surface->clipper) return Result::kOk;
  if (clipper != nullptr) ++clipper->refs;
  DropClipper(surface->clipper);
  surface->clipper = clipper;
  return Result::kOk;
}

Clipper* GetClipper(const Surface* surface) { return surface != nullptr ? surface->clipper : nullptr; }

}  // namespace plat::surface

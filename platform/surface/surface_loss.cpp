// Lost surfaces: how they are lost (display-mode changes, the test hook), tested and
// brought back.
#include <algorithm>

#include "platform/surface/surface_state.h"

namespace plat::surface {
namespace {

void MarkChainLost(Surface* s) {
  for (Surface* m : ChainOf(s)) m->lost = true;
}

}  // namespace

void LoseDisplaySurfaces() {
  for (size_t i = 0; i < g_surfaces.size(); ++i) {
    Surface* s = g_surfaces.at(i);
    if ((s->caps & (kCapsPrimary | kCapsVideoMemory)) != 0 || s->chain_head != nullptr) {
      MarkChainLost(s);
    }
  }
}

Result IsLost(const Surface* surface) {
  if (surface == nullptr) return Result::kInvalidParams;
  return surface->lost ? Result::kSurfaceLost : Result::kOk;
}

Result Restore(Surface* surface) {
  if (surface == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kRestore, &r)) return r;
  if (surface->device->released) return Result::kNoDevice;
  std::vector<Surface*> chain = ChainOf(surface);
  for (Surface* m : chain) {
    if (m->locked || m->dc_out) return Result::kSurfaceBusy;
  }
  for (Surface* m : chain) {
    if (!m->lost) continue;
    std::fill(m->memory.begin(), m->memory.end(), uint8_t{0});
    m->lost = false;
  }
  return Result::kOk;
}

void MarkSurfaceLost(Surface* surface) {
  if (surface != nullptr) MarkChainLost(surface);
}

void MarkAllSurfacesLost() {
  for (size_t i = 0; i < g_surfaces.size(); ++i) g_surfaces.at(i)->lost = true;
}

}  // namespace plat::surface

// Palettes for 8-bit surfaces.
#include <algorithm>

#include "platform/surface/surface_state.h"

namespace plat::surface {
namespace {

bool RangeOk(int start, size_t count) { return start >= 0 && static_cast<size_t>(start) + count <= kPaletteSize; }

}  // namespace

Result CreatePalette(Device* device, std::span<const PaletteEntry, kPaletteSize> entries, Palette** out) {
  if (device == nullptr || out == nullptr) return Result::kInvalidParams;
  *out = nullptr;
  if (device->released) return Result::kNoDevice;
  if (!device->initialized) return Result::kNotInitialized;
  Result r;
  if (TakeInjectedFailure(Operation::kCreatePalette, &r)) return r;
  Palette* p = g_palettes.Add();
  std::copy(entries.begin(), entries.end(), p->entries.begin());
  p->refs = 1;
  *out = p;
  return Result::kOk;
}

void ReleasePalette(Palette* palette) { DropPalette(palette); }

Result SetPaletteEntries(Palette* palette, int start, std::span<const PaletteEntry> entries) {
  if (palette == nullptr || !RangeOk(start, entries.size())) return Result::kInvalidParams;
  std::copy(entries.begin(), entries.end(), palette->entries.begin() + start);
  return Result::kOk;
}

Result GetPaletteEntries(const Palette* palette, int start, std::span<PaletteEntry> out) {
  if (palette == nullptr || !RangeOk(start, out.size())) return Result::kInvalidParams;
  std::copy_n(palette->entries.begin() + start, out.size(), out.begin());
  return Result::kOk;
}

Result SetPalette(Surface* surface, Palette* palette) {
  if (surface == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kSetPalette, &r)) return r;
  if (palette != nullptr && !surface->format.palettised) return Result::kNotPalettised;
  if (palette == surface->palette) return Result::kOk;
  if (palette != nullptr) ++palette->refs;
  DropPalette(surface->palette);
  surface->palette = palette;
  return Result::kOk;
}

Palette* GetPalette(const Surface* surface) { return surface != nullptr ? surface->palette : nullptr; }

}  // namespace plat::surface

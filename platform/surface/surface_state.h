// Inside the surface module: the records behind the opaque handles of surface.h, the
// tables that own them, and helpers the module's files share. Not for callers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "platform/surface/surface.h"

namespace plat::surface {

// Surface memory starts on a cache line, so that rows whose pitch is a multiple of one are
// read and written in whole lines by the pixel loops' vectors.
template <class T>
struct CacheLineAllocator {
  using value_type = T;
  static constexpr std::align_val_t kAlignment{64};
  CacheLineAllocator() = default;
  template <class U>
  CacheLineAllocator(const CacheLineAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlignment)); }
  void deallocate(T* p, size_t) { ::operator delete(p, kAlignment); }
  friend bool operator==(const CacheLineAllocator&, const CacheLineAllocator&) { return true; }
};

using SurfaceMemory = std::vector<uint8_t, CacheLineAllocator<uint8_t>>;

struct Device {
  size_t slot = 0;             // place in the device table
  bool initialized = false;    // InitializeDevice ran
  bool released = false;       // ReleaseDevice ran; kept while surfaces remain
  uint32_t level = 0;          // cooperative level, 0 until set
  WindowRef window = 0;        // window given with the level
  bool exclusive = false;      // holds the display (full screen, exclusive)
  bool mode_set = false;       // this device changed the display mode
  int surfaces = 0;            // surfaces made on it that still exist
  Surface* primary = nullptr;  // its primary, if any
};

struct Surface {
  size_t slot = 0;  // place in the surface table
  Device* device = nullptr;
  uint32_t caps = 0;  // as reported: placement and back-buffer bits included
  int width = 0;
  int height = 0;
  int32_t pitch = 0;
  PixelFormat format{};
  SurfaceMemory memory;      // pitch x height bytes; swapped along the chain by Flip
  uint64_t video_bytes = 0;  // video memory taken for it
  bool lost = false;
  bool locked = false;
  bool dc_out = false;
  bool has_key = false;
  ColorKey key{};
  Palette* palette = nullptr;      // holds a reference
  Clipper* clipper = nullptr;      // holds a reference
  Surface* chain_head = nullptr;   // the primary of its flip chain; null outside chains
  std::vector<Surface*> chain;     // head only: the members, front first
  std::vector<Surface*> attached;  // attached by AddAttachedSurface, a reference each
  int refs = 0;
};

struct Palette {
  size_t slot = 0;
  std::array<PaletteEntry, kPaletteSize> entries{};
  int refs = 0;
};

struct Clipper {
  size_t slot = 0;
  WindowRef window = 0;
  int refs = 0;
};

// A table of records owned by the module; a record's slot is its index, and removal moves
// the last record into the gap, so both are constant time.
template <typename T>
class Table {
 public:
  T* Add() {
    items_.push_back(std::make_unique<T>());
    items_.back()->slot = items_.size() - 1;
    return items_.back().get();
  }
  void Remove(T* item) {
    size_t slot = item->slot;
    if (slot + 1 != items_.size()) {
      items_[slot] = std::move(items_.back());
      items_[slot]->slot = slot;
    }
    items_.pop_back();
  }
  size_t size() const { return items_.size(); }
  T* at(size_t i) const { return items_[i].get(); }
  void clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<T>> items_;
};

struct InjectedFailure {
  Result result = Result::kOk;
  int times = 0;  // -1: every call
};

// The module's state; each table is owned by surface_state.cpp.
extern Table<Device> g_devices;    // every device not yet freed
extern Table<Surface> g_surfaces;  // every surface, back buffers included
extern Table<Palette> g_palettes;  // every palette
extern Table<Clipper> g_clippers;  // every clipper
extern std::array<InjectedFailure, static_cast<size_t>(Operation::kCount)> g_failures;
extern Counters g_counters;

// True (and the failure taken) when a failure of op was injected.
inline bool TakeInjectedFailure(Operation op, Result* result) {
  InjectedFailure& f = g_failures[static_cast<size_t>(op)];
  if (f.times == 0) return false;
  if (f.times > 0) --f.times;
  *result = f.result;
  return true;
}

// kSurfaceLost, kSurfaceBusy or kOk, in that order of precedence.
inline Result UsableState(const Surface* s) {
  if (s->lost) return Result::kSurfaceLost;
  if (s->locked || s->dc_out) return Result::kSurfaceBusy;
  return Result::kOk;
}

// The surface with all members of its chain.
std::vector<Surface*> ChainOf(Surface* s);

// Frees the device record once it is released and has no surfaces left.
void FreeDeviceIfDone(Device* device);

// Drops one reference of a palette or clipper, freeing it at 0.
void DropPalette(Palette* p);
void DropClipper(Clipper* c);

// What a display-mode change does to surfaces: every primary (with its chain) and every
// surface in video memory is lost.
void LoseDisplaySurfaces();

// Shows the primary after a flip or a blit onto it; view is in primary coordinates.
void PresentPrimary(const Surface* primary, const Rect& view);

// Whether r is a non-empty rectangle inside a w x h surface.
inline bool RectInside(const Rect& r, int w, int h) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= w && r.bottom <= h;
}

}  // namespace plat::surface

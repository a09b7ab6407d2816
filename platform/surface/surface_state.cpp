// The surface module's tables, its test hooks (failures, counters, reset) and the helpers
// its files share.
#include "platform/surface/surface_state.h"

#include "platform/surface/display.h"
#include "platform/surface/presentation.h"

namespace plat::surface {

Table<Device> g_devices;                                                         // every device not yet freed
Table<Surface> g_surfaces;                                                       // every surface, back buffers included
Table<Palette> g_palettes;                                                       // every palette
Table<Clipper> g_clippers;                                                       // every clipper
std::array<InjectedFailure, static_cast<size_t>(Operation::kCount)> g_failures;  // by operation
Counters g_counters;                                                             // calls seen since the last reset

std::vector<Surface*> ChainOf(Surface* s) {
  if (s->chain_head == nullptr) return {s};
  return s->chain_head->chain;
}

void FreeDeviceIfDone(Device* device) {
  if (device->released && device->surfaces == 0) g_devices.Remove(device);
}

void DropPalette(Palette* p) {
  if (p != nullptr && --p->refs <= 0) g_palettes.Remove(p);
}

void DropClipper(Clipper* c) {
  if (c != nullptr && --c->refs <= 0) g_clippers.Remove(c);
}

void PresentPrimary(const Surface* primary, const Rect& view) {
  presentation::Picture picture;
  picture.pixels = primary->memory.data();
  picture.pitch = primary->pitch;
  picture.width = primary->width;
  picture.height = primary->height;
  picture.format = primary->format;
  picture.palette = primary->palette != nullptr ? primary->palette->entries.data() : nullptr;
  picture.view_x = view.left;
  picture.view_y = view.top;
  picture.view_width = view.right - view.left;
  picture.view_height = view.bottom - view.top;
  picture.full_screen = primary->device->exclusive;
  presentation::PresentPicture(picture);
}

void InjectFailure(Operation op, Result result, int times) { g_failures[static_cast<size_t>(op)] = {result, times}; }

void ClearInjectedFailures() { g_failures.fill({}); }

Counters GetCounters() { return g_counters; }

int LiveDeviceCount() {
  int n = 0;
  for (size_t i = 0; i < g_devices.size(); ++i) n += g_devices.at(i)->released ? 0 : 1;
  return n;
}

int LiveSurfaceCount() { return static_cast<int>(g_surfaces.size()); }

void ResetSurfaces() {
  for (size_t i = 0; i < g_surfaces.size(); ++i) {
    display::ReturnVideoMemory(g_surfaces.at(i)->video_bytes);
  }
  for (size_t i = 0; i < g_devices.size(); ++i) {
    if (g_devices.at(i)->mode_set) display::RestoreDesktop();
  }
  g_surfaces.clear();
  g_devices.clear();
  g_palettes.clear();
  g_clippers.clear();
  ClearInjectedFailures();
  g_counters = Counters{};
}

}  // namespace plat::surface

// Region objects: unions of rectangles, kept in a fixed table.
#include <array>

#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

struct RegionRecord {
  bool used = false;
  std::vector<Rect> rects;  // in the order they were added
};

std::array<RegionRecord, kMaxRegions> g_regions;  // handle = index + 1

RegionRecord* Find(RegionHandle region) {
  if (region == 0 || region > g_regions.size()) return nullptr;
  RegionRecord& r = g_regions[region - 1];
  return r.used ? &r : nullptr;
}

}  // namespace

namespace internal {

void ResetRegions() {
  for (RegionRecord& r : g_regions) r = RegionRecord{};
}

}  // namespace internal

RegionHandle CreateRegion() {
  for (size_t i = 0; i < g_regions.size(); ++i) {
    if (!g_regions[i].used) {
      g_regions[i].used = true;
      g_regions[i].rects.clear();
      return static_cast<RegionHandle>(i + 1);
    }
  }
  return 0;
}

bool AddRegionRect(RegionHandle region, const Rect& rect) {
  RegionRecord* r = Find(region);
  if (r == nullptr) return false;
  if (rect.right > rect.left && rect.bottom > rect.top) r->rects.push_back(rect);
  return true;
}

bool DeleteRegion(RegionHandle region) {
  RegionRecord* r = Find(region);
  if (r == nullptr) return false;
  *r = RegionRecord{};
  return true;
}

std::vector<Rect> RegionRects(RegionHandle region) {
  RegionRecord* r = Find(region);
  return r != nullptr ? r->rects : std::vector<Rect>{};
}

}  // namespace plat::window

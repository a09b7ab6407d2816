#include "vexal/app/window/window_region.h"

#include <cstdlib>

#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/pictures/dib_section.h"

namespace vexal {

namespace pw = plat::window;

int SetWindowRegionGraph(const char* file) {
  if (file == nullptr) {
    if (AppState.WindowRegion != 0) {
      pw::DeleteRegion(AppState.WindowRegion);
      AppState.WindowRegion = 0;
    }
    return 0;
  }
  DibHandle dib = CreateDIBGraph(file, nullptr, 0, 0, 0, nullptr);
  if (dib == nullptr) return -1;
  DibSection info;
  GetDibSectionInfo(dib, &info);
  int32_t bytes = info.bits_per_pixel / 8;
  int32_t pitch = (info.width * bytes + 3) & ~3;
  pw::RegionHandle region = BuildRegionFromImage(info.width, std::abs(info.height), info.pixels, pitch, bytes);
  // The bitmap is only the region's pattern.
  DeleteDibSection(dib);
  if (region == 0) return -1;
  if (AppState.WindowRegion != 0) pw::DeleteRegion(AppState.WindowRegion);
  AppState.WindowRegion = region;
  if (AppState.MainWindow != 0) pw::SetWindowRegion(AppState.MainWindow, region, true);
  return 0;
}

pw::RegionHandle BuildRegionFromImage(int32_t width, int32_t height, const uint8_t* pixels, int32_t pitch,
                                      int32_t bytes_per_pixel) {
  if (width < 0 || height < 0 || bytes_per_pixel < 1 || bytes_per_pixel > 4 ||
      (pixels == nullptr && width > 0 && height > 0) || (height > 1 && pitch < width * bytes_per_pixel)) {
    return 0;
  }
  pw::RegionHandle region = pw::CreateRegion();
  if (region == 0) return 0;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels + static_cast<ptrdiff_t>(y) * pitch;
    int32_t run_start = -1;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = row + static_cast<ptrdiff_t>(x) * bytes_per_pixel;
      bool opaque = false;
      for (int32_t b = 0; b < bytes_per_pixel; ++b) opaque = opaque || p[b] != 0;
      if (opaque && run_start < 0) run_start = x;
      if (!opaque && run_start >= 0) {
        pw::AddRegionRect(region, pw::Rect{run_start, y, x, y + 1});
        run_start = -1;
      }
    }
    if (run_start >= 0) pw::AddRegionRect(region, pw::Rect{run_start, y, width, y + 1});
  }
  return region;
}

int PaintWindowBackground(void*) { return 0; }

}  // namespace vexal

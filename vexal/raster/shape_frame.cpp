// The shapes' shared frame: destination, colour, clip, read-back and locks.
#include "vexal/raster/shape_frame.h"

#include <algorithm>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_present.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr int kPaletteBits = 8;
constexpr int kFullLevel = 255;

int Brighten(int channel, uint32_t level) { return channel * static_cast<int>(level & 0xFF) / kFullLevel; }

}  // namespace

ps::Surface* ShapeDestination(bool* is_mask) {
  ps::Surface* mask = GetMaskSurface();
  *is_mask = DrawState.MaskedDrawing != 0 && mask != nullptr;
  return *is_mask ? mask : GetDrawSurface();
}

uint32_t PrepareShapeColor(uint32_t color) {
  int red = 0, green = 0, blue = 0;
  GetColorRGB(color, &red, &green, &blue);
  const uint32_t bright = DrawState.Bright;  // 0xFF, red, green, blue from the low end
  return MakeColorValue(Brighten(red, bright >> 8), Brighten(green, bright >> 16), Brighten(blue, bright >> 24));
}

bool ScreenShapeFormat(ShapeFormat* out) {
  return DescribeShapeFormat(GetScreenColorBits(), *GetPixelFormatPtr(), out);
}

Rect ShapeClipArea(ps::Surface* dest) {
  Rect area = DrawState.DrawArea;
  if (dest == nullptr) return {0, 0, 0, 0};
  const ps::SurfaceInfo info = ps::GetSurfaceInfo(dest);
  const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
  area.left = std::max(area.left, -ox);
  area.top = std::max(area.top, -oy);
  area.right = std::min(area.right, info.width - ox);
  area.bottom = std::min(area.bottom, info.height - oy);
  return area;
}

bool ShapeNeedsReadBack(bool dest_is_mask) {
  if (DrawState.BlendMode == 0 || GetScreenColorBits() == kPaletteBits) return false;
  return DrawState.TargetInVideoMemory != 0 || (dest_is_mask && DrawState.MaskInVideoMemory != 0);
}

ShapeLock::ShapeLock(ps::Surface* dest, uint32_t lock_flags, bool read_back, const Rect& box, const char* dest_failed,
                     const char* source_failed)
    : dest_(dest) {
  ps::Surface* work = DDrawState.Work1;
  if (read_back && work != nullptr && box.left >= 0 && box.top >= 0) {
    const ps::SurfaceInfo info = ps::GetSurfaceInfo(work);
    if (box.right <= info.width && box.bottom <= info.height) work_ = work;
  }
  if (work_ != nullptr) {
    const int ox = DrawState.TargetRect.left, oy = DrawState.TargetRect.top;
    const ps::Rect moved{box.left + ox, box.top + oy, box.right + ox, box.bottom + oy};
    BltToScreenDC(work_, dest, box.left, box.top, &moved);
  }
  ps::LockedRect d;
  if (ps::Lock(dest, nullptr, lock_flags, &d) != ps::Result::kOk) FatalErrorExit(dest_failed);
  canvas_.bytes = d.format.bit_count / 8;
  canvas_.dest_pitch = d.pitch;
  canvas_.dest = d.bits + DrawState.TargetRect.top * static_cast<ptrdiff_t>(d.pitch) +
                 static_cast<ptrdiff_t>(DrawState.TargetRect.left) * canvas_.bytes;
  canvas_.src = canvas_.dest;
  canvas_.src_pitch = canvas_.dest_pitch;
  if (work_ != nullptr) {
    ps::LockedRect w;
    if (ps::Lock(work_, nullptr, ps::kLockWait, &w) != ps::Result::kOk) {
      ps::Unlock(dest);
      FatalErrorExit(source_failed);
    }
    canvas_.src = w.bits;
    canvas_.src_pitch = w.pitch;
  }
}

ShapeLock::~ShapeLock() {
  ps::Unlock(dest_);
  if (work_ != nullptr) ps::Unlock(work_);
}

}  // namespace vexal

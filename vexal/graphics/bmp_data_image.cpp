// Putting a picture into a BMP data record's surface and alpha plane.
#include <algorithm>

#include "vexal/app/fatal_exit.h"
#include "vexal/d3d/convert_image_format.h"
#include "vexal/graphics/bmp_data_table.h"
#include "vexal/graphics/color_value.h"
#include "vexal/graphics/ddraw_state.h"
#include "vexal/graphics/graph_image.h"
#include "vexal/graphics/graphics_seam.h"
#include "vexal/graphics/screen_access.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr uint8_t kOpaqueAlpha = 0xFF;

// One alpha byte per pixel: every channel names the same byte, so only alpha is left
// after an alpha-only conversion.
ColorFormatRecord AlphaPlaneFormat() {
  ColorFormatRecord f{};
  f.ColorBits = 8;
  f.BytesPerPixel = 1;
  f.RedWidth = f.GreenWidth = f.BlueWidth = f.AlphaWidth = 8;
  f.RedMask = f.GreenMask = f.BlueMask = f.AlphaMask = 0xFF;
  return f;
}

void FillAlpha(BmpDataRecord* r) {
  for (int y = 0; y < r->Height; ++y) {
    std::fill_n(r->AlphaPlane.get() + static_cast<size_t>(r->Y + y) * r->AlphaPitch + r->X, r->Width, kOpaqueAlpha);
  }
}

// The record's colour key set on its surface again. 0.
int SetKey(const BmpDataRecord* r) {
  if (r->ColorKey == -1) return 0;
  const uint32_t key = static_cast<uint32_t>(r->ColorKey);
  const uint32_t value = MakeColorValue((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF);
  const ps::ColorKey color_key{value, value};
  ps::SetColorKey(r->Surface, &color_key);
  return 0;
}

void PutAlpha(BmpDataRecord* r, const GraphImage& picture, const GraphImage* alpha, const Rect& src, int dx, int dy) {
  const ColorFormatRecord plane = AlphaPlaneFormat();
  if (picture.ColorFormat.AlphaMask != 0) {
    ConvertImageFormat(r->AlphaPlane.get(), r->AlphaPitch, &plane, picture.Pixels, picture.Pitch,
                       &picture.ColorFormat, nullptr, 0, nullptr, dx, dy, &src, 0, 0, 0, 0, 1);
  } else if (alpha != nullptr && alpha->Width >= src.right && alpha->Height >= src.bottom) {
    // The alpha picture's red channel read as alpha.
    ColorFormatRecord as_alpha = alpha->ColorFormat;
    as_alpha.AlphaWidth = as_alpha.RedWidth;
    as_alpha.AlphaShift = as_alpha.RedShift;
    as_alpha.AlphaMask = as_alpha.RedMask;
    ConvertImageFormat(r->AlphaPlane.get(), r->AlphaPitch, &plane, alpha->Pixels, alpha->Pitch, &as_alpha, nullptr,
                       0, nullptr, dx, dy, &src, 0, 0, 0, 0, 1);
  } else {
    FillAlpha(r);
  }
}

// A bitmap seen as a picture: rows top-down, each stride rounded up to 4 bytes.
struct BitmapView {
  int width = 0, height = 0;
  int32_t stride = 0;
  const uint8_t* pixels = nullptr;
  bool bottom_up = false;
  const uint8_t* Row(int y) const {
    return pixels + static_cast<ptrdiff_t>(bottom_up ? height - 1 - y : y) * stride;
  }
};

bool ViewBitmap(const void* bitmap, int bits, BitmapView* out) {
  DibSection dib;
  if (bitmap == nullptr || GetDibSectionInfo(static_cast<DibHandle>(bitmap), &dib) != 0 || dib.pixels == nullptr) {
    return false;
  }
  out->width = dib.width;
  out->height = dib.height < 0 ? -dib.height : dib.height;
  out->bottom_up = dib.height > 0;
  out->stride = (dib.width * bits / 8 + 3) & ~3;
  out->pixels = dib.pixels;
  return true;
}

// Kind 1: the bitmap in the given format, one row at a time (bitmap rows may run bottom-up);
// the alpha plane from the blue byte of the 24-bit alpha bitmap, else opaque.
int BitmapToRecord(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int source_x,
                   int source_y, BmpDataRecord* r, const ps::LockedRect& locked) {
  BitmapView view;
  if (format == nullptr || !ViewBitmap(bitmap, format->ColorBits, &view)) return -1;
  const int left = std::max(source_x, 0), top = std::max(source_y, 0);
  const int right = std::min(source_x + r->Width, view.width), bottom = std::min(source_y + r->Height, view.height);
  for (int y = top; y < bottom; ++y) {
    const Rect row{left, 0, right, 1};
    ConvertImageFormat(locked.bits, locked.pitch, &DDrawState.Screen.Format, view.Row(y), view.stride, format,
                       nullptr, 0, nullptr, r->X + left - source_x, r->Y + y - source_y, &row, 0, 0, 0, 0, 0);
  }
  if (r->AlphaPlane == nullptr) return 0;
  FillAlpha(r);
  BitmapView alpha;
  if (!ViewBitmap(alpha_bitmap, 24, &alpha)) return 0;
  for (int y = top; y < std::min(bottom, alpha.height); ++y) {
    uint8_t* plane = r->AlphaPlane.get() + static_cast<size_t>(r->Y + y - source_y) * r->AlphaPitch + r->X - source_x;
    for (int x = left; x < std::min(right, alpha.width); ++x) plane[x] = alpha.Row(y)[x * 3];
  }
  return 0;
}

}  // namespace

int GraphImageToBmpData(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int source_x,
                        int source_y, int index, int kind, const GraphImage* picture, const GraphImage* alpha) {
  if (GetDirectDrawObject() == nullptr) return -1;
  if (GetGraphSuspendFlag() != 0) return 0;
  BmpDataRecord* r = GetBmpData(index);
  if (r == nullptr || r->Surface == nullptr || GetScreenColorBits() == 8) return -1;
  if (kind == 1) {
    ps::LockedRect locked;
    if (ps::Lock(r->Surface, nullptr, ps::kLockWait | ps::kLockWriteOnly, &locked) != ps::Result::kOk) {
      FatalErrorExit("ＢＭＰサーフェスのロックに失敗しました");
    }
    const int result = BitmapToRecord(format, bitmap, alpha_bitmap, source_x, source_y, r, locked);
    ps::Unlock(r->Surface);
    if (result != 0) return -1;
    return SetKey(r);
  }
  if (picture == nullptr) return -1;

  // Only the part of the record's rectangle that the picture covers is copied.
  const Rect src{std::max(source_x, 0), std::max(source_y, 0), std::min(source_x + r->Width, picture->Width),
                 std::min(source_y + r->Height, picture->Height)};
  const int dx = r->X + (src.left - source_x);
  const int dy = r->Y + (src.top - source_y);
  ps::LockedRect locked;
  if (ps::Lock(r->Surface, nullptr, ps::kLockWait | ps::kLockWriteOnly, &locked) != ps::Result::kOk) {
    FatalErrorExit("ＢＭＰサーフェスのロックに失敗しました");
  }
  if (src.left < src.right && src.top < src.bottom) {
    ConvertImageFormat(locked.bits, locked.pitch, &DDrawState.Screen.Format, picture->Pixels, picture->Pitch,
                       &picture->ColorFormat, nullptr, 0, nullptr, dx, dy, &src, 0, 0, 0, 0, 0);
  }
  ps::Unlock(r->Surface);

  if (r->AlphaPlane != nullptr) {
    if (src.left < src.right && src.top < src.bottom) {
      PutAlpha(r, *picture, alpha, src, dx, dy);
    } else {
      FillAlpha(r);
    }
  }

  return SetKey(r);
}

}  // namespace vexal

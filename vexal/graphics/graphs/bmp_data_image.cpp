// Putting a picture into a BMP data record's surface and alpha plane.
#include <algorithm>
#include <vector>

#include "vexal/app/fatal_exit.h"
#include "vexal/d3d/convert_image_format.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/pictures/graph_image.h"
#include "vexal/graphics/drawing/graphics_seam.h"
#include "vexal/graphics/screen/screen_access.h"

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
  const uint32_t value =
      GetScreenColorBits() == 8 ? 0 : MakeColorValue((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF);
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

// Where the record's pixels go: its top-left at (x, y) of bits in format.
struct PixelTarget {
  uint8_t* bits;
  int32_t pitch;
  const ColorFormatRecord* format;
  int x, y;
};

// The part of the record's rectangle that a w x h source covers, in source coordinates.
Rect Covered(const BmpDataRecord* r, int source_x, int source_y, int w, int h) {
  return Rect{std::max(source_x, 0), std::max(source_y, 0), std::min(source_x + r->Width, w),
              std::min(source_y + r->Height, h)};
}

bool IsEmpty(const Rect& a) { return a.left >= a.right || a.top >= a.bottom; }

// Kind 1: the bitmap in the given format, one row at a time (bitmap rows may run bottom-up);
// the alpha plane from the blue byte of the 24-bit alpha bitmap, else opaque.
int BitmapToRecord(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int source_x,
                   int source_y, BmpDataRecord* r, const PixelTarget& t, Rect* covered) {
  BitmapView view;
  if (format == nullptr || !ViewBitmap(bitmap, format->ColorBits, &view)) return -1;
  const Rect c = Covered(r, source_x, source_y, view.width, view.height);
  *covered = c;
  for (int y = c.top; y < c.bottom; ++y) {
    const Rect row{c.left, 0, c.right, 1};
    ConvertImageFormat(t.bits, t.pitch, t.format, view.Row(y), view.stride, format, nullptr, 0, nullptr,
                       t.x + c.left - source_x, t.y + y - source_y, &row, 0, 0, 0, 0, 0);
  }
  if (r->AlphaPlane == nullptr) return 0;
  FillAlpha(r);
  BitmapView alpha;
  if (!ViewBitmap(alpha_bitmap, 24, &alpha)) return 0;
  for (int y = c.top; y < std::min(c.bottom, alpha.height); ++y) {
    uint8_t* plane = r->AlphaPlane.get() + static_cast<size_t>(r->Y + y - source_y) * r->AlphaPitch + r->X - source_x;
    for (int x = c.left; x < std::min(c.right, alpha.width); ++x) plane[x] = alpha.Row(y)[x * 3];
  }
  return 0;
}

// Kind 0: the picture in its own format, its alpha plane as PutAlpha makes it.
int PictureToRecord(const GraphImage* picture, const GraphImage* alpha, int source_x, int source_y,
                    BmpDataRecord* r, const PixelTarget& t, Rect* covered) {
  if (picture == nullptr) return -1;
  const Rect c = Covered(r, source_x, source_y, picture->Width, picture->Height);
  *covered = c;
  if (!IsEmpty(c)) {
    ConvertImageFormat(t.bits, t.pitch, t.format, picture->Pixels, picture->Pitch, &picture->ColorFormat, nullptr, 0,
                       nullptr, t.x + c.left - source_x, t.y + c.top - source_y, &c, 0, 0, 0, 0, 0);
  }
  if (r->AlphaPlane != nullptr) {
    if (IsEmpty(c)) {
      FillAlpha(r);
    } else {
      PutAlpha(r, *picture, alpha, c, r->X + c.left - source_x, r->Y + c.top - source_y);
    }
  }
  return 0;
}

}  // namespace

int GraphImageToBmpData(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int source_x,
                        int source_y, int index, int kind, const GraphImage* picture, const GraphImage* alpha) {
  if (GetDirectDrawObject() == nullptr) return -1;
  if (GetGraphSuspendFlag() != 0) return 0;
  BmpDataRecord* r = GetBmpData(index);
  if (r == nullptr || r->Surface == nullptr) return -1;
  ps::LockedRect locked;
  if (ps::Lock(r->Surface, nullptr, ps::kLockWait | ps::kLockWriteOnly, &locked) != ps::Result::kOk) {
    FatalErrorExit("ＢＭＰサーフェスのロックに失敗しました");
  }
  // An 8-bit screen takes the nearest palette entry of each pixel, by way of 24 bits.
  const bool palette = GetScreenColorBits() == 8;
  ColorFormatRecord rgb_format;
  SetPixelFormat24(&rgb_format);
  std::vector<uint8_t> rgb;
  PixelTarget target{locked.bits, locked.pitch, &DDrawState.Screen.Format, r->X, r->Y};
  if (palette) {
    rgb.assign(static_cast<size_t>(r->Width) * r->Height * 3, 0);
    target = PixelTarget{rgb.data(), r->Width * 3, &rgb_format, 0, 0};
  }
  Rect covered{};
  const int result = kind == 1
                         ? BitmapToRecord(format, bitmap, alpha_bitmap, source_x, source_y, r, target, &covered)
                         : PictureToRecord(picture, alpha, source_x, source_y, r, target, &covered);
  if (palette && result == 0) {
    for (int y = covered.top - source_y; y < covered.bottom - source_y; ++y) {
      for (int x = covered.left - source_x; x < covered.right - source_x; ++x) {
        const uint8_t* p = rgb.data() + (static_cast<size_t>(y) * r->Width + x) * 3;
        locked.bits[static_cast<size_t>(r->Y + y) * locked.pitch + r->X + x] =
            static_cast<uint8_t>(GetColorMatch8(&DDrawState.Screen.Format, p[2], p[1], p[0]));
      }
    }
  }
  ps::Unlock(r->Surface);
  if (result != 0) return -1;
  return SetKey(r);
}

}  // namespace vexal

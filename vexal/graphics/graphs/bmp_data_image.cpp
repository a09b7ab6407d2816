// Putting a picture into a BMP data record's surface and alpha plane.
#include <algorithm>
#include <cstdlib>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/d3d/convert_image_format.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/bmp_data_record.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/pictures/dib_image.h"
#include "vexal/graphics/pictures/dib_section.h"
#include "vexal/graphics/pictures/graph_image.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
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
    ConvertImageFormat(r->AlphaPlane.get(), r->AlphaPitch, &plane, picture.Pixels, picture.Pitch, &picture.ColorFormat,
                       nullptr, 0, nullptr, dx, dy, &src, 0, 0, 0, 0, 1);
  } else if (alpha != nullptr && alpha->Width >= src.right && alpha->Height >= src.bottom) {
    // The alpha picture's red channel read as alpha.
    ColorFormatRecord as_alpha = alpha->ColorFormat;
    as_alpha.AlphaWidth = as_alpha.RedWidth;
    as_alpha.AlphaShift = as_alpha.RedShift;
    as_alpha.AlphaMask = as_alpha.RedMask;
    ConvertImageFormat(r->AlphaPlane.get(), r->AlphaPitch, &plane, alpha->Pixels, alpha->Pitch, &as_alpha, nullptr, 0,
                       nullptr, dx, dy, &src, 0, 0, 0, 0, 1);
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
  const uint8_t* Row(int y) const { return pixels + static_cast<ptrdiff_t>(bottom_up ? height - 1 - y : y) * stride; }
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

// Kind 1: the bitmap in the given format, one row at a time (bitmap rows may run bottom-up).
void BitmapPixelsToRecord(const ColorFormatRecord* format, const BitmapView& view, const Rect& c, int source_x,
                          int source_y, const PixelTarget& t) {
  for (int y = c.top; y < c.bottom; ++y) {
    const Rect row{c.left, 0, c.right, 1};
    ConvertImageFormat(t.bits, t.pitch, t.format, view.Row(y), view.stride, format, nullptr, 0, nullptr,
                       t.x + c.left - source_x, t.y + y - source_y, &row, 0, 0, 0, 0, 0);
  }
}

// Kind 1's alpha plane: the blue byte of the 24-bit alpha bitmap, else opaque.
void BitmapAlphaToRecord(const void* alpha_bitmap, const Rect& c, int source_x, int source_y, BmpDataRecord* r) {
  FillAlpha(r);
  BitmapView alpha;
  if (!ViewBitmap(alpha_bitmap, 24, &alpha)) return;
  for (int y = c.top; y < std::min(c.bottom, alpha.height); ++y) {
    uint8_t* plane = r->AlphaPlane.get() + static_cast<size_t>(r->Y + y - source_y) * r->AlphaPitch + r->X - source_x;
    for (int x = c.left; x < std::min(c.right, alpha.width); ++x) plane[x] = alpha.Row(y)[x * 3];
  }
}

// What one call puts into a record: the picture or the bitmap, and the part of the
// record's rectangle it covers, in source coordinates.
struct Source {
  int kind = 0;
  const ColorFormatRecord* format = nullptr;  // kind 1
  BitmapView view;                            // kind 1
  const GraphImage* picture = nullptr;        // kind 0
  int x = 0, y = 0;
  Rect covered{};
};

// The pixels through the surface's memory, converted to the screen's format.
void PixelsByLock(BmpDataRecord* r, const Source& s) {
  ps::LockedRect locked;
  if (ps::Lock(r->Surface, nullptr, ps::kLockWait | ps::kLockWriteOnly, &locked) != ps::Result::kOk) {
    FatalErrorExit("ＢＭＰサーフェスのロックに失敗しました");
  }
  const PixelTarget t{locked.bits, locked.pitch, &DDrawState.Screen.Format, r->X, r->Y};
  if (s.kind == 1) {
    BitmapPixelsToRecord(s.format, s.view, s.covered, s.x, s.y, t);
  } else if (!IsEmpty(s.covered)) {
    const GraphImage& p = *s.picture;
    ConvertImageFormat(t.bits, t.pitch, t.format, p.Pixels, p.Pitch, &p.ColorFormat, nullptr, 0, nullptr,
                       t.x + s.covered.left - s.x, t.y + s.covered.top - s.y, &s.covered, 0, 0, 0, 0, 0);
  }
  ps::Unlock(r->Surface);
}

// A bitmap's rows as a memory device context holding it.
ps::SurfaceDc BitmapDc(const BitmapView& view, const ColorFormatRecord& format) {
  ps::SurfaceDc dc;
  dc.bits = const_cast<uint8_t*>(view.Row(0));
  dc.pitch = view.bottom_up ? -view.stride : view.stride;
  dc.width = view.width;
  dc.height = view.height;
  dc.format = plat::PixelFormat{format.ColorBits, false, format.RedMask, format.GreenMask, format.BlueMask, 0, 0};
  return dc;
}

// An 8-bit screen: the picture as a 24-bit bitmap copied onto the surface's device context,
// which matches every colour to the palette.
void PixelsThroughDc(BmpDataRecord* r, const Source& s) {
  ColorFormatRecord rgb_format;
  SetPixelFormat24(&rgb_format);
  DibHandle made = nullptr;
  BitmapView view = s.view;
  const ColorFormatRecord* format = s.format;
  if (s.kind != 1) {
    BitmapInfo info;
    uint8_t* bits = nullptr;
    const int copied = GraphImageToDib(s.picture, &info, &bits, 0);
    if (copied == -1) FatalErrorExit("GraphImage を BMP に変換する処理が失敗しました");
    made = CreateDIBInFormat(&info, bits, 0, &rgb_format);
    if (copied == 1) std::free(bits);
    if (made == nullptr) FatalErrorExit("ＢＭＰデータからＢＭＰハンドルを作成する処理が失敗しました");
    ViewBitmap(made, 24, &view);
    format = &rgb_format;
  }
  ps::SurfaceDc surface_dc;
  if (ps::GetDC(r->Surface, &surface_dc) == ps::Result::kOk) {
    ps::CopyBetweenDcs(surface_dc, r->X, r->Y, r->Width, r->Height, BitmapDc(view, *format), s.x, s.y);
    ps::ReleaseDC(r->Surface);
  }
  if (made != nullptr) DeleteDibSection(made);
}

}  // namespace

int GraphImageToBmpData(const ColorFormatRecord* format, const void* bitmap, const void* alpha_bitmap, int source_x,
                        int source_y, int index, int kind, const GraphImage* picture, const GraphImage* alpha) {
  if (GetDirectDrawObject() == nullptr) return -1;
  if (GetGraphSuspendFlag() != 0) return 0;
  BmpDataRecord* r = GetBmpData(index);
  if (r == nullptr || r->Surface == nullptr) return -1;
  Source s;
  s.kind = kind == 1 ? 1 : 0;
  s.x = source_x;
  s.y = source_y;
  if (s.kind == 1) {
    if (format == nullptr || !ViewBitmap(bitmap, format->ColorBits, &s.view)) return -1;
    s.format = format;
    s.covered = Covered(r, source_x, source_y, s.view.width, s.view.height);
  } else {
    if (picture == nullptr) return -1;
    s.picture = picture;
    s.covered = Covered(r, source_x, source_y, picture->Width, picture->Height);
  }
  if (GetScreenColorBits() == 8) {
    PixelsThroughDc(r, s);
  } else {
    PixelsByLock(r, s);
  }
  if (r->AlphaPlane != nullptr) {
    if (s.kind == 1) {
      BitmapAlphaToRecord(alpha_bitmap, s.covered, source_x, source_y, r);
    } else if (IsEmpty(s.covered)) {
      FillAlpha(r);
    } else {
      PutAlpha(r, *picture, alpha, s.covered, r->X + s.covered.left - source_x, r->Y + s.covered.top - source_y);
    }
  }
  return SetKey(r);
}

}  // namespace vexal

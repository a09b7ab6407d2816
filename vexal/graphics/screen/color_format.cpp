#include "vexal/graphics/screen/color_format.h"

#include <bit>

#include "vexal/graphics/screen/ddraw_state.h"

namespace vexal {
namespace {

void DescribeMask(uint32_t mask, uint8_t* shift, uint8_t* width) {
  if (mask == 0) {
    *shift = 0;
    *width = 0;
    return;
  }
  *shift = static_cast<uint8_t>(std::countr_zero(mask));
  *width = static_cast<uint8_t>(std::countr_one(mask >> *shift));
}

// One channel of a pixel moved from a field of source_width bits to dest_width bits.
uint32_t Rescale(uint32_t value, int source_width, int dest_width) {
  const int d = source_width - dest_width;
  if (d >= 32 || d <= -32) return 0;
  return d > 0 ? value >> d : value << -d;
}

}  // namespace

void SetPixelFormat24(ColorFormatRecord* f) {
  *f = ColorFormatRecord{24, 3, 8, 8, 8, 0, 16, 8, 0, 0, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
}

void SetPixelFormat8(ColorFormatRecord* f) {
  *f = ColorFormatRecord{8, 1, 8, 8, 8, 8, 0, 0, 0, 0, 0xFFu, 0xFFu, 0xFFu, 0xFFu};
}

int MakeColorFormat(const plat::PixelFormat* source, ColorFormatRecord* out) {
  if (DDrawState.Object == nullptr) return -1;
  out->ColorBits = source->bit_count;
  out->BytesPerPixel = static_cast<uint8_t>(source->bit_count / 8);
  out->RedMask = source->red_mask;
  out->GreenMask = source->green_mask;
  out->BlueMask = source->blue_mask;
  out->AlphaMask = source->alpha_mask;
  DescribeMask(out->RedMask, &out->RedShift, &out->RedWidth);
  DescribeMask(out->GreenMask, &out->GreenShift, &out->GreenWidth);
  DescribeMask(out->BlueMask, &out->BlueShift, &out->BlueWidth);
  DescribeMask(out->AlphaMask, &out->AlphaShift, &out->AlphaWidth);
  return 0;
}

uint32_t ConvertColorByFormat(const ColorFormatRecord* d, const ColorFormatRecord* s, uint32_t c) {
  const uint32_t r = Rescale((c & s->RedMask) >> s->RedShift, s->RedWidth, d->RedWidth);
  const uint32_t g = Rescale((c & s->GreenMask) >> s->GreenShift, s->GreenWidth, d->GreenWidth);
  const uint32_t b = Rescale((c & s->BlueMask) >> s->BlueShift, s->BlueWidth, d->BlueWidth);
  const uint32_t a = s->AlphaWidth == 0 ? d->AlphaMask >> d->AlphaShift
                                        : Rescale((c & s->AlphaMask) >> s->AlphaShift, s->AlphaWidth, d->AlphaWidth);
  return (r << d->RedShift) | (g << d->GreenShift) | (b << d->BlueShift) | (a << d->AlphaShift);
}

}  // namespace vexal

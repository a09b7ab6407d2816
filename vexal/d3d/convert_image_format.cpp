// The pixel-format converter: a raw row copy for identical layouts, else one template
// instance per pair of pixel sizes with every shift worked out before the loop.
#include "vexal/d3d/convert_image_format.h"

#include <cstddef>
#include <cstring>

namespace vexal {
namespace {

bool ValidPixelSize(const ColorFormatRecord* f) {
  return f->ColorBits == 8 || f->ColorBits == 16 || f->ColorBits == 24 || f->ColorBits == 32;
}

// Bytes per pixel from the colour bits, which is what decides how a pixel is read.
int PixelBytes(const ColorFormatRecord* f) { return f->ColorBits / 8; }

template <int Bytes>
uint32_t ReadPixel(const uint8_t* p) {
  if constexpr (Bytes == 1) return p[0];
  if constexpr (Bytes == 2) return static_cast<uint32_t>(p[0] | (p[1] << 8));
  if constexpr (Bytes == 3) return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
  if constexpr (Bytes == 4)
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

template <int Bytes>
void WritePixel(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  if constexpr (Bytes >= 2) p[1] = static_cast<uint8_t>(v >> 8);
  if constexpr (Bytes >= 3) p[2] = static_cast<uint8_t>(v >> 16);
  if constexpr (Bytes >= 4) p[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t ReadPixelAny(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1: return ReadPixel<1>(p);
    case 2: return ReadPixel<2>(p);
    case 3: return ReadPixel<3>(p);
    default: return ReadPixel<4>(p);
  }
}

// Shifts that stay defined for any count a format record can hold.
uint32_t ShiftRight(uint32_t v, int n) { return n >= 32 ? 0 : v >> n; }
uint32_t ShiftLeft(uint32_t v, int n) { return n >= 32 ? 0 : v << n; }

// A channel value of one width made the other width: cut low bits, or add zero ones.
uint32_t Rescale(uint32_t c, int d) { return d > 0 ? ShiftRight(c, d) : ShiftLeft(c, -d); }

// What the pixel loop needs, decided once per call.
struct ConversionPlan {
  bool rawCopy;            // identical layouts: bytes are copied as they are
  bool alphaFromSeparate;  // alpha comes from the alpha source's red channel
  bool alphaFromSource;    // alpha comes from the source's own alpha channel
  bool alphaOnly;          // red, green and blue are written as 0
  uint32_t opaqueAlpha;    // destination alpha for a source without one
  uint32_t srcMask[4];     // red, green, blue, alpha
  int srcShift[4];
  int widthDiff[4];  // source width - destination width, per channel
  int dstShift[4];
  uint32_t alphaMask;  // the alpha source's red channel
  int alphaShift;
  int srcBytes, dstBytes, alphaBytes;
};

ConversionPlan MakePlan(const ColorFormatRecord* d, const ColorFormatRecord* s, const void* alphaBits,
                        const ColorFormatRecord* a, int keyToAlpha, int alphaOnly) {
  ConversionPlan p{};
  const bool dstAlpha = d->AlphaMask != 0;
  const bool srcAlpha = s->AlphaMask != 0;
  const bool useAlpha = dstAlpha && (alphaBits != nullptr || srcAlpha);
  p.alphaFromSeparate = dstAlpha && alphaBits != nullptr && a != nullptr && !srcAlpha;
  // The flag only keeps such a picture off the raw copy; it changes no pixel.
  const bool key = keyToAlpha != 0 && dstAlpha && !useAlpha;
  p.rawCopy = !key && !p.alphaFromSeparate && alphaOnly == 0 && s->ColorBits == d->ColorBits &&
              s->RedMask == d->RedMask && s->GreenMask == d->GreenMask && s->BlueMask == d->BlueMask &&
              s->AlphaMask == d->AlphaMask;
  p.alphaFromSource = !p.alphaFromSeparate && srcAlpha && dstAlpha;
  p.alphaOnly = alphaOnly != 0;
  p.opaqueAlpha = ShiftRight(d->AlphaMask, d->AlphaShift);
  p.srcMask[0] = s->RedMask;
  p.srcMask[1] = s->GreenMask;
  p.srcMask[2] = s->BlueMask;
  p.srcMask[3] = s->AlphaMask;
  p.srcShift[0] = s->RedShift;
  p.srcShift[1] = s->GreenShift;
  p.srcShift[2] = s->BlueShift;
  p.srcShift[3] = s->AlphaShift;
  p.dstShift[0] = d->RedShift;
  p.dstShift[1] = d->GreenShift;
  p.dstShift[2] = d->BlueShift;
  p.dstShift[3] = d->AlphaShift;
  // Every channel is rescaled by its own widths, so a layout whose red and green agree
  // with the destination's but whose blue or alpha do not still converts correctly.
  p.widthDiff[0] = s->RedWidth - d->RedWidth;
  p.widthDiff[1] = s->GreenWidth - d->GreenWidth;
  p.widthDiff[2] = s->BlueWidth - d->BlueWidth;
  p.widthDiff[3] = (p.alphaFromSeparate ? a->RedWidth : s->AlphaWidth) - d->AlphaWidth;
  if (p.alphaFromSeparate) {
    p.alphaMask = a->RedMask;
    p.alphaShift = a->RedShift;
    p.alphaBytes = PixelBytes(a);
  }
  p.srcBytes = PixelBytes(s);
  p.dstBytes = PixelBytes(d);
  return p;
}

uint32_t Channel(uint32_t pixel, uint32_t mask, int shift, int widthDiff) {
  return Rescale(ShiftRight(pixel & mask, shift), widthDiff);
}

// One destination pixel from a source pixel and, when alpha comes from the separate
// picture, its pixel.
uint32_t ConvertPixel(const ConversionPlan& p, uint32_t s, uint32_t q) {
  uint32_t a;
  if (p.alphaFromSeparate) {
    a = Channel(q, p.alphaMask, p.alphaShift, p.widthDiff[3]);
  } else if (p.alphaFromSource) {
    a = Channel(s, p.srcMask[3], p.srcShift[3], p.widthDiff[3]);
  } else if (p.srcMask[3] != 0) {
    a = 0;  // the destination keeps no alpha
  } else {
    a = p.opaqueAlpha;
  }
  uint32_t out = ShiftLeft(a, p.dstShift[3]);
  if (!p.alphaOnly) {
    for (int c = 0; c < 3; ++c)
      out |= ShiftLeft(Channel(s, p.srcMask[c], p.srcShift[c], p.widthDiff[c]), p.dstShift[c]);
  }
  return out;
}

struct Span2D {
  uint8_t* dst;          // first destination pixel of the first row (leftmost)
  const uint8_t* src;    // first source pixel of the first row
  const uint8_t* alpha;  // same place in the alpha source, or null
  ptrdiff_t dstPitch, srcPitch, alphaPitch;
  int32_t w, h;
  bool mirror;
};

template <int SrcBytes, int DstBytes>
void ConvertRows(const ConversionPlan& p, const Span2D& r) {
  const ptrdiff_t step = r.mirror ? -DstBytes : DstBytes;
  for (int32_t y = 0; y < r.h; ++y) {
    const uint8_t* s = r.src + y * r.srcPitch;
    const uint8_t* q = r.alpha != nullptr ? r.alpha + y * r.alphaPitch : nullptr;
    uint8_t* d = r.dst + y * r.dstPitch + (r.mirror ? (r.w - 1) * DstBytes : 0);
    for (int32_t x = 0; x < r.w; ++x) {
      uint32_t qa = 0;
      if (q != nullptr) {
        qa = ReadPixelAny(q, p.alphaBytes);
        q += p.alphaBytes;
      }
      WritePixel<DstBytes>(d, ConvertPixel(p, ReadPixel<SrcBytes>(s), qa));
      s += SrcBytes;
      d += step;
    }
  }
}

template <int SrcBytes>
void ConvertRowsFrom(const ConversionPlan& p, const Span2D& r) {
  switch (p.dstBytes) {
    case 1: ConvertRows<SrcBytes, 1>(p, r); break;
    case 2: ConvertRows<SrcBytes, 2>(p, r); break;
    case 3: ConvertRows<SrcBytes, 3>(p, r); break;
    default: ConvertRows<SrcBytes, 4>(p, r); break;
  }
}

template <int Bytes>
void CopyRowsMirrored(const Span2D& r) {
  for (int32_t y = 0; y < r.h; ++y) {
    const uint8_t* s = r.src + y * r.srcPitch;
    uint8_t* d = r.dst + y * r.dstPitch + (r.w - 1) * Bytes;
    for (int32_t x = 0; x < r.w; ++x, s += Bytes, d -= Bytes) std::memcpy(d, s, Bytes);
  }
}

void CopyRows(const Span2D& r, int bytes) {
  if (!r.mirror) {
    const size_t rowBytes = static_cast<size_t>(r.w) * bytes;
    for (int32_t y = 0; y < r.h; ++y) std::memcpy(r.dst + y * r.dstPitch, r.src + y * r.srcPitch, rowBytes);
    return;
  }
  switch (bytes) {
    case 1: CopyRowsMirrored<1>(r); break;
    case 2: CopyRowsMirrored<2>(r); break;
    case 3: CopyRowsMirrored<3>(r); break;
    default: CopyRowsMirrored<4>(r); break;
  }
}

}  // namespace

int ConvertImageFormat(void* destBits, int32_t destPitch, const ColorFormatRecord* destFormat, const void* srcBits,
                       int32_t srcPitch, const ColorFormatRecord* srcFormat, const void* alphaBits, int32_t alphaPitch,
                       const ColorFormatRecord* alphaFormat, int32_t destX, int32_t destY, const Rect* srcRect,
                       int mirror, int keyToAlpha, uint32_t /*transparentColor*/, uint32_t /*option*/, int alphaOnly) {
  if (!ValidPixelSize(destFormat) || !ValidPixelSize(srcFormat)) return -1;
  if (alphaBits != nullptr && alphaFormat != nullptr && !ValidPixelSize(alphaFormat)) return -1;
  const ConversionPlan plan = MakePlan(destFormat, srcFormat, alphaBits, alphaFormat, keyToAlpha, alphaOnly);
  const int32_t w = srcRect->right - srcRect->left;
  const int32_t h = srcRect->bottom - srcRect->top;
  if (w <= 0 || h <= 0) return 0;

  Span2D r{};
  r.dstPitch = destPitch;
  r.srcPitch = srcPitch;
  r.alphaPitch = alphaPitch;
  r.w = w;
  r.h = h;
  r.mirror = mirror == 1;
  r.dst = static_cast<uint8_t*>(destBits) + static_cast<ptrdiff_t>(destY) * destPitch +
          static_cast<ptrdiff_t>(destX) * plan.dstBytes;
  r.src = static_cast<const uint8_t*>(srcBits) + static_cast<ptrdiff_t>(srcRect->top) * srcPitch +
          static_cast<ptrdiff_t>(srcRect->left) * plan.srcBytes;
  if (plan.alphaFromSeparate)
    r.alpha = static_cast<const uint8_t*>(alphaBits) + static_cast<ptrdiff_t>(srcRect->top) * alphaPitch +
              static_cast<ptrdiff_t>(srcRect->left) * plan.alphaBytes;

  if (plan.rawCopy) {
    CopyRows(r, plan.srcBytes);
    return 0;
  }
  switch (plan.srcBytes) {
    case 1: ConvertRowsFrom<1>(plan, r); break;
    case 2: ConvertRowsFrom<2>(plan, r); break;
    case 3: ConvertRowsFrom<3>(plan, r); break;
    default: ConvertRowsFrom<4>(plan, r); break;
  }
  return 0;
}

}  // namespace vexal

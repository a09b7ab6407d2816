// Pixels of a GDI bitmap section into a texture's layout.
#include "vexal/d3d/convert_to_texture_format.h"

#include <cstring>

#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/screen/color_value.h"

namespace vexal {
namespace {

bool Readable(const ColorFormatRecord& f) { return f.ColorBits == 16 || f.ColorBits == 24 || f.ColorBits == 32; }

uint32_t Read(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(bytes));  // little-endian: the low bytes hold the pixel
  return v;
}

void Write(uint8_t* p, int bytes, uint32_t v) { std::memcpy(p, &v, static_cast<size_t>(bytes)); }

uint32_t Rescale(uint32_t c, int d) {
  if (d >= 32 || d <= -32) return 0;
  return d > 0 ? c >> d : c << -d;
}

uint32_t Field(uint32_t p, uint32_t mask, int shift) { return (p & mask) >> shift; }

}  // namespace

int ConvertImageToTextureFormat(void* destBits, int32_t destPitch, ColorFormatRecord D, int32_t destX, int32_t destY,
                                const void* srcBits, const void* alphaBits, int32_t srcPitch, ColorFormatRecord S,
                                Rect r) {
  if (!Readable(D) || !Readable(S)) return -1;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return 0;
  const int sb = S.ColorBits / 8, db = D.ColorBits / 8;
  const bool alphaFromBitmap = alphaBits != nullptr && D.AlphaWidth != 0;
  const bool keyToAlpha = S.AlphaWidth == 0 && alphaBits == nullptr;
  const bool sameRgb =
      S.ColorBits == D.ColorBits && S.RedMask == D.RedMask && S.GreenMask == D.GreenMask && S.BlueMask == D.BlueMask;
  auto srcRow = [&](int j) {
    return static_cast<const uint8_t*>(srcBits) + static_cast<ptrdiff_t>(r.top + j) * srcPitch +
           static_cast<ptrdiff_t>(r.left) * sb;
  };
  auto alphaRow = [&](int j) {
    return static_cast<const uint8_t*>(alphaBits) + static_cast<ptrdiff_t>(r.top + j) * srcPitch +
           static_cast<ptrdiff_t>(r.left) * sb;
  };
  auto destRow = [&](int j) {
    return static_cast<uint8_t*>(destBits) + static_cast<ptrdiff_t>(destY + j) * destPitch +
           static_cast<ptrdiff_t>(destX) * db;
  };

  if (!alphaFromBitmap && !keyToAlpha && sameRgb && S.BytesPerPixel == D.BytesPerPixel && S.RedShift == D.RedShift &&
      S.GreenShift == D.GreenShift && S.BlueShift == D.BlueShift && S.RedWidth == D.RedWidth &&
      S.GreenWidth == D.GreenWidth && S.BlueWidth == D.BlueWidth) {
    for (int j = 0; j < h; ++j) std::memcpy(destRow(j), srcRow(j), static_cast<size_t>(w) * static_cast<size_t>(sb));
    return 0;
  }

  if (D.AlphaWidth != 0 && (alphaFromBitmap || keyToAlpha) && sameRgb && (D.ColorBits == 16 || D.ColorBits == 32)) {
    const uint32_t trans = D3DDrawState != nullptr ? D3DDrawState->TransColor : 0;
    const uint32_t key = GetColorMatch8(&D, static_cast<int>((trans >> 16) & 0xFF),
                                        static_cast<int>((trans >> 8) & 0xFF), static_cast<int>(trans & 0xFF));
    for (int j = 0; j < h; ++j) {
      const uint8_t* s = srcRow(j);
      uint8_t* d = destRow(j);
      for (int i = 0; i < w; ++i) {
        const uint32_t p = Read(s + i * sb, sb) & ~D.AlphaMask;
        uint32_t out = 0;
        if (alphaFromBitmap) {
          // The alpha byte is narrowed to the destination's alpha width.
          const uint32_t a = Rescale(alphaRow(j)[i * sb], 8 - D.AlphaWidth);
          out = p | ((a << D.AlphaShift) & D.AlphaMask);
        } else {
          out = p == key ? p : p | D.AlphaMask;
        }
        Write(d + i * db, db, out);
      }
    }
    return 0;
  }

  for (int j = 0; j < h; ++j) {
    const uint8_t* s = srcRow(j);
    uint8_t* d = destRow(j);
    for (int i = 0; i < w; ++i) {
      const uint32_t p = Read(s + i * sb, sb);
      const uint32_t red = Rescale(Field(p, S.RedMask, S.RedShift), S.RedWidth - D.RedWidth);
      const uint32_t green = Rescale(Field(p, S.GreenMask, S.GreenShift), S.GreenWidth - D.GreenWidth);
      const uint32_t blue = Rescale(Field(p, S.BlueMask, S.BlueShift), S.BlueWidth - D.BlueWidth);
      uint32_t a = 0;
      if (D.AlphaWidth != 0) {
        if (alphaFromBitmap) {
          a = Rescale(alphaRow(j)[i * sb], 8 - D.AlphaWidth);
        } else if (S.AlphaWidth != 0) {
          a = Rescale(Field(p, S.AlphaMask, S.AlphaShift), S.AlphaWidth - D.AlphaWidth);
        } else {
          a = D.AlphaMask >> D.AlphaShift;
        }
      }
      const uint32_t out = ((red << D.RedShift) & D.RedMask) | ((green << D.GreenShift) & D.GreenMask) |
                           ((blue << D.BlueShift) & D.BlueMask) | ((a << D.AlphaShift) & D.AlphaMask);
      Write(d + i * db, db, out);
    }
  }
  return 0;
}

}  // namespace vexal

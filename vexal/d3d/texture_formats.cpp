// The texture format table: which of the device's formats the Direct3D row uses, and the
// texture bit depth of new textures.
#include "vexal/d3d/texture_formats.h"

#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/drawing/call_trace.h"
#include "vexal/graphics/screen/color_format.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {

namespace pd = plat::d3d;

std::array<TextureFormat, kTexFormatCount> TextureFormatTable{};  // the five chosen formats
int TextureBitDepth = 0;                                          // depth of new textures
int ImageConvOption = 0;                                          // converters' option word

namespace {

constexpr uint32_t kSkippedKinds = pd::kPfLuminance | pd::kPfBumpLuminance | pd::kPfBumpDuDv | pd::kPfAlpha;

bool Empty(const TextureFormat& f) { return f.Pixel == pd::PixelFormatDesc{}; }

bool SameColourLayout(const ColorFormatRecord& a, const ColorFormatRecord& b) {
  return a.ColorBits == b.ColorBits && a.BytesPerPixel == b.BytesPerPixel && a.RedWidth == b.RedWidth &&
         a.GreenWidth == b.GreenWidth && a.BlueWidth == b.BlueWidth && a.RedShift == b.RedShift &&
         a.GreenShift == b.GreenShift && a.BlueShift == b.BlueShift && a.RedMask == b.RedMask &&
         a.GreenMask == b.GreenMask && a.BlueMask == b.BlueMask;
}

}  // namespace

bool D3DEnumTextureFormatCallback(const pd::PixelFormatDesc& format, int* found) {
  if ((format.flags & kSkippedKinds) != 0 || format.fourcc != 0) return true;
  TextureFormat entry;
  entry.Pixel = format;
  const plat::PixelFormat surface_format = pd::ToSurfaceFormat(format);
  if (MakeColorFormat(&surface_format, &entry.Color) != 0) return true;
  if (entry.Color.AlphaWidth != 0) {
    switch (entry.Color.AlphaMask) {
      case kAlphaMask4444: TextureFormatTable[kTexAlpha16] = entry; break;
      case kAlphaMask8888: TextureFormatTable[kTexAlpha32] = entry; break;
      case kAlphaMask1555: TextureFormatTable[kTexKey16] = entry; break;
      default: break;
    }
    return true;
  }
  if (entry.Color.ColorBits == 16) {
    const ColorFormatRecord* screen = GetPixelFormatPtr();
    if (Empty(TextureFormatTable[kTexNormal16]) || (screen != nullptr && SameColourLayout(entry.Color, *screen))) {
      TextureFormatTable[kTexNormal16] = entry;
      *found = 1;
    }
  } else if (entry.Color.ColorBits == 32) {
    TextureFormatTable[kTexNormal32] = entry;
  }
  return true;
}

void ApplyTextureFormatFallbacks() {
  auto& t = TextureFormatTable;
  if (Empty(t[kTexNormal32])) t[kTexNormal32] = t[kTexNormal16];
  if (Empty(t[kTexAlpha16])) t[kTexAlpha16] = t[kTexNormal16];
  if (Empty(t[kTexAlpha32])) t[kTexAlpha32] = t[kTexAlpha16];
}

int SelectTextureFormat(int alpha, int colorKey, int depthIndex) {
  if (alpha != 0) return depthIndex == 0 ? kTexAlpha16 : kTexAlpha32;
  if (colorKey != 0) return depthIndex == 0 ? kTexKey16 : kTexAlpha32;
  return depthIndex == 0 ? kTexNormal16 : kTexNormal32;
}

const pd::PixelFormatDesc* GetTexturePixelFormat(int alpha, int colorKey, int depthIndex) {
  return &TextureFormatTable[static_cast<size_t>(SelectTextureFormat(alpha, colorKey, depthIndex))].Pixel;
}

const ColorFormatRecord* GetTextureColorFormat(int alpha, int colorKey, int depthIndex) {
  return &TextureFormatTable[static_cast<size_t>(SelectTextureFormat(alpha, colorKey, depthIndex))].Color;
}

int TextureDepthIndex() { return TextureBitDepth != 16 ? 1 : 0; }

int SetTextureBitDepth(int bits) {
  if (D3DObject == nullptr || (bits != 16 && bits != 32)) return TraceCall("SetTextureBitDepth", -1);
  TextureBitDepth = bits;
  return TraceCall("SetTextureBitDepth", 0);
}

int GetImageConvOption() { return ImageConvOption; }

void ResetTextureFormats() {
  TextureFormatTable = {};
  TextureBitDepth = 0;
  ImageConvOption = 0;
}

}  // namespace vexal

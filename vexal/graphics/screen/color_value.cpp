#include "vexal/graphics/screen/color_value.h"

#include "vexal/graphics/screen/ddraw_state.h"

namespace vexal {
namespace {

constexpr int kNoMatchDistance = 0x00FFFFFF;  // larger than any real distance

bool ScreenIsPalettised() { return DDrawState.ScreenColorBits == 8; }

uint32_t ChannelBits(int value, int width, int shift) {
  const uint32_t v = static_cast<uint32_t>(value) & 0xFFu;
  const uint32_t scaled = width <= 8 ? v >> (8 - width) : v << (width - 8);
  return scaled << shift;
}

int ChannelLevel(uint32_t color, uint32_t mask, int shift, int width) {
  // A channel the format lacks reads 0 (and 2^0 - 1 would divide by zero).
  if (width == 0) return 0;
  const uint64_t maximum = (uint64_t{1} << width) - 1;
  return static_cast<int>(((color & mask) >> shift) * uint64_t{255} / maximum);
}

int NearestPaletteIndex(int red, int green, int blue) {
  const int r = red & 0xFF, g = green & 0xFF, b = blue & 0xFF;
  int best = kNoMatchDistance;
  int index = 0;
  for (int i = 0; i < plat::kPaletteSize; ++i) {
    const plat::PaletteEntry& e = DDrawState.Screen.Palette[i];
    const int dr = e.red - r, dg = e.green - g, db = e.blue - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best) {
      best = distance;
      index = i;
    }
  }
  return index;
}

}  // namespace

ColorValue MakeColorValue(int red, int green, int blue) {
  return GetColorMatch8(&DDrawState.Screen.Format, red, green, blue);
}

uint32_t GetColorMatch8(const ColorFormatRecord* f, int red, int green, int blue) {
  if (ScreenIsPalettised()) return static_cast<uint32_t>(NearestPaletteIndex(red, green, blue));
  return ChannelBits(red, f->RedWidth, f->RedShift) | ChannelBits(green, f->GreenWidth, f->GreenShift) |
         ChannelBits(blue, f->BlueWidth, f->BlueShift);
}

int GetColorRGB(ColorValue color, int* red, int* green, int* blue) {
  if (ScreenIsPalettised()) {
    if (color >= static_cast<uint32_t>(plat::kPaletteSize)) return -1;
    const plat::PaletteEntry& e = DDrawState.Screen.Palette[color];
    *red = e.red;
    *green = e.green;
    *blue = e.blue;
    return 0;
  }
  const ColorFormatRecord& f = DDrawState.Screen.Format;
  *red = ChannelLevel(color, f.RedMask, f.RedShift, f.RedWidth);
  *green = ChannelLevel(color, f.GreenMask, f.GreenShift, f.GreenWidth);
  *blue = ChannelLevel(color, f.BlueMask, f.BlueShift, f.BlueWidth);
  return 0;
}

}  // namespace vexal

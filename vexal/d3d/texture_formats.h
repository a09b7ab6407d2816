// The five texture formats the Direct3D row draws with, chosen from what the device offers
// when it is made: normal 16 and 32 for graphs without alpha, alpha 16 (4:4:4:4) and
// alpha 32 (8:8:8:8) for graphs with an alpha channel, key 16 (1:5:5:5) for colour-keyed
// textures. Only normal 16 is required; the others fall back to formats that exist.
#pragma once

#include <array>
#include <cstdint>

#include "platform/d3d/d3d.h"
#include "vexal/graphics/screen/color_format.h"

namespace vexal {

enum TextureFormatEntry { kTexNormal16, kTexNormal32, kTexAlpha16, kTexAlpha32, kTexKey16, kTexFormatCount };

inline constexpr uint32_t kAlphaMask4444 = 0xF000;
inline constexpr uint32_t kAlphaMask8888 = 0xFF000000;
inline constexpr uint32_t kAlphaMask1555 = 0x8000;

struct TextureFormat {
  plat::d3d::PixelFormatDesc Pixel{};  // all zero: the entry is empty
  ColorFormatRecord Color{};
};

extern std::array<TextureFormat, kTexFormatCount> TextureFormatTable;
extern int TextureBitDepth;  // 16 or 32 for new textures; 0 until set
extern int ImageConvOption;  // handed to the converters; always 0

// Enumeration callback: sorts one offered format into the table; found becomes 1 when
// normal 16 was taken. Always goes on.
bool D3DEnumTextureFormatCallback(const plat::d3d::PixelFormatDesc& format, int* found);
// The fall-backs after a successful enumeration.
void ApplyTextureFormatFallbacks();

// The entry for (alpha, colour key, depth index).
int SelectTextureFormat(int alpha, int colorKey, int depthIndex);
const plat::d3d::PixelFormatDesc* GetTexturePixelFormat(int alpha, int colorKey, int depthIndex);
const ColorFormatRecord* GetTextureColorFormat(int alpha, int colorKey, int depthIndex);
// 0 when TextureBitDepth is 16, 1 otherwise.
int TextureDepthIndex();

int SetTextureBitDepth(int bits);
int GetImageConvOption();

void ResetTextureFormats();

}  // namespace vexal

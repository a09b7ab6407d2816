// Bitmaps in memory: reading their layouts, drawing any of them into the 24-bit form,
// and the two converters between bitmaps and GraphImage.
#include "vexal/graphics/pictures/dib_image.h"

#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "vexal/app/log/log_file.h"
#include "vexal/d3d/convert_image_format.h"
#include "vexal/graphics/pictures/bmp_run_length.h"

namespace vexal {
namespace {

// The masks a bitmap without bit fields implies.
constexpr uint32_t kRgb555Masks[3] = {0x7C00u, 0x03E0u, 0x001Fu};
constexpr uint32_t kRgb888Masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};

int MaskShift(uint32_t mask) { return mask == 0 ? 0 : std::countr_zero(mask); }
int MaskWidth(uint32_t mask) { return mask == 0 ? 0 : std::countr_one(mask >> MaskShift(mask)); }

// One channel of a bit-field pixel scaled to 8 bits: the contiguous run of the mask's
// lowest set bit, rounded to the nearest of 0..255.
struct ChannelScale {
  int shift;
  int width;
  uint32_t valueMask;
  uint8_t table[256];  // width <= 8: value -> 8 bits

  explicit ChannelScale(uint32_t mask) : shift(MaskShift(mask)), width(MaskWidth(mask)) {
    valueMask = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
    if (width >= 1 && width <= 8) {
      for (uint32_t v = 0; v <= valueMask; ++v) table[v] = static_cast<uint8_t>((v * 255 + valueMask / 2) / valueMask);
    }
  }

  uint8_t Scale(uint32_t pixel) const {
    if (width == 0) return 0;
    uint32_t v = (pixel >> shift) & valueMask;
    if (width <= 8) return table[v];
    return static_cast<uint8_t>(v >> (width - 8));
  }
};

// Source row of output row y.
const uint8_t* SourceRow(const DibLayout& l, const uint8_t* bits, int32_t y) {
  const int64_t rowBytes = DibRowBytes(l.width, l.bitCount);
  const int32_t rows = l.height < 0 ? -l.height : l.height;
  const int32_t stored = l.height < 0 ? y : rows - 1 - y;
  return bits + stored * rowBytes;
}

template <int Bits>
void DrawPaletteRows(const DibLayout& l, const uint8_t* bits, uint8_t* out, int64_t outPitch, int32_t rows) {
  constexpr int kPerByte = 8 / Bits;
  constexpr uint32_t kIndexMask = (1u << Bits) - 1;
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* s = SourceRow(l, bits, y);
    uint8_t* d = out + y * outPitch;
    for (int32_t x = 0; x < l.width; ++x, d += 3) {
      // The first pixel of a byte is in its highest bits.
      const int shift = (kPerByte - 1 - x % kPerByte) * Bits;
      const uint32_t entry = l.palette[(s[x / kPerByte] >> shift) & kIndexMask];
      d[0] = static_cast<uint8_t>(entry);
      d[1] = static_cast<uint8_t>(entry >> 8);
      d[2] = static_cast<uint8_t>(entry >> 16);
    }
  }
}

template <int Bytes>
void DrawMaskedRows(const DibLayout& l, const uint32_t* masks, const uint8_t* bits, uint8_t* out, int64_t outPitch,
                    int32_t rows) {
  const ChannelScale r(masks[0]), g(masks[1]), b(masks[2]);
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* s = SourceRow(l, bits, y);
    uint8_t* d = out + y * outPitch;
    for (int32_t x = 0; x < l.width; ++x, s += Bytes, d += 3) {
      uint32_t p = 0;
      for (int k = 0; k < Bytes; ++k) p |= static_cast<uint32_t>(s[k]) << (8 * k);
      d[0] = b.Scale(p);
      d[1] = g.Scale(p);
      d[2] = r.Scale(p);
    }
  }
}

void Copy24Rows(const DibLayout& l, const uint8_t* bits, uint8_t* out, int64_t outPitch, int32_t rows) {
  for (int32_t y = 0; y < rows; ++y)
    std::memcpy(out + y * outPitch, SourceRow(l, bits, y), static_cast<size_t>(l.width) * 3);
}

void Describe(ColorFormatRecord* f, int bits, const uint32_t masks[3]) {
  *f = ColorFormatRecord{};
  f->ColorBits = static_cast<uint8_t>(bits);
  f->BytesPerPixel = static_cast<uint8_t>(bits / 8);
  f->RedMask = masks[0];
  f->GreenMask = masks[1];
  f->BlueMask = masks[2];
  f->RedShift = static_cast<uint8_t>(MaskShift(masks[0]));
  f->GreenShift = static_cast<uint8_t>(MaskShift(masks[1]));
  f->BlueShift = static_cast<uint8_t>(MaskShift(masks[2]));
  f->RedWidth = static_cast<uint8_t>(MaskWidth(masks[0]));
  f->GreenWidth = static_cast<uint8_t>(MaskWidth(masks[1]));
  f->BlueWidth = static_cast<uint8_t>(MaskWidth(masks[2]));
}

bool IsLibrary24(const ColorFormatRecord& f) {
  return f.ColorBits == 24 && f.RedMask == kRgb888Masks[0] && f.GreenMask == kRgb888Masks[1] &&
         f.BlueMask == kRgb888Masks[2];
}

}  // namespace

void SetDib24Info(BitmapInfo* info, int32_t width, int32_t height) {
  *info = BitmapInfo{};
  info->bmiHeader.biSize = kBitmapInfoHeaderSize;
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = -height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = 24;
  info->bmiHeader.biCompression = kBiRgb;
}

bool DibHeaderReadable(const BitmapInfoHeader& h) {
  const int bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (h.biCompression == kBiBitfields) {
    if (bits < 16) return false;
  } else if (IsRunLength(h.biCompression)) {
    // A coded stream has no top-down form.
    if (bits != (h.biCompression == kBiRle8 ? 8 : 4) || h.biHeight < 0) return false;
  } else if (h.biCompression != kBiRgb) {
    return false;
  }
  if (h.biHeight == 0 || h.biHeight == INT32_MIN) return false;
  const int64_t rows = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
  return ImageSizeAllowed(h.biWidth, rows, DibRowBytes(h.biWidth, bits)) &&
         ImageSizeAllowed(h.biWidth, rows, DibRowBytes(h.biWidth, 24));
}

uint32_t DibPaletteEntries(const BitmapInfoHeader& h) {
  if (h.biBitCount > 8) return 0;
  const uint32_t full = 1u << h.biBitCount;
  return h.biClrUsed >= 1 && h.biClrUsed <= full ? h.biClrUsed : full;
}

bool DibLayoutFromInfo(const BitmapInfo* info, DibLayout* layout) {
  const BitmapInfoHeader& h = info->bmiHeader;
  if (h.biSize < kBitmapInfoHeaderSize || !DibHeaderReadable(h)) return false;
  *layout = DibLayout{};
  layout->width = h.biWidth;
  layout->height = h.biHeight;
  layout->bitCount = h.biBitCount;
  layout->compression = h.biCompression;
  const auto* bytes = reinterpret_cast<const uint8_t*>(info);
  if (h.biCompression == kBiBitfields) std::memcpy(layout->masks, bytes + kBitmapInfoHeaderSize, 12);
  std::memcpy(layout->palette, bytes + h.biSize, DibPaletteEntries(h) * 4);
  if (IsRunLength(h.biCompression)) {
    if (h.biSizeImage == 0) return false;
    layout->codedBytes = h.biSizeImage;
  }
  return true;
}

bool DrawDibTo24(const DibLayout& l, const uint8_t* bits, uint8_t* out) {
  if (IsRunLength(l.compression)) return DrawRunLengthTo24(l, std::span(bits, l.codedBytes), out);
  const int64_t outPitch = DibRowBytes(l.width, 24);
  const int32_t rows = l.height < 0 ? -l.height : l.height;
  std::memset(out, 0, static_cast<size_t>(outPitch * rows));
  const bool fields = l.compression == kBiBitfields;
  switch (l.bitCount) {
    case 1: DrawPaletteRows<1>(l, bits, out, outPitch, rows); break;
    case 4: DrawPaletteRows<4>(l, bits, out, outPitch, rows); break;
    case 8: DrawPaletteRows<8>(l, bits, out, outPitch, rows); break;
    case 16: DrawMaskedRows<2>(l, fields ? l.masks : kRgb555Masks, bits, out, outPitch, rows); break;
    case 24:
      if (fields) {
        DrawMaskedRows<3>(l, l.masks, bits, out, outPitch, rows);
      } else {
        Copy24Rows(l, bits, out, outPitch, rows);
      }
      break;
    default: DrawMaskedRows<4>(l, fields ? l.masks : kRgb888Masks, bits, out, outPitch, rows); break;
  }
  return true;
}

int DibToGraphImage(const BitmapInfo* info, const uint8_t* bits, GraphImage* image, int copyFlag) {
  DibLayout layout;
  if (!DibLayoutFromInfo(info, &layout)) return -1;
  const int32_t width = layout.width;
  const int32_t height = layout.height < 0 ? -layout.height : layout.height;
  const int b = layout.bitCount;
  const bool fields = layout.compression == kBiBitfields;
  // 32 bits without bit fields is drawn below rather than refused: the same picture
  // stored bottom-up would be accepted, and callers cannot tell the two apart.
  const bool direct = layout.height < 0 && ((fields && b >= 16) || (!fields && (b == 16 || b == 24)));
  if (direct) {
    if (fields) {
      Describe(&image->ColorFormat, b, layout.masks);
    } else if (b == 16) {
      Describe(&image->ColorFormat, 16, kRgb555Masks);
    } else {
      SetPixelFormat24(&image->ColorFormat);
    }
    const int64_t pitch = DibRowBytes(width, b);
    image->Width = width;
    image->Height = height;
    image->Pitch = static_cast<int32_t>(pitch);
    if (copyFlag != 1) {
      image->Pixels = const_cast<uint8_t*>(bits);  // shared: the caller keeps ownership
      return copyFlag;
    }
    auto* copy = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pitch * height)));
    if (copy == nullptr) return -1;
    std::memcpy(copy, bits, static_cast<size_t>(pitch * height));
    image->Pixels = copy;
    return 1;
  }
  const int64_t pitch = DibRowBytes(width, 24);
  auto* block = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pitch * height)));
  if (block == nullptr) return LogWrite("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
  if (!DrawDibTo24(layout, bits, block)) {
    std::free(block);
    return -1;
  }
  SetPixelFormat24(&image->ColorFormat);
  image->Width = width;
  image->Height = height;
  image->Pitch = static_cast<int32_t>(pitch);
  image->Pixels = block;
  return 1;
}

int GraphImageToDib(const GraphImage* image, BitmapInfo* info, uint8_t** outBits, int forceCopy) {
  const int64_t stride = DibRowBytes(image->Width, 24);
  if (!ImageSizeAllowed(image->Width, image->Height, stride)) return -1;
  SetDib24Info(info, image->Width, image->Height);
  const bool is24 = IsLibrary24(image->ColorFormat);
  if (is24 && forceCopy != 1 && image->Pitch == stride) {
    *outBits = image->Pixels;
    return 0;
  }
  auto* block = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(stride * image->Height), 1));
  if (block == nullptr) return -1;
  if (is24 && forceCopy != 1) {
    for (int32_t y = 0; y < image->Height; ++y)
      std::memcpy(block + y * stride, image->Pixels + static_cast<int64_t>(y) * image->Pitch,
                  static_cast<size_t>(image->Width) * 3);
  } else {
    ColorFormatRecord format24;
    SetPixelFormat24(&format24);
    const Rect whole{0, 0, image->Width, image->Height};
    if (ConvertImageFormat(block, static_cast<int32_t>(stride), &format24, image->Pixels, image->Pitch,
                           &image->ColorFormat, nullptr, 0, nullptr, 0, 0, &whole, 0, 0, 0, 0, 0) != 0) {
      std::free(block);
      return -1;
    }
  }
  *outBits = block;
  return 1;
}

}  // namespace vexal

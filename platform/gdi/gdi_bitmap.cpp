#include "platform/gdi/gdi_bitmap.h"

#include <bit>
#include <memory>
#include <new>

namespace plat::gdi {

struct Bitmap {
  BitmapLayout layout;              // palette left empty
  std::unique_ptr<uint8_t[]> bits;  // null for a bitmap made without bits
  int pitch = 0;
};

namespace {

int LiveBitmaps = 0;                    // made and not deleted
test::BitmapFailure InjectedFailure{};  // how the next creations fail
int InjectedFailures = 0;               // creations left to fail

// The masks a layout without bit fields implies.
constexpr uint32_t kMasks555[3] = {0x7C00u, 0x03E0u, 0x001Fu};
constexpr uint32_t kMasks888[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};

const uint32_t* MasksOf(const BitmapLayout& l) {
  if (l.bit_fields) return l.masks;
  return l.bit_count == 16 ? kMasks555 : kMasks888;
}

int Shift(uint32_t mask) { return mask == 0 ? 0 : std::countr_zero(mask); }
int Width(uint32_t mask) { return mask == 0 ? 0 : std::countr_one(mask >> Shift(mask)); }

struct Rgb {
  uint8_t r, g, b;
};

// One channel of a packed pixel to 8 bits and back.
struct Channel {
  int shift = 0;
  int width = 0;
  explicit Channel(uint32_t mask) : shift(Shift(mask)), width(Width(mask)) {}
  uint8_t Decode(uint32_t pixel) const {
    if (width == 0) return 0;
    if (width >= 8) return static_cast<uint8_t>((pixel >> (shift + width - 8)) & 0xFF);
    const uint32_t max = (1u << width) - 1;
    const uint32_t v = (pixel >> shift) & max;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
  uint32_t Encode(uint8_t v) const {
    if (width == 0) return 0;
    const uint32_t bits = width >= 8 ? uint32_t{v} << (width - 8) : uint32_t{v} >> (8 - width);
    return bits << shift;
  }
};

struct Codec {
  Channel r, g, b;
  explicit Codec(const BitmapLayout& l) : r(MasksOf(l)[0]), g(MasksOf(l)[1]), b(MasksOf(l)[2]) {}
};

const uint8_t* RowFromTop(const BitmapLayout& l, const uint8_t* bits, int y) {
  const int rows = l.height < 0 ? -l.height : l.height;
  const int stored = l.height < 0 ? y : rows - 1 - y;
  return bits + static_cast<int64_t>(stored) * BitmapRowBytes(l.width, l.bit_count);
}

uint32_t LoadPacked(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int k = 0; k < bytes; ++k) v |= uint32_t{p[k]} << (8 * k);
  return v;
}

Rgb ReadPixel(const BitmapLayout& l, const Codec& codec, const uint8_t* row, int x) {
  if (l.bit_count <= 8) {
    const int per_byte = 8 / l.bit_count;
    const int shift = (per_byte - 1 - x % per_byte) * l.bit_count;
    const uint32_t index = (row[x / per_byte] >> shift) & ((1u << l.bit_count) - 1);
    const uint32_t entry = index < l.palette.size() ? l.palette[index] : 0;
    return Rgb{static_cast<uint8_t>(entry >> 16), static_cast<uint8_t>(entry >> 8), static_cast<uint8_t>(entry)};
  }
  const int bytes = l.bit_count / 8;
  const uint32_t p = LoadPacked(row + static_cast<int64_t>(x) * bytes, bytes);
  return Rgb{codec.r.Decode(p), codec.g.Decode(p), codec.b.Decode(p)};
}

void WritePixel(Bitmap* bitmap, const Codec& codec, int x, int y, Rgb c) {
  const BitmapLayout& l = bitmap->layout;
  const int bytes = l.bit_count / 8;
  uint8_t* p = const_cast<uint8_t*>(RowFromTop(l, bitmap->bits.get(), y)) + static_cast<int64_t>(x) * bytes;
  const uint32_t v = codec.r.Encode(c.r) | codec.g.Encode(c.g) | codec.b.Encode(c.b);
  for (int k = 0; k < bytes; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
}

int Rows(const BitmapLayout& l) { return l.height < 0 ? -l.height : l.height; }

// Destination pixel (dx + i, dy + j) takes source pixel (sx + i * xstep, sy + j * ystep).
bool Copy(Bitmap* bitmap, int dx, int dy, int w, int h, int sx, int sy, int xstep, int ystep,
          const BitmapLayout& source, const uint8_t* bits) {
  if (bitmap == nullptr || bitmap->bits == nullptr || bits == nullptr || !LayoutReadable(source)) return false;
  const Codec in(source), out(bitmap->layout);
  const int dw = bitmap->layout.width, dh = Rows(bitmap->layout);
  const int sw = source.width, sh = Rows(source);
  for (int j = 0; j < h; ++j) {
    const int y = dy + j, v = sy + j * ystep;
    if (y < 0 || y >= dh || v < 0 || v >= sh) continue;
    const uint8_t* row = RowFromTop(source, bits, v);
    for (int i = 0; i < w; ++i) {
      const int x = dx + i, u = sx + i * xstep;
      if (x < 0 || x >= dw || u < 0 || u >= sw) continue;
      WritePixel(bitmap, out, x, y, ReadPixel(source, in, row, u));
    }
  }
  return true;
}

}  // namespace

bool LayoutReadable(const BitmapLayout& l) {
  const int b = l.bit_count;
  if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return false;
  if (l.bit_fields && b < 16) return false;
  return l.width >= 1 && l.width <= kMaxBitmapSide && l.height != 0 && l.height >= -kMaxBitmapSide &&
         l.height <= kMaxBitmapSide;
}

Bitmap* CreateDibSection(const BitmapLayout& layout) {
  if (!LayoutReadable(layout) || layout.bit_count < 16) return nullptr;
  bool with_bits = true;
  if (InjectedFailures > 0) {
    --InjectedFailures;
    if (InjectedFailure == test::BitmapFailure::kRefuse) return nullptr;
    with_bits = false;
  }
  auto bitmap = std::unique_ptr<Bitmap>(new (std::nothrow) Bitmap());
  if (bitmap == nullptr) return nullptr;
  bitmap->layout = layout;
  bitmap->layout.palette = {};
  bitmap->pitch = static_cast<int>(BitmapRowBytes(layout.width, layout.bit_count));
  if (with_bits) {
    const size_t bytes = static_cast<size_t>(bitmap->pitch) * static_cast<size_t>(Rows(layout));
    bitmap->bits.reset(new (std::nothrow) uint8_t[bytes]());
    if (bitmap->bits == nullptr) return nullptr;
  }
  ++LiveBitmaps;
  return bitmap.release();
}

void DeleteBitmap(const Bitmap* bitmap) {
  if (bitmap == nullptr) return;
  --LiveBitmaps;
  delete bitmap;
}

bool GetBitmapBits(const Bitmap* bitmap, BitmapBits* out) {
  if (bitmap == nullptr) return false;
  out->layout = bitmap->layout;
  out->bits = bitmap->bits.get();
  out->pitch = bitmap->pitch;
  return true;
}

bool SetBitsToBitmap(Bitmap* bitmap, int x, int y, const BitmapLayout& source, const uint8_t* bits) {
  return Copy(bitmap, x, y, source.width, Rows(source), 0, 0, 1, 1, source, bits);
}

bool StretchBitsToBitmap(Bitmap* bitmap, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh,
                         const BitmapLayout& source, const uint8_t* bits) {
  if (dw < 0 || dh < 0 || (sw != dw && sw != -dw) || (sh != dh && sh != -dh)) return false;
  return Copy(bitmap, dx, dy, dw, dh, sx, sy, sw < 0 ? -1 : 1, sh < 0 ? -1 : 1, source, bits);
}

namespace test {

void InjectBitmapFailure(BitmapFailure failure, int times) {
  InjectedFailure = failure;
  InjectedFailures = times;
}

int LiveBitmapCount() { return LiveBitmaps; }

void ResetBitmaps() { InjectedFailures = 0; }

}  // namespace test

}  // namespace plat::gdi

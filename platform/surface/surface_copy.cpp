#include "platform/surface/surface_copy.h"

#include <cstddef>
#include <cstring>

namespace plat::surface {
namespace {

template <typename P>
P Load(const uint8_t* p) {
  P v;
  std::memcpy(&v, p, sizeof(P));
  return v;
}

template <typename P>
void Store(uint8_t* p, P v) {
  std::memcpy(p, &v, sizeof(P));
}

// Backward walks the rectangle from its last byte to its first, which is what a copy onto
// a later address of the same memory needs; rows and pixels are kept in address order, so
// no source pixel is overwritten before it is read.
template <typename P, bool Keyed, bool Backward>
void CopyLoop(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w,
              int h, P key) {
  for (int row = 0; row < h; ++row) {
    const int y = Backward ? h - 1 - row : row;
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dst_pitch;
    const uint8_t* s = src + static_cast<ptrdiff_t>(y) * src_pitch;
    if constexpr (!Keyed) {
      std::memmove(d, s, static_cast<size_t>(w) * sizeof(P));
    } else {
      for (int i = 0; i < w; ++i) {
        const int x = Backward ? w - 1 - i : i;
        P v = Load<P>(s + x * sizeof(P));
        if (v != key) Store<P>(d + x * sizeof(P), v);
      }
    }
  }
}

// Pixel types that may be read and written over the surfaces' byte buffers.
template <typename P> struct MayAlias;
template <> struct MayAlias<uint8_t> { typedef uint8_t __attribute__((may_alias)) type; };
template <> struct MayAlias<uint16_t> { typedef uint16_t __attribute__((may_alias)) type; };
template <> struct MayAlias<uint32_t> { typedef uint32_t __attribute__((may_alias)) type; };

// Rows of two rectangles that share no byte: the keyed copy reads the old destination and
// selects, without a branch, so that the loop can be vectorised.
template <typename P>
void KeyedDisjointLoop(uint8_t* __restrict dst, int32_t dst_pitch, const uint8_t* __restrict src,
                       int32_t src_pitch, int w, int h, P key) {
  using Pixel = typename MayAlias<P>::type;
  for (int y = 0; y < h; ++y) {
    Pixel* __restrict d = reinterpret_cast<Pixel*>(dst + static_cast<ptrdiff_t>(y) * dst_pitch);
    const Pixel* __restrict s =
        reinterpret_cast<const Pixel*>(src + static_cast<ptrdiff_t>(y) * src_pitch);
    for (int x = 0; x < w; ++x) d[x] = s[x] == key ? d[x] : s[x];
  }
}

bool Overlap(const uint8_t* a, int32_t a_pitch, const uint8_t* b, int32_t b_pitch, int w_bytes,
             int h) {
  const uintptr_t a0 = reinterpret_cast<uintptr_t>(a);
  const uintptr_t b0 = reinterpret_cast<uintptr_t>(b);
  const uintptr_t a1 = a0 + static_cast<uintptr_t>(h - 1) * a_pitch + w_bytes;
  const uintptr_t b1 = b0 + static_cast<uintptr_t>(h - 1) * b_pitch + w_bytes;
  return a0 < b1 && b0 < a1;
}

template <typename P>
void CopyAs(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h,
            const uint32_t* key) {
  const bool backward = reinterpret_cast<uintptr_t>(dst) > reinterpret_cast<uintptr_t>(src);
  const P k = key != nullptr ? static_cast<P>(*key) : P{};
  if (key == nullptr) {
    if (backward) CopyLoop<P, false, true>(dst, dst_pitch, src, src_pitch, w, h, k);
    else CopyLoop<P, false, false>(dst, dst_pitch, src, src_pitch, w, h, k);
  } else if (!Overlap(dst, dst_pitch, src, src_pitch, w * static_cast<int>(sizeof(P)), h) &&
             reinterpret_cast<uintptr_t>(dst) % sizeof(P) == 0 &&
             reinterpret_cast<uintptr_t>(src) % sizeof(P) == 0 && dst_pitch % sizeof(P) == 0 &&
             src_pitch % sizeof(P) == 0) {
    KeyedDisjointLoop<P>(dst, dst_pitch, src, src_pitch, w, h, k);
  } else {
    if (backward) CopyLoop<P, true, true>(dst, dst_pitch, src, src_pitch, w, h, k);
    else CopyLoop<P, true, false>(dst, dst_pitch, src, src_pitch, w, h, k);
  }
}

template <typename P>
void FillAs(uint8_t* dst, int32_t pitch, int w, int h, uint32_t value) {
  const P v = static_cast<P>(value);
  for (int y = 0; y < h; ++y) {
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * pitch;
    if constexpr (sizeof(P) == 1) {
      std::memset(d, v, static_cast<size_t>(w));
    } else {
      for (int x = 0; x < w; ++x) Store<P>(d + x * sizeof(P), v);
    }
  }
}

}  // namespace

void CopyPixels(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w,
                int h, int bytes_per_pixel, const uint32_t* key) {
  if (w <= 0 || h <= 0) return;
  switch (bytes_per_pixel) {
    case 1: CopyAs<uint8_t>(dst, dst_pitch, src, src_pitch, w, h, key); break;
    case 2: CopyAs<uint16_t>(dst, dst_pitch, src, src_pitch, w, h, key); break;
    case 4: CopyAs<uint32_t>(dst, dst_pitch, src, src_pitch, w, h, key); break;
    default: break;
  }
}

void FillPixels(uint8_t* dst, int32_t pitch, int w, int h, int bytes_per_pixel, uint32_t value) {
  if (w <= 0 || h <= 0) return;
  switch (bytes_per_pixel) {
    case 1: FillAs<uint8_t>(dst, pitch, w, h, value); break;
    case 2: FillAs<uint16_t>(dst, pitch, w, h, value); break;
    case 4: FillAs<uint32_t>(dst, pitch, w, h, value); break;
    default: break;
  }
}

}  // namespace plat::surface

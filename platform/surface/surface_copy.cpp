// The copies and fills move whole vectors of pixels: a keyed copy selects between the
// source and the old destination lane by lane, and a row that does not end on a whole
// vector takes its last vector from its end, overlapping the one before (a keyed copy
// between two rectangles that share no byte gives the same pixels when a lane is done
// twice, and so does a fill). Rectangles whose rows follow each other without a gap are
// one long row. Each loop body is compiled for 128-bit vectors, which every x86-64 has,
// and for 256-bit ones, taken when the processor has them.
#include "platform/surface/surface_copy.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "platform/sys/vector_width.h"

namespace plat::surface {
namespace {

using sys::LoadVector;
using sys::StoreVector;

constexpr int kNarrow = 16;  // bytes of a vector every x86-64 has
constexpr int kWide = 32;    // bytes of the wider ones

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
void CopyLoop(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h, P key) {
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

// One vector of a keyed copy: the source lane, or the old destination where the source
// is the key.
template <class V>
NL_VECTOR_BODY void KeyedVector(uint8_t* d, const uint8_t* s, const V& key) {
  V sv, dv;
  LoadVector(&sv, s);
  LoadVector(&dv, d);
  const V out = sv == key ? dv : sv;
  StoreVector(d, out);
}

template <typename P, int Bytes>
using Lanes = typename std::conditional_t<
    sizeof(P) == 1, typename sys::Vectors<Bytes>::U8,
    std::conditional_t<sizeof(P) == 2, typename sys::Vectors<Bytes>::U16, typename sys::Vectors<Bytes>::U32>>;

// Keyed rows of n bytes, n at least one vector: whole vectors, then the last one from the
// row's end. Rows of exactly one, two or four vectors (the tiles and glyphs) go unrolled.
template <typename P, int Bytes>
NL_VECTOR_BODY void KeyedRows(uint8_t* d, int32_t dst_pitch, const uint8_t* s, int32_t src_pitch, size_t n, int h,
                              P key) {
  using V = Lanes<P, Bytes>;
  const V k = V{} + key;
  if (n == Bytes) {
    for (int y = 0; y < h; ++y, d += dst_pitch, s += src_pitch) KeyedVector<V>(d, s, k);
  } else if (n == 2 * Bytes) {
    for (int y = 0; y < h; ++y, d += dst_pitch, s += src_pitch) {
      KeyedVector<V>(d, s, k);
      KeyedVector<V>(d + Bytes, s + Bytes, k);
    }
  } else if (n == 4 * Bytes) {
    for (int y = 0; y < h; ++y, d += dst_pitch, s += src_pitch) {
      KeyedVector<V>(d, s, k);
      KeyedVector<V>(d + Bytes, s + Bytes, k);
      KeyedVector<V>(d + 2 * Bytes, s + 2 * Bytes, k);
      KeyedVector<V>(d + 3 * Bytes, s + 3 * Bytes, k);
    }
  } else {
    for (int y = 0; y < h; ++y, d += dst_pitch, s += src_pitch) {
      size_t i = 0;
      for (; i + Bytes <= n; i += Bytes) KeyedVector<V>(d + i, s + i, k);
      if (i < n) KeyedVector<V>(d + n - Bytes, s + n - Bytes, k);
    }
  }
}

// Rows of two rectangles that share no byte.
template <typename P, int Widest>
NL_VECTOR_BODY void KeyedDisjointBody(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w,
                                      int h, P key) {
  size_t row = static_cast<size_t>(w) * sizeof(P);
  if (dst_pitch == src_pitch && static_cast<size_t>(dst_pitch) == row) {
    row *= static_cast<size_t>(h);
    h = 1;
  }
  if (Widest > kNarrow && row >= static_cast<size_t>(Widest)) {
    KeyedRows<P, Widest>(dst, dst_pitch, src, src_pitch, row, h, key);
  } else if (row >= static_cast<size_t>(kNarrow)) {
    KeyedRows<P, kNarrow>(dst, dst_pitch, src, src_pitch, row, h, key);
  } else {
    for (int y = 0; y < h; ++y) {
      uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dst_pitch;
      const uint8_t* s = src + static_cast<ptrdiff_t>(y) * src_pitch;
      for (size_t x = 0; x < row; x += sizeof(P)) {
        const P v = Load<P>(s + x);
        if (v != key) Store<P>(d + x, v);
      }
    }
  }
}

template <typename P>
void KeyedDisjoint(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h, P key) {
  KeyedDisjointBody<P, kNarrow>(dst, dst_pitch, src, src_pitch, w, h, key);
}

template <typename P>
NL_WIDE_VECTOR_TARGET void KeyedDisjointWide(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch,
                                             int w, int h, P key) {
  KeyedDisjointBody<P, kWide>(dst, dst_pitch, src, src_pitch, w, h, key);
}

// Rows of two rectangles that share no byte, short enough that a call of memmove a row
// would cost more than the row (the chips of a map): whole vectors, then the last one from
// the row's end (copying a byte twice copies the same byte).
constexpr size_t kShortRow = 256;

template <int Bytes>
NL_VECTOR_BODY void ShortRows(uint8_t* d, int32_t dst_pitch, const uint8_t* s, int32_t src_pitch, size_t n, int h) {
  using V = typename sys::Vectors<Bytes>::U8;
  for (int y = 0; y < h; ++y, d += dst_pitch, s += src_pitch) {
    V v;
    size_t i = 0;
    for (; i + Bytes <= n; i += Bytes) {
      LoadVector(&v, s + i);
      StoreVector(d + i, v);
    }
    if (i < n) {
      LoadVector(&v, s + n - Bytes);
      StoreVector(d + n - Bytes, v);
    }
  }
}

template <int Widest>
NL_VECTOR_BODY void ShortRowsBody(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, size_t row,
                                  int h) {
  if (Widest > kNarrow && row >= static_cast<size_t>(Widest)) {
    ShortRows<Widest>(dst, dst_pitch, src, src_pitch, row, h);
  } else if (row >= static_cast<size_t>(kNarrow)) {
    ShortRows<kNarrow>(dst, dst_pitch, src, src_pitch, row, h);
  } else {
    for (int y = 0; y < h; ++y)
      std::memcpy(dst + static_cast<ptrdiff_t>(y) * dst_pitch, src + static_cast<ptrdiff_t>(y) * src_pitch, row);
  }
}

void CopyShortRows(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, size_t row, int h) {
  ShortRowsBody<kNarrow>(dst, dst_pitch, src, src_pitch, row, h);
}

NL_WIDE_VECTOR_TARGET void CopyShortRowsWide(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch,
                                             size_t row, int h) {
  ShortRowsBody<kWide>(dst, dst_pitch, src, src_pitch, row, h);
}

bool Overlap(const uint8_t* a, int32_t a_pitch, const uint8_t* b, int32_t b_pitch, int w_bytes, int h) {
  const uintptr_t a0 = reinterpret_cast<uintptr_t>(a);
  const uintptr_t b0 = reinterpret_cast<uintptr_t>(b);
  const uintptr_t a1 = a0 + static_cast<uintptr_t>(h - 1) * a_pitch + w_bytes;
  const uintptr_t b1 = b0 + static_cast<uintptr_t>(h - 1) * b_pitch + w_bytes;
  return a0 < b1 && b0 < a1;
}

// The keyed loops for rectangles that share bytes, walked in the direction that reads each
// source pixel before it is overwritten.
template <typename P>
[[gnu::noinline]] void KeyedOverlapping(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w,
                                        int h, P key) {
  if (reinterpret_cast<uintptr_t>(dst) > reinterpret_cast<uintptr_t>(src))
    CopyLoop<P, true, true>(dst, dst_pitch, src, src_pitch, w, h, key);
  else
    CopyLoop<P, true, false>(dst, dst_pitch, src, src_pitch, w, h, key);
}

template <typename P>
__attribute__((always_inline)) inline void CopyKeyedAs(uint8_t* dst, int32_t dst_pitch, const uint8_t* src,
                                                       int32_t src_pitch, int w, int h, P key) {
  const size_t row = static_cast<size_t>(w) * sizeof(P);
  if (Overlap(dst, dst_pitch, src, src_pitch, static_cast<int>(row), h)) {
    KeyedOverlapping<P>(dst, dst_pitch, src, src_pitch, w, h, key);
  } else if (sys::UseWideVectors()) {
    KeyedDisjointWide<P>(dst, dst_pitch, src, src_pitch, w, h, key);
  } else {
    KeyedDisjoint<P>(dst, dst_pitch, src, src_pitch, w, h, key);
  }
}

template <typename P>
void CopyAs(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h, const uint32_t* key) {
  const bool backward = reinterpret_cast<uintptr_t>(dst) > reinterpret_cast<uintptr_t>(src);
  const P k = key != nullptr ? static_cast<P>(*key) : P{};
  const size_t row = static_cast<size_t>(w) * sizeof(P);
  if (key == nullptr) {
    // Rows without gaps are one block, which memmove copies in the right direction.
    if (dst_pitch == src_pitch && static_cast<size_t>(dst_pitch) == row) {
      std::memmove(dst, src, row * static_cast<size_t>(h));
    } else if (row <= kShortRow && !Overlap(dst, dst_pitch, src, src_pitch, static_cast<int>(row), h)) {
      if (sys::UseWideVectors())
        CopyShortRowsWide(dst, dst_pitch, src, src_pitch, row, h);
      else
        CopyShortRows(dst, dst_pitch, src, src_pitch, row, h);
    } else if (backward) {
      CopyLoop<P, false, true>(dst, dst_pitch, src, src_pitch, w, h, k);
    } else {
      CopyLoop<P, false, false>(dst, dst_pitch, src, src_pitch, w, h, k);
    }
  } else {
    CopyKeyedAs<P>(dst, dst_pitch, src, src_pitch, w, h, k);
  }
}

// n bytes of the repeated pixel value from d on, in vectors of Bytes: the first and the last
// unaligned, those between aligned (their pattern turned to the phase of the first one).
template <typename P, int Bytes>
NL_VECTOR_BODY void FillRowVectors(uint8_t* d, size_t n, P value) {
  using V = typename sys::Vectors<Bytes>::U8;
  uint8_t pattern[2 * Bytes];
  for (int i = 0; i < 2 * Bytes; ++i) pattern[i] = static_cast<uint8_t>(value >> (8 * (i % sizeof(P))));
  V first, turned;
  LoadVector(&first, pattern);
  StoreVector(d, first);
  const size_t skip = (Bytes - (reinterpret_cast<uintptr_t>(d) & (Bytes - 1))) & (Bytes - 1);
  LoadVector(&turned, pattern + skip % sizeof(P));
  size_t i = skip;
  // Four stores a turn: a long fill is held by the loop's own instructions, not the stores.
  for (; i + 4 * Bytes <= n; i += 4 * Bytes) {
    StoreVector(d + i, turned);
    StoreVector(d + i + Bytes, turned);
    StoreVector(d + i + 2 * Bytes, turned);
    StoreVector(d + i + 3 * Bytes, turned);
  }
  for (; i + Bytes <= n; i += Bytes) StoreVector(d + i, turned);
  if (i < n) StoreVector(d + n - Bytes, first);  // n is whole pixels: the phase of the first
}

template <typename P, int Widest>
NL_VECTOR_BODY void FillBody(uint8_t* dst, int32_t pitch, int w, int h, P value) {
  size_t row = static_cast<size_t>(w) * sizeof(P);
  if (static_cast<size_t>(pitch) == row) {
    row *= static_cast<size_t>(h);
    h = 1;
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* d = dst + static_cast<ptrdiff_t>(y) * pitch;
    if (Widest > kNarrow && row >= static_cast<size_t>(Widest)) {
      FillRowVectors<P, Widest>(d, row, value);
    } else if (row >= static_cast<size_t>(kNarrow)) {
      FillRowVectors<P, kNarrow>(d, row, value);
    } else {
      for (size_t x = 0; x < row; x += sizeof(P)) Store<P>(d + x, value);
    }
  }
}

template <typename P>
void Fill(uint8_t* dst, int32_t pitch, int w, int h, P value) {
  FillBody<P, kNarrow>(dst, pitch, w, h, value);
}

template <typename P>
NL_WIDE_VECTOR_TARGET void FillWide(uint8_t* dst, int32_t pitch, int w, int h, P value) {
  FillBody<P, kWide>(dst, pitch, w, h, value);
}

template <typename P>
void FillAs(uint8_t* dst, int32_t pitch, int w, int h, uint32_t value) {
  const P v = static_cast<P>(value);
  if constexpr (sizeof(P) == 1) {
    if (pitch == w) {
      std::memset(dst, v, static_cast<size_t>(w) * static_cast<size_t>(h));
      return;
    }
    for (int y = 0; y < h; ++y) std::memset(dst + static_cast<ptrdiff_t>(y) * pitch, v, static_cast<size_t>(w));
  } else if (sys::UseWideVectors()) {
    FillWide<P>(dst, pitch, w, h, v);
  } else {
    Fill<P>(dst, pitch, w, h, v);
  }
}

}  // namespace

void CopyPixels(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h,
                int bytes_per_pixel, const uint32_t* key) {
  if (w <= 0 || h <= 0) return;
  switch (bytes_per_pixel) {
    case 1: CopyAs<uint8_t>(dst, dst_pitch, src, src_pitch, w, h, key); break;
    case 2: CopyAs<uint16_t>(dst, dst_pitch, src, src_pitch, w, h, key); break;
    case 4: CopyAs<uint32_t>(dst, dst_pitch, src, src_pitch, w, h, key); break;
    default: break;
  }
}

void CopyKeyedPixels(uint8_t* dst, int32_t dst_pitch, const uint8_t* src, int32_t src_pitch, int w, int h,
                     int bytes_per_pixel, uint32_t key) {
  switch (bytes_per_pixel) {
    case 1: CopyKeyedAs<uint8_t>(dst, dst_pitch, src, src_pitch, w, h, static_cast<uint8_t>(key)); break;
    case 2: CopyKeyedAs<uint16_t>(dst, dst_pitch, src, src_pitch, w, h, static_cast<uint16_t>(key)); break;
    case 4: CopyKeyedAs<uint32_t>(dst, dst_pitch, src, src_pitch, w, h, key); break;
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

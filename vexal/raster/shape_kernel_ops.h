// The kernels as loop bodies: one small type per (layout, rule), picked once per call by
// WithShapeOp, so that a shape's walk is compiled once per kernel and tests nothing per
// pixel. The tests hold every op to a slow reference written from the rules.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/sys/vector_width.h"
#include "vexal/raster/shape_kernels.h"

namespace vexal::shape_ops {

// Pixel pointers that may be read and written over the surfaces' byte buffers.
template <class P>
struct Alias;
template <>
struct Alias<uint8_t> {
  typedef uint8_t type;
};
template <>
struct Alias<uint16_t> {
  typedef uint16_t __attribute__((may_alias)) type;
};
template <>
struct Alias<uint32_t> {
  typedef uint32_t __attribute__((may_alias)) type;
};

// Blend(s, out) is the op on a vector of pixels in 32-bit lanes; vectors go by reference,
// as a 256-bit one passed by value would be passed differently in the two forms.
template <class P>
struct Store {
  using Pixel = P;
  static constexpr bool kReads = false;
  P c;
  template <class V>
  NL_VECTOR_BODY void Blend(const V&, V* out) const {
    *out = V{} + static_cast<uint32_t>(c);
  }
  P operator()(P) const { return c; }
};

// Alpha by table in 32 bits, with the products worked out ((v * q) >> 8 is the table's
// entry): red and blue together, green alone, each product clear of its neighbour.
struct Alpha32 {
  using Pixel = uint32_t;
  static constexpr bool kReads = true;
  uint32_t q;      // 255 - p
  uint32_t terms;  // P(c_c) in their fields
  uint32_t operator()(uint32_t s) const {
    return ((((s & 0xFF00FFu) * q) >> 8) & 0xFF00FFu) + ((((s & 0xFF00u) * q) >> 8) & 0xFF00u) + terms;
  }
  // Vectors multiply in 16-bit lanes, one channel byte a lane (a byte times q fits): the
  // low bytes (blue, red) as (v & 0xFF) * q >> 8, green as ((v >> 8) * q) & 0xFF00, the
  // same product already back in place; the top byte's product is masked away with it.
  template <class V>
  NL_VECTOR_BODY void Blend(const V& s, V* out) const {
    typedef uint16_t Words __attribute__((vector_size(sizeof(V))));
    const uint16_t w = static_cast<uint16_t>(q);
    const Words s16 = reinterpret_cast<Words>(s);
    const Words low = ((s16 & 0xFF) * w) >> 8;
    const Words high = reinterpret_cast<Words>(reinterpret_cast<V>((s16 >> 8) * w) & 0x0000FF00u);
    *out = reinterpret_cast<V>(low | high) + terms;
  }
};

// Alpha by table in the fixed 16-bit layouts (blue at bit 0, five bits).
template <int RShift, int RMax, int GMax>
struct Alpha16 {
  using Pixel = uint16_t;
  static constexpr bool kReads = true;
  uint32_t q;
  uint32_t terms;
  uint16_t operator()(uint16_t s) const {
    const uint32_t r = (((s >> RShift) & RMax) * q) >> 8;
    const uint32_t g = (((s >> 5) & GMax) * q) >> 8;
    const uint32_t b = ((s & 31) * q) >> 8;
    return static_cast<uint16_t>((r << RShift | g << 5 | b) + terms);
  }
  // A field times q fits 16 bits: the vectors multiply in 16-bit lanes.
  template <class V>
  NL_VECTOR_BODY void Blend(const V& s, V* out) const {
    typedef uint16_t Words __attribute__((vector_size(sizeof(V))));
    const uint16_t w = static_cast<uint16_t>(q);
    const V r = reinterpret_cast<V>((reinterpret_cast<Words>((s >> RShift) & RMax) * w) >> 8);
    const V g = reinterpret_cast<V>((reinterpret_cast<Words>((s >> 5) & GMax) * w) >> 8);
    const V b = reinterpret_cast<V>((reinterpret_cast<Words>(s & 31) * w) >> 8);
    *out = (r << RShift | g << 5 | b) + terms;
  }
};

// Alpha by table for other 16-bit masks: each channel by its own shift.
struct AlphaOther16 {
  using Pixel = uint16_t;
  static constexpr bool kReads = true;
  const ShapeKernel* k;
  uint16_t operator()(uint16_t s) const {
    const ShapeFormat& f = k->Format;
    uint32_t out = 0;
    for (int c = 0; c < kShapeChannels; ++c)
      out |= (k->Weight[(s & f.Mask[c]) >> f.Shift[c]] + k->Term[c]) << f.Shift[c];
    return static_cast<uint16_t>(out);
  }
};

// The sixteenths when 16 - L has one bit (L = 8, 12, 14, 15, the half blend among them):
// H(s, 16 - L) is then the one term (s >> shift) & mask, the others being 0.
template <class P>
struct AlphaCoarseOneTerm {
  using Pixel = P;
  static constexpr bool kReads = true;
  int shift;
  uint32_t mask, hc;
  template <class V>
  NL_VECTOR_BODY void Blend(const V& v, V* out) const {
    *out = ((v >> shift) & mask) + hc;
  }
  P operator()(P s) const { return static_cast<P>(((s >> shift) & mask) + hc); }
};

template <class P>
struct AlphaCoarse {
  using Pixel = P;
  static constexpr bool kReads = true;
  uint32_t m1, m2, m3, m4, hc;
  template <class V>
  NL_VECTOR_BODY void Blend(const V& v, V* out) const {
    *out = ((v >> 1) & m1) + ((v >> 2) & m2) + ((v >> 3) & m3) + ((v >> 4) & m4) + hc;
  }
  P operator()(P s) const {
    uint32_t v;
    Blend<uint32_t>(s, &v);
    return static_cast<P>(v);
  }
};

template <class P>
struct Add {
  using Pixel = P;
  static constexpr bool kReads = true;
  uint32_t lanes, k, carry, low, low_bits;
  int spread;
  template <class V>
  NL_VECTOR_BODY void Blend(const V& s, V* out) const {
    const V t = (s & lanes) + k;
    const V m = t & carry;
    *out = (m - (m >> spread)) | ((s | low) & low_bits) | t;
  }
  P operator()(P s) const {
    uint32_t v;
    Blend<uint32_t>(s, &v);
    return static_cast<P>(v);
  }
};

template <class P>
struct Subtract {
  using Pixel = P;
  static constexpr bool kReads = true;
  uint32_t carry, k;
  int spread;
  template <class V>
  NL_VECTOR_BODY void Blend(const V& s, V* out) const {
    const V t = (s | carry) - k;
    const V m = t & carry;
    *out = t & (m - (m >> spread));
  }
  P operator()(P s) const {
    uint32_t v;
    Blend<uint32_t>(s, &v);
    return static_cast<P>(v);
  }
};

// The halved 16-bit box rows. Pair() does two pixels in one word, with every constant
// doubled; a 5:6:5 red carry shifted out of the low pixel is kept out of the high one.
// Vectors do a pair in each 32-bit lane.
template <bool IsAdd>
struct Halved {
  using Pixel = uint16_t;
  static constexpr bool kReads = true;
  static constexpr bool kPairs = true;
  uint32_t mask, carry, low, h, scaled;
  uint16_t operator()(uint16_t s) const {
    uint32_t v;
    Pair<uint32_t>(s, &v);
    return static_cast<uint16_t>(v);
  }
  template <class T>
  NL_VECTOR_BODY void Pair(const T& d, T* out) const {
    if constexpr (IsAdd) {
      const T t = ((d >> 1) & mask) + h;
      const T m = t & carry;
      *out = ((m - (m >> 4)) << 1) | ((d | scaled) & low) | ((t << 1) & ~0x00010000u);
    } else {
      const T t = ((d >> 1) | carry) - h;
      const T m = t & carry;
      *out = ((m - (m >> 4)) << 1) & (t << 1);
    }
  }
  Halved Doubled() const {
    auto twice = [](uint32_t v) { return (v & 0xFFFF) | (v & 0xFFFF) << 16; };
    return {twice(mask), twice(carry), twice(low), twice(h), twice(scaled)};
  }
};

// Channel by channel with the full p (box rows of other 16-bit masks, the single pixel):
// alpha (c * p + s * (255 - p)) >> 8; add ((s << 8) + c * p) >> 8, a sum reaching the bit
// above the channel saturating; subtract ((s << 8) - c * p) >> 8, floored at 0.
template <class P, ShapeKernelKind Kind>
struct Channels {
  using Pixel = P;
  static constexpr bool kReads = true;
  const ShapeKernel* k;
  P operator()(P s) const {
    const ShapeFormat& f = k->Format;
    const int p = k->Param;
    uint32_t out = 0;
    for (int c = 0; c < kShapeChannels; ++c) {
      const int sc = static_cast<int>((k->Color & f.Mask[c]) >> f.Shift[c]);
      const int dc = static_cast<int>((s & f.Mask[c]) >> f.Shift[c]);
      int v;
      if constexpr (Kind == ShapeKernelKind::kAlphaChannels) {
        v = (sc * p + dc * (255 - p)) >> 8;
      } else if constexpr (Kind == ShapeKernelKind::kAddChannels) {
        const int top = (1 << f.Width[c]) - 1;
        v = ((dc << 8) + sc * p) >> 8;
        if (v & (top + 1)) v = top;
      } else {
        const int t = (dc << 8) - sc * p;
        v = t < 0 ? 0 : t >> 8;
      }
      out |= static_cast<uint32_t>(v) << f.Shift[c];
    }
    return static_cast<P>(out);
  }
};

// Calls f with the op of the kernel; nothing for a kernel that draws nothing.
template <class F>
void WithShapeOp(const ShapeKernel& k, F&& f) {
  const ShapeFormat& fm = k.Format;
  const bool wide = fm.Layout == ShapeLayout::k32;
  switch (k.Kind) {
    case ShapeKernelKind::kNone: return;
    case ShapeKernelKind::kStore:
      if (fm.Layout == ShapeLayout::k8) return f(Store<uint8_t>{static_cast<uint8_t>(k.Color)});
      if (wide) return f(Store<uint32_t>{k.Color});
      return f(Store<uint16_t>{static_cast<uint16_t>(k.Color)});
    case ShapeKernelKind::kAlphaTable: {
      const uint32_t q = 255 - static_cast<uint32_t>(k.Param);
      uint32_t terms = 0;
      for (int c = 0; c < kShapeChannels; ++c) terms |= k.Term[c] << fm.Shift[c];
      if (wide) return f(Alpha32{q, terms});
      if (fm.Layout == ShapeLayout::k565) return f(Alpha16<11, 31, 63>{q, terms});
      if (fm.Layout == ShapeLayout::k555) return f(Alpha16<10, 31, 31>{q, terms});
      return f(AlphaOther16{&k});
    }
    case ShapeKernelKind::kAlphaCoarse: {
      const uint32_t* m = k.OldShiftMask;
      const int terms = (m[0] != 0) + (m[1] != 0) + (m[2] != 0) + (m[3] != 0);
      if (terms == 1) {
        const int i = m[0] != 0 ? 0 : m[1] != 0 ? 1 : m[2] != 0 ? 2 : 3;  // the term of v >> (i + 1)
        if (wide) return f(AlphaCoarseOneTerm<uint32_t>{i + 1, m[i], k.Constant});
        return f(AlphaCoarseOneTerm<uint16_t>{i + 1, m[i], k.Constant});
      }
      if (wide) return f(AlphaCoarse<uint32_t>{m[0], m[1], m[2], m[3], k.Constant});
      return f(AlphaCoarse<uint16_t>{m[0], m[1], m[2], m[3], k.Constant});
    }
    case ShapeKernelKind::kAdd:
      if (wide) return f(Add<uint32_t>{fm.Lanes, k.Constant, fm.Carry, k.LowTerm, fm.LowBits, fm.Spread});
      return f(Add<uint16_t>{fm.Lanes, k.Constant, fm.Carry, k.LowTerm, fm.LowBits, fm.Spread});
    case ShapeKernelKind::kSubtract:
      if (wide) return f(Subtract<uint32_t>{fm.Carry, k.Constant, fm.Spread});
      return f(Subtract<uint16_t>{fm.Carry, k.Constant, fm.Spread});
    case ShapeKernelKind::kAddHalved: return f(Halved<true>{k.HalfMask, k.HalfCarry, k.HalfLow, k.Constant, k.LowTerm});
    case ShapeKernelKind::kSubtractHalved:
      return f(Halved<false>{k.HalfMask, k.HalfCarry, k.HalfLow, k.Constant, k.LowTerm});
    case ShapeKernelKind::kAlphaChannels:
      if (wide) return f(Channels<uint32_t, ShapeKernelKind::kAlphaChannels>{&k});
      return f(Channels<uint16_t, ShapeKernelKind::kAlphaChannels>{&k});
    case ShapeKernelKind::kAddChannels:
      if (wide) return f(Channels<uint32_t, ShapeKernelKind::kAddChannels>{&k});
      return f(Channels<uint16_t, ShapeKernelKind::kAddChannels>{&k});
    case ShapeKernelKind::kSubtractChannels:
      if (wide) return f(Channels<uint32_t, ShapeKernelKind::kSubtractChannels>{&k});
      return f(Channels<uint16_t, ShapeKernelKind::kSubtractChannels>{&k});
  }
}

// One pixel: the old value read at src, the new one written at dst.
template <class Op>
inline void PutPixel(const Op& op, uint8_t* dst, const uint8_t* src) {
  using P = typename Op::Pixel;
  P s = 0;
  if constexpr (Op::kReads) std::memcpy(&s, src, sizeof(P));
  const P v = op(s);
  std::memcpy(dst, &v, sizeof(P));
}

// Rows of n pixels from dst and src on, each pitch bytes below the last; when src is dst
// the rows are blended in place. Whole vectors of pixels first, in 32-bit lanes (16-bit
// pixels widened, or a pair of them in a lane for the halved rows): the same expressions as
// one pixel, so the results are the same.
template <class Op>
struct RowLoop {
  template <int VectorBytes>
  NL_VECTOR_BODY static void Run(const Op* o, uint8_t* dst, ptrdiff_t dst_pitch, const uint8_t* src,
                                 ptrdiff_t src_pitch, int n, int rows) {
    using P = typename Op::Pixel;
    using A = typename Alias<P>::type;
    using V = typename plat::sys::Vectors<VectorBytes>::U32;
    constexpr int kLanes = VectorBytes / 4;
    typedef uint16_t Narrow __attribute__((vector_size(VectorBytes / 2)));
    const Op op = *o;  // a copy: stores through the rows cannot change it
    for (int row = 0; row < rows; ++row, dst += dst_pitch, src += src_pitch) {
      A* out = reinterpret_cast<A*>(dst);
      const A* in = reinterpret_cast<const A*>(src);
      if constexpr (sizeof(P) == 1) {
        std::memset(dst, static_cast<uint8_t>(op(0)), static_cast<size_t>(n));
      } else if constexpr (requires { Op::kPairs; }) {
        int i = 0;
        if (n > 0 && (reinterpret_cast<uintptr_t>(dst) & 2) != 0) {
          out[0] = op(in[0]);
          i = 1;
        }
        const auto pairs = op.Doubled();
        for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
          V d, v;
          plat::sys::LoadVector(&d, in + i);
          pairs.Pair(d, &v);
          plat::sys::StoreVector(out + i, v);
        }
        for (; i + 1 < n; i += 2) {
          uint32_t d, v;
          std::memcpy(&d, in + i, 4);
          pairs.Pair(d, &v);
          std::memcpy(out + i, &v, 4);
        }
        if (i < n) out[i] = op(in[i]);
      } else if constexpr (requires(V v) { op.Blend(v, &v); }) {
        int i = 0;
        for (; i + kLanes <= n; i += kLanes) {
          V v{};  // a store reads nothing
          if constexpr (sizeof(P) == 4) {
            if constexpr (Op::kReads) plat::sys::LoadVector(&v, in + i);
            op.Blend(v, &v);
            plat::sys::StoreVector(out + i, v);
          } else {
            Narrow h{};
            if constexpr (Op::kReads) plat::sys::LoadVector(&h, in + i);
            v = __builtin_convertvector(h, V);
            op.Blend(v, &v);
            h = __builtin_convertvector(v, Narrow);
            plat::sys::StoreVector(out + i, h);
          }
        }
        for (; i < n; ++i) out[i] = op(in[i]);
      } else {
        for (int i = 0; i < n; ++i) out[i] = op(in[i]);
      }
    }
  }
};

// One run of n pixels (the round shapes' rows: short, so in 128-bit vectors).
template <class Op>
inline void PutRun(const Op& op, uint8_t* dst, const uint8_t* src, int n) {
  RowLoop<Op>::template Run<16>(&op, dst, 0, src, 0, n, 1);
}

// A box of rows, in the widest vectors the processor has.
template <class Op>
inline void PutRows(const Op& op, uint8_t* dst, ptrdiff_t dst_pitch, const uint8_t* src, ptrdiff_t src_pitch, int n,
                    int rows) {
  plat::sys::RunVectorLoop<RowLoop<Op>>(&op, dst, dst_pitch, src, src_pitch, n, rows);
}

}  // namespace vexal::shape_ops

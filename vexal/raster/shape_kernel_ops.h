// The kernels as loop bodies: one small type per (layout, rule), picked once per call by
// WithShapeOp, so that a shape's walk is compiled once per kernel and tests nothing per
// pixel. The tests hold every op to a slow reference written from the rules.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

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

template <class P>
struct Store {
  using Pixel = P;
  static constexpr bool kReads = false;
  P c;
  template <class V>
  V Blend(V) const {
    return V{} + static_cast<uint32_t>(c);
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
  template <class V>
  V Blend(V s) const {
    if constexpr (std::is_same_v<V, uint32_t>) {
      return ((((s & 0xFF00FFu) * q) >> 8) & 0xFF00FFu) + ((((s & 0xFF00u) * q) >> 8) & 0xFF00u) + terms;
    } else {
      // Vectors multiply in 16-bit lanes, one channel byte a lane (a byte times q fits).
      typedef uint16_t Words __attribute__((vector_size(sizeof(V))));
      const uint16_t w = static_cast<uint16_t>(q);
      const Words rb = (reinterpret_cast<Words>(s & 0xFF00FFu) * w) >> 8;
      const Words g = (reinterpret_cast<Words>((s >> 8) & 0xFFu) * w) >> 8;
      return reinterpret_cast<V>(rb) + (reinterpret_cast<V>(g) << 8) + terms;
    }
  }
  uint32_t operator()(uint32_t s) const { return Blend(s); }
};

// Alpha by table in the fixed 16-bit layouts (blue at bit 0, five bits).
template <int RShift, int RMax, int GMax>
struct Alpha16 {
  using Pixel = uint16_t;
  static constexpr bool kReads = true;
  uint32_t q;
  uint32_t terms;
  template <class V>
  V Blend(V s) const {
    if constexpr (std::is_same_v<V, uint32_t>) {
      const V r = (((s >> RShift) & RMax) * q) >> 8;
      const V g = (((s >> 5) & GMax) * q) >> 8;
      const V b = ((s & 31) * q) >> 8;
      return (r << RShift | g << 5 | b) + terms;
    } else {
      // A field times q fits 16 bits: the vectors multiply in 16-bit lanes.
      typedef uint16_t Words __attribute__((vector_size(sizeof(V))));
      const uint16_t w = static_cast<uint16_t>(q);
      const V r = reinterpret_cast<V>((reinterpret_cast<Words>((s >> RShift) & RMax) * w) >> 8);
      const V g = reinterpret_cast<V>((reinterpret_cast<Words>((s >> 5) & GMax) * w) >> 8);
      const V b = reinterpret_cast<V>((reinterpret_cast<Words>(s & 31) * w) >> 8);
      return (r << RShift | g << 5 | b) + terms;
    }
  }
  uint16_t operator()(uint16_t s) const { return static_cast<uint16_t>(Blend<uint32_t>(s)); }
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

template <class P>
struct AlphaCoarse {
  using Pixel = P;
  static constexpr bool kReads = true;
  uint32_t m1, m2, m3, m4, hc;
  template <class V>
  V Blend(V v) const {
    return ((v >> 1) & m1) + ((v >> 2) & m2) + ((v >> 3) & m3) + ((v >> 4) & m4) + hc;
  }
  P operator()(P s) const { return static_cast<P>(Blend<uint32_t>(s)); }
};

template <class P>
struct Add {
  using Pixel = P;
  static constexpr bool kReads = true;
  uint32_t lanes, k, carry, low, low_bits;
  int spread;
  template <class V>
  V Blend(V s) const {
    const V t = (s & lanes) + k;
    const V m = t & carry;
    return (m - (m >> spread)) | ((s | low) & low_bits) | t;
  }
  P operator()(P s) const { return static_cast<P>(Blend<uint32_t>(s)); }
};

template <class P>
struct Subtract {
  using Pixel = P;
  static constexpr bool kReads = true;
  uint32_t carry, k;
  int spread;
  template <class V>
  V Blend(V s) const {
    const V t = (s | carry) - k;
    const V m = t & carry;
    return t & (m - (m >> spread));
  }
  P operator()(P s) const { return static_cast<P>(Blend<uint32_t>(s)); }
};

// The halved 16-bit box rows. Pair() does two pixels in one word, with every constant
// doubled; a 5:6:5 red carry shifted out of the low pixel is kept out of the high one.
template <bool IsAdd>
struct Halved {
  using Pixel = uint16_t;
  static constexpr bool kReads = true;
  static constexpr bool kPairs = true;
  uint32_t mask, carry, low, h, scaled;
  uint16_t operator()(uint16_t s) const { return static_cast<uint16_t>(Pair(s)); }
  uint32_t Pair(uint32_t d) const {
    if constexpr (IsAdd) {
      const uint32_t t = ((d >> 1) & mask) + h;
      const uint32_t m = t & carry;
      return ((m - (m >> 4)) << 1) | ((d | scaled) & low) | ((t << 1) & ~0x00010000u);
    } else {
      const uint32_t t = ((d >> 1) | carry) - h;
      const uint32_t m = t & carry;
      return ((m - (m >> 4)) << 1) & (t << 1);
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
    case ShapeKernelKind::kNone:
      return;
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
      if (wide) return f(AlphaCoarse<uint32_t>{m[0], m[1], m[2], m[3], k.Constant});
      return f(AlphaCoarse<uint16_t>{m[0], m[1], m[2], m[3], k.Constant});
    }
    case ShapeKernelKind::kAdd:
      if (wide) return f(Add<uint32_t>{fm.Lanes, k.Constant, fm.Carry, k.LowTerm, fm.LowBits, fm.Spread});
      return f(Add<uint16_t>{fm.Lanes, k.Constant, fm.Carry, k.LowTerm, fm.LowBits, fm.Spread});
    case ShapeKernelKind::kSubtract:
      if (wide) return f(Subtract<uint32_t>{fm.Carry, k.Constant, fm.Spread});
      return f(Subtract<uint16_t>{fm.Carry, k.Constant, fm.Spread});
    case ShapeKernelKind::kAddHalved:
      return f(Halved<true>{k.HalfMask, k.HalfCarry, k.HalfLow, k.Constant, k.LowTerm});
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

inline constexpr int kLaneCount = 4;
typedef uint32_t Lanes __attribute__((vector_size(16)));
typedef uint16_t NarrowLanes __attribute__((vector_size(8)));

// n pixels from dst and src on. When src is dst the row is blended in place.
template <class Op>
inline void PutRun(const Op& op, uint8_t* dst, const uint8_t* src, int n) {
  using P = typename Op::Pixel;
  using A = typename Alias<P>::type;
  A* out = reinterpret_cast<A*>(dst);
  if constexpr (sizeof(P) == 1) {
    std::memset(dst, static_cast<uint8_t>(op(0)), static_cast<size_t>(n));
  } else if constexpr (requires { Op::kPairs; }) {
    const A* in = reinterpret_cast<const A*>(src);
    int i = 0;
    if (n > 0 && (reinterpret_cast<uintptr_t>(dst) & 2) != 0) {
      out[0] = op(in[0]);
      i = 1;
    }
    const auto pairs = op.Doubled();
    for (; i + 1 < n; i += 2) {
      uint32_t d;
      std::memcpy(&d, in + i, 4);
      d = pairs.Pair(d);
      std::memcpy(out + i, &d, 4);
    }
    if (i < n) out[i] = op(in[i]);
  } else if constexpr (requires(Lanes v) { op.Blend(v); }) {
    // Four pixels at a time in 32-bit lanes (16-bit pixels widened): the same expressions
    // as one pixel, so the results are the same.
    const A* in = reinterpret_cast<const A*>(src);
    int i = 0;
    for (; i + kLaneCount <= n; i += kLaneCount) {
      Lanes v{};  // a store reads nothing, yet its blend takes the lanes by value
      if constexpr (sizeof(P) == 4) {
        if constexpr (Op::kReads) std::memcpy(&v, in + i, sizeof v);
        v = op.Blend(v);
        std::memcpy(out + i, &v, sizeof v);
      } else {
        NarrowLanes h{};
        if constexpr (Op::kReads) std::memcpy(&h, in + i, sizeof h);
        h = __builtin_convertvector(op.Blend(__builtin_convertvector(h, Lanes)), NarrowLanes);
        std::memcpy(out + i, &h, sizeof h);
      }
    }
    for (; i < n; ++i) out[i] = op(in[i]);
  } else {
    const A* in = reinterpret_cast<const A*>(src);
    for (int i = 0; i < n; ++i) out[i] = op(in[i]);
  }
}

}  // namespace vexal::shape_ops

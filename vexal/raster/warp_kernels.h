// The per-pixel work of the image warps (triangles, stretched and rotated graphs): colour
// key, brightness, alpha plane and blend modes 0 to 3 in 32-bit XRGB and 16-bit colour.
// Every choice a call makes (layout, rule, alpha plane, brightness, the coarse flag, the
// parameter) is settled once into small rows and one kernel type; a walker then runs its
// own geometry with that kernel and tests nothing per pixel but the key and the alpha byte.
//
// These kernels are not the graph blitter's: the warps blend with the rows p and 255 - p
// and add and subtract on packed pixels, whose carries and low bits differ from the
// blitter's per-channel sums.
#pragma once

#include <cstdint>
#include <cstring>

#include "vexal/graphics/screen/color_format.h"

namespace vexal::warp {

inline constexpr int kChannels = 3;      // red, green, blue
inline constexpr int kRowSize = 256;     // entries of a table row
inline constexpr int kOpaque = 255;      // alpha byte that takes the source whole
inline constexpr int kCoarseSteps = 16;  // sixteenths

// What a pixel becomes, chosen once per call.
enum class Op {
  Copy,      // s' (alpha plane: a lerp by a)
  Mix,       // Src[s'] + Dst[d] per channel (alpha plane: a lerp by a * p >> 8)
  Average,   // the exact average of s and d (coarse level 8 without brightness)
  Add,       // packed saturating add of Src[s']
  Subtract,  // packed flooring subtract of Src[s']
};

enum class LayoutKind { k32, k565, k555, kGeneric, kNone };

// The constants of the packed add and subtract: keep mask, carry and guard bits, low-bit
// mask. Each layout's Spread turns surviving carries into masks over their channels.
struct PackedConsts {
  uint32_t M, K, B;
};

// A 16-bit layout with the screen's masks: fields are (pixel & mask) >> shift. Each
// channel's carry spreads over its own width, as the widths may differ.
struct GenericLayout {
  using Pixel = uint16_t;
  static constexpr bool kByteChannels = false;
  int Shift[kChannels];
  int Width[kChannels];
  uint32_t Mask[kChannels];
  uint32_t Carry[kChannels];  // the bit just above each channel
  PackedConsts Packed;
  // False when a channel is wider than a table row or missing: such a layout only copies.
  bool Blends = true;
  int Field(uint32_t p, int c) const { return static_cast<int>((p & Mask[c]) >> Shift[c]); }
  uint32_t Put(int v, int c) const { return static_cast<uint32_t>(v) << Shift[c]; }
  PackedConsts Consts() const { return Packed; }
  uint32_t Spread(uint32_t cy) const {
    uint32_t out = 0;
    for (int c = 0; c < kChannels; ++c) {
      const uint32_t m = cy & Carry[c];
      out |= m - (m >> Width[c]);
    }
    return out;
  }
  uint32_t AverageMask() const { return 0; }
};

template <int RS, int GS, int RM, int GM, uint32_t M, uint32_t K, uint32_t B, int N, uint32_t Avg>
struct FixedLayout16 {
  using Pixel = uint16_t;
  static constexpr bool kByteChannels = false;
  static int Field(uint32_t p, int c) {
    return c == 0 ? static_cast<int>(p >> RS) & RM : c == 1 ? static_cast<int>(p >> GS) & GM : static_cast<int>(p) & 31;
  }
  static uint32_t Put(int v, int c) { return static_cast<uint32_t>(v) << (c == 0 ? RS : c == 1 ? GS : 0); }
  static constexpr PackedConsts Consts() { return {M, K, B}; }
  static constexpr uint32_t Spread(uint32_t cy) { return cy - (cy >> N); }
  static constexpr uint32_t AverageMask() { return Avg; }
};

using Layout565 = FixedLayout16<11, 5, 31, 63, 0xF7DF, 0x10820, 0x820, 5, 0x7BEF>;
using Layout555 = FixedLayout16<10, 5, 31, 31, 0x7BDF, 0x8420, 0x420, 5, 0x3DEF>;

struct Layout32 {
  using Pixel = uint32_t;
  static constexpr bool kByteChannels = true;
  static int Field(uint32_t p, int c) { return static_cast<int>(p >> (16 - 8 * c)) & 0xFF; }
  static uint32_t Put(int v, int c) { return static_cast<uint32_t>(v) << (16 - 8 * c); }
  static constexpr PackedConsts Consts() { return {0xFEFEFF, 0x1010100, 0x10100}; }
  static constexpr uint32_t Spread(uint32_t cy) { return cy - (cy >> 8); }
  static constexpr uint32_t AverageMask() { return 0x7F7F7F; }
};

// Rows and values one call reads besides the pixels.
struct WarpTables {
  uint8_t Bright[kChannels][kRowSize];  // s -> s' per channel (used only with brightness)
  uint8_t Src[kRowSize];                // s' -> its share: row p, or L sixteenths
  uint8_t Dst[kRowSize];                // d -> its share: row 255 - p, or 16 - L sixteenths
  int Param = 0;                        // p, for the alpha weight a * p >> 8
  bool Keyed = false;
  uint32_t Key = 0;  // in the pixel's width
};

// The plan of one call: nothing drawn, or the kernel to run.
struct WarpPlan {
  bool Draws = false;
  LayoutKind Layout = LayoutKind::kNone;
  Op Rule = Op::Copy;
  bool Bright = false;
  bool Alpha = false;
  GenericLayout Generic{};
  WarpTables Tables{};
};

// What a call asks for.
struct WarpRequest {
  const ColorFormatRecord* Format = nullptr;
  int BlendMode = 0;
  int BlendParam = 255;
  uint32_t Bright = 0xFFFFFFFF;  // as the draw state keeps it: 0xFF, red, green, blue from the low end
  bool Coarse = false;
  bool Alpha = false;  // the piece has an alpha plane
  bool Flat = false;   // one colour instead of a graph
  bool Keyed = false;
  uint32_t Key = 0;
};

// Settles a 16- or 32-bit call (8-bit screens are the walkers' byte copies). False when
// the call draws nothing: mode above 3, parameter or level 0 in modes 1 to 3, a format
// without a rule.
bool PlanWarp(const WarpRequest& request, WarpPlan* plan);

// One kernel: Prepare works on the source pixel once (however many destination pixels
// repeat it), Apply on each destination pixel with its alpha byte and old value d.
template <class L, Op R, bool HasAlpha, bool HasBright>
struct Kernel {
  using Pixel = typename L::Pixel;
  const L& Lay;
  const WarpTables& T;

  struct Source {
    uint32_t Raw;          // s
    uint32_t Out;          // s' packed (s itself without brightness)
    int C[kChannels];      // s' per channel
    int Share[kChannels];  // Src[s'] per channel
    uint32_t Packed;       // Src[s'] packed
  };

  Source Prepare(uint32_t s) const {
    Source r;
    r.Raw = s;
    uint32_t out = 0, packed = 0;
    for (int c = 0; c < kChannels; ++c) {
      const int v = Lay.Field(s, c);
      r.C[c] = HasBright ? T.Bright[c][v] : v;
      out |= Lay.Put(r.C[c], c);
      if constexpr (R == Op::Mix || R == Op::Add || R == Op::Subtract) {
        r.Share[c] = T.Src[r.C[c]];
        packed |= Lay.Put(r.Share[c], c);
      }
    }
    r.Out = HasBright ? out : s;
    r.Packed = packed;
    return r;
  }

  uint32_t Lerp(const Source& r, uint32_t d, int w) const {
    uint32_t out = 0;
    for (int c = 0; c < kChannels; ++c) {
      const int dc = Lay.Field(d, c);
      out |= Lay.Put(dc + (((r.C[c] - dc) * w) >> 8), c);  // >> of a negative product floors
    }
    return out;
  }

  uint32_t Apply(const Source& r, int a, uint32_t d) const {
    if constexpr (R == Op::Copy) {
      if (!HasAlpha || a == kOpaque) return r.Out;
      return Lerp(r, d, a);
    } else if constexpr (R == Op::Mix) {
      if (HasAlpha && a != kOpaque) return Lerp(r, d, (a * T.Param) >> 8);
      uint32_t out = r.Packed;  // the two shares of a channel never carry
      for (int c = 0; c < kChannels; ++c) out += Lay.Put(T.Dst[Lay.Field(d, c)], c);
      return out;
    } else if constexpr (R == Op::Average) {
      return (d & r.Raw) + (((d ^ r.Raw) >> 1) & Lay.AverageMask());
    } else {
      uint32_t S = r.Packed;
      if (HasAlpha && a != kOpaque) {
        S = 0;
        for (int c = 0; c < kChannels; ++c) S |= Lay.Put((r.Share[c] * a) >> 8, c);
      }
      const PackedConsts k = Lay.Consts();
      if constexpr (R == Op::Add) {
        const uint32_t sum = (d & k.M) + (S & k.M);
        const uint32_t cy = sum & k.K;
        return sum | Lay.Spread(cy) | ((d | S) & k.B);
      } else {
        const uint32_t t = (d | k.K) - (S & k.M);
        const uint32_t b = t & k.K;
        return t & Lay.Spread(b);
      }
    }
  }
};

template <class Pixel>
inline uint32_t LoadPixel(const uint8_t* at) {
  Pixel p;
  std::memcpy(&p, at, sizeof p);
  return p;
}

template <class Pixel>
inline void StorePixel(uint8_t* at, uint32_t v) {
  const Pixel p = static_cast<Pixel>(v);
  std::memcpy(at, &p, sizeof p);
}

// Runs walker.template Run<K>(kernel) with the kernel the plan names.
template <class W, class L, Op R, bool A>
void RunBright(const WarpPlan& plan, const L& lay, W& walker) {
  if (plan.Bright)
    walker.Run(Kernel<L, R, A, true>{lay, plan.Tables});
  else
    walker.Run(Kernel<L, R, A, false>{lay, plan.Tables});
}

template <class W, class L, Op R>
void RunAlpha(const WarpPlan& plan, const L& lay, W& walker) {
  if constexpr (R == Op::Average) {
    walker.Run(Kernel<L, R, false, false>{lay, plan.Tables});
  } else if (plan.Alpha) {
    RunBright<W, L, R, true>(plan, lay, walker);
  } else {
    RunBright<W, L, R, false>(plan, lay, walker);
  }
}

template <class W, class L>
void RunRule(const WarpPlan& plan, const L& lay, W& walker) {
  switch (plan.Rule) {
    case Op::Copy: return RunAlpha<W, L, Op::Copy>(plan, lay, walker);
    case Op::Mix: return RunAlpha<W, L, Op::Mix>(plan, lay, walker);
    case Op::Average: return RunAlpha<W, L, Op::Average>(plan, lay, walker);
    case Op::Add: return RunAlpha<W, L, Op::Add>(plan, lay, walker);
    case Op::Subtract: return RunAlpha<W, L, Op::Subtract>(plan, lay, walker);
  }
}

template <class W>
void RunPlan(const WarpPlan& plan, W& walker) {
  if (!plan.Draws) return;
  switch (plan.Layout) {
    case LayoutKind::k32: return RunRule(plan, Layout32{}, walker);
    case LayoutKind::k565: return RunRule(plan, Layout565{}, walker);
    case LayoutKind::k555: return RunRule(plan, Layout555{}, walker);
    case LayoutKind::kGeneric: return RunRule(plan, plan.Generic, walker);
    case LayoutKind::kNone: return;
  }
}

}  // namespace vexal::warp

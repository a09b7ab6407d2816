// The real loops: one instantiation per (layout, rule, key, alpha plane, brightness). Every
// per-channel function of a single channel value (brightness, the parameter's scaling, fine
// or in sixteenths) is folded into small local rows before the loop, so the coarse flag and
// the brightness choose rows, and the inner loop tests nothing but the key and the alpha byte.
//
// The blends the game draws most (a constant blend without brightness, and the alpha plane
// without brightness) have their own loops in plain arithmetic on whole pixels, with the key
// and the alpha byte as selects, so that they run as vectors (128-bit, or 256-bit where the
// processor has them); their results are the rows' to the bit (both reduce to (p * v) >> 8
// and shifts per channel).
#include "vexal/ddraw/blit_kernels.h"

#include <algorithm>
#include <cstring>

#include "platform/sys/vector_width.h"
#include "vexal/graphics/screen/blend_mul_table.h"

namespace vexal {
namespace {

constexpr int kChannels = 3;      // red, green, blue
constexpr int kMaxField = 255;    // widest channel the rows cover
constexpr int kCoarseSteps = 16;  // sixteenths
constexpr int kOpaqueAlpha = 255;
constexpr int kHalfParam = 128;  // the half blend: p = 256 - p

// What one pixel computes, chosen once per call.
enum class Rule {
  Copy,       // s'
  CopyAlpha,  // a = 255: s'; else Lerp(a)
  Mix,        // S_c[s_c] + D[d_c] (table blend, or its sixteenths)
  MixAlpha,   // a = 255: Mix; else Lerp((a * m) >> 8)
  Weighted,   // Weighted((a * m) >> 8)
  Add,        // min(max, d + t)
  Subtract,   // max(0, d - t)
  Xor,        // s ^ d
};

struct Layout32 {
  using Pixel = uint32_t;
  static constexpr bool kPackedXrgb = true;
  static constexpr int Shift[kChannels] = {16, 8, 0};
  static constexpr int Max[kChannels] = {255, 255, 255};
};
struct Layout565 {
  using Pixel = uint16_t;
  static constexpr bool kPackedXrgb = false;
  static constexpr int Shift[kChannels] = {11, 5, 0};
  static constexpr int Max[kChannels] = {31, 63, 31};
};
struct Layout555 {
  using Pixel = uint16_t;
  static constexpr bool kPackedXrgb = false;
  static constexpr int Shift[kChannels] = {10, 5, 0};
  static constexpr int Max[kChannels] = {31, 31, 31};
};
struct LayoutMasks16 {
  using Pixel = uint16_t;
  static constexpr bool kPackedXrgb = false;
  int Shift[kChannels];
  int Max[kChannels];
};

using Row = uint8_t[kMaxField + 1];

// Everything a loop reads besides the pixels.
struct Rows {
  Row Bright[kChannels];  // s -> s'
  Row Src[kChannels];     // Mix: s -> its share; Add/Subtract: s -> t
  Row Dst;                // Mix: d -> its share
  int WeightMul;          // m of the alpha weights
  uint32_t Key;
  // The arithmetic loops of Mix without brightness.
  bool CoarseMix;           // sixteenths: the shift masks below; else the parameters
  int SourceParam;          // p
  int DestParam;            // 256 - p
  uint32_t SourceShift[4];  // mask of v >> 1, 2, 3, 4 within each channel, or 0 when k lacks that bit
  uint32_t DestShift[4];    // the same for 16 - k
};

// Pixel pointers that may be read and written over the surfaces' byte buffers.
template <class P>
struct MayAlias;
template <>
struct MayAlias<uint16_t> {
  typedef uint16_t __attribute__((may_alias)) type;
};
template <>
struct MayAlias<uint32_t> {
  typedef uint32_t __attribute__((may_alias)) type;
};

// (v * p) >> 8 of each channel of a pixel (p below 256), on whole pixels in the pixel's own
// width (so that the loops vectorise): in 32 bits red with blue and green alone, each
// product clear of its neighbour; in 16 bits no field is wider than 8 bits, so each product
// fits.
template <class L>
inline typename L::Pixel ScaleChannels(const L& layout, typename L::Pixel v, typename L::Pixel p) {
  using Calc = typename L::Pixel;
  if constexpr (L::kPackedXrgb) {
    return static_cast<Calc>((((v & 0xFF00FFu) * p >> 8) & 0xFF00FFu) + (((v & 0xFF00u) * p >> 8) & 0xFF00u));
  } else {
    Calc out = 0;
    for (int c = 0; c < kChannels; ++c) {
      const Calc field = static_cast<Calc>((v >> layout.Shift[c]) & layout.Max[c]);
      out = static_cast<Calc>(out | static_cast<Calc>(static_cast<Calc>(field * p) >> 8) << layout.Shift[c]);
    }
    return out;
  }
}

template <class L>
inline int Field(const L& layout, uint32_t pixel, int c) {
  return static_cast<int>(pixel >> layout.Shift[c]) & layout.Max[c];
}

template <class L>
inline typename L::Pixel Load(const uint8_t* row, int x) {
  typename L::Pixel pixel;
  std::memcpy(&pixel, row + x * sizeof(pixel), sizeof(pixel));
  return pixel;
}

// Mix without brightness or alpha plane: T[p][s_c] + T[256 - p][d_c], or the sixteenths
// of k and 16 - k by shift-and-add. No channel carries: the two shares add up to at most
// the channel's top, so whole pixels add. At k = 8 (the half blend) each share is its one
// term, v >> 1, and Halves leaves out the three terms whose masks are 0.
template <class L, bool Keyed, bool Coarse, bool Halves = false>
struct MixLoop {
  template <int VectorBytes>
  NL_VECTOR_BODY static void Run(const L* layout, const Rows* rows, const BlitPixels* px) {
    using Calc = typename L::Pixel;
    using Pixel = typename MayAlias<Calc>::type;
    const Calc key = static_cast<Calc>(rows->Key);
    const Calc sp = static_cast<Calc>(rows->SourceParam), dp = static_cast<Calc>(rows->DestParam);
    Calc sm[4], dm[4];
    for (int i = 0; i < 4; ++i)
      sm[i] = static_cast<Calc>(rows->SourceShift[i]), dm[i] = static_cast<Calc>(rows->DestShift[i]);
    const int width = px->Width;
    for (int y = 0; y < px->Height; ++y) {
      const Pixel* src = reinterpret_cast<const Pixel*>(px->Source + y * px->SourcePitch);
      const Pixel* dread = reinterpret_cast<const Pixel*>(px->DestRead + y * px->DestReadPitch);
      Pixel* out = reinterpret_cast<Pixel*>(px->Dest + y * px->DestPitch);
      for (int x = 0; x < width; ++x) {
        const Calc s = src[x], d = dread[x];
        Calc v;
        if constexpr (Coarse && Halves) {
          v = static_cast<Calc>(((s >> 1) & sm[0]) + ((d >> 1) & dm[0]));
        } else if constexpr (Coarse) {
          v = static_cast<Calc>(((s >> 1) & sm[0]) + ((s >> 2) & sm[1]) + ((s >> 3) & sm[2]) + ((s >> 4) & sm[3]) +
                                ((d >> 1) & dm[0]) + ((d >> 2) & dm[1]) + ((d >> 3) & dm[2]) + ((d >> 4) & dm[3]));
        } else {
          v = static_cast<Calc>(ScaleChannels(*layout, s, sp) + ScaleChannels(*layout, d, dp));
        }
        if constexpr (Keyed) v = s == key ? d : v;
        out[x] = v;
      }
    }
  }
};

// The fine Mix in 32 bits, a vector of pixels at a time. Seen as 16-bit lanes a pixel is
// green:blue and top:red; each byte times a parameter below 256 fits a lane, so the low
// bytes take (v & 0xFF) * p >> 8 and green ((v >> 8) * p) & 0xFF00, which is the same
// product shifted back into place; the top byte's products are masked away with it. The
// key selects the old pixel (read before the vector is stored: it may be the one being
// written).
template <bool Keyed>
struct Mix32FineLoop {
  template <int VectorBytes>
  NL_VECTOR_BODY static void Run(const Rows* rows, const BlitPixels* px) {
    using V = typename plat::sys::Vectors<VectorBytes>::U32;
    using W = typename plat::sys::Vectors<VectorBytes>::U16;
    constexpr int kLanes = VectorBytes / 4;
    constexpr uint32_t kGreen = 0x0000FF00;
    const uint32_t key = rows->Key;
    const uint16_t sp = static_cast<uint16_t>(rows->SourceParam), dp = static_cast<uint16_t>(rows->DestParam);
    const V keys = V{} + key;
    const int width = px->Width;
    for (int y = 0; y < px->Height; ++y) {
      const uint8_t* src = px->Source + y * px->SourcePitch;
      const uint8_t* dread = px->DestRead + y * px->DestReadPitch;
      uint8_t* out = px->Dest + y * px->DestPitch;
      int x = 0;
      for (; x + kLanes <= width; x += kLanes) {
        V sv, dv;
        plat::sys::LoadVector(&sv, src + x * 4);
        plat::sys::LoadVector(&dv, dread + x * 4);
        const W s16 = reinterpret_cast<W>(sv), d16 = reinterpret_cast<W>(dv);
        const W low = (((s16 & 0xFF) * sp) >> 8) + (((d16 & 0xFF) * dp) >> 8);
        const V green =
            reinterpret_cast<V>(((s16 >> 8) * sp) & 0xFF00) + reinterpret_cast<V>(((d16 >> 8) * dp) & 0xFF00);
        V v = reinterpret_cast<V>(low) | (green & kGreen);
        if constexpr (Keyed) v = sv == keys ? dv : v;
        plat::sys::StoreVector(out + x * 4, v);
      }
      for (; x < width; ++x) {
        uint32_t s, d;
        std::memcpy(&s, src + x * 4, 4);
        std::memcpy(&d, dread + x * 4, 4);
        uint32_t v = 0;
        for (int shift = 0; shift < 24; shift += 8)
          v |= ((((s >> shift) & 0xFF) * sp >> 8) + (((d >> shift) & 0xFF) * dp >> 8)) << shift;
        if constexpr (Keyed) v = s == key ? d : v;
        std::memcpy(out + x * 4, &v, 4);
      }
    }
  }
};

// Mode 0 with an alpha plane and no brightness: a = 255 copies the pixel, a = 0 keeps it,
// others lerp each channel by a.
template <class L, bool Keyed>
struct CopyAlphaLoop {
  template <int VectorBytes>
  NL_VECTOR_BODY static void Run(const L* layout, const Rows* rows, const BlitPixels* px) {
    using Pixel = typename MayAlias<typename L::Pixel>::type;
    const Pixel key = static_cast<Pixel>(rows->Key);
    const int width = px->Width;
    for (int y = 0; y < px->Height; ++y) {
      const Pixel* src = reinterpret_cast<const Pixel*>(px->Source + y * px->SourcePitch);
      const Pixel* dread = reinterpret_cast<const Pixel*>(px->DestRead + y * px->DestReadPitch);
      const uint8_t* alpha = px->Alpha + y * px->AlphaPitch;
      Pixel* out = reinterpret_cast<Pixel*>(px->Dest + y * px->DestPitch);
      for (int x = 0; x < width; ++x) {
        const uint32_t s = src[x], d = dread[x];
        const int a = alpha[x];
        uint32_t v = 0;
        if constexpr (L::kPackedXrgb) {
          // d + ((s - d) * a >> 8) is (s * a + d * (256 - a)) >> 8 exactly, and that sum stays
          // below 65536, so red with blue and green alone fit in one 32-bit product each.
          const uint32_t ua = static_cast<uint32_t>(a), ud = 256 - ua;
          v = ((((s & 0xFF00FFu) * ua + (d & 0xFF00FFu) * ud) >> 8) & 0xFF00FFu) |
              ((((s & 0xFF00u) * ua + (d & 0xFF00u) * ud) >> 8) & 0xFF00u);
        } else {
          for (int c = 0; c < kChannels; ++c) {
            const int sc = static_cast<int>(s >> layout->Shift[c]) & layout->Max[c];
            const int dc = static_cast<int>(d >> layout->Shift[c]) & layout->Max[c];
            v |= static_cast<uint32_t>(dc + (((sc - dc) * a) >> 8)) << layout->Shift[c];
          }
        }
        v = a == kOpaqueAlpha ? s : v;
        v = a == 0 ? d : v;
        if constexpr (Keyed) v = s == key ? d : v;
        out[x] = static_cast<Pixel>(v);
      }
    }
  }
};

template <class L, Rule R, bool Keyed, bool HasAlpha, bool Bright>
void BlitLoop(const L& layout, const Rows& rows, const BlitPixels& px) {
  using Pixel = typename L::Pixel;
  const Rows& local = rows;                         // on the caller's stack, filled for this call
  const Pixel key = static_cast<Pixel>(local.Key);  // fits: see Draw
  if constexpr (R == Rule::Copy && !Keyed && !HasAlpha && !Bright) {
    // memmove: a graph drawn onto itself may overlap its own rows.
    for (int y = 0; y < px.Height; ++y)
      std::memmove(px.Dest + y * px.DestPitch, px.Source + y * px.SourcePitch,
                   static_cast<size_t>(px.Width) * sizeof(Pixel));
    return;
  }
  if constexpr (R == Rule::Mix && !HasAlpha && !Bright) {
    // At p = 128 the fine shares (v * 128) >> 8 are v >> 1, the half loop's one term each, and
    // FillRows sets its masks from p whether coarse or not: one shift and mask per share.
    const bool fine_half = L::kPackedXrgb && !local.CoarseMix && local.SourceParam == kHalfParam;
    if constexpr (L::kPackedXrgb) {
      if (!local.CoarseMix && !fine_half) {
        plat::sys::RunVectorLoop<Mix32FineLoop<Keyed>>(&local, &px);
        return;
      }
    }
    const bool halves = local.SourceShift[1] == 0 && local.SourceShift[2] == 0 && local.SourceShift[3] == 0 &&
                        local.DestShift[1] == 0 && local.DestShift[2] == 0 && local.DestShift[3] == 0;
    if ((local.CoarseMix || fine_half) && halves)
      plat::sys::RunVectorLoop<MixLoop<L, Keyed, true, true>>(&layout, &local, &px);
    else if (local.CoarseMix)
      plat::sys::RunVectorLoop<MixLoop<L, Keyed, true>>(&layout, &local, &px);
    else
      plat::sys::RunVectorLoop<MixLoop<L, Keyed, false>>(&layout, &local, &px);
    return;
  }
  if constexpr (R == Rule::CopyAlpha && HasAlpha && !Bright) {
    plat::sys::RunVectorLoop<CopyAlphaLoop<L, Keyed>>(&layout, &local, &px);
    return;
  }
  if constexpr (R == Rule::Copy && !HasAlpha) {
    // Tiles and glyphs: a select instead of a skip keeps the row loop free of branches. The
    // kept pixel is read from the destination itself, so it is exactly left unchanged.
    for (int y = 0; y < px.Height; ++y) {
      const uint8_t* srcRow = px.Source + y * px.SourcePitch;
      uint8_t* outRow = px.Dest + y * px.DestPitch;
      for (int x = 0; x < px.Width; ++x) {
        const Pixel s = Load<L>(srcRow, x);
        Pixel out = s;
        if constexpr (Bright) {
          uint32_t packed = 0;
          for (int c = 0; c < kChannels; ++c)
            packed |= static_cast<uint32_t>(local.Bright[c][Field(layout, s, c)]) << layout.Shift[c];
          out = static_cast<Pixel>(packed);
        }
        if constexpr (Keyed) {
          const Pixel kept = Load<L>(outRow, x);
          out = s == key ? kept : out;
        }
        std::memcpy(outRow + x * sizeof(Pixel), &out, sizeof(Pixel));
      }
    }
    return;
  }
  for (int y = 0; y < px.Height; ++y) {
    const uint8_t* srcRow = px.Source + y * px.SourcePitch;
    const uint8_t* dRow = px.DestRead + y * px.DestReadPitch;
    uint8_t* outRow = px.Dest + y * px.DestPitch;
    const uint8_t* alphaRow = HasAlpha ? px.Alpha + y * px.AlphaPitch : nullptr;
    for (int x = 0; x < px.Width; ++x) {
      const Pixel s = Load<L>(srcRow, x);
      if constexpr (Keyed) {
        if (s == key) continue;
      }
      int a = kOpaqueAlpha;
      if constexpr (HasAlpha) {
        a = alphaRow[x];
        if (a == 0) continue;
      }
      const Pixel d = Load<L>(dRow, x);
      uint32_t out = 0;
      auto brightened = [&](int c) {
        const int v = Field(layout, s, c);
        if constexpr (Bright) return static_cast<int>(local.Bright[c][v]);
        return v;
      };
      auto copy = [&]() -> uint32_t {
        if constexpr (!Bright) return s;
        uint32_t packed = 0;
        for (int c = 0; c < kChannels; ++c) packed |= static_cast<uint32_t>(brightened(c)) << layout.Shift[c];
        return packed;
      };
      auto lerp = [&](int w) {
        uint32_t packed = 0;
        for (int c = 0; c < kChannels; ++c) {
          const int dc = Field(layout, d, c);
          const int v = dc + (((brightened(c) - dc) * w) >> 8);
          packed |= static_cast<uint32_t>(v) << layout.Shift[c];
        }
        return packed;
      };
      auto mix = [&]() {
        uint32_t packed = 0;
        for (int c = 0; c < kChannels; ++c) {
          const int v = local.Src[c][Field(layout, s, c)] + local.Dst[Field(layout, d, c)];
          packed |= static_cast<uint32_t>(v) << layout.Shift[c];
        }
        return packed;
      };
      if constexpr (R == Rule::Copy) {
        out = copy();
      } else if constexpr (R == Rule::CopyAlpha) {
        out = a == kOpaqueAlpha ? copy() : lerp(a);
      } else if constexpr (R == Rule::Mix) {
        out = mix();
      } else if constexpr (R == Rule::MixAlpha) {
        out = a == kOpaqueAlpha ? mix() : lerp((a * local.WeightMul) >> 8);
      } else if constexpr (R == Rule::Weighted) {
        const int w = (a * local.WeightMul) >> 8;
        for (int c = 0; c < kChannels; ++c) {
          const int v = (brightened(c) * w + Field(layout, d, c) * (255 - w)) >> 8;
          out |= static_cast<uint32_t>(v) << layout.Shift[c];
        }
      } else if constexpr (R == Rule::Add || R == Rule::Subtract) {
        for (int c = 0; c < kChannels; ++c) {
          int t = local.Src[c][Field(layout, s, c)];
          if constexpr (HasAlpha) {
            if (a != kOpaqueAlpha) t = (a * t) >> 8;  // = BlendMulTable[a][t]
          }
          const int dc = Field(layout, d, c);
          const int v = R == Rule::Add ? std::min(layout.Max[c], dc + t) : std::max(0, dc - t);
          out |= static_cast<uint32_t>(v) << layout.Shift[c];
        }
      } else {
        out = s ^ d;
      }
      const Pixel stored = static_cast<Pixel>(out);
      std::memcpy(outRow + x * sizeof(Pixel), &stored, sizeof(Pixel));
    }
  }
}

template <class L, Rule R, bool Keyed, bool HasAlpha>
void PickBright(const L& layout, const Rows& rows, const BlitPixels& px, bool bright) {
  if (bright)
    BlitLoop<L, R, Keyed, HasAlpha, true>(layout, rows, px);
  else
    BlitLoop<L, R, Keyed, HasAlpha, false>(layout, rows, px);
}

template <class L, Rule R>
void PickFlags(const L& layout, const Rows& rows, const BlitPixels& px, bool keyed, bool bright) {
  const bool alpha = px.Alpha != nullptr;
  if (keyed) {
    if (alpha)
      PickBright<L, R, true, true>(layout, rows, px, bright);
    else
      PickBright<L, R, true, false>(layout, rows, px, bright);
  } else {
    if (alpha)
      PickBright<L, R, false, true>(layout, rows, px, bright);
    else
      PickBright<L, R, false, false>(layout, rows, px, bright);
  }
}

template <class L>
void PickRule(const L& layout, Rule rule, const Rows& rows, const BlitPixels& px, bool keyed, bool bright) {
  switch (rule) {
    case Rule::Copy: return PickFlags<L, Rule::Copy>(layout, rows, px, keyed, bright);
    case Rule::CopyAlpha: return PickFlags<L, Rule::CopyAlpha>(layout, rows, px, keyed, bright);
    case Rule::Mix: return PickFlags<L, Rule::Mix>(layout, rows, px, keyed, bright);
    case Rule::MixAlpha: return PickFlags<L, Rule::MixAlpha>(layout, rows, px, keyed, bright);
    case Rule::Weighted: return PickFlags<L, Rule::Weighted>(layout, rows, px, keyed, bright);
    case Rule::Add: return PickFlags<L, Rule::Add>(layout, rows, px, keyed, bright);
    case Rule::Subtract: return PickFlags<L, Rule::Subtract>(layout, rows, px, keyed, bright);
    case Rule::Xor: return PickFlags<L, Rule::Xor>(layout, rows, px, keyed, bright);
  }
}

// The rule of a call, or false when the call draws nothing.
bool ChooseRule(const BlitSettings& st, bool alpha, bool full, int colorBits, Rule* rule) {
  const int p = st.BlendParam;
  const int mode = st.BlendMode;
  const Rule mode0 = alpha ? Rule::CopyAlpha : Rule::Copy;
  if (mode == kXorBlendMode) {
    *rule = Rule::Xor;
    return colorBits == 16;
  }
  if (mode < 0 || mode > 3) return false;
  if (mode == 0) {
    *rule = mode0;
    return true;
  }
  const int q = (p + 1) & ~(kCoarseSteps - 1);
  if (st.Coarse ? q == 0 : p == 0) return false;
  if (mode == 2 || mode == 3) {
    *rule = mode == 2 ? Rule::Add : Rule::Subtract;
    return true;
  }
  if (st.Coarse ? q == 256 : p == 255) {
    *rule = mode0;
    return true;
  }
  if (!alpha)
    *rule = Rule::Mix;
  else
    *rule = full ? Rule::MixAlpha : Rule::Weighted;
  return true;
}

// out[v] = Sixteenths(k, in[v]) (in null: v itself) for v = 0 .. top, without a branch.
void FillSixteenthsRow(int k, const uint8_t* in, int top, uint8_t* out) {
  const int m16 = -((k >> 4) & 1), m8 = -((k >> 3) & 1), m4 = -((k >> 2) & 1), m2 = -((k >> 1) & 1), m1 = -(k & 1);
  for (int v = 0; v <= top; ++v) {
    const int x = in != nullptr ? in[v] : v;
    out[v] = static_cast<uint8_t>((x & m16) + ((x >> 1) & m8) + ((x >> 2) & m4) + ((x >> 3) & m2) + ((x >> 4) & m1));
  }
}

// out[v] = row[in[v]] (in null: row[v]) for v = 0 .. top.
void FillTableRow(const BlendMulRow& row, const uint8_t* in, int top, uint8_t* out) {
  for (int v = 0; v <= top; ++v) out[v] = static_cast<uint8_t>(row[in != nullptr ? in[v] : v]);
}

// Fills the rows the rule reads; `maxes` and `shifts` hold each channel's largest value and place.
void FillRows(const BlitSettings& st, Rule rule, bool full, const int* maxes, const int* shifts, Rows* rows) {
  const int p = st.BlendParam;
  const int q = (p + 1) & ~(kCoarseSteps - 1);
  const int k = q >> 4;
  const int bright[kChannels] = {static_cast<int>(st.Brightness >> 24) & 255,
                                 static_cast<int>(st.Brightness >> 16) & 255,
                                 static_cast<int>(st.Brightness >> 8) & 255};
  const int widest = std::max({maxes[0], maxes[1], maxes[2]});
  // The Mix without brightness is plain arithmetic and reads no row.
  const bool arithmetic = rule == Rule::Mix && full;
  const bool mix = (rule == Rule::Mix || rule == Rule::MixAlpha) && !arithmetic;
  const bool scaled = mix || rule == Rule::Add || rule == Rule::Subtract;
  // Small pieces are most calls: fill only what the rule reads, only up to each field's top.
  if (!full) {
    for (int c = 0; c < kChannels; ++c) {
      if (st.Coarse)
        FillSixteenthsRow((bright[c] + 1) >> 4, nullptr, maxes[c], rows->Bright[c]);
      else
        FillTableRow(BlendMulTable[bright[c]], nullptr, maxes[c], rows->Bright[c]);
    }
  }
  if (scaled) {
    // Without brightness every channel has the same row.
    for (int c = 0; c < (full ? 1 : kChannels); ++c) {
      const uint8_t* from = full ? nullptr : rows->Bright[c];
      const int top = full ? widest : maxes[c];
      if (st.Coarse)
        FillSixteenthsRow(k, from, top, rows->Src[c]);
      else
        FillTableRow(BlendMulTable[p], from, top, rows->Src[c]);
    }
    if (full) {
      std::memcpy(rows->Src[1], rows->Src[0], static_cast<size_t>(widest) + 1);
      std::memcpy(rows->Src[2], rows->Src[0], static_cast<size_t>(widest) + 1);
    }
  }
  if (mix) {
    if (st.Coarse)
      FillSixteenthsRow(kCoarseSteps - k, nullptr, widest, rows->Dst);
    else
      FillTableRow(BlendMulTable[256 - p], nullptr, widest, rows->Dst);
  }
  rows->CoarseMix = st.Coarse;
  rows->SourceParam = p;
  rows->DestParam = 256 - p;
  for (int n = 1; n <= 4; ++n) {
    uint32_t mask = 0;
    for (int c = 0; c < kChannels; ++c) mask |= static_cast<uint32_t>(maxes[c] >> n) << shifts[c];
    const int bit = 16 >> n;  // v >> n stands for this many sixteenths
    rows->SourceShift[n - 1] = (k & bit) != 0 ? mask : 0;
    rows->DestShift[n - 1] = ((kCoarseSteps - k) & bit) != 0 ? mask : 0;
  }
  // With the coarse flag at q = 128, a pixel of the alpha plane below 255 is weighed by a >> 1.
  rows->WeightMul = rule == Rule::MixAlpha && st.Coarse && q == 128 ? 128 : p;
}

template <class L>
void Draw(const L& layout, const BlitSettings& st, const BlitPixels& px, int colorBits) {
  const bool alpha = px.Alpha != nullptr;
  const bool full = st.Brightness == kFullBrightness;
  Rule rule;
  if (!ChooseRule(st, alpha, full, colorBits, &rule)) return;
  Rows rows;
  rows.Key = st.KeyValue;
  FillRows(st, rule, full, layout.Max, layout.Shift, &rows);
  // A key with bits above a 16-bit pixel matches no pixel.
  const bool keyed = st.Keyed && (colorBits == 32 || st.KeyValue <= 0xFFFF);
  PickRule(layout, rule, rows, px, keyed, !full);
}

}  // namespace

void BlitPiecePixels(const BlitSettings& settings, const BlitPixels& pixels) {
  const ColorFormatRecord* f = settings.Format;
  if (f == nullptr || pixels.Width <= 0 || pixels.Height <= 0) return;
  if (settings.BlendParam < 0 || settings.BlendParam > 255) return;
  if (f->ColorBits == 32) return Draw(Layout32{}, settings, pixels, 32);
  if (f->ColorBits != 16) return;
  if (f->RedMask == 0xF800 && f->GreenMask == 0x07E0 && f->BlueMask == 0x001F)
    return Draw(Layout565{}, settings, pixels, 16);
  if (f->RedMask == 0x7C00 && f->GreenMask == 0x03E0 && f->BlueMask == 0x001F)
    return Draw(Layout555{}, settings, pixels, 16);
  const int widths[kChannels] = {f->RedWidth, f->GreenWidth, f->BlueWidth};
  const uint32_t masks[kChannels] = {f->RedMask, f->GreenMask, f->BlueMask};
  LayoutMasks16 layout{{f->RedShift, f->GreenShift, f->BlueShift}, {}};
  for (int c = 0; c < kChannels; ++c) {
    if (widths[c] > 8 || layout.Shift[c] + widths[c] > 16) return;
    layout.Max[c] = (1 << widths[c]) - 1;
    // A mask split in several runs (0x8001) is not a channel the rows can serve.
    if (masks[c] != static_cast<uint32_t>(layout.Max[c]) << layout.Shift[c]) return;
  }
  Draw(layout, settings, pixels, 16);
}

}  // namespace vexal

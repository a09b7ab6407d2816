// The kernel's constants, worked out once per call.
#include "vexal/raster/shape_kernels.h"

#include <bit>

#include "vexal/graphics/screen/blend_mul_table.h"

namespace vexal {
namespace {

constexpr int kMaxParam = 255;
constexpr int kLevelFull = 16;        // sixteenths: the whole colour
constexpr uint32_t kLevelBits = 0xF;  // (p + 1) below a sixteenth
constexpr uint32_t kChannels32 = 0x00FFFFFF;
constexpr int kMaxChannelWidth = 8;  // the rows have 256 entries

constexpr uint32_t kCoarse32[4] = {0x7F7F7F, 0x3F3F3F, 0x1F1F1F, 0x0F0F0F};
constexpr uint32_t kCoarse565[4] = {0x7BEF7BEF, 0x39E739E7, 0x18E318E3, 0x08610861};
constexpr uint32_t kCoarse555[4] = {0x3DEF3DEF, 0x1CE71CE7, 0x0C630C63, 0x04210421};

// Halved box rows: Mh, Kh, Bh, for one pixel.
constexpr uint32_t kHalf565[3] = {0x7BEF, 0x8410, 0x0821};
constexpr uint32_t kHalf555[3] = {0x3DEF, 0x4210, 0x0421};

int Channel(const ShapeFormat& f, uint32_t pixel, int c) { return static_cast<int>((pixel & f.Mask[c]) >> f.Shift[c]); }

void SetFixed(ShapeFormat* f, ShapeLayout layout, int bytes, const uint32_t (&masks)[3], uint32_t carry, uint32_t lanes,
              uint32_t low, int spread, const uint32_t (&coarse)[4]) {
  f->Layout = layout;
  f->Bytes = bytes;
  for (int c = 0; c < kShapeChannels; ++c) {
    f->Mask[c] = masks[c];
    f->Shift[c] = std::countr_zero(masks[c]);
    f->Width[c] = std::popcount(masks[c]);
  }
  f->Carry = carry;
  f->Lanes = lanes;
  f->LowBits = low;
  f->Spread = spread;
  for (int i = 0; i < 4; ++i) f->Coarse[i] = coarse[i];
}

// The colour scaled by L sixteenths (1..16): the coarse k and Scale_L.
uint32_t CoarseColor(const ShapeFormat& f, uint32_t color, int level) {
  uint32_t k = ScaleSixteenths(f, color, level & static_cast<int>(kLevelBits));
  if (level == kLevelFull) k += f.Layout == ShapeLayout::k32 ? (color & kChannels32) : color;
  return k;
}

// Each channel's P(c_c) back in its field.
uint32_t FineColor(const ShapeFormat& f, uint32_t color, int p) {
  uint32_t k = 0;
  for (int c = 0; c < kShapeChannels; ++c)
    k |= static_cast<uint32_t>(BlendMulTable[p][Channel(f, color, c)]) << f.Shift[c];
  return k;
}

}  // namespace

bool DescribeShapeFormat(int color_bits, const ColorFormatRecord& format, ShapeFormat* out) {
  *out = ShapeFormat{};
  if (color_bits == 8) {
    out->Layout = ShapeLayout::k8;
    out->Bytes = 1;
    return true;
  }
  if (color_bits == 32) {
    SetFixed(out, ShapeLayout::k32, 4, {0xFF0000, 0xFF00, 0xFF}, 0x01010100, 0x00FEFEFF, 0x00010100, 8, kCoarse32);
    return true;
  }
  if (color_bits != 16) return false;
  if (format.RedMask == 0xF800 && format.GreenMask == 0x07E0 && format.BlueMask == 0x001F) {
    SetFixed(out, ShapeLayout::k565, 2, {0xF800, 0x07E0, 0x001F}, 0x10820, 0xF7DF, 0x0820, 5, kCoarse565);
    return true;
  }
  if (format.RedMask == 0x7C00 && format.GreenMask == 0x03E0 && format.BlueMask == 0x001F) {
    SetFixed(out, ShapeLayout::k555, 2, {0x7C00, 0x03E0, 0x001F}, 0x8420, 0x7BDF, 0x0420, 5, kCoarse555);
    return true;
  }
  const uint32_t masks[3] = {format.RedMask & 0xFFFF, format.GreenMask & 0xFFFF, format.BlueMask & 0xFFFF};
  out->Layout = ShapeLayout::kOther16;
  out->Bytes = 2;
  for (int c = 0; c < kShapeChannels; ++c) {
    // A channel is one run of at most 8 bits: a split mask (0x8001) would index past the
    // rows with its upper bits.
    const uint32_t run = masks[c] == 0 ? 0 : masks[c] >> std::countr_zero(masks[c]);
    if (run == 0 || !std::has_single_bit(run + 1) || std::countr_one(run) > kMaxChannelWidth) {
      // Stores need no channels.
      *out = ShapeFormat{};
      out->Layout = ShapeLayout::kOther16;
      out->Bytes = 2;
      out->Blends = false;
      return true;
    }
    out->Mask[c] = masks[c];
    out->Shift[c] = std::countr_zero(masks[c]);
    out->Width[c] = std::countr_one(masks[c] >> out->Shift[c]);
    out->Carry |= 1u << (out->Width[c] + out->Shift[c]);
    out->LowBits |= 1u << out->Shift[c];
  }
  out->Lanes = (masks[0] | masks[1] | masks[2]) & ~out->Carry;
  out->Spread = out->Width[0];
  return true;
}

uint32_t ScaleSixteenths(const ShapeFormat& f, uint32_t x, int level) {
  uint32_t sum = 0;
  for (int i = 0; i < 4; ++i)
    if (level & (8 >> i)) sum += (x >> (i + 1)) & f.Coarse[i];
  return sum;
}

ShapeKernel PrepareShapeKernel(ShapeFamily family, const ShapeFormat& format, int mode, int p, bool coarse,
                               uint32_t color) {
  ShapeKernel k;
  k.Format = format;
  k.Param = p;
  k.Color = format.Layout == ShapeLayout::k32  ? color
            : format.Layout == ShapeLayout::k8 ? (color & 0xFF)
                                               : (color & 0xFFFF);
  auto done = [&](ShapeKernelKind kind) {
    k.Kind = kind;
    return k;
  };
  if (format.Layout == ShapeLayout::k8 || mode == 0) return done(ShapeKernelKind::kStore);
  if (mode < 1 || mode > 3 || p < 0 || p > kMaxParam) return done(ShapeKernelKind::kNone);

  // The shortcuts come before the layout is looked at.
  const int level = (p + 1) & ~static_cast<int>(kLevelBits);
  if (coarse) {
    if (mode == 1 && level == kLevelFull * 16) return done(ShapeKernelKind::kStore);
    if (level == 0) return done(ShapeKernelKind::kNone);
  } else {
    if (mode == 1 && p == kMaxParam) return done(ShapeKernelKind::kStore);
    if (p == 0) return done(ShapeKernelKind::kNone);
  }

  if (!format.Blends) return done(ShapeKernelKind::kNone);
  const bool other = format.Layout == ShapeLayout::kOther16;
  if (family == ShapeFamily::kPoint || (family == ShapeFamily::kBoxRow && other)) {
    constexpr ShapeKernelKind kByMode[] = {ShapeKernelKind::kNone, ShapeKernelKind::kAlphaChannels,
                                           ShapeKernelKind::kAddChannels, ShapeKernelKind::kSubtractChannels};
    return done(kByMode[mode]);
  }

  const bool sixteenths = coarse && !other;
  const int L = (p + 1) >> 4;
  if (mode == 1) {
    if (sixteenths) {
      k.Constant = ScaleSixteenths(format, k.Color, L);
      const int old_level = kLevelFull - L;
      for (int i = 0; i < 4; ++i) k.OldShiftMask[i] = (old_level & (8 >> i)) ? format.Coarse[i] : 0;
      return done(ShapeKernelKind::kAlphaCoarse);
    }
    for (int c = 0; c < kShapeChannels; ++c)
      k.Term[c] = static_cast<uint32_t>(BlendMulTable[p][Channel(format, k.Color, c)]);
    for (int v = 0; v < kShapeTableSize; ++v) k.Weight[v] = static_cast<uint32_t>(BlendMulTable[kMaxParam - p][v]);
    return done(ShapeKernelKind::kAlphaTable);
  }

  const uint32_t scaled = sixteenths ? CoarseColor(format, k.Color, L) : FineColor(format, k.Color, p);
  if (family == ShapeFamily::kBoxRow && sixteenths && format.Bytes == 2) {
    const uint32_t(&half)[3] = format.Layout == ShapeLayout::k565 ? kHalf565 : kHalf555;
    k.HalfMask = half[0];
    k.HalfCarry = half[1];
    k.HalfLow = half[2];
    k.Constant = (scaled >> 1) & k.HalfMask;
    k.LowTerm = scaled;
    return done(mode == 2 ? ShapeKernelKind::kAddHalved : ShapeKernelKind::kSubtractHalved);
  }
  if (mode == 2) {
    k.Constant = scaled & format.Lanes;
    // Circles and ovals take the colour's low channel bits out of a coarse colour.
    k.LowTerm = (sixteenths && family == ShapeFamily::kRound) ? (scaled & format.Lanes) : scaled;
    return done(ShapeKernelKind::kAdd);
  }
  k.Constant = scaled & ~format.Carry;
  return done(ShapeKernelKind::kSubtract);
}

}  // namespace vexal

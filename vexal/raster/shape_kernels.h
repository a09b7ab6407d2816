// What one pixel of a one-colour shape becomes: the colour (brightness already applied)
// combined with the old pixel by the blend mode, in the screen's pixel layout. A kernel is
// prepared once per shape call; its loop bodies are in shape_kernel_ops.h.
//
// Three families of shapes share the arithmetic and differ in a few places:
// - round shapes (circle, oval): the coarse add keeps only the old pixel's low channel
//   bits, not the colour's;
// - spans (lines, line-walked shapes): the coarse add keeps both;
// - box rows: like spans, except that 16-bit coarse add and subtract work at halved
//   precision, two pixels a word, and layouts with other masks blend channel by channel.
// The single pixel uses the channel-by-channel rules at every layout.
#pragma once

#include <array>
#include <cstdint>

#include "vexal/graphics/screen/color_format.h"

namespace vexal {

enum class ShapeLayout : uint8_t { k32, k565, k555, kOther16, k8 };

enum class ShapeFamily : uint8_t { kRound, kSpan, kBoxRow, kPoint };

enum class ShapeKernelKind : uint8_t {
  kNone,         // the call draws nothing
  kStore,        // the colour
  kAlphaTable,   // W(s_c) + P(c_c) per channel
  kAlphaCoarse,  // sixteenths: H(s, 16 - L) + H(c, L)
  kAdd,          // packed add with carry bits
  kSubtract,     // packed subtract with borrow bits
  kAddHalved,    // 16-bit coarse box rows
  kSubtractHalved,
  kAlphaChannels,  // channel by channel: (s_c * p + d_c * (255 - p)) >> 8
  kAddChannels,    // ((d_c << 8) + s_c * p) >> 8, saturated
  kSubtractChannels,
};

inline constexpr int kShapeChannels = 3;  // red, green, blue
inline constexpr int kShapeTableSize = 256;

// The channel fields of a layout and the packed constants that go with them.
struct ShapeFormat {
  ShapeLayout Layout = ShapeLayout::k32;
  int Bytes = 4;
  uint32_t Mask[kShapeChannels] = {};
  int Shift[kShapeChannels] = {};
  int Width[kShapeChannels] = {};
  uint32_t Carry = 0;       // F: the bit just above each channel
  uint32_t Lanes = 0;       // A: the channel bits less F
  uint32_t LowBits = 0;     // O: the lowest bit of the channels that share one with a carry
  int Spread = 0;           // n
  uint32_t Coarse[4] = {};  // q8, q4, q2, q1 (none for other masks)
  // False for 16-bit masks with a channel wider than 8 bits or none at all: the rows have
  // 256 entries, so such a layout only stores.
  bool Blends = true;
};

struct ShapeKernel {
  ShapeKernelKind Kind = ShapeKernelKind::kNone;
  ShapeFormat Format;
  uint32_t Color = 0;  // the drawing colour; stores write it
  int Param = 0;       // p of the channel-by-channel rules and the alpha weights
  // Alpha by table: the colour terms P(c_c) and the copied weight row W.
  uint32_t Term[kShapeChannels] = {};
  std::array<uint32_t, kShapeTableSize> Weight{};
  // Sixteenths: the old pixel's masks for v >> 1, 2, 3, 4 (0 where 16 - L lacks that bit).
  uint32_t OldShiftMask[4] = {};
  uint32_t Constant = 0;  // hc (alpha coarse), k & A (add), k & ~F (subtract), H (halved)
  uint32_t LowTerm = 0;   // k2 of the add's low bits; the unhalved colour of a halved add
  // Halved box rows: Mh, Kh, Bh.
  uint32_t HalfMask = 0, HalfCarry = 0, HalfLow = 0;
};

// The layout of the screen format; false for a depth other than 8, 16 and 32.
bool DescribeShapeFormat(int color_bits, const ColorFormatRecord& format, ShapeFormat* out);

// The kernel of one call. coarse is CoarseBlendFlag; p outside 0..255 draws nothing.
ShapeKernel PrepareShapeKernel(ShapeFamily family, const ShapeFormat& format, int mode, int p, bool coarse,
                               uint32_t color);

// H(x, level) of the sixteenths: the sum of (x >> j) & q over the bits of level 1..15.
uint32_t ScaleSixteenths(const ShapeFormat& format, uint32_t x, int level);

}  // namespace vexal

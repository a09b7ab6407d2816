// The warps' per-pixel rule written out plainly, one channel at a time, for the tests.
#include <optional>

#include "warp_fixture.h"

namespace warptest {
namespace {

struct Fields {
  int shift[3];
  int max[3];
  uint32_t keep, carry, low;  // packed add and subtract
  int spread;
  uint32_t half;            // mask of the average
  bool own_widths = false;  // each carry spreads over its own channel's width
  int width[3] = {};
};

const Fields kF32{{16, 8, 0}, {255, 255, 255}, 0xFEFEFF, 0x1010100, 0x10100, 8, 0x7F7F7F};
const Fields kF565{{11, 5, 0}, {31, 63, 31}, 0xF7DF, 0x10820, 0x820, 5, 0x7BEF};
const Fields kF555{{10, 5, 0}, {31, 31, 31}, 0x7BDF, 0x8420, 0x420, 5, 0x3DEF};

// Other masks: the bit above each channel is its carry, the channels' lowest bits are the
// low bits, and a carry turns into a mask over its own channel.
Fields GenericFields() {
  const vexal::ColorFormatRecord& r = *vexal::GetPixelFormatPtr();
  const uint32_t masks[3] = {r.RedMask, r.GreenMask, r.BlueMask};
  Fields f{};
  uint32_t all = 0;
  for (int c = 0; c < 3; ++c) {
    f.shift[c] = 0;
    while (((masks[c] >> f.shift[c]) & 1) == 0) ++f.shift[c];
    f.width[c] = 0;
    while ((masks[c] >> (f.shift[c] + f.width[c])) & 1) ++f.width[c];
    f.max[c] = (1 << f.width[c]) - 1;
    f.carry |= 1u << (f.shift[c] + f.width[c]);
    f.low |= 1u << f.shift[c];
    all |= masks[c];
  }
  f.keep = all & ~f.carry;
  f.own_widths = true;
  return f;
}

uint32_t Spread(const Fields& f, uint32_t cy) {
  if (!f.own_widths) return cy - (cy >> f.spread);
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) {
    const uint32_t bit = cy & (1u << (f.shift[c] + f.width[c]));
    if (bit != 0) out |= static_cast<uint32_t>(f.max[c]) << f.shift[c];
  }
  return out;
}

int Mul(int p, int v) { return (v * p) >> 8; }

int Sixteenths(int level, int v) {
  int sum = 0;
  if (level & 16) sum += v;
  if (level & 8) sum += v >> 1;
  if (level & 4) sum += v >> 2;
  if (level & 2) sum += v >> 3;
  if (level & 1) sum += v >> 4;
  return sum;
}

}  // namespace

std::optional<uint32_t> ReferencePixel(Layout layout, const Look& look, bool alpha, int a, uint32_t s, uint32_t d,
                                       bool flat) {
  const bool generic = layout == Layout::kGeneric;
  const Fields f = generic ? GenericFields() : layout == Layout::k32 ? kF32 : layout == Layout::k565 ? kF565 : kF555;
  auto field = [&](uint32_t v, int c) { return static_cast<int>(v >> f.shift[c]) & f.max[c]; };
  auto pack = [&](const int* ch) {
    uint32_t v = 0;
    for (int c = 0; c < 3; ++c) v |= static_cast<uint32_t>(ch[c]) << f.shift[c];
    return v;
  };
  if (flat) alpha = false;
  if (alpha && a == 0 && !flat) return std::nullopt;
  // Other masks: one colour goes without the brightness; a brightened graph draws only in
  // mode 0; the coarse flag is not looked at.
  const bool none = look.bright == vexal::kBrightNone || (generic && flat);
  if (generic && !none && look.mode != 0) return std::nullopt;
  const bool coarse = look.coarse && !alpha && !generic;
  const int factor[3] = {static_cast<int>(look.bright >> 8) & 255, static_cast<int>(look.bright >> 16) & 255,
                         static_cast<int>(look.bright >> 24) & 255};
  int sp[3];
  for (int c = 0; c < 3; ++c) {
    const int v = field(s, c);
    sp[c] = none ? v : coarse ? Sixteenths((factor[c] + 1) >> 4, v) : Mul(factor[c], v);
  }
  const uint32_t sp_packed = none ? s : pack(sp);
  auto lerp = [&](int w) {
    int ch[3];
    for (int c = 0; c < 3; ++c) {
      const int dc = field(d, c);
      const int prod = (sp[c] - dc) * w;
      ch[c] = dc + (prod >= 0 ? prod / 256 : -((-prod + 255) / 256));  // a flooring division
    }
    return pack(ch);
  };
  auto mode0 = [&]() -> uint32_t {
    if (!alpha || a == 255) return sp_packed;
    return lerp(a);
  };
  const int p = look.param;
  const int level = (p + 1) >> 4;
  switch (look.mode) {
    case 0: return mode0();
    case 1: {
      if (coarse) {
        if (level == 0) return std::nullopt;
        if (level == 16) return mode0();
        if (none && level == 8) return (d & s) + (((d ^ s) >> 1) & f.half);
        int ch[3];
        for (int c = 0; c < 3; ++c) ch[c] = Sixteenths(level, sp[c]) + Sixteenths(16 - level, field(d, c));
        return pack(ch);
      }
      if (p == 0) return std::nullopt;
      if (p == 255) return mode0();
      if (alpha && a != 255) return lerp((a * p) >> 8);
      int ch[3];
      for (int c = 0; c < 3; ++c) ch[c] = Mul(p, sp[c]) + Mul(255 - p, field(d, c));
      return pack(ch);
    }
    case 2:
    case 3: {
      if (coarse ? level == 0 : p == 0) return std::nullopt;
      int t[3];
      for (int c = 0; c < 3; ++c) {
        t[c] = coarse ? Sixteenths(level, sp[c]) : Mul(p, sp[c]);
        if (alpha && a != 255) t[c] = (t[c] * a) >> 8;
      }
      const uint32_t S = pack(t);
      if (look.mode == 2) {
        const uint32_t sum = (d & f.keep) + (S & f.keep);
        const uint32_t cy = sum & f.carry;
        return sum | Spread(f, cy) | ((d | S) & f.low);
      }
      const uint32_t tt = (d | f.carry) - (S & f.keep);
      const uint32_t b = tt & f.carry;
      return tt & Spread(f, b);
    }
    default: return std::nullopt;
  }
}

}  // namespace warptest

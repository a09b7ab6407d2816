// A slow reference for the one-colour shapes, written from the rules as stated: the
// circle's and the oval's walks step by step, the line's clipping in doubles and its
// stepping walk, and each family's pixel formulas computed afresh for every pixel (the
// blend rows as (p * v) >> 8, the sixteenths as shifted masks). It calls nothing of the
// drawing code; it draws into a picture of the target surface.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/support/surface_picture.h"
#include "vexal/graphics/screen/color_format.h"

namespace shaperef {

using nltest::Picture;

enum class Family { kRound, kSpan, kBox, kPoint, kStore };

// The screen's pixel layout as the rules name it.
struct Layout {
  int bits = 32;
  enum Kind { k32, k565, k555, kOther, k8 } kind = k32;
  uint32_t mask[3] = {0xFF0000, 0xFF00, 0xFF};
  int shift[3] = {16, 8, 0};
  int width[3] = {8, 8, 8};
  bool blends = true;  // 16-bit masks whose channels all fit a 256-entry row

  static Layout Of(int bits, const vexal::ColorFormatRecord& f) {
    Layout l;
    l.bits = bits;
    if (bits == 8) {
      l.kind = k8;
      return l;
    }
    if (bits == 32) return l;
    const uint32_t m[3] = {f.RedMask & 0xFFFF, f.GreenMask & 0xFFFF, f.BlueMask & 0xFFFF};
    if (m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F)
      l.kind = k565;
    else if (m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F)
      l.kind = k555;
    else
      l.kind = kOther;
    for (int c = 0; c < 3; ++c) {
      l.mask[c] = m[c];
      l.shift[c] = 0;
      l.width[c] = 0;
      if (m[c] == 0) {
        l.blends = false;
        continue;
      }
      while (((m[c] >> l.shift[c]) & 1) == 0) ++l.shift[c];
      while (l.shift[c] + l.width[c] < 32 && ((m[c] >> (l.shift[c] + l.width[c])) & 1) != 0) ++l.width[c];
      if (l.width[c] > 8) l.blends = false;
    }
    return l;
  }

  bool fixed() const { return kind == k32 || kind == k565 || kind == k555; }
  uint32_t field() const { return bits == 32 ? 0xFFFFFFFFu : bits == 16 ? 0xFFFFu : 0xFFu; }
  int Ch(uint32_t v, int c) const { return static_cast<int>((v & mask[c]) >> shift[c]); }

  // F (carry and guard bits), A (lanes), O (low bits), n.
  uint32_t F() const {
    switch (kind) {
      case k32: return 0x01010100;
      case k565: return 0x10820;
      case k555: return 0x8420;
      default: {
        uint32_t f = 0;
        for (int c = 0; c < 3; ++c) f |= 1u << (width[c] + shift[c]);
        return f;
      }
    }
  }
  uint32_t A() const {
    switch (kind) {
      case k32: return 0x00FEFEFF;
      case k565: return 0xF7DF;
      case k555: return 0x7BDF;
      default: return (mask[0] | mask[1] | mask[2]) & ~F();
    }
  }
  uint32_t O() const {
    switch (kind) {
      case k32: return 0x00010100;
      case k565: return 0x0820;
      case k555: return 0x0420;
      default: return (1u << shift[0]) | (1u << shift[1]) | (1u << shift[2]);
    }
  }
  int n() const { return kind == k32 ? 8 : kind == k565 || kind == k555 ? 5 : width[0]; }

  // The sixteenths: the sum over the bits of level (16, 8, 4, 2, 1) of x and its shifts.
  uint32_t Scale(uint32_t x, int level) const {
    static const uint32_t q32[4] = {0x7F7F7F, 0x3F3F3F, 0x1F1F1F, 0x0F0F0F};
    static const uint32_t q565[4] = {0x7BEF, 0x39E7, 0x18E3, 0x0861};
    static const uint32_t q555[4] = {0x3DEF, 0x1CE7, 0x0C63, 0x0421};
    const uint32_t* q = kind == k32 ? q32 : kind == k565 ? q565 : q555;
    uint32_t sum = 0;
    if (level & 16) sum += kind == k32 ? (x & 0xFFFFFF) : x;
    for (int i = 0; i < 4; ++i)
      if (level & (8 >> i)) sum += (x >> (i + 1)) & q[i];
    return sum;
  }
};

inline int Row(int p, int v) { return (p * v) >> 8; }

// What one write makes of old pixel d, or false when the call writes nothing at all.
struct Pen {
  Family family = Family::kRound;
  Layout lay;
  int mode = 0, p = 255;
  bool coarse = false;
  uint32_t c = 0;  // the drawing colour

  // The kind of write, after the parameter tests.
  enum What { kNothing, kStore, kBlend };
  What Decide() const {
    if (lay.kind == Layout::k8 || mode == 0 || family == Family::kStore) return kStore;
    if (mode < 0 || mode > 3) return kNothing;
    if (coarse) {
      const int level = (p + 1) & ~15;
      if (mode == 1 && level == 256) return kStore;
      if (level == 0) return kNothing;
    } else {
      if (mode == 1 && p == 255) return kStore;
      if (p == 0) return kNothing;
    }
    if (!lay.blends) return kNothing;
    return kBlend;
  }

  uint32_t Stored() const { return c & lay.field(); }

  uint32_t Blend(uint32_t d) const {
    const bool fixed = lay.fixed();
    const bool sixteenths = coarse && fixed;
    const int L = (p + 1) >> 4;
    const bool channels = family == Family::kPoint || (family == Family::kBox && !fixed);
    if (channels) {
      // Each channel alone, with the full p.
      uint32_t out = 0;
      for (int ch = 0; ch < 3; ++ch) {
        const int sc = lay.Ch(c, ch), dc = lay.Ch(d, ch), w = lay.width[ch];
        int v = 0;
        if (mode == 1) {
          v = (sc * p + dc * (255 - p)) >> 8;
        } else if (mode == 2) {
          v = ((dc << 8) + sc * p) >> 8;
          if (v & (1 << w)) v = (1 << w) - 1;
        } else {
          const int t = (dc << 8) - sc * p;
          v = t < 0 ? 0 : t >> 8;
        }
        out |= static_cast<uint32_t>(v) << lay.shift[ch];
      }
      return out;
    }
    if (mode == 1) {
      if (sixteenths) return lay.Scale(d, 16 - L) + lay.Scale(c, L);
      uint32_t out = 0;
      for (int ch = 0; ch < 3; ++ch)
        out |= static_cast<uint32_t>(Row(255 - p, lay.Ch(d, ch)) + Row(p, lay.Ch(c, ch))) << lay.shift[ch];
      return out;
    }
    uint32_t k = 0;  // the scaled colour
    if (sixteenths) {
      k = lay.Scale(c, L);
    } else {
      for (int ch = 0; ch < 3; ++ch) k |= static_cast<uint32_t>(Row(p, lay.Ch(c, ch))) << lay.shift[ch];
    }
    if (family == Family::kBox && sixteenths && lay.bits == 16) {
      // Halved precision, the 16-bit coarse box rows.
      const uint32_t mh = lay.kind == Layout::k565 ? 0x7BEF : 0x3DEF;
      const uint32_t kh = lay.kind == Layout::k565 ? 0x8410 : 0x4210;
      const uint32_t bh = lay.kind == Layout::k565 ? 0x0821 : 0x0421;
      const uint32_t h = (k >> 1) & mh;
      if (mode == 2) {
        const uint32_t t = ((d >> 1) & mh) + h;
        const uint32_t m = t & kh;
        return ((m - (m >> 4)) << 1) | ((d | k) & bh) | (t << 1);
      }
      const uint32_t t = ((d >> 1) | kh) - h;
      const uint32_t m = t & kh;
      return ((m - (m >> 4)) << 1) & (t << 1);
    }
    const uint32_t F = lay.F(), A = lay.A(), O = lay.O();
    const int n = lay.n();
    if (mode == 2) {
      const uint32_t t = (d & A) + (k & A);
      const uint32_t m = t & F;
      // Circles and ovals keep only the old pixel's low bits of a coarse colour.
      const uint32_t k2 = (family == Family::kRound && sixteenths) ? (k & A) : k;
      return (m - (m >> n)) | ((d | k2) & O) | t;
    }
    const uint32_t t = (d | F) - (k & ~F);
    const uint32_t m = t & F;
    return t & (m - (m >> n));
  }
};

// Draws into a picture of the target surface, at draw coordinates plus the origin, clipped
// to the draw area; the old pixel comes from the picture before the call (a copy) or from
// the picture as it stands.
class Canvas {
 public:
  Canvas(const Picture& before, Picture* out, int left, int top, int right, int bottom, int ox, int oy, bool copy)
      : before_(before), out_(*out), l_(left), t_(top), r_(right), b_(bottom), ox_(ox), oy_(oy), copy_(copy) {}

  void Use(const Pen& pen) {
    pen_ = pen;
    what_ = pen.Decide();
  }

  void Write(int64_t x, int64_t y) {
    if (x < l_ || x >= r_ || y < t_ || y >= b_ || what_ == Pen::kNothing) return;
    const int sx = static_cast<int>(x) + ox_, sy = static_cast<int>(y) + oy_;
    const uint32_t old = copy_ ? before_.at(sx, sy) : out_.at(sx, sy);
    out_.at(sx, sy) = (what_ == Pen::kStore ? pen_.Stored() : pen_.Blend(old)) & pen_.lay.field();
  }

  // A filled shape's run: clamped, and only the first run that reaches a row.
  void Run(int64_t y, int64_t xl, int64_t xr) {
    if (y < t_ || y >= b_ || xr < l_ || xl >= r_) return;
    if (rows_.empty()) rows_.assign(static_cast<size_t>(b_ - t_), 0);
    uint8_t& done = rows_[static_cast<size_t>(y - t_)];
    if (done) return;
    done = 1;
    for (int64_t x = std::max<int64_t>(xl, l_); x <= std::min<int64_t>(xr, r_ - 1); ++x) Write(x, y);
  }

  // Circle: one octant from the top, mirrored; the outline's first step is the four axis
  // points, a filled circle's rows take their first run.
  void Circle(int64_t x, int64_t y, int64_t r, bool fill) {
    if (r < 0) return;
    int64_t dx = 0, dy = r, d = 3 - 2 * r;
    do {
      if (fill) {
        Run(y + dx, x - dy, x + dy);
        Run(y - dx, x - dy, x + dy);
        if (d >= 0) {
          Run(y + dy, x - dx, x + dx);
          Run(y - dy, x - dx, x + dx);
        }
      } else if (dx == 0) {
        Write(x - r, y), Write(x + r, y), Write(x, y + r), Write(x, y - r);
      } else {
        Write(x - dy, y + dx), Write(x + dy, y + dx), Write(x - dy, y - dx), Write(x + dy, y - dx);
        Write(x - dx, y + dy), Write(x + dx, y + dy), Write(x - dx, y - dy), Write(x + dx, y - dy);
      }
      if (d < 0) {
        d = d + 4 * dx + 6;
      } else {
        d = d + 4 * (dx - dy) + 10;
        dy -= 1;
      }
      dx += 1;
    } while (dx <= dy);
  }

  // Oval: a circle of radius rx whose row steps (wide) or column steps (tall) are thinned
  // by an accumulator. Radii are positive.
  void Oval(int64_t x, int64_t y, int64_t rx, int64_t ry, bool fill) {
    const bool wide = rx >= ry;
    int64_t a = rx, j = 0, d = 3 - 2 * rx, e = 3 - 4 * rx, s = 0;
    const int64_t g = wide ? ry : rx;
    const int64_t k = wide ? (rx * rx) / ry : (ry * ry) / rx;
    if (fill) {
      Run(y, x - rx, x + rx);
    } else {
      Write(x - rx, y), Write(x + rx, y);
    }
    for (;;) {
      const int64_t a0 = a, j0 = j;
      if (d < 0) {
        if (wide) {
          s += g;
          if (s >= k) j += 1, s -= k;
        } else {
          j += 1;
        }
        d += 4 * j + 2;
        e += 4 * j;
      } else if (e >= 0) {
        if (wide) {
          a -= 1;
        } else {
          s += g;
          if (s >= k) a -= 1, s -= k;
        }
        d -= 4 * a;
        e += 2 - 4 * a;
      } else {
        if (wide) {
          a -= 1;
          s += g;
          if (s >= k) j += 1, s -= k;
        } else {
          s += g;
          if (s >= k) a -= 1, s -= k;
          j += 1;
        }
        d += 4 * (j - a) + 2;
        e += 4 * (j - a) + 2;
      }
      if (a <= 0) break;
      if (fill) {
        if (j != j0) Run(y + j, x - a, x + a), Run(y - j, x - a, x + a);
      } else if (a != a0 || j != j0) {
        Write(x - a, y + j), Write(x + a, y + j), Write(x - a, y - j), Write(x + a, y - j);
      }
    }
    if (fill) {
      Run(y - j, x, x), Run(y + j, x, x);
    } else {
      Write(x, y - j), Write(x, y + j);
    }
  }

  // A half-open line: the entry test, the rejection, the end points moved onto the area
  // along the line in doubles, then the stepping walk.
  void Line(int x1i, int y1i, int x2i, int y2i) {
    const auto in = [](int64_t v, int64_t lo, int64_t hi) { return v >= lo && v < hi; };
    if (!in(x1i, l_, r_) && !in(x2i, l_, r_) && !in(y1i, t_, b_) && !in(y2i, t_, b_)) return;
    int64_t x1 = x1i, y1 = y1i, x2 = x2i, y2 = y2i;
    const double ddx = static_cast<double>(x2 - x1), ddy = static_cast<double>(y2 - y1);
    const double ky = ddy / ddx, by = static_cast<double>(y1) - static_cast<double>(x1) * ky;
    const double kx = ddx / ddy, bx = static_cast<double>(x1) - static_cast<double>(y1) * kx;
    if (l_ > std::max(x1, x2) || t_ > std::max(y1, y2) || r_ <= std::min(x1, x2) || b_ <= std::min(y1, y2)) return;
    const auto Y = [&](int64_t x) { return Trunc(static_cast<double>(x) * ky + by); };
    const auto X = [&](int64_t y) { return Trunc(static_cast<double>(y) * kx + bx); };
    if (x1 < l_)
      x1 = l_, y1 = Y(x1);
    else if (x1 >= r_)
      x1 = r_ - 1, y1 = Y(x1);
    if (x2 < l_)
      x2 = l_ - 1, y2 = Y(x2);
    else if (x2 >= r_)
      x2 = r_, y2 = Y(x2);
    if (y1 < t_)
      y1 = t_, x1 = X(y1);
    else if (y1 >= b_)
      y1 = b_ - 1, x1 = X(y1);
    if (y2 < t_)
      y2 = t_ - 1, x2 = X(y2);
    else if (y2 >= b_)
      y2 = b_, x2 = X(y2);
    const auto clamp = [](int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; };
    x1 = clamp(x1, l_, r_ - 1);
    x2 = clamp(x2, l_ - 1, r_);
    y1 = clamp(y1, t_, b_ - 1);
    y2 = clamp(y2, t_ - 1, b_);
    const int64_t dx = x2 - x1, dy = y2 - y1;
    const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1, adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool x_major = adx >= ady;
    const int64_t major = x_major ? adx : ady, minor = x_major ? ady : adx;
    int64_t x = x1, y = y1, e = 0;
    for (int64_t i = 0; i < major; ++i) {
      Write(x, y);
      if (x_major)
        x += sx;
      else
        y += sy;
      e += minor;
      if (e >= major) {
        if (x_major)
          y += sy;
        else
          x += sx;
        e -= major;
      }
    }
  }

 private:
  static int64_t Trunc(double v) {
    if (std::isnan(v)) return 0;
    if (v > 4e18) return int64_t{4000000000000000000};
    if (v < -4e18) return -int64_t{4000000000000000000};
    return static_cast<int64_t>(v);
  }

  const Picture& before_;
  Picture& out_;
  int64_t l_, t_, r_, b_;
  int ox_, oy_;
  bool copy_;
  Pen pen_;
  Pen::What what_ = Pen::kNothing;
  std::vector<uint8_t> rows_;
};

}  // namespace shaperef

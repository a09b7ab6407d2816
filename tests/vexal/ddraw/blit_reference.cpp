#include "blit_reference.h"

#include <cstring>
#include <optional>

namespace nltest {
namespace {

struct Channel {
  int Shift;
  int Max;
};

struct Pixel {
  int C[3];
};

// k x v / 256, truncated: both are at least 0.
int T(int k, int v) { return (k * v) >> 8; }

// v in k sixteenths, bit by bit.
int Sixteenths(int k, int v) {
  int sum = 0;
  if (k & 16) sum += v;
  if (k & 8) sum += v >> 1;
  if (k & 4) sum += v >> 2;
  if (k & 2) sum += v >> 3;
  if (k & 1) sum += v >> 4;
  return sum;
}

class OnePixel {
 public:
  OnePixel(const vexal::BlitSettings& st, const Channel* ch, uint32_t s, uint32_t d, bool hasAlpha, int a)
      : st_(st), ch_(ch), s_(s), d_(d), hasAlpha_(hasAlpha), a_(a) {
    full_ = st.Brightness == vexal::kFullBrightness;
    p_ = st.BlendParam;
    q_ = (p_ + 1) & ~15;
    const int b[3] = {static_cast<int>(st.Brightness >> 24) & 255, static_cast<int>(st.Brightness >> 16) & 255,
                      static_cast<int>(st.Brightness >> 8) & 255};
    for (int c = 0; c < 3; ++c) {
      sc_[c] = static_cast<int>(s >> ch[c].Shift) & ch[c].Max;
      dc_[c] = static_cast<int>(d >> ch[c].Shift) & ch[c].Max;
      if (full_)
        sp_[c] = sc_[c];
      else if (st.Coarse)
        sp_[c] = Sixteenths((b[c] + 1) >> 4, sc_[c]);
      else
        sp_[c] = T(b[c], sc_[c]);
    }
  }

  // The pixel written, or nothing when the destination keeps its pixel.
  std::optional<uint32_t> Result() const {
    const int bits = st_.Format->ColorBits;
    if (st_.Keyed && s_ == st_.KeyValue) return std::nullopt;
    if (hasAlpha_ && a_ == 0) return std::nullopt;
    const int mode = st_.BlendMode;
    if (bits == 16 && mode == 7) return s_ ^ d_;
    if (bits != 16 && bits != 32) return std::nullopt;
    if (mode < 0 || mode > 3) return std::nullopt;
    if (mode == 0) return Mode0();
    if (!st_.Coarse && p_ == 0) return std::nullopt;
    if (st_.Coarse && q_ == 0) return std::nullopt;
    if (mode == 1) return Mode1();
    Pixel out;
    for (int c = 0; c < 3; ++c) {
      int t = st_.Coarse ? Sixteenths(q_ >> 4, sp_[c]) : T(p_, sp_[c]);
      if (hasAlpha_ && a_ != 255) t = T(a_, t);
      if (mode == 2) {
        out.C[c] = dc_[c] + t > ch_[c].Max ? ch_[c].Max : dc_[c] + t;
      } else {
        out.C[c] = dc_[c] - t < 0 ? 0 : dc_[c] - t;
      }
    }
    return Pack(out);
  }

 private:
  uint32_t Pack(const Pixel& px) const {
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) out |= static_cast<uint32_t>(px.C[c]) << ch_[c].Shift;
    return out;
  }

  uint32_t Copy() const {
    if (full_) return s_;  // the whole pixel, top byte included
    return Pack({{sp_[0], sp_[1], sp_[2]}});
  }

  uint32_t Lerp(int w) const {
    Pixel out;
    for (int c = 0; c < 3; ++c) {
      const int diff = sp_[c] - dc_[c];
      // The shift rounds towards minus infinity, like an arithmetic shift.
      const int step = diff >= 0 ? (diff * w) / 256 : -((-diff * w + 255) / 256);
      out.C[c] = dc_[c] + step;
    }
    return Pack(out);
  }

  uint32_t Weighted(int w) const {
    Pixel out;
    for (int c = 0; c < 3; ++c) out.C[c] = (sp_[c] * w + dc_[c] * (255 - w)) / 256;
    return Pack(out);
  }

  uint32_t Table() const {
    Pixel out;
    for (int c = 0; c < 3; ++c) out.C[c] = T(p_, sp_[c]) + T(256 - p_, dc_[c]);
    return Pack(out);
  }

  uint32_t Half() const {
    Pixel out;
    for (int c = 0; c < 3; ++c) out.C[c] = sc_[c] / 2 + dc_[c] / 2;
    return Pack(out);
  }

  // k sixteenths of s' and 16 - k of d, each from the bits 8, 4, 2, 1.
  uint32_t Coarse(int k) const {
    Pixel out;
    for (int c = 0; c < 3; ++c) {
      int sum = 0;
      for (int bit = 8, shift = 1; bit >= 1; bit >>= 1, ++shift) {
        if (k & bit) sum += sp_[c] >> shift;
        if ((16 - k) & bit) sum += dc_[c] >> shift;
      }
      out.C[c] = sum;
    }
    return Pack(out);
  }

  uint32_t Mode0() const {
    if (!hasAlpha_ || a_ == 255) return Copy();
    return Lerp(a_);
  }

  std::optional<uint32_t> Mode1() const {
    if (!st_.Coarse) {
      if (p_ == 255) return Mode0();
      if (!hasAlpha_) return Table();
      if (full_) return a_ == 255 ? Table() : Lerp(a_ * p_ / 256);
      return Weighted(a_ * p_ / 256);
    }
    if (q_ == 256) return Mode0();
    if (!hasAlpha_) return Coarse(q_ / 16);
    if (!full_) return Weighted(a_ * p_ / 256);
    if (q_ == 128) return a_ == 255 ? Half() : Lerp(a_ / 2);
    return a_ == 255 ? Coarse(q_ / 16) : Lerp(a_ * p_ / 256);
  }

  const vexal::BlitSettings& st_;
  const Channel* ch_;
  uint32_t s_, d_;
  bool hasAlpha_;
  int a_;
  bool full_;
  int p_, q_;
  int sc_[3], dc_[3], sp_[3];
};

int LowestBit(uint32_t mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

}  // namespace

void ReferenceBlit(const vexal::BlitSettings& st, const vexal::BlitPixels& px) {
  const vexal::ColorFormatRecord& f = *st.Format;
  const uint32_t masks[3] = {f.RedMask, f.GreenMask, f.BlueMask};
  Channel ch[3];
  for (int c = 0; c < 3; ++c) {
    ch[c].Shift = LowestBit(masks[c]);
    ch[c].Max = static_cast<int>(masks[c] >> ch[c].Shift);
    if (ch[c].Max > 255) return;  // wider than a blend row: drawn by nobody
  }
  const int bytes = f.ColorBits / 8;
  if (bytes != 2 && bytes != 4) return;
  for (int y = 0; y < px.Height; ++y) {
    for (int x = 0; x < px.Width; ++x) {
      uint32_t s = 0, d = 0;
      std::memcpy(&s, px.Source + y * px.SourcePitch + x * bytes, bytes);
      std::memcpy(&d, px.DestRead + y * px.DestReadPitch + x * bytes, bytes);
      const bool hasAlpha = px.Alpha != nullptr;
      const int a = hasAlpha ? px.Alpha[y * px.AlphaPitch + x] : 255;
      const std::optional<uint32_t> out = OnePixel(st, ch, s, d, hasAlpha, a).Result();
      if (out) std::memcpy(px.Dest + y * px.DestPitch + x * bytes, &*out, bytes);
    }
  }
}

}  // namespace nltest

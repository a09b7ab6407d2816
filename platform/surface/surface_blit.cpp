// Blits, fills and flips, and the colour key that blits leave out.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/surface/surface_copy.h"
#include "platform/surface/surface_state.h"

namespace plat::surface {
namespace {

Rect Whole(const Surface* s) { return {0, 0, s->width, s->height}; }

uint8_t* PixelAt(Surface* s, int x, int y) {
  return s->memory.data() + static_cast<ptrdiff_t>(y) * s->pitch + static_cast<ptrdiff_t>(x) * BytesPerPixel(s->format);
}

// Cuts r down to the w x h surface.
Rect ClipTo(Rect r, int w, int h) {
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, w);
  r.bottom = std::min(r.bottom, h);
  return r;
}

bool Empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Result Fill(Surface* dst, const Rect* dst_rect, uint32_t value) {
  if (Result r = UsableState(dst); r != Result::kOk) return r;
  Rect area = dst_rect != nullptr ? *dst_rect : Whole(dst);
  if (dst->clipper != nullptr) {
    area = ClipTo(area, dst->width, dst->height);
    if (Empty(area)) return Result::kOk;
  } else if (!RectInside(area, dst->width, dst->height)) {
    return Result::kInvalidRect;
  }
  FillPixels(PixelAt(dst, area.left, area.top), dst->pitch, area.right - area.left, area.bottom - area.top,
             BytesPerPixel(dst->format), value);
  ++g_counters.fills;
  return Result::kOk;
}

// a == b read as four words: the fields fill bytes 0 and 1 and 4 to 23 (the two bytes
// between are padding, whose values are not kept), and a bool is held as 0 or 1.
bool SameFormat(const PixelFormat& a, const PixelFormat& b) {
  static_assert(sizeof(PixelFormat) == 24 && offsetof(PixelFormat, palettised) == 1 &&
                offsetof(PixelFormat, red_mask) == 4 && offsetof(PixelFormat, fourcc) == 20);
  const auto* pa = reinterpret_cast<const uint8_t*>(&a);
  const auto* pb = reinterpret_cast<const uint8_t*>(&b);
  uint16_t a0, b0;
  uint64_t a1, b1, a2, b2;
  uint32_t a3, b3;
  std::memcpy(&a0, pa, 2);
  std::memcpy(&b0, pb, 2);
  std::memcpy(&a1, pa + 4, 8);
  std::memcpy(&b1, pb + 4, 8);
  std::memcpy(&a2, pa + 12, 8);
  std::memcpy(&b2, pb + 12, 8);
  std::memcpy(&a3, pa + 20, 4);
  std::memcpy(&b3, pb + 20, 4);
  return ((a0 ^ b0) | (a1 ^ b1) | (a2 ^ b2) | (a3 ^ b3)) == 0;
}

// Both surfaces usable and of one format.
__attribute__((always_inline)) inline Result CheckPair(const Surface* dst, const Surface* src) {
  if (Result r = UsableState(dst); r != Result::kOk) return r;
  if (Result r = UsableState(src); r != Result::kOk) return r;
  if (!SameFormat(dst->format, src->format)) return Result::kUnsupportedFormat;
  return Result::kOk;
}

// Checks shared by both blits: both usable, one format, the source rectangle inside, and
// the key present when asked for.
Result CheckCopy(Surface* dst, Surface* src, const Rect& src_area, bool keyed) {
  if (Result r = CheckPair(dst, src); r != Result::kOk) return r;
  if (!RectInside(src_area, src->width, src->height)) return Result::kInvalidRect;
  if (keyed && !src->has_key) return Result::kNoColorKey;
  return Result::kOk;
}

// Copies the source rectangle to (x, y), both already inside their surfaces.
void Copy(Surface* dst, int x, int y, Surface* src, const Rect& src_area, bool keyed) {
  uint8_t* to = PixelAt(dst, x, y);
  const uint8_t* from = PixelAt(src, src_area.left, src_area.top);
  const int w = src_area.right - src_area.left, h = src_area.bottom - src_area.top;
  const int bytes = BytesPerPixel(dst->format);
  if (keyed && w > 0 && h > 0) {
    CopyKeyedPixels(to, dst->pitch, from, src->pitch, w, h, bytes, src->key.low);
  } else {
    CopyPixels(to, dst->pitch, from, src->pitch, w, h, bytes, nullptr);
  }
}

}  // namespace

Result Blt(Surface* dst, const Rect* dst_rect, Surface* src, const Rect* src_rect, uint32_t flags,
           uint32_t fill_value) {
  if (dst == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kBlt, &r)) return r;
  if (flags & (kBltColorFill | kBltDepthFill)) {
    if (src != nullptr) return Result::kInvalidParams;
    return Fill(dst, dst_rect, fill_value);
  }
  if (src == nullptr) return Result::kInvalidParams;
  Rect sa = src_rect != nullptr ? *src_rect : Whole(src);
  Rect da = dst_rect != nullptr ? *dst_rect : Whole(dst);
  const bool keyed = (flags & kBltSourceKey) != 0;
  if (r = CheckCopy(dst, src, sa, keyed); r != Result::kOk) return r;
  if (Empty(da)) return Result::kInvalidRect;
  if (da.right - da.left != sa.right - sa.left || da.bottom - da.top != sa.bottom - sa.top) {
    return Result::kUnsupported;
  }
  if (dst->clipper != nullptr) {
    const Rect clipped = ClipTo(da, dst->width, dst->height);
    if (Empty(clipped)) {
      ++g_counters.blits;
      return Result::kOk;
    }
    sa.left += clipped.left - da.left;
    sa.top += clipped.top - da.top;
    sa.right += clipped.right - da.right;
    sa.bottom += clipped.bottom - da.bottom;
    da = clipped;
  } else if (!RectInside(da, dst->width, dst->height)) {
    return Result::kInvalidRect;
  }
  Copy(dst, da.left, da.top, src, sa, keyed);
  ++g_counters.blits;
  return Result::kOk;
}

Result BltFast(Surface* dst, int x, int y, Surface* src, const Rect* src_rect, uint32_t flags) {
  if (dst == nullptr || src == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kBltFast, &r)) return r;
  if (dst->clipper != nullptr) return Result::kCantClipFastBlit;
  const Rect sa = src_rect != nullptr ? *src_rect : Whole(src);
  const bool keyed = (flags & kFastSourceColorKey) != 0;
  if (r = CheckCopy(dst, src, sa, keyed); r != Result::kOk) return r;
  const Rect da{x, y, x + (sa.right - sa.left), y + (sa.bottom - sa.top)};
  if (!RectInside(da, dst->width, dst->height)) return Result::kInvalidRect;
  Copy(dst, x, y, src, sa, keyed);
  ++g_counters.fast_blits;
  return Result::kOk;
}

Result BltFastInside(Surface* dst, int x, int y, Surface* src, const Rect& src_rect, uint32_t flags) {
  Result r;
  if (TakeInjectedFailure(Operation::kBltFast, &r)) return r;
  if (dst->clipper != nullptr) return Result::kCantClipFastBlit;
  if (r = CheckPair(dst, src); r != Result::kOk) return r;
  const bool keyed = (flags & kFastSourceColorKey) != 0;
  if (keyed && !src->has_key) return Result::kNoColorKey;
  Copy(dst, x, y, src, src_rect, keyed);
  ++g_counters.fast_blits;
  return Result::kOk;
}

Result Flip(Surface* primary, uint32_t flags) {
  if (primary == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kFlip, &r)) return r;
  if (primary->chain_head != primary || primary->chain.size() < 2) return Result::kNotFlippable;
  std::vector<Surface*>& chain = primary->chain;
  for (Surface* m : chain) {
    if (m->lost) return Result::kSurfaceLost;
  }
  for (Surface* m : chain) {
    if (m->locked || m->dc_out) return Result::kSurfaceBusy;
  }
  for (size_t i = 0; i + 1 < chain.size(); ++i) chain[i]->memory.swap(chain[i + 1]->memory);
  ++g_counters.flips;
  g_counters.last_flip_flags = flags;
  PresentPrimary(primary, Whole(primary));
  return Result::kOk;
}

Result ShowPrimary(Surface* primary, const Rect& view) {
  if (primary == nullptr || (primary->caps & kCapsPrimary) == 0) return Result::kInvalidParams;
  if (primary->lost) return Result::kSurfaceLost;
  PresentPrimary(primary, view);
  return Result::kOk;
}

Result GetBltStatus(const Surface* surface) { return surface == nullptr ? Result::kInvalidParams : Result::kOk; }

Result SetColorKey(Surface* surface, const ColorKey* key) {
  if (surface == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kSetColorKey, &r)) return r;
  if (key == nullptr) {
    surface->has_key = false;
    return Result::kOk;
  }
  if (key->low != key->high) return Result::kUnsupported;
  surface->has_key = true;
  surface->key = *key;
  return Result::kOk;
}

Result GetColorKey(const Surface* surface, ColorKey* out) {
  if (surface == nullptr || out == nullptr) return Result::kInvalidParams;
  if (!surface->has_key) return Result::kNoColorKey;
  *out = surface->key;
  return Result::kOk;
}

}  // namespace plat::surface

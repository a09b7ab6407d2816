// Direct access to surface memory: locks, and device contexts for GDI-style copies.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "platform/surface/surface_copy.h"
#include "platform/surface/surface_state.h"

namespace plat::surface {
namespace {

struct Field {
  uint32_t mask;
  int shift;
  int width;
};

Field FieldOf(uint32_t mask) {
  if (mask == 0) return {0, 0, 0};
  const int shift = std::countr_zero(mask);
  return {mask, shift, std::countr_one(mask >> shift)};
}

// One RGB pixel in another RGB format: each channel shifted by the difference of the
// widths (the low bits of a wider channel stay 0); alpha becomes 0, as a GDI copy leaves it.
class PixelConverter {
 public:
  PixelConverter(const PixelFormat& to, const PixelFormat& from) {
    const uint32_t to_masks[3] = {to.red_mask, to.green_mask, to.blue_mask};
    const uint32_t from_masks[3] = {from.red_mask, from.green_mask, from.blue_mask};
    for (int c = 0; c < 3; ++c) {
      to_[c] = FieldOf(to_masks[c]);
      from_[c] = FieldOf(from_masks[c]);
    }
  }
  uint32_t operator()(uint32_t pixel) const {
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
      if (to_[c].width == 0 || from_[c].width == 0) continue;
      uint32_t v = (pixel & from_[c].mask) >> from_[c].shift;
      const int d = from_[c].width - to_[c].width;
      v = d >= 0 ? v >> d : v << -d;
      out |= (v << to_[c].shift) & to_[c].mask;
    }
    return out;
  }

 private:
  Field to_[3];
  Field from_[3];
};

uint32_t ReadPixel(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, bytes);  // little-endian: the low bytes hold the pixel
  return v;
}

// The palette a device context of an 8-bit surface matches colours against: its own, else
// the display's (its device's primary's).
const PaletteEntry* DcPalette(const Surface* surface) {
  const Palette* p = surface->palette;
  if (p == nullptr && surface->device != nullptr && surface->device->primary != nullptr) {
    p = surface->device->primary->palette;
  }
  return p != nullptr ? p->entries.data() : nullptr;
}

// The index of the entry nearest to (r, g, b): the smallest sum of squared differences,
// the lowest index on a tie. Without a palette the entries are the grey ramp (i, i, i).
uint8_t NearestEntry(const PaletteEntry* palette, const uint8_t rgb[3]) {
  int best = 0;
  int best_distance = INT32_MAX;
  for (int i = 0; i < kPaletteSize; ++i) {
    const PaletteEntry e = palette != nullptr ? palette[i] : PaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    const int dr = e.red - rgb[0], dg = e.green - rgb[1], db = e.blue - rgb[2];
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  return static_cast<uint8_t>(best);
}

// An RGB rectangle onto palette indices, one colour match per distinct source pixel run.
void CopyRgbToPalette(uint8_t* to, int32_t to_pitch, const PaletteEntry* palette, const uint8_t* from,
                      int32_t from_pitch, const PixelFormat& from_format, int w, int h) {
  const int sb = BytesPerPixel(from_format);
  bool have_last = false;
  uint32_t last_pixel = 0;
  uint8_t last_index = 0;
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      const uint32_t pixel = ReadPixel(from + static_cast<ptrdiff_t>(row) * from_pitch + col * sb, sb);
      if (!have_last || pixel != last_pixel) {
        uint8_t rgb[3];
        PixelToRgb(from_format, pixel, nullptr, rgb);
        last_index = NearestEntry(palette, rgb);
        last_pixel = pixel;
        have_last = true;
      }
      to[static_cast<ptrdiff_t>(row) * to_pitch + col] = last_index;
    }
  }
}

}  // namespace

Result Lock(Surface* surface, const Rect* rect, uint32_t /*flags*/, LockedRect* out) {
  if (surface == nullptr || out == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kLock, &r)) return r;
  if (r = UsableState(surface); r != Result::kOk) return r;
  Rect area{0, 0, surface->width, surface->height};
  if (rect != nullptr) {
    if (!RectInside(*rect, surface->width, surface->height)) return Result::kInvalidRect;
    area = *rect;
  }
  const int bpp = BytesPerPixel(surface->format);
  out->bits = surface->memory.data() + static_cast<ptrdiff_t>(area.top) * surface->pitch +
              static_cast<ptrdiff_t>(area.left) * bpp;
  out->pitch = surface->pitch;
  out->width = area.right - area.left;
  out->height = area.bottom - area.top;
  out->format = surface->format;
  surface->locked = true;
  ++g_counters.locks;
  return Result::kOk;
}

Result Unlock(Surface* surface) {
  if (surface == nullptr) return Result::kInvalidParams;
  if (!surface->locked) return Result::kNotLocked;
  surface->locked = false;
  return Result::kOk;
}

Result GetDC(Surface* surface, SurfaceDc* out) {
  if (surface == nullptr || out == nullptr) return Result::kInvalidParams;
  Result r;
  if (TakeInjectedFailure(Operation::kGetDC, &r)) return r;
  if (r = UsableState(surface); r != Result::kOk) return r;
  out->surface = surface;
  out->bits = surface->memory.data();
  out->pitch = surface->pitch;
  out->width = surface->width;
  out->height = surface->height;
  out->format = surface->format;
  out->palette = DcPalette(surface);
  surface->dc_out = true;
  return Result::kOk;
}

Result ReleaseDC(Surface* surface) {
  if (surface == nullptr) return Result::kInvalidParams;
  if (!surface->dc_out) return Result::kNoDc;
  surface->dc_out = false;
  return Result::kOk;
}

Result CopyBetweenDcs(const SurfaceDc& dst, int x, int y, int w, int h, const SurfaceDc& src, int sx, int sy) {
  if (dst.bits == nullptr || src.bits == nullptr) return Result::kInvalidParams;
  if ((dst.surface != nullptr && !dst.surface->dc_out) || (src.surface != nullptr && !src.surface->dc_out)) {
    return Result::kNoDc;
  }
  const bool same = dst.format == src.format;
  const bool to_palette = !same && dst.format.palettised && !src.format.palettised;
  if (!same && !to_palette && (dst.format.palettised || src.format.palettised)) {
    return Result::kUnsupportedFormat;
  }
  // Clipped against both surfaces, moving the other side along.
  if (sx < 0) {
    x -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    y -= sy;
    h += sy;
    sy = 0;
  }
  if (x < 0) {
    sx -= x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    sy -= y;
    h += y;
    y = 0;
  }
  w = std::min({w, src.width - sx, dst.width - x});
  h = std::min({h, src.height - sy, dst.height - y});
  if (w <= 0 || h <= 0) return Result::kOk;
  const int db = BytesPerPixel(dst.format);
  const int sb = BytesPerPixel(src.format);
  uint8_t* to = dst.bits + static_cast<ptrdiff_t>(y) * dst.pitch + x * db;
  const uint8_t* from = src.bits + static_cast<ptrdiff_t>(sy) * src.pitch + sx * sb;
  if (same) {
    CopyPixels(to, dst.pitch, from, src.pitch, w, h, db, nullptr);
  } else if (to_palette) {
    CopyRgbToPalette(to, dst.pitch, dst.palette, from, src.pitch, src.format, w, h);
  } else {
    const PixelConverter convert(dst.format, src.format);
    for (int row = 0; row < h; ++row) {
      for (int col = 0; col < w; ++col) {
        const uint32_t v = convert(ReadPixel(from + row * src.pitch + col * sb, sb));
        std::memcpy(to + row * dst.pitch + col * db, &v, db);
      }
    }
  }
  ++g_counters.dc_copies;
  return Result::kOk;
}

}  // namespace plat::surface

// Slot 36 of row 0: a string with a font handle. Opaque strings go straight from the glyph
// cache onto the destination; blended and anti-aliased ones are drawn into the font's own
// surface first (its mask buffer holding the coverage) and put on the target by the graph
// blitter, which does the blending.
#include <algorithm>
#include <array>

#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/ddraw/draw_graph.h"
#include "vexal/graphics/drawing/ddraw_row.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/fonts/ddraw_text.h"
#include "vexal/graphics/fonts/font_cache.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr uint32_t kTextKeyOffset = 100;  // the key is the complement of colour + this + edge colour
constexpr int kBlendAlpha = 1;

ps::Surface* Destination() {
  ps::Surface* mask = DrawState.MaskedDrawing != 0 ? GetMaskSurface() : nullptr;
  return mask != nullptr ? mask : GetDrawSurface();
}

// A screen colour as the blitter's 0x00RRGGBB key and back, so the surface's key and the
// record's key are the same pixel.
uint32_t KeyAsRgb(ColorValue key, ColorValue* as_pixel) {
  int r = 0, g = 0, b = 0;
  GetColorRGB(key, &r, &g, &b);
  *as_pixel = MakeColorValue(r, g, b);
  return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

}  // namespace

ColorValue PickTextKeyColor(ColorValue color, ColorValue edge_color) {
  const ColorFormatRecord& f = *GetPixelFormatPtr();
  const uint32_t rgb = f.RedMask | f.GreenMask | f.BlueMask;
  const ColorValue key = ~(color + kTextKeyOffset + edge_color) & rgb;
  // The formula can land on a text colour, which the key would then cut out: flip the low
  // bit of one channel after another until it differs from both.
  const std::array<ColorValue, 4> candidates = {key, key ^ (f.BlueMask & (~f.BlueMask + 1)),
                                                key ^ (f.GreenMask & (~f.GreenMask + 1)),
                                                key ^ (f.RedMask & (~f.RedMask + 1))};
  for (const ColorValue k : candidates) {
    if (k != (color & rgb) && k != (edge_color & rgb)) return k;
  }
  return key;
}

int DDrawStringByWorkDC(int x, int y, const char* text, uint32_t color, int font, uint32_t edge_color, int vertical) {
  if (DDrawTargetUnusable != 0) return -1;
  if (GetGraphSuspendFlag() != 0) return 0;
  EndPending3DScene();
  FontRecord* f = FindFontRecord(font);
  // Strings are drawn by the glyph cache only: no font can exist before the device has
  // started, so the device-context path of an unstarted device is never needed.
  if (f == nullptr || GetDirectDrawObject() == nullptr || !DDrawState.Initialised) return -1;
  const int bits = GetScreenColorBits();
  const bool antialias = (f->Type & kFontTypeAntialias) != 0;
  if ((DrawState.BlendMode == 0 || bits == 8) && !antialias) {
    int ox = 0, oy = 0;
    GetDrawTargetOrigin(&ox, &oy);
    const Rect& a = DrawState.DrawArea;
    const Rect clip{a.left + ox, a.top + oy, a.right + ox, a.bottom + oy};
    return FontCacheStringDrawToHandle(1, SaturatedCoordinate(int64_t{x} + ox), SaturatedCoordinate(int64_t{y} + oy),
                                       text, color, Destination(), nullptr, 0, &clip, bits, 1, font, edge_color, -1,
                                       vertical, nullptr) == -1
               ? -1
               : 0;
  }

  BmpDataRecord* cache = GetFontTextCache(f);
  if (cache == nullptr || cache->Surface == nullptr) return -1;
  FontStringSize size;
  FontCacheStringDrawToHandle(0, 0, 0, text, color, nullptr, nullptr, 0, nullptr, bits, 0, font, edge_color, -1,
                              vertical, &size);
  if (size.cx <= 0 || size.cy <= 0) return 0;
  const bool keyed = DrawState.BlendMode == kBlendAlpha || antialias;
  ColorValue key = 0;
  cache->ColorKey = static_cast<int32_t>(KeyAsRgb(keyed ? PickTextKeyColor(color, edge_color) : 0, &key));
  const ps::ColorKey surface_key{key, key};
  ps::SetColorKey(cache->Surface, &surface_key);
  // Everything the blitter takes from the surface is keyed out first, also under a string
  // larger than the surface, so no pixel of an earlier string comes back.
  const ps::SurfaceInfo own_surface = ps::GetSurfaceInfo(cache->Surface);
  const ps::Rect covered{0, 0, std::min(size.cx, own_surface.width), std::min(size.cy, own_surface.height)};
  ps::Blt(cache->Surface, &covered, nullptr, nullptr, ps::kBltColorFill, key);
  const Rect own{0, 0, cache->Width, cache->Height};
  // Anti-aliased cells write their whole coverage (0 round the glyph) into the mask buffer.
  FontCacheStringDrawToHandle(1, 0, 0, text, color, cache->Surface, cache->AlphaPlane.get(), cache->AlphaPitch, &own,
                              bits, antialias ? 0 : 1, font, edge_color, -1, vertical, nullptr);

  Rect area = SaturatedRect(x, y, int64_t{x} + size.cx, int64_t{y} + size.cy);
  ClipRect(&area, &DrawState.DrawArea);
  int result = 0;
  if (area.right > area.left && area.bottom > area.top) {
    const ScopedDrawArea string_area(area);
    result = G_DDraw_DrawGraph(x, y, f->TextCache, keyed ? 1 : 0);
  }
  return result == -1 ? -1 : 0;
}

}  // namespace vexal

// Measuring and drawing Shift-JIS strings from a font's glyph cache. The missing characters
// of a string are added in one batch first; the cell loops are specialised per font type
// and destination depth, with FontPutPixel as the rule they share.
#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "platform/text/text_encoding.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_cache.h"
#include "vexal/graphics/pictures/clip_rect.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

constexpr uint8_t kFullCoverage = 255;
constexpr uint8_t kType1GlyphBit = 2;
constexpr uint8_t kType1Edge = 1;
constexpr uint32_t kLow24Bits = 0x00FFFFFF;

struct ScannedChar {
  uint8_t Bytes[kFontCharRecordBytes] = {};
  int Code = 0;
};

// The characters of at most kFontStringScanMax bytes of text; fixed room, as strings are
// drawn every frame.
struct ScannedString {
  std::array<ScannedChar, kFontStringScanMax> Chars;
  size_t Count = 0;
  std::span<const ScannedChar> View() const { return std::span(Chars).first(Count); }
};

void ScanString(const char* text, int length, ScannedString* out) {
  const size_t limit = length < 0 ? strnlen(text, kFontStringScanMax)
                                  : std::min<size_t>(strnlen(text, static_cast<size_t>(length)), kFontStringScanMax);
  out->Count = 0;
  for (size_t i = 0; i < limit;) {
    ScannedChar& c = out->Chars[out->Count++];
    c = ScannedChar{};
    c.Bytes[0] = static_cast<uint8_t>(text[i]);
    const bool pair = plat::IsSjisLeadByte(c.Bytes[0]) && i + 1 < limit;
    if (pair) c.Bytes[1] = static_cast<uint8_t>(text[i + 1]);
    c.Code = FontCharCode(c.Bytes[0], c.Bytes[1]);
    i += pair ? 2 : 1;
  }
}

// Adds in one call the characters not in the cache, up to a batch or the whole cache.
void AddMissingChars(FontRecord* f, std::span<const ScannedChar> chars, int handle) {
  std::array<uint8_t, kFontAddBatchMax * kFontCharRecordBytes> batch;
  int count = 0;
  for (const ScannedChar& c : chars) {
    if (count >= kFontAddBatchMax || count >= f->EntryCount) break;
    if (f->Lookup[static_cast<size_t>(c.Code)] >= 0) continue;
    std::copy(c.Bytes, c.Bytes + kFontCharRecordBytes, batch.begin() + count * kFontCharRecordBytes);
    ++count;
  }
  if (count > 0) FontCacheCharAddToHandle(count, batch.data(), handle);
}

const FontCacheEntry* EntryOf(const FontRecord& f, const ScannedChar& c) {
  const int index = f.Lookup[static_cast<size_t>(c.Code)];
  return index >= 0 ? &f.Entries[static_cast<size_t>(index)] : nullptr;
}

void Grow(const FontCacheEntry& e, int vertical, FontStringSize* size) {
  if (vertical == 0) {
    size->cx += e.Cx;
    size->cy = std::max(size->cy, e.Cy);
  } else {
    size->cy += e.Cy;
    size->cx = std::max(size->cx, e.Cx);
  }
}

// Each channel of edge + (fill - edge) x w / 256.
uint32_t MixChannels(uint32_t fill, uint32_t edge, int w, const uint32_t (&masks)[3], const int (&shifts)[3]) {
  uint32_t out = 0;
  for (int k = 0; k < 3; ++k) {
    const int f = static_cast<int>((fill & masks[k]) >> shifts[k]);
    const int e = static_cast<int>((edge & masks[k]) >> shifts[k]);
    out |= (static_cast<uint32_t>(e + (f - e) * w / 256) << shifts[k]) & masks[k];
  }
  return out;
}

template <int Bits>
void Store(uint8_t* pixel, uint32_t value) {
  if constexpr (Bits == 32) {
    std::memcpy(pixel, &value, 4);
  } else if constexpr (Bits == 16) {
    const auto v = static_cast<uint16_t>(value);
    std::memcpy(pixel, &v, 2);
  } else {
    *pixel = static_cast<uint8_t>(value);
  }
}

template <int Type, int Bits>
inline void PutPixel(const ColorFormatRecord& format, uint8_t glyph, uint8_t edge, ColorValue color,
                     ColorValue edge_color, int transparent, uint8_t* pixel, uint8_t* mask) {
  if constexpr (Type == 0) {
    if (glyph != 0) {
      Store<Bits>(pixel, color);
    } else if (transparent == 0) {
      Store<Bits>(pixel, 0);
    }
  } else if constexpr (Type == 1) {
    // The same rule on every depth: the glyph in the colour, its edge in the edge colour.
    if ((glyph & kType1GlyphBit) != 0) {
      Store<Bits>(pixel, color);
    } else if (glyph == kType1Edge) {
      Store<Bits>(pixel, edge_color & kLow24Bits);
    } else if (transparent == 0) {
      Store<Bits>(pixel, 0);
    }
  } else if constexpr (Bits == 8) {
    // Anti-aliased types have no rule on 8-bit destinations.
  } else {
    uint8_t m = 0;
    bool write_mask = true;
    if constexpr (Type == 2) {
      if (glyph != 0) {
        Store<Bits>(pixel, color);
        m = glyph;
      } else if (transparent == 0) {
        Store<Bits>(pixel, 0);
      } else {
        write_mask = false;
      }
    } else {
      const int a = glyph, b = edge;
      if (a == kFullCoverage) {
        Store<Bits>(pixel, color);
        m = kFullCoverage;
      } else if (a == 0 && b != 0) {
        Store<Bits>(pixel, edge_color);
        m = edge;
      } else if (a != 0) {
        const int M = a + ((b * (256 - a)) >> 8);
        const int w = a * 256 / M;
        if constexpr (Bits == 32) {
          Store<Bits>(pixel, MixChannels(color, edge_color, w, {0xFF0000u, 0xFF00u, 0xFFu}, {16, 8, 0}));
        } else {
          Store<Bits>(pixel, MixChannels(color, edge_color, w, {format.RedMask, format.GreenMask, format.BlueMask},
                                         {format.RedShift, format.GreenShift, format.BlueShift}));
        }
        m = static_cast<uint8_t>(M);
      } else if (transparent == 0) {
        Store<Bits>(pixel, 0);
      } else {
        write_mask = false;
      }
    }
    if (write_mask && mask != nullptr) *mask = m;
  }
}

// What one cell is drawn from and onto: the cache rectangle (u, v, w, h) of a cell and the
// destination pixel it lands on.
struct CellDraw {
  const uint8_t* Cell;  // the cell's top-left byte
  int CachePitch;
  int U, V, W, H;
  uint8_t* Dest;  // destination pixel of (U, V)
  int DestPitch;
  uint8_t* Mask;  // mask byte of (U, V), or null
  int MaskPitch;
};

template <int Type, int Bits>
void DrawCellT(const CellDraw& d, const ColorFormatRecord& format, ColorValue color, ColorValue edge_color,
               int transparent) {
  constexpr int kDestBytes = Bits / 8;
  for (int j = 0; j < d.H; ++j) {
    const uint8_t* src = d.Cell + static_cast<ptrdiff_t>(d.V + j) * d.CachePitch;
    uint8_t* dst = d.Dest + static_cast<ptrdiff_t>(j) * d.DestPitch;
    uint8_t* mask = d.Mask != nullptr ? d.Mask + static_cast<ptrdiff_t>(j) * d.MaskPitch : nullptr;
    for (int i = 0; i < d.W; ++i) {
      const int u = d.U + i;
      uint8_t glyph = 0, edge = 0;
      if constexpr (Type == 0) {
        glyph = (src[u >> 3] >> (7 - (u & 7))) & 1;
      } else if constexpr (Type == 3) {
        glyph = src[u * 2];
        edge = src[u * 2 + 1];
      } else {
        glyph = src[u];
      }
      PutPixel<Type, Bits>(format, glyph, edge, color, edge_color, transparent, dst + i * kDestBytes,
                           mask != nullptr ? mask + i : nullptr);
    }
  }
}

template <int Bits>
void DrawCellForType(int type, const CellDraw& d, const ColorFormatRecord& format, ColorValue color,
                     ColorValue edge_color, int transparent) {
  switch (type) {
    case 0: DrawCellT<0, Bits>(d, format, color, edge_color, transparent); break;
    case 1: DrawCellT<1, Bits>(d, format, color, edge_color, transparent); break;
    case 2: DrawCellT<2, Bits>(d, format, color, edge_color, transparent); break;
    default: DrawCellT<3, Bits>(d, format, color, edge_color, transparent); break;
  }
}

void DrawCell(int dest_bits, int type, const CellDraw& d, const ColorFormatRecord& format, ColorValue color,
              ColorValue edge_color, int transparent) {
  switch (dest_bits) {
    case 32: DrawCellForType<32>(type, d, format, color, edge_color, transparent); break;
    case 16: DrawCellForType<16>(type, d, format, color, edge_color, transparent); break;
    case 8:
      if (type <= kFontTypeEdge) DrawCellForType<8>(type, d, format, color, edge_color, transparent);
      break;
    default: break;
  }
}

void LockOrDie(ps::Surface* surface, ps::LockedRect* locked) {
  if (ps::Lock(surface, nullptr, ps::kLockWait, locked) != ps::Result::kOk) {
    FatalErrorExit("描画先サーフェスのロックに失敗しました in FontCacheStringDraw");
  }
}

}  // namespace

void FontPutPixel(int type, int dest_bits, const ColorFormatRecord& format, uint8_t glyph, uint8_t edge,
                  ColorValue color, ColorValue edge_color, int transparent, uint8_t* pixel, uint8_t* mask) {
  const uint8_t cell[2] = {static_cast<uint8_t>(type == 0 ? (glyph != 0 ? 0x80 : 0) : glyph), edge};
  const CellDraw d{cell, 2, 0, 0, 1, 1, pixel, 0, mask, 0};
  DrawCell(dest_bits, type, d, format, color, edge_color, transparent);
}

int FontCacheStringDrawToHandle(int draw, int x, int y, const char* text, ColorValue color, ps::Surface* surface,
                                uint8_t* mask, int mask_pitch, const Rect* clip, int dest_bits, int transparent,
                                int handle, ColorValue edge_color, int length, int vertical, FontStringSize* size) {
  if (GetGraphSuspendFlag() != 0 || GetDirectDrawObject() == nullptr) return -1;
  FontRecord* f = FindFontRecord(handle);
  if (f == nullptr) {
    FontHandleFatal("\tin FontCacheStringDrawToHandle  StrData = %s   FontHandle = %d  ", text != nullptr ? text : "",
                    handle);
  }
  if (text == nullptr || text[0] == '\0') return 0;
  ScannedString scanned;
  ScanString(text, length, &scanned);
  const std::span<const ScannedChar> chars = scanned.View();
  AddMissingChars(f, chars, handle);

  FontStringSize total;
  if (draw == 0) {
    for (const ScannedChar& c : chars) {
      const FontCacheEntry* e = EntryOf(*f, c);
      if (e == nullptr) e = FontCacheCharAddToHandle(1, c.Bytes, handle);
      if (e != nullptr) Grow(*e, vertical, &total);
    }
    if (size != nullptr) *size = total;
    return vertical == 0 ? total.cx : total.cy;
  }

  ps::LockedRect locked;
  LockOrDie(surface, &locked);
  // Bytes per pixel come from the surface itself: a caller's wrong depth draws nothing
  // rather than writing past the rows.
  const int bits = locked.format.bit_count == dest_bits ? dest_bits : 0;
  const ColorFormatRecord& format = *GetPixelFormatPtr();
  // The pen runs in 64 bits: a string that starts near the end of the int range walks on
  // past it, and its glyphs there lie outside every surface.
  int64_t pen_x = x, pen_y = y;
  for (const ScannedChar& c : chars) {
    const FontCacheEntry* e = EntryOf(*f, c);
    if (e == nullptr) {
      ps::Unlock(surface);
      e = FontCacheCharAddToHandle(1, c.Bytes, handle);
      if (e == nullptr) FatalErrorExit("テキストキャッシュの作成に失敗しました");
      LockOrDie(surface, &locked);
    }
    // The source never reaches past the glyph's own cell.
    Rect dst = SaturatedRect(pen_x, pen_y, pen_x + std::min(e->Cx, f->Cell), pen_y + std::min(e->Cy, f->Cell));
    const Rect glyph_rect = dst;
    if (clip != nullptr) ClipRect(&dst, clip);
    const Rect bounds{0, 0, locked.width, locked.height};
    ClipRect(&dst, &bounds);
    if (bits != 0 && dst.right > dst.left && dst.bottom > dst.top) {
      const int bytes = bits / 8;
      CellDraw d{
          f->CellBits(e->Cell),
          f->CachePitch,
          dst.left - glyph_rect.left,
          dst.top - glyph_rect.top,
          dst.right - dst.left,
          dst.bottom - dst.top,
          locked.bits + static_cast<ptrdiff_t>(dst.top) * locked.pitch + static_cast<ptrdiff_t>(dst.left) * bytes,
          locked.pitch,
          mask != nullptr ? mask + static_cast<ptrdiff_t>(dst.top) * mask_pitch + dst.left : nullptr,
          mask_pitch};
      DrawCell(bits, f->Type, d, format, color, edge_color, transparent);
    }
    if (vertical == 0) {
      pen_x += e->Cx;
    } else {
      pen_y += e->Cy;
    }
    Grow(*e, vertical, &total);
  }
  ps::Unlock(surface);
  if (size != nullptr) *size = total;
  return vertical == 0 ? total.cx : total.cy;
}

int MeasureFontString(const char* text, int length, int handle, int vertical) {
  return FontCacheStringDrawToHandle(0, 0, 0, text, 0, nullptr, nullptr, 0, nullptr, 0, 0, handle, 0, length, vertical,
                                     nullptr);
}

}  // namespace vexal

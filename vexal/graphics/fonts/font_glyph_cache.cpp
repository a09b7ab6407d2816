// Rendering characters into the cells of a font's glyph cache. Every write stays inside
// the character's own cell, so a tall glyph or its edge ring never reaches a neighbour.
#include <algorithm>
#include <cstring>
#include <new>
#include <span>
#include <string_view>
#include <vector>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/fonts/font_cache.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace pg = plat::gdi;

constexpr uint8_t kType1Glyph = 3;    // cache value of a type-1 glyph pixel
constexpr uint8_t kType1EdgeBit = 1;  // ORed into the neighbours of a glyph pixel
constexpr uint8_t kType1GlyphBit = 2;
constexpr uint8_t kGlyphIndex = 1;      // text colour of the other types' text output
constexpr uint8_t kGrayLevelFull = 16;  // top level of a grey outline
constexpr int kOutlineMarginRows = 2;   // spare rows behind an outline's buffer

// Level 0..16 of a grey outline as a byte of coverage: 16 gives 255.
constexpr uint8_t LevelToCoverage(int level) { return level == 0 ? 0 : static_cast<uint8_t>(level * 16 - 1); }

// A cell of the cache: pixel access clipped to the cell.
struct CellView {
  uint8_t* Bits;  // the cell's top-left byte
  int Pitch;
  int Side;
  int BytesPerPixel;  // 1 or 2 (type 0's bits are written by the text output only)

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Side && y < Side; }
  uint8_t* At(int x, int y) const {
    return Bits + static_cast<ptrdiff_t>(y) * Pitch + static_cast<ptrdiff_t>(x) * BytesPerPixel;
  }
};

void ClearCell(const FontRecord& f, uint8_t* bits) {
  const size_t row_bytes = (static_cast<size_t>(f.Cell) * static_cast<size_t>(f.CacheBitCount) + 7) / 8;
  for (int y = 0; y < f.Cell; ++y) std::memset(bits + static_cast<ptrdiff_t>(y) * f.CachePitch, 0, row_bytes);
}

// Types 0 and 1: the system's text output into the cell at (e, e).
void RenderText(const FontRecord& f, uint8_t* cell_bits, std::string_view chars, int e) {
  const pg::Dib cell{cell_bits, f.Cell, f.Cell, f.CachePitch, f.CacheBitCount == 1 ? 1 : 8};
  pg::TextColors colors;
  colors.text = f.Type == kFontTypeEdge ? kType1Glyph : kGlyphIndex;
  colors.background = 0;
  colors.opaque = true;
  pg::TextOut(f.Font, cell, e, e, chars, colors);
}

// Type 1: every glyph pixel of the box gives its four neighbours the edge bit.
void MarkEdges(const CellView& cell, int cx, int cy) {
  const int w = std::min(cx, cell.Side), h = std::min(cy, cell.Side);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if ((*cell.At(x, y) & kType1GlyphBit) == 0) continue;
      for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        if (cell.Inside(x + dx, y + dy)) *cell.At(x + dx, y + dy) |= kType1EdgeBit;
      }
    }
  }
}

// Types 2 and 3: the grey outline placed in the cell; cx and cy grow to its box.
void RenderOutline(FontRecord& f, uint8_t* cell_bits, uint32_t code, int e, int* cx, int* cy) {
  pg::GlyphMetrics gm;
  const int64_t size = pg::GetGlyphOutlineGray4(f.Font, code, &gm, {});
  if (size < 0) FatalErrorExit("GetGlyphOutline 関数が失敗しました");
  if (size == 0 || gm.black_box_x == 0 || gm.black_box_y == 0) return;  // an empty glyph
  const size_t src_pitch = (gm.black_box_x + 3u) & ~3u;
  std::vector<uint8_t> levels;
  try {
    levels.assign(static_cast<size_t>(size) + src_pitch * kOutlineMarginRows, 0);
  } catch (const std::bad_alloc&) {
    FatalErrorExit("アンチエイリアス文字取得用バッファの確保に失敗しました");
  }
  if (pg::GetGlyphOutlineGray4(f.Font, code, &gm, levels) < 0) FatalErrorExit("GetGlyphOutline 関数が失敗しました");

  int bbx = static_cast<int>(gm.black_box_x), bby = static_cast<int>(gm.black_box_y);
  *cx = std::max(*cx, bbx);
  *cy = std::max(*cy, bby);
  const int ox = (*cx - bbx) / 2 + e;
  const int oy = std::max(e, std::min(*cy - gm.origin_y - e, *cy - bby - e));
  bbx = std::min(bbx, f.Cell);
  bby = std::min(bby, f.Cell);
  *cx = std::min(*cx, f.Cell);

  const CellView cell{cell_bits, f.CachePitch, f.Cell, f.CacheBitCount / 8};
  auto level = [&](int i, int j) {
    return static_cast<int>(levels[static_cast<size_t>(j) * src_pitch + static_cast<size_t>(i)]);
  };
  if (f.Type == kFontTypeAntialias) {
    for (int j = 0; j < bby; ++j) {
      for (int i = 0; i < bbx; ++i) {
        if (cell.Inside(ox + i, oy + j)) *cell.At(ox + i, oy + j) = LevelToCoverage(level(i, j));
      }
    }
    return;
  }
  // Type 3: byte 0 of a pixel is the glyph's coverage, byte 1 the edge's. The edge takes the
  // level of the strongest glyph neighbour, except under pixels the glyph covers fully.
  for (int j = 0; j < bby; ++j) {
    for (int i = 0; i < bbx; ++i) {
      const int v = level(i, j);
      if (v == 0) continue;
      if (cell.Inside(ox + i, oy + j)) cell.At(ox + i, oy + j)[0] = LevelToCoverage(v);
      for (const auto& [dx, dy] : {std::pair{0, -1}, {0, 1}, {1, 0}, {-1, 0}}) {
        const int ni = i + dx, nj = j + dy;
        if (!cell.Inside(ox + ni, oy + nj)) continue;
        uint8_t& edge = cell.At(ox + ni, oy + nj)[1];
        const bool outside = ni < 0 || nj < 0 || ni >= bbx || nj >= bby;
        if (outside || (edge < v && level(ni, nj) < kGrayLevelFull)) edge = static_cast<uint8_t>(v);
      }
    }
  }
  for (int y = oy - 1; y <= oy + bby; ++y) {
    for (int x = ox - 1; x <= ox + bbx; ++x) {
      if (!cell.Inside(x, y)) continue;
      uint8_t& edge = cell.At(x, y)[1];
      if (edge != 0) edge = LevelToCoverage(edge);
    }
  }
}

}  // namespace

FontCacheEntry* FontCacheCharAddToHandle(int count, const uint8_t* chars, int handle) {
  if (GetGraphSuspendFlag() != 0 || GetDirectDrawObject() == nullptr) return nullptr;
  FontRecord* f = FindFontRecord(handle);
  if (f == nullptr) {
    const std::string first = chars != nullptr && count > 0
                                  ? std::string(reinterpret_cast<const char*>(chars),
                                                strnlen(reinterpret_cast<const char*>(chars), kFontCharRecordBytes))
                                  : std::string();
    FontHandleFatal("\tin FontCacheCharAddToHandle  AddNum = %d   CharData = %s  FontHandle = %d  ", count,
                    first.c_str(), handle);
  }
  const int e = (f->Type & kFontTypeEdge) != 0 ? 1 : 0;
  FontCacheEntry* last = nullptr;
  for (int n = 0; n < count; ++n) {
    const uint8_t* c = chars + static_cast<ptrdiff_t>(n) * kFontCharRecordBytes;
    const int code = FontCharCode(c[0], c[1]);
    const int index = f->NextEntry;
    FontCacheEntry& entry = f->Entries[static_cast<size_t>(index)];
    // Only the lookup that still points here is cleared: a later entry for the same
    // character keeps its own.
    if (entry.Used != 0 && entry.Code >= 0 && f->Lookup[static_cast<size_t>(entry.Code)] == index) {
      f->Lookup[static_cast<size_t>(entry.Code)] = -1;
    }
    f->Lookup[static_cast<size_t>(code)] = static_cast<int16_t>(index);
    entry.Used = 1;
    entry.Code = code;

    const std::string_view bytes(reinterpret_cast<const char*>(c), c[1] != 0 ? 2 : 1);
    pg::Size extent;
    pg::GetTextExtent(f->Font, bytes, &extent);
    int cx = extent.cx, cy = extent.cy;
    uint8_t* cell_bits = f->CellBits(entry.Cell);
    // Every cell starts empty, so nothing of the glyph it held before shows round the new one.
    ClearCell(*f, cell_bits);
    if ((f->Type & kFontTypeAntialias) == 0) {
      RenderText(*f, cell_bits, bytes, e);
    } else {
      const bool space = (c[0] == ' ' && c[1] == 0) || (c[0] == 0x81 && c[1] == 0x40);
      if (!space) RenderOutline(*f, cell_bits, c[1] != 0 ? c[0] * 256u + c[1] : c[0], e, &cx, &cy);
    }
    if (e != 0) {
      cx += kFontEdgeCellGrowth;
      cy += kFontEdgeCellGrowth;
      if (f->Type == kFontTypeEdge) MarkEdges(CellView{cell_bits, f->CachePitch, f->Cell, 1}, cx, cy);
    }
    entry.Cx = cx;
    entry.Cy = cy;
    f->NextEntry = f->NextEntry + 1 >= f->EntryCount ? 0 : f->NextEntry + 1;
    last = &entry;
  }
  return last;
}

}  // namespace vexal

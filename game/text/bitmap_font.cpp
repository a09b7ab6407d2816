// The bitmap font: wrapped drawing, numbers, the compose buffer.
#include "game/text/bitmap_font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_load.h"

namespace game {

BitmapFont TheBitmapFont;  // the font every screen draws with

namespace {

void DrawCellGraph(int x, int y, int, int graph) { vexal::DrawGraph(x, y, graph, 1); }
int LoadSheetGraphs(const char* file, int allNum, int xNum, int yNum, int w, int h, int* handles, int notUse3D) {
  return vexal::LoadDivGraphFlag(file, allNum, xNum, yNum, w, h, handles, notUse3D);
}

GlyphDrawHook glyph_draw_hook = DrawCellGraph;          // draws a glyph cell
GlyphSheetLoader glyph_sheet_loader = LoadSheetGraphs;  // loads a sheet into cell graphs

constexpr const char* kStandardSheet = "system\\letter.bmp";
constexpr int kLastNumberedSheet = 9;  // system\font_01.png .. system\font_09.png
constexpr int kSheetNotUse3D = 1;      // the sheet's cells stay software graphs
constexpr int kLineHeight = 16;        // pixels from one text line to the next

// ---- Numbers ----------------------------------------------------------------------

// Decimal text of value, padded with "0" to width digits when zeroPad; the sign, when
// there is one, stays in front of the zeros.
constexpr int kNumberTextBytes = 64;
void NumberText(int value, int width, bool zeroPad, char (&text)[kNumberTextBytes]) {
  int pad = zeroPad ? std::clamp(width, 0, kNumberTextBytes - 1) : 0;
  std::snprintf(text, sizeof text, "%0*d", pad, value);
}

// Glyph codes of a number's text into out, NUL-terminated; returns the count.
int NumberCodes(const char* text, std::span<uint8_t> out) {
  int n = 0;
  for (; text[n] != 0 && n + 1 < static_cast<int>(out.size()); ++n) {
    out[n] = text[n] == '-' ? kGlyphMinus : static_cast<uint8_t>(kGlyphFirstCellCode + text[n] - '0');
  }
  if (!out.empty()) out[n] = kGlyphEnd;
  return n;
}

bool MayHang(uint8_t code) {
  return code == kGlyphComma || code == kGlyphFullStop || code == kGlyphAsciiComma || code == kGlyphAsciiFullStop;
}

// Length of a code span up to its first 0.
size_t CodeLength(std::span<const uint8_t> codes) {
  return static_cast<size_t>(std::find(codes.begin(), codes.end(), kGlyphEnd) - codes.begin());
}

}  // namespace

void SetGlyphDrawHook(GlyphDrawHook hook) { glyph_draw_hook = hook != nullptr ? hook : DrawCellGraph; }

void SetGlyphSheetLoader(GlyphSheetLoader loader) { glyph_sheet_loader = loader != nullptr ? loader : LoadSheetGraphs; }

BitmapFont::BitmapFont() { glyph_graphs_.fill(-1); }

int BitmapFont::LoadBitmapFont(int n) {
  auto load = [this](const char* file) {
    return glyph_sheet_loader(file, kGlyphCellCount, kGlyphSheetColumns, kGlyphSheetRows, kGlyphCellSize,
                              kGlyphCellSize, glyph_graphs_.data(), kSheetNotUse3D);
  };
  if (n >= 1 && n <= kLastNumberedSheet) {
    char file[32];
    std::snprintf(file, sizeof file, "system\\font_%02d.png", n);
    if (load(file) == 0) return 0;
  }
  return load(kStandardSheet) == 0 ? 0 : -1;
}

void BitmapFont::DrawGlyph(int x, int y, int code) const {
  int cell = GlyphCellOfCode(code);
  if (cell < 0) return;
  glyph_draw_hook(x, y, cell, glyph_graphs_[cell]);
}

void BitmapFont::DrawGlyphCodes(int x0, int y, int width, int lineLimit, std::span<const uint8_t> codes) const {
  codes = codes.first(CodeLength(codes));
  int x = x0;
  int column = 0;
  int lines = 0;
  int indent = 0;
  for (size_t i = 0; i < codes.size(); ++i) {
    uint8_t c = codes[i];
    if (c == kGlyphLineBreak) {
      column = width + 5;
    } else if (c == kGlyphBlank) {
      if (column != 0 && !(column == 1 && indent == 1)) {
        column += 1;
        x += kGlyphCellSize;
      }
    } else if (c == kGlyphVoicedMark || c == kGlyphSemiVoicedMark) {
      DrawGlyph(x + 2, y - kGlyphCellSize, c);  // the next glyph takes this place
    } else if (c == kGlyphRaisedKanji) {
      DrawGlyph(x, y - kGlyphCellSize, c);
    } else if (c >= kGlyphFirstCellCode) {
      DrawGlyph(x, y, c);
      x += kGlyphCellSize;
      column += 1;
      if (c == kGlyphOpenQuote) indent = 1;
    }
    if (column > width) {
      uint8_t next = i + 1 < codes.size() ? codes[i + 1] : kGlyphEnd;
      if (MayHang(next) && column <= width + 1) continue;
      x = x0 + kGlyphCellSize * indent;
      y += kLineHeight;
      lines += 1;
      if (lines >= lineLimit) return;
      column = indent;
    }
  }
}

void BitmapFont::DrawSjisText(int x, int y, std::string_view text) const {
  std::array<uint8_t, kSjisTextBufferBytes> codes;
  SjisToGlyphCodes(text, codes);
  DrawGlyphCodes(x, y, kSjisTextWidth, kSjisTextLineLimit, codes);
}

void BitmapFont::DrawNumber(int x, int y, int value, int width, int max, int min, int zeroPad) const {
  if (value < min) value = min;
  if (max >= 1 && value > max) value = max;
  char text[kNumberTextBytes];
  NumberText(value, width, zeroPad != 0 && width != 0, text);
  std::array<uint8_t, kNumberTextBytes> codes;
  int digits = NumberCodes(text, codes);
  if (width > digits) x += kGlyphCellSize * (width - digits);
  DrawGlyphCodes(x, y, kSjisTextWidth, 1, codes);
}

std::span<uint8_t> BitmapFont::ComposeRoom() {
  std::span<uint8_t> buffer(compose_buffer_);
  // The last byte is never written but as the NUL, so the search always ends inside.
  return buffer.subspan(CodeLength(buffer.first(buffer.size() - 1)));
}

void BitmapFont::ComposeClear() { compose_buffer_.fill(0); }

void BitmapFont::ComposeAddSjis(std::string_view text) { SjisToGlyphCodes(text, ComposeRoom()); }

void BitmapFont::ComposeAddCodes(std::span<const uint8_t> codes) {
  std::span<uint8_t> room = ComposeRoom();
  size_t n = std::min(CodeLength(codes), room.size() - 1);
  std::copy_n(codes.begin(), n, room.begin());
  room[n] = kGlyphEnd;
}

void BitmapFont::ComposeAddNumber(int n) {
  char text[kNumberTextBytes];
  NumberText(n, 0, false, text);
  std::span<uint8_t> room = ComposeRoom();
  // A number goes in whole or not at all: a cut one would show another value.
  if (std::strlen(text) < room.size()) NumberCodes(text, room);
}

void BitmapFont::ComposeGet(std::span<uint8_t> out) const {
  if (out.empty()) return;
  size_t n = std::min(CodeLength(compose_buffer_), out.size() - 1);
  std::copy_n(compose_buffer_.begin(), n, out.begin());
  out[n] = kGlyphEnd;
}

}  // namespace game

// Fonts on FreeType with faces found through fontconfig (see gdi.h for the contract).
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/text/text_encoding.h"

namespace plat::gdi {

struct Font {
  FT_Face face = nullptr;
  int height = 0;
  int weight = 0;
  int quality = 0;
  bool bold = false;
  FT_Pos bold_strength = 0;  // 26.6 pixels the outline grows by
  int ascent = 0;
  int max_advance = 0;
  int space_advance = 0;  // what an empty glyph advances per byte
  int x_advance = 0;
};

namespace {

constexpr char kDefaultFamily[] = "IPAGothic";
constexpr FcChar32 kJapaneseProbe = 0x3042;  // a kana every Japanese face holds
constexpr int kNormalWeight = 400;           // what weight 0 means
constexpr uint8_t kLevels = 16;              // grey outline levels 0..16
constexpr uint8_t kHalfCoverage = 128;       // kept by text output of grey quality
constexpr int kBoldStrengthDivisor = 24;     // bold strokes grow by 1/24 of the em

FT_Library g_library = nullptr;   // made on first use and kept for the process
bool g_fontconfig_ready = false;  // FcInit has run
int g_refusals = 0;               // CreateFont calls still to refuse (-1: every call)
int g_live_fonts = 0;             // fonts made and not yet deleted

// One character of Shift-JIS text.
struct Char {
  int bytes = 1;
  uint32_t glyph = 0;  // glyph index in the face; 0 = empty glyph
};

bool FindFace(const std::string& family_utf8, std::string* path, int* index) {
  if (!g_fontconfig_ready) {
    if (!FcInit()) return false;
    g_fontconfig_ready = true;
    std::atexit(FcFini);  // leaves no fontconfig state for leak checks
  }
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family_utf8.c_str()));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool found = false;
  FcChar8* file = nullptr;
  FcCharSet* charset = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
      FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch &&
      FcCharSetHasChar(charset, kJapaneseProbe)) {
    *path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    found = true;
  }
  FcPatternDestroy(match);
  return found;
}

FT_Face OpenFace(const char* face_name) {
  if (g_library == nullptr && FT_Init_FreeType(&g_library) != 0) {
    g_library = nullptr;
    return nullptr;
  }
  std::string path;
  int index = 0;
  bool found = false;
  if (face_name != nullptr && face_name[0] != '\0') {
    found = FindFace(Cp932ToUtf8(face_name), &path, &index);
  }
  if (!found && !FindFace(kDefaultFamily, &path, &index)) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(g_library, path.c_str(), index, &face) != 0) return nullptr;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 || !FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    return nullptr;
  }
  return face;
}

// Loads a glyph's outline at the font's size, thickened for bold. Its advance is unchanged.
bool LoadGlyph(const Font* font, uint32_t glyph) {
  if (FT_Load_Glyph(font->face, glyph, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return false;
  FT_GlyphSlot slot = font->face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  if (font->bold) {
    // Thickening grows the outline rightwards; half of that goes back left, so the ink
    // stays centred on the unchanged advance.
    FT_Outline_EmboldenXY(&slot->outline, font->bold_strength, font->bold_strength);
    FT_Outline_Translate(&slot->outline, -font->bold_strength / 2, 0);
  }
  return true;
}

int Advance(const Font* font, const Char& c) {
  if (c.glyph == 0) return font->space_advance * c.bytes;
  if (!LoadGlyph(font, c.glyph)) return font->space_advance * c.bytes;
  return static_cast<int>((font->face->glyph->advance.x + 32) >> 6);
}

uint32_t GlyphOf(const Font* font, std::string_view bytes) {
  if (bytes.size() == 1 && IsSjisLeadByte(static_cast<uint8_t>(bytes[0]))) return 0;
  std::string utf8 = Cp932ToUtf8(bytes);
  if (!utf8.empty() && utf8[0] == '?' && bytes[0] != '?') return 0;  // not convertible
  // The bytes must make exactly one code point.
  const auto* u = reinterpret_cast<const uint8_t*>(utf8.data());
  const size_t n = utf8.size();
  uint32_t cp = 0;
  if (n == 1 && u[0] < 0x80) {
    cp = u[0];
  } else if (n == 2 && (u[0] & 0xE0) == 0xC0) {
    cp = (u[0] & 0x1Fu) << 6 | (u[1] & 0x3Fu);
  } else if (n == 3 && (u[0] & 0xF0) == 0xE0) {
    cp = (u[0] & 0x0Fu) << 12 | (u[1] & 0x3Fu) << 6 | (u[2] & 0x3Fu);
  } else if (n == 4 && (u[0] & 0xF8) == 0xF0) {
    cp = (u[0] & 0x07u) << 18 | (u[1] & 0x3Fu) << 12 | (u[2] & 0x3Fu) << 6 | (u[3] & 0x3Fu);
  } else {
    return 0;
  }
  return FT_Get_Char_Index(font->face, cp);
}

// The character starting at text[pos].
Char NextChar(const Font* font, std::string_view text, size_t pos) {
  Char c;
  if (IsSjisLeadByte(static_cast<uint8_t>(text[pos])) && pos + 1 < text.size()) c.bytes = 2;
  c.glyph = GlyphOf(font, text.substr(pos, static_cast<size_t>(c.bytes)));
  return c;
}

bool ValidDib(const Dib& d) {
  if (d.bits == nullptr || d.width <= 0 || d.height <= 0) return false;
  if (d.bit_count != 1 && d.bit_count != 8) return false;
  return d.pitch >= (d.width * d.bit_count + 7) / 8;
}

void PutPixel(const Dib& d, int x, int y, uint8_t index) {
  uint8_t* row = d.bits + static_cast<ptrdiff_t>(y) * d.pitch;
  if (d.bit_count == 8) {
    row[x] = index;
    return;
  }
  const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
  if (index & 1) {
    row[x >> 3] |= bit;
  } else {
    row[x >> 3] &= static_cast<uint8_t>(~bit);
  }
}

// Pixel (i, j) of a rendered bitmap, as ink or not.
bool Inked(const FT_Bitmap& b, unsigned i, unsigned j) {
  const int step = b.pitch < 0 ? -b.pitch : b.pitch;
  const unsigned row = b.pitch < 0 ? b.rows - 1 - j : j;
  const uint8_t* p = b.buffer + static_cast<ptrdiff_t>(row) * step;
  if (b.pixel_mode == FT_PIXEL_MODE_MONO) return (p[i >> 3] >> (7 - (i & 7))) & 1;
  return p[i] >= kHalfCoverage;
}

}  // namespace

Font* CreateFont(int height, int weight, int charset, int quality, const char* face) {
  if (g_refusals != 0) {
    if (g_refusals > 0) --g_refusals;
    return nullptr;
  }
  if (height < 1 || height > kMaxFontHeight || weight < 0 || weight > kMaxWeight) return nullptr;
  if (charset != kDefaultCharset && charset != kShiftJisCharset) return nullptr;
  if (quality < kDefaultQuality || quality > kAntialiasedQuality) return nullptr;
  if (face != nullptr && std::strlen(face) > kMaxFaceNameBytes) return nullptr;
  FT_Face ft = OpenFace(face);
  if (ft == nullptr) return nullptr;
  if (FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(height)) != 0) {
    FT_Done_Face(ft);
    return nullptr;
  }
  auto owned = std::make_unique<Font>();
  Font* font = owned.get();
  font->face = ft;
  font->height = height;
  font->weight = weight == 0 ? kNormalWeight : weight;
  font->quality = quality;
  font->bold = font->weight >= kBoldWeight;
  font->bold_strength = FT_MulFix(ft->units_per_EM, ft->size->metrics.y_scale) / kBoldStrengthDivisor;
  // The descent is the face's rounded up, so descenders stay inside the height.
  const long span = static_cast<long>(ft->ascender) - ft->descender;
  const long below = -static_cast<long>(ft->descender);
  const int descent = span > 0 && below > 0 ? static_cast<int>((height * below + span - 1) / span) : 0;
  font->ascent = height - std::clamp(descent, 0, height);
  font->space_advance = (height + 1) / 2;  // for a face without a space
  if (FT_UInt space = FT_Get_Char_Index(ft, ' '); space != 0) {
    font->space_advance = Advance(font, Char{1, space});
  }
  font->x_advance = Advance(font, Char{1, FT_Get_Char_Index(ft, 'x')});
  font->max_advance = static_cast<int>((ft->size->metrics.max_advance + 32) >> 6);
  ++g_live_fonts;
  return owned.release();
}

void DeleteFont(Font* font) {
  if (font == nullptr) return;
  std::unique_ptr<Font> owned(font);
  FT_Done_Face(owned->face);
  --g_live_fonts;
}

bool GetTextMetrics(const Font* font, TextMetrics* out) {
  if (font == nullptr || out == nullptr) return false;
  out->height = font->height;
  out->ascent = font->ascent;
  out->descent = font->height - font->ascent;
  out->ave_char_width = font->x_advance;
  out->max_char_width = font->max_advance;
  out->weight = font->weight;
  return true;
}

bool GetTextExtent(const Font* font, std::string_view text, Size* out) {
  if (font == nullptr || out == nullptr) return false;
  int64_t cx = 0;
  for (size_t pos = 0; pos < text.size();) {
    Char c = NextChar(font, text, pos);
    cx += Advance(font, c);
    pos += static_cast<size_t>(c.bytes);
  }
  out->cx = static_cast<int>(std::min<int64_t>(cx, INT32_MAX));
  out->cy = font->height;
  return true;
}

bool TextOut(const Font* font, const Dib& target, int x, int y, std::string_view text, const TextColors& colors) {
  if (font == nullptr || !ValidDib(target)) return false;
  Size extent;
  GetTextExtent(font, text, &extent);
  // The box every write stays in: the text's extent cut to the bitmap.
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + extent.cx, target.width);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + extent.cy, target.height);
  if (left >= right || top >= bottom) return true;
  if (colors.opaque) {
    for (int py = static_cast<int>(top); py < bottom; ++py) {
      for (int px = static_cast<int>(left); px < right; ++px) {
        PutPixel(target, px, py, colors.background);
      }
    }
  }
  const FT_Render_Mode mode = font->quality == kNonAntialiasedQuality ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
  const int64_t baseline = int64_t{y} + font->ascent;
  int64_t pen = x;
  for (size_t pos = 0; pos < text.size();) {
    Char c = NextChar(font, text, pos);
    pos += static_cast<size_t>(c.bytes);
    const int advance = Advance(font, c);
    if (c.glyph != 0 && LoadGlyph(font, c.glyph) && FT_Render_Glyph(font->face->glyph, mode) == 0) {
      const FT_GlyphSlot slot = font->face->glyph;
      const FT_Bitmap& b = slot->bitmap;
      for (unsigned j = 0; j < b.rows; ++j) {
        const int64_t py = baseline - slot->bitmap_top + j;
        if (py < top || py >= bottom) continue;
        for (unsigned i = 0; i < b.width; ++i) {
          const int64_t px = pen + slot->bitmap_left + i;
          if (px < left || px >= right) continue;
          if (Inked(b, i, j)) {
            PutPixel(target, static_cast<int>(px), static_cast<int>(py), colors.text);
          }
        }
      }
    }
    pen += advance;
  }
  return true;
}

int64_t GetGlyphOutlineGray4(const Font* font, uint32_t code, GlyphMetrics* metrics, std::span<uint8_t> buffer) {
  if (font == nullptr || metrics == nullptr || code > 0xFFFF) return -1;
  char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  std::string_view chars(bytes, 2);
  if (code <= 0xFF) {
    chars = chars.substr(1);
  } else if (!IsSjisLeadByte(static_cast<uint8_t>(bytes[0]))) {
    return -1;  // two bytes that are not one character
  }
  Char c{static_cast<int>(chars.size()), GlyphOf(font, chars)};
  *metrics = GlyphMetrics{};
  metrics->advance_x = Advance(font, c);
  if (c.glyph == 0) return 0;
  if (!LoadGlyph(font, c.glyph) || FT_Render_Glyph(font->face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
    return 0;
  }
  const FT_GlyphSlot slot = font->face->glyph;
  const FT_Bitmap& b = slot->bitmap;
  if (b.width == 0 || b.rows == 0) return 0;  // a glyph without ink, such as a space
  metrics->black_box_x = b.width;
  metrics->black_box_y = b.rows;
  metrics->origin_x = slot->bitmap_left;
  metrics->origin_y = slot->bitmap_top;
  const size_t pitch = (b.width + 3u) & ~3u;
  const size_t size = pitch * b.rows;
  if (buffer.empty()) return static_cast<int64_t>(size);
  if (buffer.size() < size) return -1;
  const int step = b.pitch < 0 ? -b.pitch : b.pitch;
  for (unsigned j = 0; j < b.rows; ++j) {
    const unsigned row = b.pitch < 0 ? b.rows - 1 - j : j;
    const uint8_t* src = b.buffer + static_cast<ptrdiff_t>(row) * step;
    uint8_t* dst = buffer.data() + j * pitch;
    std::memset(dst, 0, pitch);
    for (unsigned i = 0; i < b.width; ++i) {
      dst[i] = static_cast<uint8_t>((src[i] * kLevels + 127) / 255);
    }
  }
  return static_cast<int64_t>(size);
}

namespace test {
void RefuseFontCreations(int count) { g_refusals = count; }
int LiveFontCount() { return g_live_fonts; }
void ResetFonts() { g_refusals = 0; }
}  // namespace test

}  // namespace plat::gdi

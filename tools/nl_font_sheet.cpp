// nl_font_sheet OUTPUT [FONT]: draws the game's 8 x 8 font sheet, system\letter.bmp, from
// the Misaki Gothic face (fonts-misaki; found through fontconfig, else at its Debian path,
// or the FONT file given).
//
// The sheet is 26 x 8 cells of 8 x 8 pixels, read row by row; the glyph code c of the
// game's text draws cell c - 48 (c - 47 from code 229 on, so cell 181 stays empty). The
// glyphs are white on black, black being the transparent colour of the game's pictures.
// The picture is a 24-bit Windows bitmap, bottom row first, with a 40-byte info header.
//
// Codes the game's conversion never produces are filled with characters chosen here:
// 177 "」", 203 "♪", 225 "鎧", 226 "兜", 227 "薬", 243..254 "←→↑↓☆★◇◆％（）※".
// The symbols of single-byte text are drawn in their full-width forms.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "game/codec/glyph_codes.h"
#include "platform/text/text_encoding.h"
#include "tools/picture/picture_file.h"

namespace {

constexpr const char* kFamily = "MisakiGothic";
constexpr const char* kDebianPath = "/usr/share/fonts/truetype/misaki/misaki_gothic.ttf";
constexpr int kSheetWidth = game::kGlyphSheetColumns * game::kGlyphCellSize;  // 208
constexpr int kSheetHeight = game::kGlyphSheetRows * game::kGlyphCellSize;    // 64
constexpr int kLastCode = 254;                                                // 255 points past the sheet

// Runs of consecutive glyph codes and the characters their cells show.
struct CellRun {
  int firstCode;
  std::string_view characters;  // UTF-8
};
constexpr CellRun kCellRuns[] = {
    {48,
     "０１２３４５６７８９゛゜、。！？著終「：；，．＜＞／"
     "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"},
    {100,
     "あいうえおかきくけこさしすせそたちつてとなにぬねの　はひふへほまみむめもや○ゆ×よ"
     "らりるれろわ剣盾靴を魔んっゃゅょーぁぃぅぇぉ＋－＂＊＝＃＆Ⅲ［］離押～・」"},
    {178,
     "アイウエオカキクケコサシスセソタチツテトナニヌネノ♪ハヒフヘホマミムメモヤ□ユ△ヨ"
     "ラリルレロワ鎧兜薬ヲンッャュョ…ァィゥェォ体賽膿←→↑↓☆★◇◆％（）※"},
};

// The voicing marks are drawn 8 pixels up and 2 right of the kana they belong to, so
// their ink sits at the bottom of the cell, ending at column 5: it lands on the kana's
// top right corner.
constexpr int kMarkLastColumn = 5;

using Cell = std::array<std::array<uint8_t, game::kGlyphCellSize>, game::kGlyphCellSize>;

// Code points of UTF-8 text (the runs above are well formed).
std::vector<std::pair<char32_t, std::string>> SplitUtf8(std::string_view text) {
  std::vector<std::pair<char32_t, std::string>> out;
  for (size_t i = 0; i < text.size();) {
    uint8_t b = static_cast<uint8_t>(text[i]);
    int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? b : b & (0x7F >> length);
    for (int k = 1; k < length; ++k) cp = cp << 6 | (static_cast<uint8_t>(text[i + k]) & 0x3F);
    out.emplace_back(cp, std::string(text.substr(i, length)));
    i += length;
  }
  return out;
}

std::string FindFace() {
  std::string path;
  if (FcInit()) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kFamily));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    FcChar8* file = nullptr;
    if (fonts != nullptr && fonts->nfont > 0 &&
        FcPatternGetString(fonts->fonts[0], FC_FILE, 0, &file) == FcResultMatch) {
      path = reinterpret_cast<const char*>(file);
    }
    if (fonts != nullptr) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcFini();
  }
  if (path.empty()) path = kDebianPath;
  return path;
}

// The glyph of cp as the face draws it at 8 pixels, placed in its cell by the baseline.
bool RenderCell(FT_Face face, char32_t cp, Cell& cell) {
  cell = {};
  FT_UInt index = FT_Get_Char_Index(face, cp);
  if (index == 0) return false;
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME)) {
    return false;
  }
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  const int top = static_cast<int>(face->size->metrics.ascender >> 6) - slot->bitmap_top;
  for (unsigned r = 0; r < bitmap.rows; ++r) {
    const uint8_t* row = bitmap.buffer + static_cast<long>(r) * bitmap.pitch;
    for (unsigned c = 0; c < bitmap.width; ++c) {
      bool ink = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[c / 8] >> (7 - c % 8)) & 1 : row[c] >= 128;
      int y = top + static_cast<int>(r);
      int x = slot->bitmap_left + static_cast<int>(c);
      if (ink && y >= 0 && y < game::kGlyphCellSize && x >= 0 && x < game::kGlyphCellSize) {
        cell[y][x] = 1;
      }
    }
  }
  return true;
}

// Moves a mark's ink down to the bottom row and right to kMarkLastColumn.
void PlaceMark(Cell& cell) {
  int bottom = -1;
  int right = -1;
  for (int y = 0; y < game::kGlyphCellSize; ++y) {
    for (int x = 0; x < game::kGlyphCellSize; ++x) {
      if (cell[y][x]) {
        bottom = std::max(bottom, y);
        right = std::max(right, x);
      }
    }
  }
  if (bottom < 0) return;
  const int dy = game::kGlyphCellSize - 1 - bottom;
  const int dx = kMarkLastColumn - right;
  Cell moved{};
  for (int y = 0; y < game::kGlyphCellSize; ++y) {
    for (int x = 0; x < game::kGlyphCellSize; ++x) {
      int ty = y + dy;
      int tx = x + dx;
      if (cell[y][x] && ty >= 0 && ty < game::kGlyphCellSize && tx >= 0 && tx < game::kGlyphCellSize) {
        moved[ty][tx] = 1;
      }
    }
  }
  cell = moved;
}

// The sheet as a picture: 1 = white, 0 = black.
nltools::Picture SheetPicture(const std::vector<uint8_t>& sheet) {
  nltools::Picture picture(kSheetWidth, kSheetHeight);
  for (int y = 0; y < kSheetHeight; ++y) {
    for (int x = 0; x < kSheetWidth; ++x) {
      if (sheet[y * kSheetWidth + x]) picture.At(x, y) = {255, 255, 255};
    }
  }
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: nl_font_sheet OUTPUT [FONT]\n");
    return 2;
  }
  const std::string facePath = argc == 3 ? argv[2] : FindFace();

  // Every code from 48 on has exactly one character, and one the game's conversion
  // gives a single code for must be that code, or the text would show another glyph.
  std::array<std::pair<char32_t, std::string>, 256> characters{};
  std::array<bool, 256> assigned{};
  for (const CellRun& run : kCellRuns) {
    int code = run.firstCode;
    for (auto& [cp, utf8] : SplitUtf8(run.characters)) {
      if (code > kLastCode || assigned[code]) {
        std::fprintf(stderr, "nl_font_sheet: code %d is out of range or given twice\n", code);
        return 1;
      }
      std::array<uint8_t, 4> converted;
      int count = game::SjisToGlyphCodes(plat::Utf8ToCp932(utf8), converted);
      if (count == 1 && converted[0] != code) {
        std::fprintf(stderr, "nl_font_sheet: %s is code %d in text, not %d\n", utf8.c_str(), converted[0], code);
        return 1;
      }
      characters[code] = {cp, utf8};
      assigned[code] = true;
      ++code;
    }
  }
  for (int code = game::kGlyphFirstCellCode; code <= kLastCode; ++code) {
    if (!assigned[code]) {
      std::fprintf(stderr, "nl_font_sheet: code %d has no character\n", code);
      return 1;
    }
  }

  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) != 0) {
    std::fprintf(stderr, "nl_font_sheet: cannot start FreeType\n");
    return 1;
  }
  if (FT_New_Face(library, facePath.c_str(), 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, game::kGlyphCellSize) != 0) {
    std::fprintf(stderr, "nl_font_sheet: cannot use the face %s (install fonts-misaki)\n", facePath.c_str());
    FT_Done_FreeType(library);
    return 1;
  }

  std::vector<uint8_t> sheet(kSheetWidth * kSheetHeight, 0);
  int status = 0;
  for (int code = game::kGlyphFirstCellCode; code <= kLastCode && status == 0; ++code) {
    const auto& [cp, utf8] = characters[code];
    Cell cell;
    if (!RenderCell(face, cp, cell)) {
      std::fprintf(stderr, "nl_font_sheet: %s has no glyph %s\n", facePath.c_str(), utf8.c_str());
      status = 1;
      break;
    }
    if (code == game::kGlyphVoicedMark || code == game::kGlyphSemiVoicedMark) PlaceMark(cell);
    const int index = game::GlyphCellOfCode(code);
    const int left = index % game::kGlyphSheetColumns * game::kGlyphCellSize;
    const int top = index / game::kGlyphSheetColumns * game::kGlyphCellSize;
    for (int y = 0; y < game::kGlyphCellSize; ++y) {
      for (int x = 0; x < game::kGlyphCellSize; ++x) {
        sheet[(top + y) * kSheetWidth + left + x] = cell[y][x];
      }
    }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (status != 0) return status;

  if (!nltools::WriteBmp(argv[1], SheetPicture(sheet))) {
    std::fprintf(stderr, "nl_font_sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

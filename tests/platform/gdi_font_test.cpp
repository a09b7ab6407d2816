#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace plat::gdi;

struct FontDeleter {
  void operator()(Font* f) const { DeleteFont(f); }
};
using FontPtr = std::unique_ptr<Font, FontDeleter>;

FontPtr MakeFont(int height, int weight = 400, int quality = kNonAntialiasedQuality, const char* face = nullptr) {
  return FontPtr(CreateFont(height, weight, kShiftJisCharset, quality, face));
}

int Width(const Font* f, std::string_view text) {
  Size s;
  EXPECT_TRUE(GetTextExtent(f, text, &s));
  return s.cx;
}

// Shift-JIS bytes of the characters used below.
constexpr char kA[] = "A";
constexpr char kHiraganaA[] = "\x82\xA0";   // あ
constexpr char kKanji[] = "\x8A\xBF";       // 漢
constexpr char kHalfKana[] = "\xB1";        // ｱ
constexpr char kPrivateUse[] = "\xF0\x40";  // a user-defined character no face holds

TEST(GdiFont, MetricsAddUpAndTheDefaultFaceIsFixedPitch) {
  for (int height : {12, 16, 24, 32}) {
    for (int weight : {400, 600}) {
      SCOPED_TRACE(testing::Message() << "height " << height << " weight " << weight);
      FontPtr f = MakeFont(height, weight);
      ASSERT_NE(f, nullptr);
      TextMetrics m;
      ASSERT_TRUE(GetTextMetrics(f.get(), &m));
      EXPECT_EQ(m.height, height);
      EXPECT_EQ(m.ascent + m.descent, height);
      EXPECT_EQ(m.weight, weight);
      const int half = Width(f.get(), kA);
      const int full = Width(f.get(), kHiraganaA);
      EXPECT_EQ(half * 2, height);
      EXPECT_EQ(full, 2 * half);
      EXPECT_EQ(Width(f.get(), kKanji), full);
      EXPECT_EQ(Width(f.get(), kHalfKana), half);
      EXPECT_EQ(m.ave_char_width, half);
      EXPECT_EQ(m.max_char_width, full);
      const std::string mixed = std::string("Ag") + kHiraganaA + kHalfKana + kKanji + " ";
      EXPECT_EQ(Width(f.get(), mixed), 4 * half + 2 * full);
      Size s;
      ASSERT_TRUE(GetTextExtent(f.get(), "", &s));
      EXPECT_EQ(s.cx, 0);
      EXPECT_EQ(s.cy, height);
    }
  }
}

// Thickened strokes may overhang the cell by one pixel on a side.
TEST(GdiFont, GlyphBoxesLieInsideTheCharacterCell) {
  const char* const chars[] = {kA,        "g",        "j",        kHiraganaA, kKanji,
                               kHalfKana, "\x81\x75", "\x81\x5B", "\x81\xA1"};  // 「 ー □
  for (int height : {12, 16, 24}) {
    for (int weight : {400, 700}) {
      FontPtr f = MakeFont(height, weight);
      TextMetrics m;
      GetTextMetrics(f.get(), &m);
      const int slack = weight >= kBoldWeight ? 1 : 0;
      for (const char* c : chars) {
        SCOPED_TRACE(testing::Message() << "height " << height << " weight " << weight << " char " << c);
        const auto* b = reinterpret_cast<const uint8_t*>(c);
        const uint32_t code = std::strlen(c) == 2 ? b[0] * 256u + b[1] : b[0];
        GlyphMetrics g;
        const int64_t size = GetGlyphOutlineGray4(f.get(), code, &g, {});
        ASSERT_GT(size, 0);
        EXPECT_EQ(size, static_cast<int64_t>(((g.black_box_x + 3) & ~3u) * g.black_box_y));
        EXPECT_EQ(g.advance_x, Width(f.get(), c));
        EXPECT_GE(g.origin_x, -slack);
        EXPECT_LE(g.origin_x + static_cast<int>(g.black_box_x), g.advance_x + slack);
        EXPECT_LE(g.origin_y, m.ascent + slack);
        EXPECT_GE(g.origin_y - static_cast<int>(g.black_box_y), -m.descent - slack);
      }
    }
  }
}

// Levels of one glyph's grey outline.
std::vector<uint8_t> Gray4(const Font* f, uint32_t code, GlyphMetrics* g) {
  const int64_t size = GetGlyphOutlineGray4(f, code, g, {});
  EXPECT_GT(size, 0);
  std::vector<uint8_t> buf(static_cast<size_t>(size));
  EXPECT_EQ(GetGlyphOutlineGray4(f, code, g, buf), size);
  return buf;
}

TEST(GdiFont, GreyOutlinesHoldSeventeenLevelsAndBoldHasMoreInk) {
  FontPtr normal = MakeFont(16, 400);
  FontPtr bold = MakeFont(16, 700);
  GlyphMetrics gn, gb;
  const std::vector<uint8_t> n = Gray4(normal.get(), 0x82A0, &gn);
  const std::vector<uint8_t> b = Gray4(bold.get(), 0x82A0, &gb);
  int intermediate = 0, full = 0, ink_n = 0, ink_b = 0;
  const size_t pitch = (gn.black_box_x + 3) & ~3u;
  for (size_t i = 0; i < n.size(); ++i) {
    EXPECT_LE(n[i], 16);
    if (i % pitch >= gn.black_box_x) {
      EXPECT_EQ(n[i], 0) << "row padding " << i;
    }
    intermediate += n[i] > 0 && n[i] < 16;
    full += n[i] == 16;
    ink_n += n[i];
  }
  for (uint8_t v : b) ink_b += v;
  EXPECT_GT(intermediate, 0);
  EXPECT_GT(full, 0);
  EXPECT_GT(ink_b, ink_n);
  EXPECT_EQ(gb.advance_x, gn.advance_x);
}

// An 8-bit bitmap filled with a sentinel.
struct Bitmap8 {
  static constexpr uint8_t kUntouched = 0xEE;
  int width, height;
  std::vector<uint8_t> bits;
  Bitmap8(int w, int h) : width(w), height(h), bits(static_cast<size_t>(w * h), kUntouched) {}
  Dib dib() { return Dib{bits.data(), width, height, width, 8}; }
  uint8_t at(int x, int y) const { return bits[static_cast<size_t>(y * width + x)]; }
};

TEST(GdiFont, TextOutStaysInItsBoxWithTwoIndicesWhenMono) {
  for (int quality : {kNonAntialiasedQuality, kAntialiasedQuality}) {
    SCOPED_TRACE(quality);
    FontPtr f = MakeFont(16, 600, quality);
    const std::string text = std::string(kKanji) + "Ag";  // 32 x 16
    Bitmap8 bmp(48, 24);
    ASSERT_TRUE(TextOut(f.get(), bmp.dib(), 5, 3, text, TextColors{7, 3, true}));
    int ink = 0;
    for (int y = 0; y < bmp.height; ++y) {
      for (int x = 0; x < bmp.width; ++x) {
        const bool inside = x >= 5 && x < 37 && y >= 3 && y < 19;
        const uint8_t v = bmp.at(x, y);
        if (!inside) {
          EXPECT_EQ(v, Bitmap8::kUntouched) << x << "," << y;
        } else {
          EXPECT_TRUE(v == 7 || v == 3) << x << "," << y << " = " << int(v);
          ink += v == 7;
        }
      }
    }
    EXPECT_GT(ink, 40);
    EXPECT_LT(ink, 32 * 16 / 2);
  }
}

// Grey text output keeps the pixels of at least half coverage: where the outline's level is
// 9 or more they are inked, where it is 7 or less they are not (8 holds coverage on both
// sides of the half). This also places each outline by its origin on the baseline.
TEST(GdiFont, GreyOutlinesAgreeWithGreyTextOutput) {
  const uint32_t codes[] = {0x82A0, 0x8ABF, 'A', 'g'};
  for (int height : {16, 24}) {
    for (int weight : {400, 700}) {
      FontPtr f = MakeFont(height, weight, kAntialiasedQuality);
      TextMetrics m;
      GetTextMetrics(f.get(), &m);
      for (uint32_t code : codes) {
        SCOPED_TRACE(testing::Message() << height << " " << weight << " " << std::hex << code);
        GlyphMetrics g;
        const std::vector<uint8_t> levels = Gray4(f.get(), code, &g);
        const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code)};
        const std::string text = code > 0xFF ? std::string(bytes, 2) : std::string(1, bytes[1]);
        Bitmap8 bmp(g.advance_x, height);
        ASSERT_TRUE(TextOut(f.get(), bmp.dib(), 0, 0, text, TextColors{1, 0, true}));
        const size_t pitch = (g.black_box_x + 3) & ~3u;
        int compared = 0;
        for (uint32_t j = 0; j < g.black_box_y; ++j) {
          for (uint32_t i = 0; i < g.black_box_x; ++i) {
            const int x = g.origin_x + static_cast<int>(i);
            const int y = m.ascent - g.origin_y + static_cast<int>(j);
            if (x < 0 || x >= bmp.width || y < 0 || y >= bmp.height) continue;
            const uint8_t level = levels[j * pitch + i];
            if (level == 8) continue;
            EXPECT_EQ(bmp.at(x, y), level > 8 ? 1 : 0) << x << "," << y << " level " << int(level);
            ++compared;
          }
        }
        EXPECT_GT(compared, 0);
      }
    }
  }
}

TEST(GdiFont, TextOutIsTheSameOnOneAndEightBits) {
  FontPtr f = MakeFont(16, 400);
  const std::string text = std::string(kHiraganaA) + "x" + kHalfKana;  // 32 x 16
  Bitmap8 bmp(40, 16);
  ASSERT_TRUE(TextOut(f.get(), bmp.dib(), 3, 0, text, TextColors{1, 0, true}));
  std::vector<uint8_t> mono(5 * 16, 0xA5);  // 40 pixels = 5 bytes a row, a pattern outside
  ASSERT_TRUE(TextOut(f.get(), Dib{mono.data(), 40, 16, 5, 1}, 3, 0, text, TextColors{1, 0, true}));
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 40; ++x) {
      const int bit = (mono[static_cast<size_t>(y * 5 + x / 8)] >> (7 - x % 8)) & 1;
      const int pattern = (0xA5 >> (7 - x % 8)) & 1;
      const uint8_t v = bmp.at(x, y);
      EXPECT_EQ(bit, v == Bitmap8::kUntouched ? pattern : v) << x << "," << y;
    }
  }
}

TEST(GdiFont, BackgroundBoxesAreExact) {
  FontPtr f = MakeFont(16, 400);
  // A space is all background: bits 3 to 10 of every row of a 16-pixel 1-bit bitmap.
  std::vector<uint8_t> mono(2 * 16, 0);
  ASSERT_TRUE(TextOut(f.get(), Dib{mono.data(), 16, 16, 2, 1}, 3, 0, " ", TextColors{0, 1, true}));
  for (int y = 0; y < 16; ++y) {
    EXPECT_EQ(mono[static_cast<size_t>(y * 2)], 0x1F) << y;
    EXPECT_EQ(mono[static_cast<size_t>(y * 2 + 1)], 0xE0) << y;
  }
  // Cut at the bitmap's edges: a 16 x 16 box at (-4, -10) leaves 12 x 6 pixels.
  Bitmap8 bmp(10, 8);
  ASSERT_TRUE(TextOut(f.get(), bmp.dib(), -4, -10, "  ", TextColors{9, 2, true}));
  for (int y = 0; y < bmp.height; ++y) {
    for (int x = 0; x < bmp.width; ++x) {
      EXPECT_EQ(bmp.at(x, y), y < 6 ? 2 : Bitmap8::kUntouched) << x << "," << y;
    }
  }
  // Transparent text leaves the background alone.
  Bitmap8 clear(16, 16);
  ASSERT_TRUE(TextOut(f.get(), clear.dib(), 0, 0, kA, TextColors{9, 2, false}));
  int ink = 0;
  for (uint8_t v : clear.bits) {
    EXPECT_TRUE(v == 9 || v == Bitmap8::kUntouched);
    ink += v == 9;
  }
  EXPECT_GT(ink, 0);
}

TEST(GdiFont, MissingCharactersAndLoneLeadBytesAreEmptyGlyphs) {
  FontPtr f = MakeFont(16, 400);
  struct Case {
    uint32_t code;
    int advance;
  };
  // A user-defined character, lone lead bytes, a lead byte with a byte that cannot follow
  // it, and the half- and full-width spaces (no ink).
  const Case cases[] = {{0xF040, 16}, {0x82, 8}, {0x9F, 8}, {0x8220, 16}, {' ', 8}, {0x8140, 16}};
  for (const Case& c : cases) {
    GlyphMetrics g;
    g.black_box_x = 99;
    std::vector<uint8_t> buf(64, 0x55);
    EXPECT_EQ(GetGlyphOutlineGray4(f.get(), c.code, &g, buf), 0) << std::hex << c.code;
    EXPECT_EQ(g.black_box_x, 0u);
    EXPECT_EQ(g.black_box_y, 0u);
    EXPECT_EQ(g.advance_x, c.advance) << std::hex << c.code;
    EXPECT_EQ(buf[0], 0x55);
  }
  // In text: nothing drawn, advanced per byte; a lead byte at the end stands alone.
  EXPECT_EQ(Width(f.get(), std::string(kPrivateUse) + "A\x82"), 16 + 8 + 8);
  Bitmap8 bmp(16, 16);
  ASSERT_TRUE(TextOut(f.get(), bmp.dib(), 0, 0, kPrivateUse, TextColors{9, 2, true}));
  for (uint8_t v : bmp.bits) EXPECT_EQ(v, 2);
}

TEST(GdiFont, FaceNamesMapToAJapaneseFace) {
  // DejaVu Sans holds no kana: it gives the default face.
  const char* const names[] = {nullptr, "", "IPAGothic", "ＭＳ ゴシック", "No Such Face", "DejaVu Sans"};
  for (const char* name : names) {
    SCOPED_TRACE(name == nullptr ? "null" : name);
    FontPtr f = MakeFont(16, 400, kNonAntialiasedQuality, name);
    ASSERT_NE(f, nullptr);
    GlyphMetrics g;
    EXPECT_GT(GetGlyphOutlineGray4(f.get(), 0x82A0, &g, {}), 0);
    EXPECT_GT(g.black_box_x, 0u);
  }
}

TEST(GdiFont, RefusesBadArguments) {
  struct Case {
    int height, weight, charset, quality;
    const char* face;
  };
  const std::string long_name(32, 'x');
  const Case cases[] = {
      {0, 400, kShiftJisCharset, 0, nullptr},
      {-16, 400, kShiftJisCharset, 0, nullptr},
      {1025, 400, kShiftJisCharset, 0, nullptr},
      {16, -1, kShiftJisCharset, 0, nullptr},
      {16, 1001, kShiftJisCharset, 0, nullptr},
      {16, 400, 0, 0, nullptr},
      {16, 400, kShiftJisCharset, 5, nullptr},
      {16, 400, kShiftJisCharset, -1, nullptr},
      {16, 400, kShiftJisCharset, 0, long_name.c_str()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CreateFont(c.height, c.weight, c.charset, c.quality, c.face), nullptr)
        << c.height << " " << c.weight << " " << c.charset << " " << c.quality;
  }
  EXPECT_EQ(test::LiveFontCount(), 0);
  FontPtr f = MakeFont(16);
  ASSERT_NE(f, nullptr);
  GlyphMetrics g;
  std::vector<uint8_t> small(4);
  EXPECT_EQ(GetGlyphOutlineGray4(f.get(), 0x10000, &g, {}), -1);
  EXPECT_EQ(GetGlyphOutlineGray4(f.get(), 0x4142, &g, {}), -1);  // not one character
  EXPECT_EQ(GetGlyphOutlineGray4(f.get(), 0x82A0, &g, small), -1);
  EXPECT_EQ(GetGlyphOutlineGray4(nullptr, 0x41, &g, {}), -1);
  EXPECT_EQ(GetGlyphOutlineGray4(f.get(), 0x41, nullptr, {}), -1);
  std::vector<uint8_t> bits(64);
  const Dib bad[] = {
      {nullptr, 8, 8, 8, 8},     {bits.data(), 0, 8, 8, 8},  {bits.data(), 8, 8, 8, 4},
      {bits.data(), 9, 7, 8, 8}, {bits.data(), 17, 8, 2, 1},
  };
  for (const Dib& d : bad) {
    EXPECT_FALSE(TextOut(f.get(), d, 0, 0, "A", TextColors{})) << d.width << " " << d.bit_count;
  }
  EXPECT_FALSE(TextOut(nullptr, Dib{bits.data(), 8, 8, 8, 8}, 0, 0, "A", TextColors{}));
  TextMetrics m;
  Size s;
  EXPECT_FALSE(GetTextMetrics(nullptr, &m));
  EXPECT_FALSE(GetTextExtent(nullptr, "A", &s));
}

TEST(GdiFont, TestsCanRefuseFontsAndCountThem) {
  test::RefuseFontCreations(1);
  EXPECT_EQ(MakeFont(16), nullptr);
  FontPtr a = MakeFont(16);
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(test::LiveFontCount(), 1);
  test::RefuseFontCreations(-1);
  EXPECT_EQ(MakeFont(16), nullptr);
  EXPECT_EQ(MakeFont(16), nullptr);
  test::ResetFonts();
  FontPtr b = MakeFont(16);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(test::LiveFontCount(), 2);
  a.reset();
  EXPECT_EQ(test::LiveFontCount(), 1);
}

}  // namespace

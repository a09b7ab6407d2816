// Where glyphs land: wrapping, hanging punctuation, blanks, raised marks, numbers, and
// which sheet is loaded. The glyph-drawing hook records every cell drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/text/bitmap_font.h"

namespace {

using game::BitmapFont;

struct Drawn {
  int x, y, cell, graph;
  bool operator==(const Drawn&) const = default;
};
void PrintTo(const Drawn& d, std::ostream* os) {
  *os << "(" << d.x << "," << d.y << " cell " << d.cell << " graph " << d.graph << ")";
}

std::vector<Drawn> drawn;
void RecordGlyph(int x, int y, int cell, int graph) { drawn.push_back({x, y, cell, graph}); }

class GlyphDrawing : public testing::Test {
 protected:
  void SetUp() override {
    drawn.clear();  // cases share the process when the program runs whole
    game::SetGlyphDrawHook(RecordGlyph);
  }
  void TearDown() override { game::SetGlyphDrawHook(nullptr); }
};

// Cells of the codes used below.
constexpr int A = 26, B = 27, C = 28, kFullStopCell = 13, kQuoteCell = 18;

// Drawn at (100, 50); the graph handles are all -1 (no sheet loaded).
std::vector<Drawn> At(std::initializer_list<std::array<int, 3>> list) {
  std::vector<Drawn> out;
  for (const auto& [x, y, cell] : list) out.push_back({x, y, cell, -1});
  return out;
}

TEST_F(GlyphDrawing, WrapsHangsAndIndents) {
  const struct {
    const char* what;
    int width, lines;
    std::vector<uint8_t> codes;
    std::vector<Drawn> expected;
  } cases[] = {
      {"a line holds width + 1 glyphs",
       2,
       9,
       {74, 74, 74, 74},
       At({{100, 50, A}, {108, 50, A}, {116, 50, A}, {100, 66, A}})},
      {"one full stop hangs, a second wraps",
       2,
       9,
       {74, 74, 74, 61, 61, 75},
       At({{100, 50, A},
           {108, 50, A},
           {116, 50, A},
           {124, 50, kFullStopCell},
           {100, 66, kFullStopCell},
           {108, 66, B}})},
      {"a comma hangs",
       2,
       9,
       {74, 74, 74, 60, 75},
       At({{100, 50, A}, {108, 50, A}, {116, 50, A}, {124, 50, 12}, {100, 66, B}})},
      {"a single-byte comma hangs",
       2,
       9,
       {74, 74, 74, 69, 75},
       At({{100, 50, A}, {108, 50, A}, {116, 50, A}, {124, 50, 21}, {100, 66, B}})},
      {"a single-byte full stop hangs",
       2,
       9,
       {74, 74, 74, 70, 75},
       At({{100, 50, A}, {108, 50, A}, {116, 50, A}, {124, 50, 22}, {100, 66, B}})},
      {"other glyphs do not hang",
       2,
       9,
       {74, 74, 74, 62},
       At({{100, 50, A}, {108, 50, A}, {116, 50, A}, {100, 66, 14}})},
      {"a blank inside a line advances", 50, 9, {74, 1, 1, 75}, At({{100, 50, A}, {124, 50, B}})},
      {"a blank at the text's start is not drawn", 50, 9, {1, 74}, At({{100, 50, A}})},
      {"a blank at a wrapped line's start is not drawn",
       1,
       9,
       {74, 74, 1, 75},
       At({{100, 50, A}, {108, 50, A}, {100, 66, B}})},
      {"an opening quote indents the wrapped lines",
       3,
       9,
       {66, 74, 74, 74, 1, 75, 75, 75, 75},
       At({{100, 50, kQuoteCell},
           {108, 50, A},
           {116, 50, A},
           {124, 50, A},
           {108, 66, B},
           {116, 66, B},
           {124, 66, B},
           {108, 82, B}})},
      {"a line break starts a line", 50, 9, {74, 5, 75, 5, 5, 76}, At({{100, 50, A}, {100, 66, B}, {100, 98, C}})},
      {"a line break after a quote keeps the indent", 50, 9, {66, 5, 74}, At({{100, 50, kQuoteCell}, {108, 66, A}})},
      {"the line limit stops the text", 50, 2, {74, 5, 75, 5, 76}, At({{100, 50, A}, {100, 66, B}})},
      {"one line, cut at the wrap", 1, 1, {74, 74, 74}, At({{100, 50, A}, {108, 50, A}})},
      {"voicing marks sit over the next glyph",
       50,
       9,
       {58, 105, 59, 126},
       At({{102, 42, 10}, {100, 50, 57}, {110, 42, 11}, {108, 50, 78}})},
      {"the raised kanji sits right over the next glyph", 50, 9, {242, 74}, At({{100, 42, 195}, {100, 50, A}})},
      {"a mark after a wrap sits on the new line",
       1,
       9,
       {74, 74, 58, 105},
       At({{100, 50, A}, {108, 50, A}, {102, 58, 10}, {100, 66, 57}})},
      {"codes 229 and up skip cell 181; 255 has no cell",
       50,
       9,
       {228, 229, 254, 255, 48},
       At({{100, 50, 180}, {108, 50, 182}, {116, 50, 207}, {132, 50, 0}})},
      {"codes below 48 draw nothing and do not advance", 50, 9, {2, 3, 4, 47, 74}, At({{100, 50, A}})},
      {"a 0 ends the codes", 50, 9, {74, 0, 75}, At({{100, 50, A}})},
  };
  BitmapFont font;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    drawn.clear();
    font.DrawGlyphCodes(100, 50, c.width, c.lines, c.codes);
    EXPECT_EQ(drawn, c.expected);
  }
}

TEST_F(GlyphDrawing, SjisTextIsConvertedAndBounded) {
  BitmapFont font;
  font.DrawSjisText(16, 32, "が");
  EXPECT_EQ(drawn, (std::vector<Drawn>{{18, 24, 10, -1}, {16, 32, 57, -1}}));

  // 300 letters: only 255 fit the converted text, 51 to a line.
  drawn.clear();
  font.DrawSjisText(0, 0, std::string(300, 'A'));
  ASSERT_EQ(drawn.size(), 255u);
  EXPECT_EQ(drawn[50], (Drawn{400, 0, A, -1}));
  EXPECT_EQ(drawn[51], (Drawn{0, 16, A, -1}));
  EXPECT_EQ(drawn[254], (Drawn{400, 64, A, -1}));
}

TEST_F(GlyphDrawing, NumbersAreClampedAlignedAndPadded) {
  const struct {
    int value, width, max, min, zeroPad;
    std::vector<std::array<int, 2>> glyphs;  // x and cell, at y 20
  } cases[] = {
      {7, 0, 0, 0, 0, {{40, 7}}},
      {-5, 0, 9999, 0, 0, {{40, 0}}},
      {12345, 0, 9999, 0, 0, {{40, 9}, {48, 9}, {56, 9}, {64, 9}}},
      {12345, 0, 0, 0, 0, {{40, 1}, {48, 2}, {56, 3}, {64, 4}, {72, 5}}},  // max 0: no bound
      {42, 5, 999, 0, 0, {{64, 4}, {72, 2}}},
      {42, 5, 999, 0, 1, {{40, 0}, {48, 0}, {56, 0}, {64, 4}, {72, 2}}},
      {42, 0, 999, 0, 1, {{40, 4}, {48, 2}}},
      {12345, 3, 0, 0, 1, {{40, 1}, {48, 2}, {56, 3}, {64, 4}, {72, 5}}},
      {0, 3, 0, 0, 1, {{40, 0}, {48, 0}, {56, 0}}},
      {-7, 3, 0, -10, 0, {{48, 116}, {56, 7}}},  // the sign is code 164
      {-7, 4, 0, -10, 1, {{40, 116}, {48, 0}, {56, 0}, {64, 7}}},
  };
  BitmapFont font;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " width " << c.width << " max " << c.max << " min " << c.min
                                    << " pad " << c.zeroPad);
    drawn.clear();
    font.DrawNumber(40, 20, c.value, c.width, c.max, c.min, c.zeroPad);
    std::vector<Drawn> expected;
    for (const auto& [x, cell] : c.glyphs) expected.push_back({x, 20, cell, -1});
    EXPECT_EQ(drawn, expected);
  }
}

// ---- Loading a sheet ----

std::vector<std::string> tried;
std::vector<std::string> missing;
std::vector<std::array<int, 6>> loadArguments;
int FakeLoader(const char* file, int allNum, int xNum, int yNum, int w, int h, int* handles, int notUse3D) {
  tried.push_back(file);
  loadArguments.push_back({allNum, xNum, yNum, w, h, notUse3D});
  for (const std::string& m : missing) {
    if (m == file) return -1;
  }
  for (int i = 0; i < allNum; ++i) handles[i] = 0x10000 + static_cast<int>(tried.size()) * 1000 + i;
  return 0;
}

TEST_F(GlyphDrawing, LoadsTheChosenSheetOrFallsBack) {
  const std::string standard = "system\\letter.bmp";
  const struct {
    int n;
    std::vector<std::string> missing;
    std::vector<std::string> tried;
    int result;
  } cases[] = {
      {0, {}, {standard}, 0},
      {3, {}, {"system\\font_03.png"}, 0},
      {9, {}, {"system\\font_09.png"}, 0},
      {3, {"system\\font_03.png"}, {"system\\font_03.png", standard}, 0},
      {3, {"system\\font_03.png", standard}, {"system\\font_03.png", standard}, -1},
      {0, {standard}, {standard}, -1},
      {-1, {}, {standard}, 0},
      {10, {}, {standard}, 0},
  };
  game::SetGlyphSheetLoader(FakeLoader);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    tried.clear();
    loadArguments.clear();
    missing = c.missing;
    BitmapFont font;
    EXPECT_EQ(font.LoadBitmapFont(c.n), c.result);
    EXPECT_EQ(tried, c.tried);
    for (const auto& args : loadArguments) {
      EXPECT_EQ(args, (std::array<int, 6>{208, 26, 8, 8, 8, 1}));
    }
  }
  game::SetGlyphSheetLoader(nullptr);
}

TEST_F(GlyphDrawing, GlyphsDrawWithTheLoadedCellGraphs) {
  game::SetGlyphSheetLoader(FakeLoader);
  tried.clear();
  missing.clear();
  BitmapFont font;
  ASSERT_EQ(font.LoadBitmapFont(0), 0);
  font.DrawGlyphCodes(0, 0, 50, 1, std::vector<uint8_t>{48, 254, 255});
  EXPECT_EQ(drawn, (std::vector<Drawn>{{0, 0, 0, 0x10000 + 1000}, {8, 0, 207, 0x10000 + 1207}}));
  game::SetGlyphSheetLoader(nullptr);
}

}  // namespace

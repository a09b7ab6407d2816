// The compose buffer: messages built from Shift-JIS pieces, glyph-code names and numbers,
// never past its 511 codes.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "game/text/bitmap_font.h"

namespace {

using game::BitmapFont;

std::vector<int> Composed(const BitmapFont& font) {
  std::array<uint8_t, 600> out;
  out.fill(0xEE);
  font.ComposeGet(out);
  std::vector<int> codes;
  for (uint8_t c : out) {
    if (c == 0) return codes;
    codes.push_back(c);
  }
  ADD_FAILURE() << "no NUL";
  return codes;
}

TEST(ComposeBuffer, BuildsAMessageFromPieces) {
  BitmapFont font;
  EXPECT_EQ(Composed(font), std::vector<int>{});
  font.ComposeAddSjis("ＨＰ");
  font.ComposeAddNumber(120);
  const uint8_t name[] = {1, 61, 0, 74};  // a name's codes end at its 0
  font.ComposeAddCodes(name);
  font.ComposeAddSjis("が");
  font.ComposeAddNumber(-35);
  font.ComposeAddNumber(0);
  EXPECT_EQ(Composed(font), (std::vector<int>{81, 89, 49, 50, 48, 1, 61, 58, 105, 164, 51, 53, 48}));

  std::array<uint8_t, 4> small;
  small.fill(0xEE);
  font.ComposeGet(small);
  EXPECT_EQ(small, (std::array<uint8_t, 4>{81, 89, 49, 0}));

  font.ComposeClear();
  EXPECT_EQ(Composed(font), std::vector<int>{});
}

TEST(ComposeBuffer, AppendsStopAtTheBound) {
  const std::vector<uint8_t> many(600, 74);
  const struct {
    const char* what;
    size_t before;  // letters already in the buffer
    void (*append)(BitmapFont&);
    std::vector<int> tail;  // codes after them
  } cases[] = {
      {"codes are cut",
       509,
       [](BitmapFont& f) {
         f.ComposeAddCodes(std::vector<uint8_t>{75, 75, 75});
       },
       {75, 75}},
      {"text is cut", 509, [](BitmapFont& f) { f.ComposeAddSjis("BBB"); }, {75, 75}},
      {"a mark is not parted from its kana", 510, [](BitmapFont& f) { f.ComposeAddSjis("がB"); }, {}},
      {"a number goes in whole or not at all", 508, [](BitmapFont& f) { f.ComposeAddNumber(12345); }, {}},
      {"a number that just fits", 508, [](BitmapFont& f) { f.ComposeAddNumber(123); }, {49, 50, 51}},
      {"a full buffer takes nothing",
       511,
       [](BitmapFont& f) {
         f.ComposeAddSjis("B");
         f.ComposeAddCodes(std::vector<uint8_t>{75});
         f.ComposeAddNumber(1);
       },
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BitmapFont font;
    font.ComposeAddCodes(std::span(many).first(c.before));
    c.append(font);
    std::vector<int> expected(c.before, 74);
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Composed(font), expected);
  }
  BitmapFont font;
  font.ComposeAddCodes(many);
  EXPECT_EQ(Composed(font), std::vector<int>(511, 74));
}

}  // namespace

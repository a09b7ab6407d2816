// Shift-JIS text to glyph codes. Literals here are Shift-JIS bytes (the suite compiles
// with the game's charset); the expected codes are read off the font's tables by hand.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string_view>
#include <vector>

#include "game/codec/glyph_codes.h"

namespace {

using game::SjisToGlyphCodes;

std::vector<int> Convert(std::string_view sjis) {
  std::array<uint8_t, 256> out;
  out.fill(0xEE);
  int count = SjisToGlyphCodes(sjis, out);
  EXPECT_EQ(out[count], 0) << "the codes end with a NUL";
  return std::vector<int>(out.begin(), out.begin() + count);
}

TEST(SjisToGlyphCodes, ConvertsByTheTables) {
  const struct {
    std::string_view text;
    std::vector<int> codes;
  } cases[] = {
      {"が", {58, 105}},
      {"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん",
       {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115,
        116, 117, 118, 119, 120, 121, 122, 123, 124, 126, 127, 128, 129, 130, 131, 132,
        133, 134, 135, 136, 138, 140, 141, 142, 143, 144, 145, 146, 150, 152}},
      {"がぎぐげござじずぜぞだぢづでどばびぶべぼ",
       {58, 105, 58, 106, 58, 107, 58, 108, 58, 109, 58, 110, 58, 111, 58, 112, 58, 113, 58, 114,
        58, 115, 58, 116, 58, 117, 58, 118, 58, 119, 58, 126, 58, 127, 58, 128, 58, 129, 58, 130}},
      {"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン",
       {178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192, 193,
        194, 195, 196, 197, 198, 199, 200, 201, 202, 204, 205, 206, 207, 208, 209, 210,
        211, 212, 213, 214, 216, 218, 219, 220, 221, 222, 223, 224, 228, 229}},
      {"ガギグゲゴザジズゼゾダヂヅデドバビブベボピプペ",
       {58, 183, 58, 184, 58, 185, 58, 186, 58, 187, 58, 188, 58, 189, 58, 190, 58, 191, 58, 192, 58, 193, 58, 194,
        58, 195, 58, 196, 58, 197, 58, 204, 58, 205, 58, 206, 58, 207, 58, 208, 59, 205, 59, 206, 59, 207}},
      {"あいうえおん", {100, 101, 102, 103, 104, 152}},
      {"やゆよわを", {136, 138, 140, 146, 150}},
      {"っゃゅょぁぃぅぇぉ", {153, 154, 155, 156, 158, 159, 160, 161, 162}},
      {"ぎずぢづど", {58, 106, 58, 112, 58, 116, 58, 117, 58, 119}},
      {"ばぼぱぴぽ", {58, 126, 58, 130, 59, 126, 59, 127, 59, 130}},
      {"アイウエオノハ", {178, 179, 180, 181, 182, 202, 204}},
      {"ヤユヨワヲン", {214, 216, 218, 224, 228, 229}},
      {"ッャュョァィゥェォ", {230, 231, 232, 233, 235, 236, 237, 238, 239}},
      {"ガジヅボパポヴ", {58, 183, 58, 189, 58, 195, 58, 208, 59, 204, 59, 208, 58, 180}},
      {"ヵヶ", {183, 186}},
      {"０１９", {48, 49, 57}},
      {"ＡＨＰＺ", {74, 81, 89, 99}},
      {"09AZaz", {48, 57, 74, 99, 74, 99}},
      {"　～＿ー…、。「", {125, 175, 1, 157, 234, 60, 61, 66}},
      {"○×□△・！？", {137, 139, 215, 217, 176, 62, 63}},
      {"A￥B\nC", {74, 5, 75, 5, 76}},
      {" !\"#&*+,-./", {125, 62, 165, 168, 169, 166, 163, 69, 164, 70, 73}},
      {":;<=>?@[]{}", {67, 68, 71, 167, 72, 63, 64, 171, 172, 171, 172}},
      {"$%'()\\^_`|~\x7F\t\r\x01", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {"著終Ⅲ離押剣盾靴魔体賽膿", {64, 65, 170, 173, 174, 147, 148, 149, 151, 240, 241, 242}},
      // Characters without a glyph are skipped: a kanji, full-width lower case, Greek,
      // half-width kana, bytes that start nothing, unassigned kana trails.
      {"あ漢い", {100, 101}},
      {"ａαA", {74}},
      {"\xB1"
       "\x80"
       "\xFD"
       "A",
       {74}},
      {"\x82\xF2"
       "\x83\x7F"
       "\x83\x97"
       "B",
       {75}},
      // These kana cut the text.
      {"あゑい", {100}},
      {"アヱイ", {178}},
      {"ゎA", {}},
      {"ゐA", {}},
      {"ヮA", {}},
      {"ヰA", {}},
      // A NUL ends the text, also right after a lead byte, as does the text's end.
      {std::string_view("A\0B", 3), {74}},
      {std::string_view("あ\x82\0い", 6), {100}},
      {std::string_view("あ\x82", 3), {100}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::vector<uint8_t>(c.text.begin(), c.text.end())));
    EXPECT_EQ(Convert(c.text), c.codes);
  }
}

TEST(SjisToGlyphCodes, StopsWhereTheOutputEnds) {
  const struct {
    std::string_view text;
    size_t size;
    std::vector<int> codes;
  } cases[] = {
      {"あいうえお", 4, {100, 101, 102}},
      {"あが", 3, {100}},  // a mark never goes without its kana
      {"あが", 4, {100, 58, 105}},
      {"A", 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    std::array<uint8_t, 8> out;
    out.fill(0xEE);
    int count = SjisToGlyphCodes(c.text, std::span(out).first(c.size));
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + count), c.codes);
    EXPECT_EQ(out[count], 0);
    EXPECT_EQ(out[c.size], 0xEE) << "nothing written past the output";
  }
  std::array<uint8_t, 1> none = {0xEE};
  EXPECT_EQ(SjisToGlyphCodes("A", std::span(none).first(0)), 0);
  EXPECT_EQ(none[0], 0xEE);
}

// Every two-byte character gives nothing, one code, or a voicing mark and one code;
// only the six listed kana end the text, so no unassigned trail byte cuts it.
TEST(SjisToGlyphCodes, EveryTwoByteCharacterIsHandled) {
  std::set<int> cutting;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead < 0xE0) continue;
    for (int trail = 1; trail <= 0xFF; ++trail) {
      const char text[] = {static_cast<char>(lead), static_cast<char>(trail), 'A', 0};
      std::vector<int> codes = Convert(text);
      if (codes.empty() || codes.back() != 74) {
        cutting.insert(lead << 8 | trail);
        continue;
      }
      ASSERT_LE(codes.size(), 3u) << std::hex << lead << " " << trail;
      if (codes.size() == 3) {
        EXPECT_TRUE(codes[0] == 58 || codes[0] == 59) << std::hex << lead << " " << trail;
        EXPECT_GE(codes[1], 100) << std::hex << lead << " " << trail;
      }
    }
  }
  EXPECT_EQ(cutting, (std::set<int>{0x82EC, 0x82EE, 0x82EF, 0x838E, 0x8390, 0x8391}));
}

}  // namespace

#include "platform/text/text_encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEncoding, ConvertsBetweenShiftJisAndUtf8) {
  struct Case {
    std::string cp932;
    std::string utf8;
  };
  const Case cases[] = {
      {"abc", "abc"},
      {"\x83\x5C\x83\x74\x83\x67", "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88"},  // ソフト
      {"\x82\xA0", "\xE3\x81\x82"},                                          // あ
      {"\xB1", "\xEF\xBD\xB1"},                                              // half-width ｱ
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plat::Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    EXPECT_EQ(plat::Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
  }
}

TEST(TextEncoding, BadBytesBecomeQuestionMarksAndTheRestConverts) {
  EXPECT_EQ(plat::Cp932ToUtf8("a\x82"), "a?");  // lone lead byte at the end
  EXPECT_EQ(plat::Utf8ToCp932("a\xFF"
                              "b"),
            "a?b");  // not UTF-8
}

}  // namespace

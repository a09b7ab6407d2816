#include "game/codec/scrambled_copy.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fs/fs.h"
#include "tests/support/temp_dir.h"

namespace {

using game::XorCopyFile;

TEST(XorCopyFile, ScramblesEveryByteWithTheKey) {
  // 12000 bytes span three 5000-byte blocks, the last one partly filled.
  std::string long_plain(12000, '\0');
  for (size_t i = 0; i < long_plain.size(); ++i) long_plain[i] = static_cast<char>(i * 7 + 3);
  std::string long_scrambled = long_plain;
  for (char& c : long_scrambled) c = static_cast<char>(c ^ 0xC5);
  const struct {
    const char* name;
    std::string plain;
    std::string scrambled;
  } cases[] = {
      {"empty", "", ""},
      {"abc", "abc", "\xA4\xA7\xA6"},
      {"key and zero", std::string("\xC5\x00\xFF", 3), std::string("\x00\xC5\x3A", 3)},
      {"three blocks", long_plain, long_scrambled},
  };
  nltest::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(nltest::WriteFileBytes(dir.File("plain"), c.plain));
    EXPECT_EQ(XorCopyFile(dir.File("plain"), dir.File("scrambled")), 0);
    EXPECT_TRUE(nltest::ReadFileBytes(dir.File("scrambled")) == c.scrambled);
    EXPECT_EQ(XorCopyFile(dir.File("scrambled"), dir.File("back")), 0);
    EXPECT_TRUE(nltest::ReadFileBytes(dir.File("back")) == c.plain);
  }
}

TEST(XorCopyFile, CopiesNothingWhenAFileCannotBeOpened) {
  nltest::TempDir dir;
  EXPECT_EQ(XorCopyFile(dir.File("missing"), dir.File("out")), 1);
  EXPECT_FALSE(plat::fs::Exists(dir.File("out")));
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("plain"), "abc"));
  EXPECT_EQ(XorCopyFile(dir.File("plain"), dir.File("no-such-dir/out")), 1);
}

}  // namespace

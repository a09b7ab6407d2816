// The host tools as CMake runs them: exit status, error text and the files they make.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

struct Outcome {
  int status;
  std::string errors;
};

Outcome RunTool(const nltest::TempDir& dir, const std::string& tool, const std::string& args) {
  std::string errors = dir.File("stderr.txt");
  int raw = std::system((tool + " " + args + " 2>" + errors).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, nltest::ReadFileBytes(errors)};
}

TEST(CodecTools, PackAndScrambleFilesBothWays) {
  nltest::TempDir dir;
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("abc"), "abc"));
  const struct {
    const char* tool;
    const char* in;
    const char* out;
    std::string expected;
  } steps[] = {
      {NL_PACK_PATH, "abc", "abc.lz", std::string("\x03\x00\x00\x00\x30\x98\x8C\x60", 8)},
      {NL_UNPACK_PATH, "abc.lz", "abc.back", "abc"},
      {NL_SCRAMBLE_PATH, "abc", "abc.x", "\xA4\xA7\xA6"},
      {NL_UNSCRAMBLE_PATH, "abc.x", "abc.plain", "abc"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.tool);
    Outcome o = RunTool(dir, s.tool, dir.File(s.in) + " " + dir.File(s.out));
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.errors, "");
    EXPECT_TRUE(nltest::ReadFileBytes(dir.File(s.out)) == s.expected);
  }
}

TEST(CodecTools, ReportFailuresAndExitNonZero) {
  nltest::TempDir dir;
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("short"), "ab"));
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("abc"), "abc"));
  const struct {
    const char* tool;
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {NL_PACK_PATH, "", 2, "usage: nl_pack INPUT OUTPUT"},
      {NL_UNSCRAMBLE_PATH, dir.File("abc"), 2, "usage: nl_unscramble INPUT OUTPUT"},
      {NL_PACK_PATH, dir.File("missing") + " " + dir.File("out"), 1, "missing"},
      {NL_UNPACK_PATH, dir.File("short") + " " + dir.File("out"), 1, "not a valid packed file"},
      {NL_SCRAMBLE_PATH, dir.File("abc") + " " + dir.File("none/out"), 1, "cannot write"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    Outcome o = RunTool(dir, c.tool, c.args);
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.errors.find(c.says), std::string::npos) << o.errors;
  }
}

}  // namespace

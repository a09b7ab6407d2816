// The debug switch empties debugout.txt when turned on and leaves it alone when off.
#include "game/entry/debug_switch.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fs/fs.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(DebugSwitch, OnEmptiesTheFileOffLeavesIt) {
  nltest::TempDir dir;
  const std::string old_dir = plat::fs::CurrentDirectory();
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir.path()));
  const struct {
    int on;
    const char* after;
  } cases[] = {{0, "kept"}, {1, ""}, {7, ""}};
  for (const auto& c : cases) {
    ASSERT_TRUE(nltest::WriteFileBytes(dir.File("debugout.txt"), "kept"));
    game::DebugOut debug;
    debug.SetDebugOut(c.on);
    EXPECT_EQ(debug.IsOn(), c.on != 0);
    EXPECT_EQ(nltest::ReadFileBytes(dir.File("debugout.txt")), c.after) << "switch " << c.on;
  }
  plat::fs::SetCurrentDirectory(old_dir);
}

}  // namespace

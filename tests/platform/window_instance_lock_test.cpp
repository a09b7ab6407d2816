#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "platform/window/window.h"
#include "tests/support/temp_dir.h"

namespace {

namespace pw = plat::window;

// A lock taken through a descriptor of its own, as another process would hold it.
bool OtherHolderCanLock(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
  if (fd < 0) return false;
  bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return locked;
}

TEST(InstanceLock, FirstCopyHoldsTheLockForTheRestOfTheProcess) {
  nltest::TempDir dir;
  pw::SetInstanceLockPath(dir.File("copy.lock"));
  EXPECT_FALSE(pw::AnotherCopyRunning("Vexal"));
  EXPECT_FALSE(pw::AnotherCopyRunning("Vexal"));  // asking again is not another copy
  EXPECT_FALSE(OtherHolderCanLock(dir.File("copy.lock")));
  pw::ResetWindowStandIn();  // a reset keeps the lock
  EXPECT_FALSE(OtherHolderCanLock(dir.File("copy.lock")));
}

TEST(InstanceLock, ALockHeldElsewhereMeansAnotherCopy) {
  nltest::TempDir dir;
  int fd = open(dir.File("copy.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  pw::SetInstanceLockPath(dir.File("copy.lock"));
  EXPECT_TRUE(pw::AnotherCopyRunning("Vexal"));
  close(fd);
  EXPECT_FALSE(pw::AnotherCopyRunning("Vexal"));
  // A folder that cannot hold the file proves nothing.
  pw::SetInstanceLockPath(dir.File("missing/copy.lock"));
  EXPECT_FALSE(pw::AnotherCopyRunning("Vexal"));
}

TEST(InstanceLock, PathComesFromOverrideThenEnvironmentThenRuntimeFolder) {
  pw::SetInstanceLockPath(std::nullopt);
  setenv("NIGHTLOOM_INSTANCE_LOCK", "/tmp/elsewhere.lock", 1);
  EXPECT_EQ(pw::InstanceLockPath("Vexal"), "/tmp/elsewhere.lock");
  unsetenv("NIGHTLOOM_INSTANCE_LOCK");
  setenv("XDG_RUNTIME_DIR", "/run/user/77", 1);
  EXPECT_EQ(pw::InstanceLockPath("Vexal"), "/run/user/77/vexal-" + std::to_string(getuid()) + "-Vexal.lock");
  pw::SetInstanceLockPath("/x/y.lock");
  EXPECT_EQ(pw::InstanceLockPath("Vexal"), "/x/y.lock");
}

}  // namespace

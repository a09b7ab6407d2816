// "Another running copy": an advisory lock on a file, held until the process ends, so
// a copy that crashed leaves no stale lock behind.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/window/window.h"
#include "platform/window/window_internal.h"

namespace plat::window {
namespace {

std::optional<std::string> g_path_override;  // test's lock file, or none
int g_lock_fd = -1;                          // descriptor holding the lock, or -1
std::string g_locked_path;                   // the file it locks

}  // namespace

namespace internal {

void ResetInstanceLockOverride() { g_path_override.reset(); }

}  // namespace internal

std::string InstanceLockPath(std::string_view class_name) {
  if (g_path_override) return *g_path_override;
  const char* env = std::getenv("NIGHTLOOM_INSTANCE_LOCK");
  if (env != nullptr && *env != '\0') return env;
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string base = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  return base + "/vexal-" + std::to_string(getuid()) + "-" + std::string(class_name) + ".lock";
}

bool AnotherCopyRunning(std::string_view class_name) {
  std::string path = InstanceLockPath(class_name);
  if (g_lock_fd >= 0 && g_locked_path == path) return false;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A lock that cannot be made proves nothing about other copies.
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    bool held = errno == EWOULDBLOCK;
    close(fd);
    return held;
  }
  if (g_lock_fd >= 0) close(g_lock_fd);
  g_lock_fd = fd;
  g_locked_path = path;
  return false;
}

void SetInstanceLockPath(std::optional<std::string> path) { g_path_override = std::move(path); }

}  // namespace plat::window

#include "tests/support/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace nltest {

std::string FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

XvfbServer::XvfbServer(int width, int height) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty()) return;
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-ac",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid_ < 0) {
    close(fds[0]);
    pid_ = 0;
    return;
  }
  // Xvfb writes the display number it took, then a line feed, once it accepts clients.
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (number.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
    char buffer[16];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (number.find('\n') == std::string::npos) return;
  name_ = ":" + number.substr(0, number.find('\n'));
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  // Five seconds to end on its own, then it is killed.
  int status = 0;
  for (int waited = 0; waitpid(pid_, &status, WNOHANG) != pid_; ++waited) {
    if (waited == 500) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    usleep(10000);
  }
}

}  // namespace nltest

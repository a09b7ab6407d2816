#include "tests/support/program_run.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace nltest {

int RunProgram(const ProgramRun& run) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(run.directory.c_str()) != 0) _exit(120);
    if (!run.stdout_file.empty() && freopen(run.stdout_file.c_str(), "w", stdout) == nullptr) _exit(122);
    if (!run.stderr_file.empty() && freopen(run.stderr_file.c_str(), "w", stderr) == nullptr) _exit(122);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("NIGHTLOOM_CLOCK", "virtual", 1);
    for (const auto& [name, value] : run.environment) setenv(name.c_str(), value.c_str(), 1);
    execl(run.program.c_str(), run.program.c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string GameProgram() { return NL_GAME_PROGRAM; }

}  // namespace nltest

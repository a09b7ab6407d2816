// Runs a program of ours the way the harness tests do: in a child process, in a working
// directory of the test's, headless (SDL's dummy drivers) under the virtual clock, with the
// test's own environment variables on top.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace nltest {

struct ProgramRun {
  std::string program;                                            // the executable
  std::string directory;                                          // its working directory
  std::vector<std::pair<std::string, std::string>> environment;  // set after the defaults
  std::string stdout_file{};                                      // "" keeps the test's
  std::string stderr_file{};                                      // "" keeps the test's
};

// The program's exit status once it ends; -1 when it did not exit by itself, 120-122 when
// the child could not enter the directory, start the program or open an output file.
int RunProgram(const ProgramRun& run);

// The game program of the build tree the tests belong to.
std::string GameProgram();

}  // namespace nltest

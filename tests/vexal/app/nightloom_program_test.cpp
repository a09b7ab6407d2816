// The `nightloom` program itself, run as a player would under SDL's dummy driver: a
// second copy refuses to start, the window closing on a signal ends it cleanly, and under
// the test harness it writes its frames and ends itself. What the frames show is the
// game's own test (tests/game/entry).
#include <gtest/gtest.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>


#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/png_file.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/device_log_lines.h"

namespace {

// NIGHTLOOM_PROGRAM, or the program in the same build tree as this test.
std::string ProgramPath() {
  if (const char* p = std::getenv("NIGHTLOOM_PROGRAM")) return p;
  return nltest::GameProgram();
}

using Environment = std::vector<std::pair<std::string, std::string>>;

pid_t Start(const std::string& dir, const std::string& lock, const Environment& environment = {}) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(120);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("NIGHTLOOM_INSTANCE_LOCK", lock.c_str(), 1);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    std::string program = ProgramPath();
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
  return pid;
}

// Exit status, or -1000 - signal when the program was killed.
int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1000 - WTERMSIG(status);
}

bool WaitForLogLine(const std::string& log_file, const std::string& line) {
  for (int i = 0; i < 3000; ++i) {
    if (nltest::ReadFileBytes(log_file).find(line) != std::string::npos) return true;
    usleep(10000);
  }
  return false;
}

const char kStarted[] = "文字コードバッファの初期化を行います... 完了しました\n";
// The shut-down's lines at the end of the log, each closed by a line feed.
const std::string kShutDown = [] {
  std::string text =
      "ウインドウを閉じようとしています\n"
      "ウインドウが破棄されようとしています\n"
      "ソフトを終了する準備が整いました\n";
  for (const std::string& line : apptest::kDeviceShutDownLines) text += line + "\n";
  return text + "ＣＯＭを終了... 完了\n";
}();

// The log without its time stamps.
std::string Messages(const std::string& log) {
  std::string out;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size() - 1;
    std::string line = log.substr(start, end - start + 1);
    out += line.substr(line.find(':') + 1);
    start = end + 1;
  }
  return out;
}

using nltest::Png;
using nltest::ReadPng;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(ProgramPath().c_str(), X_OK), 0) << ProgramPath() << " is not built";
    // Each copy starts in a data folder whose settings ask for a window in 32-bit colour.
    for (const char* copy : {"first", "second"}) {
      mkdir(dir_.File(copy).c_str(), 0700);
      mkdir(dir_.File(std::string(copy) + "/system").c_str(), 0700);
      ASSERT_TRUE(nltest::WriteFileBytes(dir_.File(std::string(copy) + "/system/nlconfig.inf"), "NLCONFIG\n1\n1\n"));
    }
  }
  nltest::TempDir dir_;
};

TEST_F(ProgramTest, SecondCopyEndsItselfWithStatusZero) {
  const std::string lock = dir_.File("instance.lock");
  pid_t first = Start(dir_.File("first"), lock);
  ASSERT_TRUE(WaitForLogLine(dir_.File("first/AppLog.txt"), kStarted));

  EXPECT_EQ(Wait(Start(dir_.File("second"), lock)), 0);
  std::string second_log = Messages(nltest::ReadFileBytes(dir_.File("second/AppLog.txt")));
  const std::string last = "ソフトの２重起動検査... ２重起動されています、ソフトを終了します\n";
  ASSERT_GE(second_log.size(), last.size());
  EXPECT_EQ(second_log.substr(second_log.size() - last.size()), last);

  int status = 0;
  EXPECT_EQ(waitpid(first, &status, WNOHANG), 0);  // the first copy runs on
  kill(first, SIGTERM);
  EXPECT_EQ(Wait(first), 0);
}

TEST_F(ProgramTest, SignalClosesTheWindowAndTheProgramEndsCleanly) {
  for (int sig : {SIGTERM, SIGINT}) {
    std::remove(dir_.File("first/AppLog.txt").c_str());
    pid_t pid = Start(dir_.File("first"), dir_.File("instance.lock"));
    ASSERT_TRUE(WaitForLogLine(dir_.File("first/AppLog.txt"), kStarted)) << sig;
    kill(pid, sig);
    EXPECT_EQ(Wait(pid), 0) << sig;
    std::string log = Messages(nltest::ReadFileBytes(dir_.File("first/AppLog.txt")));
    ASSERT_GE(log.size(), kShutDown.size()) << sig;
    EXPECT_EQ(log.substr(log.size() - kShutDown.size()), kShutDown) << sig;
  }
}

TEST_F(ProgramTest, UnderTheHarnessItCapturesItsFramesAndEndsItself) {
  const std::string frames = dir_.File("frames");
  pid_t pid = Start(dir_.File("first"), dir_.File("instance.lock"),
                    {{"NIGHTLOOM_CAPTURE", frames}, {"NIGHTLOOM_EXIT_AFTER", "8"}, {"NIGHTLOOM_CLOCK", "virtual"}});
  EXPECT_EQ(Wait(pid), 0);
  // The start-up screen and five of the boot log (blank: this folder has no font sheet),
  // then two frames of the game's title; the window closes after the eighth.
  for (int frame = 1; frame <= 8; ++frame) {
    std::optional<Png> png = ReadPng(frames + "/frame-00000" + std::to_string(frame) + ".png");
    ASSERT_TRUE(png) << frame;
    EXPECT_EQ(png->width, 320) << frame;
    EXPECT_EQ(png->height, 240) << frame;
    if (frame <= 6) { EXPECT_EQ(png->rgb, std::vector<uint8_t>(320 * 240 * 3, 0)) << frame; }
  }
  EXPECT_FALSE(ReadPng(frames + "/frame-000009.png"));
  std::string log = Messages(nltest::ReadFileBytes(dir_.File("first/AppLog.txt")));
  ASSERT_GE(log.size(), kShutDown.size());
  EXPECT_EQ(log.substr(log.size() - kShutDown.size()), kShutDown);
}

}  // namespace

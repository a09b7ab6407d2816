// The `nightloom` program itself, run as a player would under SDL's dummy driver: a
// second copy refuses to start, the window closing on a signal ends it cleanly, and under
// the test harness it writes its frames and ends itself. What the frames show is the
// game's own test (tests/game/entry).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/game_log.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/device_log_lines.h"

namespace {

// NIGHTLOOM_PROGRAM, or the program in the same build tree as this test.
std::string ProgramPath() {
  if (const char* p = std::getenv("NIGHTLOOM_PROGRAM")) return p;
  return nltest::GameProgram();
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

using nltest::LogMessages;
using nltest::Png;

class ProgramTest : public ::testing::Test {
 protected:
  // Each copy starts in a data folder whose settings ask for a window in 32-bit colour, on
  // the real clock; both copies take the same lock.
  void SetUp() override {
    ASSERT_EQ(access(ProgramPath().c_str(), X_OK), 0) << ProgramPath() << " is not built";
    for (nltest::GameRun* copy : {&first_, &second_}) {
      ASSERT_TRUE(copy->WriteSettings({1, 1}));
      copy->Program(ProgramPath());
      copy->RealClock();
      copy->Output("", "");
    }
  }
  nltest::TempDir dir_;
  nltest::GameRun first_{dir_.File("first"), dir_.path()}, second_{dir_.File("second"), dir_.path()};
};

TEST_F(ProgramTest, SecondCopyEndsItselfWithStatusZero) {
  first_.Start();
  ASSERT_TRUE(WaitForLogLine(first_.DataFile("AppLog.txt"), kStarted));

  EXPECT_EQ(second_.Run(), 0);
  std::string second_log = LogMessages(second_.Log());
  const std::string last = "ソフトの２重起動検査... ２重起動されています、ソフトを終了します\n";
  ASSERT_GE(second_log.size(), last.size());
  EXPECT_EQ(second_log.substr(second_log.size() - last.size()), last);

  EXPECT_EQ(first_.WaitFor(0), std::nullopt);  // the first copy runs on
  first_.Signal(SIGTERM);
  EXPECT_EQ(first_.Wait(), 0);
}

TEST_F(ProgramTest, SignalClosesTheWindowAndTheProgramEndsCleanly) {
  for (int sig : {SIGTERM, SIGINT}) {
    first_.RemoveLog();
    first_.Start();
    ASSERT_TRUE(WaitForLogLine(first_.DataFile("AppLog.txt"), kStarted)) << sig;
    first_.Signal(sig);
    EXPECT_EQ(first_.Wait(), 0) << sig;
    std::string log = LogMessages(first_.Log());
    ASSERT_GE(log.size(), kShutDown.size()) << sig;
    EXPECT_EQ(log.substr(log.size() - kShutDown.size()), kShutDown) << sig;
  }
}

TEST_F(ProgramTest, UnderTheHarnessItCapturesItsFramesAndEndsItself) {
  first_.Capture();
  first_.ExitAfter(8);
  first_.RealClock(false);
  EXPECT_EQ(first_.Run(), 0);
  // The start-up screen and five of the boot log (blank: this folder has no font sheet),
  // then two frames of the game's title; the window closes after the eighth.
  for (int frame = 1; frame <= 8; ++frame) {
    std::optional<Png> png = first_.Frame(frame);
    ASSERT_TRUE(png) << frame;
    EXPECT_EQ(png->width, 320) << frame;
    EXPECT_EQ(png->height, 240) << frame;
    if (frame <= 6) {
      EXPECT_EQ(png->rgb, std::vector<uint8_t>(320 * 240 * 3, 0)) << frame;
    }
  }
  EXPECT_FALSE(first_.Frame(9));
  std::string log = LogMessages(first_.Log());
  ASSERT_GE(log.size(), kShutDown.size());
  EXPECT_EQ(log.substr(log.size() - kShutDown.size()), kShutDown);
}

}  // namespace

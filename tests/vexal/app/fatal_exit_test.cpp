#include "vexal/app/startup/fatal_exit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/fs/fs.h"
#include "platform/window/window.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/device_log_lines.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_mode.h"

namespace {

using vexal::AppState;

class FatalExitTest : public apptest::LibraryTest {
 protected:
  bool LogEndsWith(const std::string& tail) const {
    std::string log = Log();
    return log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0;
  }
};

// Where the process stood when it ended, for the parent to read.
std::string g_cwd_file;
void WriteCwdAtExit() { nltest::WriteFileBytes(g_cwd_file, plat::fs::CurrentDirectory()); }

TEST_F(FatalExitTest, AfterStartUpShutsDownInOrderAndEndsWithMinusOne) {
  EXPECT_EXIT(
      {
        vexal::ChangeWindowMode(1);
        if (vexal::LibraryInit() != 0) std::exit(3);
        vexal::FatalErrorExit("テスト用の致命的エラー");
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(LogLinesFrom("テスト用の致命的エラー"),
            apptest::WithDeviceShutDown(
                {"テスト用の致命的エラー", "ウインドウを閉じようとしています", "ウインドウが破棄されようとしています",
                 "ソフトを終了する準備が整いました", "ＣＯＭを終了... 完了", "ソフトをエラー終了します"},
                1));
  EXPECT_TRUE(LogEndsWith("ソフトをエラー終了します"));
}

TEST_F(FatalExitTest, BeforeAnyWindowEndsWithoutWaiting) {
  AppState.StartDirectory = dir_.path();
  AppState.LogTimeBase = plat::timer::TimeMs();
  EXPECT_EXIT(vexal::FatalErrorExitFmt("番号%dの資源がありません", 7), ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(Log(), "0:番号7の資源がありません\n0:ソフトをエラー終了します");
}

TEST_F(FatalExitTest, AfterTheWindowWasClosedSkipsTheWindowAndRestoresTheDirectory) {
  g_cwd_file = dir_.File("cwd.txt");
  EXPECT_EXIT(
      {
        vexal::ChangeWindowMode(1);
        if (vexal::LibraryInit() != 0) std::exit(3);
        plat::window::UserClose(AppState.MainWindow);
        while (vexal::PumpMessages() == 0) {
        }
        plat::fs::SetCurrentDirectory("/");
        std::atexit(WriteCwdAtExit);
        vexal::FatalErrorExit("閉じた後のエラー");
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(LogLinesFrom("閉じた後のエラー"),
            apptest::WithDeviceShutDown({"閉じた後のエラー", "ＣＯＭを終了... 完了", "ソフトをエラー終了します"}, 1));
  EXPECT_EQ(nltest::ReadFileBytes(dir_.File("cwd.txt")), dir_.path());
}

TEST_F(FatalExitTest, LongFormattedMessageIsCut) {
  AppState.StartDirectory = dir_.path();
  AppState.LogTimeBase = plat::timer::TimeMs();
  std::string long_text(3000, 'x');
  EXPECT_EXIT(vexal::FatalErrorExitFmt("%s", long_text.c_str()), ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(Log(), "0:" + std::string(1023, 'x') + "\n0:ソフトをエラー終了します");
}

}  // namespace

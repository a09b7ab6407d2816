#include "vexal/app/log/log_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fs/fs.h"
#include "platform/sys/debug_out.h"
#include "platform/timer/timer.h"
#include "tests/support/temp_dir.h"
#include "vexal/app/startup/app_state.h"

namespace {

using vexal::AppState;

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vexal::ResetAppState();  // the log's time base, indent and flags of an earlier case
    plat::SetDebugOutputEnabled(true);
    plat::timer::UseVirtualClock(true, 10000);
    AppState.StartDirectory = dir_.path();
    plat::SetDebugOutputSink([this](std::string_view t) { debug_ += t; });
  }
  void TearDown() override { plat::SetDebugOutputSink(nullptr); }
  std::string Log() const { return nltest::ReadFileBytes(dir_.File("AppLog.txt")); }

  nltest::TempDir dir_;
  std::string debug_;
};

TEST_F(LogFileTest, LinesCarryStampIndentAndShiftJisText) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("AppLog.txt"), "old run\n"));
  vexal::StartLogFile();  // empties the file; stamps count from here
  EXPECT_EQ(Log(), "");

  plat::timer::AdvanceVirtualClock(5);
  EXPECT_EQ(vexal::LogWrite("ＣＯＭの初期化... "), -1);
  plat::timer::AdvanceVirtualClock(100);  // a continuation gets no stamp of its own
  vexal::LogWrite("成功しました\n");
  vexal::LogIndentIn();
  vexal::LogIndentIn();
  plat::timer::AdvanceVirtualClock(1418);
  vexal::LogWrite("ＣＯＭの初期化... ");
  vexal::LogWrite("成功しました\n");
  EXPECT_EQ(vexal::LogWriteFmt("メモリ総量:%.2fMB %d", 1.5, -3), -1);
  vexal::LogIndentOut();
  vexal::LogIndentOut();
  vexal::LogIndentOut();  // stays at 0
  EXPECT_EQ(AppState.LogIndent, 0);
  vexal::LogWrite("");  // an empty message changes nothing
  vexal::LogWrite("end");
  vexal::LogWrite("\n");

  EXPECT_EQ(Log(),
            "5:ＣＯＭの初期化... 成功しました\n"
            "1523:\t\tＣＯＭの初期化... 成功しました\n"
            "1523:\t\tメモリ総量:1.50MB -3\n"
            "1523:end\n");
  // The debugger sees indent and text, never the stamp.
  EXPECT_EQ(debug_,
            "ＣＯＭの初期化... 成功しました\n"
            "\t\tＣＯＭの初期化... 成功しました\n"
            "\t\tメモリ総量:1.50MB -3\n"
            "end\n");
}

TEST_F(LogFileTest, DisabledLogNeitherEmptiesNorWritesTheFile) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("AppLog.txt"), "kept\n"));
  vexal::SetLogEnabled(0);
  vexal::StartLogFile();
  vexal::LogWrite("lost\n");
  vexal::LogWriteFmt("%s", "lost");
  EXPECT_EQ(Log(), "kept\n");
  EXPECT_EQ(debug_, "");

  vexal::SetLogEnabled(1);
  vexal::LogWrite("back\n");
  EXPECT_EQ(Log(), "kept\n10000:back\n");  // no start-up: stamps count from 0
}

TEST_F(LogFileTest, IndentMovesOnlyWhileTheLogOpens) {
  AppState.StartDirectory = dir_.File("missing-folder");
  vexal::LogWrite("x\n");  // the opening fails
  vexal::LogIndentIn();
  EXPECT_EQ(AppState.LogIndent, 0);
}

TEST_F(LogFileTest, FormattedMessagesAreCutToTheBuffer) {
  vexal::StartLogFile();
  std::string longer(3000, 'x');
  vexal::LogWriteFmt("%s", longer.c_str());
  EXPECT_EQ(Log(), "0:" + std::string(vexal::kLogFormatBufferSize - 1, 'x') + "\n");
}

TEST_F(LogFileTest, WritesIntoTheStartDirectoryWhateverTheCurrentOne) {
  vexal::StartLogFile();
  nltest::TempDir elsewhere;
  std::string saved = plat::fs::CurrentDirectory();
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(elsewhere.path()));
  vexal::LogWrite("here\n");
  EXPECT_EQ(plat::fs::CurrentDirectory(), elsewhere.path());
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(saved));
  EXPECT_EQ(Log(), "0:here\n");
  EXPECT_EQ(nltest::ReadFileBytes(elsewhere.File("AppLog.txt")), "");
}

}  // namespace

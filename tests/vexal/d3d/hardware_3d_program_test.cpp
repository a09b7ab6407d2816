// The game program with the hardware-3D setting, headless under the harness: it starts
// the 3-D device, logs it, runs and ends cleanly, and its boot log looks as it does
// without it. (The game's frames are compared in tests/game/entry.)
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "tests/support/png_file.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"
#include "tools/picture/picture_file.h"

namespace {

class Hardware3DProgramTest : public ::testing::Test {
 protected:
  // A data folder with window mode, 32-bit colour, the hardware-3D choice as given, and a
  // font sheet of two colours.
  void Prepare(const nltest::TempDir& dir, bool hardware_3d) {
    mkdir(dir.File("system").c_str(), 0700);
    const std::string settings = std::string("NLCONFIG\n1\n1\n") + (hardware_3d ? "1\n" : "0\n");
    ASSERT_TRUE(nltest::WriteFileBytes(dir.File("system/nlconfig.inf"), settings));
    nltools::Picture sheet(208, 64);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 208; ++x) sheet.At(x, y) = (x + y) % 3 == 0 ? nltools::Rgb{250, 250, 250} : nltools::Rgb{0, 0, 0};
    }
    ASSERT_TRUE(nltools::WriteBmp(dir.File("system/letter.bmp"), sheet));
  }
  int Run(const nltest::TempDir& dir) {
    return nltest::RunProgram({nltest::GameProgram(), dir.path(),
                               {{"NIGHTLOOM_INSTANCE_LOCK", dir.File("instance.lock")},
                                {"NIGHTLOOM_CAPTURE", dir.File("frames")},
                                {"NIGHTLOOM_EXIT_AFTER", "8"}}});
  }
  static std::optional<nltest::Png> Frame(const nltest::TempDir& dir, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", n);
    return nltest::ReadPng(dir.File("frames") + name);
  }
};

TEST_F(Hardware3DProgramTest, TheGameStartsItsDeviceLogsItAndRunsAsWithoutIt) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  nltest::TempDir with, without;
  Prepare(with, true);
  Prepare(without, false);
  EXPECT_EQ(Run(with), 0);
  EXPECT_EQ(Run(without), 0);

  const std::string log = nltest::ReadFileBytes(with.File("AppLog.txt"));
  for (const char* line : {"３Ｄデバイスを作成します... ３Ｄデバイスの作成に成功しました\n",
                           "テクスチャ最大幅:2048 最小幅:32 \n", "Direct3D 関連の初期化は正常に終了しました\n",
                           "３Ｄグラフィック描画機能を使用します\n", "Direct3D 関連の終了処理は正常に終了しました\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
  const std::string plain = nltest::ReadFileBytes(without.File("AppLog.txt"));
  EXPECT_EQ(plain.find("Direct3D 関連の初期化を行います"), std::string::npos);
  EXPECT_NE(plain.find("３Ｄグラフィック描画機能は使用しません"), std::string::npos);

  // The boot log's opaque strings take the software road on either row. (From frame 5 on
  // the log shows the machine's free memory, which changes from run to run.)
  for (int n : {2, 4}) {
    const std::optional<nltest::Png> a = Frame(with, n), b = Frame(without, n);
    ASSERT_TRUE(a && b) << n;
    EXPECT_EQ(a->rgb, b->rgb) << "frame " << n;
  }
}

}  // namespace

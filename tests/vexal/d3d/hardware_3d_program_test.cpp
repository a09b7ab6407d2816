// The game program with the hardware-3D setting, headless under the harness: it starts
// the 3-D device, logs it, runs and ends cleanly, and its boot log looks as it does
// without it. (The game's frames are compared in tests/game/entry.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tools/picture/picture_file.h"

namespace {

class Hardware3DProgramTest : public ::testing::Test {
 protected:
  // A data folder with window mode, 32-bit colour, the hardware-3D choice as given, and a
  // font sheet of two colours.
  void Prepare(nltest::GameRun& run, bool hardware_3d) {
    ASSERT_TRUE(run.WriteSettings({1, 1, hardware_3d ? 1 : 0}));
    nltools::Picture sheet(208, 64);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 208; ++x)
        sheet.At(x, y) = (x + y) % 3 == 0 ? nltools::Rgb{250, 250, 250} : nltools::Rgb{0, 0, 0};
    }
    ASSERT_TRUE(nltools::WriteBmp(run.DataFile("system/letter.bmp"), sheet));
    run.Capture();
    run.ExitAfter(8);
  }
};

TEST_F(Hardware3DProgramTest, TheGameStartsItsDeviceLogsItAndRunsAsWithoutIt) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  nltest::GameRun with, without;
  Prepare(with, true);
  Prepare(without, false);
  EXPECT_EQ(with.Run(), 0);
  EXPECT_EQ(without.Run(), 0);

  const std::string log = with.Log();
  for (const char* line : {"３Ｄデバイスを作成します... ３Ｄデバイスの作成に成功しました\n",
                           "テクスチャ最大幅:2048 最小幅:32 \n", "Direct3D 関連の初期化は正常に終了しました\n",
                           "３Ｄグラフィック描画機能を使用します\n", "Direct3D 関連の終了処理は正常に終了しました\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
  const std::string plain = without.Log();
  EXPECT_EQ(plain.find("Direct3D 関連の初期化を行います"), std::string::npos);
  EXPECT_NE(plain.find("３Ｄグラフィック描画機能は使用しません"), std::string::npos);

  // The boot log's opaque strings take the software road on either row. (From frame 5 on
  // the log shows the machine's free memory, which changes from run to run.)
  for (int n : {2, 4}) {
    const std::optional<nltest::Png> a = with.Frame(n), b = without.Frame(n);
    ASSERT_TRUE(a && b) << n;
    EXPECT_EQ(a->rgb, b->rgb) << "frame " << n;
  }
}

}  // namespace

#include "vexal/app/startup/library.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/window/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/input/text_input.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/midi_music.h"
#include "vexal/app/sound/sound_device.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/screen/color_value.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

namespace pw = plat::window;
using vexal::AppState;
using Lines = std::vector<std::string>;

class StartUpTest : public apptest::LibraryTest {};

TEST_F(StartUpTest, WindowModeStartLogsEachStepAndShowsTheWindow) {
  vexal::ChangeWindowMode(1);
  ASSERT_EQ(vexal::LibraryInit(), 0);

  EXPECT_EQ(
      LogLinesFrom("ＣＯＭの初期化... 成功しました"),
      (Lines{"ＣＯＭの初期化... 成功しました", "ソフトの２重起動検査... ２重起動はされていませんでした",
             "メモリ総量:512.00MB  空きメモリ領域:256.00MB ", "ソフトの実行優先レベルを上げました",
             "ウインドウクラスを登録します... 登録に成功しました", "ウインドウモード起動用のウインドウを作成します",
             "ＩＭＥを無効にしました", "タイマーの精度を検査します",
             // Under the virtual clock both timers move every pass: a tie.
             "精度結果 更新回数 マルチメディアタイマー：60  パフォーマンスカウンター：60",
             "パフォーマンスカウンターを使用します タイマー分解能 : 1000000.000000 KHz ",
             "ウインドウスタイルをウインドウモード用に変更します... 完了", "DirectInput関係初期化処理",
             "\tDirectInputオブジェクトの取得中... 成功", "\t\t引き続き初期化処理... 初期化成功",
             "\tジョイパッドの初期化... ", "\tジョイパッドの初期化は正常に終了しました",
             "\tキーボードデバイスの初期化... 初期化成功", "DirectInput 関連の初期化は正常に終了しました",
             "DirectSound の初期化を行います", "\tDirectSound デバイスを列挙します",
             "\t\tモジュール名:           sdl2  ドライバ記述:Default audio output ",
             "\t最大サンプリングレート:100.00KHz 最小サンプリングレート:0.10KHz ",
             "\t総サウンドメモリ領域:0.00KB 空きサウンドメモリ領域:0.00KB ", "\t利用可能サンプリング精度",
             "\t プライマリ １６bit = OK  ８bit = OK ", "\t セカンダリ １６bit = OK  ８bit = OK ",
             "\t利用可能チャンネル", "\t プライマリ MONO = OK  STEREO = OK ", "\t セカンダリ MONO = OK  STEREO = OK ",
             "DirectSound の初期化は正常に終了しました", "DirectDraw 関連の初期化を行います",
             "\tDirectDraw オブジェクトの取得を行います....  成功", "\t引き続き初期化処理... 初期化に成功しました",
             "\tビデオカードの情報", "\t\tビデオカードドライバ:nightloom-memory バージョン:1.0.0.0 ",
             "\t\tドライバ記述:NIGHTLOOM memory surfaces on the fake display ",
             "\t\tビデオメモリ総量:64.00MB ビデオメモリ空き容量:64.00MB", "\t画面モード変更処理を開始します",
             "\t\t画面モードの変更処理を開始します 640 x 480  16 bit ", "\t\t\tウインドウモードにします",
             "\t\t画面モードの変更は正常に終了しました ", "\t\tカラー情報",
             // A window shows the desktop's 32-bit pixels.
             "\t\t\tA:00000000  B:00ff0000  G:0000ff00  B:000000ff",
             "\t\tウインドウスタイルをウインドウモード用に変更します... 完了",
             "\t\tDirectDraw メインサーフェスの作成を行います", "\t\t\t各スクリーンメモリの配置位置",
             "\t\t\t\tPrimaryBuffer : VIDEOMEMORY  ", "\t\t\t\tBaskBuffer : VIDEOMEMORY  ",
             "\t\tDirectDraw メインサーフェスの作成は正常に終了しました", "\t\tグラフィック管理系の初期化を行います",
             "\t\t\t３Ｄグラフィック描画機能は使用しません",
             "\t\t\tフォントの初期化を行いますフォントの初期化は正常に終了しました",
             "\t\tグラフィック管理系の初期化は正常に終了しました", "\t画面モード変更処理は正常に終了しました",
             "\tオーバーレイサーフェスは使用しません", "DirectDraw 関連の初期化は正常に終了しました",
             "文字コードバッファの初期化を行います... 完了しました"}));

  EXPECT_EQ(AppState.LibraryInitialised, 1);
  EXPECT_EQ(AppState.UsePerfCounter, 1);
  EXPECT_EQ(AppState.ActiveFlag, 1);
  EXPECT_EQ(AppState.StartDirectory, dir_.path());
  std::optional<pw::WindowInfo> info = pw::GetWindowInfo(AppState.MainWindow);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->class_name, "Vexal");
  EXPECT_EQ(info->title, "Vexal");
  EXPECT_TRUE(info->visible);
  EXPECT_FALSE(info->ime_enabled);
  // 640 x 480 client centred on 1024 x 768: the outer rectangle from the frame (5 a side,
  // 18 caption) and the menu and margin that only the first placement counts.
  EXPECT_EQ(info->outer, (pw::Rect{184, 99, 834, 607}));
  EXPECT_EQ(AppState.ClientRect, (std::array<int32_t, 4>{189, 122, 829, 602}));
  EXPECT_EQ(AppState.DesktopWidth, 1024);
  EXPECT_EQ(AppState.DesktopColourBits, 32);
  EXPECT_TRUE(pw::IsCursorShown());
  EXPECT_EQ(vexal::TextInputState.ActiveHandle, -1);
  EXPECT_EQ(vexal::TextInputState.Colours[5], vexal::MakeColorValue(255, 50, 50));
}

TEST_F(StartUpTest, FullScreenStartTakesTheForegroundAndHidesTheCursor) {
  pw::SetForegroundLockTimeout(12345);
  ASSERT_EQ(vexal::LibraryInit(), 0);
  std::optional<pw::WindowInfo> info = pw::GetWindowInfo(AppState.MainWindow);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->style, pw::kWsPopup);
  EXPECT_TRUE(info->topmost);
  EXPECT_TRUE(info->visible);
  EXPECT_EQ(info->outer, (pw::Rect{0, 0, 640, 480}));
  EXPECT_EQ(pw::GetForegroundWindow(), AppState.MainWindow);
  EXPECT_EQ(pw::GetForegroundLockTimeout(), 12345u);
  EXPECT_FALSE(pw::IsCursorShown());
  EXPECT_NE(Log().find("フルスクリーンモード用のウインドウを作成します\n"), std::string::npos);
  EXPECT_NE(Log().find("カーソルを不可視にしました\n"), std::string::npos);
}

TEST_F(StartUpTest, ShutDownRunsInItsFixedOrder) {
  vexal::ChangeWindowMode(1);
  ASSERT_EQ(vexal::LibraryInit(), 0);
  vexal::MidiState.MidiReplay = 1;
  int handle = vexal::CreateTextInputForTest(8, 0, 0, 0);
  AppState.WindowRegion = pw::CreateRegion();
  plat::fs::SetCurrentDirectory("/");

  // What has already happened when the window is destroyed, and when the class goes.
  struct Seen {
    bool devices_ended = false, region_dropped = false, text_input_kept = false;
    bool text_input_gone = false, com_still_on = false;
  } seen;
  std::vector<std::string> calls;
  pw::SetCallObserver([&](std::string_view call) {
    calls.emplace_back(call);
    if (call == "DestroyWindow") {
      seen.devices_ended = vexal::MidiState.MidiReplay == 0 && vexal::GetDirectDrawObject() == nullptr &&
                           vexal::InputState.Started == 0 && vexal::GetDirectSoundObject() == nullptr;
      seen.region_dropped = AppState.WindowRegion == 0;
      seen.text_input_kept = vexal::TextInputState.Records[handle].InUse == 1;
    }
    if (call == "UnregisterClass") {
      seen.text_input_gone = vexal::TextInputState.Records[handle].InUse == 0;
      seen.com_still_on = pw::ComInitCount() == 1;
    }
  });

  EXPECT_EQ(vexal::LibraryEnd(), 0);
  pw::SetCallObserver(nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"DestroyWindow", "UnregisterClass", "ComUninitialize"}));
  EXPECT_TRUE(seen.devices_ended);
  EXPECT_TRUE(seen.region_dropped);
  EXPECT_TRUE(seen.text_input_kept);
  EXPECT_TRUE(seen.text_input_gone);
  EXPECT_TRUE(seen.com_still_on);
  EXPECT_EQ(LogLinesFrom("ウインドウを閉じようとしています"),
            (Lines{"ウインドウを閉じようとしています", "ウインドウが破棄されようとしています",
                   "ソフトを終了する準備が整いました", "ＣＯＭを終了... 完了"}));
  EXPECT_EQ(pw::ComInitCount(), 0);
  EXPECT_FALSE(pw::IsClassRegistered("Vexal"));
  EXPECT_EQ(AppState.LibraryInitialised, 0);
  EXPECT_EQ(AppState.QuitFlag, 1);
  EXPECT_EQ(plat::fs::CurrentDirectory(), dir_.path());
  EXPECT_EQ(vexal::PumpMessages(), -1);

  // A second end finds the window gone and COM ended: nothing more happens.
  std::string log = Log();
  EXPECT_EQ(vexal::LibraryEnd(), 0);
  EXPECT_EQ(Log(), log);
}

TEST_F(StartUpTest, FailureBeforeTheWindowEndsWithoutWaitingForIt) {
  struct Case {
    const char* name;
    pw::Failures failures;
    bool com_already;
    const char* failure_line;  // null: nothing logged for it
    bool com_ended;
  };
  const Case cases[] = {
      {"COM", {false, false, true}, false, "ＣＯＭの初期化... ＣＯＭの初期化に失敗しました", false},
      {"COM already started", {}, true, nullptr, true},
      {"class",
       {true, false, false},
       false,
       "ウインドウクラスを登録します... ウインドウクラスの登録に失敗しました",
       true},
      {"window", {false, true, false}, false, "ウインドウの作成に失敗しました", true},
  };
  for (const Case& c : cases) {
    pw::ResetWindowStandIn();
    pw::SetInstanceLockPath(dir_.File("instance.lock"));
    pw::OverrideDesktopMode(pw::DesktopMode{1024, 768, 32});
    vexal::ResetAppState();
    vexal::ChangeWindowMode(1);
    pw::InjectFailures(c.failures);
    if (c.com_already) {
      pw::ComInitialize();
      AppState.ComInitialised = 1;
    }
    EXPECT_EQ(vexal::LibraryInit(), -1) << c.name;
    Lines lines = LogLines();
    if (c.failure_line != nullptr) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), c.failure_line), lines.end()) << c.name;
    }
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "ＣＯＭを終了... 完了") != lines.end(), c.com_ended) << c.name;
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "ウインドウを閉じようとしています"), lines.end()) << c.name;
    EXPECT_EQ(pw::ComInitCount(), 0) << c.name;
    EXPECT_EQ(AppState.ComInitialised, 0) << c.name;
    EXPECT_FALSE(pw::IsClassRegistered("Vexal")) << c.name;
    EXPECT_EQ(AppState.LibraryInitialised, 0) << c.name;
  }
}

TEST_F(StartUpTest, FailureAfterTheWindowClosesIt) {
  vexal::InitDirectDraw();  // a device that exists already makes its start fail
  ASSERT_EQ(vexal::LibraryInit(), -1);
  EXPECT_EQ(LogLinesFrom("ウインドウを閉じようとしています"),
            (Lines{"ウインドウを閉じようとしています", "ウインドウが破棄されようとしています",
                   "ソフトを終了する準備が整いました", "ＣＯＭを終了... 完了"}));
  EXPECT_FALSE(pw::IsWindow(AppState.MainWindow));
  EXPECT_FALSE(pw::IsClassRegistered("Vexal"));
  EXPECT_EQ(vexal::InputState.Started, 0);
}

TEST_F(StartUpTest, SecondCopyEndsWithStatusZero) {
  int fd = open(dir_.File("instance.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);  // the first copy
  EXPECT_EXIT(vexal::LibraryInit(), ::testing::ExitedWithCode(0), "");
  close(fd);
  std::string log = Log();
  const std::string last = "ソフトの２重起動検査... ２重起動されています、ソフトを終了します\n";
  ASSERT_GE(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last);
}

TEST_F(StartUpTest, DisabledLogIsNeitherEmptiedNorWritten) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("AppLog.txt"), "old"));
  vexal::SetLogEnabled(0);
  vexal::ChangeWindowMode(1);
  ASSERT_EQ(vexal::LibraryInit(), 0);
  vexal::LibraryEnd();
  EXPECT_EQ(Log(), "old");
}

TEST_F(StartUpTest, EndWithoutStartReturnsAtOnce) {
  EXPECT_EQ(vexal::LibraryEnd(), 0);
  EXPECT_EQ(vexal::EndCom(), -1);
  EXPECT_EQ(vexal::HandleWindowClose(), 0);
}

}  // namespace

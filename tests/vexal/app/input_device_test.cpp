// Start-up and end of the keyboard and joypads.
#include "vexal/app/input/input_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/input/input.h"
#include "tests/vexal/app/input_fixture.h"
#include "vexal/app/startup/app_state.h"

namespace {

namespace pi = plat::input;
using Lines = std::vector<std::string>;
using vexal::InputState;

class InputDeviceTest : public apptest::InputTest {
 protected:
  bool Logged(const std::string& line) const {
    Lines lines = LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::string PadName(int slot) const {
    pi::DeviceInstance info;
    pi::GetDeviceInfo(InputState.PadDevices[static_cast<size_t>(slot)], &info);
    return info.instance_name;
  }
};

TEST_F(InputDeviceTest, StartLogsEachStepAndOpensTheJoypadsInOrder) {
  pi::AttachFakeJoypad("pad one");
  pi::AttachFakeJoypad("pad two");
  Start();

  Lines from = LogLinesFrom("DirectInput関係初期化処理");
  ASSERT_GE(from.size(), 15u);
  EXPECT_EQ(Lines(from.begin(), from.begin() + 15),
            (Lines{"DirectInput関係初期化処理", "\tDirectInputオブジェクトの取得中... 成功",
                   "\t\t引き続き初期化処理... 初期化成功", "\tジョイパッドの初期化... ", "\t入力装置を見つけました",
                   "\t\tデバイスの登録名:pad one", "\t\tデバイスの製品登録名:pad one",
                   "\tジョイパッドの追加は正常に終了しました", "\t入力装置を見つけました",
                   "\t\tデバイスの登録名:pad two", "\t\tデバイスの製品登録名:pad two",
                   "\tジョイパッドの追加は正常に終了しました", "\tジョイパッドの初期化は正常に終了しました",
                   "\tキーボードデバイスの初期化... 初期化成功", "DirectInput 関連の初期化は正常に終了しました"}));
  EXPECT_NE(InputState.InputObject, 0u);
  EXPECT_NE(InputState.KeyboardDevice, 0u);
  EXPECT_EQ(InputState.PadCount, 2);
  EXPECT_EQ(PadName(0), "pad one");
  EXPECT_EQ(PadName(1), "pad two");
  EXPECT_EQ(InputState.Started, 1);

  // Started already: nothing is made again.
  Observe();
  EXPECT_EQ(vexal::InitDirectInput(), 0);
  EXPECT_TRUE(calls_.empty());
}

TEST_F(InputDeviceTest, NoEighthJoypadIsOpened) {
  std::vector<pi::DeviceGuid> pads;
  for (int i = 0; i < 8; ++i) pads.push_back(pi::AttachFakeJoypad("pad " + std::to_string(i + 1)));
  Observe();
  Start();
  EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "CreateDevice " + std::to_string(pads[6])), 1);
  EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "CreateDevice " + std::to_string(pads[7])), 0);
  EXPECT_EQ(InputState.PadCount, 7);
  EXPECT_EQ(PadName(6), "pad 7");
  EXPECT_EQ(InputState.PadDevices[7], 0u);

  // Pad number 8 is the empty slot: the keyboard only.
  for (pi::DeviceGuid p : pads) pi::SetFakeJoypadButton(p, 1, true);
  pi::SetFakeKey(pi::kKeyZ, true);
  EXPECT_EQ(vexal::ReadPadState(0x1008), 0x10);
  EXPECT_EQ(vexal::ReadPadState(7), 0x20);

  // However the callback is reached, it fills no slot beyond the seventh.
  pi::DeviceInstance eighth{pads[7], "pad 8", "pad 8"};
  EXPECT_EQ(vexal::EnumJoypadCallback(eighth, nullptr), 0);
  EXPECT_EQ(InputState.PadDevices[7], 0u);
}

TEST_F(InputDeviceTest, JoypadFailingAStepIsReleasedAndSkipped) {
  pi::DeviceGuid bad = pi::AttachFakeJoypad("bad");
  pi::AttachFakeJoypad("good");
  Start();
  struct Case {
    pi::Call call;
    uint32_t axis;
    const char* line;  // with the indent of the enumeration
    int pads;
  };
  const Case cases[] = {
      {pi::Call::CreateDevice, pi::kAnyAxis, "\t入力装置の取得に失敗しました", 1},
      {pi::Call::SetDataFormat, pi::kAnyAxis, "\tジョイパッドデバイスではありませんでした、又は設定に失敗しました", 1},
      {pi::Call::SetCooperativeLevel, pi::kAnyAxis, "\tジョイパッドデバイスの協調レベルの設定に失敗しました", 1},
      {pi::Call::SetAxisRange, pi::kAxisX, "\tジョイパッドデバイスのＸ軸関係の設定に失敗しました", 1},
      {pi::Call::SetAxisRange, pi::kAxisY, "\tジョイパッドデバイスのＹ軸関係の設定に失敗しました", 1},
      {pi::Call::SetAxisDeadZone, pi::kAxisX, "\tジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました", 1},
      {pi::Call::SetAxisDeadZone, pi::kAxisY, "\tジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました", 1},
      {pi::Call::Acquire, pi::kAnyAxis, nullptr, 2},  // acquired by the first read instead
  };
  for (const Case& c : cases) {
    vexal::EndDirectInput();
    pi::ClearFailures();
    pi::InjectFailure({c.call, bad, c.axis, -1, pi::kErrGeneric});
    calls_.clear();
    Observe();
    ASSERT_EQ(vexal::InitDirectInput(), 0) << c.line;
    pi::SetCallObserver(nullptr);
    EXPECT_EQ(InputState.PadCount, c.pads) << c.line;
    EXPECT_EQ(PadName(c.pads - 1), "good") << c.line;
    if (c.line != nullptr) {
      EXPECT_TRUE(Logged(c.line)) << c.line;
    }
    bool created = c.call != pi::Call::CreateDevice;
    bool released = c.pads == 1 && created;
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "ReleaseDevice " + std::to_string(bad)), released ? 1 : 0)
        << c.line;
  }
  pi::ClearFailures();
  pi::SetFakeJoypadButton(bad, 0, true);
  EXPECT_EQ(vexal::ReadPadState(1), 0x10);  // the joypad left unacquired is read all the same
}

TEST_F(InputDeviceTest, ObjectThatCannotBeMadeFailsTheStart) {
  struct Case {
    pi::Call call;
    const char* line;
  };
  const Case cases[] = {
      {pi::Call::CreateInputObject, "\tDirectInputオブジェクトの取得中... 取得に失敗"},
      {pi::Call::Initialize, "\t\t引き続き初期化処理... 初期化に失敗"},
  };
  for (const Case& c : cases) {
    pi::ResetInputStandIn();
    pi::UseFakeDevices(true);
    plat::window::ResetWindowStandIn();
    plat::window::SetInstanceLockPath(dir_.File("instance.lock"));
    plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, 32});
    vexal::ResetAppState();
    vexal::ResetInputState();
    vexal::ChangeWindowMode(1);
    pi::InjectFailure({c.call});
    Observe();
    EXPECT_EQ(vexal::LibraryInit(), -1) << c.line;
    EXPECT_TRUE(Logged(c.line)) << c.line;
    EXPECT_EQ(InputState.InputObject, 0u) << c.line;
    EXPECT_EQ(InputState.Started, 0) << c.line;
    // A made object is released again.
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "ReleaseObject 0"), c.call == pi::Call::Initialize ? 1 : 0)
        << c.line;
    calls_.clear();
  }
}

TEST_F(InputDeviceTest, KeyboardThatCannotBeSetUpIsFatal) {
  struct Case {
    pi::Call call;
    int times;
    const char* message;
  };
  const Case cases[] = {
      {pi::Call::CreateDevice, -1, "キーボードデバイスの取得に失敗しました"},
      {pi::Call::SetDataFormat, -1, "キーボードデバイスのデータ形式の設定に失敗しました"},
      {pi::Call::SetCooperativeLevel, -1, "キーボードデバイスの協調レベルの設定に失敗しました"},
      {pi::Call::Acquire, 2, "キーボードデバイスの取得に失敗しました"},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          pi::InjectFailure({c.call, pi::kSysKeyboard, pi::kAnyAxis, c.times});
          Start();
          std::exit(3);
        },
        ::testing::ExitedWithCode(255), "")
        << c.message;
    Lines lines = LogLinesFrom("\tキーボードデバイスの初期化... " + std::string(c.message));
    ASSERT_FALSE(lines.empty()) << c.message;
    // The fatal exit comes inside the start's indent, which stays for the rest of the log.
    EXPECT_EQ(lines.back(), "\tソフトをエラー終了します") << c.message;
  }
}

TEST_F(InputDeviceTest, KeyboardAcquiredAtTheSecondAttempt) {
  pi::InjectFailure({pi::Call::Acquire, pi::kSysKeyboard, pi::kAnyAxis, 1});
  Start();
  pi::SetFakeKey(pi::kKeyX, true);
  EXPECT_EQ(vexal::ReadPadState(0x1000), 0x20);
}

TEST_F(InputDeviceTest, EndReleasesEveryDeviceThenTheObjectOnce) {
  pi::DeviceGuid one = pi::AttachFakeJoypad("one");
  pi::DeviceGuid two = pi::AttachFakeJoypad("two");
  Start();
  Observe();
  EXPECT_EQ(vexal::EndDirectInput(), 0);
  const std::string p1 = std::to_string(one), p2 = std::to_string(two), kb = std::to_string(pi::kSysKeyboard);
  EXPECT_EQ(calls_, (Lines{"Unacquire " + p1, "ReleaseDevice " + p1, "Unacquire " + p2, "ReleaseDevice " + p2,
                           "Unacquire " + kb, "ReleaseDevice " + kb, "ReleaseObject 0"}));
  EXPECT_EQ(InputState.InputObject, 0u);
  EXPECT_EQ(InputState.KeyboardDevice, 0u);
  EXPECT_EQ(InputState.PadDevices[0], 0u);
  EXPECT_EQ(InputState.Started, 0);
  EXPECT_EQ(LogLines().back(), "DirectInput 関連の終了処理... 完了");

  calls_.clear();
  size_t log_size = Log().size();
  EXPECT_EQ(vexal::EndDirectInput(), 0);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(Log().size(), log_size);
}

}  // namespace

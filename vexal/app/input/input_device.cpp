// The input state table: start-up and end of the input object, the keyboard and the
// joypads, and the F10 / F12 flags of the window procedure.
#include "vexal/app/input/input_device.h"

#include "platform/window/window.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/window/message_pump.h"

namespace vexal {

InputStateRecord InputState;  // the one input state

namespace {

namespace pi = plat::input;

constexpr uint32_t kCooperation = pi::kCoopNonExclusive | pi::kCoopBackground;

void ReleaseObject() {
  pi::ReleaseObject(InputState.InputObject);
  InputState.InputObject = 0;
}

[[noreturn]] void FailKeyboard(const char* message) {
  if (InputState.KeyboardDevice != 0) {
    pi::ReleaseDevice(InputState.KeyboardDevice);
    InputState.KeyboardDevice = 0;
  }
  ReleaseObject();
  FatalErrorExit(message);
}

// Releases a joypad that failed a step and logs why; the enumeration goes on.
int SkipJoypad(pi::DeviceHandle pad, const char* message) {
  pi::ReleaseDevice(pad);
  LogWrite(message);
  return 1;
}

}  // namespace

int InitDirectInput() {
  if (InputState.InputObject != 0) return 0;
  InputState = InputStateRecord{};

  LogWrite("DirectInput関係初期化処理\n");
  LogIndentIn();
  LogWrite("DirectInputオブジェクトの取得中... ");
  if (pi::CreateInputObject(&InputState.InputObject) != pi::kOk) {
    LogWrite("取得に失敗\n");
    InputState.InputObject = 0;
    return -1;
  }
  LogWrite("成功\n");
  LogIndentIn();
  LogWrite("引き続き初期化処理... ");
  if (pi::Initialize(InputState.InputObject, AppState.Instance, pi::kInputVersion) != pi::kOk) {
    LogWrite("初期化に失敗\n");
    ReleaseObject();
    return -1;
  }
  LogWrite("初期化成功\n");
  LogIndentOut();
  plat::window::BringWindowToTop(AppState.MainWindow);
  PumpMessages();

  LogWrite("ジョイパッドの初期化... \n");
  InputState.PadCount = 0;
  pi::EnumJoypads(InputState.InputObject,
                  [](const pi::DeviceInstance& instance) { return EnumJoypadCallback(instance, nullptr) != 0; });
  LogWrite("ジョイパッドの初期化は正常に終了しました\n");

  LogWrite("キーボードデバイスの初期化... ");
  if (pi::CreateDevice(InputState.InputObject, pi::kSysKeyboard, &InputState.KeyboardDevice) != pi::kOk) {
    InputState.KeyboardDevice = 0;
    FailKeyboard("キーボードデバイスの取得に失敗しました");
  }
  if (pi::SetDataFormat(InputState.KeyboardDevice, pi::DataFormat::Keyboard) != pi::kOk) {
    FailKeyboard("キーボードデバイスのデータ形式の設定に失敗しました");
  }
  if (pi::SetCooperativeLevel(InputState.KeyboardDevice, AppState.MainWindow, kCooperation) != pi::kOk) {
    FailKeyboard("キーボードデバイスの協調レベルの設定に失敗しました");
  }
  if (pi::Acquire(InputState.KeyboardDevice) != pi::kOk && pi::Acquire(InputState.KeyboardDevice) != pi::kOk) {
    FailKeyboard("キーボードデバイスの取得に失敗しました");
  }
  LogWrite("初期化成功\n");
  LogIndentOut();
  LogWrite("DirectInput 関連の初期化は正常に終了しました\n");
  InputState.Started = 1;
  return 0;
}

int EnumJoypadCallback(const pi::DeviceInstance& instance, void*) {
  // Only kMaxJoypads slots are ever filled, however the callback is reached.
  if (InputState.PadCount >= kMaxJoypads) return 0;
  LogWrite("入力装置を見つけました\n");
  pi::DeviceHandle pad = 0;
  if (pi::CreateDevice(InputState.InputObject, instance.guid, &pad) != pi::kOk) {
    LogWrite("入力装置の取得に失敗しました\n");
    return 1;
  }
  pi::DeviceInstance info;
  pi::GetDeviceInfo(pad, &info);
  LogIndentIn();
  LogWriteFmt("デバイスの登録名:%s", info.instance_name.c_str());
  LogWriteFmt("デバイスの製品登録名:%s", info.product_name.c_str());
  LogIndentOut();

  if (pi::SetDataFormat(pad, pi::DataFormat::Joystick) != pi::kOk) {
    return SkipJoypad(pad, "ジョイパッドデバイスではありませんでした、又は設定に失敗しました\n");
  }
  if (pi::SetCooperativeLevel(pad, AppState.MainWindow, kCooperation) != pi::kOk) {
    return SkipJoypad(pad, "ジョイパッドデバイスの協調レベルの設定に失敗しました\n");
  }
  if (pi::SetAxisRange(pad, pi::kAxisX, kPadAxisMin, kPadAxisMax) != pi::kOk) {
    return SkipJoypad(pad, "ジョイパッドデバイスのＸ軸関係の設定に失敗しました\n");
  }
  if (pi::SetAxisRange(pad, pi::kAxisY, kPadAxisMin, kPadAxisMax) != pi::kOk) {
    return SkipJoypad(pad, "ジョイパッドデバイスのＹ軸関係の設定に失敗しました\n");
  }
  if (pi::SetAxisDeadZone(pad, pi::kAxisX, kPadAxisDeadZone) != pi::kOk) {
    return SkipJoypad(pad, "ジョイパッドデバイスのＸ軸の無効ゾーンの設定に失敗しました\n");
  }
  if (pi::SetAxisDeadZone(pad, pi::kAxisY, kPadAxisDeadZone) != pi::kOk) {
    return SkipJoypad(pad, "ジョイパッドデバイスのＹ軸の無効ゾーンの設定に失敗しました\n");
  }
  pi::Acquire(pad);  // a joypad not acquired now is acquired by its first read
  InputState.PadDevices[static_cast<size_t>(InputState.PadCount)] = pad;
  ++InputState.PadCount;
  LogWrite("ジョイパッドの追加は正常に終了しました\n");
  return InputState.PadCount >= kMaxJoypads ? 0 : 1;
}

int EndDirectInput() {
  if (InputState.InputObject == 0) return 0;
  LogWrite("DirectInput 関連の終了処理... 完了\n");
  for (int i = 0; i < InputState.PadCount; ++i) {
    pi::DeviceHandle& pad = InputState.PadDevices[static_cast<size_t>(i)];
    if (pad == 0) continue;
    pi::Unacquire(pad);
    pi::ReleaseDevice(pad);
    pad = 0;
  }
  InputState.PadCount = 0;
  if (InputState.KeyboardDevice != 0) {
    pi::Unacquire(InputState.KeyboardDevice);
    pi::ReleaseDevice(InputState.KeyboardDevice);
    InputState.KeyboardDevice = 0;
  }
  ReleaseObject();
  InputState.Started = 0;
  return 0;
}

int SetF10Down() {
  InputState.F10Down = 1;
  return 0;
}

int SetF10Up() {
  InputState.F10Down = 0;
  return 0;
}

int SetF12Down() {
  InputState.F12Down = 1;
  return 0;
}

int SetF12Up() {
  InputState.F12Down = 0;
  return 0;
}

void ResetInputState() { InputState = InputStateRecord{}; }

}  // namespace vexal

// Starting the library, in its fixed order: log, clocks, system report, COM, window,
// input, sound, screen, text input.
#include "platform/fs/fs.h"
#include "platform/window/window.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/input/text_input.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/sound_device.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/system/system_report.h"
#include "vexal/app/system/timing.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace pw = plat::window;

int FailStartup() {
  RunShutdownSequence(TextInputEnd::OneByOne);
  return -1;
}

// Full screen: the new window takes the foreground even from another program, without
// changing the system's foreground lock time-out for good.
void BringToFront() {
  uint32_t timeout = pw::GetForegroundLockTimeout();
  pw::SetForegroundLockTimeout(0);
  pw::SetForegroundWindow(AppState.MainWindow);
  pw::SetForegroundLockTimeout(timeout);
  pw::SetWindowPos(AppState.MainWindow, pw::ZOrder::Topmost, 0, 0, 0, 0,
                   pw::kSwpNoSize | pw::kSwpNoMove | pw::kSwpNoRedraw);
}

}  // namespace

int LibraryInit() {
  AppState.StartDirectory = plat::fs::CurrentDirectory();
  StartLogFile();
  TakePerfCounterWhenPresent();
  LogSystemInfo();
  // The two stream tables are constant; nothing to fill.
  SetGraphRestoreHandler(nullptr);

  if (AppState.ComInitialised) return FailStartup();
  LogWrite("ＣＯＭの初期化... ");
  if (pw::ComInitialize() < 0) {
    LogWrite("ＣＯＭの初期化に失敗しました\n");
    return FailStartup();
  }
  LogWrite("成功しました\n");
  AppState.ComInitialised = 1;

  if (CreateMainWindow() == -1) return FailStartup();
  if (InitDirectInput() == -1) return FailStartup();
  InitDirectSound();
  if (InitDirectDraw() == -1) return FailStartup();

  LogWrite("文字コードバッファの初期化を行います... ");
  InitTextInput();
  LogWrite("完了しました\n");

  AppState.LibraryInitialised = 1;
  SetVSyncWaitFlag(1);
  if (AppState.WindowMode == 0) BringToFront();
  return 0;
}

}  // namespace vexal

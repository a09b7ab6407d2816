// Creating the main window: the duplicate-start check, the window class and the window
// for the chosen mode, and the choice of the microsecond timer while its messages settle.
#include <cstdlib>

#include "platform/sys/sys.h"
#include "platform/timer/timer.h"
#include "platform/window/window.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/system/random.h"
#include "vexal/app/system/timing.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/app/window/window_proc.h"
#include "vexal/graphics/screen/screen_access.h"

namespace vexal {
namespace {

namespace pw = plat::window;

constexpr uint32_t kSettleMs = 200;  // messages are pumped this long after creation
constexpr double kBytesPerMegabyte = 1048576.0;

}  // namespace

int CreateMainWindow() {
  ResetAppStateForWindow();
  AppState.Instance = kProgramInstance;

  LogWrite("ソフトの２重起動検査... ");
  if (pw::AnotherCopyRunning(kWindowClassName)) {
    LogWrite("２重起動されています、ソフトを終了します\n");
    std::exit(0);
  }
  LogWrite("２重起動はされていませんでした\n");

  plat::sys::MemoryStatus memory = plat::sys::GetMemoryStatus();
  LogWriteFmt("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ",
              static_cast<double>(memory.total_physical) / kBytesPerMegabyte,
              static_cast<double>(memory.available_physical) / kBytesPerMegabyte);

  pw::DesktopMode desktop = pw::GetDesktopMode();
  AppState.DesktopWidth = desktop.width;
  AppState.DesktopHeight = desktop.height;
  AppState.DesktopColourBits = desktop.bits;
  int w = 0, h = 0;
  GetScreenSize(&w, &h);

  // Nothing raises the process priority here; the line is kept for the log's readers.
  LogWrite("ソフトの実行優先レベルを上げました\n");

  LogWrite("ウインドウクラスを登録します... ");
  pw::WindowClass window_class;
  window_class.name = kWindowClassName;
  window_class.style = pw::kCsHRedraw | pw::kCsVRedraw;
  window_class.proc = MainWindowProc;
  window_class.icon = kWindowIconId;
  window_class.cursor = pw::Cursor::Arrow;
  window_class.background = AppState.WindowRegion != 0 ? pw::Brush::None : pw::Brush::Black;
  if (!pw::RegisterClass(window_class)) return LogWrite("ウインドウクラスの登録に失敗しました\n");
  LogWrite("登録に成功しました\n");

  if (AppState.WindowTitle.empty()) AppState.WindowTitle = kWindowClassName;

  pw::WindowCreate create;
  create.class_name = kWindowClassName;
  create.title = AppState.WindowTitle;
  if (AppState.WindowMode) {
    LogWrite("ウインドウモード起動用のウインドウを作成します\n");
    AppState.CursorVisible = 1;
    pw::Rect r = WindowModeRect(w, h);
    create.ex_style = kWindowModeExStyle;
    create.style = kWindowModeStyle;
    create.x = r.left;
    create.y = r.top;
    create.width = r.right - r.left;
    create.height = r.bottom - r.top;
  } else {
    LogWrite("フルスクリーンモード用のウインドウを作成します\n");
    AppState.CursorVisible = 0;
    create.ex_style = kFullScreenExStyle;
    create.style = kFullScreenStyle;
    create.width = w;
    create.height = h;
  }
  AppState.MainWindow = pw::CreateWindow(create);
  if (AppState.MainWindow == 0) return LogWrite("ウインドウの作成に失敗しました\n");

  AppState.ClosingFlag = 0;
  AppState.WindowDestroyed = 0;
  AppState.ActiveFlag = 1;
  if (!AppState.WindowMode) {
    LogWrite("カーソルを不可視にしました\n");
    pw::SetCursor(pw::Cursor::None);
  }
  LogWrite("ＩＭＥを無効にしました\n");
  pw::EnableIme(AppState.MainWindow, false);
  if (AppState.WindowMode) ReadClientRect();

  ChooseMicrosecondClock();
  SeedRandom(plat::timer::TimeMs());

  uint32_t start = plat::timer::TimeMs();
  while (plat::timer::TimeMs() - start < kSettleMs) {
    PumpMessages();
    plat::timer::SpinPause();
  }

  FitClientArea(AppState.MainWindow, w, h);
  if (AppState.WindowMode && AppState.StyleApplied == 0) {
    AppState.StyleApplied = 1;
    ApplyWindowStyle();
  }
  return 0;
}

}  // namespace vexal

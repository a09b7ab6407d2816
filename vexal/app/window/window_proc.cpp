#include "vexal/app/window/window_proc.h"

#include "vexal/app/input/input_device.h"
#include "vexal/app/input/text_input.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/midi_music.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/graph_manage.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/main_surfaces.h"
#include "vexal/graphics/screen/palette.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_present.h"

namespace vexal {
namespace {

namespace pw = plat::window;

// Asks the window to close, once; the program then ends through the pump.
void PostCloseOnce() {
  if (AppState.ClosingFlag) return;
  AppState.ClosingFlag = 1;
  pw::PostMessage(AppState.MainWindow, pw::kWmClose, 0, 0);
}

// The screen after the device was lost. The input device is ended before the DirectDraw
// device on re-activation and after it on a desktop change.
void RebuildScreenSteps(bool input_first) {
  ReleaseDirect3D();
  DeleteMaskBuffer();
  ReleaseMainSurfaces();
  if (input_first) {
    EndDirectInput();
    ReleaseDirectDraw();
  } else {
    ReleaseDirectDraw();
    EndDirectInput();
  }
  RecreateDirectDraw();
  CreateMainSurfaces();
  RestorePalette();
  GetDrawBackendRow(kDDrawRow).SetDrawTarget(GetDrawTarget());
  RestoreDirect3D();
  ClearDrawTarget();
  PresentScreen();
  RefreshAllFontHandle();
  RestoreMaskBuffer();
}

// A rebuild's own waits pump messages, so the focus can go and come back, or the desktop
// change, while it runs: that asks for another rebuild once this one is done, never for
// one inside it.
void RebuildScreen(bool input_first) {
  if (AppState.ScreenRebuilding) {
    if (!input_first) AppState.RebuildAgain = 1;
    return;
  }
  AppState.ScreenRebuilding = 1;
  RebuildScreenSteps(input_first);
  AppState.ScreenRebuilding = 0;
  if (AppState.RebuildAgain) {
    AppState.RebuildAgain = 0;
    if (!AppState.QuitFlag) RebuildScreen(false);
  }
}

void OnActivate(int32_t active) {
  AppState.ActiveFlag = active;
  if (!active) {
    LogWrite("非アクティブになりました\n");
    if (AppState.WindowMode || !IsDisplayModeChanged() || GetDirectDrawObject() == nullptr) return;
    if (!IsGraphRestoreHandlerSet()) {
      LogWrite("復元関数が登録されていないため終了します\n");
      PostCloseOnce();
    } else {
      AppState.RestorePending = 1;
    }
    return;
  }
  LogWrite("アクティブになりました\n");
  if (AppState.WindowMode || !AppState.LibraryInitialised || AppState.ScreenRebuilding) return;
  // Cleared first: a switch away during the rebuild sets it again, and the rebuild is made
  // once more if the application is active by then.
  while (AppState.RestorePending && AppState.ActiveFlag && !AppState.QuitFlag) {
    AppState.RestorePending = 0;
    RebuildScreen(true);
  }
}

void OnDisplayChange(uintptr_t wparam, intptr_t lparam) {
  if (!AppState.WindowMode || AppState.ModeChanging) {
    AppState.DisplayChanged = 1;
    return;
  }
  auto bits = static_cast<int>(wparam);
  auto width = static_cast<int>(lparam & 0xFFFF);
  auto height = static_cast<int>((lparam >> 16) & 0xFFFF);
  int screen_w = 0, screen_h = 0, screen_bits = 0;
  GetScreenModeInfo(&screen_w, &screen_h, &screen_bits);
  if (bits != screen_bits || width != screen_w || height != screen_h) {
    bool cannot_follow = !IsGraphRestoreHandlerSet() || bits == 24 || (bits != screen_bits && bits == 8) ||
                         width < screen_w || height < screen_h;
    if (cannot_follow) {
      LogWrite("復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
      LogWrite("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
      PostCloseOnce();
      return;
    }
    RebuildScreen(false);
  }
  AppState.DisplayChanged = 1;
}

void OnSize(pw::WindowHandle window, uintptr_t wparam) {
  if (wparam == pw::kSizeMaximized) return;
  int w = 0, h = 0;
  GetScreenSize(&w, &h);
  FitClientArea(window, w, h);
  if (AppState.WindowMode && AppState.StyleApplied == 0) {
    AppState.StyleApplied = 1;
    ApplyWindowStyle();
  }
}

}  // namespace

intptr_t MainWindowProc(pw::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case pw::kWmCreate:
      if (AppState.WindowRegion != 0) pw::SetWindowRegion(window, AppState.WindowRegion, false);
      break;
    case pw::kWmDestroy:
      LogWrite("ウインドウが破棄されようとしています\n");
      AppState.WindowDestroyed = 1;
      LogWrite("ソフトを終了する準備が整いました\n");
      pw::PostQuitMessage(0);
      AppState.QuitFlag = 1;
      break;
    case pw::kWmClose:
      LogWrite("ウインドウを閉じようとしています\n");
      pw::DestroyWindow(AppState.MainWindow);
      break;
    case pw::kWmMove:
      if (AppState.WindowMode && !AppState.ModeChanging) OnClientAreaChanged(lparam);
      break;
    case pw::kWmSize: OnSize(window, wparam); break;
    case pw::kWmActivate: OnActivate(static_cast<int32_t>(wparam & 0xFFFF)); break;
    case pw::kWmPaint: break;
    case pw::kWmSetCursor:
      // Handled here while the cursor is hidden: the default processing would show the
      // class cursor again.
      if (AppState.CursorVisible == 0) {
        pw::SetCursor(pw::Cursor::None);
        return 1;
      }
      break;
    case pw::kWmMouseMove:
    case pw::kWmLButtonDown:
    case pw::kWmLButtonUp:
    case pw::kWmRButtonDown:
    case pw::kWmRButtonUp:
    case pw::kWmMButtonDown:
    case pw::kWmMButtonUp:
      if (AppState.CursorVisible == 0) pw::SetCursor(pw::Cursor::None);
      break;
    case pw::kWmMoving:
      // A full-screen window stays where it is.
      if (!AppState.WindowMode && lparam != 0) pw::GetWindowRect(window, reinterpret_cast<pw::Rect*>(lparam));
      break;
    case pw::kWmDisplayChange: OnDisplayChange(wparam, lparam); break;
    case pw::kWmKeyDown: StoreInputKey(static_cast<uint32_t>(wparam)); break;
    case pw::kWmChar: StoreInputChar(static_cast<uint8_t>(wparam & 0xFF)); break;
    case pw::kWmSysCommand:
    case kMsgF10:
      if (wparam == 1) {
        SetF10Down();
      } else {
        SetF10Up();
      }
      break;
    case kMsgF12:
      if (wparam == 1) {
        SetF12Down();
      } else {
        SetF12Up();
      }
      break;
    case kMsgMciNotify: HandleMciNotify(); break;
    default: break;
  }
  return pw::DefWindowProc(window, message, wparam, lparam);
}

}  // namespace vexal

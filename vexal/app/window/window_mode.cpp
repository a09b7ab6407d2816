#include "vexal/app/window/window_mode.h"

#include <string>

#include "platform/text/text_encoding.h"
#include "platform/timer/timer.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace vexal {
namespace {

namespace pw = plat::window;

void ApplyWindowModeStyle(int32_t w, int32_t h) {
  LogWrite("ウインドウスタイルをウインドウモード用に変更します... ");
  uint32_t style = kWindowModeStyle | (AppState.StyleApplied == 1 ? pw::kWsVisible : 0u);
  pw::SetWindowLong(AppState.MainWindow, pw::kGwlExStyle, kWindowModeExStyle);
  pw::SetWindowLong(AppState.MainWindow, pw::kGwlStyle, style);
  pw::Rect r = WindowModeRect(w, h);
  pw::SetWindowPos(AppState.MainWindow, pw::ZOrder::Top, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   pw::kSwpNoZOrder);
  ReadClientRect();
  // A copy: the move below reports itself to the window procedure, which rewrites ClientRect.
  const std::array<int32_t, 4> c = AppState.ClientRect;
  if (c[0] < 0 || c[1] < 0) {
    // Keep the client area on the desktop: its top-left corner goes to (0, 0).
    int32_t dx = -c[0], dy = -c[1];
    pw::Rect outer;
    pw::GetWindowRect(AppState.MainWindow, &outer);
    pw::SetWindowPos(AppState.MainWindow, pw::ZOrder::Top, outer.left + dx, outer.top + dy, outer.right - outer.left,
                     outer.bottom - outer.top, pw::kSwpNoZOrder);
    AppState.ClientRect = {c[0] + dx, c[1] + dy, c[2] + dx, c[3] + dy};
  }
  if (AppState.CursorVisible == 0) {
    AppState.CursorVisible = 1;
    while (pw::ShowCursor(true) < 0) {
    }
    pw::PostMessage(AppState.MainWindow, pw::kWmSetCursor, AppState.MainWindow, 0);
  }
  LogWrite("完了\n");
}

void ApplyFullScreenStyle(int32_t w, int32_t h) {
  LogWrite("ウインドウスタイルをフルスクリーンモード用に変更します... ");
  pw::SetWindowLong(AppState.MainWindow, pw::kGwlExStyle, kFullScreenExStyle);
  pw::SetWindowLong(AppState.MainWindow, pw::kGwlStyle, kFullScreenStyle);
  AppState.ClientRect = {0, 0, w, h};
  pw::SetWindowPos(AppState.MainWindow, pw::ZOrder::Top, 0, 0, w, h, pw::kSwpNoRedraw);
  if (AppState.CursorVisible == 1) {
    AppState.CursorVisible = 0;
    while (pw::ShowCursor(false) >= 0) {
    }
    pw::PostMessage(AppState.MainWindow, pw::kWmSetCursor, AppState.MainWindow, 0);
  }
  LogWrite("完了\n");
}

}  // namespace

pw::Rect WindowModeRect(int32_t w, int32_t h) {
  pw::Rect r{0, 0, w, h};
  pw::AdjustWindowRectEx(&r, kWindowModeStyle, true, kWindowModeExStyle);
  int32_t dx = (AppState.DesktopWidth - w) / 2, dy = (AppState.DesktopHeight - h) / 2;
  return pw::Rect{r.left - kWindowModeMargin + dx, r.top - kWindowModeMargin + dy, r.right + kWindowModeMargin + dx,
                  r.bottom + kWindowModeMargin + dy};
}

void FitClientArea(pw::WindowHandle window, int32_t w, int32_t h) {
  pw::Rect outer, client;
  pw::GetWindowRect(window, &outer);
  if (!pw::GetClientRect(window, &client)) return;
  pw::MoveWindow(window, outer.left, outer.top, outer.right - outer.left - client.right + w,
                 outer.bottom - outer.top - client.bottom + h, true);
}

void ReadClientRect() {
  pw::Rect client;
  pw::GetClientRect(AppState.MainWindow, &client);
  pw::Point top_left{client.left, client.top}, bottom_right{client.right, client.bottom};
  pw::ClientToScreen(AppState.MainWindow, &top_left);
  pw::ClientToScreen(AppState.MainWindow, &bottom_right);
  AppState.ClientRect = {top_left.x, top_left.y, bottom_right.x, bottom_right.y};
}

int ChangeWindowMode(int flag) {
  LogWrite("ChangeWindowMode実行 \n");
  flag = flag != 0 ? 1 : 0;
  if (flag == AppState.WindowMode) return 0;
  AppState.StyleApplied = 0;
  AppState.WindowMode = flag;
  LogWrite(flag ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
  if (AppState.MainWindow == 0) return 0;
  AppState.ModeChanging = 1;
  AppState.DisplayChanged = 0;
  ApplyWindowStyle();
  int r = ChangeScreenModeCore(-1, -1, -1, 1, -1);
  // The desktop reports the new mode with a display-change message; a mode that was not
  // changed, or a desktop that never reports, must not hold the program here.
  if (r != -1) {
    uint32_t start = plat::timer::TimeMs();
    while (!AppState.DisplayChanged && plat::timer::TimeMs() - start < kModeChangeWaitMs) {
      if (PumpMessages() != 0) break;
      plat::timer::SpinPause();
    }
  }
  AppState.ModeChanging = 0;
  return r;
}

int ApplyWindowStyle() {
  if (AppState.MainWindow == 0) return 0;
  int w = 0, h = 0;
  GetScreenSize(&w, &h);
  if (AppState.WindowMode) {
    ApplyWindowModeStyle(w, h);
  } else {
    ApplyFullScreenStyle(w, h);
  }
  pw::PostMessage(AppState.MainWindow, pw::kWmSetCursor, AppState.MainWindow, 0);
  pw::SetActiveWindow(AppState.MainWindow);
  return 0;
}

int SetWindowTitle(std::string_view text) {
  // Cut to the limit without splitting a double-byte character.
  size_t n = 0;
  while (n < text.size()) {
    size_t size = plat::IsSjisLeadByte(static_cast<uint8_t>(text[n])) && n + 1 < text.size() ? 2 : 1;
    if (n + size > kWindowTitleMax) break;
    n += size;
  }
  AppState.WindowTitle = std::string(text.substr(0, n));
  if (AppState.MainWindow != 0) pw::SetWindowText(AppState.MainWindow, AppState.WindowTitle);
  return 0;
}

int OnClientAreaChanged(intptr_t lparam) {
  pw::Rect client;
  if (!pw::GetClientRect(AppState.MainWindow, &client)) return 0;
  auto x = static_cast<int16_t>(lparam & 0xFFFF);
  auto y = static_cast<int16_t>((lparam >> 16) & 0xFFFF);
  AppState.ClientRect = {x, y, x + client.right, y + client.bottom};
  if (GetDrawTarget() == -4) {
    const MaskedDrawingPause unmasked;
    const auto& c = AppState.ClientRect;
    DrawState.TargetRect = {c[0], c[1], c[2], c[3]};
  }
  const auto& d = AppState.DrawRect;
  SetDrawClipArea(d[0], d[1], d[2], d[3]);
  return 0;
}

}  // namespace vexal

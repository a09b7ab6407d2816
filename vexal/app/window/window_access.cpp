#include "vexal/app/window/window_access.h"

#include "vexal/app/startup/app_state.h"

namespace vexal {

int GetClientRectCopy(int32_t rect[4]) {
  for (int i = 0; i < 4; ++i) rect[i] = AppState.ClientRect[i];
  return 0;
}

int IsAppActive() { return AppState.ActiveFlag; }

plat::window::WindowHandle GetMainWindow() { return AppState.MainWindow; }

int IsWindowMode() { return AppState.WindowMode; }

int GetDesktopMode(int32_t* width, int32_t* height, int32_t* bits) {
  if (width != nullptr) *width = AppState.DesktopWidth;
  if (height != nullptr) *height = AppState.DesktopHeight;
  if (bits != nullptr) *bits = AppState.DesktopColourBits;
  return 0;
}

int GetRunInBackground() { return AppState.RunInBackground; }

int IsMmxUsable() { return AppState.MmxUsable; }

int IsWindowClosing() { return AppState.ClosingFlag; }

int HasWindowRegion() { return AppState.WindowRegion != 0 ? 1 : 0; }

int SetWindowDrawRect(const int32_t rect[4]) {
  for (int i = 0; i < 4; ++i) AppState.DrawRect[i] = rect[i];
  return 0;
}

}  // namespace vexal

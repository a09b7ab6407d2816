#include "vexal/graphics/graphics_seam.h"

#include <array>

namespace vexal {
namespace {

int RestoreGraphFromFiles() { return 0; }

struct SeamState {
  int ScreenWidth = 640;                              // screen size until a mode is set
  int ScreenHeight = 480;
  int ScreenColorBits = 16;
  bool DeviceStarted = false;                         // InitDirectDraw ran, EndDirectDraw not yet
  int DisplayModeChanged = 0;                         // test's answer to IsDisplayModeChanged
  int ScreenModeResult = 0;                           // test's answer to ChangeScreenModeCore
  int VSyncWait = 0;
  GraphRestoreHandler RestoreHandler = nullptr;       // installed handler, or none
  int DrawTarget = -4;
  int MaskTarget = 1;                                 // masked drawing is on from start-up
  std::array<int, 4> FrontScreenRect{};
  std::optional<DibSection> Dib;                      // what CreateDIBGraph hands out
  std::function<void(std::string_view)> Trace;        // test observer, or empty
};

SeamState Seam;  // the stand-in graphics core

int Traced(std::string_view call, int result = 0) {
  if (Seam.Trace) Seam.Trace(call);
  return result;
}

// Any non-null address stands for the device object.
int g_device_token;

}  // namespace

int GetScreenSize(int* w, int* h) {
  if (w != nullptr) *w = Seam.ScreenWidth;
  if (h != nullptr) *h = Seam.ScreenHeight;
  return 0;
}

int GetScreenColorBits() { return Seam.ScreenColorBits; }

int GetScreenModeInfo(int* w, int* h, int* bits) {
  GetScreenSize(w, h);
  *bits = Seam.ScreenColorBits;
  return Traced("GetScreenModeInfo");
}

int InitDirectDraw() {
  if (Seam.DeviceStarted) return Traced("InitDirectDraw", -1);
  Seam.DeviceStarted = true;
  return Traced("InitDirectDraw");
}

int EndDirectDraw() {
  Seam.DeviceStarted = false;
  return Traced("EndDirectDraw");
}

void* GetDirectDrawObject() { return Seam.DeviceStarted ? &g_device_token : nullptr; }

int IsDisplayModeChanged() { return Seam.DisplayModeChanged; }

int ChangeScreenModeCore(int, int, int, int, int) { return Traced("ChangeScreenModeCore", Seam.ScreenModeResult); }

int SetVSyncWaitFlag(int flag) {
  Seam.VSyncWait = flag;
  return Traced("SetVSyncWaitFlag");
}

uint32_t MakeColorValue(int red, int green, int blue) {
  return (static_cast<uint32_t>(red & 0xFF) << 16) | (static_cast<uint32_t>(green & 0xFF) << 8) |
         static_cast<uint32_t>(blue & 0xFF);
}

int SetGraphRestoreHandler(GraphRestoreHandler handler) {
  Seam.RestoreHandler = handler != nullptr ? handler : RestoreGraphFromFiles;
  return Traced("SetGraphRestoreHandler");
}

int IsGraphRestoreHandlerSet() { return Seam.RestoreHandler != nullptr ? 1 : 0; }

int ReleaseDirect3D() { return Traced("ReleaseDirect3D"); }
int DeleteMaskBuffer() { return Traced("DeleteMaskBuffer"); }
int ReleaseMainSurfaces() { return Traced("ReleaseMainSurfaces"); }
int ReleaseDirectDraw() { return Traced("ReleaseDirectDraw"); }
int RecreateDirectDraw() { return Traced("RecreateDirectDraw"); }
int CreateMainSurfaces() { return Traced("CreateMainSurfaces"); }
int RestorePalette() { return Traced("RestorePalette"); }
int DDrawSetDrawTarget(int) { return Traced("DDrawSetDrawTarget"); }
int RestoreDirect3D() { return Traced("RestoreDirect3D"); }
int ClearDrawTarget() { return Traced("ClearDrawTarget"); }
int PresentScreen() { return Traced("PresentScreen"); }
int RefreshAllFontHandle() { return Traced("RefreshAllFontHandle"); }
int RestoreMaskBuffer() { return Traced("RestoreMaskBuffer"); }

int GetDrawTarget() { return Seam.DrawTarget; }

int SetDrawClipArea(int, int, int, int) { return Traced("SetDrawClipArea"); }

int GetMaskTargetFlag() { return Seam.MaskTarget; }

int SetMaskTargetFlag(int flag) {
  Seam.MaskTarget = flag;
  return Traced("SetMaskTargetFlag");
}

int SetFrontScreenRect(int left, int top, int right, int bottom) {
  Seam.FrontScreenRect = {left, top, right, bottom};
  return Traced("SetFrontScreenRect");
}

DibHandle CreateDIBGraph(const char*, const void*, int, int, int, ColorFormatRecord*) {
  Traced("CreateDIBGraph");
  return Seam.Dib ? &*Seam.Dib : nullptr;
}

int GetDibSectionInfo(DibHandle dib, DibSection* out) {
  if (dib == nullptr) return -1;
  *out = *dib;
  return 0;
}

int DeleteDibSection(DibHandle dib) { return Traced("DeleteDibSection", dib != nullptr ? 0 : -1); }

void SeamSetScreenSize(int w, int h) {
  Seam.ScreenWidth = w;
  Seam.ScreenHeight = h;
}

void SeamSetScreenColorBits(int bits) { Seam.ScreenColorBits = bits; }

void SeamSetDisplayModeChanged(int changed) { Seam.DisplayModeChanged = changed; }

void SeamClearGraphRestoreHandler() { Seam.RestoreHandler = nullptr; }

void SeamSetScreenModeResult(int result) { Seam.ScreenModeResult = result; }

void SeamSetDibImage(std::optional<DibSection> dib) { Seam.Dib = dib; }

std::array<int, 4> SeamFrontScreenRect() { return Seam.FrontScreenRect; }

void SeamSetTraceHook(std::function<void(std::string_view)> hook) { Seam.Trace = std::move(hook); }

}  // namespace vexal

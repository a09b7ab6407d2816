#include "vexal/graphics/graphics_seam.h"

#include "platform/surface.h"
#include "vexal/graphics/ddraw_state.h"
#include "vexal/graphics/graph_table.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

struct SeamState {
  int DrawTarget = kFrontScreen;                      // draw target as last set
  std::array<int, 4> DrawArea{};                      // draw area as last set
  int BlendMode = 0;                                  // blend mode and parameter as last set
  int BlendParam = 0;
  uint32_t TransColor = 0;                            // transparent colour as last set
  int MaskTarget = 1;                                 // masked drawing is on from start-up
  std::array<int, 4> FrontScreenRect{};
  std::optional<DibSection> Dib;                      // what CreateDIBGraph hands out
  std::function<void(std::string_view)> Trace;        // test observer, or empty
};

SeamState Seam;  // the stand-in parts of the graphics core

int Traced(std::string_view call, int result = 0) {
  if (Seam.Trace) Seam.Trace(call);
  return result;
}

}  // namespace

int GetScreenModeInfo(int* w, int* h, int* bits) {
  GetScreenSize(w, h);
  *bits = GetScreenColorBits();
  return Traced("GetScreenModeInfo");
}

int GetDrawTarget() { return Seam.DrawTarget; }

int SetDrawTarget(int target) {
  Seam.DrawTarget = target;
  DDrawSetDrawTarget(target);
  return Traced("SetDrawTarget");
}

int SetDrawClipArea(int x1, int y1, int x2, int y2) {
  Seam.DrawArea = {x1, y1, x2, y2};
  return Traced("SetDrawClipArea");
}

int GetDrawClipArea(int area[4]) {
  for (int i = 0; i < 4; ++i) area[i] = Seam.DrawArea[i];
  return 0;
}

int SetBlendModeParam(int mode, int param) {
  Seam.BlendMode = mode;
  Seam.BlendParam = param;
  return Traced("SetBlendModeParam");
}

int GetBlendModeParam(int* mode, int* param) {
  *mode = Seam.BlendMode;
  *param = Seam.BlendParam;
  return 0;
}

int GetGraphSuspendFlag() { return 0; }

uint32_t GetTransColorValue() { return Seam.TransColor; }

void SetTransColorValue(uint32_t color) { Seam.TransColor = color; }

int GetMaskTargetFlag() { return Seam.MaskTarget; }

int SetMaskTargetFlag(int flag) {
  Seam.MaskTarget = flag;
  return Traced("SetMaskTargetFlag");
}

int SetFrontScreenRect(int left, int top, int right, int bottom) {
  Seam.FrontScreenRect = {left, top, right, bottom};
  return Traced("SetFrontScreenRect");
}

int RefreshAllFontHandle() { return Traced("RefreshAllFontHandle"); }

int DDrawSetDrawTarget(int target) {
  if (target == kFrontScreen) DDrawState.DrawSurface = DDrawState.Primary;
  if (target == kBackScreen) DDrawState.DrawSurface = DDrawState.Back;
  return Traced("DDrawSetDrawTarget");
}

int ClearDrawTarget() {
  if (DDrawState.DrawSurface != nullptr) {
    ps::Blt(DDrawState.DrawSurface, nullptr, nullptr, nullptr, ps::kBltColorFill | ps::kBltWait, 0);
  }
  return Traced("ClearDrawTarget");
}

int RestoreAllGraph() { return Traced("RestoreAllGraph"); }

int GetBmpDataEnd() { return Traced("GetBmpDataEnd", BmpDataTable.EndIndex); }

int GetDefaultFontHandle() { return -1; }
int CheckFontHandle(int) { return -1; }
int GetFontStateToHandle(int, std::string*, int*, int*) { return -1; }
int CreateDefaultFont(const std::string&, int, int) { return Traced("CreateDefaultFont"); }

int ScreenLogDraw() { return Traced("ScreenLogDraw"); }

int DeleteMaskBuffer() { return Traced("DeleteMaskBuffer"); }
int RestoreMaskBuffer() { return Traced("RestoreMaskBuffer"); }

int InitDirect3D() { return Traced("InitDirect3D"); }
// No Direct3D object ever exists here.
int EndDirect3D() { return Traced("EndDirect3D", -1); }
int ReleaseDirect3D() { return Traced("ReleaseDirect3D", -1); }
int RestoreDirect3D() { return Traced("RestoreDirect3D"); }
int EndPending3DScene() { return Traced("EndPending3DScene"); }
int SetTextureBitDepth(int) { return Traced("SetTextureBitDepth", -1); }

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

void SeamClearGraphRestoreHandler() { GraphTable.RestoreHandler = nullptr; }

void SeamSetDibImage(std::optional<DibSection> dib) { Seam.Dib = dib; }

std::array<int, 4> SeamFrontScreenRect() { return Seam.FrontScreenRect; }

void SeamSetBmpDataTable(std::span<BmpDataRecord*> records) { SetBmpDataTableForTests(records); }

void SeamSetTraceHook(std::function<void(std::string_view)> hook) { Seam.Trace = std::move(hook); }

void ResetGraphicsSeam() { Seam = SeamState{}; }

}  // namespace vexal

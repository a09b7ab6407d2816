#include "vexal/graphics/graphics_seam.h"

#include "platform/surface.h"
#include "vexal/graphics/ddraw_state.h"
#include "vexal/graphics/draw_state.h"
#include "vexal/graphics/graph_table.h"

namespace vexal {
namespace {

namespace ps = plat::surface;

struct SeamState {
  int MaskBuffer = 0;                                 // what MaskBufferExists answers
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

int SetMaskTargetFlag(int flag) {
  DrawState.MaskedDrawing = static_cast<uint32_t>(flag);
  return Traced("SetMaskTargetFlag");
}

int SetFrontScreenRect(int left, int top, int right, int bottom) {
  Seam.FrontScreenRect = {left, top, right, bottom};
  return Traced("SetFrontScreenRect");
}

// Remaking the font handles waits for the fonts; the graphs are marked and reloaded now.
int RefreshAllFontHandle() {
  for (int i = 0; i < GraphTable.EndIndex; ++i) {
    if (GraphTable.Slots[i] != nullptr) GraphTable.Slots[i]->NeedsRestore = 1;
  }
  if (GraphTable.RestoreHandler != nullptr) GraphTable.RestoreHandler();
  return Traced("RefreshAllFontHandle");
}

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
int MaskBufferExists() { return Seam.MaskBuffer; }

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

void SeamSetMaskBufferExists(int exists) { Seam.MaskBuffer = exists; }

void SeamSetTraceHook(std::function<void(std::string_view)> hook) { Seam.Trace = std::move(hook); }

void ResetGraphicsSeam() { Seam = SeamState{}; }

}  // namespace vexal

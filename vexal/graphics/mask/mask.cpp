// The mask buffer, the mask surface, the masked-drawing flag and the two steps around
// every masked draw. The mask data table is mask_data.cpp's.
#include "vexal/graphics/mask/mask.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "vexal/app/startup/fatal_exit.h"
#include "vexal/app/window/window_access.h"
#include "vexal/d3d/d3d_draw_state.h"
#include "vexal/graphics/drawing/draw_backend_table.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask_data.h"
#include "vexal/graphics/mask/mask_key_pixels.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/wait_active.h"

namespace vexal {

MaskStateRecord MaskState;  // buffer, surface and created mark of the one mask

namespace {

namespace ps = plat::surface;

int RoundUpToRowAlign(int width) { return (width + kMaskRowAlign - 1) / kMaskRowAlign * kMaskRowAlign; }

void ReleaseBufferAndSurface() {
  MaskState.Buffer.clear();
  MaskState.Buffer.shrink_to_fit();
  MaskState.Pitch = MaskState.Width = MaskState.Height = 0;
  if (MaskState.Surface != nullptr) ps::ReleaseSurface(MaskState.Surface);
  MaskState.Surface = nullptr;
  MaskState.SurfaceWidth = MaskState.SurfaceHeight = 0;
  DrawState.MaskInVideoMemory = 0;
}

// The draw target's extent as the rows read it while the flag is as stored: the client
// area on the desktop when drawing unmasked to the front in window mode, else the target
// from (0, 0) (masked draws go to the screen-sized mask surface); then both rows are told.
void SyncTargetExtent() {
  const int masked = static_cast<int>(DrawState.MaskedDrawing);
  if (IsDrawingToFront() != 0 && masked == 0) {
    int32_t c[4] = {};
    GetClientRectCopy(c);
    DrawState.TargetRect = {c[0], c[1], c[2], c[3]};
  } else {
    int w = 0, h = 0;
    GetGraphDimensions(DrawState.DrawScreen, &w, &h);
    DrawState.TargetRect = {0, 0, w, h};
  }
  GetDrawBackendRow(kDDrawRow).SyncDrawTarget(masked);
  if (GraphTable.Direct3DAvailable != 0) GetDrawBackendRow(kD3DRow).SyncDrawTarget(masked);
}

// rect clipped to the draw area and to what the mask surface (and, for the post step,
// the buffer) covers: a graph target may be larger than the screen.
Rect ClipToMask(Rect rect, bool with_buffer) {
  ClipRect(&rect, &DrawState.DrawArea);
  Rect extent{0, 0, MaskState.SurfaceWidth, MaskState.SurfaceHeight};
  if (with_buffer) {
    extent.right = std::min(extent.right, MaskState.Width);
    extent.bottom = std::min(extent.bottom, MaskState.Height);
  }
  ClipRect(&rect, &extent);
  return rect;
}

bool IsEmpty(const Rect& r) { return r.left >= r.right || r.top >= r.bottom; }

// Where the target's pixel (0, 0) lies on its surface: the front surface covers the whole
// desktop in window mode.
void TargetCorner(int* x, int* y) {
  *x = *y = 0;
  if (IsWindowMode() != 0 && DrawState.DrawScreen == kFrontScreen) {
    int32_t c[4] = {};
    GetClientRectCopy(c);
    *x = c[0];
    *y = c[1];
  }
}

}  // namespace

int CreateMaskSurface(int make_buffer, int make_surface) {
  int w = 0, h = 0;
  GetScreenSize(&w, &h);
  if (make_buffer != 0 && MaskState.Buffer.empty()) {
    MaskState.Pitch = RoundUpToRowAlign(w);
    try {
      MaskState.Buffer.assign(static_cast<size_t>(MaskState.Pitch) * static_cast<size_t>(h), 0);
    } catch (const std::bad_alloc&) {
      MaskState.Buffer.clear();
    }
    if (MaskState.Buffer.empty()) {
      MaskState.Pitch = 0;
    } else {
      MaskState.Width = w;
      MaskState.Height = h;
    }
  }
  if (make_surface != 0 && MaskState.Surface == nullptr) {
    ps::SurfaceDesc desc;
    desc.caps = ps::kCapsOffscreenPlain | (GetNo3DSurfaceFlag() != 0 ? ps::kCapsSystemMemory : ps::kCaps3DDevice);
    desc.width = w;
    desc.height = h;
    ps::Surface* surface = nullptr;
    if (GetDirectDrawObject() == nullptr ||
        ps::CreateSurface(GetDirectDrawObject(), desc, &surface) != ps::Result::kOk) {
      FatalErrorExit("マスク用サーフェスの作成に失敗しました");
    }
    const ps::ColorKey key{kMaskColorKey, kMaskColorKey};
    ps::SetColorKey(surface, &key);
    MaskState.Surface = surface;
    MaskState.SurfaceWidth = w;
    MaskState.SurfaceHeight = h;
    DrawState.MaskInVideoMemory = ps::GetSurfaceInfo(surface).caps & ps::kCapsVideoMemory;
  }
  return 0;
}

int CreateMaskBuffer() {
  WaitActiveAndRestore();
  CreateMaskSurface(1, 1);
  MaskState.Created = 1;
  if (DrawState.MaskedDrawing != 0) SyncTargetExtent();
  return 0;
}

int SetMaskTargetFlag(int flag) {
  if (MaskState.Buffer.empty()) return -1;
  DrawState.MaskedDrawing = static_cast<uint32_t>(flag);
  SyncTargetExtent();
  return 0;
}

int FillMaskBuffer(int flag) {
  if (MaskState.Buffer.empty()) return -1;
  WaitActiveAndRestore();
  if (MaskState.Buffer.empty()) return -1;  // the wait may have rebuilt the device
  const int rows = std::clamp(DrawState.TargetHeight, 0, MaskState.Height);
  std::memset(MaskState.Buffer.data(), flag != 0 ? kMaskShow : 0, static_cast<size_t>(MaskState.Pitch) * rows);
  return 0;
}

int MaskBufferExists() { return MaskState.Buffer.empty() ? 0 : 1; }

MaskedDrawingPause::MaskedDrawingPause() : paused_(MaskBufferExists() != 0), kept_(DrawState.MaskedDrawing) {
  if (!paused_) return;
  DrawState.MaskedDrawing = 0;
  SyncTargetExtent();
}

void MaskedDrawingPause::Resume() {
  if (!paused_) return;
  paused_ = false;
  DrawState.MaskedDrawing = kept_;
  SyncTargetExtent();
}

ps::Surface* GetMaskSurface() { return MaskState.Surface; }

int MaskPreDraw(Rect rect, ps::Surface* destination) {
  if (MaskState.Surface == nullptr) return 0;
  EndPending3DScene();
  const Rect clipped = ClipToMask(rect, false);
  if (IsEmpty(clipped) || destination == nullptr) return 0;
  int cx = 0, cy = 0;
  TargetCorner(&cx, &cy);
  const ps::Rect source{clipped.left + cx, clipped.top + cy, clipped.right + cx, clipped.bottom + cy};
  ps::BltFast(MaskState.Surface, clipped.left, clipped.top, destination, &source, ps::kFastNoColorKey);
  return 0;
}

int MaskPostDraw(Rect rect, ps::Surface* destination) {
  if (MaskState.Surface == nullptr) return 0;
  EndPending3DScene();
  const bool buffer = !MaskState.Buffer.empty();
  const Rect clipped = ClipToMask(rect, buffer);
  if (IsEmpty(clipped)) return 0;
  int cx = 0, cy = 0;
  TargetCorner(&cx, &cy);
  const ps::Rect area{clipped.left, clipped.top, clipped.right, clipped.bottom};
  if (buffer) {
    ps::LockedRect locked;
    // A mask surface that cannot be locked cannot be keyed: the draw is dropped rather
    // than shown unmasked.
    if (ps::Lock(MaskState.Surface, &area, ps::kLockWait | ps::kLockWriteOnly, &locked) != ps::Result::kOk) return 0;
    const uint8_t* mask = MaskState.Buffer.data() + static_cast<size_t>(clipped.top) * MaskState.Pitch + clipped.left;
    KeyUnmaskedPixels(locked.bits, locked.pitch, mask, MaskState.Pitch, clipped.right - clipped.left,
                      clipped.bottom - clipped.top, GetScreenColorBits() / 8);
    ps::Unlock(MaskState.Surface);
  }
  if (destination != nullptr) {
    ps::BltFast(destination, clipped.left + cx, clipped.top + cy, MaskState.Surface, &area, ps::kFastSourceColorKey);
  }
  return 0;
}

int DeleteMaskBuffer() {
  ReleaseBufferAndSurface();
  return 0;
}

int RestoreMaskBuffer() {
  CreateMaskSurface(MaskState.Created, MaskState.Created);
  if (DrawState.MaskedDrawing != 0 && !MaskState.Buffer.empty()) {
    DrawState.MaskedDrawing = 1;
    SyncTargetExtent();
  }
  return 0;
}

int EndMaskManage() {
  if (DrawState.MaskedDrawing != 0) SetMaskTargetFlag(0);
  DrawState.MaskedDrawing = 0;  // also when there was no buffer to tell the rows with
  ReleaseBufferAndSurface();
  ReleaseAllMaskData();
  MaskState.Created = 0;
  return 0;
}

void ResetMask() {
  ReleaseBufferAndSurface();
  ReleaseAllMaskData();
  MaskState = MaskStateRecord{};
}

}  // namespace vexal

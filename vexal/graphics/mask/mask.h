// The mask: a screen-sized byte buffer that limits where DirectDraw-row drawing may change
// the picture (non-zero: the draw shows; 0: the old picture stays), the screen-sized mask
// surface that masked draws go to, and the table of mask data that are stamped into the
// buffer. The game's screen wipe fills the buffer, stamps a stage of mask data into it each
// frame and draws with masked drawing on.
//
// Masked drawing (the draw state's flag, on from the start of graph management) takes
// effect once the mask surface exists: every public draw then copies what the target
// shows under its rectangle into the mask surface (MaskPreDraw), the row draws into the
// mask surface instead of the target, and MaskPostDraw keys out the pixels whose mask
// byte is 0 and copies the rest back with the colour key 0. So a drawn pixel of colour
// value 0 never shows under the mask.
//
// Rectangles are clipped to the draw area and to the screen size the mask was made for.
// The buffer and surface last from CreateMaskBuffer until graph management ends or the
// device is released (DeleteMaskBuffer); RestoreMaskBuffer makes them again at the new
// screen size if they had been created. Mask data last until graph management ends.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/surface/surface.h"
#include "vexal/graphics/pictures/clip_rect.h"

namespace vexal {

// Colour key of the mask surface (low and high value), in the screen's format.
inline constexpr uint32_t kMaskColorKey = 0;
// Mask buffer and mask data rows are this many bytes apart at least (rounded up to it).
inline constexpr int kMaskRowAlign = 4;

// Byte written in every mask byte by FillMaskBuffer with a non-zero flag.
inline constexpr uint8_t kMaskShow = 0xFF;

struct MaskStateRecord {
  plat::surface::Surface* Surface = nullptr;  // screen-sized off-screen surface; null when not made
  std::vector<uint8_t> Buffer;                // Pitch x Height bytes; empty when not made
  int32_t Pitch = 0;                          // Width rounded up to kMaskRowAlign
  int32_t Width = 0;                          // screen size when the buffer was made
  int32_t Height = 0;
  int32_t SurfaceWidth = 0;  // screen size when the surface was made
  int32_t SurfaceHeight = 0;
  int32_t Created = 0;  // CreateMaskBuffer ran since graph management started
};

extern MaskStateRecord MaskState;

// Makes the buffer (make_buffer) and the surface (make_surface) at the screen size,
// whichever is asked for and missing; the buffer starts all 0. A surface that cannot be
// made ends the program. 0.
int CreateMaskSurface(int make_buffer, int make_surface);
// Makes whatever of buffer and surface is missing and marks the mask created; with masked
// drawing on, the rows are told so. 0.
int CreateMaskBuffer();
// Masked drawing on (non-zero) or off; the draw target's extent is recomputed and both
// rows are told. 0, -1 without a mask buffer (nothing changes then).
int SetMaskTargetFlag(int flag);
// Fills the rows of the buffer that the draw target covers with 0xFF (flag non-zero) or 0.
// 0, -1 without a mask buffer.
int FillMaskBuffer(int flag);
// Non-zero while the mask buffer exists.
int MaskBufferExists();

// Masked drawing off for one scope while the mask buffer exists, and back as it was at
// Resume or at the end of the scope; each time the draw target's extent is recomputed and
// both rows are told. Without a buffer at the start nothing changes.
class MaskedDrawingPause {
 public:
  MaskedDrawingPause();
  ~MaskedDrawingPause() { Resume(); }
  MaskedDrawingPause(const MaskedDrawingPause&) = delete;
  MaskedDrawingPause& operator=(const MaskedDrawingPause&) = delete;
  // Masked drawing as before the pause; later calls do nothing.
  void Resume();

 private:
  bool paused_;    // the flag was turned off and is not yet back
  uint32_t kept_;  // the flag before the pause
};
// The mask surface, null when not made.
plat::surface::Surface* GetMaskSurface();

// Before a masked draw: the target's pixels under rect go into the mask surface. 0.
int MaskPreDraw(Rect rect, plat::surface::Surface* destination);
// After it: pixels of rect whose mask byte is 0 get the colour key, and the rectangle goes
// back onto the destination keyed. 0.
int MaskPostDraw(Rect rect, plat::surface::Surface* destination);

// On device release: buffer and surface go (the mask data stay). 0.
int DeleteMaskBuffer();
// On device restore: buffer and surface again at the screen size when the mask had been
// created, and the rows told the masked flag. 0.
int RestoreMaskBuffer();
// When graph management ends: masked drawing off, buffer, surface and every mask data
// record go, and the mask counts as not created. 0.
int EndMaskManage();

// Back to the state at load, for tests: releases what is held (so call it before the
// surfaces are reset).
void ResetMask();

}  // namespace vexal

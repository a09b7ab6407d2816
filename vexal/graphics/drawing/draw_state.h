// DrawStateBlock: the one record of current drawing state. Both backend rows read it
// (they are handed its address at the start of graph management), and the public drawing
// calls keep it. The calls that set it live in draw_calls.h; the mask code (mask.h) keeps
// the masked flag with the target rectangle that follows it, the draw target
// (draw_target.h) what a graph's deletion leaves, and a step that clips one draw more
// narrowly sets the draw area through ScopedDrawArea below.
#pragma once

#include <cstdint>

#include "vexal/graphics/pictures/clip_rect.h"

namespace vexal {

inline constexpr uint32_t kBrightNone = 0xFFFFFFFFu;  // bright value that changes nothing
inline constexpr int kBlendSubtract = 3;              // blend mode that Direct3D draws in steps
inline constexpr int kBlendSubtractStep = 4;          // blend mode of the middle step
inline constexpr int kBlendPassOnly = 6;              // blend mode passed to the rows, never stored
inline constexpr int kBlendParamMax = 255;

struct DrawStateBlock {
  int32_t DrawScreen = -4;           // -4 front, -2 back, or a graph handle
  uint32_t TargetInVideoMemory = 0;  // written by row 0's draw-target slot
  Rect TargetRect{};                 // client rectangle while drawing to the front in window mode
  Rect DrawArea{};                   // clip of every draw; right and bottom exclusive
  int32_t TargetWidth = 0;           // size of the draw screen
  int32_t TargetHeight = 0;
  int32_t Reserved = 0;            // zeroed at start only
  int32_t BlendMode = 0;           // 0 none
  int32_t BlendParam = 0;          // 0..255
  uint32_t Bright = kBrightNone;   // bytes 0xFF, red, green, blue from the low end
  uint32_t MaskedDrawing = 1;      // every draw is wrapped in the mask steps
  uint32_t MaskInVideoMemory = 0;  // written by the mask code
  uint32_t NewGraphAlpha = 0;      // alpha flag new blank graphs get
  uint32_t Suspended = 0;          // every drawing call returns 0 at once
  uint32_t EmptyDrawArea = 0;      // the draw area has no pixels: draws return 0 at once
  uint32_t TransColor = 0;         // transparent colour 0x00RRGGBB; black by default
};

extern DrawStateBlock DrawState;

// The draw area set for one scope and the one before put back at its end, for a step that
// clips a single draw more narrowly than its caller did.
class ScopedDrawArea {
 public:
  explicit ScopedDrawArea(const Rect& area) : kept_(DrawState.DrawArea) { DrawState.DrawArea = area; }
  ~ScopedDrawArea() { DrawState.DrawArea = kept_; }
  ScopedDrawArea(const ScopedDrawArea&) = delete;
  ScopedDrawArea& operator=(const ScopedDrawArea&) = delete;

 private:
  Rect kept_;  // the area before the scope
};

// Back to the state at load (also what starting graph management gives).
void ResetDrawState();

// Bright value of a red, green, blue triple.
constexpr uint32_t MakeBrightValue(uint32_t red, uint32_t green, uint32_t blue) {
  return 0xFFu | (red << 8) | (green << 16) | (blue << 24);
}

int GetGraphSuspendFlag();
uint32_t GetTransColorValue();
void SetTransColorValue(uint32_t color);
int GetMaskTargetFlag();
// The draw area (left, top, right, bottom). 0.
int GetDrawClipArea(int area[4]);
// Blend mode and parameter. 0.
int GetBlendModeParam(int* mode, int* param);

}  // namespace vexal

#include "vexal/graphics/drawing/draw_state.h"

namespace vexal {

DrawStateBlock DrawState;  // the current drawing state both rows read

void ResetDrawState() { DrawState = DrawStateBlock{}; }

int GetGraphSuspendFlag() { return DrawState.Suspended != 0 ? 1 : 0; }

uint32_t GetTransColorValue() { return DrawState.TransColor; }

void SetTransColorValue(uint32_t color) { DrawState.TransColor = color; }

int GetMaskTargetFlag() { return static_cast<int>(DrawState.MaskedDrawing); }

int GetDrawClipArea(int area[4]) {
  area[0] = DrawState.DrawArea.left;
  area[1] = DrawState.DrawArea.top;
  area[2] = DrawState.DrawArea.right;
  area[3] = DrawState.DrawArea.bottom;
  return 0;
}

int GetBlendModeParam(int* mode, int* param) {
  *mode = DrawState.BlendMode;
  *param = DrawState.BlendParam;
  return 0;
}

}  // namespace vexal

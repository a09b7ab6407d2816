#include "vexal/graphics/mask_pending.h"

#include <cstdint>

#include "vexal/graphics/draw_state.h"
#include "vexal/graphics/graphics_seam.h"

namespace vexal {
namespace {

int MaskBuffer = 0;  // what MaskBufferExists answers

}  // namespace

int SetMaskTargetFlag(int flag) {
  DrawState.MaskedDrawing = static_cast<uint32_t>(flag);
  return SeamTraced("SetMaskTargetFlag");
}

int DeleteMaskBuffer() { return SeamTraced("DeleteMaskBuffer"); }
int RestoreMaskBuffer() { return SeamTraced("RestoreMaskBuffer"); }
int MaskBufferExists() { return MaskBuffer; }

void SeamSetMaskBufferExists(int exists) { MaskBuffer = exists; }

}  // namespace vexal

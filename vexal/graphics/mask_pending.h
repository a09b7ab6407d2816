// The mask until it is built: no mask buffer exists unless a test says so.
#pragma once

namespace vexal {

// Masked drawing on (1) or off. 0.
int SetMaskTargetFlag(int flag);
int DeleteMaskBuffer();
int RestoreMaskBuffer();
// Non-zero while the mask buffer exists.
int MaskBufferExists();

// Tests: MaskBufferExists answers this from now on.
void SeamSetMaskBufferExists(int exists);

}  // namespace vexal

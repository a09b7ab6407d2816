#include "vexal/graphics/screen/blend_mul_table.h"

namespace vexal {

std::array<BlendMulRow, kBlendMulTableSize> BlendMulTable{};  // [p][v] = (p x v) >> 8 once filled

void FillBlendMulTable() {
  for (int p = 0; p < kBlendMulTableSize; ++p) {
    for (int v = 0; v < kBlendMulTableSize; ++v) BlendMulTable[p][v] = (p * v) >> 8;
  }
}

void ResetBlendMulTable() { BlendMulTable = {}; }

}  // namespace vexal

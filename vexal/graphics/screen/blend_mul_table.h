// BlendMulTable: the products every software drawer blends with. Entry [p][v] (row p, a
// blend parameter or brightness; column v, a channel value) is (p x v) >> 8, so row 255
// gives v x 255 / 256, truncated.
#pragma once

#include <array>
#include <cstdint>

namespace vexal {

inline constexpr int kBlendMulTableSize = 256;  // rows and columns

using BlendMulRow = std::array<int32_t, kBlendMulTableSize>;
extern std::array<BlendMulRow, kBlendMulTableSize> BlendMulTable;

// Fills the table (InitDirectDraw does, once).
void FillBlendMulTable();
// Zeroes it, as at load.
void ResetBlendMulTable();

}  // namespace vexal

// Arithmetic on the game's numbers. Table and save values may be anywhere in the 32-bit
// range, so sums and products are taken in 64 bits and saturated back to 32: an extreme
// value gives the largest (or smallest) number, never a wrapped one of the other sign.
#pragma once

#include <cstdint>

#include "platform/numeric/saturate.h"

namespace game {

using plat::numeric::Saturate32;

// a += b, saturated.
constexpr void AddSaturated(int32_t& a, int64_t b) { a = Saturate32(int64_t{a} + b); }

}  // namespace game

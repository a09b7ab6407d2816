// Arithmetic on the game's numbers. Table and save values may be anywhere in the 32-bit
// range, so sums and products are taken in 64 bits and saturated back to 32: an extreme
// value gives the largest (or smallest) number, never a wrapped one of the other sign.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace game {

constexpr int32_t Saturate32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// a += b, saturated.
constexpr void AddSaturated(int32_t& a, int64_t b) { a = Saturate32(int64_t{a} + b); }

}  // namespace game

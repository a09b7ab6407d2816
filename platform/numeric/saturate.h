// Numbers held to the int range instead of wrapping round or being undefined: a sum or
// product worked out in 64 bits, and a double truncated toward zero. Every layer (the stand-in,
// the library, the music and the game) uses these two rules.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace plat::numeric {

// v held to the int32 range: beyond an end it gives that end.
constexpr int32_t Saturate32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// v truncated toward zero and held to the int32 range; NaN gives 0, the infinities the ends.
constexpr int32_t TruncSaturated32(double v) {
  if (v != v) return 0;
  if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

}  // namespace plat::numeric

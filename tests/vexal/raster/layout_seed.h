// A seed of each screen layout's own for the random sweeps, so that no two layouts draw
// the same cases.
#pragma once

#include <cstdint>

namespace rastertest {

inline uint32_t LayoutSeed(const char* name) {
  uint32_t h = 2166136261u;  // FNV-1a of the name
  for (const char* p = name; *p != '\0'; ++p) h = (h ^ static_cast<uint8_t>(*p)) * 16777619u;
  return h;
}

}  // namespace rastertest

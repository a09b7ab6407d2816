// The little-endian fields of the file layouts the program reads and writes (maps, chip sets,
// the key assignment, songs, drum samples, sounds, pictures): 16- and 32-bit loads and stores
// at a byte pointer, whatever the host's byte order. The caller has checked that the bytes
// are there.
#pragma once

#include <cstdint>

namespace plat::numeric {

constexpr uint16_t LoadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

constexpr void StoreLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace plat::numeric

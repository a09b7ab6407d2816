// keycast.ini: the 16 button masks as little-endian u32, then a 72-byte note.
#include <cstdio>

#include "game/input/key_cast.h"
#include "platform/fs/fs.h"

namespace game {
namespace {

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

void KeyCast::LoadKeyCastFile() {
  if (std::FILE* f = plat::fs::OpenFile(kKeyCastFile, "rb")) {
    uint8_t bytes[kKeyCastMaskBytes] = {};
    size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    // A short file fills only the masks it holds whole; the rest keep their values.
    for (size_t i = 0; i < n / 4; ++i) button_masks[i] = ReadU32(bytes + 4 * i);
  }
  // The directions are never the player's to change.
  for (int b = kButtonUp; b < kFirstAssignedButton; ++b) button_masks[b] = kDefaultButtonMasks[b];
}

bool KeyCast::SaveKeyCastFile() const {
  uint8_t bytes[kKeyCastFileBytes] = {};
  for (int i = 0; i < kButtonMasks; ++i) WriteU32(bytes + 4 * i, button_masks[i]);
  for (size_t i = 0; i < sizeof kKeyCastNote; ++i) bytes[kKeyCastMaskBytes + i] = static_cast<uint8_t>(kKeyCastNote[i]);
  std::FILE* f = plat::fs::OpenFile(kKeyCastFile, "wb");
  if (f == nullptr) return false;
  bool written = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
  return std::fclose(f) == 0 && written;
}

}  // namespace game

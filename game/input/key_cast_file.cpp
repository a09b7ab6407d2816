// keycast.ini: the 16 button masks as little-endian u32, then a 72-byte note.
#include <cstdio>

#include "game/input/key_cast.h"
#include "platform/fs/fs.h"
#include "platform/numeric/little_endian.h"

namespace game {
namespace {

using plat::numeric::LoadLe32;
using plat::numeric::StoreLe32;

}  // namespace

void KeyCast::LoadKeyCastFile() {
  if (std::FILE* f = plat::fs::OpenFile(kKeyCastFile, "rb")) {
    uint8_t bytes[kKeyCastMaskBytes] = {};
    size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    // A short file fills only the masks it holds whole; the rest keep their values.
    for (size_t i = 0; i < n / 4; ++i) button_masks[i] = LoadLe32(bytes + 4 * i);
  }
  // The directions are never the player's to change.
  for (int b = kButtonUp; b < kFirstAssignedButton; ++b) button_masks[b] = kDefaultButtonMasks[b];
}

bool KeyCast::SaveKeyCastFile() const {
  uint8_t bytes[kKeyCastFileBytes] = {};
  for (int i = 0; i < kButtonMasks; ++i) StoreLe32(bytes + 4 * i, button_masks[i]);
  for (size_t i = 0; i < sizeof kKeyCastNote; ++i) bytes[kKeyCastMaskBytes + i] = static_cast<uint8_t>(kKeyCastNote[i]);
  std::FILE* f = plat::fs::OpenFile(kKeyCastFile, "wb");
  if (f == nullptr) return false;
  bool written = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
  return std::fclose(f) == 0 && written;
}

}  // namespace game

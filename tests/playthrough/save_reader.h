// The play-throughs' reading of what the real program leaves behind: a save slot file read
// back field by field at the offsets of the save layout, and its log searched for lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "game/codec/lz_codec.h"
#include "tests/support/temp_dir.h"

namespace playtest {

inline uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
  return v;
}

// Offsets in the unpacked save layout: 32 noise words, then the party part.
inline constexpr size_t kMembersAt = 128;       // 4 members x 128 values, i32
inline constexpr size_t kEquipmentAt = 2304;    // 4 members x 16 stacks (u16 id, u16 count)
inline constexpr size_t kBagAt = 2560;          // 256 stacks
inline constexpr size_t kStockAt = 3584;        // the ability stock: 256 stacks
inline constexpr size_t kMaterialsAt = 4608;    // 32 stacks
inline constexpr size_t kScalarsAt = 5248;      // 128 u32
inline constexpr size_t kJumpPointsAt = 22144;  // 33 x (u32 area, u16 x, u16 y, 64 name bytes)
inline constexpr size_t kFlagsAt = 24520;       // 160 u32, flag n is bit n % 32 of word n / 32
inline constexpr size_t kLayoutBytes = 25160;
inline constexpr size_t kIconBytes = 766;       // the icon in front of the packed layout

struct Save {
  std::string layout;
  int32_t Member(int m, int value) const { return int32_t(Le(layout, kMembersAt + 4 * (128 * m + value), 4)); }
  std::pair<int, int> Stack(size_t table, int slot) const {
    return {int(Le(layout, table + 4 * slot, 2)), int(Le(layout, table + 4 * slot + 2, 2))};
  }
  std::pair<int, int> Equipment(int m, int slot) const { return Stack(kEquipmentAt, 16 * m + slot); }
  std::pair<int, int> Bag(int slot) const { return Stack(kBagAt, slot); }
  std::pair<int, int> Stock(int slot) const { return Stack(kStockAt, slot); }
  int MaterialCount(int n) const { return Stack(kMaterialsAt, n).second; }
  uint32_t Scalar(int n) const { return Le(layout, kScalarsAt + 4 * n, 4); }
  bool Flag(int n) const { return (Le(layout, kFlagsAt + 4 * (n / 32), 4) >> (n % 32)) & 1u; }
  // The saved position: map, x, y.
  std::array<uint32_t, 3> Position() const {
    const size_t at = kJumpPointsAt + 72 * 32;
    return {Le(layout, at, 4), Le(layout, at + 4, 2), Le(layout, at + 6, 2)};
  }
  // Count of an item over the used bag slots.
  int BagCount(int id) const {
    int n = 0;
    for (int s = 0; s < 64; ++s)
      if (Bag(s).first == id) n += Bag(s).second;
    return n;
  }
};

// A slot file: the icon, then the packed layout, unpacked through files in dir.
inline std::optional<Save> ReadSave(const nltest::TempDir& dir, const std::string& file) {
  const std::string bytes = nltest::ReadFileBytes(file);
  if (bytes.size() <= kIconBytes || bytes.compare(0, 4, std::string("\0\0\1\0", 4)) != 0) return std::nullopt;
  const std::string packed = dir.File("packed.bin"), plain = dir.File("plain.bin");
  if (!nltest::WriteFileBytes(packed, bytes.substr(kIconBytes))) return std::nullopt;
  if (game::PackFile(packed, plain, game::kPackFileModeUnpack) != game::kPackFileOk) return std::nullopt;
  Save save{nltest::ReadFileBytes(plain)};
  if (save.layout.size() < kLayoutBytes) return std::nullopt;
  return save;
}

inline bool Logged(const std::string& log, const std::string& line) { return log.find(line) != std::string::npos; }

inline int CountLogged(const std::string& log, const std::string& line) {
  int n = 0;
  for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
  return n;
}

}  // namespace playtest

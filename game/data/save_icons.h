// The icon at the start of every save slot file, so the file shows a picture of the party
// where the system shows file pictures: a 16-byte icon header and one of sixteen 32 x 32
// 16-colour icon images from system\package16.grp.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace game {

inline constexpr int kSaveIconHeaderBytes = 16;
inline constexpr int kSaveIconEntryBytes = 756;  // per icon in package16.grp
inline constexpr int kSaveIconUsedBytes = 750;   // of it, what follows the header
inline constexpr int kSaveIconCount = 16;
inline constexpr int kSaveIconPrefixBytes = kSaveIconHeaderBytes + kSaveIconUsedBytes;  // 766
inline constexpr int kSaveIconFileBytes = kSaveIconCount * kSaveIconEntryBytes;         // 12096
inline constexpr char kSaveIconFile[] = "system\\package16.grp";

// Icon directory (reserved, type 1, one image) and its entry (32 x 32, 16 colours,
// reserved, planes 0, bit count 0, the low half of the image size 744).
inline constexpr std::array<uint8_t, kSaveIconHeaderBytes> kSaveIconHeader = {
    0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x20, 0x20, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE8, 0x02};

class SaveIconPack {
 public:
  // Reads system\package16.grp whole; a missing file leaves every entry zero, a short one
  // the bytes past its end.
  void LoadSaveIcons();
  // Puts the header and icon n (0..15; else nothing) in front of the file's contents.
  // 0, or -1 when the file cannot be read or rewritten whole.
  int AddSaveIcon(std::string_view file, int n) const;
  // Copies source without its first 766 bytes into destination (empty when source is
  // no longer). 0, or -1 when a file cannot be opened or written.
  static int StripSaveIcon(std::string_view source, std::string_view destination);

  const std::array<uint8_t, kSaveIconFileBytes>& Entries() const { return entries_; }

 private:
  std::array<uint8_t, kSaveIconFileBytes> entries_{};  // the 16 entries of package16.grp
};

// The game's one icon pack.
extern SaveIconPack TheSaveIconPack;

}  // namespace game

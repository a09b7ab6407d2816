// The story state of a game: 5120 numbered on/off flags that scripts set and test, that
// choose the active page of map events, and that a save file carries.
//
// Flag n is bit (n mod 32) of word (n / 32), bit 0 the least significant; on file the
// 160 words are stored little-endian, 640 bytes. Flag numbers come from map and script
// data, so every operation checks them: an unknown flag is never set and reads as off.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace game {

inline constexpr int kGameFlagCount = 5120;                        // flags 0..5119
inline constexpr int kGameFlagWordCount = kGameFlagCount / 32;     // u32 words holding them
inline constexpr int kGameFlagFileBytes = kGameFlagWordCount * 4;  // 640 on file

class GameFlags {
 public:
  // Fills the mask table. The flags start off here; a new game clears them anyway.
  GameFlags();

  // All flags off; 0.
  int ClearGameFlags();
  // Sets flag n when on is non-zero, clears it when zero; a flag outside 0..5119 is ignored.
  void SetGameFlag(int n, int on);
  // 1 when flag n is set; 0 when clear or outside 0..5119.
  int TestGameFlag(int n) const;
  // Whether one flag test of a map event page holds. The page word is a signed 16-bit
  // value: > 0 the flag must be set, < 0 flag -value must be clear; 0 ends the list
  // and holds.
  int FlagTestHolds(uint16_t page_word) const;

  // The 640 bytes at the file's position; 0, or -1 when they could not all be written.
  int WriteGameFlags(std::FILE* file) const;
  // The 640 bytes from the file's position; 0, or -1 on a short read, which leaves the
  // flags as they were.
  int ReadGameFlags(std::FILE* file);

 private:
  std::array<uint32_t, kGameFlagWordCount> bits_{};  // the flags, 32 to a word
  std::array<uint32_t, 32> mask_;                    // entry i = 1 << i
};

// The game's one set of flags.
extern GameFlags TheGameFlags;

}  // namespace game

// The chip-set file: the chip image's name, a second name, and 512 chip records (frame
// count, animation period, up to eight cells of the chip image, 17 attribute words).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "game/field/map_file.h"

namespace game {

inline constexpr int kChipNameBytes = 128;
inline constexpr int kChipFrameCount = 8;
inline constexpr int kChipAttributeCount = 17;
inline constexpr int kChipPeriodLimit = 32;  // periods index the 32 animation counters
inline constexpr size_t kChipRecordBytes = 54;
inline constexpr size_t kChipSetFileBytes = 2 * kChipNameBytes + kChipRecordCount * kChipRecordBytes;  // 27,904

// Attribute words the field reads.
inline constexpr int kChipBlocks = 0;     // non-zero: the cell is blocked
inline constexpr int kChipEventMark = 2;  // a chip event on it blocks with pass value 3
inline constexpr int kChipDamage = 3;     // non-zero: a step on it may hurt the party
inline constexpr int kChipGround = 4;     // 1 ladder, 2 no steps counted, 3 counter
inline constexpr int kGroundLadder = 1, kGroundNoSteps = 2, kGroundCounter = 3;

struct ChipRecord {
  uint16_t FrameCount = 0;
  uint16_t Period = 0;
  std::array<uint16_t, kChipFrameCount> Frames{};
  uint16_t Frame = 0;  // current frame, 0 on loading
  std::array<uint16_t, kChipAttributeCount> Attributes{};
};

struct ChipSetImage {
  std::array<char, kChipNameBytes> ImageName{};
  std::array<char, kChipNameBytes> SecondName{};
  std::vector<ChipRecord> Records = std::vector<ChipRecord>(kChipRecordCount);
};

// Reads a chip-set file: empty on success, else why it was refused (shorter than 27,904
// bytes, a frame count above 8, a period of 32 or more, a cell of 1024 or more). Names
// come back NUL-terminated.
std::string ParseChipSet(std::span<const uint8_t> bytes, ChipSetImage& out);
std::vector<uint8_t> SerializeChipSet(const ChipSetImage& set);

}  // namespace game

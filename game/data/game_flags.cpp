#include "game/data/game_flags.h"

namespace game {

GameFlags TheGameFlags;  // the flags of the game in play

namespace {

bool IsFlagNumber(int n) { return n >= 0 && n < kGameFlagCount; }

}  // namespace

GameFlags::GameFlags() {
  uint32_t mask = 1;
  for (uint32_t& m : mask_) {
    m = mask;
    mask <<= 1;
  }
}

int GameFlags::ClearGameFlags() {
  bits_.fill(0);
  return 0;
}

void GameFlags::SetGameFlag(int n, int on) {
  if (!IsFlagNumber(n)) return;
  if (on) {
    bits_[n / 32] |= mask_[n % 32];
  } else {
    bits_[n / 32] &= ~mask_[n % 32];
  }
}

int GameFlags::TestGameFlag(int n) const {
  if (!IsFlagNumber(n)) return 0;
  return (bits_[n / 32] & mask_[n % 32]) != 0 ? 1 : 0;
}

int GameFlags::FlagTestHolds(uint16_t page_word) const {
  int test = static_cast<int16_t>(page_word);
  if (test > 0) return TestGameFlag(test);
  if (test < 0) return TestGameFlag(-test) ? 0 : 1;
  return 1;
}

int GameFlags::WriteGameFlags(std::FILE* file) const {
  std::array<uint8_t, kGameFlagFileBytes> bytes;
  for (int w = 0; w < kGameFlagWordCount; ++w) {
    for (int b = 0; b < 4; ++b) bytes[w * 4 + b] = static_cast<uint8_t>(bits_[w] >> (8 * b));
  }
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : -1;
}

int GameFlags::ReadGameFlags(std::FILE* file) {
  std::array<uint8_t, kGameFlagFileBytes> bytes;
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return -1;
  for (int w = 0; w < kGameFlagWordCount; ++w) {
    uint32_t word = 0;
    for (int b = 0; b < 4; ++b) word |= static_cast<uint32_t>(bytes[w * 4 + b]) << (8 * b);
    bits_[w] = word;
  }
  return 0;
}

}  // namespace game

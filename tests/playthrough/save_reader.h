// The play-throughs' reading of what the real program leaves behind: a save slot file read
// back field by field at the offsets of the save layout, its log searched for lines and
// read for the fights and when they came, and the data tree's tables the fights drew on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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

// The log's lines read "<ms>:<tabs><text>". The milliseconds of the first line from `from`
// on that holds `text`, and where it is; -1 when there is none.
inline std::pair<long, size_t> LogTime(const std::string& log, const std::string& text, size_t from = 0) {
  const size_t at = log.find(text, from);
  if (at == std::string::npos) return {-1, at};
  size_t start = log.rfind('\n', at);
  start = start == std::string::npos ? 0 : start + 1;
  return {std::strtol(log.c_str() + start, nullptr, 10), at};
}

// Frames from the log: under the virtual clock a frame lasts 35 ms, and the shut-down's
// first line comes in the frame after the last one presented (`last_frame`).
inline constexpr int kFrameMs = 35;
inline int FrameAt(const std::string& log, long ms, int last_frame) {
  const long end = LogTime(log, "DirectDraw 関連の終了処理をおこないます").first;
  return last_frame + 1 - static_cast<int>((end - ms) / kFrameMs);
}

// A fight as the log tells it: the group, where a wandering one was met (none for a scripted
// one), when it began and ended, the money found and the purse after it.
struct LoggedFight {
  std::array<int, 8> group{};
  std::optional<std::pair<int, int>> met;
  long begins_ms = -1, ends_ms = -1;
  bool won = false;
  int found = -1;
  long money_after = -1;
};
inline std::vector<LoggedFight> Fights(const std::string& log) {
  std::vector<LoggedFight> fights;
  std::optional<std::pair<int, int>> met;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    const long ms = std::strtol(line.c_str(), nullptr, 10);
    int a = 0, b = 0, c = 0, d = 0, e = 0, f = 0, g = 0, h = 0, map = 0;
    long m = 0;
    if (size_t at = line.find("encounter: map "); at != std::string::npos &&
                                                   std::sscanf(line.c_str() + at, "encounter: map %d at (%d, %d)", &map, &a, &b) == 3) {
      met = std::pair{a, b};
    } else if (size_t at = line.find("battle: begins, enemies "); at != std::string::npos &&
               std::sscanf(line.c_str() + at, "battle: begins, enemies %d %d %d %d %d %d %d %d", &a, &b, &c, &d, &e, &f, &g, &h) == 8) {
      fights.push_back({{a, b, c, d, e, f, g, h}, met, ms});
      met.reset();
    } else if (size_t at = line.find("battle: won, "); at != std::string::npos && !fights.empty() &&
               std::sscanf(line.c_str() + at, "battle: won, %d R found", &a) == 1) {
      fights.back().won = true;
      fights.back().found = a;
    } else if (size_t at = line.find("battle: ends, money "); at != std::string::npos && !fights.empty() &&
               std::sscanf(line.c_str() + at, "battle: ends, money %ld", &m) == 1) {
      fights.back().ends_ms = ms;
      fights.back().money_after = m;
    }
  }
  return fights;
}

// A table of the data tree as the game reads it: words, up to the "---" marker skipped, then
// rows of a number, `names` words and `values` numbers. Rows by their number, or (when
// `by_order`) by their place from 0, as the item table's are.
inline std::map<int, std::vector<int>> TableRows(const std::string& text, int names, int values, bool by_order = false) {
  std::map<int, std::vector<int>> rows;
  std::istringstream words(text);
  std::string w;
  while (words >> w && w.rfind("---", 0) != 0) {
  }
  for (int order = 0; words >> w; ++order) {
    const int number = by_order ? order : std::atoi(w.c_str());
    for (int i = 0; i < names && words >> w; ++i) {
    }
    std::vector<int> row(size_t(values), 0);
    for (int& v : row) {
      if (!(words >> w)) return rows;
      v = std::atoi(w.c_str());
    }
    rows[number] = row;
  }
  return rows;
}

}  // namespace playtest

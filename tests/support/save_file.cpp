#include "tests/support/save_file.h"

#include <cstdio>

#include "game/codec/lz_codec.h"
#include "tests/support/temp_dir.h"

namespace nltest {

using namespace save_layout;

int32_t SavedGame::Member(int m, int word) const { return int32_t(ReadLe(layout, MemberWordAt(m, word), 4)); }
int SavedGame::Status(int m, int n) const { return uint8_t(layout[StatusAt(m, n)]); }
std::pair<int, int> SavedGame::Stack(size_t table, int slot) const {
  const size_t at = StackAt(table, slot);
  return {int(ReadLe(layout, at, 2)), int(ReadLe(layout, at + 2, 2))};
}
std::pair<int, int> SavedGame::Equipment(int m, int slot) const { return Stack(kEquipmentAt, 16 * m + slot); }
std::pair<int, int> SavedGame::Bag(int slot) const { return Stack(kBagAt, slot); }
std::pair<int, int> SavedGame::Stock(int slot) const { return Stack(kStockAt, slot); }
int SavedGame::MaterialCount(int n) const { return Stack(kMaterialsAt, n).second; }
uint32_t SavedGame::HarvestTime(int n) const { return ReadLe(layout, HarvestTimeAt(n), 4); }
uint32_t SavedGame::Scalar(int n) const { return ReadLe(layout, ScalarAt(n), 4); }
std::array<int, 4> SavedGame::MapMark(int n) const {
  const size_t at = MapMarkAt(n);
  return {int(ReadLe(layout, at, 2)), int(ReadLe(layout, at + 2, 2)), int(ReadLe(layout, at + 4, 2)),
          int(ReadLe(layout, at + 6, 2))};
}
std::array<uint32_t, 3> SavedGame::JumpPoint(int n) const {
  const size_t at = JumpPointAt(n);
  return {ReadLe(layout, at, 4), ReadLe(layout, at + 4, 2), ReadLe(layout, at + 6, 2)};
}
bool SavedGame::Flag(int n) const { return (ReadLe(layout, FlagWordAt(n), 4) >> (n % 32)) & 1u; }
int SavedGame::BagCount(int id) const {
  int n = 0;
  for (int s = 0; s < 64; ++s)
    if (Bag(s).first == id) n += Bag(s).second;
  return n;
}

std::string SaveSlotName(int slot) {
  char name[32];
  std::snprintf(name, sizeof name, "save/data%02d.dat.ico", slot);
  return name;
}

std::optional<SavedGame> ReadSave(const std::string& file) {
  const std::string bytes = ReadFileBytes(file);
  if (bytes.size() <= kIconBytes || bytes.compare(0, 4, std::string("\0\0\1\0", 4)) != 0) return std::nullopt;
  const TempDir dir;
  const std::string packed = dir.File("packed.bin"), plain = dir.File("plain.bin");
  if (!WriteFileBytes(packed, std::string_view(bytes).substr(kIconBytes))) return std::nullopt;
  if (game::PackFile(packed, plain, game::kPackFileModeUnpack) != game::kPackFileOk) return std::nullopt;
  SavedGame save{ReadFileBytes(plain)};
  if (save.layout.size() < kLayoutBytes) return std::nullopt;
  return save;
}

int SlotList::Leader(int slot) const { return int(ReadLe(bytes, kSummaryBytes * slot + kSummaryLeaderAt, 2)); }
uint32_t SlotList::Value(int slot, int n) const {
  return ReadLe(bytes, kSummaryBytes * slot + kSummaryValuesAt + 4 * n, 4);
}
uint32_t SlotList::PlaySeconds(int slot) const { return ReadLe(bytes, kSummaryBytes * slot + kSummarySecondsAt, 4); }

std::optional<SlotList> ReadSlotList(const std::string& file) {
  SlotList list{ReadFileBytes(file)};
  if (list.bytes.size() != kSlots * kSummaryBytes) return std::nullopt;
  return list;
}

}  // namespace nltest

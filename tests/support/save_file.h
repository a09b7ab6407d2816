// The save files read back the way the save format lays them out, as a reader of our own
// beside the game's: a slot file is an icon, then the packed game state (unpacked with the
// game's file codec); the slot list holds a summary a slot. The offsets are the format's,
// here and nowhere else in the tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace nltest {

namespace save_layout {

// The unpacked game state, little-endian, one part after another with no gaps.
inline constexpr size_t kNoiseAt = 0;            // 32 noise words, u32
inline constexpr size_t kMembersAt = 128;        // the four party members, 128 i32 each
inline constexpr size_t kStatusAt = 2176;        // status bytes [4][32]
inline constexpr size_t kEquipmentAt = 2304;     // equipment stacks [4][16]
inline constexpr size_t kBagAt = 2560;           // the bag, 256 stacks
inline constexpr size_t kStockAt = 3584;         // the ability stock, 256 stacks
inline constexpr size_t kMaterialsAt = 4608;     // 32 stacks
inline constexpr size_t kHarvestTimesAt = 4736;  // u32[128]
inline constexpr size_t kScalarsAt = 5248;       // u32[128]
inline constexpr size_t kMapMarksAt = 5760;      // 2048 marks: u16 area, x, y, map
inline constexpr size_t kJumpPointsAt = 22144;   // 33 points: u32 area, u16 x, u16 y, 64 name bytes
inline constexpr size_t kFlagsAt = 24520;        // 160 u32: flag n is bit n % 32 of word n / 32
inline constexpr size_t kLayoutBytes = 25160;    // then 0 to 31 of the noise words again

inline constexpr size_t kMemberBytes = 128 * 4;
inline constexpr size_t kStackBytes = 4;  // u16 id, u16 count (or level)
inline constexpr size_t kMapMarkBytes = 8;
inline constexpr size_t kJumpPointBytes = 72;
inline constexpr size_t kFlagsBytes = 160 * 4;
inline constexpr int kSavedPositionPoint = 32;  // the long-jump point that holds where the party stands

static_assert(kStatusAt == kMembersAt + 4 * kMemberBytes && kEquipmentAt == kStatusAt + 4 * 32 &&
              kBagAt == kEquipmentAt + 4 * 16 * kStackBytes && kStockAt == kBagAt + 256 * kStackBytes &&
              kMaterialsAt == kStockAt + 256 * kStackBytes && kHarvestTimesAt == kMaterialsAt + 32 * kStackBytes &&
              kScalarsAt == kHarvestTimesAt + 128 * 4 && kMapMarksAt == kScalarsAt + 128 * 4 &&
              kJumpPointsAt == kMapMarksAt + 2048 * kMapMarkBytes && kFlagsAt == kJumpPointsAt + 33 * kJumpPointBytes &&
              kLayoutBytes == kFlagsAt + kFlagsBytes);

constexpr size_t MemberWordAt(int member, int word) { return kMembersAt + kMemberBytes * member + 4 * word; }
constexpr size_t StatusAt(int member, int n) { return kStatusAt + 32 * member + n; }
constexpr size_t StackAt(size_t table, int slot) { return table + kStackBytes * slot; }
constexpr size_t EquipmentAt(int member, int slot) { return StackAt(kEquipmentAt, 16 * member + slot); }
constexpr size_t HarvestTimeAt(int n) { return kHarvestTimesAt + 4 * n; }
constexpr size_t ScalarAt(int n) { return kScalarsAt + 4 * n; }
constexpr size_t MapMarkAt(int n) { return kMapMarksAt + kMapMarkBytes * n; }
constexpr size_t JumpPointAt(int n) { return kJumpPointsAt + kJumpPointBytes * n; }
constexpr size_t FlagWordAt(int flag) { return kFlagsAt + 4 * (flag / 32); }

// A slot file: a 16-byte icon header and 750 bytes of the icon entry before the packed state.
inline constexpr size_t kIconBytes = 766;

// The slot list, save\nightloom.sav: 16 summaries of 130 bytes.
inline constexpr int kSlots = 16;
inline constexpr size_t kSummaryBytes = 130;
inline constexpr size_t kSummaryLeaderAt = 0;      // u16 member id, 0xFFFF for an empty slot
inline constexpr size_t kSummaryValuesAt = 2;      // u32 x 4: HP, max HP, PP, max PP
inline constexpr size_t kSummarySecondsAt = 18;    // u32 play seconds
inline constexpr size_t kSummaryPlaceAt = 22;      // 64 bytes, Shift-JIS
inline constexpr size_t kSummaryDateAt = 86;       // 36 glyph codes
inline constexpr size_t kSummaryGraphicsAt = 122;  // u16 x 4
static_assert(kSummaryGraphicsAt + 4 * 2 == kSummaryBytes);

}  // namespace save_layout

// The unpacked game state of a save.
struct SavedGame {
  std::string layout;

  int32_t Member(int m, int word) const;
  int Status(int m, int n) const;
  std::pair<int, int> Stack(size_t table, int slot) const;  // id, count
  std::pair<int, int> Equipment(int m, int slot) const;
  std::pair<int, int> Bag(int slot) const;
  std::pair<int, int> Stock(int slot) const;
  int MaterialCount(int n) const;
  uint32_t HarvestTime(int n) const;
  uint32_t Scalar(int n) const;
  std::array<int, 4> MapMark(int n) const;         // area, x, y, map
  std::array<uint32_t, 3> JumpPoint(int n) const;  // area, x, y
  std::array<uint32_t, 3> Position() const { return JumpPoint(save_layout::kSavedPositionPoint); }
  bool Flag(int n) const;
  // The count of an item over the bag's first 64 slots.
  int BagCount(int id) const;
};

// "save/dataNN.dat.ico" for slot n.
std::string SaveSlotName(int slot);
// A slot file read back: nullopt unless it starts with an icon and holds a whole layout.
std::optional<SavedGame> ReadSave(const std::string& file);

// The slot list.
struct SlotList {
  std::string bytes;

  int Leader(int slot) const;             // 0xFFFF for an empty slot
  uint32_t Value(int slot, int n) const;  // HP, max HP, PP, max PP
  uint32_t PlaySeconds(int slot) const;
};
// nullopt unless the file holds the 16 summaries.
std::optional<SlotList> ReadSlotList(const std::string& file);

}  // namespace nltest

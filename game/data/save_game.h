// Saves: the sixteen slot files save\dataNN.dat.ico (an icon, then the packed game state),
// the slot list save\nightloom.sav, and the unpacked layout between them.
//
// Unpacked layout, little-endian, no gaps: 32 noise words; the party part of the game
// data from the members to the last long-jump point (bytes 128-24519); the 640 bytes of
// game flags; then the first k noise words again, k drawn 0..31. Noise makes two saves
// of one state differ.
//
// A save never damages the slot it replaces: the slot and the list are written to files
// of their own beside them and renamed over them only when every step succeeded. A load
// reads into a scratch copy and takes it only when it is whole and its fields are sound.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "game/data/game_data.h"

namespace game {

inline constexpr int kNoiseWords = 32;
inline constexpr int kMaxTrailingNoise = 31;
inline constexpr int kPartyPartOffset = 128;
inline constexpr int kFlagsOffset = 24520;
inline constexpr int kSaveLayoutMinBytes = 25160;  // without the trailing noise
inline constexpr int kSlotSummaryFileBytes = 130;

inline constexpr char kUnpackedSaveFile[] = "save\\HaKr8w.drv";
inline constexpr char kStrippedSaveFile[] = "system\\dsound.drv";
inline constexpr char kSaveFailedMessage[] = "ファイルオープンに＿しっぱい＿しました。";
inline constexpr char kLoadMissingMessage[] = "ファイルが＿ないので＿こまっています。";
inline constexpr char kSavedDateSuffix[] = " にセーブしました。";

// save\dataNN.dat.ico for slot 0..15.
std::string SaveSlotFile(int slot);

// The moment a save is stamped with.
struct SaveClockTime {
  int month, day, hour, minute;
};
using SaveClock = SaveClockTime (*)();
// Replaces the clock (tests); null puts back the local time.
void SetSaveClock(SaveClock clock);
// "MM/DD HH:MM" and the saved-message suffix, Shift-JIS.
std::string SaveDateText(const SaveClockTime& t);

// The unpacked layout of data and the game flags with the given noise.
std::vector<uint8_t> BuildSaveLayout(const GameData& data, std::span<const uint32_t> noise, int trailing_words);
// Reads a layout into data's party part and flag_words; false (data partly written)
// when it is short or a field that indexes a table is out of range.
bool ParseSaveLayout(std::span<const uint8_t> bytes, GameData* data, std::array<uint32_t, 160>* flag_words);

// The 16 summaries in the slot-list file's order (2080 bytes), and back.
std::vector<uint8_t> PackSlotSummaries(std::span<const SaveSlotSummary, kSaveSlots> summaries);
void UnpackSlotSummary(std::span<const uint8_t, kSlotSummaryFileBytes> bytes, SaveSlotSummary* out);

}  // namespace game

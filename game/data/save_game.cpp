// Saving to and loading from the slot files, the slot list and the long-jump points.
#include "game/data/save_game.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "game/codec/glyph_codes.h"
#include "game/codec/lz_codec.h"
#include "game/data/game_flags.h"
#include "game/data/party_field.h"
#include "game/data/save_icons.h"
#include "game/frame/play_timer.h"
#include "platform/fs/fs.h"
#include "platform/timer/timer.h"
#include "vexal/app/log/log_file.h"

namespace game {
namespace {

constexpr char kNewFileSuffix[] = ".new";  // a file being written, renamed over its target
constexpr uint32_t kNoiseWordMax = 65535;
constexpr int kNoiseZeroOdds = 6;  // in 11: a noise word is 0

SaveClockTime LocalClock() {
  const std::time_t now = static_cast<std::time_t>(plat::timer::WallClockSeconds());
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
}

SaveClock save_clock = LocalClock;

bool WriteWholeFile(std::string_view path, std::span<const uint8_t> bytes) {
  std::FILE* file = plat::fs::OpenFile(path, "w+b");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0) ok = false;
  return ok;
}

bool ReadWholeFile(std::string_view path, std::vector<uint8_t>* bytes) {
  std::FILE* file = plat::fs::OpenFile(path, "rb");
  if (file == nullptr) return false;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool RenameOver(std::string_view from, std::string_view to) {
  return std::rename(plat::fs::HostPath(from).c_str(), plat::fs::HostPath(to).c_str()) == 0;
}

// The one rule a slot is held to when it is written and when it is read, so that a save
// the game writes is one it loads: the layout parses whole, every field the game indexes
// with in range, and the field can enter the map the party stands on. Fills scratch and
// flag_words from the layout and opens that map; empty when the slot loads, else why not.
std::string WhyNotLoadable(std::span<const uint8_t> layout, GameData* scratch,
                           std::array<uint32_t, kGameFlagWordCount>* flag_words, MapEntrance* map) {
  if (!ParseSaveLayout(layout, scratch, flag_words)) return "a damaged save";
  const uint32_t area = scratch->LongJumpPoints[kSavedPositionPoint].area;
  *map = OpenFieldMap(static_cast<int>(area));
  if (!*map) return "map " + std::to_string(area) + " cannot be entered";
  return {};
}

}  // namespace

std::string SaveSlotFile(int slot) {
  char name[32];
  std::snprintf(name, sizeof name, "save\\data%02d.dat.ico", slot);
  return name;
}

void SetSaveClock(SaveClock clock) { save_clock = clock != nullptr ? clock : LocalClock; }

std::string SaveDateText(const SaveClockTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", t.month % 100, t.day % 100, t.hour % 100, t.minute % 100);
  return std::string(text) + kSavedDateSuffix;
}

void GameData::RecordLongJumpPoint(int n) {
  if (n < 0 || n >= kLongJumpPoints) return;
  LongJumpPoint& p = LongJumpPoints[n];
  p.area = Scalars[kScalarCurrentMap];
  p.x = static_cast<uint16_t>(FieldPlayerTileX());
  p.y = static_cast<uint16_t>(FieldPlayerTileY());
  p.name.fill('\0');
  CopySjisBounded(FieldMapDisplayName(), p.name);
}

void GameData::ReadSlotSummaries() {
  std::FILE* file = plat::fs::OpenFile(kSlotListFile, "rb");
  if (file == nullptr) return;
  for (SaveSlotSummary& s : SlotSummaries) {
    std::array<uint8_t, kSlotSummaryFileBytes> record;
    if (std::fread(record.data(), 1, record.size(), file) != record.size()) break;
    UnpackSlotSummary(record, &s);
  }
  std::fclose(file);
}

int GameData::SaveGame(int slot) {
  if (slot < 0 || slot >= kSaveSlots) {
    ShowGamePopup(kSaveFailedMessage);
    return -1;
  }
  std::array<uint32_t, kNoiseWords> noise;
  for (uint32_t& word : noise) {
    word = static_cast<uint32_t>(GameRandomUpTo(kNoiseWordMax));
    if (GameRandomUpTo(10) < kNoiseZeroOdds) word = 0;
  }
  // What the save changes in play, put back if it fails.
  const LongJumpPoint old_point = LongJumpPoints[kSavedPositionPoint];
  const uint32_t old_seconds = Scalars[kScalarSavedSeconds];
  const uint32_t old_count = Scalars[kScalarSaveCount];
  RecordLongJumpPoint(kSavedPositionPoint);
  Scalars[kScalarSavedSeconds] = ThePlayTimer.GetPlaySeconds();
  Scalars[kScalarSaveCount] += 1;

  const std::string slot_file = SaveSlotFile(slot);
  const std::string slot_new = slot_file + kNewFileSuffix;
  const std::string list_new = std::string(kSlotListFile) + kNewFileSuffix;
  auto fail = [&] {
    plat::fs::DeleteFile(kUnpackedSaveFile);
    plat::fs::DeleteFile(slot_new);
    plat::fs::DeleteFile(list_new);
    LongJumpPoints[kSavedPositionPoint] = old_point;
    Scalars[kScalarSavedSeconds] = old_seconds;
    Scalars[kScalarSaveCount] = old_count;
    ShowGamePopup(kSaveFailedMessage);
    return -1;
  };

  const std::vector<uint8_t> layout = BuildSaveLayout(*this, noise, GameRandomUpTo(kMaxTrailingNoise));
  {
    // A slot the load would refuse is not written: the one it would replace is kept.
    auto scratch = std::make_unique<GameData>(*this);
    std::array<uint32_t, kGameFlagWordCount> flag_words{};
    MapEntrance map;
    const std::string why = WhyNotLoadable(layout, scratch.get(), &flag_words, &map);
    if (!why.empty()) {
      vexal::LogWriteFmt("save: slot %d refused: %s", slot, why.c_str());
      return fail();
    }
  }
  if (!WriteWholeFile(kUnpackedSaveFile, layout)) return fail();
  const int packed = PackFile(kUnpackedSaveFile, slot_new, kPackFileModePack);
  plat::fs::DeleteFile(kUnpackedSaveFile);
  if (packed != kPackFileOk || TheSaveIconPack.AddSaveIcon(slot_new, slot) != 0) return fail();

  std::array<SaveSlotSummary, kSaveSlots> summaries = SlotSummaries;
  SaveSlotSummary& s = summaries[slot];
  s = SaveSlotSummary{};
  for (const PartyMember& p : Members) {
    if (p[kMemberPresent] == 0) continue;
    s.leader_id = static_cast<uint16_t>(p[kMemberId]);
    s.values = {static_cast<uint32_t>(p[kMemberHp]), static_cast<uint32_t>(p[kMemberMaxHp]),
                static_cast<uint32_t>(p[kMemberPp]), static_cast<uint32_t>(p[kMemberMaxPp])};
    break;
  }
  s.play_seconds = Scalars[kScalarSavedSeconds];
  CopySjisBounded(FieldMapDisplayName(), s.place);
  SjisToGlyphCodes(SaveDateText(save_clock()), s.date);
  for (int m = 0; m < kMemberCount; ++m) {
    s.graphics[m] = Members[m][kMemberPresent] != 0 ? static_cast<uint16_t>(Members[m][kMemberFieldGraphic]) : 0;
  }
  if (!WriteWholeFile(list_new, PackSlotSummaries(summaries))) return fail();

  if (!RenameOver(slot_new, slot_file)) return fail();
  SlotSummaries = summaries;
  if (!RenameOver(list_new, kSlotListFile)) {
    // The slot holds the new save; only the list shown for it is old.
    plat::fs::DeleteFile(list_new);
    ShowGamePopup(kSaveFailedMessage);
    return -1;
  }
  return 0;
}

int GameData::LoadGame(int slot) {
  if (slot < 0 || slot >= kSaveSlots) {
    ShowGamePopup(kLoadMissingMessage);
    return -1;
  }
  const bool stripped = TheSaveIconPack.StripSaveIcon(SaveSlotFile(slot), kStrippedSaveFile) == 0;
  const bool unpacked = stripped && PackFile(kStrippedSaveFile, kUnpackedSaveFile, kPackFileModeUnpack) == kPackFileOk;
  plat::fs::DeleteFile(kStrippedSaveFile);
  if (!unpacked) {
    plat::fs::DeleteFile(kUnpackedSaveFile);
    ShowGamePopup(kLoadMissingMessage);
    return -1;
  }
  std::vector<uint8_t> layout;
  const bool read = ReadWholeFile(kUnpackedSaveFile, &layout);
  plat::fs::DeleteFile(kUnpackedSaveFile);
  if (!read) {
    ShowGamePopup(kSaveFailedMessage);
    return -1;
  }
  GameRandomUpTo(kMaxTrailingNoise);  // the trailing noise run is drawn and ignored

  auto scratch = std::make_unique<GameData>(*this);
  std::array<uint32_t, kGameFlagWordCount> flag_words{};
  // The map is opened before anything is taken, so the party is never left nowhere.
  MapEntrance map;
  const std::string why = WhyNotLoadable(layout, scratch.get(), &flag_words, &map);
  if (!why.empty()) {
    vexal::LogWriteFmt("load: slot %d refused: %s", slot, why.c_str());
    ShowGamePopup(kLoadMissingMessage);
    return -1;
  }
  Members = scratch->Members;
  Status = scratch->Status;
  Equipment = scratch->Equipment;
  ItemBag = scratch->ItemBag;
  AbilityStock = scratch->AbilityStock;
  Materials = scratch->Materials;
  HarvestTimes = scratch->HarvestTimes;
  Scalars = scratch->Scalars;
  MapMarks = scratch->MapMarks;
  LongJumpPoints = scratch->LongJumpPoints;
  for (int n = 0; n < kGameFlagCount; ++n) TheGameFlags.SetGameFlag(n, (flag_words[n / 32] >> (n % 32)) & 1u);

  ThePlayTimer.StartPlayTimer(Scalars[kScalarSavedSeconds]);
  const LongJumpPoint& saved = LongJumpPoints[kSavedPositionPoint];
  map(saved.x, saved.y, 0);
  UpdateFieldEventPages(1);
  return 0;
}

}  // namespace game

#include "game/field/field_map.h"

#include <cstdio>
#include <cstring>

#include "game/codec/lz_codec.h"
#include "game/codec/scrambled_copy.h"
#include "game/data/game_data.h"
#include "game/data/game_flags.h"
#include "game/field/field_graphics.h"
#include "game/field/field_screens.h"
#include "game/text/bitmap_font.h"
#include "platform/fs/fs.h"
#include "vexal/app/log/log_file.h"

namespace game {
namespace {

// Animation periods (page word 6), speeds (6 + movement type), walk chances per 10,000
// (12 + page word 8).
constexpr std::array<int32_t, kMoveTableSize> kMoveTableStart = {2, 3, 6, 14,   24,  -1,  4,  4, 2,
                                                                 1, 1, 0, 1000, 500, 200, 80, 50};
constexpr int kPeriodTable = 0;

// A whole file, or nothing when it cannot be read.
bool ReadWholeFile(std::string_view path, std::vector<uint8_t>& out) {
  std::FILE* f = plat::fs::OpenFile(path, "rb");
  if (f == nullptr) return false;
  out.clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

std::string MapPath(std::string_view name) { return "map\\" + std::string(name); }

// Unpacks and checks "map\" + name into out; false (out unchanged) when it cannot.
bool ReadMapImage(std::string_view name, MapFileImage& out) {
  const int unpacked = PackFile(MapPath(name), kMapTempFile, kPackFileModeUnpack);
  std::vector<uint8_t> bytes;
  // A failed unpack leaves a partial file: it is never read.
  const bool read = unpacked == kPackFileOk && ReadWholeFile(kMapTempFile, bytes);
  plat::fs::DeleteFile(kMapTempFile);
  if (!read) return false;
  const std::string why = ParseMapFile(bytes, out);
  if (!why.empty()) {
    vexal::LogWriteFmt("map %s refused: %s", std::string(name).c_str(), why.c_str());
    return false;
  }
  return true;
}

}  // namespace

Field TheField;

Field::Field() : MoveTable(kMoveTableStart) { BlinkPhase = 1; }

void Field::ResetEventStates() {
  for (EventState& s : States) {
    const int32_t graphic = &s == &States[0] ? s.Graphic : 0;
    s = EventState{};
    s.Graphic = graphic;  // the player's graphic belongs to the party, not to the map
    s.SecondPass = 1;
  }
}

bool Field::LoadMapFile(std::string_view name) {
  if (!map_name_.empty() && name == map_name_) return true;
  auto image = std::make_unique<MapFileImage>();
  if (!ReadMapImage(name, *image)) return false;
  PutMap(name, std::move(*image));
  return true;
}

void Field::PutMap(std::string_view name, MapFileImage&& image) {
  ResetEventStates();
  for (int i = 0; i < kMapLocalFlagCount; ++i) TheGameFlags.SetGameFlag(i, 0);
  GameData& data = TheGameData();
  data.UpdateOwnershipFlags();
  map_name_ = name;
  Map = std::move(image);
  if (Map.header[0] == 1)
    data.Scalars[kScalarFlagWord] |= kFlagWordMarkedMap;
  else
    data.Scalars[kScalarFlagWord] &= ~kFlagWordMarkedMap;

  EventCount = 1;
  for (int i = 0; i < kMapCells; ++i) Map.planes[2 * size_t{kMapCells} + i] = 0;
  for (int e = 0; e < kMapEventCount; ++e) {
    const MapEventPage& p0 = Map.events[e][0];
    if (p0[kPageX] == kEmptyEventX) continue;
    Map.Cell(2, p0[kPageX], p0[kPageY]) = uint16_t(e);  // checked below 256 by ParseMapFile
    EventCount = e + 1;
  }
  UpdateEventPages(1);
  LoadChipSet(MapPath(Map.strings[0].data()));
  LoadMapScript(MapPath(Map.strings[2].data()));
  BuildPassGrid();
  const std::string_view shown(Map.strings[1].data());
  DisplayGlyphs.assign(shown.size() + 1, 0);
  SjisToGlyphCodes(shown, DisplayGlyphs);
  display_name_ = shown;
}

void Field::LoadChipSet(std::string_view path) {
  if (path == chip_set_path_) return;
  chip_set_path_ = path;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return;
  const std::string why = ParseChipSet(bytes, Chips);
  if (!why.empty()) {
    vexal::LogWriteFmt("chip set %s refused: %s", std::string(path).c_str(), why.c_str());
    return;
  }
  ReloadChipCells(std::string("img\\") + Chips.ImageName.data());
}

void Field::LoadMapScript(std::string_view path) {
  const int copied = XorCopyFile(path, kScriptTempFile);
  std::vector<uint8_t> bytes;
  const bool read = copied == 0 && ReadWholeFile(kScriptTempFile, bytes);
  plat::fs::DeleteFile(kScriptTempFile);
  if (!read) return;
  if (bytes.size() > kMapScriptBytes - 2) {
    vexal::LogWriteFmt("script %s refused: larger than its buffer", std::string(path).c_str());
    return;
  }
  // An empty file has no buffer to copy from.
  if (!bytes.empty()) std::memcpy(MapScriptText.get(), bytes.data(), bytes.size());
  MapScriptText[bytes.size()] = '*';
  MapScriptText[bytes.size() + 1] = 0;
  MapScriptLength = bytes.size() + 1;
}

bool Field::PagePasses(int e, int p) const {
  const MapEventPage& page = Map.events[e][p];
  if (page[kPageFirstTest] == 0) return p == 0 || page[kPageGraphic] != 0 || page[kPageDirection] != 0;
  for (int t = 0; t < kPageTestCount; ++t) {
    const uint16_t test = page[kPageFirstTest + t];
    if (test == 0) break;
    if (TheGameFlags.FlagTestHolds(test) == 0) return false;
  }
  return true;
}

void Field::UpdateEventPages(int reset) {
  last_event_page_reset_ = reset;
  for (int e = 0; e < EventCount; ++e)
    for (int p = kEventPageCount - 1; p >= 0; --p)
      if (PagePasses(e, p)) {
        ApplyEventPage(e, p, reset);
        break;
      }
}

void Field::ApplyEventPage(int e, int page, int reset) {
  EventState& s = States[e];
  if (e == 0) {
    s.Graphic = int32_t(TheGameData().Scalars[kScalarLeaderGraphic]);
    return;
  }
  const MapEventPage& w = Map.events[e][page];
  if (reset != 0) {
    s.X = int16_t(Map.events[e][0][kPageX]);
    s.Y = int16_t(Map.events[e][0][kPageY]);
    s.SubX = s.SubY = s.Dx = s.Dy = 0;
    s.AnimCounter = s.AnimFrame = 0;
    s.Visible = 1;
    s.Moving = 0;
  }
  s.Fixed = w[kPageFixed];
  s.Graphic = w[kPageGraphic];
  s.Direction = int16_t(w[kPageDirection]);
  s.Period = int16_t(MoveTable[kPeriodTable + w[kPagePeriod]]);  // index checked at load
  s.MoveType = int16_t(w[kPageMoveType]);
  s.WalkChance = int16_t(w[kPageWalkChance]);
  s.NoCollision = w[kPageNoCollision];
  s.AreaLowX = int16_t(w[kPageAreaLowX]);
  s.AreaLowY = int16_t(w[kPageAreaLowY]);
  s.AreaHighX = int16_t(w[kPageAreaHighX]);
  s.AreaHighY = int16_t(w[kPageAreaHighY]);
  s.SecondPass = int16_t(w[kPageSecondPass]);
  s.Blink = int16_t(w[kPageBlink]);
  s.Word16 = int16_t(w[kPageWord16]);
  s.Activation = w[kPageActivation];
  s.Block = w[kPageBlock];
  s.MovingCounter = 0;
}

void Field::PlacePlayer(int x, int y, int direction) {
  // Positions from scripts and saves are checked like a step: the map holds 0..255.
  if (x >= 0 && x < kMapSize && y >= 0 && y < kMapSize) SetPlayerTile(x, y);
  if (direction >= 0 && direction <= 3) States[0].Direction = int16_t(direction);
}

std::optional<MapEntry> Field::OpenMap(int n) const {
  if (n < 0 || n >= kMapCount) return std::nullopt;
  const auto& listed = TheGameData().MapList[n];
  MapEntry entry{n, std::string(listed.data(), strnlen(listed.data(), listed.size())), nullptr};
  if (entry.name.empty()) return std::nullopt;
  if (entry.name == map_name_) return entry;
  entry.image = std::make_unique<MapFileImage>();
  if (!ReadMapImage(entry.name, *entry.image)) return std::nullopt;
  return entry;
}

void Field::EnterMap(MapEntry entry, int x, int y, int direction) {
  FieldClearScriptParams();
  if (entry.image != nullptr) PutMap(entry.name, std::move(*entry.image));
  PlacePlayer(x, y, direction);
  TheGameData().Scalars[kScalarCurrentMap] = static_cast<uint32_t>(entry.map);
  ClearFieldEffects();
  ArmScreenBreak();
  StartScriptBegun = 0;
  LoadMapMarks();
  FieldResetPlayerMotion();
}

bool Field::EnterMap(int n, int x, int y, int direction) {
  std::optional<MapEntry> entry = OpenMap(n);
  if (!entry) return false;
  EnterMap(std::move(*entry), x, y, direction);
  return true;
}

void ResetField() { TheField = Field(); }

}  // namespace game

// The field's map side: the loaded map (planes, header, events, strings), its chip set
// and script text, the per-event states chosen by flag-dependent pages, and entering a
// map. The field frame and the script engine work on this one global object.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/field/chip_set.h"
#include "game/field/map_file.h"

namespace game {

inline constexpr int kMapLocalFlagCount = 300;                    // flags 0-299 belong to the map visited
inline constexpr size_t kMapScriptBytes = 640000;                 // script text buffer
inline constexpr char kMapTempFile[] = "map\\u8wh4kf.map";        // unpacked map, deleted after reading
inline constexpr char kScriptTempFile[] = "system\\ddraw9x.ocx";  // plain script, deleted after reading
inline constexpr int kMoveTableSize = 17;

// Field ESP kinds (the leader's member id).
inline constexpr int kFieldEspBreak = 0;      // the "+3" block of the event in front
inline constexpr int kFieldEspJump = 1;       // a jump over the blocked cells ahead
inline constexpr int kFieldEspTelepathy = 3;  // the continuous ESP (field effect 2) on or off
inline constexpr int kJumpScanCells = 9;      // cells looked at ahead of the jumper
inline constexpr int kJumpSpeed = 4;          // sub-units a frame: four frames a cell

struct EventState {
  uint8_t Visible = 0;
  int16_t X = 0, Y = 0;
  int16_t SubX = 0, SubY = 0;
  int16_t Dx = 0, Dy = 0;
  uint8_t AnimCounter = 0, AnimFrame = 0;
  int16_t AreaLowY = 0, AreaHighX = 0, AreaHighY = 0, AreaLowX = 0;
  int32_t Fixed = 0;
  int32_t Graphic = 0;
  int16_t Word16 = 0;
  int16_t MoveType = 0, WalkChance = 0;
  int16_t Direction = 0;
  int16_t Period = 0;
  int16_t SecondPass = 0, Blink = 0;
  int32_t NoCollision = 0;  // page word 9
  int32_t Block = 0;
  int32_t Activation = 0;
  int16_t MovingCounter = 0;
  uint8_t Moving = 0;
};

// A map made ready to enter: read and checked, or the map already in place.
struct MapEntry {
  int map = -1;                         // its number in the map list
  std::string name;                     // its file name
  std::unique_ptr<MapFileImage> image;  // null: the map in place, not read again
};

class Field {
 public:
  Field();
  virtual ~Field() = default;
  Field(Field&&) = default;
  Field& operator=(Field&&) = default;

  // Map n ready to enter: the map in place, or its file read and checked. Empty when the
  // field cannot enter it (no name in the map list, a file that does not read or is
  // refused). Changes nothing.
  std::optional<MapEntry> OpenMap(int n) const;
  bool CanEnterMap(int n) const { return OpenMap(n).has_value(); }
  // Puts an opened map in place (flags 0-299 cleared when it is not the map already
  // there), places the player at tile (x, y) facing direction and makes it the current map.
  void EnterMap(MapEntry entry, int x, int y, int direction);
  // OpenMap, then EnterMap; false, with nothing changed, when map n cannot be entered.
  // The party is never left on a map the field could not read: a save made there would
  // not load.
  bool EnterMap(int n, int x, int y, int direction);
  // Reads "map\" + name unless it is the loaded map; false, with nothing changed, when it
  // cannot be read.
  bool LoadMapFile(std::string_view name);
  void LoadChipSet(std::string_view path);
  void LoadMapScript(std::string_view path);
  // Chooses every event's page again; reset 1 puts events back at their file positions.
  void UpdateEventPages(int reset);
  void ApplyEventPage(int event, int page, int reset);
  void ResetEventStates();
  // Whether page p of event e passes its flag tests.
  bool PagePasses(int e, int p) const;

  // Player and map values the game data reads and sets.
  std::string_view MapDisplayName() const { return display_name_; }
  void SetMapDisplayName(std::string_view sjis) { display_name_ = sjis; }
  int PlayerTileX() const { return States[0].X; }
  int PlayerTileY() const { return States[0].Y; }
  int PlayerDirection() const { return States[0].Direction; }
  void SetPlayerTile(int x, int y) { States[0].X = int16_t(x), States[0].Y = int16_t(y); }
  void PlacePlayer(int x, int y, int direction);
  int PlayerGraphic() const { return States[0].Graphic; }
  void SetPlayerGraphic(int graphic) { States[0].Graphic = graphic; }
  int StepDamage() const { return step_damage_; }
  void SetStepDamage(int d) { step_damage_ = d; }
  int PartyWipedOut() const { return party_wiped_out_; }
  void SetPartyWipedOut(int on) { party_wiped_out_ = on; }
  int LastEventPageReset() const { return last_event_page_reset_; }
  const std::string& LoadedMapName() const { return map_name_; }
  const std::string& LoadedChipSetPath() const { return chip_set_path_; }
  void ForgetMapName() { map_name_.clear(); }

  uint16_t Chip(int x, int y) const { return Map.Cell(0, x, y); }
  const ChipRecord& ChipAt(int x, int y) const { return Chips.Records[Chip(x, y)]; }

  MapFileImage Map;
  int EventCount = 1;
  std::vector<EventState> States = std::vector<EventState>(kMapEventCount);
  ChipSetImage Chips;
  std::unique_ptr<char[]> MapScriptText = std::make_unique<char[]>(kMapScriptBytes);
  size_t MapScriptLength = 0;
  std::array<int32_t, kMoveTableSize> MoveTable{};
  std::vector<uint8_t> DisplayGlyphs;  // the display name in glyph codes
  int StartScriptBegun = 0;
  int BlinkPhase = 1;
  std::array<int32_t, 4> ScriptParams{};  // screen tint set by the script

  // The field frame's state (field_frame.cpp, field_move.cpp).
  struct FieldEffect {
    uint16_t Timer = 0;
    int16_t X = 0, Y = 0;
  };
  struct MapMarkView {
    int16_t X = -1, Y = -1, Kind = -1;
  };
  static constexpr int kFieldEffectCount = 64;
  static constexpr int kActiveLimit = 64;
  std::array<FieldEffect, kFieldEffectCount> Effects{};
  std::array<MapMarkView, 64> MapMarks{};
  std::array<int, kActiveLimit> Active{};
  int ActiveCount = 0;
  int ActiveCountdown = 0;
  std::array<uint8_t, 32> AnimCounters{};
  std::vector<uint8_t> PassGrid = std::vector<uint8_t>(kMapCells);       // [y][x]
  std::vector<uint8_t> OccupancyGrid = std::vector<uint8_t>(kMapCells);  // [y][x]
  std::array<int, 2 * kActiveLimit> TaggedCells{};                       // the occupancy cells set, to clear them
  int TaggedCount = 0;
  uint8_t Conversation = 0;
  int32_t TeleportState = 0;
  int32_t OverlayMode = 0;
  int32_t Heading = -1, LastWalkDirection = -1;
  double CameraX = 0, CameraY = 0, Lead = 0, LeadStep = 0, EaseSpeed = 0.12;
  int MenuRequest = 0;
  uint32_t FrameCount = 0;
  int32_t JumpFrames = 0;  // length of the jump under way (TeleportState counts its frames)

  void BuildPassGrid();
  void BuildEventGrid();
  void TickEventSteps();
  void UpdatePlayer();
  void MoveRandomWalkers();
  void TickFieldAnimation();
  void TickEventAnimation();
  void CheckFieldContact();
  void UpdateFieldCamera();
  void DrawField();
  void DrawFieldOverlay();
  // The events DrawField draws around camera cell (cx, cy), in drawing order.
  std::vector<int> DrawOrder(int cx, int cy) const;
  // One field frame: movement, triggers, camera, drawing and the script's lines.
  void FieldFrame();
  int FindEventInFront(int activation) const;
  void TryStep(int actor);
  void StopActor(int actor);
  void PickWalkDirection(int actor);
  void FieldStartActorStep(int actor, int direction, int speed_index);
  // Button 6: the selected field ESP.
  void UseFieldEsp();
  // The jump ESP; false (nothing changes) when there is no landing cell within range.
  bool StartJump();
  // Cells the leader can jump: 2 to 5 by ESP level.
  int JumpRange() const;
  void StartFieldEffect(int slot, int duration);
  void ClearFieldEffects() { Effects = {}; }
  void LoadMapMarks();
  void FieldResetPlayerMotion();
  void FieldSetScriptParams(int a, int b, int c, int d) { ScriptParams = {a, b, c, d}; }
  void FieldClearScriptParams() { ScriptParams = {}; }
  // Whether (x, y) is a cell of the map.
  static bool OnMap(int x, int y) { return x >= 0 && x < kMapSize && y >= 0 && y < kMapSize; }

 private:
  // Puts a read map in place as the map file name: the map-local state of the old one is
  // reset, the new one's pages, chip set, script and name taken.
  void PutMap(std::string_view name, MapFileImage&& image);

  std::string map_name_;  // the map in place, read and checked; empty before the first
  std::string chip_set_path_;
  std::string display_name_;  // Shift-JIS
  int step_damage_ = 0;
  int party_wiped_out_ = 0;
  int last_event_page_reset_ = -1;
};

// The game's one field.
extern Field TheField;
// Forgets the map and chip-set names so the next entry reads them again.
void ResetField();

}  // namespace game

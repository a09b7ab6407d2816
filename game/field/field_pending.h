// A stand-in for the field, holding only what the game data's saves, loads and party
// operations ask of it: entering a map, the event pages, the map's display name, the
// player's tile and graphic, the step damage and the party-wiped-out flag. The field
// proper replaces this file.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace game {

class Field {
 public:
  virtual ~Field() = default;

  // Loads map n (its flags 0-299 cleared when the map file differs from the loaded
  // one), places the player at tile (x, y) facing direction and makes n the current map.
  void EnterMap(int n, int x, int y, int direction);
  // Chooses every event's page again; reset 1 puts events back at their file positions.
  void UpdateEventPages(int reset);

  std::string_view MapDisplayName() const { return display_name_; }
  void SetMapDisplayName(std::string_view sjis) { display_name_ = sjis; }
  int PlayerTileX() const { return player_x_; }
  int PlayerTileY() const { return player_y_; }
  int PlayerDirection() const { return player_direction_; }
  void SetPlayerTile(int x, int y) { player_x_ = x, player_y_ = y; }
  int PlayerGraphic() const { return player_graphic_; }
  void SetPlayerGraphic(int graphic) { player_graphic_ = graphic; }
  int StepDamage() const { return step_damage_; }
  void SetStepDamage(int d) { step_damage_ = d; }
  int PartyWipedOut() const { return party_wiped_out_; }
  void SetPartyWipedOut(int on) { party_wiped_out_ = on; }
  int LastEventPageReset() const { return last_event_page_reset_; }
  const std::string& LoadedMapName() const { return loaded_map_name_; }

 private:
  bool map_loaded_ = false;
  std::string loaded_map_name_;  // map file of the loaded map
  std::string display_name_;     // Shift-JIS
  int player_x_ = 0, player_y_ = 0, player_direction_ = 0;
  int player_graphic_ = 0;
  int step_damage_ = 0;
  int party_wiped_out_ = 0;
  int last_event_page_reset_ = -1;  // argument of the last UpdateEventPages, -1 none
};

// The game's one field.
extern Field TheField;
// Back to a field with no map.
void ResetField();

}  // namespace game

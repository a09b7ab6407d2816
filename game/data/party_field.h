// The field the party stands on, as the game state and the menu see it: the map's display
// name, the player's tile, and the move onto a map. The field lies above them, so
// game/entry hands it over at start-up (field_wiring.cpp), as it hands the battle its
// services; tests give their own. With none set there is no map (no name, tile (0, 0)),
// none can be entered and no page is chosen.
#pragma once

#include <functional>
#include <string_view>

namespace game {

// How to enter a map the field has made ready: the player at tile (x, y) facing direction.
// Empty when the field cannot enter the map.
using MapEntrance = std::function<void(int x, int y, int direction)>;

struct PartyFieldHooks {
  std::string_view (*map_display_name)() = nullptr;  // Shift-JIS
  int (*player_tile_x)() = nullptr;
  int (*player_tile_y)() = nullptr;
  // Map n read and checked, or the map already in place; nothing changes until the
  // entrance is used, so a map the field cannot read is never entered.
  MapEntrance (*open_map)(int map) = nullptr;
  // Chooses every event's page again; reset 1 puts events back at their file positions.
  void (*update_event_pages)(int reset) = nullptr;
};
void SetPartyFieldHooks(PartyFieldHooks hooks);

std::string_view FieldMapDisplayName();
int FieldPlayerTileX();
int FieldPlayerTileY();
MapEntrance OpenFieldMap(int map);
void UpdateFieldEventPages(int reset);

}  // namespace game

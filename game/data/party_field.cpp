// The field as the game state sees it, through the hooks game/entry fills in.
#include "game/data/party_field.h"

namespace game {
namespace {

PartyFieldHooks hooks;  // null members: no field

}  // namespace

void SetPartyFieldHooks(PartyFieldHooks h) { hooks = h; }

std::string_view FieldMapDisplayName() {
  return hooks.map_display_name ? hooks.map_display_name() : std::string_view();
}
int FieldPlayerTileX() { return hooks.player_tile_x ? hooks.player_tile_x() : 0; }
int FieldPlayerTileY() { return hooks.player_tile_y ? hooks.player_tile_y() : 0; }
MapEntrance OpenFieldMap(int map) { return hooks.open_map ? hooks.open_map(map) : MapEntrance(); }
void UpdateFieldEventPages(int reset) {
  if (hooks.update_event_pages) hooks.update_event_pages(reset);
}

}  // namespace game

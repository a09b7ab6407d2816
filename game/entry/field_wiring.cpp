// The field's ties: the game state reads the map and the player's tile and moves the party
// onto maps through it, the menu hands the party back to it and draws its character
// pictures, and the field opens the battle, the menu's screens and the title.
#include "game/entry/field_wiring.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <span>

#include "game/battle/battle.h"
#include "game/data/party_field.h"
#include "game/entry/title_screen.h"
#include "game/field/field_graphics.h"
#include "game/field/field_map.h"
#include "game/field/field_screens.h"
#include "game/menu/field_menu.h"

namespace game {
namespace {

// Copies what the caller gave into a fixed block, zeros after it.
template <size_t N>
std::array<int32_t, N> Block(std::span<const int32_t> values) {
  std::array<int32_t, N> block{};
  std::copy_n(values.begin(), std::min(values.size(), N), block.begin());
  return block;
}

MapEntrance OpenMap(int map) {
  std::optional<MapEntry> entry = TheField.OpenMap(map);
  if (!entry) return {};
  // The entrance is copied around as a std::function, the opened map is not.
  return [opened = std::make_shared<MapEntry>(std::move(*entry))](int x, int y, int direction) {
    TheField.EnterMap(std::move(*opened), x, y, direction);
  };
}

}  // namespace

void WireField() {
  PartyFieldHooks party;
  party.map_display_name = [] { return TheField.MapDisplayName(); };
  party.player_tile_x = [] { return TheField.PlayerTileX(); };
  party.player_tile_y = [] { return TheField.PlayerTileY(); };
  party.open_map = OpenMap;
  party.update_event_pages = [](int reset) { TheField.UpdateEventPages(reset); };
  SetPartyFieldHooks(party);

  MenuFieldHooks menu;
  menu.return_to_field = [] {
    TheField.UpdateEventPages(0);
    TheField.BuildPassGrid();
  };
  menu.character_frames = [] { return std::span<const int>(TheFieldGraphics.CharacterFrames); };
  SetMenuFieldHooks(menu);

  FieldScreenHooks screens;
  screens.start_battle = [](std::span<const int32_t> battle_values, int group, std::span<const int32_t> list) {
    const auto enemies = Block<kBattleEnemies>(battle_values);
    const auto setup = Block<kBattleSetupWords>(list);
    EnterBattle(enemies, group, setup);
  };
  screens.open_shop = [](std::span<const int32_t> goods) { OpenShopScreen(Block<kGoodsCount>(goods)); };
  screens.open_concoction = OpenConcoctionScreen;
  screens.open_menu = OpenFieldMenu;
  screens.enter_title = [] { TheTitleScreen.EnterTitle(); };
  SetFieldScreenHooks(screens);
}

}  // namespace game

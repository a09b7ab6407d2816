// What the title calls of the field, counted so the title can be run and watched.
#pragma once

#include <array>
#include <optional>

#include "game/field/field_map.h"

namespace game {

// The calls as the title makes them; each moves to its owner's real call.
namespace title_pending {

// Calls the stand-ins have seen, for tests.
struct CallRecord {
  int map_entries = 0;                 // EnterMap
  std::array<int, 4> last_map{};       // its map, x, y, direction
};
extern CallRecord Calls;

// Map n read afresh for a new game: the map last played is forgotten first, so a new
// game on it takes its pages again. Empty when the field cannot enter it.
std::optional<MapEntry> OpenMap(int map);

// The field enters the opened map with the player at (x, y) facing direction, which arms
// the screen break. Counted for tests.
void EnterMap(MapEntry entry, int x, int y, int direction);

// Back to the state at load, for tests.
void ResetCalls();

}  // namespace title_pending
}  // namespace game

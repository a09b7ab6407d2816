// What the title calls of the field, counted so the title can be run and watched.
#pragma once

#include <array>

namespace game {

// The calls as the title makes them; each moves to its owner's real call.
namespace title_pending {

// Calls the stand-ins have seen, for tests.
struct CallRecord {
  int map_entries = 0;                 // EnterMap
  std::array<int, 4> last_map{};       // its map, x, y, direction
};
extern CallRecord Calls;

// The field enters map n with the player at (x, y) facing direction (forgetting the map
// last played), which arms the screen break. Counted for tests.
void EnterMap(int map, int x, int y, int direction);

// Back to the state at load, for tests.
void ResetCalls();

}  // namespace title_pending
}  // namespace game

// What the title calls of the field and of the load list, counted so the title can be run
// and watched. The load list is a stand-in until the menus come: it is cancelled at once.
#pragma once

#include <array>

namespace game {

// The calls as the title makes them; each moves to its owner's real call.
namespace title_pending {

// Calls the stand-ins have seen, for tests.
struct CallRecord {
  int map_entries = 0;                 // EnterMap
  std::array<int, 4> last_map{};       // its map, x, y, direction
  int load_lists = 0;                  // OpenMenu
  std::array<int, 2> last_menu{};      // its page and mode
};
extern CallRecord Calls;

// The field enters map n with the player at (x, y) facing direction (forgetting the map
// last played), which arms the screen break. Counted for tests.
void EnterMap(int map, int x, int y, int direction);
// The field menu opens a page in a mode (20, 6: the load list). Stand-in: the list is
// cancelled at once, which sends the game back to the title.
void OpenMenu(int page, int mode);

// Back to the state at load, for tests.
void ResetCalls();

}  // namespace title_pending
}  // namespace game

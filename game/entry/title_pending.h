// What the title calls of components that are not part of the program yet: the first map
// of a new game, and the load list. Each stand-in does the least its caller needs and
// counts its calls, so the title can be run and watched; the real calls replace these one
// by one.
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

// The field enters map n with the player at (x, y) facing direction, which arms the
// screen break. Stand-in: counted, and the break armed, so the wipe is seen to its end.
void EnterMap(int map, int x, int y, int direction);
// The field menu opens a page in a mode (20, 6: the load list). Stand-in: the list is
// cancelled at once, which sends the game back to the title.
void OpenMenu(int page, int mode);

// Back to the state at load, for tests.
void ResetCalls();

}  // namespace title_pending
}  // namespace game

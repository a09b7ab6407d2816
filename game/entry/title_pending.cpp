// Stand-ins for the field and the load list, as the title calls them.
#include "game/entry/title_pending.h"

#include "game/entry/frame_loop.h"
#include "game/entry/screen_wipe.h"

namespace game::title_pending {

CallRecord Calls;  // what the stand-ins were asked

void EnterMap(int map, int x, int y, int direction) {
  ++Calls.map_entries;
  Calls.last_map = {map, x, y, direction};
  TheScreenWipe.ArmScreenBreak();
}

void OpenMenu(int page, int mode) {
  ++Calls.load_lists;
  Calls.last_menu = {page, mode};
  GameMode = MODE_TITLE;
}

void ResetCalls() {
  Calls = CallRecord{};
}

}  // namespace game::title_pending

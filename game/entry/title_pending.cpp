// The title's calls into the field, counted for tests.
#include "game/entry/title_pending.h"

#include "game/entry/frame_loop.h"
#include "game/field/field_map.h"
#include "game/field/field_screens.h"

namespace game::title_pending {

CallRecord Calls;  // what the stand-ins were asked

void EnterMap(int map, int x, int y, int direction) {
  ++Calls.map_entries;
  Calls.last_map = {map, x, y, direction};
  // A new game on the map last played must load its pages again.
  ForgetFieldMap();
  TheField.EnterMap(map, x, y, direction);
}

void ResetCalls() {
  Calls = CallRecord{};
}

}  // namespace game::title_pending

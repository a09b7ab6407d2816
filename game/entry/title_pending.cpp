// The title's calls into the field, counted for tests.
#include "game/entry/title_pending.h"

namespace game::title_pending {

CallRecord Calls;  // what the stand-ins were asked

std::optional<MapEntry> OpenMap(int map) {
  TheField.ForgetMapName();
  return TheField.OpenMap(map);
}

void EnterMap(MapEntry entry, int x, int y, int direction) {
  ++Calls.map_entries;
  Calls.last_map = {entry.map, x, y, direction};
  TheField.EnterMap(std::move(entry), x, y, direction);
}

void ResetCalls() {
  Calls = CallRecord{};
}

}  // namespace game::title_pending

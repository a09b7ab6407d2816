#include "game/field/field_pending.h"

#include "game/data/game_data.h"
#include "game/data/game_flags.h"

namespace game {
namespace {

constexpr int kMapLocalFlags = 300;  // flags 0-299 belong to the map being visited

}  // namespace

Field TheField;

void Field::EnterMap(int n, int x, int y, int direction) {
  GameData& data = TheGameData();
  const std::string name = n >= 0 && n < kMapCount ? std::string(data.MapList[n].data()) : std::string();
  if (!map_loaded_ || name != loaded_map_name_) {
    for (int i = 0; i < kMapLocalFlags; ++i) TheGameFlags.SetGameFlag(i, 0);
    data.UpdateOwnershipFlags();
    loaded_map_name_ = name;
    map_loaded_ = true;
  }
  player_x_ = x;
  player_y_ = y;
  player_direction_ = direction;
  data.Scalars[kScalarCurrentMap] = static_cast<uint32_t>(n);
}

void Field::UpdateEventPages(int reset) { last_event_page_reset_ = reset; }

void ResetField() { TheField = Field(); }

}  // namespace game

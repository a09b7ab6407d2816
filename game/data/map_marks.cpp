// Visited positions for the map screen: a ring of 2048 marks, one of them the end marker,
// in which the newest mark overwrites the oldest.
#include <cstdint>
#include <cstdlib>

#include "game/data/game_data.h"

namespace game {

void GameData::AddMapMark(int x, int y, int area, int map) {
  // Marks hold 16-bit positions; they are compared as stored.
  const int cx = static_cast<int16_t>(x >> 2), cy = static_cast<int16_t>(y >> 2);
  for (const MapMark& m : MapMarks) {
    if (m.area == static_cast<uint16_t>(area) && m.map == static_cast<uint16_t>(map) &&
        std::abs(static_cast<int16_t>(m.x) - cx) <= 1 && std::abs(static_cast<int16_t>(m.y) - cy) <= 1) {
      return;
    }
  }
  for (int i = 0; i < kMapMarkCount; ++i) {
    if (MapMarks[i].area != kMapMarkEnd) continue;
    MapMarks[(i + 1) % kMapMarkCount].area = kMapMarkEnd;
    MapMarks[i] = {static_cast<uint16_t>(area), static_cast<uint16_t>(cx), static_cast<uint16_t>(cy),
                   static_cast<uint16_t>(map)};
    return;
  }
  MapMarks[0].area = kMapMarkEnd;
}

}  // namespace game

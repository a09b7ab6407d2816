// The enemies of the next random battle, drawn from the current map's encounter group.
#include <algorithm>

#include "game/data/game_data.h"

namespace game {
namespace {

constexpr int kMaxGroupSize = 5;
constexpr uint32_t kPoorMoney = 300;  // below it a lone member meets single enemies
constexpr int kOddsOfPartySize = 35;  // in 101: the group matches the party's size
constexpr uint32_t kBossMap = 53;
constexpr int kBossMapMinSize = 5;
constexpr uint32_t kBossMapEnemy = 38;
constexpr int kCandidates = 5;

// Candidate indexes of each list, by pattern (2-5) and kinds; a kinds value with no row
// of its own uses the last row of its pattern.
struct ListRow {
  int pattern, kinds;
  int length;
  int picks[kMaxGroupSize];
};
constexpr ListRow kListRows[] = {
    {2, 2, 2, {0, 1}},          {2, 0, 2, {0, 0}},          {3, 3, 3, {0, 1, 2}},       {3, 2, 3, {0, 1, 1}},
    {3, 0, 3, {0, 0, 0}},       {4, 4, 4, {0, 1, 2, 3}},    {4, 3, 4, {0, 1, 1, 2}},    {4, 2, 4, {0, 0, 1, 1}},
    {4, 0, 4, {0, 0, 0, 0}},    {5, 5, 5, {0, 1, 2, 3, 4}}, {5, 4, 5, {0, 1, 1, 1, 1}}, {5, 3, 5, {0, 0, 1, 2, 2}},
    {5, 2, 5, {0, 1, 3, 1, 2}}, {5, 0, 5, {0, 0, 0, 0, 0}},
};

}  // namespace

void GameData::BuildEncounter() {
  EncounterList.fill(0);
  const int n = PresentMemberCount();
  int size = GameRandomUpTo(n + 1) + 1;
  const int r = GameRandomUpTo(100);
  int pattern;
  bool lone_and_poor = false;
  if (r < kOddsOfPartySize) {
    size = pattern = n;
  } else {
    pattern = size;
    if (Scalars[kScalarMoney] < kPoorMoney && n < 2 && size >= 3) {
      size = pattern = 1;
      lone_and_poor = true;
    }
  }
  if (!lone_and_poor) {
    size = std::min(size, kMaxGroupSize);
    pattern = std::min(pattern, kMaxGroupSize);
  }
  const uint32_t map = Scalars[kScalarCurrentMap];
  if (map == kBossMap && size <= 3) size = pattern = kBossMapMinSize;
  const int kinds = GameRandomUpTo(std::max(size - 1, 0)) + 1;

  if (map >= static_cast<uint32_t>(kMapCount)) return;
  const EncounterGroup& row = EncounterGroups[map];
  const int length = static_cast<int>(std::find(row.begin(), row.end(), 0u) - row.begin());
  if (length == 0) return;
  uint32_t candidates[kCandidates];
  for (uint32_t& c : candidates) c = row[GameRandomUpTo(length - 1)];

  const ListRow* chosen = nullptr;
  for (const ListRow& list : kListRows) {
    if (list.pattern == pattern && (list.kinds == kinds || list.kinds == 0)) {
      chosen = &list;
      break;
    }
  }
  if (chosen == nullptr) {
    EncounterList[0] = candidates[0];
  } else {
    for (int i = 0; i < chosen->length; ++i) EncounterList[i] = candidates[chosen->picks[i]];
  }
  if (map == kBossMap) {
    EncounterList.fill(0);
    EncounterList[0] = kBossMapEnemy;
  }
}

}  // namespace game

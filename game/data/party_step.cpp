// The damage a step on a harmful floor does to the party. A leader with the shield
// (member id 2) keeps it off while it stays within what the ESP level holds.
#include <algorithm>

#include "game/data/game_data.h"
#include "game/data/saturating_math.h"

namespace game {
namespace {

constexpr int kShieldMemberId = 2;
constexpr int kShieldThresholds[] = {0, 75, 125, 250, 500, 999, 999, 999, 999, 999, 999, 999, 999, 999};
constexpr int kTopEspLevel = 13;

}  // namespace

int GameData::PartyStepUpdate(int d, int* wiped_out) {
  int shield_level = Members[0][kMemberEspLevel];
  for (const PartyMember& p : Members) {
    if (p[kMemberId] == kShieldMemberId) {
      shield_level = p[kMemberEspLevel];
      break;
    }
  }
  shield_level = std::clamp(shield_level, 0, kTopEspLevel);
  if (Scalars[kScalarLeader] == kShieldMemberId && d <= kShieldThresholds[shield_level]) return 0;

  int all_weak = 1;
  for (int m = kMemberCount - 1; m >= 0; --m) {
    PartyMember& p = Members[m];
    if (p[kMemberPresent] == 0 || Status[m][kStatusDown] != 0) continue;
    if (p[kMemberHp] > 1) all_weak = 0;
    AddSaturated(p[kMemberHp], -int64_t{d});
    if (p[kMemberHp] >= 0) continue;
    p[kMemberHp] = 0;
    Status[m][kStatusDown] = 1;
    const bool wiped = std::all_of(Members.begin(), Members.end(), [&](const PartyMember& q) {
      const int i = static_cast<int>(&q - Members.data());
      return q[kMemberPresent] == 0 || Status[i][kStatusDown] != 0;
    });
    if (wiped) {
      p[kMemberHp] = 1;
      Status[m][kStatusDown] = 0;
      *wiped_out = all_weak;
    }
  }
  return 1;
}

}  // namespace game

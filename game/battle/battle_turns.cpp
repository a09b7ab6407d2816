// Who acts when, which skill an enemy takes, and whom an action aims at.
#include <algorithm>
#include <cmath>

#include "game/battle/battle.h"
#include "game/data/saturating_math.h"

namespace game {
namespace {

constexpr int kSpeedSpread = 15;
constexpr int32_t kEmptyTurnKey = -32768;  // the key of the turn list's unused entries
constexpr int kSkillDraws = 100;
constexpr int kSkillDrawMax = 121;  // slot = 10 - trunc(sqrt(r))
constexpr int kLastSkillSlot = 10;
constexpr int kFirstAbleChance = 15;  // in 100: an enemy picks the first able member
constexpr int kTargetSearchSteps = 9;

}  // namespace

void Battle::BuildTurnOrder() {
  struct Entry {
    int32_t key = kEmptyTurnKey, who = -1;
  };
  std::array<Entry, kTurnOrderLength> list{};
  int n = 0;
  for (int k = 0; k < kCombatants; ++k) {
    if (fighters[k].Kind() == kKindGone) continue;
    // No key falls below the empty entries', or the combatant would lose its turn behind them.
    const int64_t key = int64_t{fighters[k].Word(kMemberBattleAttack + 2)} + GameRandomUpTo(kSpeedSpread);
    list[n++] = {std::max(Saturate32(key), kEmptyTurnKey), k};
  }
  for (int i = 0; i < kTurnOrderLength - 1; ++i) {
    int best = i;
    for (int j = i + 1; j < kTurnOrderLength; ++j) {
      if (list[j].key > list[best].key) best = j;
    }
    std::swap(list[i], list[best]);
  }
  for (int i = 0; i < kTurnOrderLength; ++i) order[i] = list[i].who;
}

void Battle::ChooseEnemySkill(int who) {
  if (who < 0 || who >= kCombatants) return;
  Combatant& c = fighters[who];
  int k = 0;
  for (const auto& cmd : c.commands) k += cmd.id > 0 ? 1 : 0;
  int limit = std::max(k, 1);
  int slot = 0;
  bool found_slot = false;
  for (int draw = 0; draw < kSkillDraws && !found_slot; ++draw) {
    int r = GameRandomUpTo(kSkillDrawMax);
    slot = std::max(kLastSkillSlot - static_cast<int>(std::sqrt(static_cast<double>(r))), 0);
    found_slot = slot < limit;
  }
  if (!found_slot) slot = 0;
  c.status[kStatusSelected] = static_cast<uint8_t>(slot);
  TheEnemyGraphCache.RestartEnemyPulse();
}

void Battle::ChooseActionTarget(int itemId, int enemyMode) {
  int type = TheGameData().Item(itemId).values[kItemRange];
  auto first_present = [&](int from, int count) {
    for (int i = 0; i < count; ++i) {
      if (fighters[from + i].Kind() != kKindGone) return i;
    }
    return 0;
  };
  no_able_target = false;
  if (enemyMode == 0) {
    switch (type) {
      case kTargetOneFoe:
      case kTargetOneFoeOnly: target = first_present(kBattleMembers, kBattleEnemies), side = -1; break;
      case kTargetOneAlly:
      case kTargetOneAllyOnly: target = first_present(0, kBattleMembers), side = 1; break;
      case kTargetAllFoes:
      case kTargetAllFoesOnly: target = -1, side = -1; break;
      case kTargetAllAllies:
      case kTargetAllAlliesOnly: target = -1, side = 1; break;
      case kTargetEveryone:
      case kTargetEveryoneToo: target = -1, side = 0; break;
      case kTargetSelf: target = actor, side = 1; break;
      default: break;
    }
    return;
  }
  auto random_of = [&](int from, int count, bool able_only) {
    std::array<int, kBattleEnemies> list{};
    int n = 0;
    for (int i = 0; i < count; ++i) {
      const Combatant& c = fighters[from + i];
      if (able_only ? c.Able() : c.Kind() != kKindGone) list[n++] = i;
    }
    if (n == 0) {
      no_able_target = true;
      return -1;
    }
    int pick = GameRandomUpTo(std::max(n, 1) - 1);
    if (GameRandomUpTo(99) < kFirstAbleChance) pick = 0;
    return list[std::clamp(pick, 0, n - 1)];
  };
  switch (type) {
    case kTargetOneFoe:
    case kTargetOneFoeOnly: target = random_of(0, kBattleMembers, true), side = 1; break;
    case kTargetOneAlly:
    case kTargetOneAllyOnly: target = random_of(kBattleMembers, kBattleEnemies, false), side = -1; break;
    case kTargetAllFoes:
    case kTargetAllFoesOnly: target = -1, side = 1; break;
    case kTargetAllAllies:
    case kTargetAllAlliesOnly: target = -1, side = -1; break;
    case kTargetEveryone:
    case kTargetEveryoneToo: target = -1, side = 0; break;
    case kTargetSelf: target = actor - kBattleMembers, side = -1; break;
    default: break;
  }
}

// Moves the target to the previous (-1) or next (+1) present combatant of its side.
bool Battle::MoveTarget(int step) {
  int first = side == 1 ? 0 : kBattleMembers;
  int count = side == 1 ? kBattleMembers : kBattleEnemies;
  int t = target;
  for (int i = 0; i < kTargetSearchSteps; ++i) {
    t = ((t + step) % count + count) % count;
    if (fighters[first + t].Kind() != kKindGone) {
      target = t;
      return true;
    }
  }
  return false;
}

}  // namespace game

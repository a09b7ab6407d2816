// What one action does: its cost and growth points, its hits and hit effects, the result on
// each target, the deaths with the enemies' money and drops, and the action messages.
#include <algorithm>
#include <cmath>

#include "game/battle/battle.h"
#include "game/data/saturating_math.h"
#include "game/text/bitmap_font.h"
#include "platform/numeric/saturate.h"

namespace game {
namespace {

constexpr int kEspKind = 300;  // kinds above: ESP
constexpr int kChargeSound = 39;
constexpr int kEnemyDiedSound = 23;
constexpr int kModeDefenceTriple = 1, kModeNoDefence = 2, kModePp = 3, kModeInstantKill = 4, kModeWatching = 14,
              kModeAnger = 15;
constexpr int kManyDeaths = 4;

using plat::numeric::TruncSaturated32;

int64_t Trunc64(double v) {
  if (!(v == v)) return 0;
  v = std::clamp(v, -9.2e18, 9.2e18);
  return static_cast<int64_t>(v);
}
double SafeSqrt(int32_t v) { return v > 0 ? std::sqrt(static_cast<double>(v)) : 0.0; }

}  // namespace

void Battle::StartHitEffect(int slot, int kind) {
  if (slot < 0 || slot >= kHitEffectSlots) return;
  HitEffectSlot& h = hits[slot];
  h.kind = kind;
  h.frame = 0;
  h.active = true;
  for (int32_t& r : h.random) r = GameRandomUpTo(99);
}

void Battle::PayAndStartAction() {
  if (actor < 0 || actor >= kCombatants) {
    phase = kPhaseAfterHit;
    redo = true;
    return;
  }
  Combatant& a = fighters[actor];
  const ItemRecord& item = TheGameData().Item(ActingItem());
  const auto& I = item.values;
  AddSaturated(a.Word(kMemberPp), -int64_t{I[kItemPpCost]});
  if (I[kItemKind] <= kEspKind) {
    int16_t& count = a.commands[std::min<int>(a.status[kStatusSelected], kCommandSlots - 1)].count;
    count = static_cast<int16_t>(count - 1);  // wraps as the stored 16-bit count does
  }
  hits_left = std::max(I[kItemHits], 1);
  if (actor < kBattleMembers) {
    int s = I[kItemKind] > kEspKind ? 3 : std::clamp(I[kItemDependsOn], 0, 3);
    if (I[kItemHelpful] == 0 && side != 1) {
      int32_t e = 0;
      if (target == -1) {
        for (int i = 0; i < kBattleEnemies; ++i) e = std::max(e, fighters[kBattleMembers + i].Word(kMemberAttack + s));
      } else {
        e = fighters[kBattleMembers + std::clamp(target, 0, kBattleEnemies - 1)].Word(kMemberAttack + s);
      }
      // The points are summed in 64 bits and saturated once, where they are added.
      int64_t p = int64_t{static_cast<int32_t>(SafeSqrt(e))} + 2 + e - a.Word(kMemberAttack + s);
      p = std::max<int64_t>(p, -5);
      p += 5 + GameRandomUpTo(5);
      if (GameRandomUpTo(128) < 1) p += 100;
      if (GameRandomUpTo(128) < 10) p += 10;
      if (a.Word(kMemberGrowthModifier) == -1) p = 0;
      if (a.Word(kMemberGrowthModifier) == 1) p += GameRandomUpTo(8);
      AddSaturated(a.Word(kMemberGrowthPoints + s), p);
      bool chance = GameRandomUpTo(100) < 50;
      if (chance || a.Word(kMemberGrowthPoints + s) > 199) a.exercised[s] = 1;
    } else if (I[kItemHelpful] == 1) {
      AddSaturated(a.Word(kMemberGrowthPoints + 3), a.Word(kMemberGrowthModifier) == -1 || side == -1 ? 0 : 7);
      if (GameRandomUpTo(100) < 50) a.exercised[3] = 1;
    }
    if (I[kItemKind] > kEspKind) ++a.esp_uses;
  }
  phase = kPhaseHit;
  if (I[kItemCharges] > 0) {
    phase = kPhaseCharge;
    charge = 0;
    PlayGameSound(kChargeSound);
    TheBitmapFont.ComposeClear();
    TheBitmapFont.ComposeAddCodes(a.name);
    TheBitmapFont.ComposeAddSjis("は＿…");
    SetMessageFromCompose();
  }
  redo = true;
}

void Battle::RunOneHit() {
  --hits_left;
  const auto& I = TheGameData().Item(ActingItem()).values;
  int kind = I[kItemEffectKind];
  if (target != -1) {
    StartHitEffect(TargetCombatant(), kind);
  } else if (I[kItemEffectPerSide] == 0) {
    int from = side == 1 ? 0 : side == -1 ? kBattleMembers : 0;
    int to = side == 1 ? kBattleMembers : enemy_count + kBattleMembers;
    for (int n = from; n < to; ++n) {
      if (fighters[n].Kind() != kKindGone) StartHitEffect(n, kind);
    }
  } else {
    StartHitEffect(side == 1 ? kAllMembersSlot : side == -1 ? kAllEnemiesSlot : kEveryoneSlot, kind);
  }
  ReportAction();
  PlayGameSound(I[kItemSound]);
  phase = kPhaseEffects;
  redo = true;
}

void Battle::ReportAction() {
  if (actor < 0 || actor >= kCombatants) return;
  Combatant& a = fighters[actor];
  const ItemRecord& item = TheGameData().Item(ActingItem());
  bool harmful = item.values[kItemHelpful] == 0;
  BitmapFont& font = TheBitmapFont;
  font.ComposeClear();
  font.ComposeAddCodes(a.name);
  font.ComposeAddSjis("は_");
  font.ComposeAddCodes(item.name);
  if (target != -1) {
    int n = TargetCombatant();
    if (n >= 0 && n < kCombatants) {
      ResolveActionOnTarget(n);
      if (harmful) {
        font.ComposeAddSjis("で\n");
        font.ComposeAddCodes(fighters[n].name);
        font.ComposeAddSjis("を_こうげき!\n");
      } else {
        font.ComposeAddSjis("を_つかった!\n");
      }
    }
  } else if (side == 1) {
    for (int n = 0; n < kBattleMembers; ++n) {
      if (fighters[n].Kind() != kKindGone) ResolveActionOnTarget(n);
    }
    if (harmful) {
      int first = 0;
      for (int n = kBattleMembers - 1; n >= 0; --n) {
        if (fighters[n].status[kStatusDown] == 0) first = n;
      }
      font.ComposeAddSjis("で\n");
      font.ComposeAddCodes(fighters[first].name);
      font.ComposeAddSjis("たちを_こうげき!\n");
    } else {
      font.ComposeAddSjis("を_つかった!\n");
    }
  } else if (side == 0) {
    for (int n = 0; n < enemy_count + kBattleMembers; ++n) {
      if (fighters[n].Kind() != kKindGone) ResolveActionOnTarget(n);
    }
    font.ComposeAddSjis("を_つかった!\n");
  } else {
    for (int n = kBattleMembers; n < kCombatants; ++n) {
      if (fighters[n].Kind() != kKindGone) ResolveActionOnTarget(n);
    }
    font.ComposeAddSjis(harmful ? "で\nてきぜんたいを_こうげき!\n" : "を_つかった!\n");
  }
  if (death_style == kStyleWatching) {
    font.ComposeClear();
    font.ComposeAddCodes(a.name);
    font.ComposeAddSjis("は_ようすを＿うかがっている。");
  } else if (death_style == kStyleAnger) {
    font.ComposeAddSjis("みなみの＿いかりが＿ばくはつした!");
  }
  SetMessageFromCompose();
  a.damage_taken = 0;
}

int Battle::ResolveActionOnTarget(int n) {
  killed_outright = 0;
  death_style = kStylePlain;
  if (actor < 0 || actor >= kCombatants || n < 0 || n >= kCombatants) return 0;
  const Combatant& a = fighters[actor];
  Combatant& t = fighters[n];
  const auto& I = TheGameData().Item(ActingItem()).values;
  bool esp = I[kItemKind] > kEspKind;
  int s = esp ? 3 : std::clamp(I[kItemDependsOn], 0, 3);
  int32_t S = a.Word(kMemberBattleAttack + s);
  int32_t v;
  if (!esp) {
    v = Saturate32(int64_t{I[kItemMultiplier]} * S + I[kItemRaise]);
  } else {
    int32_t r = GameRandomUpTo(32768);
    double m = (r * (1.0 / 32768) + I[kItemMultiplier]) * S;
    int64_t q = Trunc64(t.Word(kMemberBattleAttack + 3) * m) % 65535;
    v = TruncSaturated32(m - static_cast<double>(static_cast<int32_t>(q)) * 0.005);
  }
  bool killed = false, failed = false, no_number = false;
  int mode = I[kItemMode];
  if (mode == kModeInstantKill) {
    int b = 0;
    if (GameRandomUpTo(10) >= 9) {
      b = 1;
      if (GameRandomUpTo(10) > 7) b = 3;
    }
    int32_t r5 = GameRandomUpTo(5);
    int64_t limit = (int64_t{5} * b - 3 + S + r5) * I[kItemMultiplier] + I[kItemRaise] -
                    int64_t{5} * t.Word(kMemberBattleAttack + 1);
    v = 0;
    if (t.Word(kMemberHp) < limit) {
      killed = no_number = true;
      killed_outright = 1;
      death_style = kStyleTorn;
    } else {
      failed = true;
    }
  } else if (mode == kModeWatching) {
    v = 0;
    no_number = true;
    death_style = kStyleWatching;
  } else {
    if (mode == kModeAnger) {
      v = Saturate32(int64_t{a.Word(kMemberEspLevel)} * 5 + 1 + int64_t{2} * a.damage_taken);
      death_style = kStyleAnger;
    }
    if (v > 0 && mode != kModeNoDefence) AddSaturated(v, GameRandomUpTo(S));
  }
  bool pp = mode == kModePp;
  int32_t result;
  bool healing = false;
  if (I[kItemHelpful] == 0) {
    int f = esp || mode == kModeNoDefence ? 0 : mode == kModeDefenceTriple ? 3 : 5;
    int32_t d = Saturate32(int64_t{t.Word(kMemberBattleAttack + 1)} * f);
    result = Saturate32(std::max<int64_t>(int64_t{v} - d, 0));
    if (n < kBattleMembers && actor >= kBattleMembers) {
      int32_t bonus = std::clamp(TruncSaturated32(a.Word(kMemberMaxHp) * 1.3 - t.Word(kMemberMaxHp)), 0, 100);
      int32_t g = v;
      if (GameRandomUpTo(100) < 50) g = Saturate32(int64_t{v} + bonus);
      if (GameRandomUpTo(100) < 20) g = Saturate32(int64_t{2} * v);
      if (GameRandomUpTo(128) < 4) g = Saturate32(int64_t{5} * v);
      if (GameRandomUpTo(128) < 64) g = Saturate32(int64_t{v} - d / 2);
      g = Saturate32(std::max<int64_t>(int64_t{g} - d / 2, 0));
      if (t.status[kStatusDown] == 0 && t.Kind() == kKindMember) AddSaturated(t.Word(kMemberHpPoints), g);
      if (int64_t{t.Word(kMemberHp)} - result < 0) AddSaturated(t.Word(kMemberHpPoints), TruncSaturated32(g * 1.5));
    }
  } else {
    result = Saturate32(std::max<int64_t>(int64_t{t.Word(kMemberBattleAttack + 3)} * I[kItemMultiplier] + v, 0));
    healing = true;
    if (result == 0) no_number = true;
  }
  SetPendingResult(n, result, healing, failed, killed, pp, no_number);
  return result;
}

void Battle::SetPendingResult(int n, int value, bool healing, bool failed, bool killed, bool pp, bool noNumber) {
  if (n < 0 || n >= kHitEffectSlots) return;
  pending[n] = {true, noNumber, value, healing, killed, failed, pp};
}

void Battle::TriggerResultPopup(int n) {
  if (n < 0 || n >= kHitEffectSlots) return;
  PendingResult& p = pending[n];
  if (!p.valid || p.no_number) return;
  SpawnResultPopup(n, p.value, p.healing, p.failed, p.killed);
  p.no_number = true;
}

void Battle::SpawnResultPopup(int n, int value, bool healing, bool failed, bool killed) {
  auto slot = std::find_if(popups.begin(), popups.end(), [](const ResultPopup& p) { return !p.active; });
  if (slot == popups.end()) return;
  ResultPopup& p = *slot;
  p = {};
  p.active = true;
  p.value = value;
  p.healing = healing, p.failed = failed, p.killed = killed;
  int64_t mag = std::abs(static_cast<int64_t>(value));
  int digits = 0;
  do {
    p.digit[digits++] = static_cast<int32_t>(mag % 10);
    mag /= 10;
  } while (mag > 0 && digits < 10);
  if (failed || killed) digits = 4;
  p.digits = digits;
  Point centre = anchors[n];
  p.x = centre.x - digits * 9 / 2;
  p.ground = centre.y + 8;
  p.y = p.ground + 5;
  p.velocity = -7;
  if (failed) p.y = p.ground, p.velocity = -4;
  if (killed) p.velocity = 7, p.y = p.ground - 50;
}

void Battle::CheckBattleDeaths() {
  GameData& data = TheGameData();
  BitmapFont& font = TheBitmapFont;
  font.ComposeClear();
  int deaths = 0;
  bool enemy_died = false;
  for (int n = 0; n < enemy_count + kBattleMembers && n < kCombatants; ++n) {
    Combatant& t = fighters[n];
    if (t.Kind() == kKindGone) continue;
    // Every combatant is checked: one without a fresh result takes a harmless 0, so one
    // already below 1 HP (from its table or a save) falls too.
    const PendingResult p = pending[n];
    pending[n] = PendingResult{};
    if (!p.healing) {
      if (t.status[kStatusDown] == 0) {
        if (!p.pp) {
          AddSaturated(t.Word(kMemberHp), -int64_t{p.value});
          AddSaturated(t.damage_taken, p.value);
          if (p.killed) t.Word(kMemberHp) = 0;
        } else {
          AddSaturated(t.Word(kMemberPp), -int64_t{p.value});
        }
      }
      if (t.Word(kMemberHp) < 1 && t.status[kStatusDown] == 0 && hits_left <= 0) {
        t.Word(kMemberHp) = 0;
        if (killed_outright == 0) {
          font.ComposeAddCodes(t.name);
          font.ComposeAddSjis("は_しんだ。\n");
        }
        if (death_style == kStyleTorn) {
          font.ComposeAddCodes(t.name);
          font.ComposeAddSjis("は_バラバラになった。\n");
        }
        ++deaths;
        if (n < kBattleMembers) {
          t.status[kStatusDown] = 1;
        } else {
          enemy_died = true;
          const auto& e = data.Enemies[std::clamp(t.Word(kMemberId), 0, kEnemyCount - 1)].values;
          AddSaturated(money_won, e[kEnemyMoneyValue]);
          auto put = [&](int32_t item) {
            auto free = std::find(found.begin(), found.end(), 0);
            if (free != found.end()) *free = item;
          };
          if (GameRandomUpTo(120) < 11) put(e[kEnemyDropValue]);
          if (GameRandomUpTo(120) == 1) put(e[kEnemyRareDropValue]);
          enemy_layout[n - kBattleMembers].fade = 1;
          t.Word(kMemberPresent) = kKindGone;
          // Only the status bytes, commands and name: the words behind them belong to
          // the next combatant.
          t.status.fill(0);
          t.commands.fill({});
          t.name.fill(0);
        }
      }
    } else if (p.pp) {
      t.Word(kMemberPp) = Saturate32(std::min<int64_t>(int64_t{t.Word(kMemberPp)} + p.value, t.Word(kMemberMaxPp)));
    } else {
      t.Word(kMemberHp) = Saturate32(std::min<int64_t>(int64_t{t.Word(kMemberHp)} + p.value, t.Word(kMemberMaxHp)));
    }
  }
  if (deaths > 0) {
    if (deaths > kManyDeaths) {
      font.ComposeClear();
      font.ComposeAddNumber(deaths);
      font.ComposeAddSjis("たい_たおした。");
    }
    SetMessageFromCompose();
  }
  if (enemy_died) PlayGameSound(kEnemyDiedSound);
}

}  // namespace game

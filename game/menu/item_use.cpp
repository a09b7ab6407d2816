// Using an item from the menu: choosing the target, then the effect on each target with
// its message, the sound, and what is used up.
#include <algorithm>
#include <cstdint>

#include "game/data/game_data.h"
#include "game/data/saturating_math.h"
#include "game/frame/frame_loop.h"
#include "game/menu/field_menu.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace game {

namespace {

constexpr int kBigBase = 999999;
constexpr int kJumpPointsMemberId = 1;  // the jumper
constexpr int64_t kBigBaseValue = 99999999;
constexpr int64_t kAmountReach = int64_t{1} << 40;

bool TargetsWholeParty(int range) {
  switch (range) {
    case kTargetAllFoes:
    case kTargetAllAllies:
    case kTargetAllFoesOnly:
    case kTargetAllAlliesOnly:
    case kTargetEveryone:
    case kTargetEveryoneToo: return true;
    default: return false;
  }
}

// Counts are signed: the worn (0xFFC0) and unlimited (0xFFE0) markers read negative and
// are never used up.
void UseUpOne(ItemStack& stack) {
  const auto count = static_cast<int16_t>(stack.count);
  if (count > 0) stack.count = static_cast<uint16_t>(count - 1);
}

bool AnyAilment(const std::array<uint8_t, kStatusBytes>& status) {
  return std::any_of(status.begin() + kStatusFirstAilment, status.begin() + kStatusLastAilment + 1,
                     [](uint8_t b) { return b != 0; });
}

void CureAilments(std::array<uint8_t, kStatusBytes>& status) {
  std::fill(status.begin() + kStatusFirstAilment, status.begin() + kStatusLastAilment + 1, 0);
}

}  // namespace

void FieldMenu::BeginUseItem(int user, int slot, int item) {
  GameData& g = TheGameData();
  const auto& v = g.Item(item).values;
  if (v[kItemFieldUse] == kFieldUseNone) return;
  if (user >= 0 && user < kMemberCount && g.Members[user][kMemberPp] < v[kItemPpCost]) {
    Refuse();
    return;
  }
  use_member = user;
  use_slot = slot;
  use_item = item;
  saved_page = page;
  saved_state = state;
  page = kMenuPageItemTarget;
  state = kMenuStateItemTarget;
  // The frozen background the target choice is drawn over.
  if (ScreenCopyGraph > 0) vexal::CopyScreenToGraph(0, 0, kGameScreenWidth, kGameScreenHeight, ScreenCopyGraph, 1);
  if (TargetsWholeParty(v[kItemRange])) {
    target = -1;
  } else {
    if (target < 0) target = 0;
    for (int step = 0; step < kMemberCount && g.Members[target][kMemberPresent] == 0; ++step) {
      target = static_cast<int16_t>((target + 1) % kMemberCount);
    }
  }
}

void FieldMenu::UseItemEffect(int which) {
  GameData& g = TheGameData();
  const auto& v = g.Item(use_item).values;
  const int type = v[kItemFieldUse];
  const bool from_bag = use_member < 0 || use_member >= kMemberCount;
  bool changed = false;
  for (int m = 0; m < kMemberCount; ++m) {
    if (which >= 0 ? m != which : g.Members[m][kMemberPresent] == 0) continue;
    PartyMember& t = g.Members[m];
    auto& status = g.Status[m];
    const bool down = status[kStatusDown] != 0;

    // The amount: the user's stat scaled by a random factor above 1, plus the base.
    const int kind = v[kItemKind];
    const int s = kind > 300 ? 3 : std::clamp(v[kItemDependsOn], 0, 3);
    double factor = GameRandomUpTo(32768) / 32768.0 + v[kItemMultiplier];
    if (factor <= 1.0) factor = 0.0;
    const int64_t base = v[kItemRaise] >= kBigBase ? kBigBaseValue : v[kItemRaise];
    const int64_t stat = from_bag ? 0 : g.Members[use_member][kMemberAttack + s];
    // Every term is bounded by 2^62, and past kAmountReach the amount saturates any word the
    // same way, so it is held there between the terms.
    int64_t amount = static_cast<int64_t>(static_cast<double>(stat) * factor + static_cast<double>(base));
    amount = std::clamp(amount, -kAmountReach, kAmountReach);
    if (kind > 300) amount += static_cast<int64_t>(t[kMemberAttack + 3]) * v[kItemMultiplier];
    amount = std::clamp(amount, -kAmountReach, kAmountReach);

    const auto heal_hp = [&] {
      const bool not_full = t[kMemberHp] < t[kMemberMaxHp];
      t[kMemberHp] = Saturate32(std::min<int64_t>(int64_t{t[kMemberHp]} + amount, t[kMemberMaxHp]));
      return not_full;
    };
    switch (type) {
      case kFieldUseHealHp:
        if (!down && heal_hp()) {
          changed = true, SetMenuLine(1, "HPかいふく!");
        } else {
          SetMenuLine(1, "かいふくできないぜ");
        }
        break;
      case kFieldUseHealPp:
        if (!down) {
          t[kMemberPp] = Saturate32(std::min<int64_t>(int64_t{t[kMemberPp]} + amount, t[kMemberMaxPp]));
          changed = true, SetMenuLine(1, "PPかいふく!");
        } else {
          SetMenuLine(1, "かいふくできないぜ");
        }
        break;
      case kFieldUseCure: {
        const bool ailing = AnyAilment(status);
        if (!down && (heal_hp() || ailing)) {
          CureAilments(status);
          changed = true, SetMenuLine(1, "げんきになった!");
        } else {
          SetMenuLine(1, "かいふくできないぜ");
        }
        break;
      }
      case kFieldUseRevive:
        status[kStatusDown] = 0;
        if (heal_hp() || down) {
          changed = true, SetMenuLine(1, "いしきを＿とりもどした!");
        } else {
          SetMenuLine(1, "げんきですよ");
        }
        break;
      case kFieldUseFullHeal:
      case kFieldUseRestore: {
        if (!down) {
          t[kMemberHp] = t[kMemberMaxHp];
          t[kMemberPp] = t[kMemberMaxPp];
          if (type == kFieldUseFullHeal) CureAilments(status);
          changed = true, SetMenuLine(1, type == kFieldUseFullHeal ? "かんぜんかいふく!" : "HP・PPかいふく!");
        } else {
          SetMenuLine(1, "かいふくできないぜ");
        }
        break;
      }
      case kFieldUseRaiseAttack:
      case kFieldUseRaiseDefence:
      case kFieldUseRaiseSpeed:
      case kFieldUseRaiseSpirit:
      case kFieldUseRaiseMaxHp:
      case kFieldUseRaiseMaxPp: {
        static constexpr const char* kRaised[] = {"こうげきが＿あがった!",   "ぼうぎょが＿あがった!",
                                                  "すばやさが＿あがった!",   "せいしんが＿あがった!",
                                                  "さいだいHPが＿あがった!", "さいだいPPが＿あがった!"};
        if (!down) {
          // The maxima rise in their base words: the derived ones are rebuilt at once.
          const int word = type == kFieldUseRaiseMaxHp   ? kMemberBaseMaxHp
                           : type == kFieldUseRaiseMaxPp ? kMemberBaseMaxPp
                                                         : kMemberBaseAttack + (type - kFieldUseRaiseAttack);
          AddSaturated(t[word], amount);
          changed = true, SetMenuLine(1, kRaised[type - kFieldUseRaiseAttack]);
        } else if (!changed) {
          SetMenuLine(1, "しんでるぜ");
        }
        break;
      }
      case kFieldUseBreakLevel:
      case kFieldUseJumpLevel:
      case kFieldUseShieldLevel:
      case kFieldUseTelepathyLevel:
        // At the highest level the item works no more, so a saved game always loads again.
        if (!down && t[kMemberId] == type - kFieldUseBreakLevel && t[kMemberEspLevel] < kMaxEspLevel) {
          t[kMemberEspLevel] += 1;
          changed = true, SetMenuLine(1, "ESPレベルが＿あがった!");
        } else if (!down) {
          changed = false, SetMenuLine(1, "そのひとには＿こうかがない");
        } else if (!changed) {
          SetMenuLine(1, "しんでるぜ");
        }
        break;
      case kFieldUseJumpPoints:
        if (!down && t[kMemberId] == kJumpPointsMemberId) {
          uint32_t& limit = g.Scalars[kScalarMenuValue];
          if (limit < static_cast<uint32_t>(kMaxJumpPointLimit)) {
            ++limit;
            changed = true;
          }
          SetMenuLine(1, "ジャンプポイントの＿さいだいすうが＿じょうしょう!");
        } else {
          SetMenuLine(1, "そのひとには＿こうかがない");
        }
        break;
      default: break;
    }
  }

  state = kMenuStateItemResult;
  result_timer = kItemResultFrames;
  if (!changed) {
    PlayGameSound(kMenuSoundRefused);
    return;
  }
  PlayGameSound(v[kItemSound]);
  if (from_bag) {
    if (use_slot >= 0 && use_slot < kStackCount) UseUpOne(g.ItemBag[use_slot]);
  } else {
    if (use_slot >= 0 && use_slot < kEquipSlots) UseUpOne(g.Equipment[use_member][use_slot]);
    AddSaturated(g.Members[use_member][kMemberPp], -int64_t{v[kItemPpCost]});
  }
  g.RemoveUsedUpItems();
  g.RecalcPartyStats();
}

}  // namespace game

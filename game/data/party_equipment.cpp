// Equipment and the members: wearing, taking off, swapping, the derived values and the
// leader.
#include <algorithm>
#include <utility>

#include "game/data/game_data.h"
#include "game/data/saturating_math.h"

namespace game {
namespace {

constexpr char kArmourTakenMessage[] = "べつの＿アイテムを＿はずさないと＿そうびできません。";
constexpr char kWholeBodyMessage[] = "ぜんしんぼうぐなので＿ほかの＿ぼうぐを＿はずしてください。";
constexpr char kBagFullUnequipMessage[] = "アイテムが＿いっぱいで＿はずせません。";
constexpr char kOwnAbilityMessage[] = "だいじな＿のうりょくなので＿はずすことは＿できません!";

constexpr int kLastArmourKind = 299;
constexpr int kPartArmourKinds = 4;          // head, arm, body and leg armour: 201-204
constexpr int kSpecialItems[] = {505, 321};  // wearing either sets a bit of the flag word

bool IsMember(int m) { return m >= 0 && m < kMemberCount; }
bool IsEquipSlot(int s) { return s >= 0 && s < kEquipSlots; }
bool IsStackIndex(int i) { return i >= 0 && i < kStackCount; }

void Refuse(const char* message) {
  PlayGameSound(kSoundRefused);
  ShowGamePopup(message);
}

}  // namespace

void GameData::SwapBagSlots(int a, int b) {
  if (IsStackIndex(a) && IsStackIndex(b)) std::swap(ItemBag[a], ItemBag[b]);
}

void GameData::SwapStockSlots(int a, int b) {
  if (IsStackIndex(a) && IsStackIndex(b)) std::swap(AbilityStock[a], AbilityStock[b]);
}

void GameData::SwapEquipSlots(int member, int a, int b) {
  if (IsMember(member) && IsEquipSlot(a) && IsEquipSlot(b)) {
    std::swap(Equipment[member][a], Equipment[member][b]);
  }
}

void GameData::SwapMembers(int a, int b) {
  if (!IsMember(a) || !IsMember(b) || a == b) return;
  std::swap(Members[a], Members[b]);
  std::swap(Status[a], Status[b]);
  std::swap(Equipment[a], Equipment[b]);
}

int GameData::EquipFromBag(int member, int slot, int b) {
  if (!IsMember(member) || slot < 0 || slot >= kUsedEquipSlots || b < 0 || b >= kUsedBagSlots) {
    return 1;
  }
  const int k = ItemKind(ItemBag[b].id);
  int worn[kLastArmourKind + 1] = {};
  int part_armour = 0;
  for (int s = 0; s < kUsedEquipSlots; ++s) {
    if (s == slot || Equipment[member][s].id == 0) continue;
    const int kind = ItemKind(Equipment[member][s].id);
    if (kind < kFirstArmourKind || kind > kLastArmourKind) continue;
    ++worn[kind];
    if (kind < kFirstArmourKind + kPartArmourKinds) ++part_armour;
    if (kind == kWholeBodyArmourKind) {
      for (int p = 0; p < kPartArmourKinds; ++p) ++worn[kFirstArmourKind + p];
    }
  }
  if (k >= kFirstArmourKind && k <= kLastArmourKind && worn[k] > 0) {
    Refuse(kArmourTakenMessage);
    return 1;
  }
  if (k == kWholeBodyArmourKind && part_armour >= 1) {
    Refuse(kWholeBodyMessage);
    return 1;
  }
  const ItemStack& current = Equipment[member][slot];
  if (current.id != 0 && ItemKind(current.id) >= kFirstAbilityKind) {
    if (Unequip(member, slot) != 0) return 1;
  }
  std::swap(ItemBag[b], Equipment[member][slot]);
  RecalcPartyStats();
  return 0;
}

int GameData::EquipAbility(int member, int slot, int i) {
  if (!IsMember(member) || slot < 0 || slot >= kUsedEquipSlots || !IsStackIndex(i)) return 1;
  if (Equipment[member][slot].id != 0 && Unequip(member, slot) != 0) return 1;
  ItemStack& stock = AbilityStock[i];
  if (stock.id == 0 || static_cast<int16_t>(stock.count) < 1) return 1;
  Equipment[member][slot] = {stock.id, kAbilityCount};
  stock.count = static_cast<uint16_t>(stock.count - 1);
  RecalcPartyStats();
  return 0;
}

int GameData::Unequip(int member, int slot) {
  if (!IsMember(member) || !IsEquipSlot(slot)) return 1;
  ItemStack& worn = Equipment[member][slot];
  if (worn.id == 0) return 0;
  const int k = ItemKind(worn.id);
  if (k < kFirstAbilityKind) {
    const int b = FirstEmptyBagSlot();
    if (b < 0) {
      Refuse(kBagFullUnequipMessage);
      return 1;
    }
    ItemBag[b] = worn;
    worn = {};
  } else if (k == kOwnAbilityKind) {
    Refuse(kOwnAbilityMessage);
    return 1;
  } else {
    const int i = StockSlotFor(worn.id);
    if (i < 0) return 1;
    ItemStack& stock = AbilityStock[i];
    stock.id = worn.id;
    stock.count = stock.count == kStockUnlimited ? 1 : static_cast<uint16_t>(stock.count + 1);
    worn = {};
  }
  RecalcPartyStats();
  return 0;
}

void GameData::RecalcPartyStats() {
  bool special_worn = false;
  for (int m = 0; m < kMemberCount; ++m) {
    for (int s = 0; s < kUsedEquipSlots; ++s) {
      const int id = Equipment[m][s].id;
      if (std::find(std::begin(kSpecialItems), std::end(kSpecialItems), id) != std::end(kSpecialItems)) {
        special_worn = true;
      }
    }
    PartyMember& p = Members[m];
    if (p[kMemberPresent] == 0) continue;
    p[kMemberMaxHp] = p[kMemberBaseMaxHp];
    p[kMemberMaxPp] = p[kMemberBaseMaxPp];
    for (int s = 0; s < 4; ++s) p[kMemberAttack + s] = p[kMemberBaseAttack + s];
    for (int s = 0; s < kUsedEquipSlots; ++s) {
      const int id = Equipment[m][s].id;
      if (id == 0) continue;
      const auto& v = Item(id).values;
      AddSaturated(p[kMemberMaxHp], v[kItemMaxHpBonus]);
      AddSaturated(p[kMemberMaxPp], v[kItemMaxPpBonus]);
      for (int t = 0; t < 4; ++t) AddSaturated(p[kMemberAttack + t], v[kItemAttackBonus + t]);
    }
    p[kMemberHp] = std::min(p[kMemberHp], p[kMemberMaxHp]);
    p[kMemberPp] = std::min(p[kMemberPp], p[kMemberMaxPp]);
  }
  if (special_worn) {
    Scalars[kScalarFlagWord] |= kFlagWordSpecialWorn;
  } else {
    Scalars[kScalarFlagWord] &= ~kFlagWordSpecialWorn;
  }
}

void GameData::EquipStarting(int member, int item) {
  if (!IsMember(member) || item <= 0 || item >= kItemCount) return;
  for (int s = 0; s < kStartingEquipSlots; ++s) {
    ItemStack& stack = Equipment[member][s];
    if (stack.id != 0) continue;
    const bool ability = ItemKind(item) > kFirstAbilityKind - 1;
    stack = {static_cast<uint16_t>(item),
             ability ? kAbilityCount : static_cast<uint16_t>(Item(item).values[kItemUses])};
    return;
  }
}

bool GameData::NextLeader() {
  for (int tries = 0; tries < kMemberCount; ++tries) {
    Scalars[kScalarLeader] = (Scalars[kScalarLeader] + 1) % kMemberCount;
    for (const PartyMember& p : Members) {
      if (p[kMemberPresent] != 0 && static_cast<uint32_t>(p[kMemberId]) == Scalars[kScalarLeader]) {
        Scalars[kScalarLeaderGraphic] = static_cast<uint32_t>(p[kMemberFieldGraphic]);
        return true;
      }
    }
  }
  return false;
}

int GameData::FirstEmptyBagSlot() const {
  for (int b = 0; b < kUsedBagSlots; ++b) {
    if (ItemBag[b].id == 0) return b;
  }
  return -1;
}

int GameData::StockSlotFor(int id) const {
  for (int i = 0; i < kStackCount; ++i) {
    if (AbilityStock[i].id == id) return i;
  }
  for (int i = 0; i < kStackCount; ++i) {
    if (AbilityStock[i].id == 0) return i;
  }
  return -1;
}

}  // namespace game

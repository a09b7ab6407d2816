// The bag and the ability stock: sorting, buying, selling, adding, used-up items and the
// ownership flags.
#include <algorithm>
#include <climits>
#include <utility>

#include "game/data/game_data.h"
#include "game/data/game_flags.h"

namespace game {
namespace {

constexpr char kBagFullMessage[] = "アイテムが＿いっぱいですよ。";
constexpr char kJustLookingMessage[] = "みるだけなら＿タダですからね。";
constexpr char kWrongDigitsMessage[] = "おきゃくさま、ケタを＿まちがえてますよ。";
constexpr char kNotEnoughMessage[] = "それでは＿たりないようですよ。";

constexpr int64_t kJustLookingPrice = 1000000, kJustLookingMoney = 800000;
constexpr int64_t kWrongDigitsPrice = 100000, kWrongDigitsMoney = 80000;

constexpr int kUsedUpKindLimit = 50;  // items below this kind vanish at 0 uses
constexpr int kUsedUpExtraKind = 112;

// Items whose ownership sets a story flag.
struct OwnershipFlag {
  int item, flag;
};
constexpr OwnershipFlag kOwnershipFlags[] = {{32, 10}, {33, 11}, {36, 12}};

void Refuse(const char* message) {
  PlayGameSound(kSoundRefused);
  ShowGamePopup(message);
}

}  // namespace

void GameData::SortBag() {
  for (int i = 0; i < kUsedBagSlots - 1; ++i) {
    if (ItemBag[i].id != 0) continue;
    for (int j = i + 1; j < kUsedBagSlots; ++j) {
      if (ItemBag[j].id != 0) {
        std::swap(ItemBag[i], ItemBag[j]);
        break;
      }
    }
  }
  for (int i = 0; i < kUsedBagSlots - 1; ++i) {
    int m = i;
    for (int j = i; j < kUsedBagSlots && ItemBag[j].id != 0; ++j) {
      if (ItemKind(ItemBag[j].id) < ItemKind(ItemBag[m].id)) m = j;
    }
    if (m != i) std::swap(ItemBag[i], ItemBag[m]);
  }
}

int GameData::BuyItem(int n) {
  if (n <= 0 || n >= kItemCount) return 1;
  const auto& v = Items[n].values;
  const int64_t price = v[kItemPrice];
  const int64_t money = Scalars[kScalarMoney];
  if (price > money) {
    if (price >= kJustLookingPrice && money < kJustLookingMoney) {
      Refuse(kJustLookingMessage);
    } else if (price >= kWrongDigitsPrice && money < kWrongDigitsMoney) {
      Refuse(kWrongDigitsMessage);
    } else {
      Refuse(kNotEnoughMessage);
    }
    return 1;
  }
  if (v[kItemKind] < kFirstAbilityKind) {
    const int b = FirstEmptyBagSlot();
    if (b < 0) {
      Refuse(kBagFullMessage);
      return 1;
    }
    ItemBag[b] = {static_cast<uint16_t>(n), static_cast<uint16_t>(v[kItemUses])};
  } else if (AddItem(n) != 0) {
    Refuse(kBagFullMessage);
    return 1;
  }
  Scalars[kScalarMoney] = static_cast<uint32_t>(std::clamp<int64_t>(money - price, 0, UINT32_MAX));
  PlayGameSound(kSoundPaid);
  return 0;
}

int64_t GameData::SellPrice(int b) const {
  if (b < 0 || b >= kStackCount) return -1;
  const auto& v = Item(ItemBag[b].id).values;
  const int64_t p = v[kItemPrice];
  if (v[kItemUses] == kUsesLevelled) return p >> 1;
  if (v[kItemUses] == 0) return -1;  // nothing to divide by: not for sale
  const int64_t uses = static_cast<int16_t>(ItemBag[b].count);
  return (p * 3) / 4 * uses / v[kItemUses];
}

void GameData::SellBagItem(int b) {
  if (b < 0 || b >= kStackCount || ItemBag[b].id == 0) return;
  if (Item(ItemBag[b].id).values[kItemUses] == 0) return;
  const int64_t money = static_cast<int64_t>(Scalars[kScalarMoney]) + SellPrice(b);
  Scalars[kScalarMoney] = static_cast<uint32_t>(std::clamp<int64_t>(money, 0, UINT32_MAX));
  ItemBag[b] = {0, 0};
  PlayGameSound(kSoundPaid);
}

int GameData::AddItem(int n) {
  if (n <= 0 || n >= kItemCount) return 1;
  for (ItemStack& s : AbilityStock) {
    if (s.id == n) {
      s.count = static_cast<uint16_t>(s.count + 1);
      if (s.count == 0) s.count = 1;
      return 0;
    }
  }
  for (ItemStack& s : AbilityStock) {
    if (s.id == 0) {
      s = {static_cast<uint16_t>(n), 1};
      return 0;
    }
  }
  return 1;
}

void GameData::RemoveUsedUpItems() {
  auto remove = [this](ItemStack& s) {
    const int kind = ItemKind(s.id);
    if ((kind < kUsedUpKindLimit || kind == kUsedUpExtraKind) && s.count == 0) s.id = 0;
  };
  for (int b = 0; b < kUsedBagSlots; ++b) remove(ItemBag[b]);
  for (auto& member : Equipment) {
    for (ItemStack& s : member) remove(s);
  }
}

void GameData::UpdateOwnershipFlags() {
  for (const OwnershipFlag& o : kOwnershipFlags) {
    auto holds = [&](const ItemStack& s) { return s.id == o.item; };
    bool owned = std::any_of(ItemBag.begin(), ItemBag.end(), holds) ||
                 std::any_of(AbilityStock.begin(), AbilityStock.end(), holds);
    for (const auto& member : Equipment) owned = owned || std::any_of(member.begin(), member.end(), holds);
    if (owned) TheGameFlags.SetGameFlag(o.flag, 1);
  }
}

}  // namespace game

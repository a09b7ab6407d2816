// Concoction: three materials, in any order, make the item of the first recipe that
// names them.
#include <algorithm>

#include "game/data/game_data.h"

namespace game {
namespace {

constexpr char kCannotCarryMessage[] = "これいじょう_アイテムを_もてませんぜ。";
constexpr int kBagKindLimit = 300;  // results of lower kinds go into the bag

bool IsMaterial(int m) { return m >= 0 && m < kMaterialCount; }

}  // namespace

int GameData::Concoct(int a, int b, int c, int apply) {
  if (!IsMaterial(a) || !IsMaterial(b) || !IsMaterial(c)) return -1;
  std::array<int, 3> wanted = {a, b, c};
  std::sort(wanted.begin(), wanted.end());
  int result = -1;
  for (int r = 0; r < kRecipeCount && result < 0; ++r) {
    std::array<int, 3> named = {RecipeMaterials[r][0], RecipeMaterials[r][1], RecipeMaterials[r][2]};
    std::sort(named.begin(), named.end());
    if (named == wanted) result = static_cast<int>(RecipeResults[r]);
  }
  if (result < 0 || !apply) return result;
  if (result <= 0 || result >= kItemCount) return -1;
  if (ItemKind(result) < kBagKindLimit) {
    const int slot = FirstEmptyBagSlot();
    if (slot < 0) {
      ShowGamePopup(kCannotCarryMessage);
      return -1;
    }
    ItemBag[slot] = {static_cast<uint16_t>(result), static_cast<uint16_t>(Item(result).values[kItemUses])};
  } else if (AddItem(result) != 0) {
    ShowGamePopup(kCannotCarryMessage);
    return -1;
  }
  for (int m : {a, b, c}) {
    if (Materials[m].count > 0) --Materials[m].count;
  }
  return result;
}

}  // namespace game

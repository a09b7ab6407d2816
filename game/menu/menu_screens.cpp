// The long-jump page, the save and load lists, the shop and the concoction screen.
#include <algorithm>
#include <string>

#include "game/data/game_data.h"
#include "game/data/party_field.h"
#include "game/field/map_file.h"
#include "game/frame/frame_loop.h"
#include "game/frame/screen_wipe.h"
#include "game/menu/field_menu.h"

namespace game {

namespace {

constexpr uint32_t kRegisterAllowed = 1u << 0;
constexpr uint32_t kTeleportForbidden = 1u << 1;
constexpr uint32_t kFreePoint = 0xFFFFFFFFu;  // area of a point never registered

}  // namespace

// The last selectable jump point: scalar 4 (from saves) kept within the 32 destinations.
int FieldMenu::JumpLimit() const {
  return static_cast<int>(std::min<uint32_t>(TheGameData().Scalars[kScalarMenuValue], kMaxJumpPointLimit - 1));
}

void FieldMenu::UpdateJump(const MenuKeys& keys) {
  GameData& g = TheGameData();
  const uint32_t flags = g.Scalars[kScalarFlagWord];
  if (state == kMenuStateJumpMode) {
    if (keys.Repeat(kMenuRight)) jump_mode = static_cast<int16_t>(std::min(jump_mode + 1, 1));
    if (keys.Repeat(kMenuLeft)) jump_mode = static_cast<int16_t>(std::max(jump_mode - 1, 0));
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      state = kMenuStateMain, page = kMenuPageMain;
    } else if (keys.Pressed(kMenuDecide)) {
      const bool allowed = jump_mode == 0 ? (flags & kTeleportForbidden) == 0 : (flags & kRegisterAllowed) != 0;
      if (allowed) {
        PlayGameSound(kMenuSoundDecide);
        state = kMenuStateJumpPoints;
      } else {
        Refuse();
      }
    }
    return;
  }
  const int limit = JumpLimit();
  if (keys.Repeat(kMenuDown)) jump_cursor = static_cast<int16_t>(std::min<int>(jump_cursor + 1, limit));
  if (keys.Repeat(kMenuUp)) jump_cursor = static_cast<int16_t>(std::max(jump_cursor - 1, 0));
  jump_cursor = static_cast<int16_t>(std::clamp<int>(jump_cursor, 0, limit));
  jump_scroll = std::clamp(jump_scroll, jump_cursor - kJumpRows + 1, static_cast<int>(jump_cursor));
  if (keys.Pressed(kMenuCancel)) {
    PlayGameSound(kMenuSoundCancel);
    state = kMenuStateJumpMode;
    return;
  }
  if (!keys.Pressed(kMenuDecide)) return;
  if (jump_mode == 1) {
    PlayGameSound(kMenuSoundDecide);
    state = kMenuStateJumpMode;
    g.RecordLongJumpPoint(jump_cursor);
    ShowGamePopup(std::to_string(jump_cursor + 1) + "ばんに＿とうろくしました。");
    jump_mode = 0;
    return;
  }
  const LongJumpPoint& p = g.LongJumpPoints[jump_cursor];
  // A point read from a save may name a map with no file, or a tile off the map: the party
  // would be left nowhere, and every later save refused on load.
  const bool free = p.area == kFreePoint || p.area >= static_cast<uint32_t>(kMapCount);
  MapEntrance entry;
  if (!free && p.x < kMapSize && p.y < kMapSize) entry = OpenFieldMap(static_cast<int>(p.area));
  if (!entry) {
    Refuse();
    return;
  }
  PlayGameSound(kMenuSoundJump);
  state = kMenuStateMain, page = kMenuPageMain;
  CloseMenu();
  TheScreenWipe.PlayScreenWipe();
  entry(p.x, p.y, 0);
  TheScreenWipe.ArmScreenBreak();
}

void FieldMenu::UpdateSaveLoad(const MenuKeys& keys) {
  GameData& g = TheGameData();
  if (state == kMenuStateSaveConfirm) {
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      state = kMenuStateSaveList;
    } else if (keys.Pressed(kMenuDecide)) {
      PlayGameSound(kMenuSoundSaved);
      g.SaveGame(save_cursor);
      state = kMenuStateSaveList;
    }
    return;
  }
  int c = save_cursor;
  if (keys.Repeat(kMenuDown)) c += 1;
  if (keys.Repeat(kMenuUp)) c -= 1;
  if (keys.Pressed(kMenuPageDown)) c += kSaveRows;
  if (keys.Pressed(kMenuPageUp)) c -= kSaveRows;
  save_cursor = static_cast<int16_t>(std::clamp(c, 0, kSaveSlots - 1));
  save_scroll = std::clamp(save_scroll, save_cursor - kSaveRows + 1, static_cast<int>(save_cursor));
  if (keys.Pressed(kMenuCancel)) {
    PlayGameSound(kMenuSoundCancel);
    if (state == kMenuStateSaveList) {
      state = kMenuStateMain, page = kMenuPageMain;
    } else {
      GameMode = MODE_TITLE;
    }
    return;
  }
  if (!keys.Pressed(kMenuDecide)) return;
  if (state == kMenuStateSaveList) {
    PlayGameSound(kMenuSoundDecide);
    state = kMenuStateSaveConfirm;
    return;
  }
  if (g.SlotSummaries[save_cursor].leader_id == kEmptySlotLeader) {
    Refuse();
    return;
  }
  PlayGameSound(kMenuSoundDecide);
  state = kMenuStateMain, page = kMenuPageMain;
  CloseMenu();
  TheScreenWipe.PlayScreenWipe();
  // A failed load changes nothing: a game under way goes on in the field (its pop-up was
  // shown); the list opened from the title has no game to go back to.
  if (g.LoadGame(save_cursor) != 0 && load_from_title) {
    GameMode = MODE_TITLE;
    return;
  }
  TheScreenWipe.ArmScreenBreak();
}

void FieldMenu::UpdateShop(const MenuKeys& keys) {
  GameData& g = TheGameData();
  if (state == kMenuStateShop) {
    if (keys.Repeat(kMenuRight)) shop_choice = static_cast<int16_t>(std::min(shop_choice + 1, 1));
    if (keys.Repeat(kMenuLeft)) shop_choice = static_cast<int16_t>(std::max(shop_choice - 1, 0));
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      CloseMenu();
    } else if (keys.Pressed(kMenuDecide)) {
      PlayGameSound(kMenuSoundDecide);
      if (shop_choice == 0) {
        state = kMenuStateBuy;
      } else {
        state = kMenuStateSell, page = kMenuPageBag;
      }
    }
    return;
  }
  if (state == kMenuStateBuy) {
    if (first_pick < 0) {
      if (keys.Repeat(kMenuDown)) goods_cursor = static_cast<int16_t>(std::min(goods_cursor + 1, kGoodsCount - 1));
      if (keys.Repeat(kMenuUp)) goods_cursor = static_cast<int16_t>(std::max(goods_cursor - 1, 0));
    }
    if (keys.Down(kMenuDescribe)) description_shown = true;
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      if (first_pick >= 0) {
        first_pick = -1;
      } else {
        state = kMenuStateShop;
      }
    } else if (keys.Pressed(kMenuDecide)) {
      if (first_pick >= 0) {
        first_pick = -1;
        g.BuyItem(goods[goods_cursor]);
      } else if (goods[goods_cursor] > 0) {
        PlayGameSound(kMenuSoundDecide);
        first_pick = goods_cursor;
      }
    }
    return;
  }
  // State 33: selling from the bag.
  if (first_pick < 0) MoveBagCursor(keys, sell_cursor, kUsedBagSlots - 1);
  sell_scroll = std::clamp(sell_scroll, sell_cursor / 2 * 2 - kBagPageEntries + 2, sell_cursor / 2 * 2);
  if (keys.Down(kMenuDescribe)) description_shown = true;
  if (keys.Pressed(kMenuCancel)) {
    PlayGameSound(kMenuSoundCancel);
    if (first_pick < 0) {
      state = kMenuStateShop, page = kMenuPageShop;
    } else {
      first_pick = -1;
    }
  } else if (keys.Pressed(kMenuDecide)) {
    if (first_pick >= 0) {
      g.SellBagItem(sell_cursor);
      first_pick = -1;
    } else if (g.ItemBag[sell_cursor].id != 0) {
      // An item worth nothing (no uses on file) is not for sale.
      if (g.Item(g.ItemBag[sell_cursor].id).values[kItemUses] == 0) {
        Refuse();
      } else {
        first_pick = sell_cursor;
        PlayGameSound(kMenuSoundDecide);
      }
    }
  }
}

void FieldMenu::UpdateConcoction(const MenuKeys& keys) {
  GameData& g = TheGameData();
  if (state == kMenuStateConcoction) {
    MoveBagCursor(MenuKeys{0, 0, static_cast<uint16_t>(keys.repeat & 0xF)}, material_cursor, kMaterialNames - 1);
    if (keys.Pressed(kMenuDecide)) {
      const int m = material_cursor;
      const bool taken = std::find(chosen.begin(), chosen.begin() + chosen_count, m) != chosen.begin() + chosen_count;
      if (g.Materials[m].count == 0 || taken) {
        Refuse();
        return;
      }
      chosen[chosen_count++] = m;
      PlayGameSound(kMenuSoundDecide);
      if (chosen_count == 3) {
        concoction_result = static_cast<int16_t>(std::max(g.Concoct(chosen[0], chosen[1], chosen[2], 0), 0));
        state = kMenuStateConcoctionResult;
      }
    } else if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      if (chosen_count > 0) {
        --chosen_count;
      } else {
        CloseMenu();
      }
    }
    return;
  }
  if (state == kMenuStateConcoctionResult) {
    if (keys.Pressed(kMenuDecide)) {
      if (concoction_result > 0) {
        PlayGameSound(kMenuSoundDecide);
        state = kMenuStateConcoctionConfirm;
      } else {
        state = kMenuStateConcoction, chosen_count = 0;
        PlayGameSound(kMenuSoundCancel);
      }
    } else if (keys.Pressed(kMenuCancel)) {
      state = kMenuStateConcoction, chosen_count = 2;
      PlayGameSound(kMenuSoundCancel);
    }
    return;
  }
  if (keys.Pressed(kMenuDecide)) {
    state = kMenuStateConcoction, chosen_count = 0;
    PlayGameSound(g.Concoct(chosen[0], chosen[1], chosen[2], 1) > 0 ? kMenuSoundConcocted : kMenuSoundCancel);
  } else if (keys.Pressed(kMenuCancel)) {
    state = kMenuStateConcoction, chosen_count = 0;
    PlayGameSound(kMenuSoundCancel);
  }
}

}  // namespace game

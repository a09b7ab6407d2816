// One step of the menu's state machine: the main page, members and their slots, the
// bag, the stock, the materials, the party order and the item target.
#include <algorithm>

#include "game/data/game_data.h"
#include "game/input/key_cast.h"
#include "game/menu/field_menu.h"

namespace game {

namespace {

int16_t Wrap(int value, int count) { return static_cast<int16_t>(((value % count) + count) % count); }

bool Present(int m) { return m >= 0 && m < kMemberCount && TheGameData().Members[m][kMemberPresent] != 0; }

}  // namespace

// Two columns: up/down a row, left/right an entry, a page of 22.
void FieldMenu::MoveBagCursor(const MenuKeys& keys, int16_t& cursor, int last) {
  int c = cursor;
  if (keys.Repeat(kMenuDown)) c += 2;
  if (keys.Repeat(kMenuUp)) c -= 2;
  if (keys.Repeat(kMenuRight)) c += 1;
  if (keys.Repeat(kMenuLeft)) c -= 1;
  if (keys.Pressed(kMenuPageDown)) c = c >= last + 1 - kBagPageEntries ? last : c + kBagPageEntries;
  if (keys.Pressed(kMenuPageUp)) c = c < kBagPageEntries ? 0 : c - kBagPageEntries;
  cursor = static_cast<int16_t>(std::clamp(c, 0, last));
}

void FieldMenu::UpdateMenu(const MenuKeys& keys) {
  switch (state) {
    case kMenuStateMain:
    case kMenuStateSlotsMember:
    case kMenuStateSlots:
    case kMenuStateEquipMember:
    case kMenuStateEquipSlots:
    case kMenuStateEspMember:
    case kMenuStateEspSlots:
    case kMenuStatePartyOrder: UpdateMainAndMembers(keys); break;
    case kMenuStateBag:
    case kMenuStateEquipFromBag:
    case kMenuStateEspFromStock:
    case kMenuStateMaterials:
    case kMenuStateBagCommand:
    case kMenuStateAllMaterials: UpdateLists(keys); break;
    case kMenuStateJumpPoints:
    case kMenuStateJumpMode: UpdateJump(keys); break;
    case kMenuStateSaveList:
    case kMenuStateSaveConfirm:
    case kMenuStateLoadList: UpdateSaveLoad(keys); break;
    case kMenuStateShop:
    case kMenuStateBuy:
    case kMenuStateSell: UpdateShop(keys); break;
    case kMenuStateConcoction:
    case kMenuStateConcoctionResult:
    case kMenuStateConcoctionConfirm: UpdateConcoction(keys); break;
    case kMenuStateItemTarget:
    case kMenuStateItemResult: UpdateItemUse(keys); break;
    default: break;
  }
}

void FieldMenu::UpdateMainAndMembers(const MenuKeys& keys) {
  GameData& g = TheGameData();
  if (state == kMenuStateMain) {
    if (keys.Repeat(kMenuDown)) main_cursor = Wrap(main_cursor + 1, 8);
    if (keys.Repeat(kMenuUp)) main_cursor = Wrap(main_cursor - 1, 8);
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      CloseMenu();
    } else if (keys.Pressed(kMenuDecide)) {
      PlayGameSound(kMenuSoundDecide);
      static constexpr MenuState kNext[8] = {kMenuStateSlotsMember, kMenuStateBag,       kMenuStateEquipMember,
                                             kMenuStateEspMember,   kMenuStateMaterials, kMenuStatePartyOrder,
                                             kMenuStateJumpMode,    kMenuStateSaveList};
      static constexpr int kPage[8] = {0, kMenuPageBag, 0, 0, kMenuPageMaterials, 0, kMenuPageJump, kMenuPageSaveLoad};
      state = kNext[main_cursor];
      page = kPage[main_cursor];
      if (main_cursor == 1) sub_command = 0;
      if (main_cursor == 7 && keys.Down(kMenuPageDown)) {
        state = kMenuStateLoadList;
        KeyInput.ClearKeyCast();
      }
    }
    return;
  }
  if (state == kMenuStateSlotsMember || state == kMenuStateEquipMember || state == kMenuStateEspMember) {
    if (keys.Repeat(kMenuDown)) member_cursor = Wrap(member_cursor + 1, kMemberCount);
    if (keys.Repeat(kMenuUp)) member_cursor = Wrap(member_cursor - 1, kMemberCount);
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      state = kMenuStateMain;
    } else if (keys.Pressed(kMenuDecide)) {
      if (!Present(member_cursor)) {
        Refuse();
      } else {
        PlayGameSound(kMenuSoundDecide);
        state = state == kMenuStateSlotsMember   ? kMenuStateSlots
                : state == kMenuStateEquipMember ? kMenuStateEquipSlots
                                                 : kMenuStateEspSlots;
        page = kMenuPageMember;
      }
    }
    return;
  }
  if (state == kMenuStatePartyOrder) {
    if (keys.Repeat(kMenuDown)) member_cursor = Wrap(member_cursor + 1, kMemberCount);
    if (keys.Repeat(kMenuUp)) member_cursor = Wrap(member_cursor - 1, kMemberCount);
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      state = kMenuStateMain, main_cursor = 0, first_pick = -1;
    } else if (keys.Pressed(kMenuDecide)) {
      PlayGameSound(kMenuSoundDecide);
      if (first_pick < 0) {
        first_pick = member_cursor;
      } else {
        g.SwapMembers(first_pick, member_cursor);
        std::swap(slot_cursor[first_pick], slot_cursor[member_cursor]);
        first_pick = -1;
      }
    }
    return;
  }
  // A member's slots: command slots, equipment or ESP.
  const int m = member_cursor;
  int16_t& slot = slot_cursor[m];
  if (keys.Repeat(kMenuDown)) slot = Wrap(slot + 1, kUsedEquipSlots);
  if (keys.Repeat(kMenuUp)) slot = Wrap(slot - 1, kUsedEquipSlots);
  if (first_pick < 0) {
    if (keys.Pressed(kMenuPageUp)) SelectNextMember(-1);
    if (keys.Pressed(kMenuPageDown)) SelectNextMember(1);
  }
  if (state == kMenuStateSlots && keys.Down(kMenuDescribe)) description_shown = true;
  if (keys.Pressed(kMenuCancel)) {
    PlayGameSound(kMenuSoundCancel);
    if (state == kMenuStateSlots) {
      if (first_pick >= 0) {
        first_pick = -1;
      } else {
        state = kMenuStateSlotsMember, page = kMenuPageMain;
      }
    } else {
      state = state == kMenuStateEquipSlots ? kMenuStateEquipMember : kMenuStateEspMember;
      page = kMenuPageMain;
    }
    return;
  }
  if (keys.Pressed(kMenuDecide)) {
    PlayGameSound(kMenuSoundDecide);
    if (state == kMenuStateSlots) {
      const int s = slot_cursor[member_cursor];
      if (first_pick < 0) {
        first_pick = s;
      } else if (first_pick == s) {
        first_pick = -1;
        if (g.Status[member_cursor][kStatusDown] != 0 || g.Status[member_cursor][kStatusParalysed] != 0) {
          Refuse();
        } else if (g.Equipment[member_cursor][s].count != 0) {
          BeginUseItem(member_cursor, s, g.Equipment[member_cursor][s].id);
        }
      } else {
        g.SwapEquipSlots(member_cursor, first_pick, s);
        first_pick = -1;
      }
    } else if (state == kMenuStateEquipSlots) {
      state = kMenuStateEquipFromBag, page = kMenuPageBag;
    } else {
      state = kMenuStateEspFromStock, page = kMenuPageStock;
    }
    return;
  }
  if (state != kMenuStateSlots && keys.Pressed(kMenuDescribe)) {
    g.Unequip(member_cursor, slot_cursor[member_cursor]);
    PlayGameSound(kMenuSoundChanged);
  } else if (state != kMenuStateSlots && keys.Pressed(kMenuSwitch)) {
    state = state == kMenuStateEquipSlots ? kMenuStateEspSlots : kMenuStateEquipSlots;
    main_cursor = state == kMenuStateEspSlots ? 3 : 2;
    PlayGameSound(kMenuSoundDecide);
  }
}

void FieldMenu::UpdateLists(const MenuKeys& keys) {
  GameData& g = TheGameData();
  if (state == kMenuStateBagCommand) {
    if (keys.Repeat(kMenuRight)) sub_command = static_cast<int16_t>(std::min(sub_command + 1, 2));
    if (keys.Repeat(kMenuLeft)) sub_command = static_cast<int16_t>(std::max(sub_command - 1, 0));
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      state = kMenuStateMain, page = kMenuPageMain;
    } else if (keys.Pressed(kMenuDecide)) {
      if (sub_command < 2) {
        PlayGameSound(kMenuSoundDecide);
        state = kMenuStateBag, page = kMenuPageBag;
      } else {
        g.SortBag();
        bag_cursor = 0, sub_command = 0, bag_scroll = 0;
        PlayGameSound(kMenuSoundSort);
      }
    }
    return;
  }
  if (state == kMenuStateMaterials || state == kMenuStateAllMaterials) {
    MoveBagCursor(MenuKeys{0, 0, static_cast<uint16_t>(keys.repeat & 0xF)}, material_cursor, kMaterialNames - 1);
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      state = kMenuStateMain, page = kMenuPageMain;
    } else if (keys.Pressed(kMenuSwitch)) {
      state = state == kMenuStateMaterials ? kMenuStateAllMaterials : kMenuStateMaterials;
      PlayGameSound(kMenuSoundCancel);
    }
    return;
  }
  if (state == kMenuStateEspFromStock) {
    MoveBagCursor(keys, stock_cursor, kStackCount - 1);
    if (keys.Down(kMenuDescribe)) description_shown = true;
    if (keys.Pressed(kMenuCancel)) {
      PlayGameSound(kMenuSoundCancel);
      if (first_pick < 0) {
        state = kMenuStateEspSlots, page = kMenuPageMember;
      } else {
        first_pick = -1;
      }
    } else if (keys.Pressed(kMenuDecide)) {
      PlayGameSound(kMenuSoundDecide);
      if (first_pick < 0) {
        first_pick = stock_cursor;
      } else if (first_pick == stock_cursor) {
        g.EquipAbility(member_cursor, slot_cursor[member_cursor], stock_cursor);
        first_pick = -1;
        state = kMenuStateEspSlots, page = kMenuPageMember;
      } else {
        g.SwapStockSlots(first_pick, stock_cursor);
        first_pick = -1;
      }
    }
    stock_scroll = std::clamp(stock_scroll, stock_cursor / 2 * 2 - kBagPageEntries + 2, stock_cursor / 2 * 2);
    return;
  }
  // The bag, to use from or to equip from.
  MoveBagCursor(keys, bag_cursor, kUsedBagSlots - 1);
  bag_scroll = std::clamp(bag_scroll, bag_cursor / 2 * 2 - kBagPageEntries + 2, bag_cursor / 2 * 2);
  if (keys.Down(kMenuDescribe)) description_shown = true;
  if (keys.Pressed(kMenuCancel)) {
    PlayGameSound(kMenuSoundCancel);
    g.UpdateOwnershipFlags();
    if (state == kMenuStateEquipFromBag) {
      state = kMenuStateEquipSlots, page = kMenuPageMember;
    } else if (first_pick < 0) {
      state = kMenuStateBagCommand;
    } else {
      first_pick = -1;
    }
    return;
  }
  if (!keys.Pressed(kMenuDecide)) return;
  if (state == kMenuStateEquipFromBag) {
    if (g.EquipFromBag(member_cursor, slot_cursor[member_cursor], bag_cursor) == 0) PlayGameSound(kMenuSoundDecide);
    state = kMenuStateEquipSlots, page = kMenuPageMember;
    return;
  }
  if (first_pick < 0) {
    first_pick = bag_cursor;
    PlayGameSound(kMenuSoundDecide);
    return;
  }
  if (first_pick == bag_cursor) {
    ItemStack& entry = g.ItemBag[bag_cursor];
    if (sub_command == 0) {
      if (entry.count != 0) BeginUseItem(-1, bag_cursor, entry.id);
    } else {
      entry = {0, 0};
      PlayGameSound(kMenuSoundChanged);
    }
  } else {
    g.SwapBagSlots(first_pick, bag_cursor);
  }
  first_pick = -1;
}

void FieldMenu::UpdateItemUse(const MenuKeys& keys) {
  if (state == kMenuStateItemResult) {
    --result_timer;
    if (keys.Pressed(kMenuDecide) || keys.Pressed(kMenuCancel)) result_timer = 0;
    if (result_timer <= 0) page = saved_page, state = saved_state;
    return;
  }
  if (target >= 0) {
    if (keys.Repeat(kMenuDown)) target = Wrap(target + 1, kMemberCount);
    if (keys.Repeat(kMenuUp)) target = Wrap(target - 1, kMemberCount);
  }
  if (keys.Pressed(kMenuCancel)) {
    page = saved_page, state = saved_state;
    PlayGameSound(kMenuSoundCancel);
  } else if (keys.Pressed(kMenuDecide) && (target < 0 || Present(target))) {
    UseItemEffect(target);
  }
}

}  // namespace game

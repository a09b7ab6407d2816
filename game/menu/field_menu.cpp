// The field menu object: opening, closing, the header lines and the frame.
#include "game/menu/field_menu.h"

#include <algorithm>

#include "game/data/game_data.h"
#include "game/data/party_field.h"
#include "game/frame/frame_loop.h"
#include "game/input/key_cast.h"
#include "game/text/bitmap_font.h"

namespace game {

FieldMenu TheFieldMenu;

namespace {
constexpr char kIdCardFile[] = "system\\idcard.png";
constexpr int kIdCardPieces = 7;

MenuFieldHooks field_hooks;  // null members: no field
}  // namespace

void SetMenuFieldHooks(MenuFieldHooks hooks) { field_hooks = hooks; }

std::span<const int> FieldCharacterFrames() {
  return field_hooks.character_frames ? field_hooks.character_frames() : std::span<const int>();
}

MenuKeys SampleMenuKeys() {
  MenuKeys keys;
  for (int n = 0; n <= kMenuPageUp; ++n) {
    const uint16_t bit = static_cast<uint16_t>(1u << n);
    if (KeyInput.IsButtonDown(n)) keys.down |= bit;
    if (KeyInput.IsButtonPressed(n)) keys.pressed |= bit;
    if (KeyInput.IsButtonRepeat(n)) keys.repeat |= bit;
  }
  return keys;
}

void FieldMenu::LoadIdCardImages() {
  id_card.fill(-1);
  GameLoadDivGraph(kIdCardFile, kIdCardPieces, kIdCardPieces, 1, 6, 8, id_card.data());
}

void FieldMenu::OpenMenu(int new_state, int new_page) {
  page = new_page;
  state = new_state;
  first_pick = -1;
  shake = 0;
  load_from_title = false;
  SetMenuLine(0, "MENU");
  SetMenuLine(1, FieldMapDisplayName());
}

void FieldMenu::OpenShop(const std::array<int32_t, kGoodsCount>& new_goods) {
  goods = new_goods;
  page = kMenuPageShop;
  state = kMenuStateShop;
  first_pick = -1;
  shake = 0;
  shop_choice = goods_cursor = sell_cursor = 0;
  sell_scroll = 0;
  GameMode = MODE_MENU;
}

void FieldMenu::OpenConcoction() {
  chosen_count = 0;
  page = kMenuPageConcoction;
  state = kMenuStateConcoction;
  first_pick = -1;
  shake = 0;
  material_cursor = 0;
  GameMode = MODE_MENU;
}

void FieldMenu::CloseMenu() {
  TheGameData().UpdateOwnershipFlags();
  if (field_hooks.return_to_field) field_hooks.return_to_field();
  GameMode = MODE_FIELD;
}

// The lines are cleared first, so that two lines with the same text compare equal.
void FieldMenu::SetMenuLine(int which, std::string_view sjis) {
  const std::span<uint8_t> line = which == 0 ? std::span<uint8_t>(title_line) : std::span<uint8_t>(help_line);
  std::fill(line.begin(), line.end(), kGlyphEnd);
  SjisToGlyphCodes(sjis, line);
}

void FieldMenu::SetMenuLineCodes(int which, std::span<const uint8_t> codes) {
  const std::span<uint8_t> line = which == 0 ? std::span<uint8_t>(title_line) : std::span<uint8_t>(help_line);
  std::fill(line.begin(), line.end(), kGlyphEnd);
  for (size_t n = 0; n + 1 < line.size() && n < codes.size() && codes[n] != kGlyphEnd; ++n) line[n] = codes[n];
}

void FieldMenu::SelectNextMember(int direction) {
  const GameData& g = TheGameData();
  for (int step = 0; step < kMemberCount; ++step) {
    member_cursor = static_cast<int16_t>((member_cursor + (direction == 1 ? 1 : kMemberCount - 1)) % kMemberCount);
    if (g.Members[member_cursor][kMemberPresent] != 0) return;
  }
}

void FieldMenu::MenuFrame() {
  description_shown = false;
  ++frame_counter;
  DrawMenuPages();
  UpdateMenu(SampleMenuKeys());
  UpdateHeaderLines();
  DrawMenuCursor();
  DrawMenuHeader();
  DrawMenuShake();
}

void FieldMenuFrame() { TheFieldMenu.MenuFrame(); }

void OpenFieldMenu() {
  TheFieldMenu.OpenMenu(kMenuStateMain, kMenuPageMain);
  GameMode = MODE_MENU;
}

void OpenShopScreen(const std::array<int32_t, kGoodsCount>& goods) { TheFieldMenu.OpenShop(goods); }

void OpenConcoctionScreen() { TheFieldMenu.OpenConcoction(); }

void OpenLoadList() {
  TheFieldMenu.OpenMenu(kMenuStateLoadList, kMenuPageSaveLoad);
  TheFieldMenu.load_from_title = true;
  GameMode = MODE_MENU;
}

void ResetFieldMenu() { TheFieldMenu = FieldMenu{}; }

}  // namespace game

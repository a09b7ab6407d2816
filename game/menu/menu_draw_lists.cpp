// Drawing the list pages: long jump, save and load, the shop and concoction.
#include "game/menu/field_menu.h"

namespace game {

void FieldMenu::DrawJumpPage() {}
void FieldMenu::DrawSaveLoadPage() {}
void FieldMenu::DrawShopPage() {}
void FieldMenu::DrawConcoctionPage() {}

}  // namespace game

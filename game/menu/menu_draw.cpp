// Drawing the menu's pages, cursor and header boxes. The pages are not drawn yet: the
// rules run and the frame shows the field beneath.
#include "game/menu/field_menu.h"

namespace game {

void FieldMenu::DrawMenuPages() {}
void FieldMenu::DrawMenuCursor() {}
void FieldMenu::DrawMenuHeader() {}

}  // namespace game

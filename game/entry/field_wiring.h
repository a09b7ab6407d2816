// Connects the field to the rest of the program: the game state's and the menu's view of
// it, and the screens it opens (battles, the shop, the concoction screen, the menu, the
// title).
#pragma once

namespace game {

// At game start, after InitGame has made the field and the game data (InitGame calls it);
// tests that run the real field with the game data call it too.
void WireField();

}  // namespace game

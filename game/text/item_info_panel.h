// The item information panel: the framed window that button 7 shows over the menus, the
// shop and the battle's command list, with an item's kind, cost, range, multiplier, raise,
// hits and bonuses from the game data's item table.
#pragma once

namespace game {

// Draws the panel for item n (labels only for 0 or an id outside the table).
void DrawItemInfo(int item);

}  // namespace game

// Connects the battle to the program: its mode handler and the music, title and screen
// services it calls on.
#pragma once

namespace game {

// At game start, after InitGame.
void WireBattle();

}  // namespace game

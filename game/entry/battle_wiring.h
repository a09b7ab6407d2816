// Connects the battle to the program: its mode handler, its pictures and tables, and the
// music, title and screen services it calls on.
#pragma once

namespace game {

// At game start, after the database is read.
void WireBattle();

}  // namespace game

// The game program, started from its data folder.
#include "game/entry/game_main.h"

int main() { return game::RunGame(); }

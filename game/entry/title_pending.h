// What the title calls of components that are not part of the program yet: the music
// manager, and the new game with its first map. Each stand-in does the
// least its caller needs and counts its calls, so the title can be run and watched; the
// real calls replace these one by one.
#pragma once

#include <array>

namespace game {

// The calls as the title makes them; each moves to its owner's real call.
namespace title_pending {

// Calls the stand-ins have seen, for tests.
struct CallRecord {
  int new_games = 0;                   // NewGame
  int map_entries = 0;                 // EnterMap
  std::array<int, 4> last_map{};       // its map, x, y, direction
  int music_plays = 0;                 // PlayMusic
  int last_music = -2;                 // its entry (-1 silence), -2 none yet
};
extern CallRecord Calls;

// The music manager: plays list entry n, -1 silence. Stand-in: nothing sounds.
void PlayMusic(int n);
// Entries of the music list: the lines read plus one. Stand-in: MusicListEntries, 1 (no
// list) unless a test sets another.
int MusicListCount();
extern int MusicListEntries;
// The game data of a new game. Stand-in: counted only.
void NewGame();
// The field enters map n with the player at (x, y) facing direction, which arms the
// screen break. Stand-in: counted, and the break armed, so the wipe is seen to its end.
void EnterMap(int map, int x, int y, int direction);

// Back to the state at load, for tests.
void ResetCalls();

}  // namespace title_pending
}  // namespace game

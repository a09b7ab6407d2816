// Stand-ins for the music manager, the new game, the field and the load list, as the
// title calls them.
#include "game/entry/title_pending.h"

#include "game/entry/frame_loop.h"
#include "game/entry/screen_wipe.h"

namespace game::title_pending {

namespace {

constexpr int kNoMusicListCount = 1;  // no lines read

}  // namespace

CallRecord Calls;                         // what the stand-ins were asked
int MusicListEntries = kNoMusicListCount;  // MusicListCount's answer

void PlayMusic(int n) {
  ++Calls.music_plays;
  Calls.last_music = n;
}

int MusicListCount() { return MusicListEntries; }

void NewGame() { ++Calls.new_games; }

void EnterMap(int map, int x, int y, int direction) {
  ++Calls.map_entries;
  Calls.last_map = {map, x, y, direction};
  TheScreenWipe.ArmScreenBreak();
}

void ResetCalls() {
  Calls = CallRecord{};
  MusicListEntries = kNoMusicListCount;
}

}  // namespace game::title_pending

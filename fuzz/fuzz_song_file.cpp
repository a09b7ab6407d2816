// A song file (.org).
#include "music/org_song.h"
#include "music_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlfuzz::EnterMusicDevice();
  static bool pools = false;
  if (!pools) {
    music::OrgSong.SetSongDefaults();
    pools = true;
  }
  if (!nlfuzz::WriteGameFile("song.org", data, size)) return 0;
  music::OrgSong.LoadOrgSong("song.org");
  return 0;
}

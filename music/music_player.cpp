#include "music/music_player.h"

#include <mutex>

#include "music/melody_voice.h"
#include "music/music_device.h"
#include "music/org_song.h"
#include "music/song_timer.h"

namespace music {

void LoadSong(std::string_view path) {
  if (MusicDirectSound == nullptr) return;
  std::lock_guard<std::mutex> lock(SongPlayMutex);
  OrgSong.LoadOrgSong(path);
}

void SetSongPosition(int32_t position) {
  if (MusicDirectSound == nullptr) return;
  std::lock_guard<std::mutex> lock(SongPlayMutex);
  OrgSong.SeekSong(position);
}

int32_t GetSongPosition() { return MusicDirectSound == nullptr ? 0 : PlayPosition.load(); }

void StartSong() {
  if (MusicDirectSound == nullptr) return;
  SongStopping = false;
  BeginTimerPeriod();
  StartSongTimerEvent(OrgSong.tickPeriod);
}

void SetMusicVolume(int32_t volume) {
  if (MusicDirectSound == nullptr) return;
  if (volume < 0 || volume > kMaxMusicVolume) return;
  std::lock_guard<std::mutex> lock(SongPlayMutex);
  MusicMasterVolume = volume;
}

void StopMusic() {
  if (MusicDirectSound == nullptr) return;
  {
    // The kill below waits for a tick in flight, which waits for this mutex: it is
    // released first, and the flag keeps a late tick from starting notes again.
    std::lock_guard<std::mutex> lock(SongPlayMutex);
    SongStopping = true;
    for (int t = 0; t < kMelodyTracks; ++t) PlayMelodyNote(0, kNoteOff, t, 0);
  }
  StopSongTimer();
}

}  // namespace music

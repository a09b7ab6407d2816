// Owner of the background-music manager.
#include "music/music_manager.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "music/drum_voice.h"
#include "music/melody_voice.h"
#include "music/music_device.h"
#include "music/music_player.h"
#include "music/org_song.h"
#include "music/song_timer.h"
#include "music/wave_table.h"
#include "platform/fs/fs.h"

namespace music {

MusicManager TheMusicManager;  // constructed with the game's objects, destroyed at exit

namespace {

constexpr char kWaveTablePath[] = "Org\\Wave100.dat";
constexpr char kMusicListPath[] = "Org\\music.csv";
constexpr int kListNotRead = 0;

bool exit_handler_set = false;  // the exit handler is registered

// Runs before any global object is destroyed: a run that ends without the game's
// shut-down (a fatal exit) stops the timer and frees the buffers while the sound module
// and the timer module still exist.
void EndMusicAtExit() {
  if (TheMusicManager.ready == 0) return;
  StopMusic();
  TheMusicManager.ReleaseMusic();
}

bool ValidSong(int n) { return n >= kNoSong && n < kMusicListEntries; }

}  // namespace

MusicManager::MusicManager() = default;

MusicManager::~MusicManager() {
  // Only a manager still holding the music touches it: after the shut-down (or the exit
  // handler) the sound and timer modules may already be gone.
  if (ready == 0) return;
  StopMusic();
  ReleaseMusic();
}

void MusicManager::InitMusic(plat::sound::Device* directSound) {
  MusicDirectSound = directSound;
  if (directSound == nullptr) return;
  if (LoadWaveTable(kWaveTablePath) == 0) return;
  OrgSong.SetSongDefaults();
  if (std::FILE* file = plat::fs::OpenFile(kMusicListPath, "rt")) {
    std::string text;
    char chunk[1024];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
    std::fclose(file);
    listCount = ParseMusicList(text, MusicList);
  } else {
    listCount = kListNotRead;
  }
  ready = 1;
  currentSong = kNoSong;
  if (!exit_handler_set) {
    exit_handler_set = true;
    std::atexit(&EndMusicAtExit);
  }
}

void MusicManager::ReleaseMusic() {
  ready = 0;
  if (MusicDirectSound == nullptr) return;
  OrgSong.FreeNotePools();
  for (int t = 0; t < kMelodyTracks; ++t) {
    ReleaseMelodyBuffers(t);
    ReleaseDrumBuffer(t);
  }
}

void MusicManager::PlayMusic(int n) {
  // Numbers outside the list do nothing; -1 is silence.
  if (!ValidSong(n)) return;
  fadeVolume = kMaxMusicVolume;
  pendingSong = kNoSong;
  if (fadingOut != 0 && currentSong == n) SetMusicVolume(kMaxMusicVolume);
  fadingOut = 0;
  if (currentSong == n) return;
  StopMusic();
  SetMusicVolume(kMaxMusicVolume);
  currentSong = n;
  if (n == kNoSong) return;
  LoadSong(MusicList[n].data());
  StartSong();
}

void MusicManager::PlayBattleMusic(int n) {
  SetMusicVolume(kMaxMusicVolume);
  if (n != kNoSong) {
    savedPosition = 0;
    PlayMusic(n);
    return;
  }
  savedPosition = GetSongPosition();
  savedSong = currentSong;
  PlayMusic(battleSong);
}

void MusicManager::ResumeMusic() {
  if (savedSong == currentSong) {
    // The battle played the field's own song: it goes on, moved to the saved position.
    SetSongPosition(savedPosition);
  } else {
    StopMusic();
    PlayMusic(savedSong);
    SetSongPosition(savedPosition);
  }
  fadingIn = 1;
  fadeVolume = kResumeFadeStart;
  SetMusicVolume(kResumeFadeStart);
}

void MusicManager::FadeToMusic(int n) {
  // A number outside the list would leave the fade-out running below volume 0 forever.
  if (!ValidSong(n) || n == currentSong) return;
  fadingOut = 1;
  pendingSong = n;
}

void MusicManager::UpdateMusicFade() {
  if (fadingOut != 0) {
    fadeVolume -= kFadeOutStep;
    SetMusicVolume(fadeVolume);
    if (fadeVolume <= 0) PlayMusic(pendingSong);
  } else if (fadingIn != 0) {
    fadeVolume += kFadeInStep;
    SetMusicVolume(fadeVolume);
    if (fadeVolume >= kMaxMusicVolume) fadingIn = 0;
  }
}

void ResetMusicForTests() {
  TheMusicManager.ready = 0;  // the old state is forgotten, not released
  TheMusicManager = MusicManager();
  ResetOrgSongForTests();
  ResetMelodyVoicesForTests();
  ResetDrumVoicesForTests();
  ResetWaveTableForTests();
  ResetSongTimerForTests();
  ResetMusicDeviceForTests();
}

}  // namespace music

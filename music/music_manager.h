// The background-music manager: plays songs by their number in the music list, switches
// to the battle song and back to the saved song at its saved position, and fades the
// current song out before a pending one, or a resumed one in, one step a frame.
#pragma once

#include <cstdint>

#include "music/music_list.h"
#include "platform/sound/sound.h"

namespace music {

inline constexpr int kNoSong = -1;
inline constexpr int32_t kResumeFadeStart = 40;  // volume a resumed song starts at
inline constexpr int32_t kFadeOutStep = 1;       // per frame
inline constexpr int32_t kFadeInStep = 2;

class MusicManager {
 public:
  MusicManager();
  virtual ~MusicManager();

  // Start-up with the library's sound device (null: music off): the waveforms, the song
  // defaults and the music list.
  void InitMusic(plat::sound::Device* directSound);
  // Frees the note pools and every voice buffer; clears ready.
  void ReleaseMusic();
  void PlayMusic(int n);
  void PlayBattleMusic(int n);
  void ResumeMusic();
  void FadeToMusic(int n);
  void SetBattleMusic(int n) { battleSong = n; }
  void SetSavedMusic(int n) { savedSong = n; }
  // One fade step; once a frame.
  void UpdateMusicFade();

  MusicListTable MusicList{};  // song paths, entry i = i-th line of the list file
  uint8_t ready = 0;           // InitMusic got past the waveforms
  int32_t fadeVolume = 127;    // the volume the fades step
  int32_t currentSong = kNoSong;
  int32_t pendingSong = kNoSong;  // plays when a fade-out ends
  int32_t savedSong = 0;          // ResumeMusic plays it
  int32_t battleSong = 0;         // PlayBattleMusic(-1) plays it
  int32_t savedPosition = 0;      // ticks ResumeMusic seeks to
  uint8_t fadingOut = 0;
  uint8_t fadingIn = 0;
  int32_t listCount = 0;  // list entries + 1; 0 when the list was not read
};

// The game's one manager.
extern MusicManager TheMusicManager;

// Every music global back to program start: the manager, the song, the voices (buffers
// forgotten, not released), the timer state and the device.
void ResetMusicForTests();

}  // namespace music

// The player interface: loading, starting, stopping and seeking the one song, its play
// position and the master volume. Game thread only; every operation does nothing while
// music is off (no device).
#pragma once

#include <cstdint>
#include <string_view>

namespace music {

// Loads a song file into the song object; the result goes no further.
void LoadSong(std::string_view path);
void SetSongPosition(int32_t position);
// The play position in ticks; 0 while music is off.
int32_t GetSongPosition();
// Begins the timer period and starts the song timer at the song's tick period.
void StartSong();
// 0..127; other values are refused. Volume 0 is -20.4 dB, not silence.
void SetMusicVolume(int32_t volume);
// Switches every melody track off and stops the song timer; struck drums play out.
void StopMusic();

}  // namespace music

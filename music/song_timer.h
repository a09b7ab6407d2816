// The song timer: a periodic timer event every tickPeriod milliseconds of the song, each
// running one tick that sounds the notes standing at the play position on all 16 tracks,
// counts melody notes down and switches them off, re-applies the track volumes under the
// master volume, flashes the game's lamp when a drum is struck, and advances the position
// (back to the repeat start at the repeat end).
//
// The tick runs on the timer's thread. One mutex (SongPlayMutex) is held across the tick
// and across the game thread's work on the play state (seek, load, master volume, the
// note-offs of a stop), so a tick never sees half a seek and never starts a note after the
// note-offs; a stop sets SongStopping under the mutex, and a tick that finds it set does
// nothing until the next start.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "music/org_song.h"

namespace music {

inline constexpr uint32_t kInitialTimerPeriod = 13;  // ms, or the system minimum if larger
inline constexpr uint32_t kTimerResolution = 10;     // ms asked of the timer event
inline constexpr int kLampFlashMs = 100;

extern std::array<int32_t, 8> NoteTicksLeft;           // per melody track; only the tick writes it
extern std::array<int32_t, kTrackCount> TrackVolumes;  // last volume a note gave, 0..254
extern std::atomic<uint32_t> SongTimerId;              // last event id; 0 until one was set
extern uint32_t SongTimerPeriod;                       // resolution begun and ended around play
extern std::mutex SongPlayMutex;                       // the tick versus the game thread's changes
extern std::atomic<bool> SongStopping;                 // set by a stop: ticks do nothing

// The game's lamp, flashed once in every tick that strikes a drum.
using LampFlashFunction = void (*)(int ms);
void SetLampFlashHook(LampFlashFunction flash);

// Raises SongTimerPeriod to the system minimum and begins it; 0 when the query or the
// begin fails.
int BeginTimerPeriod();
// Sets the periodic event; always 1 (SongTimerId 0 when the system refused).
int StartSongTimerEvent(uint32_t period);
// The timer's callback: one tick of OrgSong under the mutex, unless stopping.
void OrgTimerCallback(uint32_t id, uint32_t message, uintptr_t user, uintptr_t, uintptr_t);
// Kills the event and ends the period; 0 when the kill or the end fails.
int StopSongTimer();
// One tick over the song. The caller holds SongPlayMutex when the timer may run.
void PlaySongTick(Song& song);

// Program-start values (the timer itself is reset in the platform module).
void ResetSongTimerForTests();

}  // namespace music

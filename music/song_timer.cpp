// Owner of the song timer and the tick's own state.
#include "music/song_timer.h"

#include <limits>

#include "music/drum_voice.h"
#include "music/melody_voice.h"
#include "music/music_device.h"
#include "platform/timer/timer_periodic.h"

namespace music {

std::array<int32_t, 8> NoteTicksLeft{};           // ticks until a melody note ends
std::array<int32_t, kTrackCount> TrackVolumes{};  // volumes the notes gave
std::atomic<uint32_t> SongTimerId{0};             // not cleared by a kill
uint32_t SongTimerPeriod = kInitialTimerPeriod;   // ms
std::mutex SongPlayMutex;                         // tick versus seek, load, volume, stop
std::atomic<bool> SongStopping{false};            // a stop is under way or done
namespace {
std::atomic<LampFlashFunction> lamp_flash{nullptr};  // the game's lamp, or null
}  // namespace

void SetLampFlashHook(LampFlashFunction flash) { lamp_flash = flash; }

int BeginTimerPeriod() {
  plat::timer::TimerCaps caps;
  if (!plat::timer::GetDevCaps(&caps)) return 0;
  if (SongTimerPeriod < caps.period_min) SongTimerPeriod = caps.period_min;
  return plat::timer::BeginPeriod(SongTimerPeriod) ? 1 : 0;
}

int StartSongTimerEvent(uint32_t period) {
  SongTimerId = plat::timer::SetEvent(period, kTimerResolution, &OrgTimerCallback, 0, plat::timer::kEventPeriodic);
  return 1;
}

void OrgTimerCallback(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
  std::lock_guard<std::mutex> lock(SongPlayMutex);
  if (SongStopping) return;
  PlaySongTick(OrgSong);
}

int StopSongTimer() {
  if (SongTimerId != 0 && !plat::timer::KillEvent(SongTimerId)) return 0;
  return plat::timer::EndPeriod(SongTimerPeriod) ? 1 : 0;
}

void PlaySongTick(Song& song) {
  const int32_t position = PlayPosition;
  const int32_t master = MusicMasterVolume;
  for (int t = 0; t < kFirstDrumTrack; ++t) {
    const SongTrack& track = song.tracks[t];
    auto voice = track.oneShot != 0 ? &PlayMelodyOneShot : &PlayMelodyNote;
    SongNote* note = CurrentNotes[t];
    if (note != nullptr && note->position == position) {
      if (note->key != kNoValue) {
        voice(note->key, kNoteOn, t, track.freq);
        NoteTicksLeft[t] = note->length;
      }
      if (note->pan != kNoValue) SetMelodyPan(note->pan, t);
      if (note->volume != kNoValue) TrackVolumes[t] = note->volume;
      note = note->next;
      CurrentNotes[t] = note;
    }
    if (NoteTicksLeft[t] == 0) voice(0, kNoteOff, t, track.freq);
    if (NoteTicksLeft[t] > 0) --NoteTicksLeft[t];
    if (note != nullptr) SetMelodyVolume(TrackVolumes[t] * master / kMaxMusicVolume, t);
  }
  bool struck = false;
  for (int t = kFirstDrumTrack; t < kTrackCount; ++t) {
    const int drum = t - kFirstDrumTrack;
    SongNote* note = CurrentNotes[t];
    if (note != nullptr && note->position == position) {
      if (note->key != kNoValue) {
        PlayDrum(note->key, kStrikeMode, drum);
        struck = true;
      }
      if (note->pan != kNoValue) SetDrumPan(note->pan, drum);
      if (note->volume != kNoValue) TrackVolumes[t] = note->volume;
      note = note->next;
      CurrentNotes[t] = note;
    }
    if (note != nullptr) SetDrumVolume(TrackVolumes[t] * master / kMaxMusicVolume, drum);
  }
  if (struck) {
    if (LampFlashFunction flash = lamp_flash.load()) flash(kLampFlashMs);
  }
  // The load refuses a repeat start at the largest tick; a seek there still wraps.
  if (position == std::numeric_limits<int32_t>::max() || position + 1 >= song.repeatEnd) {
    song.SeekSong(song.repeatStart);
  } else {
    PlayPosition = position + 1;
  }
}

void ResetSongTimerForTests() {
  NoteTicksLeft.fill(0);
  TrackVolumes.fill(0);
  SongTimerId = 0;
  SongTimerPeriod = kInitialTimerPeriod;
  SongStopping = false;
  lamp_flash = nullptr;
}

}  // namespace music

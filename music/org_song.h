// The one song the synthesiser plays: header settings and sixteen tracks of notes, read
// from a song file of the format "Org-01" or "Org-02". Tracks 0..7 are melody, 8..15
// drums. Each track keeps its notes in a fixed pool, linked as a chain in position order.
//
// Song file (little-endian, no padding):
//   0  6 bytes  magic "Org-01" or "Org-02"
//   6  u16 tickPeriod, u8 spare1, u8 spare2, s32 repeatStart, s32 repeatEnd
//  18  16 track records: u16 freq, u8 wave, u8 oneShot (ignored in "Org-01"), u16 noteCount
// 114  for each track with notes, n = noteCount: n s32 positions, then n keys, n lengths,
//      n volumes, n pans (u8 each)
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace music {

inline constexpr int kTrackCount = 16;
inline constexpr int kFirstDrumTrack = 8;
inline constexpr uint16_t kNotesPerTrack = 4096;
inline constexpr uint8_t kNoValue = 255;  // a note's key, volume or pan that changes nothing

inline constexpr size_t kSongMagicBytes = 6;
inline constexpr size_t kSongHeaderBytes = 108;  // offsets 6..113, read in one piece
inline constexpr size_t kTrackRecordBytes = 6;
inline constexpr size_t kSongNotesOffset = kSongMagicBytes + kSongHeaderBytes;  // 114
inline constexpr size_t kNoteFileBytes = 8;                                     // position, key, length, volume, pan
inline constexpr char kSongMagicV1[] = "Org-01";
inline constexpr char kSongMagicV2[] = "Org-02";

struct SongNote {
  SongNote* prev = nullptr;   // null for the first of a chain
  SongNote* next = nullptr;   // null for the last
  int32_t position = 0;       // tick at which the note takes effect
  uint8_t length = 0;         // ticks a melody note sounds
  uint8_t key = kNoValue;     // melody 0..95; drums: rate; 255 = nothing struck
  uint8_t volume = kNoValue;  // 0..254; 255 = unchanged
  uint8_t pan = kNoValue;     // 0..12; 255 = unchanged
};

struct SongTrack {
  uint16_t freq = 0;                 // melody: rate shift + 1000
  uint8_t wave = 0;                  // melody: waveform 0..99; drums: sample 0..11
  uint8_t oneShot = 0;               // melody: non-zero plays one-shot notes
  std::unique_ptr<SongNote[]> pool;  // notesPerTrack notes; null until AllocNotePools
  SongNote* firstNote = nullptr;     // null when the track has no notes
};

// CopySongInfo mask bits.
inline constexpr int kCopyTickPeriod = 1;
inline constexpr int kCopySpares = 2;
inline constexpr int kCopyRepeat = 8;
inline constexpr int kCopyMelodyFreq = 16;
inline constexpr int kCopyWave = 32;
inline constexpr int kCopyOneShot = 64;

class Song {
 public:
  uint16_t tickPeriod = 0;  // milliseconds per tick
  uint8_t spare1 = 0;       // kept, never used
  uint8_t spare2 = 0;
  uint16_t notesPerTrack = 0;  // pool size of every track
  int32_t repeatStart = 0;     // tick to which playing returns
  int32_t repeatEnd = 0;       // tick at which playing returns
  std::array<SongTrack, kTrackCount> tracks{};

  // Defaults (128 ms a tick, repeat 0..4080, freq 1000) and the note pools.
  void SetSongDefaults();
  void CopySongInfo(const Song& source, int mask);
  // A pool of `count` notes for each track; 0 when an allocation fails.
  int AllocNotePools(uint16_t count);
  void FreeNotePools();
  // 1 loaded; 0 refused with a message box (missing file, unknown or damaged file) or
  // because no pools exist. A refused file leaves the previous song as it was.
  int LoadOrgSong(std::string_view path);
  // Each track's current note becomes its first note at or after `position`.
  void SeekSong(int32_t position);
};

// The one song object.
extern Song OrgSong;

// Play state shared with the song tick: the current tick and, per track, the next note to
// act on (null when none is left).
extern std::atomic<int32_t> PlayPosition;
extern std::array<std::atomic<SongNote*>, kTrackCount> CurrentNotes;

// The song object and play state back to program start (pools freed).
void ResetOrgSongForTests();

}  // namespace music

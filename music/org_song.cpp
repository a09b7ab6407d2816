// Owner of the song object and its play state.
#include "music/org_song.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "music/drum_voice.h"
#include "music/melody_voice.h"
#include "platform/fs/fs.h"
#include "platform/numeric/little_endian.h"
#include "platform/sys/message_box.h"

namespace music {

Song OrgSong;                                                    // the one song
std::atomic<int32_t> PlayPosition{0};                            // current tick
std::array<std::atomic<SongNote*>, kTrackCount> CurrentNotes{};  // next note per track

namespace {

constexpr char kLoadErrorCaption[] = "Error (Load)";
constexpr char kCannotAccess[] = "ファイルにアクセスできません";
constexpr char kUnusableFile[] = "このファイルは使えません";

constexpr uint16_t kDefaultTickPeriod = 128;
constexpr uint8_t kDefaultSpare = 4;
constexpr int32_t kDefaultRepeatEnd = 4080;

using plat::numeric::LoadLe16;
using plat::numeric::LoadLe32;

struct TrackRecord {
  uint16_t freq;
  uint8_t wave;
  uint8_t oneShot;
  uint16_t noteCount;
};

bool ReadWholeFile(std::FILE* file, std::vector<uint8_t>* out) {
  uint8_t chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    out->insert(out->end(), chunk, chunk + n);
  }
  return std::ferror(file) == 0;
}

// The folder of the song (up to and including its last backslash) and a drum name.
std::string DrumPath(std::string_view song_path, uint8_t wave) {
  const size_t slash = song_path.rfind('\\');
  std::string path = slash == std::string_view::npos ? std::string() : std::string(song_path.substr(0, slash + 1));
  return path + DrumSampleTable[wave];
}

}  // namespace

void Song::SetSongDefaults() {
  spare2 = kDefaultSpare;
  spare1 = kDefaultSpare;
  notesPerTrack = kNotesPerTrack;
  tickPeriod = kDefaultTickPeriod;
  repeatStart = 0;
  repeatEnd = kDefaultRepeatEnd;
  for (SongTrack& track : tracks) {
    track.freq = kNoFrequencyShift;
    track.wave = 0;
    track.oneShot = 0;
  }
  AllocNotePools(notesPerTrack);
}

void Song::CopySongInfo(const Song& source, int mask) {
  if ((mask & kCopyTickPeriod) != 0) tickPeriod = source.tickPeriod;
  if ((mask & kCopySpares) != 0) {
    spare1 = source.spare1;
    spare2 = source.spare2;
  }
  if ((mask & kCopyRepeat) != 0) {
    repeatStart = source.repeatStart;
    repeatEnd = source.repeatEnd;
  }
  for (int t = 0; t < kTrackCount; ++t) {
    if ((mask & kCopyMelodyFreq) != 0 && t < kFirstDrumTrack) tracks[t].freq = source.tracks[t].freq;
    if ((mask & kCopyWave) != 0) tracks[t].wave = source.tracks[t].wave;
    if ((mask & kCopyOneShot) != 0) tracks[t].oneShot = source.tracks[t].oneShot;
  }
}

int Song::AllocNotePools(uint16_t count) {
  for (SongTrack& track : tracks) {
    track.wave = 0;
    track.firstNote = nullptr;
    // Runs once a run: a pool made before is replaced (and freed with it).
    track.pool.reset(new (std::nothrow) SongNote[count]);
    if (track.pool == nullptr) return 0;
  }
  return 1;
}

void Song::FreeNotePools() {
  for (SongTrack& track : tracks) {
    track.pool.reset();
    track.firstNote = nullptr;
  }
  for (auto& current : CurrentNotes) current = nullptr;
}

int Song::LoadOrgSong(std::string_view path) {
  std::FILE* file = plat::fs::OpenFile(path, "rb");
  if (file == nullptr) {
    plat::ShowMessageBox(kCannotAccess, kLoadErrorCaption);
    return 0;
  }
  std::vector<uint8_t> bytes;
  const bool read_ok = ReadWholeFile(file, &bytes);
  std::fclose(file);

  int version = 0;
  if (bytes.size() >= kSongMagicBytes) {
    if (std::memcmp(bytes.data(), kSongMagicV1, kSongMagicBytes) == 0) version = 1;
    if (std::memcmp(bytes.data(), kSongMagicV2, kSongMagicBytes) == 0) version = 2;
  }
  // A file is checked whole before the song is touched: a short file, a track with more
  // notes than its pool, or a repeat start the position cannot step past is refused.
  bool usable = version != 0 && read_ok && bytes.size() >= kSongNotesOffset;
  std::array<TrackRecord, kTrackCount> records{};
  size_t needed = kSongNotesOffset;
  if (usable) {
    for (int t = 0; t < kTrackCount; ++t) {
      const uint8_t* r = bytes.data() + 18 + kTrackRecordBytes * t;
      records[t] = {LoadLe16(r), r[2], version == 2 ? r[3] : uint8_t{0}, LoadLe16(r + 4)};
      if (records[t].noteCount > kNotesPerTrack) usable = false;
      needed += kNoteFileBytes * records[t].noteCount;
    }
    if (bytes.size() < needed) usable = false;
    if (static_cast<int32_t>(LoadLe32(bytes.data() + 10)) == std::numeric_limits<int32_t>::max()) usable = false;
  }
  if (!usable) {
    plat::ShowMessageBox(kUnusableFile, kLoadErrorCaption);
    return 0;
  }
  for (int t = 0; t < kTrackCount; ++t) {
    if (records[t].noteCount > notesPerTrack || (records[t].noteCount > 0 && tracks[t].pool == nullptr)) {
      return 0;  // no pools to hold the notes
    }
  }

  const uint8_t* h = bytes.data() + kSongMagicBytes;
  tickPeriod = LoadLe16(h);
  spare1 = h[2];
  spare2 = h[3];
  repeatStart = static_cast<int32_t>(LoadLe32(h + 4));
  repeatEnd = static_cast<int32_t>(LoadLe32(h + 8));
  const uint8_t* p = bytes.data() + kSongNotesOffset;
  for (int t = 0; t < kTrackCount; ++t) {
    SongTrack& track = tracks[t];
    track.freq = records[t].freq;
    track.wave = records[t].wave;
    track.oneShot = records[t].oneShot;
    const int n = records[t].noteCount;
    if (n == 0) {
      track.firstNote = nullptr;
      continue;
    }
    SongNote* notes = track.pool.get();
    for (int i = 0; i < n; ++i) {
      notes[i].prev = i == 0 ? nullptr : &notes[i - 1];
      notes[i].next = i == n - 1 ? nullptr : &notes[i + 1];
    }
    track.firstNote = &notes[0];
    for (int i = 0; i < n; ++i) notes[i].position = static_cast<int32_t>(LoadLe32(p + 4 * i));
    p += 4 * n;
    for (int i = 0; i < n; ++i) notes[i].key = p[i];
    p += n;
    for (int i = 0; i < n; ++i) notes[i].length = p[i];
    p += n;
    for (int i = 0; i < n; ++i) notes[i].volume = p[i];
    p += n;
    for (int i = 0; i < n; ++i) notes[i].pan = p[i];
    p += n;
  }

  for (int t = 0; t < kFirstDrumTrack; ++t) MakeMelodyVoice(t, tracks[t].wave, tracks[t].oneShot);
  for (int t = kFirstDrumTrack; t < kTrackCount; ++t) {
    const int drum = t - kFirstDrumTrack;
    if (tracks[t].wave >= kDrumSampleKinds) {
      ReleaseDrumBuffer(drum);  // no such sample: the drum stays silent
      continue;
    }
    LoadDrumSample(DrumPath(path, tracks[t].wave), drum);
  }
  SeekSong(0);
  return 1;
}

void Song::SeekSong(int32_t position) {
  for (int t = 0; t < kTrackCount; ++t) {
    SongNote* note = tracks[t].firstNote;
    while (note != nullptr && note->position < position) note = note->next;
    CurrentNotes[t] = note;
  }
  PlayPosition = position;
}

void ResetOrgSongForTests() {
  OrgSong.FreeNotePools();
  OrgSong.tickPeriod = 0;
  OrgSong.spare1 = OrgSong.spare2 = 0;
  OrgSong.notesPerTrack = 0;
  OrgSong.repeatStart = OrgSong.repeatEnd = 0;
  for (SongTrack& track : OrgSong.tracks) {
    track.freq = 0;
    track.wave = 0;
    track.oneShot = 0;
  }
  PlayPosition = 0;
}

}  // namespace music

// The demo world's music writers: a score becomes the song its notes say (read back by a
// reader of the file layout written here, and by the loader), the waveform table has its
// shapes, and every drum sample loads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/music/music_fixture.h"

namespace {

using namespace music;
using musictest::MusicFixture;
namespace ps = plat::sound;

struct FileNote {
  int32_t position;
  int key, length, volume, pan;
  bool operator==(const FileNote&) const = default;
};
struct FileTrack {
  int freq, wave, one_shot;
  std::vector<FileNote> notes;
};
struct FileSong {
  std::string magic;
  int period;
  int32_t repeat_start, repeat_end;
  std::vector<FileTrack> tracks;
};

// Reads a song file from its byte layout: magic, header at 6, track records at 18, notes
// at 114 (per track: positions, keys, lengths, volumes, pans).
bool Decode(const std::string& b, FileSong* song) {
  auto u8 = [&](size_t at) { return static_cast<int>(static_cast<uint8_t>(b.at(at))); };
  auto u16 = [&](size_t at) { return u8(at) | (u8(at + 1) << 8); };
  auto s32 = [&](size_t at) {
    return static_cast<int32_t>(static_cast<uint32_t>(u16(at)) | (static_cast<uint32_t>(u16(at + 2)) << 16));
  };
  if (b.size() < 114) return false;
  song->magic = b.substr(0, 6);
  song->period = u16(6);
  song->repeat_start = s32(10);
  song->repeat_end = s32(14);
  size_t at = 114;
  for (int t = 0; t < 16; ++t) {
    const size_t r = 18 + 6 * t;
    FileTrack track{u16(r), u8(r + 2), u8(r + 3), {}};
    const int n = u16(r + 4);
    for (int i = 0; i < n; ++i) {
      track.notes.push_back(
          {s32(at + 4 * i), u8(at + 4 * n + i), u8(at + 5 * n + i), u8(at + 6 * n + i), u8(at + 7 * n + i)});
    }
    at += 8 * static_cast<size_t>(n);
    song->tracks.push_back(track);
  }
  return at == b.size();
}

int RunTool(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()); }

class MusicToolsTest : public MusicFixture {};

TEST_F(MusicToolsTest, SongWriterTurnsAScoreIntoItsNotes) {
  const std::string score =
      "# a test score\n"
      "period 90\n"
      "repeat 4 40\n"
      "track 2 wave 3 freq 1010 oneshot 1 volume 150 pan 4\n"
      "  at 0: C3/4 D#3/2/1 r/2 v=90 p=8 A3/8   # 36, 39, rest, 45\n"
      "  at 20 x2: Bb2/3 95/1\n"
      "track 9 wave 5 key 30\n"
      "  at 0 x3: x/4 k60/2\n";
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("t.score"), score));
  ASSERT_EQ(RunTool(std::string(NL_SONG_WRITER_PATH) + " " + dir_.File("t.score") + " " + dir_.File("t.org")), 0);
  FileSong song;
  ASSERT_TRUE(Decode(nltest::ReadFileBytes(dir_.File("t.org")), &song));
  EXPECT_EQ(song.magic, "Org-02");
  EXPECT_EQ(song.period, 90);
  EXPECT_EQ(song.repeat_start, 4);
  EXPECT_EQ(song.repeat_end, 40);
  EXPECT_EQ(song.tracks[2].freq, 1010);
  EXPECT_EQ(song.tracks[2].wave, 3);
  EXPECT_EQ(song.tracks[2].one_shot, 1);
  EXPECT_EQ(song.tracks[2].notes, (std::vector<FileNote>{{0, 36, 4, 150, 4},
                                                         {4, 39, 1, 255, 255},
                                                         {8, 45, 8, 90, 8},
                                                         {20, 34, 3, 255, 255},
                                                         {23, 95, 1, 255, 255},
                                                         {24, 34, 3, 255, 255},
                                                         {27, 95, 1, 255, 255},
                                                         {39, 255, 0, 255, 255}}));
  EXPECT_EQ(song.tracks[9].wave, 5);
  EXPECT_EQ(song.tracks[9].notes, (std::vector<FileNote>{{0, 30, 0, 200, 6},
                                                         {4, 60, 0, 255, 255},
                                                         {6, 30, 0, 255, 255},
                                                         {10, 60, 0, 255, 255},
                                                         {12, 30, 0, 255, 255},
                                                         {16, 60, 0, 255, 255},
                                                         {39, 255, 0, 255, 255}}));
  for (int t : {0, 1, 3, 8, 15}) {
    EXPECT_TRUE(song.tracks[t].notes.empty()) << t;
    EXPECT_EQ(song.tracks[t].freq, 1000) << t;
  }

  // The song object takes the same file.
  OrgSong.SetSongDefaults();
  ASSERT_EQ(OrgSong.LoadOrgSong(dir_.File("t.org")), 1);
  EXPECT_EQ(OrgSong.tracks[2].firstNote->next->key, 39);
  EXPECT_EQ(OrgSong.tracks[2].oneShot, 1);
}

TEST_F(MusicToolsTest, SongWriterRefusesScoresThatMakeNoPlayableSong) {
  const char* scores[] = {
      "track 0\n  at 0: C3/0 D3/1\n",                  // two notes on one tick
      "repeat 0 8000\ntrack 0\n  at 0 x4096: C3/1\n",  // more than 4096 with the marker
      "track 0\n  at 0: C8/1\n",                       // above key 95
      "track 8\n  at 0: k125/1\n",                     // a drum rate the device refuses
      "track 8 wave 12\n",                             // no such drum
      "track 0 wave 100\n",                            // no such waveform
      "  at 0: C3/1\n",                                // notes before a track
      "track 0\n  at 0: v=255 C3/1\n",                 // volume 255 means none
      "track 0 pan 13\n",
      "tempo 5\n",
  };
  for (const char* s : scores) {
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("bad.score"), s));
    EXPECT_NE(RunTool(std::string(NL_SONG_WRITER_PATH) + " " + dir_.File("bad.score") + " " + dir_.File("bad.org")), 0)
        << s;
  }
}

TEST_F(MusicToolsTest, WaveTableHasItsShapes) {
  ASSERT_EQ(RunTool(std::string(NL_WAVE_TABLE_PATH) + " " + dir_.File("Wave100.dat")), 0);
  const std::string t = nltest::ReadFileBytes(dir_.File("Wave100.dat"));
  ASSERT_EQ(t.size(), 25600u);
  auto at = [&](int row, int i) { return static_cast<int>(static_cast<int8_t>(t[row * 256 + i])); };
  // Sine: zero, peak at a quarter, zero at half, trough at three quarters.
  EXPECT_EQ(at(0, 0), 0);
  EXPECT_EQ(at(0, 64), 120);
  EXPECT_EQ(at(0, 128), 0);
  EXPECT_EQ(at(0, 192), -120);
  EXPECT_EQ(at(0, 32), static_cast<int>(std::lround(120 * std::sin(3.14159265358979 / 4))));
  // Triangle, saw, square at the same points.
  EXPECT_EQ(at(1, 64), 120);
  EXPECT_EQ(at(1, 32), 60);
  EXPECT_EQ(at(1, 192), -120);
  EXPECT_EQ(at(2, 64), 60);
  EXPECT_EQ(at(2, 128), -120);
  EXPECT_EQ(at(3, 10), 120);
  EXPECT_EQ(at(3, 200), -120);
  // Every mixed row uses the range and differs from its neighbour.
  for (int row = 4; row < 100; ++row) {
    int peak = 0;
    for (int i = 0; i < 256; ++i) peak = std::max(peak, std::abs(at(row, i)));
    EXPECT_EQ(peak, 120) << row;
    EXPECT_NE(t.substr(row * 256, 256), t.substr((row - 1) * 256, 256)) << row;
  }
}

TEST_F(MusicToolsTest, EveryDrumSampleLoads) {
  std::filesystem::create_directories(dir_.File("Org"));
  ASSERT_EQ(RunTool(std::string(NL_DRUM_SAMPLES_PATH) + " " + dir_.File("Org")), 0);
  for (const char* name : DrumSampleTable) {
    const std::string bytes = nltest::ReadFileBytes(dir_.File(std::string(name).replace(3, 1, "/")));
    ASSERT_GT(bytes.size(), 58u) << name;
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(12, 4), "fmt ");
    EXPECT_EQ(bytes.substr(50, 4), "data");
    const uint32_t size = static_cast<uint8_t>(bytes[54]) | (static_cast<uint8_t>(bytes[55]) << 8) |
                          (static_cast<uint8_t>(bytes[56]) << 16) |
                          (static_cast<uint32_t>(static_cast<uint8_t>(bytes[57])) << 24);
    EXPECT_EQ(size, bytes.size() - 58) << name;
    ASSERT_EQ(LoadDrumSample(name, 0), 1) << name;
    EXPECT_EQ(Contents(DrumBuffers[0]).size(), size) << name;
  }
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace

namespace {

// Every song of the demo world's music list loads from the data folder with its drums and
// waveforms found: no message box, every drum a track uses has a buffer.
TEST_F(MusicToolsTest, DemoSongsLoadWithTheirDrums) {
  ASSERT_TRUE(plat::fs::SetCurrentDirectory(NL_DATA_DIR));
  ASSERT_EQ(LoadWaveTable("Org\\Wave100.dat"), 1);
  OrgSong.SetSongDefaults();
  const std::string list = nltest::ReadFileBytes(std::string(NL_DATA_DIR) + "/Org/music.csv");
  int songs = 0;
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find('\n', at);
    if (end == std::string::npos) end = list.size();
    const std::string line = list.substr(at, end - at);
    at = end + 1;
    const size_t a = line.find(','), b = line.find(',', a + 1);
    ASSERT_NE(b, std::string::npos) << line;
    const std::string path = line.substr(a + 1, b - a - 1);
    ASSERT_EQ(OrgSong.LoadOrgSong(path), 1) << path;
    EXPECT_TRUE(boxes_.empty()) << path << ": " << (boxes_.empty() ? "" : boxes_[0].text);
    for (int t = kFirstDrumTrack; t < kTrackCount; ++t) {
      if (OrgSong.tracks[t].firstNote != nullptr) {
        EXPECT_NE(DrumBuffers[t - 8], nullptr) << path << t;
      }
    }
    ++songs;
  }
  EXPECT_GE(songs, 15);
}

}  // namespace

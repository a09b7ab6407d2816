// The song object: both file versions, the note arrays' order, seeking, the refusals that
// keep the previous song, and the drum paths taken from the song's folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "tests/music/music_fixture.h"
#include "tests/music/song_builder.h"

namespace {

using namespace music;
using musictest::DrumFile;
using musictest::MusicFixture;
using musictest::Note;
using musictest::SongBytes;
using musictest::SongSpec;
namespace ps = plat::sound;

std::vector<Note> Chain(int track) {
  std::vector<Note> notes;
  const SongNote* prev = nullptr;
  for (const SongNote* n = OrgSong.tracks[track].firstNote; n != nullptr; n = n->next) {
    EXPECT_EQ(n->prev, prev);
    prev = n;
    notes.push_back({n->position, n->key, n->length, n->volume, n->pan});
  }
  return notes;
}

SongSpec Sample() {
  SongSpec spec;
  spec.tracks[0] = {1100, 7, 3, {{0, 45, 4, 200, 6}, {8, 47, 2, 255, 255}, {16, 255, 9, 100, 0}}};
  spec.tracks[5] = {990, 99, 1, {{-4, 10, 1, 2, 3}}};
  spec.tracks[9] = {1000, 2, 5, {{0, 30, 1, 180, 12}, {4, 31, 1, 181, 11}}};
  return spec;
}

class OrgSongTest : public MusicFixture {
 protected:
  void SetUp() override {
    MusicFixture::SetUp();
    OrgSong.SetSongDefaults();
  }
  bool Write(const std::string& name, const std::string& bytes) {
    return nltest::WriteFileBytes(dir_.File(name), bytes);
  }
};

TEST_F(OrgSongTest, DefaultsAndPools) {
  EXPECT_EQ(OrgSong.tickPeriod, 128);
  EXPECT_EQ(OrgSong.spare1, 4);
  EXPECT_EQ(OrgSong.spare2, 4);
  EXPECT_EQ(OrgSong.notesPerTrack, 4096);
  EXPECT_EQ(OrgSong.repeatStart, 0);
  EXPECT_EQ(OrgSong.repeatEnd, 4080);
  for (const SongTrack& t : OrgSong.tracks) {
    EXPECT_EQ(t.freq, 1000);
    EXPECT_NE(t.pool, nullptr);
    EXPECT_EQ(t.firstNote, nullptr);
    EXPECT_EQ(t.pool[4095].key, 255);
    EXPECT_EQ(t.pool[4095].length, 0);
  }
}

TEST_F(OrgSongTest, BothVersionsRoundTripWithOneShotOnlyInVersionTwo) {
  for (const char* magic : {"Org-01", "Org-02"}) {
    SongSpec spec = Sample();
    spec.magic = magic;
    ASSERT_TRUE(Write("s.org", SongBytes(spec)));
    ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1) << magic;
    const bool v2 = spec.magic == "Org-02";
    EXPECT_EQ(OrgSong.tickPeriod, 100);
    EXPECT_EQ(OrgSong.spare1, 1);
    EXPECT_EQ(OrgSong.spare2, 2);
    EXPECT_EQ(OrgSong.repeatStart, 0);
    EXPECT_EQ(OrgSong.repeatEnd, 64);
    for (int t = 0; t < 16; ++t) {
      EXPECT_EQ(OrgSong.tracks[t].freq, spec.tracks[t].freq) << t;
      EXPECT_EQ(OrgSong.tracks[t].wave, spec.tracks[t].wave) << t;
      EXPECT_EQ(OrgSong.tracks[t].oneShot, v2 ? spec.tracks[t].one_shot : 0) << magic << t;
      EXPECT_EQ(Chain(t), spec.tracks[t].notes) << magic << " track " << t;
    }
    EXPECT_EQ(PlayPosition, 0);
  }
}

// Written byte by byte by hand: an "Org-01" file with one note on track 0 (key 0x2D,
// length 3, volume 0x64, pan 6 at tick 2) and one on track 8 (key 0x1E at tick 0).
TEST_F(OrgSongTest, HandWrittenVersionOneFileLoads) {
  std::string f("Org-01", 6);
  f += std::string("\x50\x00\x04\x04\x00\x00\x00\x00\x20\x00\x00\x00", 12);  // 80 ms, 0..32
  f += std::string("\xE8\x03\x05\x01\x01\x00", 6);                           // track 0
  for (int t = 1; t < 8; ++t) f += std::string("\xE8\x03\x00\x00\x00\x00", 6);
  f += std::string("\xE8\x03\x00\x00\x01\x00", 6);  // track 8
  for (int t = 9; t < 16; ++t) f += std::string("\xE8\x03\x00\x00\x00\x00", 6);
  f += std::string("\x02\x00\x00\x00\x2D\x03\x64\x06", 8);
  f += std::string("\x00\x00\x00\x00\x1E\x00\xFF\xFF", 8);
  ASSERT_EQ(f.size(), 130u);
  ASSERT_TRUE(Write("hand.org", f));
  ASSERT_EQ(OrgSong.LoadOrgSong("hand.org"), 1);
  EXPECT_EQ(OrgSong.tickPeriod, 80);
  EXPECT_EQ(OrgSong.repeatEnd, 32);
  EXPECT_EQ(OrgSong.tracks[0].wave, 5);
  EXPECT_EQ(OrgSong.tracks[0].oneShot, 0);
  EXPECT_EQ(Chain(0), (std::vector<Note>{{2, 0x2D, 3, 0x64, 6}}));
  EXPECT_EQ(Chain(8), (std::vector<Note>{{0, 0x1E, 0, 255, 255}}));
}

TEST_F(OrgSongTest, KeysComeBeforeLengthsInTheFile) {
  SongSpec spec;
  spec.tracks[1].notes = {{0, 11, 21, 31, 1}, {1, 12, 22, 32, 2}};
  std::string bytes = SongBytes(spec);
  ASSERT_TRUE(Write("s.org", bytes));
  ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1);
  const SongNote& n = OrgSong.tracks[1].pool[1];
  EXPECT_EQ(n.key, 12);
  EXPECT_EQ(n.length, 22);
  EXPECT_EQ(bytes[114 + 8], 11);   // the key array follows the positions
  EXPECT_EQ(bytes[114 + 10], 21);  // then the lengths
}

TEST_F(OrgSongTest, SeekSetsEachTracksNextNote) {
  ASSERT_TRUE(Write("s.org", SongBytes(Sample())));
  ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1);
  SongNote* t0 = OrgSong.tracks[0].pool.get();
  SongNote* t5 = OrgSong.tracks[5].pool.get();
  struct Row {
    int32_t position;
    SongNote* track0;
    SongNote* track5;
  };
  const Row rows[] = {
      {-10, &t0[0], &t5[0]},  {-4, &t0[0], &t5[0]},
      {-3, &t0[0], nullptr},  {0, &t0[0], nullptr},
      {1, &t0[1], nullptr},   {8, &t0[1], nullptr},
      {9, &t0[2], nullptr},   {16, &t0[2], nullptr},
      {17, nullptr, nullptr}, {std::numeric_limits<int32_t>::min(), &t0[0], &t5[0]},
  };
  for (const Row& r : rows) {
    OrgSong.SeekSong(r.position);
    EXPECT_EQ(PlayPosition, r.position);
    EXPECT_EQ(CurrentNotes[0], r.track0) << r.position;
    EXPECT_EQ(CurrentNotes[5], r.track5) << r.position;
    EXPECT_EQ(CurrentNotes[1], nullptr) << "a track without notes";
  }
}

TEST_F(OrgSongTest, RefusedFilesKeepThePreviousSong) {
  ASSERT_TRUE(Write("s.org", SongBytes(Sample())));
  ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1);
  boxes_.clear();

  SongSpec bad_magic = Sample();
  bad_magic.magic = "Org-03";
  SongSpec over_full;
  over_full.tracks[3].notes.resize(4097);
  for (int i = 0; i < 4097; ++i) over_full.tracks[3].notes[i] = {i, 1, 1, 1, 1};
  SongSpec stuck_repeat;
  stuck_repeat.repeat_start = std::numeric_limits<int32_t>::max();
  SongSpec other;
  other.tick_period = 7;
  other.tracks[0].notes = {{0, 1, 1, 1, 1}, {1, 2, 2, 2, 2}};
  std::string truncated = SongBytes(other);
  truncated.pop_back();
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const Case cases[] = {
      {"missing", "", "ファイルにアクセスできません"},
      {"bad magic", SongBytes(bad_magic), "このファイルは使えません"},
      {"empty", std::string(), "このファイルは使えません"},
      {"header cut short", SongBytes(other).substr(0, 60), "このファイルは使えません"},
      {"last note cut short", truncated, "このファイルは使えません"},
      {"4097 notes", SongBytes(over_full), "このファイルは使えません"},
      {"repeat start at the largest tick", SongBytes(stuck_repeat), "このファイルは使えません"},
  };
  for (const Case& c : cases) {
    boxes_.clear();
    std::string name = "missing.org";
    if (std::string(c.name) != "missing") {
      name = "bad.org";
      ASSERT_TRUE(Write(name, c.bytes));
    }
    EXPECT_EQ(OrgSong.LoadOrgSong(name), 0) << c.name;
    ASSERT_EQ(boxes_.size(), 1u) << c.name;
    EXPECT_EQ(boxes_[0].text, c.message) << c.name;
    EXPECT_EQ(boxes_[0].caption, "Error (Load)");
    EXPECT_EQ(OrgSong.tickPeriod, 100) << c.name;
    EXPECT_EQ(Chain(0), Sample().tracks[0].notes) << c.name;
  }
}

TEST_F(OrgSongTest, ASecondSongWithFewerNotesEndsTheChainAtItsCount) {
  ASSERT_TRUE(Write("s.org", SongBytes(Sample())));
  ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1);
  SongSpec shorter;
  shorter.tracks[0].notes = {{3, 50, 1, 1, 1}};
  ASSERT_TRUE(Write("t.org", SongBytes(shorter)));
  ASSERT_EQ(OrgSong.LoadOrgSong("t.org"), 1);
  EXPECT_EQ(Chain(0), (std::vector<Note>{{3, 50, 1, 1, 1}}));
  EXPECT_EQ(OrgSong.tracks[0].pool[1].key, 47);  // kept behind the chain, unlinked
  EXPECT_EQ(Chain(9), std::vector<Note>{});
}

TEST_F(OrgSongTest, DrumsLoadFromTheSongsFolder) {
  std::filesystem::create_directories(dir_.File("songs/Org"));
  std::filesystem::create_directories(dir_.File("Org"));
  ASSERT_TRUE(Write("songs/Org/HiClose.wav", DrumFile(ps::PcmFormat(22050, 1, 8), {1, 2, 3}, 3)));
  ASSERT_TRUE(Write("Org/Bass01.wav", DrumFile(ps::PcmFormat(22050, 1, 8), {4, 5}, 2)));
  SongSpec spec;
  for (int t = 8; t < 16; ++t) spec.tracks[t].wave = 5;
  spec.tracks[10].wave = 12;  // no such drum: silent, no message
  ASSERT_TRUE(Write("songs/a.org", SongBytes(spec)));
  ASSERT_EQ(OrgSong.LoadOrgSong("songs\\a.org"), 1);
  for (int d = 0; d < 8; ++d) {
    if (d == 2) {
      EXPECT_EQ(DrumBuffers[d], nullptr);
      continue;
    }
    ASSERT_NE(DrumBuffers[d], nullptr) << d;
    EXPECT_EQ(Contents(DrumBuffers[d]), (std::vector<uint8_t>{1, 2, 3}));
  }
  EXPECT_TRUE(boxes_.empty());

  // Without a backslash the table entry is taken as it is: Org\Bass01.wav here; a drum
  // file missing at a load shows its message once for each track that names it.
  SongSpec root;
  root.tracks[12].wave = 3;
  root.tracks[13].wave = 3;
  ASSERT_TRUE(Write("b.org", SongBytes(root)));
  ASSERT_EQ(OrgSong.LoadOrgSong("b.org"), 1);
  EXPECT_EQ(Contents(DrumBuffers[0]), (std::vector<uint8_t>{4, 5}));
  EXPECT_EQ(DrumBuffers[4], nullptr);
  EXPECT_EQ(boxes_.size(), 2u);
}

TEST_F(OrgSongTest, NoLoadWithoutPoolsAndPoolsFreedOnce) {
  ASSERT_TRUE(Write("s.org", SongBytes(Sample())));
  OrgSong.FreeNotePools();
  OrgSong.FreeNotePools();
  for (const SongTrack& t : OrgSong.tracks) EXPECT_EQ(t.pool, nullptr);
  EXPECT_EQ(OrgSong.LoadOrgSong("s.org"), 0);
  EXPECT_EQ(OrgSong.tickPeriod, 128);
}

TEST_F(OrgSongTest, CopySongInfoTakesTheMaskedFields) {
  Song source;
  source.tickPeriod = 9;
  source.spare1 = 8;
  source.spare2 = 7;
  source.repeatStart = 6;
  source.repeatEnd = 5;
  for (int t = 0; t < 16; ++t) {
    source.tracks[t].freq = static_cast<uint16_t>(2000 + t);
    source.tracks[t].wave = static_cast<uint8_t>(t);
    source.tracks[t].oneShot = 1;
  }
  OrgSong.CopySongInfo(source, kCopyTickPeriod | kCopyMelodyFreq | kCopyOneShot);
  EXPECT_EQ(OrgSong.tickPeriod, 9);
  EXPECT_EQ(OrgSong.spare1, 4);
  EXPECT_EQ(OrgSong.repeatEnd, 4080);
  EXPECT_EQ(OrgSong.tracks[7].freq, 2007);
  EXPECT_EQ(OrgSong.tracks[8].freq, 1000);  // drums keep theirs
  EXPECT_EQ(OrgSong.tracks[3].wave, 0);
  EXPECT_EQ(OrgSong.tracks[15].oneShot, 1);
  OrgSong.CopySongInfo(source, kCopySpares | kCopyRepeat | kCopyWave);
  EXPECT_EQ(OrgSong.spare2, 7);
  EXPECT_EQ(OrgSong.repeatStart, 6);
  EXPECT_EQ(OrgSong.tracks[15].wave, 15);
}

TEST_F(OrgSongTest, LoadingRebuildsTheVoicesAndForgetsSoundingKeys) {
  SongSpec spec;
  spec.tracks[0].wave = 3;
  spec.tracks[1].wave = 100;  // refused: the track keeps what it had
  ASSERT_TRUE(Write("s.org", SongBytes(spec)));
  ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1);
  ASSERT_NE(MelodyBuffers[0][0][0], nullptr);
  EXPECT_EQ(MelodyBuffers[1][0][0], nullptr);
  PlayMelodyNote(45, kNoteOn, 0, 1000);
  ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1);
  EXPECT_EQ(SoundingKey[0], kNoKey);
}

}  // namespace

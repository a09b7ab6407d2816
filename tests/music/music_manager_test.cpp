// The music list, the player interface and the background-music manager: playing by
// number, battle switching and resuming, fades, and music off.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "music/music_list.h"
#include "music/music_player.h"
#include "tests/music/music_fixture.h"
#include "tests/music/song_builder.h"

namespace {

using namespace music;
using musictest::MusicFixture;
using musictest::SongBytes;
using musictest::SongSpec;
namespace ps = plat::sound;

std::vector<std::string> Entries(const MusicListTable& list, int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.emplace_back(list[i].data());
  return out;
}

TEST(MusicListTest, EachLineIsAnEntryInItsPlace) {
  const std::string p31(31, 'p'), p32(32, 'q'), w99(98, 'w'), w100(99, 'w');
  struct Case {
    const char* name;
    std::string text;
    int count;
    std::vector<std::string> entries;
  };
  const Case cases[] = {
      {"three entries", "0,Org\\a.org,a\n1,Org\\b c.org,b\n2,x.org,c\n", 4, {"Org\\a.org", "Org\\b c.org", "x.org"}},
      {"blank lines, CR LF, no last newline", "\r\n0,a.org,x\r\n\n  1,b.org,y", 3, {"a.org", "b.org"}},
      {"a bad line keeps its number", "0,a.org,x\nnot a song\n2,c.org,z\n", 4, {"a.org", "", "c.org"}},
      {"no third field", "0,a.org\n1,b.org,\n", 3, {"", "b.org"}},
      {"empty path", "0,,x\n", 2, {""}},
      {"path of 31 bytes, of 32", "0," + p31 + ",x\n1," + p32 + ",x\n", 3, {p31, ""}},
      {"word of 99 bytes, of 100", "0,a.org," + w99 + "\n1,b.org," + w100 + "\n", 3, {"a.org", ""}},
      {"spaces inside the third field", "0,a.org,x y\n", 2, {""}},
      {"empty file", "", 1, {}},
  };
  for (const Case& c : cases) {
    MusicListTable list{};
    EXPECT_EQ(ParseMusicList(c.text, list), c.count) << c.name;
    EXPECT_EQ(Entries(list, static_cast<int>(c.entries.size())), c.entries) << c.name;
  }
  // At most 50 entries; the lines after them are not read.
  std::string many;
  for (int i = 0; i < 60; ++i) many += std::to_string(i) + ",s" + std::to_string(i) + ",x\n";
  MusicListTable list{};
  EXPECT_EQ(ParseMusicList(many, list), 51);
  EXPECT_EQ(std::string(list[49].data()), "s49");
}

class MusicManagerTest : public MusicFixture {
 protected:
  void SetUp() override {
    MusicFixture::SetUp();
    plat::timer::UseVirtualClock(true, 0);
    std::filesystem::create_directories(dir_.File("Org/Org"));
    // Every drum track of a song with wave 0 loads this sample, notes or not.
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("Org/Org/Bass01.wav"),
                                       musictest::DrumFile(ps::PcmFormat(22050, 1, 8), {1, 2}, 2)));
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("Org/Wave100.dat"), std::string(25600, '\x10')));
    std::string list;
    for (int i = 0; i < 4; ++i) {
      SongSpec spec;
      spec.tick_period = 10;
      spec.repeat_end = 100000;
      spec.tracks[0].notes = {{0, static_cast<uint8_t>(40 + i), 255, 200, 6}, {99999, 255, 0, 255, 255}};
      const std::string name = "s" + std::to_string(i) + ".org";
      ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("Org/" + name), SongBytes(spec)));
      list += std::to_string(i) + ",Org\\" + name + ",x\n";
    }
    list += "4,Org\\missing.org,x\n";
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("Org/music.csv"), list));
  }
  MusicManager& m = TheMusicManager;
  void Ticks(int n) { plat::timer::AdvanceVirtualClock(10 * n); }
  // The key the melody track sounds tells which song plays.
  int SoundingSong() { return SoundingKey[0] == kNoKey ? -1 : SoundingKey[0] - 40; }
  bool Started() const { return plat::timer::PeriodCallsForTests().size() % 2 == 1; }
};

TEST_F(MusicManagerTest, StartUpStates) {
  m.InitMusic(nullptr);
  EXPECT_EQ(m.ready, 0);
  m.PlayMusic(1);  // music off: the fields change, nothing sounds
  EXPECT_EQ(m.currentSong, 1);
  EXPECT_EQ(GetSongPosition(), 0);
  EXPECT_TRUE(calls_.empty());

  std::filesystem::remove(dir_.File("Org/music.csv"));
  m = MusicManager();
  m.InitMusic(device_);
  EXPECT_EQ(m.ready, 1);
  EXPECT_EQ(m.listCount, 0);
  EXPECT_EQ(OrgSong.notesPerTrack, 4096);

  std::filesystem::remove(dir_.File("Org/Wave100.dat"));
  m.ready = 0;
  m = MusicManager();
  ResetOrgSongForTests();
  m.InitMusic(device_);
  EXPECT_EQ(m.ready, 0);
  EXPECT_EQ(OrgSong.tracks[0].pool, nullptr);
}

TEST_F(MusicManagerTest, PlayingByNumber) {
  m.InitMusic(device_);
  EXPECT_EQ(m.listCount, 6);
  EXPECT_EQ(m.currentSong, -1);
  m.PlayMusic(1);
  Ticks(5);
  EXPECT_EQ(SoundingSong(), 1);
  EXPECT_EQ(GetSongPosition(), 5);
  m.PlayMusic(1);  // already current: goes on
  Ticks(1);
  EXPECT_EQ(GetSongPosition(), 6);
  for (int n : {-2, 50, 1000}) {
    m.PlayMusic(n);
    EXPECT_EQ(m.currentSong, 1) << n;
  }
  m.PlayMusic(-1);
  EXPECT_EQ(m.currentSong, -1);
  EXPECT_EQ(SoundingSong(), -1);
  Ticks(3);
  EXPECT_EQ(GetSongPosition(), 6);
  // A song that fails to load shows the message; what the song object held plays on.
  m.PlayMusic(4);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Error (Load)");
  EXPECT_EQ(m.currentSong, 4);
  Ticks(2);
  EXPECT_EQ(GetSongPosition(), 8);
}

TEST_F(MusicManagerTest, FadeOutTakes127FramesThenThePendingSongStartsAtFullVolume) {
  m.InitMusic(device_);
  m.PlayMusic(1);
  m.FadeToMusic(1);  // the current song: nothing
  EXPECT_EQ(m.fadingOut, 0);
  m.FadeToMusic(2);
  for (int frame = 1; frame < 127; ++frame) {
    m.UpdateMusicFade();
    ASSERT_EQ(MusicMasterVolume, 127 - frame) << frame;
    ASSERT_EQ(m.currentSong, 1);
  }
  m.UpdateMusicFade();
  EXPECT_EQ(m.currentSong, 2);
  EXPECT_EQ(m.fadingOut, 0);
  EXPECT_EQ(m.fadeVolume, 127);
  EXPECT_EQ(MusicMasterVolume, 127);
  Ticks(1);
  EXPECT_EQ(SoundingSong(), 2);
}

TEST_F(MusicManagerTest, PlayingTheCurrentSongDuringAFadeOutCancelsIt) {
  m.InitMusic(device_);
  m.PlayMusic(1);
  Ticks(4);
  m.FadeToMusic(2);
  for (int i = 0; i < 10; ++i) m.UpdateMusicFade();
  EXPECT_EQ(MusicMasterVolume, 117);
  m.PlayMusic(1);
  EXPECT_EQ(MusicMasterVolume, 127);
  EXPECT_EQ(m.fadingOut, 0);
  EXPECT_EQ(m.pendingSong, -1);
  Ticks(1);
  EXPECT_EQ(GetSongPosition(), 5);  // not restarted
}

TEST_F(MusicManagerTest, BattleAndResumeAtTheSavedPositionWithAFadeIn) {
  m.InitMusic(device_);
  m.SetBattleMusic(3);
  m.PlayMusic(1);
  Ticks(7);
  m.FadeToMusic(2);
  for (int i = 0; i < 5; ++i) m.UpdateMusicFade();
  m.PlayBattleMusic(-1);  // during the fade-out: the faded song is saved, the pending one dropped
  EXPECT_EQ(m.savedSong, 1);
  EXPECT_EQ(m.savedPosition, 7);
  EXPECT_EQ(m.currentSong, 3);
  EXPECT_EQ(m.pendingSong, -1);
  EXPECT_EQ(MusicMasterVolume, 127);
  Ticks(3);
  EXPECT_EQ(SoundingSong(), 3);

  m.ResumeMusic();
  EXPECT_EQ(m.currentSong, 1);
  EXPECT_EQ(GetSongPosition(), 7);
  EXPECT_EQ(MusicMasterVolume, 40);
  for (int frame = 1; frame <= 43; ++frame) {
    m.UpdateMusicFade();
    ASSERT_EQ(MusicMasterVolume, 40 + 2 * frame) << frame;
  }
  m.UpdateMusicFade();
  EXPECT_EQ(m.fadingIn, 0);
  EXPECT_EQ(m.fadeVolume, 128);
  EXPECT_EQ(MusicMasterVolume, 126);  // 128 is refused
}

TEST_F(MusicManagerTest, ResumingTheSongThatPlaysSeeksWithoutStoppingIt) {
  m.InitMusic(device_);
  m.SetBattleMusic(1);
  m.PlayMusic(1);
  Ticks(9);
  m.PlayBattleMusic(-1);  // the battle song is the field's own: it goes on
  Ticks(6);
  EXPECT_EQ(GetSongPosition(), 15);
  m.ResumeMusic();
  EXPECT_EQ(GetSongPosition(), 9);
  Ticks(2);
  EXPECT_EQ(GetSongPosition(), 11);  // still playing
  EXPECT_EQ(SoundingSong(), 1);
  EXPECT_EQ(m.fadingIn, 1);

  // A numbered battle song forgets the position; SetSavedMusic changes only the song.
  m.PlayBattleMusic(2);
  EXPECT_EQ(m.savedPosition, 0);
  m.SetSavedMusic(0);
  m.ResumeMusic();
  EXPECT_EQ(m.currentSong, 0);
  EXPECT_EQ(GetSongPosition(), 0);
}

TEST_F(MusicManagerTest, VolumeRangeAndStopWithoutStart) {
  m.InitMusic(device_);
  SetMusicVolume(50);
  SetMusicVolume(128);
  SetMusicVolume(-1);
  EXPECT_EQ(MusicMasterVolume, 50);
  StopMusic();  // never started: the period it ends was never begun
  const auto calls = plat::timer::PeriodCallsForTests();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_FALSE(calls[0].begin);
  EXPECT_FALSE(calls[0].accepted);
}

TEST_F(MusicManagerTest, ReleaseTwiceAndAManagerOutlivingTheDevice) {
  m.InitMusic(device_);
  m.PlayMusic(2);
  StopMusic();
  m.ReleaseMusic();
  m.ReleaseMusic();
  EXPECT_EQ(m.ready, 0);
  EXPECT_EQ(MelodyBuffers[0][0][0], nullptr);
  {
    MusicManager late;
    late.InitMusic(device_);
    late.PlayMusic(1);
    Ticks(3);
    ps::ResetSoundForTests();  // the device and every buffer are gone first
  }                            // its destructor stops and releases without touching a freed buffer
  // It stopped the song's timer (its period ended, no tick moves the song) and left no buffer.
  const auto calls = plat::timer::PeriodCallsForTests();
  ASSERT_FALSE(calls.empty());
  EXPECT_FALSE(calls.back().begin);
  EXPECT_TRUE(calls.back().accepted);
  const int32_t position = GetSongPosition();
  Ticks(5);
  EXPECT_EQ(GetSongPosition(), position);
  EXPECT_EQ(ps::LiveBufferCount(), 0u);
}

TEST_F(MusicManagerTest, AnEmptyEntryOrAFolderCannotBeAccessed) {
  // An entry past the list's lines is empty, as is a bad line's; a folder is no song either.
  m.InitMusic(device_);
  std::snprintf(m.MusicList[7].data(), m.MusicList[7].size(), "Org\\Org");
  for (int n : {5, 49, 7}) {
    SCOPED_TRACE(n);
    boxes_.clear();
    m.PlayMusic(n);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "ファイルにアクセスできません");
    EXPECT_EQ(boxes_[0].caption, "Error (Load)");
  }
}

// Checked after every other exit handler: the music's handler ended the song's timer
// period on a timer module that was still whole.
void CheckPeriodsAtExit() {
  const auto calls = plat::timer::PeriodCallsForTests();
  const bool ended = !calls.empty() && !calls.back().begin && calls.back().accepted;
  std::fprintf(stderr, ended ? "timer period ended at exit\n" : "timer period still begun at exit\n");
  std::fflush(stderr);
  if (!ended) std::_Exit(3);
}

TEST(MusicExitTest, AProgramThatExitsWhilePlayingStopsTheMusicCleanly) {
  // A fresh process, so that the music registers its exit handler before the timer
  // module is first used, as in the game. The sanitisers watch the child.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  nltest::TempDir dir;
  std::filesystem::create_directories(dir.File("Org/Org"));
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("Org/Org/Bass01.wav"),
                                     musictest::DrumFile(ps::PcmFormat(22050, 1, 8), {1, 2}, 2)));
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("Org/Wave100.dat"), std::string(25600, '\x10')));
  SongSpec spec;
  spec.tick_period = 5;
  spec.repeat_end = 100000;
  spec.tracks[0].notes = {{0, 40, 255, 200, 6}, {99999, 255, 0, 255, 255}};
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("Org/s.org"), SongBytes(spec)));
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("Org/music.csv"), "0,Org\\s.org,x\n"));
  EXPECT_EXIT(
      {
        std::atexit(&CheckPeriodsAtExit);
        if (!plat::fs::SetCurrentDirectory(dir.path())) std::_Exit(4);
        // The game's start: the device, and its output running from the main thread.
        ps::Device* device = nullptr;
        ps::Buffer* primary = nullptr;
        ps::BufferDesc desc;
        desc.flags = ps::kBufferPrimary;
        if (ps::CreateDevice(&device) != ps::Result::kOk ||
            ps::CreateBuffer(device, desc, &primary) != ps::Result::kOk ||
            ps::PlayBuffer(primary, ps::kPlayLooping) != ps::Result::kOk) {
          std::_Exit(5);
        }
        TheMusicManager.InitMusic(device);
        TheMusicManager.PlayMusic(0);
        for (int i = 0; i < 200 && GetSongPosition() < 4; ++i) plat::timer::Sleep(5);
        if (GetSongPosition() < 4) std::_Exit(6);  // the song's timer never ticked
        // The child made its own copy of the files; they go before it exits.
        plat::fs::SetCurrentDirectory("/");
        std::filesystem::remove_all(dir.path());
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "timer period ended at exit");
}

}  // namespace

// The song tick called directly against the recording device: note lengths, pan and
// volume notes, the master volume, the lamp, the repeat; and the song timer's periods and
// events on the virtual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "music/music_player.h"
#include "tests/music/music_fixture.h"
#include "tests/music/song_builder.h"

namespace {

using namespace music;
using musictest::DrumFile;
using musictest::MusicFixture;
using musictest::SongBytes;
using musictest::SongSpec;
namespace ps = plat::sound;
using Op = ps::Op;

int lamp_flashes = 0;
void CountFlash(int ms) {
  EXPECT_EQ(ms, 100);
  ++lamp_flashes;
}

class SongTickTest : public MusicFixture {
 protected:
  void SetUp() override {
    MusicFixture::SetUp();
    for (int i = 0; i < kWaveSamples; ++i) WaveTable[0][i] = static_cast<int8_t>(i - 128);
    OrgSong.SetSongDefaults();
    lamp_flashes = 0;
    SetLampFlashHook(&CountFlash);
    std::filesystem::create_directories(dir_.File("Org"));
    for (const char* name : {"Org/Bass01.wav", "Org/Snare01.wav"}) {
      ASSERT_TRUE(nltest::WriteFileBytes(dir_.File(name), DrumFile(ps::PcmFormat(22050, 1, 8), {1, 2, 3}, 3)));
    }
  }
  void Load(const SongSpec& spec) {
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("s.org"), SongBytes(spec)));
    ASSERT_EQ(OrgSong.LoadOrgSong("s.org"), 1);
  }
  // The play flags of every Play call one tick makes.
  std::vector<int64_t> TickPlays() {
    ClearCalls();
    PlaySongTick(OrgSong);
    std::vector<int64_t> plays;
    for (const auto& c : calls_) {
      if (c.op == Op::kPlay) plays.push_back(c.value);
    }
    return plays;
  }
  ps::Buffer* Sounding(int track) { return MelodyBuffers[track][SoundingKey[track] / 12][BufferToggle[track]]; }
};

TEST_F(SongTickTest, MelodyNoteOfLengthLEndsAtTickTPlusL) {
  SongSpec spec;
  spec.repeat_end = 64;
  spec.tracks[0].notes = {{2, 45, 3, 100, 6}, {10, 50, 0, 255, 255}, {20, 255, 0, 255, 255}};
  Load(spec);
  const std::map<int, std::vector<int64_t>> expected{
      {2, {ps::kPlayLooping}},      // on
      {5, {0}},                     // off: 2 + 3
      {10, {ps::kPlayLooping, 0}},  // length 0: on and off in one tick
  };
  for (int tick = 0; tick < 14; ++tick) {
    auto it = expected.find(tick);
    EXPECT_EQ(TickPlays(), it == expected.end() ? std::vector<int64_t>{} : it->second) << "tick " << tick;
  }
}

TEST_F(SongTickTest, OneShotTracksUseTheOneShotVoice) {
  SongSpec spec;
  spec.tracks[1] = {1000, 0, 1, {{0, 45, 2, 100, 6}, {1, 45, 2, 255, 255}, {9, 255, 0, 255, 255}}};
  Load(spec);
  EXPECT_EQ(TickPlays(), std::vector<int64_t>{0});
  EXPECT_EQ(TickPlays(), std::vector<int64_t>{0});  // same key: the other buffer, once
  EXPECT_EQ(BufferToggle[1], 1);
}

TEST_F(SongTickTest, KeylessNoteChangesTheSoundingNotesPanAndTheTrackVolume) {
  SongSpec spec;
  spec.tracks[0].notes = {{0, 45, 10, 200, 6}, {3, 255, 0, 100, 0}, {20, 255, 0, 255, 255}};
  Load(spec);
  for (int tick = 0; tick < 3; ++tick) PlaySongTick(OrgSong);
  ps::Buffer* sounding = Sounding(0);
  EXPECT_EQ(Volume(sounding), 200 * 8 - 2040);
  EXPECT_EQ(Pan(sounding), 0);
  EXPECT_EQ(TickPlays(), std::vector<int64_t>{});  // no restart, no note-off
  EXPECT_EQ(Sounding(0), sounding);
  EXPECT_EQ(Pan(sounding), -2560);
  EXPECT_EQ(Volume(sounding), 100 * 8 - 2040);
}

TEST_F(SongTickTest, VolumesFollowTheMasterVolumeWhileANoteLiesAhead) {
  SongSpec spec;
  spec.tracks[0].notes = {{0, 45, 10, 100, 6}, {5, 255, 0, 255, 255}};
  spec.tracks[8] = {1000, 0, 0, {{0, 27, 0, 254, 6}, {5, 255, 0, 255, 255}}};
  Load(spec);
  MusicMasterVolume = 64;
  PlaySongTick(OrgSong);
  EXPECT_EQ(Volume(Sounding(0)), 50 * 8 - 2040);      // 100 x 64 / 127 = 50
  EXPECT_EQ(Volume(DrumBuffers[0]), 128 * 8 - 2040);  // 254 x 64 / 127 = 128
  MusicMasterVolume = 127;
  PlaySongTick(OrgSong);
  EXPECT_EQ(Volume(Sounding(0)), 100 * 8 - 2040);
  EXPECT_EQ(Volume(DrumBuffers[0]), 254 * 8 - 2040);
  // Past the last note nothing applies a volume: the master volume no longer reaches it.
  for (int tick = 2; tick < 6; ++tick) PlaySongTick(OrgSong);
  MusicMasterVolume = 0;
  ClearCalls();
  PlaySongTick(OrgSong);
  for (const auto& c : calls_) EXPECT_NE(c.op, Op::kSetVolume);
}

TEST_F(SongTickTest, DrumsFlashTheLampOncePerTick) {
  SongSpec spec;
  spec.tracks[8] = {1000, 0, 0, {{0, 27, 0, 200, 6}, {1, 255, 0, 100, 3}, {2, 30, 0, 255, 255}}};
  spec.tracks[9] = {1000, 2, 0, {{0, 27, 0, 200, 6}, {1, 255, 0, 255, 255}}};
  Load(spec);
  PlaySongTick(OrgSong);  // two drums
  EXPECT_EQ(lamp_flashes, 1);
  EXPECT_EQ(Frequency(DrumBuffers[0]), 27u * 800 + 100);
  PlaySongTick(OrgSong);  // drum notes without keys
  EXPECT_EQ(lamp_flashes, 1);
  EXPECT_EQ(Pan(DrumBuffers[0]), (129 - 256) * 10);
  PlaySongTick(OrgSong);
  EXPECT_EQ(lamp_flashes, 2);
  EXPECT_EQ(Frequency(DrumBuffers[0]), 30u * 800 + 100);
}

TEST_F(SongTickTest, PositionWrapsFromTheRepeatEndToTheRepeatStart) {
  struct Case {
    int32_t start, end;
    std::vector<int32_t> positions;  // after each tick, from tick 0
    std::vector<int> strikes;        // ticks whose drum at the repeat start sounds
  };
  const Case cases[] = {
      {2, 5, {1, 2, 3, 4, 2, 3, 4, 2}, {2, 5}},
      {3, 4, {1, 2, 3, 3, 3, 3}, {3, 4, 5}},  // end at start + 1: the start sounds every tick
      {3, 3, {1, 2, 3, 3, 3}, {3, 4}},
  };
  for (const Case& c : cases) {
    SongSpec spec;
    spec.repeat_start = c.start;
    spec.repeat_end = c.end;
    spec.tracks[8] = {1000, 0, 0, {{c.start, 27, 0, 200, 6}}};
    Load(spec);
    std::vector<int> strikes;
    for (size_t tick = 0; tick < c.positions.size(); ++tick) {
      const int before = lamp_flashes;
      PlaySongTick(OrgSong);
      EXPECT_EQ(PlayPosition, c.positions[tick]) << c.start << ".." << c.end << " tick " << tick;
      if (lamp_flashes != before) strikes.push_back(static_cast<int>(tick));
    }
    EXPECT_EQ(strikes, c.strikes) << c.start << ".." << c.end;
  }
}

TEST_F(SongTickTest, TimerPeriodsBeginAndEndInPairs) {
  plat::timer::ResetPeriodicTimerForTests();
  plat::timer::SetDevCapsForTests({20, 1000});
  EXPECT_EQ(StopSongTimer(), 0);  // no timer ever set: an end of a period never begun
  EXPECT_EQ(BeginTimerPeriod(), 1);
  EXPECT_EQ(SongTimerPeriod, 20u);  // raised to the system's minimum, and kept
  EXPECT_EQ(StartSongTimerEvent(100), 1);
  EXPECT_NE(SongTimerId, 0u);
  EXPECT_EQ(StopSongTimer(), 1);
  EXPECT_EQ(StopSongTimer(), 0);  // the kill of a dead id fails: no second end
  const auto calls = plat::timer::PeriodCallsForTests();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_TRUE(!calls[0].begin && calls[0].ms == 13 && !calls[0].accepted);
  EXPECT_TRUE(calls[1].begin && calls[1].ms == 20 && calls[1].accepted);
  EXPECT_TRUE(!calls[2].begin && calls[2].ms == 20 && calls[2].accepted);

  plat::timer::SetDevCapsForTests({1, 1000}, true);
  EXPECT_EQ(BeginTimerPeriod(), 0);
  EXPECT_EQ(plat::timer::PeriodCallsForTests().size(), 3u);
  // A refused event leaves id 0; the stop then skips the kill.
  EXPECT_EQ(StartSongTimerEvent(0), 1);
  EXPECT_EQ(SongTimerId, 0u);
}

TEST_F(SongTickTest, TimerTicksOnTheVirtualClockAndStopsForGood) {
  plat::timer::UseVirtualClock(true, 0);
  SongSpec spec;
  spec.tick_period = 50;
  spec.tracks[0].notes = {{0, 45, 255, 100, 6}, {100, 255, 0, 255, 255}};
  Load(spec);
  StartSong();
  plat::timer::AdvanceVirtualClock(149);
  EXPECT_EQ(PlayPosition, 2);  // ticks at 50 and 100
  plat::timer::AdvanceVirtualClock(1);
  EXPECT_EQ(PlayPosition, 3);
  StopMusic();
  EXPECT_EQ(SoundingKey[0], kNoKey);
  plat::timer::AdvanceVirtualClock(500);
  EXPECT_EQ(PlayPosition, 3);
  // A late callback after the stop does nothing.
  OrgTimerCallback(0, 0, 0, 0, 0);
  EXPECT_EQ(PlayPosition, 3);
  // Started again without a load or seek, it goes on where it stopped.
  StartSong();
  plat::timer::AdvanceVirtualClock(50);
  EXPECT_EQ(PlayPosition, 4);
  StopMusic();
}

}  // namespace

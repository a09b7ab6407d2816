// Melody voices: buffer layout per octave and mode, the rate table, the note state machine
// in call order, pan and volume, the refusals, and the samples the mixer makes of a note.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/music/music_fixture.h"

namespace {

using namespace music;
using musictest::MusicFixture;
namespace ps = plat::sound;
using Op = plat::sound::Op;

// A waveform with no symmetry, so a wrong step or offset shows.
Waveform Scrambled() {
  Waveform w{};
  for (int i = 0; i < kWaveSamples; ++i) w[i] = static_cast<int8_t>((i * 37 + 5) & 0xFF);
  return w;
}

class MelodyVoiceTest : public MusicFixture {
 protected:
  void SetUp() override {
    MusicFixture::SetUp();
    WaveTable[7] = Scrambled();
  }
  ps::Buffer* B(int track, int octave, int member) { return MelodyBuffers[track][octave][member]; }
  // The 16 frequency calls of a track, octaves in order.
  std::vector<std::pair<Op, ps::Buffer*>> FrequencyCalls(int track) {
    std::vector<std::pair<Op, ps::Buffer*>> ops;
    for (int o = 0; o < kOctaves; ++o) {
      for (int m = 0; m < 2; ++m) ops.emplace_back(Op::kSetFrequency, B(track, o, m));
    }
    return ops;
  }
};

TEST_F(MelodyVoiceTest, BuffersHoldTheWaveformAtEachOctavesCycleLength) {
  struct Row {
    int octave;
    uint32_t looping_bytes, one_shot_bytes, step;
  };
  const Row rows[] = {{0, 256, 1024, 1}, {1, 256, 2048, 1}, {2, 128, 1536, 2}, {3, 128, 2048, 2},
                      {4, 64, 1280, 4},  {5, 32, 768, 8},   {6, 16, 448, 16},  {7, 8, 256, 32}};
  const Waveform w = Scrambled();
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  ASSERT_EQ(MakeMelodyVoice(1, 7, 1), 1);
  for (const Row& row : rows) {
    for (int track : {0, 1}) {
      const uint32_t bytes = track == 0 ? row.looping_bytes : row.one_shot_bytes;
      for (int m = 0; m < 2; ++m) {
        ps::Buffer* b = B(track, row.octave, m);
        ASSERT_NE(b, nullptr);
        std::vector<uint8_t> data = Contents(b);
        ASSERT_EQ(data.size(), bytes) << "octave " << row.octave << " track " << track;
        for (uint32_t j = 0; j < bytes; ++j) {
          ASSERT_EQ(data[j], static_cast<uint8_t>(w[(j * row.step) % 256] + 128))
              << "octave " << row.octave << " track " << track << " byte " << j;
        }
        ps::WaveFormat f;
        ps::GetBufferFormat(b, &f);
        EXPECT_EQ(f.samples_per_sec, 22050u);
        EXPECT_EQ(f.channels, 1);
        EXPECT_EQ(f.bits_per_sample, 8);
      }
    }
  }
}

TEST_F(MelodyVoiceTest, RatesFollowTheNoteAndOctaveTables) {
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  // Key 45 plays the 128-sample octave 3 buffer at 56,320 Hz: 440 Hz.
  PlayMelodyNote(45, kNoteOn, 0, 1000);
  EXPECT_EQ(Frequency(B(0, 3, 0)), 56320u);
  EXPECT_EQ(Status(B(0, 3, 0)), ps::kStatusPlaying | ps::kStatusLooping);
  // Every octave gets its own rate for the note: 32, 64, 64, 128 ... x 440.
  const uint32_t per_octave[] = {32, 64, 64, 128, 128, 128, 128, 128};
  for (int o = 0; o < kOctaves; ++o) EXPECT_EQ(Frequency(B(0, o, 1)), per_octave[o] * 440) << o;

  // Key 0: 32 x 262 = 8384 Hz over 256 samples is 32.75 Hz.
  ASSERT_EQ(MakeMelodyVoice(1, 7, 0), 1);
  PlayMelodyNote(0, kNoteOn, 1, 1000);
  EXPECT_EQ(Frequency(B(1, 0, 0)), 8384u);
  EXPECT_DOUBLE_EQ(Frequency(B(1, 0, 0)) / 256.0, 32.75);

  // freq 1100 adds 100 to every rate.
  SetMelodyFrequency(9, 0, 1100);
  for (int o = 0; o < kOctaves; ++o) EXPECT_EQ(Frequency(B(0, o, 0)), per_octave[o] * 440 + 100) << o;

  // A rate the device refuses (octave 7, note 11, freq 65535: 127,767 Hz) keeps the old one;
  // the accepted octaves still change.
  SetMelodyFrequency(11, 0, 1000);
  SetMelodyFrequency(11, 0, 65535);
  EXPECT_EQ(Frequency(B(0, 7, 0)), 128u * 494);
  EXPECT_EQ(Frequency(B(0, 0, 0)), 32u * 494 + 64535);
}

TEST_F(MelodyVoiceTest, LoopingVoiceStateMachineInCallOrder) {
  ASSERT_EQ(MakeMelodyVoice(2, 7, 0), 1);
  using Calls = std::vector<std::pair<Op, ps::Buffer*>>;
  auto expect_calls = [&](Calls expected, const char* step) {
    EXPECT_EQ(CallOps(), expected) << step;
    ClearCalls();
  };
  auto play = [](ps::Buffer* b) { return std::make_pair(Op::kPlay, b); };
  ClearCalls();

  PlayMelodyNote(45, kNoteOn, 2, 1000);  // new note
  Calls on = FrequencyCalls(2);
  on.push_back(play(B(2, 3, 0)));
  expect_calls(on, "new note");
  EXPECT_EQ(SoundingKey[2], 45);

  PlayMelodyNote(45, kNoteOn, 2, 1000);               // same key: the other pair member, no new rate
  EXPECT_EQ(Status(B(2, 3, 0)), ps::kStatusPlaying);  // runs out without looping
  expect_calls({play(B(2, 3, 0)), play(B(2, 3, 1))}, "same key");
  EXPECT_EQ(BufferToggle[2], 1);

  PlayMelodyNote(50, kNoteOn, 2, 1000);  // another key: old runs out, new rate, new buffer
  Calls change{play(B(2, 3, 1))};
  for (auto c : FrequencyCalls(2)) change.push_back(c);
  change.push_back(play(B(2, 4, 0)));
  expect_calls(change, "another key");
  EXPECT_EQ(SoundingKey[2], 50);
  EXPECT_EQ(Status(B(2, 3, 1)), ps::kStatusPlaying);
  EXPECT_EQ(Status(B(2, 4, 0)), ps::kStatusPlaying | ps::kStatusLooping);

  PlayMelodyNote(0, kNoteOff, 2, 0);  // note off: the sounding buffer ends its cycle
  expect_calls({play(B(2, 4, 0))}, "note off");
  EXPECT_EQ(Status(B(2, 4, 0)), ps::kStatusPlaying);
  EXPECT_EQ(SoundingKey[2], kNoKey);

  PlayMelodyNote(0, kNoteOff, 2, 0);  // nothing sounds: nothing happens
  SetMelodyPan(3, 2);
  SetMelodyVolume(100, 2);
  expect_calls({}, "off again, pan and volume with nothing sounding");
}

TEST_F(MelodyVoiceTest, OneShotVoiceLetsEveryBufferPlayOut) {
  ASSERT_EQ(MakeMelodyVoice(3, 7, 1), 1);
  auto play = [](ps::Buffer* b) { return std::make_pair(Op::kPlay, b); };
  ClearCalls();
  PlayMelodyOneShot(45, kNoteOn, 3, 1000);
  auto on = FrequencyCalls(3);
  on.push_back(play(B(3, 3, 0)));
  EXPECT_EQ(CallOps(), on);
  EXPECT_EQ(calls_.back().value, 0);  // once, not looping
  ClearCalls();

  PlayMelodyOneShot(45, kNoteOn, 3, 1000);
  EXPECT_EQ(CallOps(), (std::vector<std::pair<Op, ps::Buffer*>>{play(B(3, 3, 1))}));
  ClearCalls();

  PlayMelodyOneShot(50, kNoteOn, 3, 1000);
  auto change = FrequencyCalls(3);
  change.push_back(play(B(3, 4, 0)));
  EXPECT_EQ(CallOps(), change);
  ClearCalls();

  PlayMelodyOneShot(0, kNoteOff, 3, 0);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(SoundingKey[3], kNoKey);
  EXPECT_EQ(Status(B(3, 4, 0)), ps::kStatusPlaying);  // still playing out
}

TEST_F(MelodyVoiceTest, PanAndVolumeMapToHundredthsOfADecibel) {
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  PlayMelodyNote(40, kNoteOn, 0, 1000);
  ps::Buffer* current = B(0, 3, 0);
  const std::pair<int, int32_t> pans[] = {{0, -2560}, {3, -1270}, {6, 0}, {9, 1270}, {12, 2560}};
  for (auto [pan, expected] : pans) {
    SetMelodyPan(pan, 0);
    EXPECT_EQ(Pan(current), expected) << pan;
  }
  const std::pair<int, int32_t> volumes[] = {{0, -2040}, {100, -1240}, {254, -8}, {255, 0}};
  for (auto [volume, expected] : volumes) {
    SetMelodyVolume(volume, 0);
    EXPECT_EQ(Volume(current), expected) << volume;
  }
  // Pan and volume act on the current buffer only.
  EXPECT_EQ(Volume(B(0, 3, 1)), 0);
  EXPECT_EQ(Pan(B(0, 3, 1)), 0);
}

TEST_F(MelodyVoiceTest, OutOfRangeKeysPansAndWavesAreIgnored) {
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  std::vector<ps::Buffer*> before;
  for (auto& octave : MelodyBuffers[0]) before.insert(before.end(), octave.begin(), octave.end());
  ClearCalls();
  for (uint8_t key : {96, 120, 254}) {
    PlayMelodyNote(key, kNoteOn, 0, 1000);
    PlayMelodyOneShot(key, kNoteOn, 0, 1000);
  }
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(SoundingKey[0], kNoKey);

  PlayMelodyNote(40, kNoteOn, 0, 1000);
  ClearCalls();
  SetMelodyPan(13, 0);
  SetMelodyPan(255, 0);
  EXPECT_TRUE(calls_.empty());

  for (uint8_t wave : {100, 128, 255}) EXPECT_EQ(MakeMelodyVoice(0, wave, 0), 0) << int(wave);
  std::vector<ps::Buffer*> after;
  for (auto& octave : MelodyBuffers[0]) after.insert(after.end(), octave.begin(), octave.end());
  EXPECT_EQ(after, before);
}

TEST_F(MelodyVoiceTest, RebuildingAVoiceForgetsTheSoundingKey) {
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  PlayMelodyNote(45, kNoteOn, 0, 1000);
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  EXPECT_EQ(SoundingKey[0], kNoKey);
  // The same key now starts a note with its rate set, not the raw 22,050 Hz.
  PlayMelodyNote(45, kNoteOn, 0, 1000);
  EXPECT_EQ(Frequency(MelodyBuffers[0][3][BufferToggle[0]]), 56320u);
}

TEST_F(MelodyVoiceTest, PartialBufferFailureLeavesNullsThatNoCallTouches) {
  int creations = 0;
  ps::SetFailureHook([&](Op op) {
    if (op == Op::kCreateBuffer && ++creations == 5) return ps::Result::kOutOfMemory;
    return ps::Result::kOk;
  });
  EXPECT_EQ(CreateMelodyBuffers(WaveTable[7], 0, 0), 0);
  ps::SetFailureHook(nullptr);
  EXPECT_NE(B(0, 1, 1), nullptr);
  EXPECT_EQ(B(0, 2, 0), nullptr);
  EXPECT_EQ(B(0, 7, 1), nullptr);
  // Octave 1 plays; octave 2 has no buffer and the note does nothing; a later other key
  // whose rate reaches the missing buffers touches only those that exist.
  PlayMelodyNote(20, kNoteOn, 0, 1000);
  EXPECT_EQ(SoundingKey[0], 20);
  PlayMelodyNote(30, kNoteOn, 0, 1000);
  EXPECT_EQ(SoundingKey[0], 20);
  PlayMelodyNote(0, kNoteOff, 0, 0);
  EXPECT_EQ(SoundingKey[0], kNoKey);

  // A lock failure keeps the unfilled buffer in its slot.
  ReleaseMelodyBuffers(0);
  ps::SetFailureHook([](Op op) { return op == Op::kLock ? ps::Result::kFailed : ps::Result::kOk; });
  EXPECT_EQ(CreateMelodyBuffers(WaveTable[7], 0, 0), 0);
  ps::SetFailureHook(nullptr);
  EXPECT_NE(B(0, 0, 0), nullptr);
  EXPECT_EQ(B(0, 0, 1), nullptr);
}

TEST_F(MelodyVoiceTest, MusicOffDoesNothing) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("w.dat"), std::string(kWaveTableBytes, '\x11')));
  MusicDirectSound = nullptr;
  EXPECT_EQ(LoadWaveTable("w.dat"), 0);
  EXPECT_EQ(WaveTable[0][0], 0);
  EXPECT_EQ(MakeMelodyVoice(0, 0, 0), 0);
  PlayMelodyNote(45, kNoteOn, 0, 1000);
  EXPECT_TRUE(calls_.empty());
  MusicDirectSound = device_;
  EXPECT_EQ(LoadWaveTable("w.dat"), 1);
  EXPECT_EQ(WaveTable[99][255], 0x11);
  EXPECT_EQ(LoadWaveTable("missing.dat"), 0);
}

TEST_F(MelodyVoiceTest, ReleaseFreesEachBufferOnce) {
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  ClearCalls();
  ReleaseMelodyBuffers(0);
  ReleaseMelodyBuffers(0);
  EXPECT_EQ(calls_.size(), 16u);
  for (const auto& c : calls_) EXPECT_EQ(c.op, Op::kRelease);
}

// Key 45 on an output at exactly the note's rate: the mixer steps one sample a frame, so
// output frame k is the buffer's sample k mod 128 (waveform sample 2k mod 256) at full
// volume, centred: the value worked out by hand.
TEST_F(MelodyVoiceTest, MixerPlaysTheNoteSampleForSample) {
  SetOutput(56320, 1);
  const Waveform w = Scrambled();
  ASSERT_EQ(MakeMelodyVoice(0, 7, 0), 1);
  PlayMelodyNote(45, kNoteOn, 0, 1000);
  std::vector<int16_t> out = Render(400);
  for (int k = 0; k < 400; ++k) ASSERT_EQ(out[k], w[(2 * k) % 256] * 256) << k;
}

}  // namespace

// The sound device and its buffers: creation rules, locks, playback state, controls and
// refusals. The mixer is moved by hand (manual backend) so every position is exact.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/sound/sound.h"

namespace {

using namespace plat::sound;

constexpr uint32_t kAllControls =
    kBufferCtrlFrequency | kBufferCtrlPan | kBufferCtrlVolume | kBufferStatic | kBufferGlobalFocus;

class SoundBufferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetBackendForTests(Backend::kManual);
    ASSERT_EQ(CreateDevice(&device_), Result::kOk);
  }
  void TearDown() override { ResetSoundForTests(); }

  Buffer* Make(const WaveFormat& format, uint32_t bytes, uint32_t flags = kAllControls) {
    BufferDesc desc;
    desc.flags = flags;
    desc.bytes = bytes;
    desc.format = format;
    Buffer* b = nullptr;
    EXPECT_EQ(CreateBuffer(device_, desc, &b), Result::kOk);
    return b;
  }

  // Mixes `frames` output frames (output format: 22050 Hz, 8-bit stereo by default).
  void Mix(uint32_t frames) {
    std::vector<uint8_t> out(static_cast<size_t>(frames) * OutputFormat().block_align);
    ASSERT_EQ(MixFrames(out), Result::kOk);
  }

  uint32_t Status(Buffer* b) {
    uint32_t s = 0xDEAD;
    EXPECT_EQ(GetBufferStatus(b, &s), Result::kOk);
    return s;
  }

  uint32_t PlayCursor(Buffer* b) {
    uint32_t play = 0xDEAD;
    uint32_t write = 0xBEEF;
    EXPECT_EQ(GetBufferPosition(b, &play, &write), Result::kOk);
    EXPECT_EQ(play, write);
    return play;
  }

  Device* device_ = nullptr;
};

TEST_F(SoundBufferTest, OneDeviceAtATime) {
  Device* second = reinterpret_cast<Device*>(1);
  EXPECT_EQ(CreateDevice(&second), Result::kInvalidCall);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(ReleaseDevice(device_), Result::kOk);
  EXPECT_EQ(ReleaseDevice(device_), Result::kInvalidParam);
  EXPECT_EQ(CreateDevice(&second), Result::kOk);
}

TEST_F(SoundBufferTest, DeviceCreationCanBeMadeToFail) {
  ReleaseDevice(device_);
  SetFailureHook([](Op op) { return op == Op::kCreateDevice ? Result::kNoDriver : Result::kOk; });
  Device* d = reinterpret_cast<Device*>(1);
  EXPECT_EQ(CreateDevice(&d), Result::kNoDriver);
  EXPECT_EQ(d, nullptr);
}

TEST_F(SoundBufferTest, ReportsTheCapabilitiesATestSets) {
  DeviceCaps caps;
  EXPECT_EQ(GetDeviceCaps(device_, &caps), Result::kOk);
  EXPECT_EQ(caps.flags & (kCapPrimaryStereo | kCapPrimary16Bit), kCapPrimaryStereo | kCapPrimary16Bit);
  EXPECT_EQ(caps.max_secondary_rate, 100000u);

  DeviceCaps custom;
  custom.flags = kCapPrimaryMono | kCapPrimary8Bit;
  custom.min_secondary_rate = 4000;
  custom.max_secondary_rate = 22050;
  custom.total_hw_mem_bytes = 4194304;
  custom.free_hw_mem_bytes = 1024;
  SetDeviceCapsForTests(custom);
  ASSERT_EQ(GetDeviceCaps(device_, &caps), Result::kOk);
  EXPECT_EQ(caps.flags, custom.flags);
  EXPECT_EQ(caps.max_secondary_rate, 22050u);
  EXPECT_EQ(caps.total_hw_mem_bytes, 4194304u);
  EXPECT_EQ(GetDeviceCaps(nullptr, &caps), Result::kInvalidParam);
}

TEST_F(SoundBufferTest, EnumeratesTheListUntilTheCallbackStops) {
  std::vector<std::string> seen;
  EnumerateDevices([&](const DeviceInfo& d) {
    seen.push_back(d.module);
    return true;
  });
  EXPECT_EQ(seen.size(), 1u);

  SetDeviceListForTests({{{}, "one", "m1"}, {{}, "two", "m2"}, {{}, "three", "m3"}});
  seen.clear();
  EnumerateDevices([&](const DeviceInfo& d) {
    seen.push_back(d.description);
    return d.description != "two";
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "two"}));
}

TEST_F(SoundBufferTest, PrimaryFormatFollowsTheCapabilities) {
  Buffer* primary = nullptr;
  BufferDesc desc;
  desc.flags = kBufferPrimary;
  ASSERT_EQ(CreateBuffer(device_, desc, &primary), Result::kOk);
  Buffer* again = nullptr;
  EXPECT_EQ(CreateBuffer(device_, desc, &again), Result::kInvalidCall);

  DeviceCaps caps;
  caps.flags = kCapPrimaryMono | kCapPrimary8Bit | kCapPrimary16Bit;
  caps.min_secondary_rate = 100;
  caps.max_secondary_rate = 22050;
  SetDeviceCapsForTests(caps);
  struct Row {
    WaveFormat format;
    Result expected;
  } rows[] = {
      {PcmFormat(22050, 1, 16), Result::kOk},        {PcmFormat(11025, 1, 8), Result::kOk},
      {PcmFormat(22050, 2, 16), Result::kBadFormat},  // no stereo primary
      {PcmFormat(44100, 1, 16), Result::kBadFormat},  // above the device's rates
      {PcmFormat(22050, 1, 24), Result::kBadFormat}, {PcmFormat(99, 1, 16), Result::kBadFormat},
  };
  WaveFormat adpcm = PcmFormat(22050, 1, 16);
  adpcm.format_tag = kFormatImaAdpcm;
  EXPECT_EQ(SetBufferFormat(primary, adpcm), Result::kBadFormat);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format.samples_per_sec);
    const WaveFormat before = OutputFormat();
    EXPECT_EQ(SetBufferFormat(primary, row.format), row.expected);
    const WaveFormat after = OutputFormat();
    const WaveFormat& want = row.expected == Result::kOk ? row.format : before;
    EXPECT_EQ(after.samples_per_sec, want.samples_per_sec);
    EXPECT_EQ(after.channels, want.channels);
    EXPECT_EQ(after.bits_per_sample, want.bits_per_sample);
  }
  WaveFormat got;
  ASSERT_EQ(GetBufferFormat(primary, &got), Result::kOk);
  EXPECT_EQ(got.samples_per_sec, 11025u);
  EXPECT_EQ(got.block_align, 1u);

  Buffer* secondary = Make(PcmFormat(22050, 1, 8), 100);
  EXPECT_EQ(SetBufferFormat(secondary, PcmFormat(22050, 1, 8)), Result::kInvalidCall);
}

TEST_F(SoundBufferTest, SecondaryBuffersTakeOnlyPlayablePcm) {
  WaveFormat adpcm = PcmFormat(22050, 1, 16);
  adpcm.format_tag = kFormatImaAdpcm;
  struct Row {
    const char* what;
    WaveFormat format;
    uint32_t bytes;
    Result expected;
  } rows[] = {
      {"8-bit mono, one frame", PcmFormat(22050, 1, 8), 1, Result::kOk},
      {"16-bit stereo, a partial frame after one", PcmFormat(44100, 2, 16), 6, Result::kOk},
      {"lowest rate", PcmFormat(100, 1, 16), 2, Result::kOk},
      {"highest rate", PcmFormat(100000, 1, 16), 2, Result::kOk},
      {"below a frame", PcmFormat(22050, 1, 16), 1, Result::kInvalidParam},
      {"no bytes", PcmFormat(22050, 1, 8), 0, Result::kInvalidParam},
      {"too large", PcmFormat(22050, 1, 8), kMaxBufferBytes + 1, Result::kInvalidParam},
      {"rate 99", PcmFormat(99, 1, 8), 10, Result::kBadFormat},
      {"rate 100001", PcmFormat(100001, 1, 8), 10, Result::kBadFormat},
      {"3 channels", PcmFormat(22050, 3, 16), 12, Result::kBadFormat},
      {"no channels", PcmFormat(22050, 0, 16), 12, Result::kBadFormat},
      {"24 bits", PcmFormat(22050, 1, 24), 12, Result::kBadFormat},
      {"compressed", adpcm, 12, Result::kBadFormat},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    BufferDesc desc{kAllControls, row.bytes, row.format};
    Buffer* b = reinterpret_cast<Buffer*>(1);
    EXPECT_EQ(CreateBuffer(device_, desc, &b), row.expected);
    EXPECT_EQ(b != nullptr, row.expected == Result::kOk);
  }
  Buffer* b = nullptr;
  EXPECT_EQ(CreateBuffer(nullptr, BufferDesc{0, 4, PcmFormat(22050, 1, 8)}, &b), Result::kInvalidParam);
}

TEST_F(SoundBufferTest, NewBuffersHoldSilence) {
  Buffer* b8 = Make(PcmFormat(22050, 1, 8), 3);
  Buffer* b16 = Make(PcmFormat(22050, 1, 16), 4);
  LockedRegions r;
  ASSERT_EQ(LockBuffer(b8, 0, 0, &r, kLockEntireBuffer), Result::kOk);
  EXPECT_EQ(std::vector<uint8_t>(r.first.begin(), r.first.end()), (std::vector<uint8_t>{128, 128, 128}));
  ASSERT_EQ(LockBuffer(b16, 0, 0, &r, kLockEntireBuffer), Result::kOk);
  EXPECT_EQ(std::vector<uint8_t>(r.first.begin(), r.first.end()), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(SoundBufferTest, LockGivesOneOrTwoRegions) {
  Buffer* b = Make(PcmFormat(22050, 1, 8), 100);
  struct Row {
    uint32_t offset, bytes, flags;
    Result expected;
    uint32_t first_at, first_bytes, second_bytes;
  } rows[] = {
      {0, 100, 0, Result::kOk, 0, 100, 0},
      {10, 50, 0, Result::kOk, 10, 50, 0},
      {90, 20, 0, Result::kOk, 90, 10, 10},
      {99, 100, 0, Result::kOk, 99, 1, 99},
      {40, 0, kLockEntireBuffer, Result::kOk, 40, 60, 40},
      {100, 1, 0, Result::kInvalidParam, 0, 0, 0},
      {0, 0, 0, Result::kInvalidParam, 0, 0, 0},
      {0, 101, 0, Result::kInvalidParam, 0, 0, 0},
  };
  LockedRegions whole;
  ASSERT_EQ(LockBuffer(b, 0, 0, &whole, kLockEntireBuffer), Result::kOk);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.offset << "+" << row.bytes);
    LockedRegions r;
    ASSERT_EQ(LockBuffer(b, row.offset, row.bytes, &r, row.flags), row.expected);
    if (row.expected != Result::kOk) {
      EXPECT_TRUE(r.first.empty() && r.second.empty());
      continue;
    }
    EXPECT_EQ(r.first.data(), whole.first.data() + row.first_at);
    EXPECT_EQ(r.first.size(), row.first_bytes);
    EXPECT_EQ(r.second.size(), row.second_bytes);
    if (row.second_bytes != 0) {
      EXPECT_EQ(r.second.data(), whole.first.data());
    }
    EXPECT_EQ(UnlockBuffer(b, r), Result::kOk);
  }
  EXPECT_EQ(UnlockBuffer(b, whole), Result::kOk);
  EXPECT_EQ(UnlockBuffer(b, whole), Result::kInvalidCall);  // nothing is locked any more

  // The write cursor lock starts where the mixer stands.
  ASSERT_EQ(SetBufferPosition(b, 30), Result::kOk);
  LockedRegions r;
  ASSERT_EQ(LockBuffer(b, 0, 80, &r, kLockFromWriteCursor), Result::kOk);
  EXPECT_EQ(r.first.data(), whole.first.data() + 30);
  EXPECT_EQ(r.second.size(), 10u);

  // Regions that are not the buffer's own are refused.
  uint8_t elsewhere[4];
  EXPECT_EQ(UnlockBuffer(b, LockedRegions{std::span<uint8_t>(elsewhere), {}}), Result::kInvalidParam);
  EXPECT_EQ(UnlockBuffer(b, r), Result::kOk);
}

TEST_F(SoundBufferTest, OneShotStopsAtItsEndWithThePositionBackAtZero) {
  Buffer* b = Make(PcmFormat(22050, 1, 8), 10);  // 10 frames at the output rate
  ASSERT_EQ(PlayBuffer(b, 0), Result::kOk);
  EXPECT_EQ(Status(b), kStatusPlaying);
  Mix(9);
  EXPECT_EQ(Status(b), kStatusPlaying);
  EXPECT_EQ(PlayCursor(b), 9u);
  Mix(1);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(PlayCursor(b), 0u);
}

TEST_F(SoundBufferTest, StopKeepsThePositionAndPlayGoesOnFromIt) {
  Buffer* b = Make(PcmFormat(22050, 1, 16), 20);  // 10 frames of 2 bytes
  PlayBuffer(b, 0);
  Mix(4);
  ASSERT_EQ(StopBuffer(b), Result::kOk);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(PlayCursor(b), 8u);
  Mix(3);  // a stopped buffer does not move
  EXPECT_EQ(PlayCursor(b), 8u);
  PlayBuffer(b, 0);
  Mix(5);
  EXPECT_EQ(PlayCursor(b), 18u);
  Mix(1);
  EXPECT_EQ(Status(b), 0u);
}

TEST_F(SoundBufferTest, LoopsUntilStoppedAndPlayOnAPlayingBufferOnlyChangesTheLoopFlag) {
  Buffer* b = Make(PcmFormat(22050, 1, 8), 10);
  ASSERT_EQ(PlayBuffer(b, kPlayLooping), Result::kOk);
  EXPECT_EQ(Status(b), kStatusPlaying | kStatusLooping);
  Mix(25);
  EXPECT_EQ(Status(b), kStatusPlaying | kStatusLooping);
  EXPECT_EQ(PlayCursor(b), 5u);
  ASSERT_EQ(PlayBuffer(b, 0), Result::kOk);  // from here on it plays out once
  EXPECT_EQ(Status(b), kStatusPlaying);
  EXPECT_EQ(PlayCursor(b), 5u);
  Mix(4);
  EXPECT_EQ(PlayCursor(b), 9u);
  Mix(1);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(PlayCursor(b), 0u);

  PlayBuffer(b, kPlayLooping);
  Mix(1000);
  StopBuffer(b);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(PlayCursor(b), 0u);  // 1000 = 100 whole loops
}

TEST_F(SoundBufferTest, PositionsRoundDownToAFrame) {
  Buffer* b = Make(PcmFormat(22050, 2, 16), 40);  // 10 frames of 4 bytes
  struct Row {
    uint32_t position;
    Result expected;
    uint32_t cursor;
  } rows[] = {{0, Result::kOk, 0},
              {7, Result::kOk, 4},
              {39, Result::kOk, 36},
              {40, Result::kInvalidParam, 36},
              {1000, Result::kInvalidParam, 36}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.position);
    EXPECT_EQ(SetBufferPosition(b, row.position), row.expected);
    EXPECT_EQ(PlayCursor(b), row.cursor);
  }
  // A partial frame at the end is never a position.
  Buffer* odd = Make(PcmFormat(22050, 1, 16), 5);
  EXPECT_EQ(SetBufferPosition(odd, 4), Result::kInvalidParam);
}

TEST_F(SoundBufferTest, ControlsRefuseValuesOutOfRangeAndKeepTheOldOne) {
  Buffer* b = Make(PcmFormat(22050, 1, 16), 100);
  uint32_t hz = 0;
  ASSERT_EQ(GetBufferFrequency(b, &hz), Result::kOk);
  EXPECT_EQ(hz, 22050u);
  struct FrequencyRow {
    uint32_t hz;
    Result expected;
    uint32_t after;
  } frequencies[] = {{100, Result::kOk, 100},
                     {99, Result::kInvalidParam, 100},
                     {100000, Result::kOk, 100000},
                     {100001, Result::kInvalidParam, 100000},
                     {0, Result::kInvalidParam, 100000},
                     {48100, Result::kOk, 48100}};
  for (const auto& row : frequencies) {
    SCOPED_TRACE(row.hz);
    EXPECT_EQ(SetBufferFrequency(b, row.hz), row.expected);
    GetBufferFrequency(b, &hz);
    EXPECT_EQ(hz, row.after);
  }
  struct LevelRow {
    int32_t value;
    Result expected;
    int32_t after;
  } volumes[] = {{-2040, Result::kOk, -2040},
                 {1, Result::kInvalidParam, -2040},
                 {-10000, Result::kOk, -10000},
                 {-10001, Result::kInvalidParam, -10000},
                 {0, Result::kOk, 0}},
    pans[] = {{-2560, Result::kOk, -2560},
              {10001, Result::kInvalidParam, -2560},
              {10000, Result::kOk, 10000},
              {-10001, Result::kInvalidParam, 10000},
              {-10000, Result::kOk, -10000}};
  for (const auto& row : volumes) {
    SCOPED_TRACE(row.value);
    int32_t v = 1;
    EXPECT_EQ(SetBufferVolume(b, row.value), row.expected);
    GetBufferVolume(b, &v);
    EXPECT_EQ(v, row.after);
  }
  for (const auto& row : pans) {
    SCOPED_TRACE(row.value);
    int32_t v = 1;
    EXPECT_EQ(SetBufferPan(b, row.value), row.expected);
    GetBufferPan(b, &v);
    EXPECT_EQ(v, row.after);
  }
}

TEST_F(SoundBufferTest, ControlsNeedTheirCreationFlags) {
  Buffer* b = Make(PcmFormat(22050, 1, 16), 100, kBufferCtrlVolume | kBufferCtrlPan | kBufferStatic);
  EXPECT_EQ(SetBufferFrequency(b, 11025), Result::kNoControl);
  uint32_t hz;
  EXPECT_EQ(GetBufferFrequency(b, &hz), Result::kNoControl);
  EXPECT_EQ(SetBufferVolume(b, -100), Result::kOk);

  Buffer* bare = Make(PcmFormat(22050, 1, 16), 100, 0);
  EXPECT_EQ(SetBufferVolume(bare, -100), Result::kNoControl);
  EXPECT_EQ(SetBufferPan(bare, 100), Result::kNoControl);
  EXPECT_EQ(PlayBuffer(bare, 0), Result::kOk);  // playing needs no control
}

TEST_F(SoundBufferTest, ReleasedAndForeignBuffersAreRefusedEverywhere) {
  Buffer* b = Make(PcmFormat(22050, 1, 8), 10);
  ASSERT_EQ(PlayBuffer(b, kPlayLooping), Result::kOk);
  ASSERT_EQ(ReleaseBuffer(b), Result::kOk);
  Mix(100);  // the mixer no longer visits it
  int foreign = 0;
  for (Buffer* gone : {b, reinterpret_cast<Buffer*>(&foreign), static_cast<Buffer*>(nullptr)}) {
    uint32_t u;
    int32_t i;
    LockedRegions r;
    WaveFormat f;
    EXPECT_EQ(ReleaseBuffer(gone), Result::kInvalidParam);
    EXPECT_EQ(LockBuffer(gone, 0, 1, &r), Result::kInvalidParam);
    EXPECT_EQ(UnlockBuffer(gone, r), Result::kInvalidParam);
    EXPECT_EQ(PlayBuffer(gone, 0), Result::kInvalidParam);
    EXPECT_EQ(StopBuffer(gone), Result::kInvalidParam);
    EXPECT_EQ(GetBufferStatus(gone, &u), Result::kInvalidParam);
    EXPECT_EQ(GetBufferPosition(gone, &u, &u), Result::kInvalidParam);
    EXPECT_EQ(SetBufferPosition(gone, 0), Result::kInvalidParam);
    EXPECT_EQ(SetBufferFrequency(gone, 1000), Result::kInvalidParam);
    EXPECT_EQ(GetBufferFrequency(gone, &u), Result::kInvalidParam);
    EXPECT_EQ(SetBufferVolume(gone, 0), Result::kInvalidParam);
    EXPECT_EQ(GetBufferVolume(gone, &i), Result::kInvalidParam);
    EXPECT_EQ(SetBufferPan(gone, 0), Result::kInvalidParam);
    EXPECT_EQ(GetBufferPan(gone, &i), Result::kInvalidParam);
    EXPECT_EQ(SetBufferFormat(gone, PcmFormat(22050, 1, 8)), Result::kInvalidParam);
    EXPECT_EQ(GetBufferFormat(gone, &f), Result::kInvalidParam);
  }
}

TEST_F(SoundBufferTest, WithoutADeviceNothingStartsAndReleasingItStopsEverything) {
  Buffer* looping = Make(PcmFormat(22050, 1, 8), 10);
  Buffer* once = Make(PcmFormat(22050, 1, 8), 10);
  PlayBuffer(looping, kPlayLooping);
  PlayBuffer(once, 0);
  Mix(3);
  ASSERT_EQ(ReleaseDevice(device_), Result::kOk);
  EXPECT_EQ(Status(looping), 0u);
  EXPECT_EQ(Status(once), 0u);
  EXPECT_EQ(PlayCursor(once), 3u);
  EXPECT_EQ(PlayBuffer(once, 0), Result::kInvalidCall);  // it would never move on
  EXPECT_EQ(ReleaseBuffer(once), Result::kOk);           // buffers outlive the device
}

TEST_F(SoundBufferTest, InjectedFailuresChangeNothing) {
  Buffer* b = Make(PcmFormat(22050, 1, 8), 10);
  SetFailureHook([](Op op) {
    return op == Op::kPlay || op == Op::kSetFrequency || op == Op::kLock ? Result::kFailed : Result::kOk;
  });
  EXPECT_EQ(PlayBuffer(b, 0), Result::kFailed);
  EXPECT_EQ(Status(b), 0u);
  EXPECT_EQ(SetBufferFrequency(b, 1000), Result::kFailed);
  uint32_t hz = 0;
  GetBufferFrequency(b, &hz);
  EXPECT_EQ(hz, 22050u);
  LockedRegions r;
  EXPECT_EQ(LockBuffer(b, 0, 1, &r), Result::kFailed);
  EXPECT_TRUE(r.first.empty());
  SetFailureHook(nullptr);
  EXPECT_EQ(PlayBuffer(b, 0), Result::kOk);
}

// The game thread, a timer thread and the audio thread all touch buffers at once.
TEST_F(SoundBufferTest, BuffersSurviveUseFromSeveralThreads) {
  std::vector<Buffer*> shared;
  for (int i = 0; i < 8; ++i) shared.push_back(Make(PcmFormat(22050, 1, 8), 64));
  std::atomic<bool> stop{false};
  std::thread mixer([&] {
    std::vector<uint8_t> out(2 * 256);
    while (!stop) MixFrames(out);
  });
  std::thread timer([&] {
    for (int n = 0; n < 3000; ++n) {
      Buffer* b = shared[n % shared.size()];
      PlayBuffer(b, n % 3 == 0 ? kPlayLooping : 0);
      SetBufferFrequency(b, 1000 + n * 7 % 90000);
      SetBufferVolume(b, -(n % 2000));
      if (n % 5 == 0) StopBuffer(b);
    }
  });
  for (int n = 0; n < 1000; ++n) {
    Buffer* b = Make(PcmFormat(11025, 2, 16), 400);
    PlayBuffer(b, kPlayLooping);
    LockedRegions r;
    if (LockBuffer(b, 0, 0, &r, kLockEntireBuffer) == Result::kOk) UnlockBuffer(b, r);
    ReleaseBuffer(b);
  }
  timer.join();
  stop = true;
  mixer.join();
  for (Buffer* b : shared) EXPECT_EQ(ReleaseBuffer(b), Result::kOk);
}

}  // namespace

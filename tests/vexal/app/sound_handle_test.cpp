// Sound handles and playback on the manual mixer, and the device's start-up choices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fs/fs.h"
#include "platform/sound/sound.h"
#include "platform/sys/debug_out.h"
#include "platform/timer/timer.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/wav_fixture.h"
#include "vexal/app/log/log_file.h"
#include "vexal/app/sound/sound_device.h"
#include "vexal/app/sound/sound_handle.h"
#include "vexal/app/startup/app_state.h"

namespace {

namespace ps = plat::sound;
using namespace soundtest;

class SoundHandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A device, handles and hooks of an earlier case are forgotten.
    vexal::ResetSoundTableForTests();
    vexal::ResetSoundDeviceForTests();
    ps::ResetSoundForTests();
    plat::SetDebugOutputEnabled(false);
    ps::SetBackendForTests(ps::Backend::kManual);
    old_dir_ = plat::fs::CurrentDirectory();
    plat::fs::SetCurrentDirectory(dir_.path());
    vexal::AppState.StartDirectory = dir_.path();
    vexal::StartLogFile();
    // 1000 frames of 44100 Hz 16-bit mono: 2000 bytes.
    nltest::WriteFileBytes(dir_.File("beep.wav"), AsString(PcmWav16(std::vector<int16_t>(1000, 100), 44100)));
  }
  void TearDown() override { plat::fs::SetCurrentDirectory(old_dir_); }
  void Mix(int frames) {
    std::vector<uint8_t> out(frames * ps::OutputFormat().block_align);
    ps::MixFrames(out);
  }
  uint32_t Position(int handle, int buffer) {
    uint32_t play = 0, write = 0;
    ps::GetBufferPosition(vexal::SoundHandleTable.Records[handle & 0xFFFF].SoundBuffers[buffer], &play, &write);
    return play;
  }
  nltest::TempDir dir_;
  std::string old_dir_;
};

TEST_F(SoundHandleTest, NothingWorksWithoutTheDevice) {
  EXPECT_EQ(vexal::GetDirectSoundObject(), nullptr);
  EXPECT_EQ(vexal::LoadSound("beep.wav"), -1);
  EXPECT_EQ(vexal::DeleteAllSounds(0), -1);
  EXPECT_EQ(vexal::EndDirectSound(), -1);
}

TEST_F(SoundHandleTest, BadCountsAndHandlesAreRefused) {
  ASSERT_EQ(vexal::InitDirectSound(), 0);
  EXPECT_EQ(vexal::InitDirectSound(), -1);
  EXPECT_EQ(vexal::AddSoundData("beep.wav", 11), -1);
  EXPECT_EQ(vexal::AddSoundData("beep.wav", 0), -1);
  const int h = vexal::AddSoundData("beep.wav", 10);
  EXPECT_EQ(h, 0x20000);
  EXPECT_EQ(vexal::SoundHandleTable.Records[0].SoundBufferCount, 10);
  for (int bad : {0x10000, 0x20000 | 1, 0x20000 | 512, 0x120000, -1}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(vexal::DeleteSound(bad, 0), -1);
    EXPECT_EQ(vexal::StartSoundPlay(bad, 1), -1);
    EXPECT_EQ(vexal::StopSoundPlay(bad), -1);
    EXPECT_EQ(vexal::IsSoundPlaying(bad), -1);
  }
  EXPECT_EQ(vexal::DeleteSound(h, 1), 0);
  EXPECT_EQ(vexal::StartSoundPlay(h, 1), -1);
  EXPECT_EQ(vexal::SoundHandleTable.Records[0].SoundBuffers[0], nullptr);
  EXPECT_EQ(vexal::EndDirectSound(), 0);
  EXPECT_EQ(vexal::EndDirectSound(), -1);
}

// A missing or broken file gives its slot back, however often it is tried.
TEST_F(SoundHandleTest, FailedLoadsFreeTheirSlot) {
  ASSERT_EQ(vexal::InitDirectSound(), 0);
  nltest::WriteFileBytes(dir_.File("broken.wav"), "RIFF....WAVEjunk");
  for (int i = 0; i < 600; ++i) {
    ASSERT_EQ(vexal::LoadSound("missing.wav"), -1);
    ASSERT_EQ(vexal::LoadSound("broken.wav"), -1);
  }
  EXPECT_EQ(vexal::LoadSound("beep.wav"), 0x20000);
}

TEST_F(SoundHandleTest, The513thSoundEndsTheProgram) {
  ASSERT_EQ(vexal::InitDirectSound(), 0);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(vexal::LoadSound("beep.wav"), 0x20000 | i);
  EXPECT_EXIT(vexal::LoadSound("beep.wav"), ::testing::ExitedWithCode(255), "");
  EXPECT_NE(nltest::ReadFileBytes(dir_.File("AppLog.txt")).find("サウンドの数が許容量を越えました終了します"),
            std::string::npos);
}

TEST_F(SoundHandleTest, AFourthStartOfThreeBuffersRestartsTheFirst) {
  ASSERT_EQ(vexal::InitDirectSound(), 0);
  const int h = vexal::AddSoundData("beep.wav", 3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(vexal::StartSoundPlay(h, 1), 0);
    Mix(100);
  }
  // Played so far: 300, 200 and 100 frames of 2 bytes.
  EXPECT_EQ(Position(h, 0), 600u);
  EXPECT_EQ(Position(h, 1), 400u);
  EXPECT_EQ(Position(h, 2), 200u);
  ASSERT_EQ(vexal::StartSoundPlay(h, 1), 0);
  EXPECT_EQ(Position(h, 0), 0u);
  EXPECT_EQ(Position(h, 1), 400u);
  EXPECT_EQ(Position(h, 2), 200u);
  EXPECT_EQ(vexal::IsSoundPlaying(h), 1);
  Mix(1000);  // every buffer reaches its end and stops
  EXPECT_EQ(vexal::IsSoundPlaying(h), 0);
}

TEST_F(SoundHandleTest, LoopedPlayGoesOnUntilStopped) {
  ASSERT_EQ(vexal::InitDirectSound(), 0);
  const int h = vexal::LoadSound("beep.wav");
  ASSERT_EQ(vexal::StartSoundPlay(h, 3), 0);
  Mix(10500);  // more than ten times the sound
  EXPECT_EQ(vexal::IsSoundPlaying(h), 1);
  EXPECT_EQ(Position(h, 0), 1000u);  // 10500 mod 1000 frames
  EXPECT_EQ(vexal::StopSoundPlay(h), 0);
  EXPECT_EQ(vexal::IsSoundPlaying(h), 0);
  EXPECT_EQ(Position(h, 0), 0u);
}

// Play type 0 returns once the sound has finished; buffers move only as the virtual
// clock does, so the wait must give time up.
TEST_F(SoundHandleTest, PlayAndWaitReturnsWhenTheSoundEnds) {
  ps::SetBackendForTests(ps::Backend::kClockDriven);
  plat::timer::UseVirtualClock(true, 5000);
  ASSERT_EQ(vexal::InitDirectSound(), 0);
  const int h = vexal::LoadSound("beep.wav");  // 1000 frames at 44100 Hz: 22.7 ms
  const uint32_t start = plat::timer::TimeMs();
  ASSERT_EQ(vexal::StartSoundPlay(h, 0), 0);
  EXPECT_EQ(vexal::IsSoundPlaying(h), 0);
  const uint32_t waited = plat::timer::TimeMs() - start;
  EXPECT_GE(waited, 22u);
  EXPECT_LE(waited, 30u);
}

TEST_F(SoundHandleTest, PrimaryFormatFollowsTheDevice) {
  struct Case {
    uint32_t flags, max_rate;
    ps::WaveFormat want;
  } cases[] = {
      {ps::kCapPrimaryStereo | ps::kCapPrimary16Bit | ps::kCapPrimary8Bit | ps::kCapPrimaryMono, 22050,
       ps::PcmFormat(22050, 2, 16)},
      {ps::kCapPrimaryStereo | ps::kCapPrimary16Bit | ps::kCapPrimary8Bit | ps::kCapPrimaryMono, 48000,
       ps::PcmFormat(44100, 2, 16)},
      {ps::kCapPrimaryMono | ps::kCapPrimary8Bit, 48000, ps::PcmFormat(44100, 1, 8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.max_rate);
    ps::DeviceCaps caps = ps::DefaultDeviceCaps();
    caps.flags = c.flags;
    caps.max_secondary_rate = c.max_rate;
    caps.total_hw_mem_bytes = 4194304;
    ps::SetDeviceCapsForTests(caps);
    ASSERT_EQ(vexal::InitDirectSound(), 0);
    ps::WaveFormat f = ps::OutputFormat();
    EXPECT_EQ(f.samples_per_sec, c.want.samples_per_sec);
    EXPECT_EQ(f.channels, c.want.channels);
    EXPECT_EQ(f.bits_per_sample, c.want.bits_per_sample);
    ps::WaveFormat silent;
    ps::GetBufferFormat(vexal::SoundDeviceState.SilentBuffer, &silent);
    EXPECT_EQ(silent.samples_per_sec, 44100u);
    EXPECT_EQ(silent.channels, 2);
    EXPECT_EQ(silent.bits_per_sample, 16);
    uint32_t status = 0;
    ps::GetBufferStatus(vexal::SoundDeviceState.SilentBuffer, &status);
    EXPECT_EQ(status, ps::kStatusPlaying | ps::kStatusLooping);
    ASSERT_EQ(vexal::EndDirectSound(), 0);
  }
  EXPECT_NE(nltest::ReadFileBytes(dir_.File("AppLog.txt")).find("総サウンドメモリ領域:4096.00KB "), std::string::npos);
}

// A silent buffer that cannot be made or filled leaves the device working; its message
// ends no line, so the report's first message follows it on the same line.
TEST_F(SoundHandleTest, ASilentBufferFailureIsLoggedAndTheDeviceStarts) {
  const std::pair<ps::Op, std::string> cases[] = {{ps::Op::kCreateBuffer, "無音バッファの作成に失敗しました"},
                                                  {ps::Op::kLock, "無音バッファのロックに失敗しました"}};
  for (const auto& [op, message] : cases) {
    SCOPED_TRACE(message);
    ps::SetFailureHook([op = op](ps::Op o) { return o == op ? ps::Result::kFailed : ps::Result::kOk; });
    EXPECT_EQ(vexal::InitDirectSound(), 0);
    ps::SetFailureHook(nullptr);
    EXPECT_EQ(vexal::SoundDeviceState.SilentBuffer, nullptr);
    EXPECT_EQ(vexal::LoadSound("beep.wav") != -1, true);
    EXPECT_NE(nltest::ReadFileBytes(dir_.File("AppLog.txt")).find(message + "DirectSound デバイスを列挙します\n"),
              std::string::npos);
    ASSERT_EQ(vexal::EndDirectSound(), 0);
  }
}

TEST_F(SoundHandleTest, ADeviceThatFailsLeavesTheProgramSilent) {
  ps::SetFailureHook(
      [](ps::Op op) { return op == ps::Op::kSetCooperativeLevel ? ps::Result::kFailed : ps::Result::kOk; });
  EXPECT_EQ(vexal::InitDirectSound(), -1);
  ps::SetFailureHook(nullptr);
  EXPECT_EQ(vexal::GetDirectSoundObject(), nullptr);
  EXPECT_EQ(vexal::LoadSound("beep.wav"), -1);
  EXPECT_EQ(vexal::InitDirectSound(), 0);  // the failed device was released
}

}  // namespace

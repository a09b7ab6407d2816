// A fresh sound device on the manual mixer, handed to the music as its device, inside a
// temporary working directory; every call on a buffer is recorded in order.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "music/drum_voice.h"
#include "music/melody_voice.h"
#include "music/music_device.h"
#include "music/music_manager.h"
#include "music/org_song.h"
#include "music/song_timer.h"
#include "music/wave_table.h"
#include "platform/fs/fs.h"
#include "platform/sound/sound.h"
#include "platform/sys/message_box.h"
#include "platform/timer/timer.h"
#include "platform/timer/timer_periodic.h"
#include "tests/support/temp_dir.h"

namespace musictest {

namespace ps = plat::sound;

struct Box {
  std::string text;
  std::string caption;
};

class MusicFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_dir_ = plat::fs::CurrentDirectory();
    ASSERT_TRUE(plat::fs::SetCurrentDirectory(dir_.path()));
    ps::SetBackendForTests(ps::Backend::kManual);
    ASSERT_EQ(ps::CreateDevice(&device_), ps::Result::kOk);
    ps::BufferDesc desc;
    desc.flags = ps::kBufferPrimary;
    ASSERT_EQ(ps::CreateBuffer(device_, desc, &primary_), ps::Result::kOk);
    music::MusicDirectSound = device_;
    ps::SetCallRecorder([this](const ps::CallRecord& r) { calls_.push_back(r); });
    plat::SetMessageBoxHook([this](std::string_view text, std::string_view caption) {
      boxes_.push_back({std::string(text), std::string(caption)});
    });
  }
  void TearDown() override {
    plat::SetMessageBoxHook(nullptr);
    plat::timer::ResetPeriodicTimerForTests();
    plat::timer::UseVirtualClock(false);
    ps::ResetSoundForTests();
    music::ResetMusicForTests();
    plat::fs::SetCurrentDirectory(saved_dir_);
  }

  // The recorded calls from now on.
  void ClearCalls() { calls_.clear(); }
  std::vector<std::pair<ps::Op, ps::Buffer*>> CallOps() const {
    std::vector<std::pair<ps::Op, ps::Buffer*>> ops;
    for (const auto& c : calls_) ops.emplace_back(c.op, c.buffer);
    return ops;
  }

  std::vector<uint8_t> Contents(ps::Buffer* b) {
    ps::LockedRegions r;
    EXPECT_EQ(ps::LockBuffer(b, 0, 0, &r, ps::kLockEntireBuffer), ps::Result::kOk);
    std::vector<uint8_t> bytes(r.first.begin(), r.first.end());
    ps::UnlockBuffer(b, r);
    return bytes;
  }
  uint32_t Frequency(ps::Buffer* b) {
    uint32_t hz = 0;
    ps::GetBufferFrequency(b, &hz);
    return hz;
  }
  int32_t Volume(ps::Buffer* b) {
    int32_t v = 1;
    ps::GetBufferVolume(b, &v);
    return v;
  }
  int32_t Pan(ps::Buffer* b) {
    int32_t v = 1;
    ps::GetBufferPan(b, &v);
    return v;
  }
  uint32_t Status(ps::Buffer* b) {
    uint32_t s = 0;
    ps::GetBufferStatus(b, &s);
    return s;
  }
  void SetOutput(uint32_t rate, uint16_t channels) {
    ASSERT_EQ(ps::SetBufferFormat(primary_, ps::PcmFormat(rate, channels, 16)), ps::Result::kOk);
  }
  // 16-bit output samples (interleaved when stereo).
  std::vector<int16_t> Render(uint32_t samples) {
    std::vector<uint8_t> out(samples * 2);
    EXPECT_EQ(ps::MixFrames(out), ps::Result::kOk);
    std::vector<int16_t> s(samples);
    std::memcpy(s.data(), out.data(), out.size());
    return s;
  }

  nltest::TempDir dir_;
  std::string saved_dir_;
  ps::Device* device_ = nullptr;
  ps::Buffer* primary_ = nullptr;
  std::vector<ps::CallRecord> calls_;
  std::vector<Box> boxes_;
};

// A drum file in the fixed layout the drum loader reads: "RIFF", "WAVE", an 18-byte
// "fmt " body, one 12-byte "fact" chunk, then "data" and its size at 54.
inline std::string DrumFile(const ps::WaveFormat& format, const std::vector<uint8_t>& samples, uint32_t size_field) {
  auto u32 = [](uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  const auto fmt = ps::WriteWaveFormat(format);
  std::string f = "RIFF" + u32(50 + static_cast<uint32_t>(samples.size())) + "WAVE";
  f += "fmt " + u32(18) + std::string(fmt.begin(), fmt.end());
  f += "fact" + u32(4) + u32(static_cast<uint32_t>(samples.size()));
  f += "data" + u32(size_field);
  f.append(samples.begin(), samples.end());
  return f;
}

}  // namespace musictest

// Drum voices: samples from the fixed file layout, strikes at the key's rate, and the
// failures with their message box or error-log line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/music/music_fixture.h"

namespace {

using namespace music;
using musictest::DrumFile;
using musictest::MusicFixture;
namespace ps = plat::sound;
using Op = ps::Op;

constexpr char kCreateLine[] = "CreateSoundBufferに失敗した。\n";
constexpr char kLockLine[] = "SoundBufferのLockに失敗した。\n";

std::vector<uint8_t> Samples(size_t n) {
  std::vector<uint8_t> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<uint8_t>(i * 7 + 1);
  return s;
}

class DrumVoiceTest : public MusicFixture {
 protected:
  std::string WriteDrum(const std::string& name, const ps::WaveFormat& format, const std::vector<uint8_t>& samples,
                        uint32_t size_field) {
    EXPECT_TRUE(nltest::WriteFileBytes(dir_.File(name), DrumFile(format, samples, size_field)));
    return name;
  }
  std::string ErrorLog() { return nltest::ReadFileBytes(dir_.File("ORG_ERROR.TXT")); }
};

TEST_F(DrumVoiceTest, SampleLoadsFromTheFixedOffsetsAndStrikesAtTheKeysRate) {
  const auto samples = Samples(300);
  WriteDrum("kick.wav", ps::PcmFormat(11025, 1, 16), samples, 300);
  ASSERT_EQ(LoadDrumSample("kick.wav", 2), 1);
  ps::Buffer* b = DrumBuffers[2];
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Contents(b), samples);
  ps::WaveFormat f;
  ps::GetBufferFormat(b, &f);
  EXPECT_EQ(f.samples_per_sec, 11025u);
  EXPECT_EQ(f.bits_per_sample, 16);

  // A strike: stop, back to the start, the key's rate, play once.
  const std::pair<uint8_t, uint32_t> strikes[] = {{0, 100}, {60, 48100}, {124, 99300}};
  for (auto [key, hz] : strikes) {
    std::vector<uint8_t> out(64);
    ps::MixFrames(out);  // moves the buffer off its start
    ClearCalls();
    PlayDrum(key, kStrikeMode, 2);
    ASSERT_EQ(calls_.size(), 4u);
    EXPECT_EQ(calls_[0].op, Op::kStop);
    EXPECT_EQ(calls_[1].op, Op::kSetPosition);
    EXPECT_EQ(calls_[1].value, 0);
    EXPECT_EQ(calls_[2].op, Op::kSetFrequency);
    EXPECT_EQ(calls_[3].op, Op::kPlay);
    EXPECT_EQ(calls_[3].value, 0);
    EXPECT_EQ(Frequency(b), hz) << int(key);
    uint32_t play = 1;
    ps::GetBufferPosition(b, &play, nullptr);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(Status(b), ps::kStatusPlaying);
  }
  // Key 125 asks for 100,100 Hz, beyond the device: the old rate stays.
  PlayDrum(125, kStrikeMode, 2);
  EXPECT_EQ(Frequency(b), 99300u);
  // Only mode 1 strikes.
  ClearCalls();
  PlayDrum(10, 0, 2);
  EXPECT_TRUE(calls_.empty());
}

TEST_F(DrumVoiceTest, PanAndVolumeShareTheMelodyMappings) {
  WriteDrum("d.wav", ps::PcmFormat(22050, 1, 8), Samples(100), 100);
  ASSERT_EQ(LoadDrumSample("d.wav", 0), 1);
  ps::Buffer* b = DrumBuffers[0];
  SetDrumPan(0, 0);
  EXPECT_EQ(Pan(b), -2560);
  SetDrumPan(12, 0);
  EXPECT_EQ(Pan(b), 2560);
  SetDrumPan(13, 0);  // no such pan: ignored
  SetDrumPan(255, 0);
  EXPECT_EQ(Pan(b), 2560);
  SetDrumVolume(100, 0);
  EXPECT_EQ(Volume(b), -1240);
  // A drum with no buffer ignores every call.
  ClearCalls();
  PlayDrum(10, kStrikeMode, 5);
  SetDrumPan(3, 5);
  SetDrumVolume(3, 5);
  EXPECT_TRUE(calls_.empty());
}

TEST_F(DrumVoiceTest, RefusedFilesLeaveNoBuffer) {
  WriteDrum("d.wav", ps::PcmFormat(22050, 1, 8), Samples(100), 100);
  ASSERT_EQ(LoadDrumSample("d.wav", 1), 1);

  // A missing file: the message box, and the old buffer is gone.
  EXPECT_EQ(LoadDrumSample("none.wav", 1), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "ファイルハンドル取得失敗");
  EXPECT_EQ(boxes_[0].caption, "Error (Load)");
  EXPECT_EQ(DrumBuffers[1], nullptr);

  // Not RIFF, or shorter than the 58-byte header: refused without a word.
  std::string not_riff = DrumFile(ps::PcmFormat(22050, 1, 8), Samples(100), 100);
  not_riff[0] = 'X';
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("x.wav"), not_riff));
  EXPECT_EQ(LoadDrumSample("x.wav", 1), 0);
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("short.wav"), std::string("RIFF") + std::string(40, '\0')));
  EXPECT_EQ(LoadDrumSample("short.wav", 1), 0);
  EXPECT_EQ(DrumBuffers[1], nullptr);
  EXPECT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(ErrorLog(), "");
}

TEST_F(DrumVoiceTest, AFileThatCannotBeReadShowsTheHandleBox) {
  WriteDrum("locked.wav", ps::PcmFormat(22050, 1, 8), Samples(100), 100);
  ASSERT_EQ(::chmod(dir_.File("locked.wav").c_str(), 0), 0);
  // The superuser reads any file: the load runs as nobody (the folder open for it to search).
  const bool drop = ::geteuid() == 0;
  if (drop) {
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
    ASSERT_EQ(::seteuid(65534), 0);
  }
  const int loaded = LoadDrumSample("locked.wav", 2);
  if (drop) {
    ASSERT_EQ(::seteuid(0), 0);
  }
  EXPECT_EQ(loaded, 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "ファイルハンドル取得失敗");
  EXPECT_EQ(DrumBuffers[2], nullptr);
}

TEST_F(DrumVoiceTest, SizeFieldIsCutToTheSamplesInTheFile) {
  const auto samples = Samples(80);
  WriteDrum("long.wav", ps::PcmFormat(22050, 1, 8), samples, 100000);
  ASSERT_EQ(LoadDrumSample("long.wav", 3), 1);
  EXPECT_EQ(Contents(DrumBuffers[3]), samples);
}

// A WAV with the common 44-byte header has its data size at 40 and its samples from 44:
// read at the fixed offsets it loads, but with a wrong length.
TEST_F(DrumVoiceTest, PlainWavHeaderLoadsWithAWrongLength) {
  auto u32 = [](uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  const auto fmt = ps::WriteWaveFormat(ps::PcmFormat(22050, 1, 8));
  std::string f = "RIFF" + u32(236) + "WAVE" + "fmt " + u32(16) + std::string(fmt.begin(), fmt.begin() + 16) + "data" +
                  u32(200) + std::string(200, '\x90');
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("plain.wav"), f));
  ASSERT_EQ(LoadDrumSample("plain.wav", 0), 1);
  // Bytes 54..57 are samples (0x90909090), cut to the 186 bytes behind offset 58.
  EXPECT_EQ(Contents(DrumBuffers[0]).size(), 186u);
}

TEST_F(DrumVoiceTest, BufferFailuresAppendLinesToTheErrorLog) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("ORG_ERROR.TXT"), "earlier\n"));
  // An empty sample, a format the device does not play (24-bit, compressed): creation fails.
  WriteDrum("empty.wav", ps::PcmFormat(22050, 1, 8), {}, 0);
  ps::WaveFormat deep = ps::PcmFormat(22050, 1, 16);
  deep.bits_per_sample = 24;
  WriteDrum("deep.wav", deep, Samples(60), 60);
  ps::WaveFormat adpcm = ps::PcmFormat(22050, 1, 8);
  adpcm.format_tag = ps::kFormatImaAdpcm;
  WriteDrum("adpcm.wav", adpcm, Samples(60), 60);
  for (const char* name : {"empty.wav", "deep.wav", "adpcm.wav"}) {
    EXPECT_EQ(LoadDrumSample(name, 4), 0) << name;
    EXPECT_EQ(DrumBuffers[4], nullptr) << name;
  }
  // A lock failure logs its own line and keeps the unfilled buffer.
  WriteDrum("d.wav", ps::PcmFormat(22050, 1, 8), Samples(60), 60);
  ps::SetFailureHook([](Op op) { return op == Op::kLock ? ps::Result::kFailed : ps::Result::kOk; });
  EXPECT_EQ(LoadDrumSample("d.wav", 4), 0);
  ps::SetFailureHook(nullptr);
  EXPECT_NE(DrumBuffers[4], nullptr);
  EXPECT_EQ(ErrorLog(), std::string("earlier\n") + kCreateLine + kCreateLine + kCreateLine + kLockLine);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(DrumVoiceTest, MusicOffLoadsNothing) {
  WriteDrum("d.wav", ps::PcmFormat(22050, 1, 8), Samples(60), 60);
  MusicDirectSound = nullptr;
  EXPECT_EQ(LoadDrumSample("d.wav", 0), 0);
  EXPECT_EQ(LoadDrumSample("none.wav", 0), 0);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(DrumBuffers[0], nullptr);
}

}  // namespace

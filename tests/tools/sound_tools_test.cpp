// The sound-effect writer: the game's list with a line for every row up to the last, PCM
// samples as the table describes them, ADPCM files that decode as the format defines into
// the same sound (and the game's loader hears just that), MP3 files the game loads, and
// tables it refuses with the line that is wrong.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ima_adpcm_reference.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_file.h"
#include "vexal/app/sound/sound_decode.h"
#include "vexal/app/streams/stream.h"

namespace {

constexpr char kHeader[] = "number name coding wave pitch envelope seconds level\n---\n";

// Runs the tool on `table` into `dir`; the status, and its error output in `errors`.
int RunTool(const nltest::TempDir& dir, const std::string& table, const char* lame, std::string* errors = nullptr) {
  EXPECT_TRUE(nltest::WriteFileBytes(dir.File("effects.txt"), kHeader + table));
  std::string command = std::string(NL_SOUND_EFFECTS_PATH) + " " + dir.File("effects.txt") + " " + dir.path();
  if (lame != nullptr) command += std::string(" ") + lame;
  command += " 2>" + dir.File("errors.txt");
  const int status = std::system(command.c_str());
  if (errors != nullptr) *errors = nltest::ReadFileBytes(dir.File("errors.txt"));
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Sound {
  uint16_t tag = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  std::vector<int16_t> samples;
};

// The file's own format and 16-bit samples, read by hand (PCM files only carry samples).
std::optional<Sound> ReadWaveByHand(const std::string& path) {
  const std::string s = nltest::ReadFileBytes(path);
  const auto wav = nltest::ReadWavChunks(s);
  if (!wav) return std::nullopt;
  Sound out{wav->format_tag, wav->channels, wav->bits, wav->rate, {}};
  if (out.tag == 1)
    for (size_t i = 0; i + 1 < wav->data.size(); i += 2)
      out.samples.push_back(int16_t(nltest::ReadLe(wav->data, i, 2)));
  return out;
}

// The sound as the game loads it: any coding, through the game's own decoding.
std::optional<Sound> LoadAsTheGameDoes(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::vector<uint8_t> pcm, format;
  const int32_t size = vexal::ConvertSoundToPcm(vexal::SoundSource{vexal::GetFileStreamFuncs(), file}, &pcm, &format);
  std::fclose(file);
  if (size < 0 || format.size() < 16) return std::nullopt;
  const std::string f(format.begin(), format.end());
  using nltest::ReadLe;
  Sound out{uint16_t(ReadLe(f, 0, 2)), uint16_t(ReadLe(f, 2, 2)), uint16_t(ReadLe(f, 14, 2)), ReadLe(f, 4, 4), {}};
  for (size_t i = 0; i + 1 < pcm.size(); i += 2) out.samples.push_back(int16_t(pcm[i] | (pcm[i + 1] << 8)));
  return out;
}

int Peak(const std::vector<int16_t>& v) {
  int p = 0;
  for (int16_t s : v) p = std::max(p, std::abs(int(s)));
  return p;
}

bool LameInstalled() { return access("/usr/bin/lame", X_OK) == 0; }

TEST(SoundEffects, TheListHasALineForEveryRowUpToTheLastAndGapsNameNoFile) {
  nltest::TempDir dir;
  ASSERT_EQ(RunTool(dir,
                    "0 tick pcm square 1000 flat 0.05 0.5\n"
                    "2 buzz adpcm saw 200 flat 0.1 0.5  # a comment\n"
                    "\n"
                    "5 long_name_here pcm sine 440-880/660 notes 0.1 0.5\n",
                    nullptr),
            0);
  EXPECT_EQ(
      nltest::ReadFileBytes(dir.File("sound.csv")),
      "0,wav\\tick.wav,tick\n1,-,-\n2,wav\\buzz.wav,buzz\n3,-,-\n4,-,-\n5,wav\\long_name_here.wav,long_name_here\n");

  // Read as the game's list is described: "%d,%[^,]%s" a row, the name up to 31 bytes.
  std::FILE* list = std::fopen(dir.File("sound.csv").c_str(), "r");
  ASSERT_NE(list, nullptr);
  std::vector<std::string> names;
  int number = 0;
  char name[32], rest[256];
  while (std::fscanf(list, "%d,%31[^,]%255s", &number, name, rest) == 3) {
    EXPECT_EQ(number, int(names.size()));
    EXPECT_EQ(rest[0], ',') << "row " << number;
    names.push_back(name);
  }
  EXPECT_EQ(std::fgetc(list), EOF) << "every line read";
  std::fclose(list);
  EXPECT_EQ(names,
            (std::vector<std::string>{"wav\\tick.wav", "-", "wav\\buzz.wav", "-", "-", "wav\\long_name_here.wav"}));
}

TEST(SoundEffects, ASquareHoldsItsLevelAndPitchAtTheGamesRate) {
  nltest::TempDir dir;
  ASSERT_EQ(RunTool(dir, "0 tone pcm square 1000 flat 0.1 0.5\n", nullptr), 0);
  const auto tone = ReadWaveByHand(dir.File("tone.wav"));
  ASSERT_TRUE(tone);
  EXPECT_EQ(tone->tag, 1);
  EXPECT_EQ(tone->channels, 1);
  EXPECT_EQ(tone->bits, 16);
  EXPECT_EQ(tone->rate, 22050u);
  ASSERT_EQ(tone->samples.size(), 2205u);  // 0.1 s
  // Between the 2 ms attack and the 8 ms release the square sits at half of full scale.
  const int half = int(std::lround(0.5 * 32767));
  int changes = 0;
  for (size_t i = 50; i < 2205 - 180; ++i) {
    EXPECT_EQ(std::abs(tone->samples[i]), half) << i;
    if ((tone->samples[i] > 0) != (tone->samples[i - 1] > 0)) ++changes;
  }
  // 1000 Hz: two sign changes a millisecond over the 90 ms looked at.
  EXPECT_NEAR(changes, 2 * 1000 * (2205 - 230) / 22050.0, 2);
  EXPECT_EQ(tone->samples.front(), 0) << "no click at the start";
  EXPECT_LT(std::abs(tone->samples.back()), half / 50) << "nor at the end";
}

TEST(SoundEffects, TheAdpcmFileLoadsInTheGameAsTheSameSoundAsItsPcmTwin) {
  nltest::TempDir dir;
  ASSERT_EQ(
      RunTool(dir, "0 plain pcm sine 440-880 swell 0.5 0.3\n1 packed adpcm sine 440-880 swell 0.5 0.3\n", nullptr), 0);
  const auto plain = ReadWaveByHand(dir.File("plain.wav"));
  const auto packed = nltest::DecodeImaAdpcmWav(nltest::ReadFileBytes(dir.File("packed.wav")));
  ASSERT_TRUE(plain && packed);
  EXPECT_EQ(packed->rate, 22050u);
  // Whole 512-byte blocks of 1017 samples: the last one is padded with silence.
  ASSERT_EQ(packed->samples.size(), 11u * 1017u);
  // The game hears what the format says the file holds.
  const auto loaded = LoadAsTheGameDoes(dir.File("packed.wav"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->tag, 1);
  EXPECT_EQ(loaded->rate, 22050u);
  EXPECT_TRUE(loaded->samples == packed->samples) << "the game's decoding differs from the format's";
  double error = 0, energy = 0;
  for (size_t i = 0; i < plain->samples.size(); ++i) {
    const double d = packed->samples[i] - plain->samples[i];
    error += d * d;
    energy += double(plain->samples[i]) * plain->samples[i];
  }
  EXPECT_LT(std::sqrt(error / energy), 0.1) << "4 bits a sample follow the sound closely";
  for (size_t i = plain->samples.size(); i < packed->samples.size(); ++i) ASSERT_LT(std::abs(packed->samples[i]), 64);
}

TEST(SoundEffects, TheMp3FileLoadsInTheGameAtItsLevel) {
  if (!LameInstalled()) GTEST_SKIP() << "lame is not installed (scripts/setup installs it)";
  nltest::TempDir dir;
  ASSERT_EQ(RunTool(dir, "0 fanfare mp3 square 523/659/784 notes 0.3 0.35\n", "/usr/bin/lame"), 0);
  EXPECT_EQ(nltest::ReadFileBytes(dir.File("sound.csv")), "0,wav\\fanfare.mp3,fanfare\n");
  EXPECT_FALSE(std::ifstream(dir.File("fanfare.mp3-source.wav")).good()) << "the encoder's input is removed";
  const auto loaded = LoadAsTheGameDoes(dir.File("fanfare.mp3"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->rate, 44100u);
  EXPECT_EQ(loaded->channels, 1);
  // 0.3 s and the encoder's frames of 1152 samples around it.
  EXPECT_GE(loaded->samples.size(), 13230u);
  EXPECT_LE(loaded->samples.size(), 13230u + 3 * 1152u);
  EXPECT_NEAR(Peak(loaded->samples), 0.35 * 32767, 0.1 * 32767);
}

TEST(SoundEffects, WithoutLameTheMp3RowFailsAndSaysWhy) {
  nltest::TempDir dir;
  std::string errors;
  EXPECT_EQ(RunTool(dir, "0 fanfare mp3 square 523 notes 0.3 0.35\n", nullptr, &errors), 1);
  EXPECT_NE(errors.find("lame"), std::string::npos) << errors;
  EXPECT_NE(errors.find("scripts/setup"), std::string::npos) << errors;
  EXPECT_FALSE(std::ifstream(dir.File("sound.csv")).good());
}

TEST(SoundEffects, ABadRowIsRefusedWithItsLine) {
  struct Case {
    const char* rows;
    const char* message;
  } const cases[] = {
      {"1 a pcm square 440 flat 0.1 0.5\n1 b pcm square 440 flat 0.1 0.5\n", "ascend"},
      {"0 a pcm organ 440 flat 0.1 0.5\n", "unknown"},
      {"0 a ogg square 440 flat 0.1 0.5\n", "unknown"},
      {"0 a pcm square 440 bounce 0.1 0.5\n", "unknown"},
      {"0 a pcm square 440-x flat 0.1 0.5\n", "pitch"},
      {"0 a pcm square 440//880 flat 0.1 0.5\n", "pitch"},
      {"0 a pcm square 10 flat 0.1 0.5\n", "pitch"},
      {"64 a pcm square 440 flat 0.1 0.5\n", "0-63"},
      {"0 a pcm square 440 flat 0 0.5\n", "length"},
      {"0 a pcm square 440 flat 0.1 1.5\n", "level"},
      {"0 a pcm square 440 flat 0.1\n", "want"},
      {"0 a pcm square 440 flat 0.1 0.5 loud\n", "want"},
      {"0 a,b pcm square 440 flat 0.1 0.5\n", "name"},
      {"0 ../a pcm square 440 flat 0.1 0.5\n", "name"},
      {"0 abcdefghijklmnopqrstuvwx pcm square 440 flat 0.1 0.5\n", "too long"},
      {"", "no rows"},
  };
  for (const Case& c : cases) {
    nltest::TempDir dir;
    std::string errors;
    EXPECT_EQ(RunTool(dir, c.rows, nullptr, &errors), 1) << c.rows;
    EXPECT_NE(errors.find(c.message), std::string::npos) << c.rows << errors;
    if (*c.rows != '\0') {
      EXPECT_NE(errors.find("effects.txt:"), std::string::npos) << errors;
    }
    EXPECT_FALSE(std::ifstream(dir.File("sound.csv")).good()) << c.rows;
  }
}

}  // namespace

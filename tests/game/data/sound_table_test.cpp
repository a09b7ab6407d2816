// The sound-effect table's voices and csv rows.
#include "game/data/sound_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/fs/fs.h"
#include "platform/sound/sound.h"
#include "platform/sys/debug_out.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/wav_fixture.h"
#include "vexal/app/sound/sound_device.h"

namespace {

class SoundTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetDebugOutputEnabled(false);
    plat::sound::SetBackendForTests(plat::sound::Backend::kManual);
    old_dir_ = plat::fs::CurrentDirectory();
    plat::fs::SetCurrentDirectory(dir_.path());
    mkdir((dir_.path() + "/wav").c_str(), 0755);
    nltest::WriteFileBytes(dir_.File("wav/a.wav"),
                           soundtest::AsString(soundtest::PcmWav16(std::vector<int16_t>(100, 5), 22050)));
    ASSERT_EQ(vexal::InitDirectSound(), 0);
  }
  void TearDown() override {
    vexal::EndDirectSound();  // so the next test of the program can start the device again
    plat::fs::SetCurrentDirectory(old_dir_);
  }
  nltest::TempDir dir_;
  std::string old_dir_;
};

TEST_F(SoundTableTest, CsvRowsAreLinesWithANameField) {
  nltest::WriteFileBytes(dir_.File("wav/sound.csv"),
                         "0,wav\\a.wav,x\n"
                         "\n"
                         "7,wav\\b.wav\r\n"
                         "no number here\n"
                         "3,an overlong name of thirty-two b,x\n"
                         "4,exactly thirty-one bytes name..,x\n"
                         "5,%[^,]%s,x\n"
                         "6,-,-\n");  // how the demo's list names a row without a sound
  game::SoundTable t;
  t.LoadSoundTable();
  const std::vector<std::string> want = {"wav\\a.wav", "wav\\b.wav", "", "", "exactly thirty-one bytes name..",
                                         "%[^",        "-"};
  for (size_t row = 0; row < want.size(); ++row) EXPECT_EQ(t.RowName(row), want[row]) << "row " << row;
  EXPECT_EQ(t.VoiceHandle(0), 0x20000);
  EXPECT_EQ(t.VoiceRow(1), 1);
  EXPECT_EQ(t.VoiceHandle(1), -1);  // wav\b.wav does not exist
  EXPECT_EQ(t.VoiceHandle(6), -1);
}

TEST_F(SoundTableTest, SharedVoicesAreTakenInTurn) {
  std::string csv;
  for (int row = 0; row < 64; ++row) csv += std::to_string(row) + ",wav\\a.wav,x\n";
  nltest::WriteFileBytes(dir_.File("wav/sound.csv"), csv);
  game::SoundTable t;
  t.LoadSoundTable();
  t.PlaySoundEffect(20);
  t.PlaySoundEffect(20);  // the same voice, restarted
  EXPECT_EQ(t.VoiceRow(16), 20);
  EXPECT_EQ(t.VoiceRow(17), -1);
  for (int row = 21; row < 36; ++row) t.PlaySoundEffect(row);
  EXPECT_EQ(t.VoiceRow(31), 35);
  t.PlaySoundEffect(40);  // the 17th row above 15 takes voice 16 again
  EXPECT_EQ(t.VoiceRow(16), 40);
  for (int bad : {-1, 64, 1000}) t.PlaySoundEffect(bad);
  EXPECT_EQ(t.VoiceRow(17), 21);
  EXPECT_EQ(t.FreeSoundTable(), -1);
  EXPECT_EQ(t.VoiceRow(0), -1);
}

}  // namespace

// The settings file as the settings tool reads and writes it: what survives a round trip,
// what is refused (and then left untouched), a write that fails halfway, and that the
// game's own reader takes what the tool wrote.
#include "config_tool/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "config_tool/settings_form.h"
#include "game/entry/game_config.h"
#include "tests/support/temp_dir.h"

namespace {

// A settings file in the tool's own form: header, then " v " or "-v " lines, CR LF.
std::string ToolForm(const std::string& header, const std::vector<int>& values) {
  std::string text = header + "\r\n";
  for (int v : values) text += (v < 0 ? std::to_string(v) : " " + std::to_string(v)) + " \r\n";
  return text;
}

std::vector<int> Entries(std::initializer_list<int> first) {
  std::vector<int> all(first);
  all.resize(256, 0);
  return all;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("nlconfig.inf"); }
  void Write(const std::string& text) { ASSERT_TRUE(nltest::WriteFileBytes(Path(), text)); }
  std::string Read() const { return nltest::ReadFileBytes(Path()); }
  // Loads the file into the form and presses OK (the double-size warning answered OK).
  void LoadAndOk(nlconfig::SettingsForm& form) {
    ASSERT_EQ(form.Form_Load(Path()), "");
    std::string error;
    ASSERT_EQ(form.Command1_Click([] { return true; }, error), nlconfig::SettingsForm::ClickResult::kWritten) << error;
  }

  nltest::TempDir dir_;
};

TEST_F(SettingsFileTest, AllZeroFileShowsClearBoxesAndFirstFontAndWritesBackZeros) {
  const std::string text = ToolForm("NLCONFIG", Entries({}));
  Write(text);
  nlconfig::SettingsForm form;
  ASSERT_EQ(form.Form_Load(Path()), "");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(form.CheckValue(i), 0) << i;
  EXPECT_EQ(form.ListIndex(), 0);
  std::string error;
  ASSERT_EQ(form.Command1_Click([] { return true; }, error), nlconfig::SettingsForm::ClickResult::kWritten);
  std::string want = "NLCONFIG\r\n";
  for (int i = 0; i < 256; ++i) want += " 0 \r\n";
  EXPECT_EQ(Read(), want);
}

TEST_F(SettingsFileTest, WhatTheFormDoesNotShowIsWrittenBackInTheToolsForm) {
  // Entries 9-255 in other spellings than the tool's own: no blanks, tabs, a plus sign,
  // LF or lone CR line ends, a blank line; a grey box, no font selected; then lines past
  // the 257th, which are dropped.
  std::string text = "H1\n1\r\n\t2\t\r\n 0 \r\n";  // header, entries 0-2
  text += "1\n0\r\n1\r0\r\n1\r\n\r\n-1\r\n";       // entries 3-8
  std::vector<int> want = {1, 2, 0, 1, 0, 1, 0, 1, -1};
  for (int i = 9; i < 256; ++i) {
    const int v = i == 9 ? -32768 : i == 10 ? 32767 : (i % 2 ? -1 : 1) * i * 97 % 30000;
    want.push_back(v);
    text += i % 3 == 0 && v >= 0 ? "+" + std::to_string(v) : std::to_string(v);
    text += i % 5 == 0 ? "\n" : "\r\n";
  }
  text += " 7 \r\n 8 \r\nanything\r\n";
  Write(text);
  nlconfig::SettingsForm form;
  LoadAndOk(form);
  EXPECT_EQ(Read(), ToolForm("H1", want));
}

TEST_F(SettingsFileTest, GreyBoxStaysGreyUntilClickedThenTicks) {
  Write(ToolForm("h", Entries({2, 2, 2})));
  nlconfig::SettingsForm form;
  ASSERT_EQ(form.Form_Load(Path()), "");
  EXPECT_EQ(form.CheckValue(0), 2);
  form.ClickCheck(1);  // grey -> ticked
  form.ClickCheck(2);  // grey -> ticked -> clear
  form.ClickCheck(2);
  EXPECT_EQ(form.CheckValue(1), 1);
  EXPECT_EQ(form.CheckValue(2), 0);
  std::string error;
  ASSERT_EQ(form.Command1_Click([] { return true; }, error), nlconfig::SettingsForm::ClickResult::kWritten);
  EXPECT_EQ(Read(), ToolForm("h", Entries({2, 1, 0})));
}

TEST_F(SettingsFileTest, CommaSplitsALineIntoTwoEntries) {
  // Entries 0 and 1 share line 2; the file has 256 lines but 257 fields.
  std::string text = "h\r\n 1 , 1 \r\n";
  for (int i = 2; i < 256; ++i) text += i == 8 ? " 3 \r\n" : " 0 \r\n";
  Write(text);
  nlconfig::SettingsForm form;
  ASSERT_EQ(form.Form_Load(Path()), "");
  EXPECT_EQ(form.CheckValue(0), 1);
  EXPECT_EQ(form.CheckValue(1), 1);
  EXPECT_EQ(form.ListIndex(), 3);
  std::string error;
  ASSERT_EQ(form.Command1_Click([] { return true; }, error), nlconfig::SettingsForm::ClickResult::kWritten);
  EXPECT_EQ(Read(), ToolForm("h", Entries({1, 1, 0, 0, 0, 0, 0, 0, 3})));
}

TEST_F(SettingsFileTest, NoFontSelectedIsWrittenAsMinusOne) {
  Write(ToolForm("h", Entries({0, 0, 0, 0, 0, 0, 0, 0, -1})));
  nlconfig::SettingsForm form;
  ASSERT_EQ(form.Form_Load(Path()), "");
  EXPECT_EQ(form.ListIndex(), -1);
  std::string error;
  ASSERT_EQ(form.Command1_Click([] { return true; }, error), nlconfig::SettingsForm::ClickResult::kWritten);
  const std::string written = Read();
  EXPECT_EQ(written.substr(written.find("\r\n", 0) + 2 + 8 * 5, 5), "-1 \r\n");
  EXPECT_EQ(written, ToolForm("h", Entries({0, 0, 0, 0, 0, 0, 0, 0, -1})));
}

TEST_F(SettingsFileTest, RefusedFilesAreAnErrorAndStayAsTheyWere) {
  auto with = [](int entry, const std::string& field) {
    std::string text = "NLCONFIG\r\n";
    for (int i = 0; i < 256; ++i) text += (i == entry ? field : " 0 ") + "\r\n";
    return text;
  };
  std::string short_file = ToolForm("h", Entries({}));
  short_file.resize(short_file.size() - 5);  // 255 entries
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"only a header", "NLCONFIG\r\n"},
      {"255 entries", short_file},
      {"check box 3", with(0, "3")},
      {"check box -1", with(7, "-1")},
      {"font 10", with(8, "10")},
      {"font -2", with(8, "-2")},
      {"check box 65537", with(3, "65537")},
      {"check box beyond 32 bits", with(3, "4294967297")},
      {"font 123456789", with(8, "123456789")},
      {"above the game's int", with(20, "2147483648")},
      {"below the game's int", with(20, "-2147483649")},
      {"a long number", with(20, "123456789012345678901234567890")},
      {"a fraction", with(20, "1.5")},
      {"a word", with(30, "abc")},
      {"a number and a word", with(30, "5 x")},
      {"two numbers with a blank", with(30, "5 6")},
      {"a sign alone", with(30, "-")},
      {"an empty field between commas", with(30, "1,,2")},
      {"a header with a blank", "NL CONFIG\r\n" + with(-1, "").substr(10)},
      {"a header of 256 characters", std::string(256, 'H') + with(-1, "").substr(8)},
      {"a header that is not ASCII", "\xE8\xA8\xAD\xE5\xAE\x9A" + with(-1, "").substr(8)},
  };
  for (const auto& c : cases) {
    Write(c.text);
    nlconfig::SettingsForm form;
    EXPECT_NE(form.Form_Load(Path()), "") << c.name;
    EXPECT_EQ(Read(), c.text) << c.name;
  }
  nlconfig::SettingsForm form;
  EXPECT_NE(form.Form_Load(dir_.File("missing.inf")), "");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("missing.inf")));
}

TEST_F(SettingsFileTest, LimitsThatAreStillAccepted) {
  const struct {
    const char* name;
    std::string text;
    std::string header;
    int entry, value;
  } cases[] = {
      {"the int's lowest", ToolForm("h", Entries({0, 0, 0, 0, 0, 0, 0, 0, 0, INT32_MIN, INT32_MAX})), "h", 9,
       INT32_MIN},
      {"the int's highest", ToolForm("h", Entries({0, 0, 0, 0, 0, 0, 0, 0, 0, INT32_MIN, INT32_MAX})), "h", 10,
       INT32_MAX},
      {"a header of 255 characters", ToolForm(std::string(255, 'H'), Entries({1})), std::string(255, 'H'), 0, 1},
      {"blank lines before the header", "\r\n\r\n" + ToolForm("h", Entries({0, 1})), "h", 1, 1},
      {"no line end after the last entry", ToolForm("h", Entries({1})).substr(0, 3 + 256 * 5 - 2), "h", 0, 1},
  };
  for (const auto& c : cases) {
    nlconfig::LoadResult loaded = nlconfig::ParseSettings(c.text);
    ASSERT_TRUE(loaded.ok) << c.name << ": " << loaded.error;
    EXPECT_EQ(loaded.settings.ConfigHeader, c.header) << c.name;
    EXPECT_EQ(loaded.settings.GameConfig[c.entry], c.value) << c.name;
  }
}

TEST_F(SettingsFileTest, WriteThatFailsHalfwayKeepsTheOldFile) {
  const std::string old = ToolForm("OLD", Entries({1, 1, 1}));
  Write(old);
  nlconfig::SettingsForm form;
  ASSERT_EQ(form.Form_Load(Path()), "");
  form.ClickCheck(0);

  // Files may grow to 100 bytes: the new file's write stops partway through.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const auto result = form.Command1_Click([] { return true; }, error);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_EQ(result, nlconfig::SettingsForm::ClickResult::kWriteFailed);
  EXPECT_NE(error, "");
  EXPECT_EQ(Read(), old);
  std::vector<std::string> left;
  for (const auto& file : std::filesystem::directory_iterator(dir_.path())) left.push_back(file.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"nlconfig.inf"}) << "the temporary file is removed";

  // A folder that is gone is a failure too, not a silent success.
  nlconfig::Settings settings;
  settings.ConfigHeader = "h";
  EXPECT_NE(nlconfig::SaveSettings(dir_.File("gone/nlconfig.inf"), settings), "");
}

TEST_F(SettingsFileTest, SavingRefusesWhatCouldNotBeReadBack) {
  nlconfig::Settings settings;
  settings.ConfigHeader = "h";
  for (auto [header, entry, value] :
       {std::tuple{"two words", 0, 0}, {"", 0, 0}, {"h", 4, 3}, {"h", 8, 10}, {"h", 7, 65536}}) {
    nlconfig::Settings s = settings;
    s.ConfigHeader = header;
    s.GameConfig[entry] = value;
    EXPECT_NE(nlconfig::SaveSettings(Path(), s), "") << header << " " << entry << " " << value;
    EXPECT_FALSE(std::filesystem::exists(Path()));
  }
}

// The entries past the font list hold any int the game reads: values beyond 16 bits open
// the dialog, come back after OK in the tool's own form, and read the same in the game.
TEST_F(SettingsFileTest, FreeEntriesBeyond16BitsKeepTheirValuesThroughOk) {
  const std::vector<int> free = {123456789, -123456789, 32768, -32769, 65536, 65537, INT32_MAX, INT32_MIN, 2000000000};
  std::vector<int> want = Entries({1, 0, 2, 0, 0, 1, 0, 0, 4});
  std::copy(free.begin(), free.end(), want.begin() + 9);
  want[255] = -70000;
  // Spelled as a player might write them: a plus sign, leading zeros.
  std::string text = ToolForm("NLCONFIG", want);
  text.replace(text.find(" 123456789 "), 11, "+000123456789");
  Write(text);
  nlconfig::SettingsForm form;
  LoadAndOk(form);
  EXPECT_EQ(Read(), ToolForm("NLCONFIG", want));
  const game::GameConfigTable read = game::ReadGameConfig(Path());
  for (int i = 0; i < 256; ++i) EXPECT_EQ(read[i], want[i]) << "entry " << i;
}

TEST_F(SettingsFileTest, TheGamesReaderTakesWhatTheToolWrote) {
  nlconfig::Settings settings;
  settings.ConfigHeader = std::string(255, 'N');
  const int first[9] = {1, 0, 2, 1, 1, 0, 1, 2, -1};
  for (int i = 0; i < 256; ++i) settings.GameConfig[i] = i < 9 ? first[i] : (i % 2 ? -i * 101 : i * 127) % 32768;
  ASSERT_EQ(nlconfig::SaveSettings(Path(), settings), "");
  const game::GameConfigTable read = game::ReadGameConfig(Path());
  for (int i = 0; i < 256; ++i) EXPECT_EQ(read[i], settings.GameConfig[i]) << "entry " << i;
}

TEST_F(SettingsFileTest, DoubleSizeBoxAsksFirstAndCancelWritesNothing) {
  const struct {
    int box4;
    bool answer;
    bool asked;
    bool written;
  } cases[] = {
      {1, false, true, false},
      {1, true, true, true},
      {0, false, false, true},
      {2, false, false, true},  // grey does not count as ticked
  };
  for (const auto& c : cases) {
    const std::string old = ToolForm("h", Entries({0, 0, 0, 0, c.box4}));
    Write(old);
    nlconfig::SettingsForm form;
    ASSERT_EQ(form.Form_Load(Path()), "");
    form.ClickCheck(7);
    bool asked = false;
    std::string error;
    const auto result = form.Command1_Click([&] { return asked = true, c.answer; }, error);
    EXPECT_EQ(asked, c.asked) << c.box4;
    EXPECT_EQ(result,
              c.written ? nlconfig::SettingsForm::ClickResult::kWritten : nlconfig::SettingsForm::ClickResult::kStayed)
        << c.box4;
    EXPECT_EQ(Read(), c.written ? ToolForm("h", Entries({0, 0, 0, 0, c.box4, 0, 0, 1})) : old) << c.box4;
    if (!c.written) {
      // The dialog stays with its settings; a second OK answered OK writes them.
      EXPECT_EQ(form.CheckValue(7), 1);
      ASSERT_EQ(form.Command1_Click([] { return true; }, error), nlconfig::SettingsForm::ClickResult::kWritten);
      EXPECT_EQ(Read(), ToolForm("h", Entries({0, 0, 0, 0, 1, 0, 0, 1})));
    }
  }
}

TEST_F(SettingsFileTest, HintFollowsTheBoxUnderThePointerAndTheLastOneStays) {
  Write(ToolForm("h", Entries({})));
  nlconfig::SettingsForm form;
  ASSERT_EQ(form.Form_Load(Path()), "");
  EXPECT_EQ(form.Text1(), "");
  const char* hints[8] = {
      "Windowモードで起動することは想定していません。\r\nそのため、うまく起動しないこともございます。ご了承ください。",
      "画像が鮮明になります。マシンパワーとメモリに余裕があるとき、使用してください。",
      "ビデオボードの3Dアクセラレータを使用して描画します。\r\n描画速度の向上が望めますが、これを使用することで、描画結"
      "果がずれたり色合いが変わったりすることがあります。",
      "アプリケーション起動時に、【画面の】画像メモリをビデオメモリに割り当てません。\r\n3D機能を使用するとき併用すると"
      "パフォーマンスが低下します。",
      "画面サイズが倍になります。\r\n一度スクリーン領域に書き込んだものを読み込んで倍に引き伸ばすため、相当のマシンパワ"
      "ーを必要とします。\r\n全画面表示する場合はまったく意味がございません。\r\n尚、会話後や画面切り替え時に画面が確実"
      "に乱れます。",
      "アプリケーション実行中にスクリーンセーバーと画面の省電力モードが起動しないようにしません。\r\nゲーム中にスクリー"
      "ンセーバーが立ち上がってもいい場合は使用してください。",
      "この機能は都合により廃止しました。",
      "アプリケーションログ(AppLog.txt)を出力しないようにします。",
  };
  for (int i : {3, 0, 7, 1, 5, 2, 4, 6}) {
    form.Check1_MouseMove(i);
    EXPECT_EQ(form.Text1(), hints[i]) << "box " << i;
  }
  // Nothing clears the hint: neither leaving the boxes nor saving.
  form.ClickCheck(6);
  EXPECT_EQ(form.Text1(), hints[6]);
  std::string error;
  ASSERT_EQ(form.Command1_Click([] { return true; }, error), nlconfig::SettingsForm::ClickResult::kWritten);
  EXPECT_EQ(Read(), ToolForm("h", Entries({0, 0, 0, 0, 0, 0, 1})));  // box 6's entry is still written
}

}  // namespace

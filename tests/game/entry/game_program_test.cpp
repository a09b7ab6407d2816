// The game program as the player sees it, under the harness: the boot log, each line
// drawn in the bitmap font from the top-left corner and the screen presented after each,
// then the game's frames until Escape. The font sheet here paints every cell one solid
// colour of its own, so each glyph shows as an 8 x 8 block naming the cell that the
// text's conversion chose.
#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"
#include "tools/picture/picture_file.h"

namespace {

// The program in the same build tree (tests/game/entry/ beside game/entry/).
std::string ProgramPath() {
  char self[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string();
  return dir.substr(0, dir.rfind('/')) + "/../../../game/entry/nightloom";
}

nltools::Rgb CellColour(int cell) {
  return {static_cast<uint8_t>(16 + cell), 200, static_cast<uint8_t>(255 - cell)};
}

nltools::Picture SolidCellSheet() {
  nltools::Picture sheet(208, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 208; ++x) sheet.At(x, y) = CellColour(y / 8 * 26 + x / 8);
  }
  return sheet;
}

// Glyph codes of the boot log's characters, as the text conversion assigns them; 1 is a
// blank.
int CodeOf(char c) {
  if (c >= '0' && c <= '9') return 48 + (c - '0');
  if (c >= 'A' && c <= 'Z') return 74 + (c - 'A');
  switch (c) {
    case '>': return 72;
    case '.': return 70;
    case '@': return 64;
    case '[': return 171;
    case ']': return 172;
    case '_': return 1;
  }
  return -1;
}

// The frame a boot log of these lines (no line longer than 50 glyphs) should show.
std::vector<uint8_t> ExpectedFrame(const std::vector<std::string>& lines) {
  std::vector<uint8_t> rgb(320 * 240 * 3, 0);
  for (size_t line = 0; line < lines.size(); ++line) {
    for (size_t column = 0; column < lines[line].size(); ++column) {
      const int code = CodeOf(lines[line][column]);
      if (code < 48) continue;
      const int cell = code < 229 ? code - 48 : code - 47;
      const nltools::Rgb c = CellColour(cell);
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          const size_t at = ((line * 16 + y) * 320 + column * 8 + x) * 3;
          rgb[at] = c.r, rgb[at + 1] = c.g, rgb[at + 2] = c.b;
        }
      }
    }
  }
  return rgb;
}

// Rows y0..y1-1 of a frame.
std::vector<uint8_t> Rows(const std::vector<uint8_t>& rgb, int y0, int y1) {
  return std::vector<uint8_t>(rgb.begin() + y0 * 320 * 3, rgb.begin() + y1 * 320 * 3);
}

// A data folder with window-mode, 32-bit settings and the solid-cell font sheet.
class GameProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(ProgramPath().c_str(), X_OK), 0) << ProgramPath() << " is not built";
    mkdir(dir_.File("system").c_str(), 0700);
    ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("system/nlconfig.inf"), "NLCONFIG\n1\n1\n"));
    ASSERT_TRUE(nltools::WriteBmp(dir_.File("system/letter.bmp"), SolidCellSheet()));
  }

  // Runs the game there under the virtual clock, capturing every frame; its exit status.
  int Run(const std::vector<std::pair<std::string, std::string>>& environment) {
    pid_t pid = fork();
    if (pid == 0) {
      if (chdir(dir_.path().c_str()) != 0) _exit(120);
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      setenv("NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock").c_str(), 1);
      setenv("NIGHTLOOM_CLOCK", "virtual", 1);
      setenv("NIGHTLOOM_CAPTURE", frames_.c_str(), 1);
      for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
      const std::string program = ProgramPath();
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(121);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::optional<nltest::Png> Frame(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", n);
    return nltest::ReadPng(frames_ + name);
  }

  nltest::TempDir dir_;
  const std::string frames_ = dir_.File("frames");
};

TEST_F(GameProgramTest, BootLogLinesAreDrawnInTheBitmapFontAndThenTheGameClearsTheScreen) {
  EXPECT_EQ(Run({{"NIGHTLOOM_EXIT_AFTER", "7"}}), 0);
  auto frame = [this](int n) { return Frame(n); };
  // Frame 1 is the library's start-up; the boot log's first line is frame 2.
  std::optional<nltest::Png> first = frame(2);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->rgb, ExpectedFrame({">NIGHTLOOM.EXE"}));

  // Frame 6 holds every line; the fifth (the free memory) depends on the machine, so only
  // its end is worked out here.
  std::optional<nltest::Png> full = frame(6);
  ASSERT_TRUE(full);
  const std::vector<uint8_t> want =
      ExpectedFrame({">NIGHTLOOM.EXE", "", "NIGHTLOOM_[VERSION_019_B]", "@KAZE_HOLLOW_[2004]", "", "OK"});
  EXPECT_EQ(Rows(full->rgb, 0, 64), Rows(want, 0, 64));
  EXPECT_EQ(Rows(full->rgb, 72, 240), Rows(want, 72, 240));
  // The memory line: its digits, then "_BYTES_FREE" (the blank advances, draws nothing).
  const std::vector<uint8_t> memory_line = Rows(full->rgb, 64, 72);
  int glyphs = 0;
  for (int x = 0; x < 320; ++x) {
    if (memory_line[x * 3 + 1] == 200) glyphs = x / 8 + 1;
  }
  const std::string tail = "_BYTES_FREE";
  const int digits = glyphs - static_cast<int>(tail.size());
  ASSERT_GE(digits, 1);
  const std::vector<uint8_t> tail_line =
      Rows(ExpectedFrame({"", "", "", "", std::string(digits, '_') + tail}), 64, 72);
  for (int y = 0; y < 8; ++y) {
    const auto row = [&](const std::vector<uint8_t>& rgb) {
      return std::vector<uint8_t>(rgb.begin() + (y * 320 + digits * 8) * 3, rgb.begin() + (y + 1) * 320 * 3);
    };
    EXPECT_EQ(row(memory_line), row(tail_line)) << "row " << y;
  }

  // Then the game's frames start from a cleared screen.
  std::optional<nltest::Png> game_frame = frame(7);
  ASSERT_TRUE(game_frame);
  EXPECT_EQ(game_frame->rgb, std::vector<uint8_t>(320 * 240 * 3, 0));
}

TEST_F(GameProgramTest, EscapeEndsTheGameAfterTheFrameThatSawItPressed) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("input.txt"), "10 down Esc\n"));
  EXPECT_EQ(Run({{"NIGHTLOOM_INPUT", dir_.File("input.txt")}}), 0);
  // Frame 10 samples Escape at its end and is still shown; no frame follows.
  EXPECT_TRUE(Frame(10));
  EXPECT_FALSE(Frame(11));
}

}  // namespace

// The game program as the player sees it, under the harness: the boot log, each line
// drawn in the bitmap font from the top-left corner and the screen presented after each,
// then the game's frames until Escape; the title's menu, a new game's wipe and the screen
// break that follows it. The font sheet here paints every cell one solid
// colour of its own, so each glyph shows as an 8 x 8 block naming the cell that the
// text's conversion chose.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/codec/lz_codec.h"
#include "game/field/map_file.h"
#include "tests/game/menu/frame_glyphs.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tools/picture/picture_file.h"

namespace {

using menutest::CellColour;

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
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(menutest::UseSolidCellFont(run_.DataDir()));
    run_.Capture();
  }

  // Runs the game there, capturing every frame, with an input script (a file of the data
  // folder) and a frame limit when given; its exit status.
  int Run(const std::string& input, int exit_after = 0) {
    if (!input.empty()) run_.Input(DataFile(input));
    if (exit_after > 0) run_.ExitAfter(exit_after);
    run_.Start();
    // A run that never ends is stopped (and fails) after two minutes, a guard against a hang
    // and no measure of speed.
    const std::optional<int> status = run_.WaitFor(120000);
    run_.Kill();
    return status.value_or(-1);
  }

  std::optional<nltest::Png> Frame(int n) const { return run_.Frame(n); }
  std::string DataFile(const std::string& name) const { return run_.DataFile(name); }

  nltest::GameRun run_;
};

TEST_F(GameProgramTest, BootLogLinesAreDrawnInTheBitmapFontAndThenTheGameClearsTheScreen) {
  EXPECT_EQ(Run("", 7), 0);
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
  const std::vector<uint8_t> tail_line = Rows(ExpectedFrame({"", "", "", "", std::string(digits, '_') + tail}), 64, 72);
  for (int y = 0; y < 8; ++y) {
    const auto row = [&](const std::vector<uint8_t>& rgb) {
      return std::vector<uint8_t>(rgb.begin() + (y * 320 + digits * 8) * 3, rgb.begin() + (y + 1) * 320 * 3);
    };
    EXPECT_EQ(row(memory_line), row(tail_line)) << "row " << y;
  }

  // Then the game's frames start from a cleared screen: the title, whose pictures this
  // folder does not hold, shows only its fill and sparks, none of the boot log's glyphs.
  std::optional<nltest::Png> game_frame = frame(7);
  ASSERT_TRUE(game_frame);
  for (size_t i = 0; i < game_frame->rgb.size(); i += 3) {
    const uint8_t* px = &game_frame->rgb[i];
    const bool glyph = px[1] == 200 && px[0] + px[2] == 271;  // the sheet's colours, as above
    ASSERT_FALSE(glyph) << "pixel " << i / 3;
  }
}

TEST_F(GameProgramTest, EscapeEndsTheGameAfterTheFrameThatSawItPressed) {
  ASSERT_TRUE(nltest::WriteFileBytes(DataFile("input.txt"), "10 down Esc\n"));
  EXPECT_EQ(Run("input.txt"), 0);
  // Frame 10 samples Escape at its end and is still shown; no frame follows.
  EXPECT_TRUE(Frame(10));
  EXPECT_FALSE(Frame(11));
}

// ---- The title, a new game, the wipe and the first map ----

constexpr nltools::Rgb kHandColour{250, 250, 250};
constexpr nltools::Rgb kQuarter[4] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {200, 200, 40}};

// Wipe stage s shows the catch picture left of x = (10 - s) x 32.
int StageEdge(int stage) { return (10 - stage) * 32; }

nltools::Rgb PixelOf(const nltest::Png& png, int x, int y) {
  const uint8_t* p = &png.rgb[(y * 320 + x) * 3];
  return {p[0], p[1], p[2]};
}

// The frame a screen-break step shows over a cleared screen: the catch quarters at
// (ox, oy), (160 - ox, oy), (ox, 120 - oy), (160 - ox, 120 - oy).
std::vector<uint8_t> BreakFrame(int ox, int oy) {
  std::vector<uint8_t> rgb(320 * 240 * 3, 0);
  const int at[4][2] = {{ox, oy}, {160 - ox, oy}, {ox, 120 - oy}, {160 - ox, 120 - oy}};
  for (int q = 0; q < 4; ++q) {
    for (int y = at[q][1]; y < at[q][1] + 120; ++y) {
      for (int x = at[q][0]; x < at[q][0] + 160; ++x) {
        if (x < 0 || y < 0 || x >= 320 || y >= 240) continue;
        uint8_t* p = &rgb[(y * 320 + x) * 3];
        p[0] = kQuarter[q].r, p[1] = kQuarter[q].g, p[2] = kQuarter[q].b;
      }
    }
  }
  return rgb;
}

class TitleProgramTest : public GameProgramTest {
 protected:
  void SetUp() override {
    GameProgramTest::SetUp();
    ASSERT_TRUE(nltools::WriteBmp(DataFile("system/handicon.bmp"), nltools::Picture(16, 10, kHandColour)));
    mkdir(DataFile("img").c_str(), 0700);
    mkdir(DataFile("img/ci").c_str(), 0700);
    nltools::Picture catch_picture(320, 240);
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) catch_picture.At(x, y) = kQuarter[(y / 120) * 2 + x / 160];
    }
    ASSERT_TRUE(nltools::WritePng(DataFile("img/ci/catch.png"), catch_picture));
    for (int s = 0; s < 10; ++s) {
      nltools::Picture mask(320, 240);
      for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < StageEdge(s); ++x) mask.At(x, y) = {255, 255, 255};
      }
      ASSERT_TRUE(nltools::WritePng(DataFile("img/ci/sc" + std::to_string(s) + ".png"), mask));
    }
    // A first map for the new game: no chips, no events, nothing the field draws.
    ASSERT_TRUE(nltest::WriteFileBytes(DataFile("system/maplist.txt"), "33 town.map town\n"));
    mkdir(DataFile("map").c_str(), 0700);
    const std::vector<uint8_t> town = game::SerializeMapFile(game::MapFileImage());
    ASSERT_TRUE(nltest::WriteFileBytes(DataFile("town.bin"), std::string(town.begin(), town.end())));
    ASSERT_EQ(game::PackFile(DataFile("town.bin"), DataFile("map/town.map"), game::kPackFileModePack),
              game::kPackFileOk);
  }
};

TEST_F(TitleProgramTest, TheTitleMenuLeadsThroughTheWipeAndTheScreenBreakToTheField) {
  // Decide opens the menu, up chooses NEW_GAME, decide starts the prologue, and decide
  // with button 8 (X and W) skips it.
  ASSERT_TRUE(nltest::WriteFileBytes(DataFile("input.txt"),
                                     "20 down X\n21 up X\n25 down Up\n26 up Up\n30 down X\n31 up X\n"
                                     "40 down X W\n"));
  EXPECT_EQ(Run("input.txt", 100), 0);

  // The menu, the hand on CONTINUE; then on NEW_GAME. "N" is glyph cell 39.
  std::optional<nltest::Png> menu = Frame(24);
  ASSERT_TRUE(menu);
  for (int y = 168; y < 176; ++y) {
    for (int x = 128; x < 136; ++x) ASSERT_EQ(PixelOf(*menu, x, y), CellColour(39)) << x << "," << y;
  }
  EXPECT_EQ(PixelOf(*menu, 110, 185), kHandColour) << "the hand at the CONTINUE row";
  std::optional<nltest::Png> moved = Frame(28);
  ASSERT_TRUE(moved);
  EXPECT_EQ(PixelOf(*moved, 110, 169), kHandColour) << "the hand at the NEW_GAME row";
  EXPECT_NE(PixelOf(*moved, 110, 185), kHandColour);

  // The wipe: the first frame whose top-left corner is the catch picture's.
  int first = 0;
  for (int n = 30; n < 60 && first == 0; ++n) {
    std::optional<nltest::Png> f = Frame(n);
    if (f && PixelOf(*f, 0, 0) == kQuarter[0]) first = n;
  }
  ASSERT_GE(first, 41) << "not before the skip";
  ASSERT_LE(first, 43);
  std::optional<nltest::Png> old = Frame(first);
  ASSERT_TRUE(old);
  for (int k = 0; k < 11; ++k) {
    const int edge = k < 10 ? StageEdge(9 - k) : 320;
    std::optional<nltest::Png> f = Frame(first + k);
    ASSERT_TRUE(f);
    int wrong = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        const nltools::Rgb want = x < edge ? kQuarter[(y / 120) * 2 + x / 160] : PixelOf(*old, x, y);
        if (!(PixelOf(*f, x, y) == want)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << "wipe frame " << k + 1;
  }

  // The first map: the field draws nothing yet, so each frame is the cleared screen with
  // the break's quarters; counter c from 33, offsets trunc(160 t^2 - 160) and
  // trunc(120 t^2 - 120) with t = c / 30 once c is 30 or less.
  const int break_start = first + 11;
  const struct {
    int c, ox, oy;
  } steps[] = {{33, 0, 0}, {30, 0, 0}, {29, -10, -7}, {15, -120, -90}, {10, -142, -106}, {1, -159, -119}};
  for (const auto& s : steps) {
    std::optional<nltest::Png> f = Frame(break_start + 33 - s.c);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->rgb, BreakFrame(s.ox, s.oy)) << "c = " << s.c;
  }
  // Then the field's own frames: the title draws no more.
  std::optional<nltest::Png> after = Frame(break_start + 33);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->rgb, std::vector<uint8_t>(320 * 240 * 3, 0));
}

// The hand's row on the title menu: 0 NEW_GAME, 1 CONTINUE, 2 KEY_CAST; -1 for none.
int HandRow(const nltest::Png& frame) {
  for (int row = 0; row < 3; ++row) {
    if (PixelOf(frame, 110, 169 + 16 * row) == kHandColour) return row;
  }
  return -1;
}

// The "N" of NEW_GAME (glyph cell 39) where the title menu writes it.
bool ShowsTheTitleMenu(const nltest::Png& frame) {
  for (int y = 168; y < 176; ++y) {
    for (int x = 128; x < 136; ++x) {
      if (!(PixelOf(frame, x, y) == CellColour(39))) return false;
    }
  }
  return true;
}

TEST_F(TitleProgramTest, CancellingTheLoadListOfContinueBringsBackTheTitleMenuOnContinue) {
  // Decide opens the menu, decide on CONTINUE opens the load list, cancel (C) leaves it.
  ASSERT_TRUE(
      nltest::WriteFileBytes(DataFile("input.txt"), "20 down X\n21 up X\n25 down X\n26 up X\n35 down C\n36 up C\n"));
  EXPECT_EQ(Run("input.txt", 50), 0);
  std::optional<nltest::Png> before = Frame(24);
  ASSERT_TRUE(before);
  EXPECT_TRUE(ShowsTheTitleMenu(*before));
  EXPECT_EQ(HandRow(*before), 1);
  std::optional<nltest::Png> list = Frame(30);
  ASSERT_TRUE(list);
  EXPECT_FALSE(ShowsTheTitleMenu(*list)) << "the load list is up";
  for (int n = 37; n <= 50; ++n) {
    std::optional<nltest::Png> f = Frame(n);
    ASSERT_TRUE(f) << n;
    EXPECT_TRUE(ShowsTheTitleMenu(*f)) << "frame " << n;
    EXPECT_EQ(HandRow(*f), 1) << "frame " << n;
  }
}

// KEY_CAST: decide on the menu, down to its row, decide; the dialog opens once decide is up.
constexpr char kToKeyCast[] = "20 down X\n21 up X\n25 down Down\n26 up Down\n30 down X\n31 up X\n";

// Whether a frame is the dialog's: the log's text on black, nothing of the title.
bool ShowsTheKeyDialog(const nltest::Png& frame) {
  bool text = false;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const nltools::Rgb p = PixelOf(frame, x, y);
      const bool black = p.r == 0 && p.g == 0 && p.b == 0;
      if (y >= 160 && !black) return false;  // the prompt's lines stay at the top
      if (!black) text = true;
    }
  }
  return text;
}

TEST_F(TitleProgramTest, AClosedWindowEndsTheKeyDialogsWaitAndTheGame) {
  ASSERT_TRUE(nltest::WriteFileBytes(DataFile("input.txt"), kToKeyCast));
  EXPECT_EQ(Run("input.txt", 80), 0);
  // The waiting dialog is shown frame after frame until the harness closes the window.
  for (int n = 40; n <= 80; n += 10) {
    std::optional<nltest::Png> f = Frame(n);
    ASSERT_TRUE(f) << n;
    EXPECT_TRUE(ShowsTheKeyDialog(*f)) << "frame " << n;
  }
  // The dialog's other prompts go by without waiting, and the game ends.
  EXPECT_FALSE(Frame(80 + 7 + 1)) << "the game ended with the window";
  // No button was answered: the file keeps the masks as they stood.
  const std::string file = nltest::ReadFileBytes(DataFile("keycast.ini"));
  ASSERT_EQ(file.size(), 136u);
  const uint32_t defaults[16] = {8, 1, 4, 2, 32, 64, 128, 16, 2048, 1024, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 16; ++i) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= uint32_t(uint8_t(file[4 * i + b])) << (8 * b);
    EXPECT_EQ(v, defaults[i]) << "mask " << i;
  }
}

TEST_F(TitleProgramTest, AScriptedPlayerAnswersTheKeyDialogAndTheTitleComesBack) {
  ASSERT_TRUE(nltest::WriteFileBytes(
      DataFile("input.txt"), std::string(kToKeyCast) + "40 down D\n41 up D\n45 down S\n46 up S\n50 down A\n51 up A\n"
                                                       "55 down C\n56 up C\n60 down X\n61 up X\n65 down Z\n66 up Z\n"
                                                       "70 down Tab\n71 up Tab\n"));
  EXPECT_EQ(Run("input.txt", 100), 0);
  const std::string file = nltest::ReadFileBytes(DataFile("keycast.ini"));
  ASSERT_EQ(file.size(), 136u);
  const uint32_t answered[10] = {8, 1, 4, 2, 0x200, 0x100, 0x80, 0x40, 0x20, 0x10};
  for (int i = 0; i < 10; ++i) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= uint32_t(uint8_t(file[4 * i + b])) << (8 * b);
    EXPECT_EQ(v, answered[i]) << "mask " << i;
  }
  std::optional<nltest::Png> waiting = Frame(38);
  ASSERT_TRUE(waiting);
  EXPECT_TRUE(ShowsTheKeyDialog(*waiting));
  // Back on the title's menu, the hand on KEY_CAST.
  std::optional<nltest::Png> back = Frame(100);
  ASSERT_TRUE(back);
  EXPECT_TRUE(ShowsTheTitleMenu(*back));
  EXPECT_EQ(HandRow(*back), 2);
}

}  // namespace

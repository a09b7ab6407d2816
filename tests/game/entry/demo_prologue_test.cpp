// The demo world's prologue, as a player watches it at normal speed: NEW_GAME starts the
// scroll from y 240, one pixel every three frames, and the new game begins once the top
// is above -512, 2,259 frames later. Text is on screen all that time: the story is long
// enough that its last line still shows when the new game begins.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/game_run.h"
#include "tests/support/png_file.h"

namespace {

constexpr int kNewGameChosen = 80;                  // the frame whose decide chooses NEW_GAME
constexpr int kScrollFrames = (240 + 512 + 1) * 3;  // y 240 to -513
// Drawn before the frame's update, which then finds y below -512 and starts the new game.
constexpr int kLastPrologueFrame = kNewGameChosen + kScrollFrames;

// The glyphs are white; nothing else on the veiled title is.
int TextPixels(const nltest::Png& png) {
  int n = 0;
  for (size_t i = 0; i + 2 < png.rgb.size(); i += 3)
    if (png.rgb[i] >= 230 && png.rgb[i + 1] >= 230 && png.rgb[i + 2] >= 230) ++n;
  return n;
}

TEST(DemoPrologueTest, TextIsOnScreenUntilTheNewGameBegins) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  nltest::GameRun run;
  ASSERT_TRUE(run.CopyDemoWorld());
  // Decide shows the menu, Up chooses NEW_GAME, decide starts it; then hands off.
  ASSERT_TRUE(run.InputText("60 down X\n61 up X\n70 down Up\n71 up Up\n80 down X\n81 up X\n"));
  // Every 75 frames of the scroll, and its last frames.
  std::string frames;
  for (int f = kNewGameChosen + 6; f < kLastPrologueFrame; f += 75) frames += std::to_string(f) + ",";
  frames += nltest::FrameRange(kLastPrologueFrame - 3, kLastPrologueFrame);
  run.Capture(frames);
  run.ExitAfter(kLastPrologueFrame + 1);
  run.Output("/dev/null", run.File("stderr.txt"));
  ASSERT_EQ(run.Run(), 0);
  int looked_at = 0;
  for (const auto& entry : std::filesystem::directory_iterator(run.CaptureDir())) {
    const auto png = nltest::ReadPng(entry.path());
    ASSERT_TRUE(png) << entry.path();
    // A glyph lights some ten pixels; the story's last line has six.
    EXPECT_GE(TextPixels(*png), 40) << entry.path().filename();
    ++looked_at;
  }
  EXPECT_GE(looked_at, 30);
}

}  // namespace

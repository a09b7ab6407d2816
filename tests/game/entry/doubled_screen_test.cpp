// The game program with the doubled screen (settings entry 4), under the harness: every
// presented frame is 640 x 480; the boot log is presented as drawn, in the top-left
// quarter; the game's frames end with the 320 x 240 picture stretched over the whole
// screen, every pixel a 2 x 2 block.
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/game/menu/frame_glyphs.h"
#include "tests/support/game_run.h"
#include "tests/support/png_file.h"
#include "tools/picture/picture_file.h"

namespace {

// Every font cell one solid colour of its own: a glyph shows as an 8 x 8 block.
using menutest::CellColour;

class DoubledScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
    ASSERT_TRUE(menutest::UseSolidCellFont(run_.DataDir()));
    // Window mode, 32 bits, doubled screen.
    ASSERT_TRUE(run_.WriteSettings({1, 1, 0, 0, 1}));
    run_.Capture();
  }

  int Run(int frames) {
    run_.ExitAfter(frames);
    return run_.Run();
  }

  std::optional<nltest::Png> Frame(int n) const { return run_.Frame(n); }

  nltest::GameRun run_;
};

const uint8_t* PixelAt(const nltest::Png& png, int x, int y) {
  return &png.rgb[(static_cast<size_t>(y) * png.width + x) * 3];
}

TEST_F(DoubledScreenTest, FramesAre640By480AndTheGameFramesArePixelDoubled) {
  EXPECT_EQ(Run(9), 0);
  for (int n = 1; n <= 9; ++n) {
    const std::optional<nltest::Png> frame = Frame(n);
    ASSERT_TRUE(frame) << "frame " << n;
    EXPECT_EQ(frame->width, 640) << "frame " << n;
    EXPECT_EQ(frame->height, 480) << "frame " << n;
  }
  // The boot log's first line (frame 2) is presented without the stretch: ">" (cell 24)
  // is one 8 x 8 block at the top-left corner.
  const nltest::Png boot = *Frame(2);
  const nltools::Rgb arrow = CellColour(24);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const uint8_t* p = PixelAt(boot, x, y);
      const bool inside = x < 8 && y < 8;
      EXPECT_EQ(p[0] == arrow.r && p[1] == arrow.g && p[2] == arrow.b, inside) << x << "," << y;
    }
  // The game's frames: each is its top-left 320 x 240 picture doubled.
  for (int n = 7; n <= 9; ++n) {
    const nltest::Png frame = *Frame(n);
    int wrong = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const uint8_t* p = PixelAt(frame, x, y);
        const uint8_t* s = PixelAt(frame, x & ~1, y & ~1);
        wrong += p[0] != s[0] || p[1] != s[1] || p[2] != s[2];
      }
    EXPECT_EQ(wrong, 0) << "frame " << n;
  }
}

}  // namespace

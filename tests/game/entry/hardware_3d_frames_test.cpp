// The game as the player gets it with the hardware-3D setting, against the same game
// without it: the real program on the demo world, under the virtual clock and the town
// walk's scripted input (the title, the town, a message over the frozen town, the open
// chest, the field). The Direct3D row may differ only as its drawing rules say: blends
// rounded by the device, and the cells of divided graphs (the map chips) one pixel up and
// left, so that the map shifts under sprites that do not. With the doubled screen as well,
// the Direct3D row copies the picture and stretches it over the whole window.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/png_file.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kTitle = 60, kTown = 132, kMessage = 144, kChest = 224, kField = 420;
constexpr int kBlendRounding = 16;  // channel levels the device's blends may round apart

// One run of the game in its own copy of the demo world.
class GameRun {
 public:
  GameRun(bool hardware_3d, bool doubled, int frames, const char* captured) {
    std::filesystem::copy(NL_DATA_DIR, data_, std::filesystem::copy_options::recursive);
    // Window mode, 16-bit colour, then the two settings under test.
    char settings[128];
    std::snprintf(settings, sizeof settings, "NIGHTLOOM_CONFIG\r\n 1 \r\n 0 \r\n %d \r\n 0 \r\n %d \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n",
                  hardware_3d ? 1 : 0, doubled ? 1 : 0);
    nltest::WriteFileBytes(data_ + "/system/nlconfig.inf", settings);
    result_ = nltest::RunProgram({nltest::GameProgram(), data_,
                                  {{"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
                                   {"NIGHTLOOM_CAPTURE", dir_.File("frames")},
                                   {"NIGHTLOOM_CAPTURE_FRAMES", captured},
                                   {"NIGHTLOOM_EXIT_AFTER", std::to_string(frames)},
                                   {"NIGHTLOOM_INPUT", NL_WALK_TOWN_INPUT}},
                                  "/dev/null"});
  }
  int result() const { return result_; }
  nltest::Png Frame(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", n);
    const std::optional<nltest::Png> png = nltest::ReadPng(dir_.File("frames") + name);
    EXPECT_TRUE(png) << "frame " << n;
    return png.value_or(nltest::Png{});
  }

 private:
  nltest::TempDir dir_;
  const std::string data_ = dir_.File("data");
  int result_ = -1;
};

bool Near(const nltest::Png& a, int ax, int ay, const nltest::Png& b, int bx, int by) {
  const size_t i = (static_cast<size_t>(ay) * a.width + ax) * 3, j = (static_cast<size_t>(by) * b.width + bx) * 3;
  for (int k = 0; k < 3; ++k) {
    if (std::abs(a.rgb[i + k] - b.rgb[j + k]) > kBlendRounding) return false;
  }
  return true;
}

// Pixels of the Direct3D frame matching the software frame neither in place nor one pixel
// down and right. Only the seams between shifted map and unshifted sprites may be left.
int Unexplained(const nltest::Png& d3d, const nltest::Png& soft, bool map_shifts) {
  int n = 0;
  for (int y = 0; y < d3d.height; ++y) {
    for (int x = 0; x < d3d.width; ++x) {
      const bool shifted = map_shifts && x + 1 < soft.width && y + 1 < soft.height && Near(d3d, x, y, soft, x + 1, y + 1);
      n += Near(d3d, x, y, soft, x, y) || shifted ? 0 : 1;
    }
  }
  return n;
}

TEST(Hardware3DFramesTest, TheGamePlaysOnTheDirect3DRowAsOnTheSoftwareRow) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  const GameRun soft(false, false, 430, "60,132,144,224,420");
  const GameRun d3d(true, false, 430, "60,132,144,224,420");
  ASSERT_EQ(soft.result(), 0);
  ASSERT_EQ(d3d.result(), 0);

  // The title has no divided graphs: every pixel in place.
  EXPECT_EQ(Unexplained(d3d.Frame(kTitle), soft.Frame(kTitle), false), 0);
  // 1% of the frame; a missing screen copy, text or sprite would leave tens of thousands.
  constexpr int kSeams = 320 * 240 / 100;
  for (int n : {kTown, kMessage, kChest, kField}) {
    const nltest::Png a = d3d.Frame(n), b = soft.Frame(n);
    ASSERT_EQ(a.width, 320);
    EXPECT_LT(Unexplained(a, b, true), kSeams) << "frame " << n;
    EXPECT_GT(Unexplained(a, b, false), kSeams) << "frame " << n << ": the map is drawn one pixel up and left";
  }
  EXPECT_NE(d3d.Frame(kMessage).rgb, d3d.Frame(kTown).rgb) << "the message window over the town";
}

TEST(Hardware3DFramesTest, TheDoubledScreenStretchesTheDirect3DPicture) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  const GameRun d3d(true, false, kTitle + 1, "60");
  const GameRun doubled(true, true, kTitle + 1, "60");
  ASSERT_EQ(d3d.result(), 0);
  ASSERT_EQ(doubled.result(), 0);
  // Each pixel of the Direct3D picture a 2 x 2 block.
  const nltest::Png big = doubled.Frame(kTitle), small = d3d.Frame(kTitle);
  ASSERT_EQ(big.width, 640);
  ASSERT_EQ(small.width, 320);
  int differ = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) differ += Near(big, x, y, small, x / 2, y / 2) ? 0 : 1;
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace

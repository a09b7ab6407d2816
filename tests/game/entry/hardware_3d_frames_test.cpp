// The game as the player gets it with the hardware-3D setting, against the same game
// without it: the real program on the demo world, under the virtual clock and the scripted
// play-through (the title, the town and its messages, the shop, the field, a fight won,
// the field menu). Frame by frame the Direct3D row must put every texel on the pixel the
// software row puts it on; the two may differ only as rounding differs, never by a shift.
// With the doubled screen as well, the Direct3D row copies the picture and stretches it
// over the whole window.
#include <gtest/gtest.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/png_file.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kTitle = 60;

// The frames compared, by kind. Town: the town, the townsman's message, the open chest,
// the gift's message and the shop's goods. Fight: the enemies appearing, the slime
// acting, messages, the slime fading, the hit bat fading, back in the field. Menu: the
// main page, the herb's target list, the equipment page and the save list.
struct FrameKind {
  const char* name;
  std::vector<int> frames;
  int rounding;  // channel levels the two rows may round apart
};

// Channel levels per translucent pass a pixel goes through: the device and the blitter
// each round a blend (and a texture of the device's own depth) their own way, by a level
// or a few. The title and the fight's frozen field are seventeen passes deep (blurred
// copies of the screen, then darkened); the town and the menu one.
const FrameKind kKinds[] = {
    {"title", {kTitle}, 20},
    {"town", {132, 144, 224, 480, 530, 540, 760}, 4},
    {"fight", {1040, 1200, 1349, 1500, 1877, 1937, 2030}, 20},
    {"menu", {2049, 2060, 2130, 2220, 2300}, 4},
};
constexpr int kLastFrame = 2300;

std::string FrameList() {
  std::string list;
  for (const FrameKind& k : kKinds) {
    for (int f : k.frames) list += (list.empty() ? "" : ",") + std::to_string(f);
  }
  return list;
}

// One run of the game in its own copy of the demo world, started at once and waited for
// with Wait(), so that two runs go side by side.
class GameRun {
 public:
  GameRun(bool hardware_3d, bool doubled, int frames, const std::string& captured, const char* input) {
    std::filesystem::copy(NL_DATA_DIR, data_, std::filesystem::copy_options::recursive);
    // Window mode, 16-bit colour, then the two settings under test.
    char settings[128];
    std::snprintf(settings, sizeof settings, "NIGHTLOOM_CONFIG\r\n 1 \r\n 0 \r\n %d \r\n 0 \r\n %d \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n",
                  hardware_3d ? 1 : 0, doubled ? 1 : 0);
    nltest::WriteFileBytes(data_ + "/system/nlconfig.inf", settings);
    const std::vector<std::pair<std::string, std::string>> env = {
        {"SDL_VIDEODRIVER", "dummy"},
        {"SDL_AUDIODRIVER", "dummy"},
        {"NIGHTLOOM_CLOCK", "virtual"},
        {"NIGHTLOOM_INSTANCE_LOCK", dir_.File("instance.lock")},
        {"NIGHTLOOM_CAPTURE", dir_.File("frames")},
        {"NIGHTLOOM_CAPTURE_FRAMES", captured},
        {"NIGHTLOOM_EXIT_AFTER", std::to_string(frames)},
        {"NIGHTLOOM_INPUT", input}};
    const std::string program = nltest::GameProgram();
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(data_.c_str()) != 0) _exit(120);
      if (freopen("/dev/null", "w", stdout) == nullptr) _exit(122);
      for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(121);
    }
  }
  GameRun(const GameRun&) = delete;
  GameRun& operator=(const GameRun&) = delete;
  ~GameRun() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }
  // The program's exit status (-1 when it did not exit normally).
  int Wait() {
    if (pid_ <= 0) return result_;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    result_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result_;
  }
  nltest::Png Frame(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", n);
    const std::optional<nltest::Png> png = nltest::ReadPng(dir_.File("frames") + name);
    EXPECT_TRUE(png) << "frame " << n;
    return png.value_or(nltest::Png{});
  }
  std::string Log() const { return nltest::ReadFileBytes(data_ + "/AppLog.txt"); }

 private:
  nltest::TempDir dir_;
  const std::string data_ = dir_.File("data");
  pid_t pid_ = -1;
  int result_ = -1;
};

// The largest channel difference of a pixel.
int Difference(const nltest::Png& a, int ax, int ay, const nltest::Png& b, int bx, int by) {
  const size_t i = (static_cast<size_t>(ay) * a.width + ax) * 3, j = (static_cast<size_t>(by) * b.width + bx) * 3;
  int d = 0;
  for (int k = 0; k < 3; ++k) d = std::max(d, std::abs(a.rgb[i + k] - b.rgb[j + k]));
  return d;
}

struct Comparison {
  int largest = 0;  // the largest channel difference in the frame
  int beyond = 0;   // pixels differing by more than the rounding allows
};

// Pixel against pixel at the same place: no shift is allowed.
Comparison Compare(const nltest::Png& d3d, const nltest::Png& soft, int rounding) {
  Comparison c;
  for (int y = 0; y < d3d.height; ++y) {
    for (int x = 0; x < d3d.width; ++x) {
      const int d = Difference(d3d, x, y, soft, x, y);
      c.largest = std::max(c.largest, d);
      c.beyond += d > rounding ? 1 : 0;
    }
  }
  return c;
}

TEST(Hardware3DFramesTest, ThePlayThroughOnTheDirect3DRowMatchesTheSoftwareRowFrameByFrame) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  GameRun soft(false, false, kLastFrame + 1, FrameList(), NL_PLAYTHROUGH_INPUT);
  GameRun d3d(true, false, kLastFrame + 1, FrameList(), NL_PLAYTHROUGH_INPUT);
  ASSERT_EQ(soft.Wait(), 0);
  ASSERT_EQ(d3d.Wait(), 0);
  ASSERT_NE(d3d.Log().find("Direct3D 関連の初期化は正常に終了しました"), std::string::npos)
      << "the hardware-3D run did not draw through the device";
  ASSERT_EQ(soft.Log().find("Direct3D 関連の初期化は正常に終了しました"), std::string::npos);

  for (const FrameKind& kind : kKinds) {
    int largest = 0;
    for (int n : kind.frames) {
      const nltest::Png a = d3d.Frame(n), b = soft.Frame(n);
      ASSERT_EQ(a.width, 320) << "frame " << n;
      ASSERT_EQ(b.width, 320) << "frame " << n;
      const Comparison c = Compare(a, b, kind.rounding);
      EXPECT_EQ(c.beyond, 0) << kind.name << " frame " << n << ": largest difference " << c.largest;
      largest = std::max(largest, c.largest);
    }
    std::printf("%s frames: largest channel difference %d (allowed %d)\n", kind.name, largest, kind.rounding);
  }
  // The frames show what the play-through goes through, not one picture over and over.
  EXPECT_NE(d3d.Frame(144).rgb, d3d.Frame(132).rgb) << "the townsman's message over the town";
  EXPECT_NE(d3d.Frame(1349).rgb, d3d.Frame(2060).rgb) << "the fight and the menu";
}

TEST(Hardware3DFramesTest, TheDoubledScreenStretchesTheDirect3DPicture) {
  ASSERT_EQ(access(nltest::GameProgram().c_str(), X_OK), 0) << nltest::GameProgram() << " is not built";
  GameRun d3d(true, false, kTitle + 1, "60", NL_PLAYTHROUGH_INPUT);
  GameRun doubled(true, true, kTitle + 1, "60", NL_PLAYTHROUGH_INPUT);
  ASSERT_EQ(d3d.Wait(), 0);
  ASSERT_EQ(doubled.Wait(), 0);
  // Each pixel of the Direct3D picture a 2 x 2 block.
  const nltest::Png big = doubled.Frame(kTitle), small = d3d.Frame(kTitle);
  ASSERT_EQ(big.width, 640);
  ASSERT_EQ(small.width, 320);
  int differ = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) differ += Difference(big, x, y, small, x / 2, y / 2) > 0 ? 1 : 0;
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace

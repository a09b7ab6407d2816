// Presentation through real surfaces: frames counted, captured as PNG (read back with
// libpng), the capture and exit variables, and the SDL window following full screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <filesystem>
#include <string>

#include "platform/debug_out.h"
#include "surface_fixture.h"
#include "tests/support/png_file.h"
#include "tests/support/temp_dir.h"

namespace {

using nltest::Paint;
using nltest::SurfaceTest;
namespace ps = plat::surface;
namespace pd = plat::display;
namespace pp = plat::presentation;
using ps::Result;

using nltest::Png;
using nltest::ReadPng;

class PresentationTest : public SurfaceTest {
 protected:
  void TearDown() override {
    for (const char* v : {"NIGHTLOOM_CAPTURE", "NIGHTLOOM_CAPTURE_FRAMES", "NIGHTLOOM_EXIT_AFTER"}) {
      unsetenv(v);
    }
    SurfaceTest::TearDown();
  }

  void Capture(std::optional<pp::FrameList> frames = std::nullopt) {
    pp::HarnessSettings s;
    s.capture_dir = dir_.path() + "/frames";
    s.capture_frames = std::move(frames);
    pp::SetHarnessSettings(s);
  }
  std::string Frame(uint64_t n) { return pp::FrameFileName(dir_.path() + "/frames", n); }

  nltest::TempDir dir_;
};

// The 320 x 240 back screen in four quadrants of 5:6:5 colours.
void PaintQuadrants(ps::Surface* back) {
  Paint(back, [](int x, int y) -> uint32_t {
    if (y < 120) return x < 160 ? 0xF800 : 0x07E0;
    return x < 160 ? 0x001F : 0x0821;
  });
}

void ExpectQuadrants(const Png& png) {
  ASSERT_EQ(png.width, 320);
  ASSERT_EQ(png.height, 240);
  const uint8_t want[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {8, 4, 8}};
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const uint8_t* w = want[(y < 120 ? 0 : 2) + (x < 160 ? 0 : 1)];
      const uint8_t* got = &png.rgb[(y * 320 + x) * 3];
      ASSERT_TRUE(got[0] == w[0] && got[1] == w[1] && got[2] == w[2])
          << "at " << x << "," << y << ": " << int{got[0]} << " " << int{got[1]} << " "
          << int{got[2]};
    }
  }
}

TEST_F(PresentationTest, AWindowModeBlitIsCapturedAtScreenSize) {
  pd::SetDesktop(800, 600, 16);
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(320, 240, {}, ps::kCapsOffscreenPlain | ps::kCaps3DDevice);
  ps::Clipper* clipper = nullptr;
  ASSERT_EQ(ps::CreateClipper(device_, &clipper), Result::kOk);
  ASSERT_EQ(ps::SetClipper(primary, clipper), Result::kOk);
  PaintQuadrants(back);
  Capture();

  // The client area at (100, 50) of the desktop.
  const ps::Rect to{100, 50, 420, 290};
  ASSERT_EQ(ps::Blt(primary, &to, back, nullptr, ps::kBltWait, 0), Result::kOk);
  EXPECT_EQ(pp::PresentedFrames(), 1u);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  ExpectQuadrants(*png);

  // Fills and locks of the primary present nothing.
  ps::Blt(primary, nullptr, nullptr, nullptr, ps::kBltColorFill, 0);
  ps::LockedRect l;
  ps::Lock(primary, nullptr, 0, &l);
  ps::Unlock(primary);
  EXPECT_EQ(pp::PresentedFrames(), 1u);
}

TEST_F(PresentationTest, AWindowPartlyOffTheDesktopIsCapturedWhole) {
  pd::SetDesktop(400, 300, 16);
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(320, 240, {}, ps::kCapsOffscreenPlain);
  PaintQuadrants(back);
  Capture();
  // The client area starts at (-20, 100): the left 20 columns and the bottom 40 rows of the
  // picture lie off the desktop, as the caller's own clipping leaves them.
  const ps::Rect from{20, 0, 320, 200};
  ASSERT_EQ(ps::BltFast(primary, 0, 100, back, &from, 0), Result::kOk);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  ASSERT_EQ(png->width, 320);
  ASSERT_EQ(png->height, 240);
  auto at = [&](int x, int y) {
    const uint8_t* p = &png->rgb[(y * 320 + x) * 3];
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(at(19, 0), (std::array<int, 3>{0, 0, 0}));       // off the desktop
  EXPECT_EQ(at(20, 0), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(at(319, 199), (std::array<int, 3>{8, 4, 8}));
  EXPECT_EQ(at(319, 200), (std::array<int, 3>{0, 0, 0}));    // below the desktop
}

TEST_F(PresentationTest, AFlipIsCapturedAsTheWholeScreen) {
  GoFullScreen(320, 240, 16);
  ps::Surface* primary = Primary(ps::kCapsFlip | ps::kCapsComplex, 1);
  ps::Surface* back = nullptr;
  ASSERT_EQ(ps::GetAttachedSurface(primary, ps::kCapsBackBuffer, &back), Result::kOk);
  Capture();
  PaintQuadrants(back);
  ASSERT_EQ(ps::Flip(primary, ps::kFlipWait), Result::kOk);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  ExpectQuadrants(*png);
}

TEST_F(PresentationTest, AnEightBitScreenIsCapturedThroughThePrimarysPalette) {
  pd::SetDesktop(640, 480, 8);
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(2, 1);
  std::array<plat::PaletteEntry, 256> entries{};
  entries[1] = {200, 100, 50, 0};
  entries[2] = {1, 2, 3, 0};
  ps::Palette* palette = nullptr;
  ASSERT_EQ(ps::CreatePalette(device_, entries, &palette), Result::kOk);
  ASSERT_EQ(ps::SetPalette(primary, palette), Result::kOk);
  Paint(back, [](int x, int) { return x + 1u; });
  Capture();
  ASSERT_EQ(ps::BltFast(primary, 0, 0, back, nullptr, 0), Result::kOk);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->rgb, (std::vector<uint8_t>{200, 100, 50, 1, 2, 3}));
}

TEST_F(PresentationTest, OnlyTheListedFramesAreWritten) {
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  Capture(pp::ParseFrameList("2,4-5"));
  for (int i = 0; i < 6; ++i) ASSERT_EQ(ps::BltFast(primary, 0, 0, back, nullptr, 0), Result::kOk);
  EXPECT_EQ(pp::PresentedFrames(), 6u);
  for (int n = 1; n <= 6; ++n) {
    EXPECT_EQ(std::filesystem::exists(Frame(n)), n == 2 || n == 4 || n == 5) << n;
  }
}

TEST_F(PresentationTest, ACaptureThatCannotBeWrittenIsReportedOnceAndFramesGoOn) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("file"), "x"));
  pp::HarnessSettings s;
  s.capture_dir = dir_.File("file");  // a file, not a folder
  pp::SetHarnessSettings(s);
  std::vector<std::string> said;
  plat::SetDebugOutputSink([&](std::string_view t) { said.emplace_back(t); });
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(ps::BltFast(primary, 0, 0, back, nullptr, 0), Result::kOk);
  plat::SetDebugOutputSink(nullptr);
  EXPECT_EQ(pp::PresentedFrames(), 3u);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("frame-000001.png"), std::string::npos);
}

TEST_F(PresentationTest, ExitAfterAsksForTheWindowToCloseOnce) {
  pp::HarnessSettings s;
  s.exit_after = 3;
  pp::SetHarnessSettings(s);
  int asked = 0;
  uint64_t at_frame = 0;
  pp::SetCloseRequestCallback([&] { ++asked; at_frame = pp::PresentedFrames(); });
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  for (int i = 0; i < 6; ++i) ps::BltFast(primary, 0, 0, back, nullptr, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(at_frame, 3u);
}

TEST_F(PresentationTest, ACallbackRegisteredLateIsAskedAtTheNextFrame) {
  pp::HarnessSettings s;
  s.exit_after = 1;
  pp::SetHarnessSettings(s);
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  ps::BltFast(primary, 0, 0, back, nullptr, 0);
  int asked = 0;
  pp::SetCloseRequestCallback([&] { ++asked; });
  EXPECT_EQ(asked, 0);
  ps::BltFast(primary, 0, 0, back, nullptr, 0);
  ps::BltFast(primary, 0, 0, back, nullptr, 0);
  EXPECT_EQ(asked, 1);
}

TEST_F(PresentationTest, TheVariablesAreReadFromTheEnvironment) {
  setenv("NIGHTLOOM_CAPTURE", (dir_.path() + "/frames").c_str(), 1);
  setenv("NIGHTLOOM_CAPTURE_FRAMES", "1,3-4", 1);
  setenv("NIGHTLOOM_EXIT_AFTER", "40", 1);
  pp::ReloadHarnessSettings();
  pp::HarnessSettings s = pp::GetHarnessSettings();
  EXPECT_EQ(s.capture_dir, dir_.path() + "/frames");
  ASSERT_TRUE(s.capture_frames);
  EXPECT_TRUE(s.capture_frames->Contains(3));
  EXPECT_FALSE(s.capture_frames->Contains(2));
  EXPECT_EQ(s.exit_after, 40u);

  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(8, 2);
  ps::BltFast(primary, 0, 0, back, nullptr, 0);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 8);
  EXPECT_EQ(png->height, 2);
}

TEST_F(PresentationTest, BadVariablesAreReportedAndDoNothing) {
  struct Row { const char* frames; const char* exit_after; };
  const Row rows[] = {{"1-", "0"}, {"x", "12a"}, {"5,", "-3"}};
  for (const Row& r : rows) {
    setenv("NIGHTLOOM_CAPTURE", (dir_.path() + "/frames").c_str(), 1);
    setenv("NIGHTLOOM_CAPTURE_FRAMES", r.frames, 1);
    setenv("NIGHTLOOM_EXIT_AFTER", r.exit_after, 1);
    std::vector<std::string> said;
    plat::SetDebugOutputSink([&](std::string_view t) { said.emplace_back(t); });
    pp::ReloadHarnessSettings();
    plat::SetDebugOutputSink(nullptr);
    pp::HarnessSettings s = pp::GetHarnessSettings();
    ASSERT_EQ(said.size(), 2u) << r.frames;
    EXPECT_NE(said[0].find("NIGHTLOOM_CAPTURE_FRAMES"), std::string::npos);
    EXPECT_NE(said[1].find("NIGHTLOOM_EXIT_AFTER"), std::string::npos);
    ASSERT_TRUE(s.capture_frames);
    EXPECT_TRUE(s.capture_frames->ranges.empty());
    EXPECT_FALSE(s.exit_after);
  }
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  ps::BltFast(primary, 0, 0, back, nullptr, 0);
  EXPECT_FALSE(std::filesystem::exists(Frame(1)));
}

TEST_F(PresentationTest, TheSdlWindowShowsThePictureAndFollowsFullScreen) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("t", 0, 0, 320, 240, 0);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  pp::SetPresentationWindow(window);
  auto full = [&] {
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
           SDL_WINDOW_FULLSCREEN_DESKTOP;
  };

  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(320, 240);
  ASSERT_EQ(ps::BltFast(primary, 0, 0, back, nullptr, 0), Result::kOk);
  EXPECT_FALSE(full());
  ps::ReleaseSurface(primary);

  GoFullScreen(320, 240, 32);
  primary = Primary(ps::kCapsFlip | ps::kCapsComplex, 1);
  ASSERT_EQ(ps::Flip(primary, 0), Result::kOk);
  EXPECT_TRUE(full());
  ps::ReleaseSurface(primary);

  ASSERT_EQ(ps::RestoreDisplayMode(device_), Result::kOk);
  ASSERT_EQ(ps::SetCooperativeLevel(device_, 0, ps::kCooperativeNormal), Result::kOk);
  primary = Primary();
  ASSERT_EQ(ps::BltFast(primary, 0, 0, back, nullptr, 0), Result::kOk);
  EXPECT_FALSE(full());
  EXPECT_EQ(pp::PresentedFrames(), 3u);

  pp::SetPresentationWindow(nullptr);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

// Presentation through real surfaces: frames counted, captured as PNG (read back with
// libpng), the capture and exit variables, and the SDL window following full screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/debug_out.h"
#include "surface_fixture.h"
#include "tests/support/captured_frames.h"
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
  std::string Frame(uint64_t n) { return nltest::FramePath(dir_.path() + "/frames", long(n)); }

  nltest::TempDir dir_;
};

// The library's presentation of a back surface: the copy to (x, y) of the primary, then
// the refresh of the screen where the copy landed.
Result Present(ps::Surface* primary, ps::Surface* back, int x = 0, int y = 0) {
  if (Result r = ps::BltFast(primary, x, y, back, nullptr, 0); r != Result::kOk) return r;
  const ps::SurfaceInfo b = ps::GetSurfaceInfo(back);
  return ps::ShowPrimary(primary, {x, y, x + b.width, y + b.height});
}

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
          << "at " << x << "," << y << ": " << int{got[0]} << " " << int{got[1]} << " " << int{got[2]};
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
  EXPECT_EQ(pp::PresentedFrames(), 0u);  // a copy alone is no presentation
  ASSERT_EQ(ps::ShowPrimary(primary, to), Result::kOk);
  EXPECT_EQ(pp::PresentedFrames(), 1u);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  ExpectQuadrants(*png);
}

// The primary is the screen: a fill, a locked write and a blit onto it present nothing by
// themselves, and all of them show, with what was there, at the next presentation.
TEST_F(PresentationTest, WhatIsWrittenToThePrimaryShowsAtTheNextPresentation) {
  pd::SetDesktop(800, 600, 16);
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(320, 240, {}, ps::kCapsOffscreenPlain | ps::kCaps3DDevice);
  ps::Surface* tile = Offscreen(2, 2);
  ps::Clipper* clipper = nullptr;
  ASSERT_EQ(ps::CreateClipper(device_, &clipper), Result::kOk);
  ASSERT_EQ(ps::SetClipper(primary, clipper), Result::kOk);
  PaintQuadrants(back);
  Paint(tile, [](int, int) { return 0xFFFFu; });
  Capture();
  const ps::Rect to{100, 50, 420, 290};
  ASSERT_EQ(ps::Blt(primary, &to, back, nullptr, ps::kBltWait, 0), Result::kOk);

  const ps::Rect fill{100, 50, 104, 52};  // 4 x 2 of blue at the client's corner
  ASSERT_EQ(ps::Blt(primary, &fill, nullptr, nullptr, ps::kBltColorFill, 0x001F), Result::kOk);
  ps::LockedRect l;
  ASSERT_EQ(ps::Lock(primary, nullptr, ps::kLockWait, &l), Result::kOk);
  const uint16_t green = 0x07E0;
  std::memcpy(l.bits + 60 * l.pitch + 419 * 2, &green, 2);  // client (319, 10)
  ASSERT_EQ(ps::Unlock(primary), Result::kOk);
  const ps::Rect at{110, 200, 112, 202};  // client (10, 150)
  ASSERT_EQ(ps::Blt(primary, &at, tile, nullptr, 0, 0), Result::kOk);
  EXPECT_EQ(pp::PresentedFrames(), 0u);

  ASSERT_EQ(ps::ShowPrimary(primary, to), Result::kOk);
  EXPECT_EQ(pp::PresentedFrames(), 1u);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  auto rgb = [&](int x, int y) {
    const uint8_t* p = &png->rgb[(y * 320 + x) * 3];
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  const std::array<int, 3> red{255, 0, 0}, blue{0, 0, 255}, green8{0, 255, 0}, white{255, 255, 255};
  EXPECT_EQ(rgb(0, 0), blue);
  EXPECT_EQ(rgb(3, 1), blue);
  EXPECT_EQ(rgb(4, 0), red);
  EXPECT_EQ(rgb(0, 2), red);
  EXPECT_EQ(rgb(319, 10), green8);
  EXPECT_EQ(rgb(10, 150), white);
  EXPECT_EQ(rgb(11, 151), white);
  EXPECT_EQ(rgb(12, 151), blue);  // the back screen's lower-left quadrant
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
  ASSERT_EQ(ps::ShowPrimary(primary, {-20, 100, 300, 340}), Result::kOk);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  ASSERT_EQ(png->width, 320);
  ASSERT_EQ(png->height, 240);
  auto at = [&](int x, int y) {
    const uint8_t* p = &png->rgb[(y * 320 + x) * 3];
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(at(19, 0), (std::array<int, 3>{0, 0, 0}));  // off the desktop
  EXPECT_EQ(at(20, 0), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(at(319, 199), (std::array<int, 3>{8, 4, 8}));
  EXPECT_EQ(at(319, 200), (std::array<int, 3>{0, 0, 0}));  // below the desktop
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
  ASSERT_EQ(Present(primary, back), Result::kOk);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->rgb, (std::vector<uint8_t>{200, 100, 50, 1, 2, 3}));
}

TEST_F(PresentationTest, OnlyTheListedFramesAreWritten) {
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  Capture(pp::ParseFrameList("2,4-5"));
  for (int i = 0; i < 6; ++i) ASSERT_EQ(Present(primary, back), Result::kOk);
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
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Present(primary, back), Result::kOk);
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
  pp::SetCloseRequestCallback([&] {
    ++asked;
    at_frame = pp::PresentedFrames();
  });
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  for (int i = 0; i < 6; ++i) Present(primary, back);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(at_frame, 3u);
}

TEST_F(PresentationTest, ACallbackRegisteredLateIsAskedAtTheNextFrame) {
  pp::HarnessSettings s;
  s.exit_after = 1;
  pp::SetHarnessSettings(s);
  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(4, 4);
  Present(primary, back);
  int asked = 0;
  pp::SetCloseRequestCallback([&] { ++asked; });
  EXPECT_EQ(asked, 0);
  Present(primary, back);
  Present(primary, back);
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
  Present(primary, back);
  auto png = ReadPng(Frame(1));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 8);
  EXPECT_EQ(png->height, 2);
}

TEST_F(PresentationTest, BadVariablesAreReportedAndDoNothing) {
  struct Row {
    const char* frames;
    const char* exit_after;
  };
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
  Present(primary, back);
  EXPECT_FALSE(std::filesystem::exists(Frame(1)));
}

// What the window shows, read back from its renderer, for a picture in each screen format:
// 16- and 32-bit pixels go to the texture as they are, 8-bit ones through the palette,
// which a change of its colours reaches at the next frame. The colours are ones every
// expansion of the channels agrees on.
TEST_F(PresentationTest, TheWindowShowsEachScreenFormatsColours) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("t", 0, 0, 4, 2, 0);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  pp::SetPresentationWindow(window);
  auto shown = [&] {
    std::vector<uint32_t> px(8);
    EXPECT_EQ(SDL_RenderReadPixels(SDL_GetRenderer(window), nullptr, SDL_PIXELFORMAT_RGB888, px.data(), 16), 0)
        << SDL_GetError();
    for (uint32_t& p : px) p &= 0xFFFFFF;
    return px;
  };
  const std::vector<uint32_t> want = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0xFF00FF, 0x00FFFF, 0xFFFF00};
  struct Case {
    const char* name;
    int bits;
    std::array<uint32_t, 8> pixels;
    std::vector<uint32_t> want;
  };
  // (Full 6-bit green is left out: the window's own expansion may give it as 254.)
  const Case cases[] = {
      {"5:6:5",
       16,
       {0xF800, 0, 0x001F, 0xF81F, 0, 0xF81F, 0x001F, 0xF800},
       {0xFF0000, 0, 0x0000FF, 0xFF00FF, 0, 0xFF00FF, 0x0000FF, 0xFF0000}},
      {"XRGB", 32, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0xFF00FF, 0x00FFFF, 0xFFFF00}, want},
      {"palette", 8, {1, 2, 3, 4, 0, 5, 6, 7}, want},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pd::SetDesktop(4, 2, c.bits);
    ps::Surface* primary = Primary();
    ps::Surface* back = Offscreen(4, 2);
    ps::Palette* palette = nullptr;
    std::array<plat::PaletteEntry, 256> entries{};
    if (c.bits == 8) {
      for (int i = 1; i < 8; ++i) {
        const uint32_t v = want[static_cast<size_t>(i < 5 ? i - 1 : i)];
        entries[i] = {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), 0};
      }
      ASSERT_EQ(ps::CreatePalette(device_, entries, &palette), Result::kOk);
      ASSERT_EQ(ps::SetPalette(primary, palette), Result::kOk);
    }
    Paint(back, [&](int x, int y) { return c.pixels[static_cast<size_t>(y * 4 + x)]; });
    ASSERT_EQ(Present(primary, back), Result::kOk);
    EXPECT_EQ(shown(), c.want);
    if (palette != nullptr) {
      const std::array<plat::PaletteEntry, 1> grey{{{0x80, 0x80, 0x80, 0}}};
      ASSERT_EQ(ps::SetPaletteEntries(palette, 1, grey), Result::kOk);
      ASSERT_EQ(Present(primary, back), Result::kOk);
      std::vector<uint32_t> changed = want;
      changed[0] = 0x808080;
      EXPECT_EQ(shown(), changed);
      ps::ReleasePalette(palette);
    }
    ps::ReleaseSurface(back);
    ps::ReleaseSurface(primary);
  }
  pp::SetPresentationWindow(nullptr);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(PresentationTest, TheSdlWindowShowsThePictureAndFollowsFullScreen) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("t", 0, 0, 320, 240, 0);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  pp::SetPresentationWindow(window);
  auto full = [&] {
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
  };

  ps::Surface* primary = Primary();
  ps::Surface* back = Offscreen(320, 240);
  ASSERT_EQ(Present(primary, back), Result::kOk);
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
  ASSERT_EQ(Present(primary, back), Result::kOk);
  EXPECT_FALSE(full());
  EXPECT_EQ(pp::PresentedFrames(), 3u);

  pp::SetPresentationWindow(nullptr);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

// The map-change wipe and the screen break: what each of the wipe's frames shows (the old
// picture, with the catch picture where the stage's mask is white), that it leaves masked
// drawing off, and where the break puts the catch quarters at each frame's end.
#include "game/frame/screen_wipe.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "game/frame/frame_loop.h"
#include "platform/surface/presentation.h"
#include "tests/game/text/draw_fixture.h"
#include "tests/support/captured_frames.h"
#include "tests/support/png_file.h"
#include "vexal/app/system/timing.h"
#include "vexal/graphics/graphs/graph_load.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/screen_present.h"

namespace {

using drawtest::Calls;

constexpr nltools::Rgb kQuarter[4] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {200, 200, 40}};
constexpr nltools::Rgb kOld{50, 100, 150};

// Stage s shows the catch picture left of x = (10 - s) x 32.
int StageEdge(int stage) { return (10 - stage) * 32; }

class ScreenWipeTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    game::ResetFrameLoop();
    nltools::Picture catch_picture(320, 240);
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) catch_picture.At(x, y) = kQuarter[(y / 120) * 2 + x / 160];
    }
    WritePicture("img\\ci\\catch.png", catch_picture);
    for (int s = 0; s < game::kWipeStages; ++s) {
      nltools::Picture mask(320, 240);
      for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < StageEdge(s); ++x) mask.At(x, y) = {255, 255, 255};
      }
      WritePicture("img\\ci\\sc" + std::to_string(s) + ".png", mask);
    }
    wipe_.LoadScreenWipe();
    for (int i = 0; i < 4; ++i) {
      ASSERT_NE(wipe_.CatchGraphs()[i], -1);
      drawtest::GraphNames[wipe_.CatchGraphs()[i]] = "q" + std::to_string(i);
    }
    for (int s = 0; s < game::kWipeStages; ++s) ASSERT_NE(wipe_.StageMasks()[s], -1) << s;
    game::ScreenCopyGraph = vexal::CreateBlankGraph(320, 240);
    drawtest::GraphNames[game::ScreenCopyGraph] = "copy";
    game::FrameClock = vexal::GetTimeMs();
  }

  game::ScreenWipe& wipe_ = game::TheScreenWipe;  // the one EndFrame draws the break of
};

TEST_F(ScreenWipeTest, EachFrameShowsTheCatchPictureThroughTheNextStageOverTheOldPicture) {
  WritePicture("old.bmp", nltools::Picture(320, 240, kOld));
  const int old = vexal::LoadGraph("old.bmp");
  vexal::DrawGraph(0, 0, old, 0);
  const std::string frames = dir_.File("frames");
  plat::presentation::SetHarnessSettings({frames, std::nullopt, std::nullopt});
  const uint64_t before = plat::presentation::PresentedFrames();

  wipe_.PlayScreenWipe();

  ASSERT_EQ(plat::presentation::PresentedFrames() - before, 11u) << "ten stages and the whole picture";
  for (int k = 0; k < 11; ++k) {
    const int edge = k < 10 ? StageEdge(9 - k) : 320;
    const long n = long(before) + k + 1;
    const std::optional<nltest::Png> png = nltest::ReadFrame(frames, n);
    ASSERT_TRUE(png) << nltest::FramePath(frames, n);
    int wrong = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        const nltools::Rgb want = x < edge ? kQuarter[(y / 120) * 2 + x / 160] : kOld;
        const uint8_t* got = &png->rgb[(y * 320 + x) * 3];
        if (got[0] != want.r || got[1] != want.g || got[2] != want.b) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << "frame " << k + 1 << " of the wipe";
  }
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 0) << "masked drawing off afterwards";
  EXPECT_EQ(wipe_.AfterWipeCount(), 6);
}

TEST_F(ScreenWipeTest, TheWipeDrawsTheOldPictureThenTheQuartersEachFrameAndEndsAtAQuitRequest) {
  Record();
  game::QuitRequested = 0;
  wipe_.PlayScreenWipe();
  const std::vector<std::string> frame = {"copy 0,0 blend 0,0", "q0 0,0 blend 0,0", "q1 160,0 blend 0,0",
                                          "q2 0,120 blend 0,0", "q3 160,120 blend 0,0"};
  std::vector<std::string> want;
  for (int k = 0; k < 10; ++k) want.insert(want.end(), frame.begin(), frame.end());
  want.insert(want.end(), frame.begin() + 1, frame.end());
  EXPECT_EQ(Calls, want);

  // Escape held: the first frame's end stops the wipe.
  Calls.clear();
  game::QuitRequested = 1;
  const uint64_t before = plat::presentation::PresentedFrames();
  wipe_.PlayScreenWipe();
  EXPECT_EQ(plat::presentation::PresentedFrames(), before);
  EXPECT_EQ(Calls, frame);
  EXPECT_EQ(vexal::GetMaskTargetFlag(), 0);
}

TEST_F(ScreenWipeTest, TheBreakSlidesTheQuartersToTheCornersOverThirtyThreeFrameEnds) {
  Record();
  wipe_.ArmScreenBreak();
  // Counter c from 33: offsets 0 down to c = 30, then trunc(160 t^2 - 160) and
  // trunc(120 t^2 - 120) with t = c / 30.
  const struct {
    int c, ox, oy;
  } expected[] = {{33, 0, 0},     {32, 0, 0},     {31, 0, 0},      {30, 0, 0},       {29, -10, -7},
                  {24, -57, -43}, {20, -88, -66}, {15, -120, -90}, {10, -142, -106}, {1, -159, -119}};
  std::vector<std::vector<std::string>> frames;
  for (int i = 0; i < 34; ++i) {
    Calls.clear();
    ASSERT_EQ(game::EndFrame(), 0);
    frames.push_back(Calls);
  }
  for (const auto& e : expected) {
    const auto at = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y) + " blend 0,0"; };
    EXPECT_EQ(frames[33 - e.c],
              (std::vector<std::string>{"q0 " + at(e.ox, e.oy), "q1 " + at(160 - e.ox, e.oy),
                                        "q2 " + at(e.ox, 120 - e.oy), "q3 " + at(160 - e.ox, 120 - e.oy)}))
        << "c = " << e.c;
  }
  EXPECT_TRUE(frames[33].empty()) << "over after 33 frames";
  EXPECT_EQ(wipe_.BreakCounter(), 0);
}

}  // namespace

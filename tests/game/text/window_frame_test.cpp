// A framed box as the draws it makes: the background cut to the box in the current blend
// mode, blending off, the edges cut to the sides, the corners keyed.
#include "game/text/window_frame.h"

#include <gtest/gtest.h>

#include "tests/game/text/window_fixture.h"
#include "vexal/graphics/drawing/draw_calls.h"

namespace {

using windowtest::Calls;

class WindowFrameTest : public windowtest::WindowTest {};

TEST_F(WindowFrameTest, EveryPictureLoads) {
  const game::WindowFrame& f = game::TheWindowFrame;
  for (int g : f.CornerGraphs()) EXPECT_NE(g, -1);
  EXPECT_NE(f.HorizontalGraph(), -1);
  EXPECT_NE(f.VerticalGraph(), -1);
  EXPECT_NE(f.BackgroundGraph(0), -1);
  EXPECT_NE(f.BackgroundGraph(1), -1);
  EXPECT_NE(f.BackgroundGraph(0), f.BackgroundGraph(1));
}

TEST_F(WindowFrameTest, OneBoxDrawsBackgroundEdgesAndCorners) {
  vexal::SetBlendModeParam(1, 128);
  Record();
  game::TheWindowFrame.DrawFrameBox(10, 20, 110, 70, 1);
  const std::vector<std::string> want = {
      "back1 14,24 trans 0 area 14,24,106,66 blend 1",  // 92 x 42 from the picture's corner
      "blend 0,0",
      "across 18,20 trans 1 area 18,20,103,25 blend 0",  // 85 x 5
      "across 18,66 trans 1 area 18,66,103,71 blend 0",
      "down 10,28 trans 1 area 10,28,15,63 blend 0",  // 5 x 35
      "down 106,28 trans 1 area 106,28,111,63 blend 0",
      "corner0 10,20 trans 1 area 0,0,320,240 blend 0",
      "corner1 103,20 trans 1 area 0,0,320,240 blend 0",
      "corner2 10,63 trans 1 area 0,0,320,240 blend 0",
      "corner3 103,63 trans 1 area 0,0,320,240 blend 0",
  };
  EXPECT_EQ(Calls, want);
}

TEST_F(WindowFrameTest, SizedBoxAndUnknownStyles) {
  Record();
  game::TheWindowFrame.DrawFrameBoxSize(48, 160, 224, 74, 0);
  ASSERT_FALSE(Calls.empty());
  EXPECT_EQ(Calls.front(), "back0 52,164 trans 0 area 52,164,268,230 blend 0");
  EXPECT_EQ(Calls.back(), "corner3 265,227 trans 1 area 0,0,320,240 blend 0");
  for (int style : {2, -1}) {
    Calls.clear();
    game::TheWindowFrame.DrawFrameBox(0, 0, 40, 40, style);
    ASSERT_FALSE(Calls.empty());
    EXPECT_EQ(Calls.front().substr(0, 6), "back0 ") << style;
  }
}

}  // namespace

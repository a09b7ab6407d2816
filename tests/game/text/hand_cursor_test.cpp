// The hand cursor: the bounce, standing still, and the blink.
#include "game/text/hand_cursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/game/text/draw_fixture.h"

namespace {

using drawtest::Calls;

class HandCursorTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    WritePicture("system\\handicon.bmp", nltools::Picture(16, 10, {240, 240, 250}));
    hand_ = game::HandCursor{};
    hand_.LoadHandCursor();
    ASSERT_NE(hand_.Graph(), -1);
    drawtest::GraphNames[hand_.Graph()] = "hand";
    Record();
  }
  std::string Draw(int still, int blink) {
    Calls.clear();
    hand_.DrawHandCursor(124, 168, still, blink);
    return Calls.size() == 1 ? Calls[0] : "draws: " + std::to_string(Calls.size());
  }
  static std::string At(int x, int y, int mode = 0, int param = 0) {
    return "hand " + std::to_string(x) + "," + std::to_string(y) + " blend " + std::to_string(mode) + "," +
           std::to_string(param);
  }

  game::HandCursor hand_;
};

TEST_F(HandCursorTest, TheHandBouncesRightAndFallsBackInEighthsOfAPixel) {
  // Offset and speed by hand: the first bounce starts at speed -8 from rest and reaches
  // -20 (3 pixels); every later one starts at -6 and reaches -12 (2 pixels).
  const int xs[] = {101, 102, 103, 103, 103, 103, 102, 101, 100, 100, 101, 102, 102, 102, 102, 101, 100, 100, 101, 102};
  for (size_t i = 0; i < std::size(xs); ++i) EXPECT_EQ(Draw(0, 0), At(xs[i], 166)) << "draw " << i + 1;
}

TEST_F(HandCursorTest, AStillHandPointsFromRestAndKeepsTheBounceWhereItWas) {
  EXPECT_EQ(Draw(0, 0), At(101, 166));
  EXPECT_EQ(Draw(0, 0), At(102, 166));
  EXPECT_EQ(Draw(1, 0), At(100, 166));
  EXPECT_EQ(Draw(1, 0), At(100, 166));
  EXPECT_EQ(Draw(0, 0), At(103, 166)) << "the bounce goes on from its third step";
}

TEST_F(HandCursorTest, ABlinkingHandFadesByItsFrameCounterAtAFixedPlace) {
  // Frame counter 1..10 then 0: parameter 268 - 24 x frame, 268 held to 255.
  for (int frame : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1}) {
    Calls.clear();
    hand_.DrawHandCursor(124, 168, 1, 1);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0], At(108, 168, 1, std::min(268 - 24 * frame, 255))) << "frame " << frame;
    EXPECT_EQ(vexal::DrawState.BlendMode, 0) << "blending off afterwards";
  }
}

}  // namespace

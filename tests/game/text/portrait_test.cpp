// The portraits: where each slot draws, the fade-in of a newly shown portrait, showing the
// same portrait again, hiding and the empty slots.
#include "game/text/portrait.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/game/text/draw_fixture.h"

namespace {

using drawtest::Calls;

class PortraitTest : public drawtest::DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    WritePicture("img\\bustupall.png", nltools::Picture(800, 544, {90, 60, 30}));
    bust_ = game::BustUp{};
    bust_.LoadBustUp();
    for (int i = 0; i < game::kPortraitCount; ++i) {
      ASSERT_NE(bust_.Graphs()[i], -1);
      drawtest::GraphNames[bust_.Graphs()[i]] = "face" + std::to_string(i);
    }
    Record();
  }
  // One DrawBustUp; its draws.
  std::vector<std::string> Draw() {
    Calls.clear();
    bust_.DrawBustUp();
    return Calls;
  }

  game::BustUp bust_;
};

using Lines = std::vector<std::string>;

TEST_F(PortraitTest, ANewPortraitFadesInOverFourDrawsThenDrawsPlain) {
  bust_.ShowBustUp(3, 0);
  // Blend parameter fade x 80 + 30 for fades 1-4 (270 and 350 are held to 255).
  EXPECT_EQ(Draw(), Lines{"face3 -10,0 blend 1,110"});
  EXPECT_EQ(Draw(), Lines{"face3 -10,0 blend 1,190"});
  EXPECT_EQ(Draw(), Lines{"face3 -10,0 blend 1,255"});
  EXPECT_EQ(Draw(), Lines{"face3 -10,0 blend 1,255"});
  EXPECT_EQ(Draw(), Lines{"face3 -10,0 blend 0,0"});
  EXPECT_EQ(Draw(), Lines{"face3 -10,0 blend 0,0"});
}

TEST_F(PortraitTest, ShowingTheSamePortraitKeepsItsFadeAndAnotherRestartsIt) {
  bust_.ShowBustUp(6, 1);
  Draw();
  Draw();
  bust_.ShowBustUp(6, 1);
  EXPECT_EQ(bust_.SlotFade(1), 3);
  EXPECT_EQ(Draw(), Lines{"face6 130,0 blend 1,255"}) << "not back to the first step";
  for (int i = 0; i < 4; ++i) Draw();
  bust_.ShowBustUp(6, 1);
  EXPECT_EQ(Draw(), Lines{"face6 130,0 blend 0,0"}) << "a faded-in portrait stays";
  bust_.ShowBustUp(2, 1);
  EXPECT_EQ(Draw(), Lines{"face2 130,0 blend 1,110"});
}

TEST_F(PortraitTest, HidingEmptiesEverySlotShowingThePictureAndResetEmptiesBoth) {
  bust_.ShowBustUp(4, 0);
  bust_.ShowBustUp(4, 1);
  bust_.ShowBustUp(1, 1);
  EXPECT_EQ(Draw(), (Lines{"face4 -10,0 blend 1,110", "face1 130,0 blend 1,110"}));
  bust_.HideBustUp(4);
  EXPECT_EQ(Draw(), Lines{"face1 130,0 blend 1,190"});
  bust_.HideBustUp(1);
  EXPECT_EQ(Draw(), Lines{});
  EXPECT_EQ(bust_.SlotFade(1), 0);

  bust_.ShowBustUp(0, 0);
  bust_.ShowBustUp(7, 1);
  bust_.ResetBustUp();
  EXPECT_EQ(Draw(), Lines{});
  // After a reset the same picture counts as new.
  bust_.ShowBustUp(0, 0);
  EXPECT_EQ(Draw(), Lines{"face0 -10,0 blend 1,110"});
}

TEST_F(PortraitTest, NumbersFromAScriptOutsideTheTablesChangeAndDrawNothing) {
  bust_.ShowBustUp(1, 2);
  bust_.ShowBustUp(1, -1);
  EXPECT_EQ(Draw(), Lines{});
  bust_.ShowBustUp(8, 0);  // no such portrait: the slot is taken, nothing is drawn
  bust_.ShowBustUp(-5, 1);
  EXPECT_EQ(Draw(), Lines{});
}

}  // namespace

// Under the harness, NIGHTLOOM_INPUT's presses reach the game's buttons in the frame the
// script names: the frame loop samples at the end of each frame, before presenting it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "game/input/key_cast.h"
#include "platform/input/input.h"
#include "platform/surface/presentation.h"
#include "tests/support/temp_dir.h"
#include "tests/vexal/app/input_fixture.h"

namespace {

class ScriptedInputTest : public apptest::InputTest {
 protected:
  void TearDown() override {
    unsetenv("NIGHTLOOM_INPUT");
    InputTest::TearDown();
  }
};

TEST_F(ScriptedInputTest, PressReachesTheButtonStateInTheNamedFrame) {
  ASSERT_TRUE(nltest::WriteFileBytes(dir_.File("input.txt"),
                                     "# decide from the keyboard, button 7 from the joypad\n"
                                     "10 down X\n"
                                     "13 up X\n"
                                     "8 down pad:0\n"
                                     "9 up pad:0\n"));
  setenv("NIGHTLOOM_INPUT", dir_.File("input.txt").c_str(), 1);
  Start();  // the start-up may present frames of its own; they count
  game::KeyCast kc;
  uint64_t first = plat::presentation::PresentedFrames() + 1;
  ASSERT_LT(first, 8u);
  for (uint64_t frame = first; frame <= 14; ++frame) {
    kc.UpdateKeyCast();  // the end of the frame, before it is presented
    EXPECT_EQ(kc.IsButtonDown(game::kButtonDecide), frame >= 10 && frame < 13) << "frame " << frame;
    EXPECT_EQ(kc.IsButtonPressed(game::kButtonDecide), frame == 10) << "frame " << frame;
    EXPECT_EQ(kc.IsButtonPressed(7), frame == 8) << "frame " << frame;
    EXPECT_EQ(kc.IsButtonDown(7), frame == 8) << "frame " << frame;
    plat::presentation::PresentPicture(plat::presentation::Picture{});
  }
}

}  // namespace

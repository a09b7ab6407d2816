// The per-frame sample: held, newly pressed and repeating keys and buttons.
#include "game/input/key_cast.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/input/input.h"
#include "tests/vexal/app/input_fixture.h"

namespace {

namespace pi = plat::input;

class KeyCastTest : public apptest::InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    pad_ = pi::AttachFakeJoypad("pad");
    Start();
  }
  // Frames (counted from the first one held) in which `pulse` is set while the input is
  // held for `frames` frames.
  std::vector<int> PulseFrames(game::KeyCast& kc, const std::function<void(bool)>& hold,
                               const std::function<bool()>& pulse, int frames) {
    std::vector<int> seen;
    hold(true);
    for (int f = 0; f < frames; ++f) {
      kc.UpdateKeyCast();
      if (pulse()) seen.push_back(f);
    }
    hold(false);
    kc.UpdateKeyCast();
    return seen;
  }
  pi::DeviceGuid pad_ = 0;
};

TEST_F(KeyCastTest, KeysAndButtonsRepeatOnTheirOwnTiming) {
  game::KeyCast kc;
  const int space = pi::kKeySpace;
  auto hold_space = [](bool down) { pi::SetFakeKey(pi::kKeySpace, down); };
  auto hold_x = [](bool down) { pi::SetFakeKey(pi::kKeyX, down); };
  auto hold_button_1 = [this](bool down) { pi::SetFakeJoypadButton(pad_, 1, down); };

  // Keys: the press, 13 frames later, then every 2 frames.
  const std::vector<int> key_pulses = {0, 13, 15, 17, 19, 21};
  EXPECT_EQ(PulseFrames(
                kc, hold_space, [&] { return kc.key_pulse[space] != 0; }, 22),
            key_pulses);
  EXPECT_EQ(PulseFrames(
                kc, hold_space, [&] { return kc.IsKeyPressed(space); }, 22),
            std::vector<int>{0});
  EXPECT_EQ(PulseFrames(
                kc, hold_space, [&] { return kc.IsKeyHeld(space); }, 3),
            (std::vector<int>{0, 1, 2}));

  // Buttons: the press, 13 frames later, the next frame, then every 2 frames; the same
  // from the keyboard key and the joypad button of the decide bit.
  const std::vector<int> button_pulses = {0, 13, 14, 16, 18, 20};
  for (const auto& hold : {std::function<void(bool)>(hold_x), std::function<void(bool)>(hold_button_1)}) {
    EXPECT_EQ(PulseFrames(
                  kc, hold, [&] { return kc.IsButtonRepeat(game::kButtonDecide); }, 21),
              button_pulses);
    EXPECT_EQ(PulseFrames(
                  kc, hold, [&] { return kc.IsButtonPressed(game::kButtonDecide); }, 21),
              std::vector<int>{0});
    EXPECT_EQ(PulseFrames(
                  kc, hold, [&] { return kc.IsButtonDown(game::kButtonDecide); }, 3),
              (std::vector<int>{0, 1, 2}));
  }
  // Released: nothing is left of it.
  EXPECT_FALSE(kc.IsKeyHeld(space));
  EXPECT_FALSE(kc.IsButtonDown(game::kButtonDecide));
  EXPECT_EQ(kc.key_repeat_state[space], game::kRepeatIdle);
  EXPECT_EQ(kc.button_repeat_state[game::kButtonDecide], game::kRepeatIdle);
}

TEST_F(KeyCastTest, ClearingStopsTheRepeatOfWhatIsHeld) {
  game::KeyCast kc;
  pi::SetFakeKey(pi::kKeyX, true);  // decide, and key X
  kc.UpdateKeyCast();
  kc.ClearKeyCast();
  EXPECT_TRUE(kc.IsKeyPressed(pi::kKeyX));
  EXPECT_TRUE(kc.IsButtonPressed(game::kButtonDecide));
  EXPECT_FALSE(kc.IsButtonRepeat(game::kButtonDecide));
  for (int f = 1; f < 30; ++f) {
    kc.UpdateKeyCast();
    EXPECT_FALSE(kc.IsButtonRepeat(game::kButtonDecide)) << f;
    EXPECT_EQ(kc.key_pulse[pi::kKeyX], 0) << f;
    EXPECT_TRUE(kc.IsButtonDown(game::kButtonDecide)) << f;
  }
  // A new press repeats again.
  pi::SetFakeKey(pi::kKeyX, false);
  kc.UpdateKeyCast();
  pi::SetFakeKey(pi::kKeyX, true);
  kc.UpdateKeyCast();
  EXPECT_TRUE(kc.IsButtonRepeat(game::kButtonDecide));
  EXPECT_EQ(kc.key_pulse[pi::kKeyX], 1);
}

TEST_F(KeyCastTest, DefaultMasksBindTheButtonsToTheirKeys) {
  game::KeyCast kc;
  struct Case {
    uint8_t key;
    int button;
  };
  const Case cases[] = {
      {pi::kKeyUp, 0}, {pi::kKeyNumpad8, 0}, {pi::kKeyDown, 1}, {pi::kKeyRight, 2}, {pi::kKeyLeft, 3}, {pi::kKeyX, 4},
      {pi::kKeyC, 5},  {pi::kKeyA, 6},       {pi::kKeyZ, 7},    {pi::kKeyW, 8},     {pi::kKeyQ, 9},
  };
  for (const Case& c : cases) {
    pi::SetFakeKey(c.key, true);
    kc.UpdateKeyCast();
    for (int b = 0; b < game::kLogicalButtons; ++b) {
      EXPECT_EQ(kc.IsButtonDown(b), b == c.button) << "key " << int(c.key) << " button " << b;
    }
    pi::SetFakeKey(c.key, false);
    kc.UpdateKeyCast();
  }
  for (int n : {-1, 16}) {
    EXPECT_FALSE(kc.IsButtonDown(n));
    EXPECT_FALSE(kc.IsButtonRepeat(n));
  }
  EXPECT_FALSE(kc.IsKeyHeld(256));
  EXPECT_FALSE(kc.IsKeyPressed(-1));
}

}  // namespace

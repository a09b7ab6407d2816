// A joypad the way a player's would arrive: SDL's virtual joystick, attached before the
// library starts, found by its enumeration and read through SDL's joystick or game
// controller interface (the real path, no fake). The game's buttons follow its buttons,
// its stick (with the library's dead zone) and its hat or directional pad, and let go
// when it is unplugged.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/input/key_cast.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"

namespace {

// Which SDL interface reads the device: a plain joystick (2 axes, 8 buttons, a hat) or a
// game controller (SDL's layout: buttons a, b, x, y, back, guide, start, ..., d-pad up,
// down, left, right at 11-14).
struct PadKind {
  const char* name;
  SDL_JoystickType type;
  int axes, buttons, hats;
};
constexpr PadKind kJoystick{"joystick", SDL_JOYSTICK_TYPE_UNKNOWN, 2, 8, 1};
constexpr PadKind kController{"controller", SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0};

constexpr int kLogicalButtons = game::kLogicalButtons;

class VirtualJoystickTest : public apptest::LibraryTest, public ::testing::WithParamInterface<PadKind> {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const PadKind& k = GetParam();
    index_ = SDL_JoystickAttachVirtual(k.type, k.axes, k.buttons, k.hats);
    ASSERT_GE(index_, 0) << SDL_GetError();
    ASSERT_EQ(SDL_IsGameController(index_) == SDL_TRUE, k.type == SDL_JOYSTICK_TYPE_GAMECONTROLLER);
    stick_ = SDL_JoystickOpen(index_);  // the test's own handle, to move the controls
    ASSERT_NE(stick_, nullptr) << SDL_GetError();
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
    ASSERT_EQ(vexal::InputState.PadCount, 1);
  }
  void TearDown() override {
    vexal::LibraryEnd();
    if (stick_ != nullptr) SDL_JoystickClose(stick_);
    if (index_ >= 0 && SDL_JoystickIsVirtual(index_) == SDL_TRUE) SDL_JoystickDetachVirtual(index_);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    LibraryTest::TearDown();
  }

  // The game's buttons that are down after this frame's sample, as a string of 0 and 1.
  std::string Sample() {
    keys_.UpdateKeyCast();
    std::string down;
    for (int b = 0; b < kLogicalButtons; ++b) down += keys_.IsButtonDown(b) ? '1' : '0';
    return down;
  }

  int index_ = -1;
  SDL_Joystick* stick_ = nullptr;
  game::KeyCast keys_;
};

// The string Sample gives when only these game buttons are down.
std::string Down(std::vector<int> buttons) {
  std::string s(kLogicalButtons, '0');
  for (int b : buttons) s[b] = '1';
  return s;
}

TEST_P(VirtualJoystickTest, GameButtonsFollowThePadsButtons) {
  EXPECT_EQ(Sample(), Down({}));
  // The default assignment: pad button 0 is game button 7, 1 decide, 2 cancel, 3 is 6,
  // 6 is 9 and 7 is 8 (the keyboard's Z X C A ... W share these bits).
  const struct {
    int pad_button, game_button;
  } kRows[] = {{1, game::kButtonDecide}, {2, game::kButtonCancel}, {0, 7}, {3, 6}, {6, 9}, {7, 8}};
  for (const auto& row : kRows) {
    SDL_JoystickSetVirtualButton(stick_, row.pad_button, SDL_PRESSED);
    EXPECT_EQ(Sample(), Down({row.game_button})) << "pad button " << row.pad_button;
    EXPECT_TRUE(keys_.IsButtonPressed(row.game_button)) << "pad button " << row.pad_button;
    EXPECT_EQ(Sample(), Down({row.game_button})) << "held: pad button " << row.pad_button;
    EXPECT_FALSE(keys_.IsButtonPressed(row.game_button)) << "held: pad button " << row.pad_button;
    SDL_JoystickSetVirtualButton(stick_, row.pad_button, SDL_RELEASED);
    EXPECT_EQ(Sample(), Down({})) << "released: pad button " << row.pad_button;
  }
  // Two at once.
  SDL_JoystickSetVirtualButton(stick_, 1, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(stick_, 2, SDL_PRESSED);
  EXPECT_EQ(Sample(), Down({game::kButtonDecide, game::kButtonCancel}));
}

TEST_P(VirtualJoystickTest, StickMovesTheDirectionsPastTheDeadZone) {
  // The library reads the stick in -1000..1000 with a dead zone of a quarter of the
  // travel: raw 8000 is 2441/10000 of it (inside), raw 9000 is 2746 (outside).
  const struct {
    int x, y;
    std::vector<int> down;
  } kRows[] = {
      {32767, 0, {game::kButtonRight}},
      {-32768, 0, {game::kButtonLeft}},
      {0, 32767, {game::kButtonDown}},
      {0, -32768, {game::kButtonUp}},
      {32767, -32768, {game::kButtonUp, game::kButtonRight}},
      {8000, -8000, {}},
      {9000, -9000, {game::kButtonUp, game::kButtonRight}},
      {-9000, 9000, {game::kButtonDown, game::kButtonLeft}},
      {0, 0, {}},
  };
  for (const auto& row : kRows) {
    SDL_JoystickSetVirtualAxis(stick_, 0, int16_t(row.x));
    SDL_JoystickSetVirtualAxis(stick_, 1, int16_t(row.y));
    EXPECT_EQ(Sample(), Down(row.down)) << "stick " << row.x << ", " << row.y;
  }
}

TEST_P(VirtualJoystickTest, HatOrDirectionalPadHoldsADirection) {
  const struct {
    Uint8 hat;
    int dpad_button;  // the controller's
    int game_button;
  } kRows[] = {{SDL_HAT_UP, 11, game::kButtonUp},
               {SDL_HAT_DOWN, 12, game::kButtonDown},
               {SDL_HAT_LEFT, 13, game::kButtonLeft},
               {SDL_HAT_RIGHT, 14, game::kButtonRight}};
  const bool controller = GetParam().type == SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  for (const auto& row : kRows) {
    if (controller) {
      SDL_JoystickSetVirtualButton(stick_, row.dpad_button, SDL_PRESSED);
    } else {
      SDL_JoystickSetVirtualHat(stick_, 0, row.hat);
    }
    EXPECT_EQ(Sample(), Down({row.game_button})) << "direction " << row.game_button;
    if (controller) {
      SDL_JoystickSetVirtualButton(stick_, row.dpad_button, SDL_RELEASED);
    } else {
      SDL_JoystickSetVirtualHat(stick_, 0, SDL_HAT_CENTERED);
    }
    EXPECT_EQ(Sample(), Down({})) << "released: direction " << row.game_button;
  }
}

TEST_P(VirtualJoystickTest, UnpluggedPadLetsGoOfItsButtons) {
  SDL_JoystickSetVirtualButton(stick_, 1, SDL_PRESSED);
  SDL_JoystickSetVirtualAxis(stick_, 0, 32767);
  EXPECT_EQ(Sample(), Down({game::kButtonRight, game::kButtonDecide}));
  SDL_JoystickClose(stick_);
  stick_ = nullptr;
  ASSERT_EQ(SDL_JoystickDetachVirtual(index_), 0) << SDL_GetError();
  EXPECT_EQ(Sample(), Down({}));
  EXPECT_EQ(Sample(), Down({}));
}

INSTANTIATE_TEST_SUITE_P(SdlInterfaces, VirtualJoystickTest, ::testing::Values(kJoystick, kController),
                         [](const ::testing::TestParamInfo<PadKind>& info) { return std::string(info.param.name); });

}  // namespace

// Key events that reach SDL's queue from elsewhere than SDL's own keyboard (pushed by a
// test or by a tool) hold their key in the library's keyboard reads from the key-down to
// the key-up, as a key of the keyboard does; keys never pushed stay up.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/input/input.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_mode.h"

namespace {

namespace pi = plat::input;

class PushedKeysTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    vexal::ChangeWindowMode(1);
    ASSERT_EQ(vexal::LibraryInit(), 0);
  }
  void TearDown() override {
    vexal::LibraryEnd();
    LibraryTest::TearDown();
  }
  static void Push(SDL_Scancode key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = key;
    e.key.keysym.sym = SDL_GetKeyFromScancode(key);
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    ASSERT_EQ(vexal::PumpMessages(), 0);
  }
};

TEST_F(PushedKeysTest, KeyIsDownFromItsKeyDownToItsKeyUp) {
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyX), 0);
  Push(SDL_SCANCODE_X, true);
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyX), 1);
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyZ), 0);
  // A repeat of the held key changes nothing; another key joins it.
  Push(SDL_SCANCODE_X, true);
  Push(SDL_SCANCODE_LEFT, true);
  EXPECT_EQ(vexal::ReadPadState(vexal::kPadWithKeyboard), 0x20 | vexal::kPadLeft);
  Push(SDL_SCANCODE_X, false);
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyX), 0);
  EXPECT_EQ(vexal::ReadPadState(vexal::kPadWithKeyboard), vexal::kPadLeft);
  Push(SDL_SCANCODE_LEFT, false);
  EXPECT_EQ(vexal::ReadPadState(vexal::kPadWithKeyboard), 0);
}

TEST_F(PushedKeysTest, KeyReleasedWhileInputWasStoppedIsNotLeftDown) {
  Push(SDL_SCANCODE_Z, true);
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyZ), 1);
  vexal::EndDirectInput();
  Push(SDL_SCANCODE_Z, false);  // nobody listening
  ASSERT_EQ(vexal::InitDirectInput(), 0);
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyZ), 0);
}

}  // namespace

// The key reads: the pad-state bits, the key buffer, F10 / F12, lost input, the late
// start and the inactive wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/input/input.h"
#include "platform/window/window.h"
#include "tests/vexal/app/input_fixture.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/window/window_proc.h"
#include "vexal/graphics/screen/wait_active.h"

namespace {

namespace pi = plat::input;
namespace pw = plat::window;
using vexal::AppState;

class InputReadTest : public apptest::InputTest {
 protected:
  // The whole buffer as ReadAllKeys leaves it, starting from stale bytes.
  std::array<uint8_t, 256> AllKeys(int* result = nullptr) {
    std::array<uint8_t, 256> keys;
    keys.fill(0xAA);
    int r = vexal::ReadAllKeys(keys);
    if (result != nullptr) *result = r;
    return keys;
  }
  static bool AllZero(const std::array<uint8_t, 256>& keys) {
    return std::all_of(keys.begin(), keys.end(), [](uint8_t b) { return b == 0; });
  }
};

TEST_F(InputReadTest, PadSelectorChoosesTheJoypadAndTheKeyboard) {
  Start();
  pi::SetFakeKey(pi::kKeyZ, true);
  pi::SetFakeKey(pi::kKeyDown, true);
  struct Case {
    int type;
    int expected;
  };
  const Case without_pads[] = {
      {0x1001, 0x11}, {1, 0}, {0x1009, 0}, {0x1000, 0x11}, {0, 0}, {0x1008, 0x11}, {-1, 0}, {0x100A, 0},
  };
  for (const Case& c : without_pads) EXPECT_EQ(vexal::ReadPadState(c.type), c.expected) << std::hex << c.type;

  pi::DeviceGuid pad = pi::AttachFakeJoypad("pad");
  pi::SetFakeJoypadButton(pad, 2, true);
  RestartInput();
  const Case with_a_pad[] = {
      {0x1001, 0x51}, {1, 0x40}, {2, 0}, {0x1002, 0x11}, {0x1009, 0}, {9, 0},
  };
  for (const Case& c : with_a_pad) EXPECT_EQ(vexal::ReadPadState(c.type), c.expected) << std::hex << c.type;
}

TEST_F(InputReadTest, KeysAndJoypadButtonsShareTheBits) {
  pi::DeviceGuid pad = pi::AttachFakeJoypad("pad");
  Start();
  struct KeyCase {
    uint8_t key;
    int bit;
  };
  const KeyCase keys[] = {
      {pi::kKeyNumpad2, 0x1},   {pi::kKeyDown, 0x1},     {pi::kKeyNumpad4, 0x2}, {pi::kKeyLeft, 0x2},
      {pi::kKeyNumpad6, 0x4},   {pi::kKeyRight, 0x4},    {pi::kKeyNumpad8, 0x8}, {pi::kKeyUp, 0x8},
      {pi::kKeyZ, 0x10},        {pi::kKeyX, 0x20},       {pi::kKeyC, 0x40},      {pi::kKeyA, 0x80},
      {pi::kKeyS, 0x100},       {pi::kKeyD, 0x200},      {pi::kKeyQ, 0x400},     {pi::kKeyW, 0x800},
      {pi::kKeyEscape, 0x1000}, {pi::kKeySpace, 0x2000}, {pi::kKeyEnter, 0},     {pi::kKeyF10, 0},
      {pi::kKeyF12, 0},         {pi::kKeyTab, 0},
  };
  for (const KeyCase& k : keys) {
    pi::SetFakeKey(k.key, true);
    EXPECT_EQ(vexal::ReadPadState(0x1001), k.bit) << std::hex << int(k.key);
    pi::SetFakeKey(k.key, false);
  }
  for (int b = 0; b < pi::kPadButtons; ++b) {
    pi::SetFakeJoypadButton(pad, b, true);
    EXPECT_EQ(vexal::ReadPadState(1), b < 24 ? 1 << (4 + b) : 0) << b;
    pi::SetFakeJoypadButton(pad, b, false);
  }
  // Keyboard Z and button 0 together: the same bit, once.
  pi::SetFakeKey(pi::kKeyZ, true);
  pi::SetFakeJoypadButton(pad, 0, true);
  EXPECT_EQ(vexal::ReadPadState(0x1001), 0x10);
}

TEST_F(InputReadTest, JoypadAxesOutsideTheDeadZoneSetDirections) {
  pi::DeviceGuid pad = pi::AttachFakeJoypad("pad");
  Start();
  struct Case {
    int32_t x, y;  // raw, -32768 to 32767
    int expected;
  };
  const int32_t p20 = 32767 * 20 / 100, p30 = 32767 * 30 / 100;
  const Case cases[] = {
      {0, 0, 0},     {p20, 0, 0},    {-p20, -p20, 0},     {p30, 0, 0x4},         {-p30, 0, 0x2},
      {0, p30, 0x1}, {0, -p30, 0x8}, {32767, 32767, 0x5}, {-32768, -32768, 0xA},
  };
  for (const Case& c : cases) {
    pi::SetFakeJoypadAxes(pad, c.x, c.y);
    EXPECT_EQ(vexal::ReadPadState(1), c.expected) << c.x << ", " << c.y;
  }
}

TEST_F(InputReadTest, F10AndF12ComeFromTheWindowProcedureFlags) {
  Start();
  pi::SetFakeKey(pi::kKeyF10, true);
  pi::SetFakeKey(pi::kKeyF12, true);
  pi::SetFakeKey(pi::kKeyZ, true);
  std::array<uint8_t, 256> keys = AllKeys();
  EXPECT_EQ(keys[pi::kKeyF10], 0);
  EXPECT_EQ(keys[pi::kKeyF12], 0);
  EXPECT_EQ(keys[pi::kKeyZ], 1);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), 1), 1);

  struct Case {
    uint32_t message;
    uintptr_t wparam;
    uint8_t f10, f12;
  };
  const Case cases[] = {
      {vexal::kMsgF10, 1, 1, 0},
      {vexal::kMsgF12, 1, 1, 1},
      {vexal::kMsgF10, 0, 0, 1},
      {vexal::kMsgF12, 2, 0, 0},
  };
  for (const Case& c : cases) {
    pw::SendMessage(AppState.MainWindow, c.message, c.wparam, 0);
    keys = AllKeys();
    EXPECT_EQ(keys[pi::kKeyF10], c.f10) << c.message << " " << c.wparam;
    EXPECT_EQ(keys[pi::kKeyF12], c.f12) << c.message << " " << c.wparam;
    EXPECT_EQ(vexal::ReadPadState(0x1000), 0x10);
  }

  // CheckKeyDown answers F10 from the flag without touching the keyboard.
  pw::SendMessage(AppState.MainWindow, vexal::kMsgF10, 1, 0);
  Observe();
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyF10), 1);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyZ), 1);
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyF12), 1);  // from the keyboard, as any other key
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyX), 0);
  EXPECT_EQ(vexal::CheckKeyDown(-1), 0);
  EXPECT_EQ(vexal::CheckKeyDown(256), 0);
}

TEST_F(InputReadTest, LostKeyboardIsAcquiredAgainOrReadsAsNoKey) {
  Start();
  pi::SetFakeKey(pi::kKeyX, true);
  struct Case {
    const char* name;
    bool lose;
    std::optional<pi::Failure> failure;
    bool readable;
  };
  const Case cases[] = {
      {"lost, acquired again", true, std::nullopt, true},
      {"lost, cannot be acquired", true, pi::Failure{pi::Call::Acquire, pi::kSysKeyboard}, false},
      {"read fails otherwise", false, pi::Failure{pi::Call::GetDeviceState, pi::kSysKeyboard}, false},
  };
  for (const Case& c : cases) {
    pi::ClearFailures();
    pi::Acquire(vexal::InputState.KeyboardDevice);
    if (c.failure) pi::InjectFailure(*c.failure);
    if (c.lose) pi::LoseDevice(pi::kSysKeyboard);
    EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyX), c.readable ? 1 : 0) << c.name;
    if (c.lose) pi::LoseDevice(pi::kSysKeyboard);
    int result = -2;
    std::array<uint8_t, 256> keys = AllKeys(&result);
    EXPECT_EQ(result, 0) << c.name;
    EXPECT_EQ(keys[pi::kKeyX], c.readable ? 1 : 0) << c.name;
    if (!c.readable) {
      EXPECT_TRUE(AllZero(keys)) << c.name;
    }
    if (c.lose) pi::LoseDevice(pi::kSysKeyboard);
    EXPECT_EQ(vexal::ReadPadState(0x1000), c.readable ? 0x20 : 0) << c.name;
  }
}

TEST_F(InputReadTest, LostJoypadIsAcquiredAgainOrAddsNoBits) {
  pi::DeviceGuid pad = pi::AttachFakeJoypad("pad");
  Start();
  pi::SetFakeJoypadButton(pad, 1, true);
  pi::SetFakeKey(pi::kKeyZ, true);
  pi::LoseDevice(pad);
  EXPECT_EQ(vexal::ReadPadState(0x1001), 0x30);

  pi::InjectFailure({pi::Call::GetDeviceState, pad, pi::kAnyAxis, 2, pi::kErrInputLost});
  EXPECT_EQ(vexal::ReadPadState(0x1001), 0x10);  // the read after the recovery failed too
  EXPECT_EQ(vexal::ReadPadState(0x1001), 0x30);

  pi::DetachFakeJoypad(pad);
  EXPECT_EQ(vexal::ReadPadState(0x1001), 0x10);
  EXPECT_EQ(vexal::ReadPadState(1), 0);
}

TEST_F(InputReadTest, EndOfTheApplicationDuringARecoveryGivesNoBits) {
  pi::DeviceGuid pad = pi::AttachFakeJoypad("pad");
  Start();
  pi::SetFakeJoypadButton(pad, 0, true);
  pi::SetFakeKey(pi::kKeyZ, true);
  AppState.QuitFlag = 1;  // the pump reports the end from now on
  pi::LoseDevice(pad);
  EXPECT_EQ(vexal::ReadPadState(0x1001), 0);
  pi::LoseDevice(pi::kSysKeyboard);
  EXPECT_EQ(vexal::ReadPadState(0x1000), 0);
  EXPECT_EQ(vexal::ReadPadState(0x1000), 0x10);  // nothing lost: read as usual
}

TEST_F(InputReadTest, LateStartReportsNoKeysAndStartsInput) {
  Start();
  pi::SetFakeKey(pi::kKeyZ, true);
  struct Case {
    const char* name;
    bool object_fails;
  };
  for (const Case c : {Case{"start succeeds", false}, Case{"start fails", true}}) {
    pi::ClearFailures();
    if (c.object_fails) pi::InjectFailure({pi::Call::CreateInputObject});
    vexal::EndDirectInput();
    EXPECT_EQ(vexal::ReadPadState(0x1001), 0) << c.name;
    EXPECT_EQ(vexal::InputState.Started, c.object_fails ? 0 : 1) << c.name;
    vexal::EndDirectInput();
    int result = -2;
    EXPECT_TRUE(AllZero(AllKeys(&result))) << c.name;
    EXPECT_EQ(result, c.object_fails ? -1 : 0) << c.name;
    vexal::EndDirectInput();
    EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyZ), 0) << c.name;
    EXPECT_EQ(vexal::ReadPadState(0x1001), c.object_fails ? 0 : 0x10) << c.name;
  }

  // While the window is closing nothing is started.
  pi::ClearFailures();
  vexal::EndDirectInput();
  AppState.ClosingFlag = 1;
  Observe();
  EXPECT_EQ(vexal::ReadPadState(0x1001), 0);
  EXPECT_TRUE(AllZero(AllKeys()));
  EXPECT_EQ(vexal::CheckKeyDown(pi::kKeyZ), 0);
  EXPECT_TRUE(calls_.empty());
}

TEST_F(InputReadTest, ReadsWaitWhileTheApplicationIsInactive) {
  Start();
  pi::SetFakeKey(pi::kKeyZ, true);
  int polls = 0;
  int polls_at_read = -1;
  pw::SetEventSource([&] {
    if (++polls == 5) pw::UserFocus(AppState.MainWindow, true);
  });
  pi::SetCallObserver([&](pi::Call call, pi::DeviceGuid, int32_t) {
    if (call == pi::Call::GetDeviceState && polls_at_read < 0) polls_at_read = polls;
  });
  struct Case {
    const char* name;
    int run_in_background;
    bool waits;
  };
  const Case cases[] = {{"waits", 0, true}, {"runs in the background", 1, false}};
  for (const Case& c : cases) {
    AppState.ActiveFlag = 0;
    AppState.RunInBackground = c.run_in_background;
    polls = 0;
    polls_at_read = -1;
    EXPECT_EQ(vexal::ReadPadState(0x1001), 0x10) << c.name;
    EXPECT_EQ(polls_at_read >= 5, c.waits) << c.name << " " << polls_at_read;
  }
  pw::SetEventSource(nullptr);
}

TEST_F(InputReadTest, InactiveWaitEndsWithoutAWindowOrWhenClosing) {
  // Nothing could ever activate the application: the wait must not begin.
  AppState.ActiveFlag = 0;
  vexal::WaitActiveAndRestore();
  Start();
  AppState.ActiveFlag = 0;
  AppState.ClosingFlag = 1;
  vexal::WaitActiveAndRestore();
  AppState.ClosingFlag = 0;
  AppState.QuitFlag = 1;
  vexal::WaitActiveAndRestore();
  SUCCEED();  // reaching here is the test: each wait returned
}

}  // namespace

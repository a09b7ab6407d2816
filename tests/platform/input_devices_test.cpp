#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/input/input.h"
#include "platform/window/window.h"

namespace {

namespace pi = plat::input;
namespace pw = plat::window;

class InputDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pi::UseFakeDevices(true);
    pw::WindowClass c;
    c.name = "InputTest";
    c.proc = pw::DefWindowProc;
    ASSERT_TRUE(pw::RegisterClass(c));
    pw::WindowCreate create;
    create.class_name = "InputTest";
    create.width = 64;
    create.height = 48;
    window_ = pw::CreateWindow(create);
    ASSERT_NE(window_, 0u);
    ASSERT_EQ(pi::CreateInputObject(&object_), pi::kOk);
    ASSERT_EQ(pi::Initialize(object_, 1, pi::kInputVersion), pi::kOk);
  }
  void TearDown() override {
    pi::ResetInputStandIn();
    pw::ResetWindowStandIn();
  }

  // A device made, formatted, set to the library's level and acquired.
  pi::DeviceHandle Ready(pi::DeviceGuid guid, pi::DataFormat format) {
    pi::DeviceHandle d = 0;
    EXPECT_EQ(pi::CreateDevice(object_, guid, &d), pi::kOk);
    EXPECT_EQ(pi::SetDataFormat(d, format), pi::kOk);
    EXPECT_EQ(pi::SetCooperativeLevel(d, window_, pi::kCoopNonExclusive | pi::kCoopBackground), pi::kOk);
    EXPECT_EQ(pi::Acquire(d), pi::kOk);
    return d;
  }

  std::vector<std::string> EnumeratedNames() {
    std::vector<std::string> names;
    pi::EnumJoypads(object_, [&](const pi::DeviceInstance& i) {
      names.push_back(i.instance_name);
      return true;
    });
    return names;
  }

  pw::WindowHandle window_ = 0;
  pi::ObjectHandle object_ = 0;
};

TEST_F(InputDeviceTest, ObjectMustBeInitialisedWithAnInstanceAndASupportedVersion) {
  pi::ObjectHandle o = 0;
  ASSERT_EQ(pi::CreateInputObject(&o), pi::kOk);
  pi::DeviceHandle d = 0;
  EXPECT_EQ(pi::CreateDevice(o, pi::kSysKeyboard, &d), pi::kErrNotInitialized);
  EXPECT_EQ(pi::EnumJoypads(o, [](const pi::DeviceInstance&) { return true; }), pi::kErrNotInitialized);
  EXPECT_EQ(pi::Initialize(o, 0, pi::kInputVersion), pi::kErrInvalidParam);
  EXPECT_EQ(pi::Initialize(o, 1, pi::kInputVersion + 1), pi::kErrInvalidParam);
  EXPECT_EQ(pi::Initialize(o, 1, pi::kInputVersion), pi::kOk);
  EXPECT_EQ(pi::CreateDevice(o, pi::kSysKeyboard, &d), pi::kOk);
  EXPECT_EQ(pi::CreateDevice(o, 0x12345, &d), pi::kErrObjectNotFound);
  EXPECT_EQ(d, 0u);
}

TEST_F(InputDeviceTest, KeyboardIsReadOnlyOnceFormattedAndAcquired) {
  pi::DeviceHandle kb = 0;
  ASSERT_EQ(pi::CreateDevice(object_, pi::kSysKeyboard, &kb), pi::kOk);
  std::array<uint8_t, 256> keys{};
  keys.fill(0xEE);
  EXPECT_EQ(pi::GetKeyboardState(kb, keys), pi::kErrInvalidParam);
  EXPECT_EQ(pi::SetDataFormat(kb, pi::DataFormat::Joystick), pi::kErrInvalidParam);
  EXPECT_EQ(pi::Acquire(kb), pi::kErrInvalidParam);  // no format yet
  ASSERT_EQ(pi::SetDataFormat(kb, pi::DataFormat::Keyboard), pi::kOk);
  EXPECT_EQ(pi::GetKeyboardState(kb, keys), pi::kErrNotAcquired);
  EXPECT_EQ(keys[0], 0xEE);  // a failed read leaves the buffer alone

  struct Level {
    pw::WindowHandle window;
    uint32_t flags;
    int32_t result;
  };
  const Level levels[] = {
      {0, pi::kCoopNonExclusive | pi::kCoopBackground, pi::kErrInvalidParam},
      {window_ + 1, pi::kCoopNonExclusive | pi::kCoopBackground, pi::kErrInvalidParam},
      {window_, pi::kCoopNonExclusive, pi::kErrInvalidParam},
      {window_, pi::kCoopExclusive | pi::kCoopNonExclusive | pi::kCoopBackground, pi::kErrInvalidParam},
      {window_, pi::kCoopNonExclusive | pi::kCoopForeground | pi::kCoopBackground, pi::kErrInvalidParam},
      {window_, pi::kCoopNonExclusive | pi::kCoopBackground, pi::kOk},
  };
  for (const Level& l : levels) EXPECT_EQ(pi::SetCooperativeLevel(kb, l.window, l.flags), l.result) << l.flags;

  ASSERT_EQ(pi::Acquire(kb), pi::kOk);
  EXPECT_EQ(pi::SetDataFormat(kb, pi::DataFormat::Keyboard), pi::kErrAcquired);
  pi::SetFakeKey(pi::kKeyZ, true);
  pi::SetFakeKey(pi::kKeyUp, true);
  ASSERT_EQ(pi::GetKeyboardState(kb, keys), pi::kOk);
  for (int k = 0; k < 256; ++k) {
    EXPECT_EQ(keys[k], k == pi::kKeyZ || k == pi::kKeyUp ? pi::kDown : 0) << k;
  }
  EXPECT_EQ(pi::Unacquire(kb), pi::kOk);
  EXPECT_EQ(pi::GetKeyboardState(kb, keys), pi::kErrNotAcquired);
}

TEST_F(InputDeviceTest, LostInputStaysLostUntilAcquiredAgain) {
  pi::DeviceHandle kb = Ready(pi::kSysKeyboard, pi::DataFormat::Keyboard);
  std::array<uint8_t, 256> keys{};
  pi::LoseDevice(pi::kSysKeyboard);
  EXPECT_EQ(pi::GetKeyboardState(kb, keys), pi::kErrInputLost);
  EXPECT_EQ(pi::GetKeyboardState(kb, keys), pi::kErrInputLost);
  EXPECT_EQ(pi::Poll(kb), pi::kErrInputLost);
  EXPECT_EQ(pi::Acquire(kb), pi::kOk);
  EXPECT_EQ(pi::GetKeyboardState(kb, keys), pi::kOk);
}

TEST_F(InputDeviceTest, FakeJoypadsAreEnumeratedInOrderAndReadScaled) {
  pi::DeviceGuid first = pi::AttachFakeJoypad("first pad");
  pi::DeviceGuid second = pi::AttachFakeJoypad("second pad");
  EXPECT_EQ(EnumeratedNames(), (std::vector<std::string>{"first pad", "second pad"}));

  // Stopping the enumeration early.
  int seen = 0;
  pi::EnumJoypads(object_, [&](const pi::DeviceInstance&) { return ++seen < 1; });
  EXPECT_EQ(seen, 1);

  pi::DeviceHandle pad = 0;
  ASSERT_EQ(pi::CreateDevice(object_, second, &pad), pi::kOk);
  pi::DeviceInstance info;
  ASSERT_EQ(pi::GetDeviceInfo(pad, &info), pi::kOk);
  EXPECT_EQ(info.guid, second);
  EXPECT_EQ(info.product_name, "second pad");
  EXPECT_EQ(pi::SetAxisRange(pad, pi::kAxisX, -1000, 1000), pi::kErrInvalidParam);  // no format yet
  EXPECT_EQ(pi::SetDataFormat(pad, pi::DataFormat::Keyboard), pi::kErrInvalidParam);
  ASSERT_EQ(pi::SetDataFormat(pad, pi::DataFormat::Joystick), pi::kOk);
  EXPECT_EQ(pi::SetAxisRange(pad, 8, -1000, 1000), pi::kErrObjectNotFound);
  EXPECT_EQ(pi::SetAxisRange(pad, pi::kAxisX, 5, 5), pi::kErrInvalidParam);
  EXPECT_EQ(pi::SetAxisDeadZone(pad, pi::kAxisX, 10001), pi::kErrInvalidParam);
  ASSERT_EQ(pi::SetAxisRange(pad, pi::kAxisX, -1000, 1000), pi::kOk);
  ASSERT_EQ(pi::SetAxisDeadZone(pad, pi::kAxisX, 2500), pi::kOk);
  ASSERT_EQ(pi::SetCooperativeLevel(pad, window_, pi::kCoopNonExclusive | pi::kCoopBackground), pi::kOk);
  ASSERT_EQ(pi::Acquire(pad), pi::kOk);
  EXPECT_EQ(pi::SetAxisRange(pad, pi::kAxisY, -1, 1), pi::kErrAcquired);

  pi::SetFakeJoypadAxes(second, 16384, -32768);
  pi::SetFakeJoypadButton(second, 0, true);
  pi::SetFakeJoypadButton(second, 31, true);
  pi::SetFakeJoypadButton(first, 1, true);  // another pad's button
  pi::JoyState s;
  ASSERT_EQ(pi::Poll(pad), pi::kOk);
  ASSERT_EQ(pi::GetJoyState(pad, &s), pi::kOk);
  EXPECT_EQ(s.x, 333);  // (5000 - 2500) * 1000 / 7500
  EXPECT_EQ(s.y, 0);    // Y keeps the default range 0-65535: -10000 maps to 32767 - 32767
  EXPECT_EQ(s.hats[0], 0xFFFFFFFFu);
  for (int b = 0; b < pi::kPadButtons; ++b) EXPECT_EQ(s.buttons[b], b == 0 || b == 31 ? pi::kDown : 0) << b;
}

TEST_F(InputDeviceTest, UnpluggedJoypadIsLostAndCannotBeAcquired) {
  pi::DeviceGuid guid = pi::AttachFakeJoypad("pad");
  pi::DeviceHandle pad = Ready(guid, pi::DataFormat::Joystick);
  pi::DetachFakeJoypad(guid);
  pi::JoyState s;
  EXPECT_EQ(pi::GetJoyState(pad, &s), pi::kErrInputLost);
  EXPECT_EQ(pi::Acquire(pad), pi::kErrUnplugged);
  EXPECT_EQ(pi::GetJoyState(pad, &s), pi::kErrInputLost);
  EXPECT_TRUE(EnumeratedNames().empty());
  pi::DeviceHandle again = 0;
  EXPECT_EQ(pi::CreateDevice(object_, guid, &again), pi::kErrObjectNotFound);
}

TEST_F(InputDeviceTest, InjectedFailuresMatchCallDeviceAxisAndCount) {
  pi::DeviceGuid a = pi::AttachFakeJoypad("a");
  pi::DeviceGuid b = pi::AttachFakeJoypad("b");
  pi::InjectFailure({pi::Call::Acquire, pi::kSysKeyboard, pi::kAnyAxis, 2, pi::kErrGeneric});
  pi::InjectFailure({pi::Call::SetAxisDeadZone, b, pi::kAxisY, -1, pi::kErrInvalidParam});
  pi::InjectFailure({pi::Call::GetDeviceState, a, pi::kAnyAxis, 1, pi::kErrInputLost});

  pi::DeviceHandle kb = 0;
  ASSERT_EQ(pi::CreateDevice(object_, pi::kSysKeyboard, &kb), pi::kOk);
  ASSERT_EQ(pi::SetDataFormat(kb, pi::DataFormat::Keyboard), pi::kOk);
  EXPECT_EQ(pi::Acquire(kb), pi::kErrGeneric);
  EXPECT_EQ(pi::Acquire(kb), pi::kErrGeneric);
  EXPECT_EQ(pi::Acquire(kb), pi::kOk);

  pi::DeviceHandle pa = Ready(a, pi::DataFormat::Joystick);
  pi::DeviceHandle pb = 0;
  ASSERT_EQ(pi::CreateDevice(object_, b, &pb), pi::kOk);
  ASSERT_EQ(pi::SetDataFormat(pb, pi::DataFormat::Joystick), pi::kOk);
  EXPECT_EQ(pi::SetAxisDeadZone(pb, pi::kAxisX, 100), pi::kOk);
  EXPECT_EQ(pi::SetAxisDeadZone(pb, pi::kAxisY, 100), pi::kErrInvalidParam);
  EXPECT_EQ(pi::SetAxisDeadZone(pb, pi::kAxisY, 100), pi::kErrInvalidParam);

  pi::JoyState s;
  EXPECT_EQ(pi::GetJoyState(pa, &s), pi::kErrInputLost);
  EXPECT_EQ(pi::GetJoyState(pa, &s), pi::kOk);

  pi::InjectFailure({pi::Call::CreateInputObject, pi::kAnyDevice, pi::kAnyAxis, 1, pi::kErrGeneric});
  pi::ObjectHandle o = 7;
  EXPECT_EQ(pi::CreateInputObject(&o), pi::kErrGeneric);
  EXPECT_EQ(o, 0u);
  pi::ClearFailures();
  EXPECT_EQ(pi::SetAxisDeadZone(pb, pi::kAxisY, 100), pi::kOk);
}

TEST_F(InputDeviceTest, ObserverSeesEveryCallWithItsDeviceAndResult) {
  std::vector<std::string> calls;
  pi::SetCallObserver([&](pi::Call call, pi::DeviceGuid guid, int32_t result) {
    calls.push_back(std::string(pi::CallName(call)) + " " + std::to_string(guid) + " " +
                    (result == pi::kOk ? "ok" : "failed"));
  });
  pi::DeviceHandle kb = 0;
  pi::CreateDevice(object_, pi::kSysKeyboard, &kb);
  pi::Acquire(kb);
  pi::ReleaseDevice(kb);
  pi::ReleaseDevice(kb);  // released already: nothing
  pi::ReleaseObject(object_);
  EXPECT_EQ(calls, (std::vector<std::string>{"CreateDevice 1 ok", "Acquire 1 failed", "ReleaseDevice 1 ok",
                                             "ReleaseObject 0 ok"}));
}

TEST_F(InputDeviceTest, DeviceTableHasAFixedSize) {
  std::vector<pi::DeviceHandle> made;
  pi::DeviceHandle d = 0;
  while (pi::CreateDevice(object_, pi::kSysKeyboard, &d) == pi::kOk) made.push_back(d);
  EXPECT_EQ(made.size(), static_cast<size_t>(pi::kMaxDevices));
  EXPECT_EQ(d, 0u);
  pi::ReleaseDevice(made[3]);
  EXPECT_EQ(pi::CreateDevice(object_, pi::kSysKeyboard, &d), pi::kOk);
  EXPECT_EQ(d, made[3]);
}

TEST(InputAxis, ScaledAfterTheDeadZone) {
  struct Case {
    int32_t raw, min, max;
    uint32_t dead_zone;
    int32_t expected;
  };
  // p = raw * 10000 / 32767 (32768 below zero); out = centre + (|p| - dz) * half / (10000 - dz).
  const Case cases[] = {
      {0, -1000, 1000, 2500, 0},          {32767, -1000, 1000, 2500, 1000},
      {-32768, -1000, 1000, 2500, -1000}, {6553, -1000, 1000, 2500, 0},  // 20 % of the travel: p 1999, inside
      {-6553, -1000, 1000, 2500, 0},                                     // p -1999
      {9830, -1000, 1000, 2500, 66},                                     // 30 %: p 2999, 499 * 1000 / 7500
      {-9830, -1000, 1000, 2500, -66},                                   // p -2999
      {8192, -1000, 1000, 2500, 0},                                      // p 2500: the edge still reads centred
      {16384, -1000, 1000, 0, 500},                                      // p 5000
      {32767, 0, 65535, 0, 65534},                                       // the default range: centre 32767, half 32767
      {-32768, 0, 65535, 0, 0},           {0, 0, 65535, 0, 32767},
      {32767, -1000, 1000, 10000, 0},  // a dead zone of the whole travel
      {40000, -1000, 1000, 0, 1000},   // beyond SDL's travel: clamped
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pi::ScaleAxis(c.raw, c.min, c.max, c.dead_zone), c.expected)
        << c.raw << " " << c.min << ".." << c.max << " dz " << c.dead_zone;
  }
}

}  // namespace

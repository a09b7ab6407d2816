#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/input/input.h"
#include "platform/surface/presentation.h"
#include "platform/sys/debug_out.h"
#include "platform/window/window.h"
#include "tests/support/temp_dir.h"

namespace {

namespace pi = plat::input;
namespace pw = plat::window;

class InputScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("NIGHTLOOM_INPUT");
    plat::SetDebugOutputSink([this](std::string_view text) { reports_ += std::string(text); });
    pi::UseFakeDevices(true);
    pw::WindowClass c;
    c.name = "ScriptTest";
    c.proc = pw::DefWindowProc;
    ASSERT_TRUE(pw::RegisterClass(c));
    pw::WindowCreate create;
    create.class_name = "ScriptTest";
    create.width = 64;
    create.height = 48;
    window_ = pw::CreateWindow(create);
    ASSERT_NE(window_, 0u);
  }
  void TearDown() override {
    pi::ResetInputStandIn();
    pw::ResetWindowStandIn();
    plat::presentation::ResetPresentation();
    plat::SetDebugOutputSink(nullptr);
    unsetenv("NIGHTLOOM_INPUT");
  }

  void Start() {
    ASSERT_EQ(pi::CreateInputObject(&object_), pi::kOk);
    ASSERT_EQ(pi::Initialize(object_, 1, pi::kInputVersion), pi::kOk);
    ASSERT_EQ(pi::CreateDevice(object_, pi::kSysKeyboard, &keyboard_), pi::kOk);
    ASSERT_EQ(pi::SetDataFormat(keyboard_, pi::DataFormat::Keyboard), pi::kOk);
    ASSERT_EQ(pi::Acquire(keyboard_), pi::kOk);
  }

  std::array<uint8_t, 256> Keys() {
    std::array<uint8_t, 256> keys{};
    EXPECT_EQ(pi::GetKeyboardState(keyboard_, keys), pi::kOk);
    return keys;
  }

  static void PresentFrame() { plat::presentation::PresentPicture(plat::presentation::Picture{}); }

  std::string reports_;
  pw::WindowHandle window_ = 0;
  pi::ObjectHandle object_ = 0;
  pi::DeviceHandle keyboard_ = 0;
};

TEST_F(InputScriptTest, KeysAreDownFromTheFrameTheScriptNames) {
  ASSERT_TRUE(
      pi::SetInputScript("# taps and holds\n"
                         "3 down Z x   # two keys at once\n"
                         "5 up z\n"
                         "4 down 0x39\n"
                         "4 up X\n"
                         "6 down Space\n"   // already down: stays down
                         "6 up space\n"));  // same frame: the later line wins
  Start();
  pi::SetFakeKey(pi::kKeyA, true);  // the device's own keys stay
  struct Frame {
    bool z, x, space;
  };
  // Reads while frame f is being made: after f - 1 presentations.
  const Frame frames[] = {
      {false, false, false}, {false, false, false}, {true, true, false},
      {true, false, true},   {false, false, true},  {false, false, false},
  };
  for (size_t i = 0; i < std::size(frames); ++i) {
    std::array<uint8_t, 256> keys = Keys();
    EXPECT_EQ(keys[pi::kKeyZ], frames[i].z ? pi::kDown : 0) << "frame " << i + 1;
    EXPECT_EQ(keys[pi::kKeyX], frames[i].x ? pi::kDown : 0) << "frame " << i + 1;
    EXPECT_EQ(keys[pi::kKeySpace], frames[i].space ? pi::kDown : 0) << "frame " << i + 1;
    EXPECT_EQ(keys[pi::kKeyA], pi::kDown) << "frame " << i + 1;
    PresentFrame();
  }
}

TEST_F(InputScriptTest, PadButtonsMakeAScriptedJoypadTheFirstOne) {
  ASSERT_TRUE(pi::SetInputScript("2 down pad:0 PAD:31\n3 up pad:0\n"));
  pi::AttachFakeJoypad("fake");
  Start();
  std::vector<pi::DeviceGuid> pads;
  pi::EnumJoypads(object_, [&](const pi::DeviceInstance& i) {
    pads.push_back(i.guid);
    return true;
  });
  ASSERT_EQ(pads.size(), 2u);
  EXPECT_EQ(pads[0], pi::kScriptJoypad);

  pi::DeviceHandle pad = 0;
  ASSERT_EQ(pi::CreateDevice(object_, pi::kScriptJoypad, &pad), pi::kOk);
  ASSERT_EQ(pi::SetDataFormat(pad, pi::DataFormat::Joystick), pi::kOk);
  ASSERT_EQ(pi::Acquire(pad), pi::kOk);
  const std::array<std::pair<uint8_t, uint8_t>, 3> frames = {{{0, 0}, {pi::kDown, pi::kDown}, {0, pi::kDown}}};
  for (size_t i = 0; i < frames.size(); ++i) {
    pi::JoyState s;
    ASSERT_EQ(pi::GetJoyState(pad, &s), pi::kOk);
    EXPECT_EQ(s.buttons[0], frames[i].first) << "frame " << i + 1;
    EXPECT_EQ(s.buttons[31], frames[i].second) << "frame " << i + 1;
    EXPECT_EQ(s.x, 32767);  // centred in the default range
    PresentFrame();
  }
}

TEST_F(InputScriptTest, NoPadButtonsNoScriptedJoypad) {
  ASSERT_TRUE(pi::SetInputScript("1 down Z\n"));
  Start();
  int count = 0;
  pi::EnumJoypads(object_, [&](const pi::DeviceInstance&) { return ++count, true; });
  EXPECT_EQ(count, 0);
}

TEST_F(InputScriptTest, BadLinesAreReportedAndTheWholeScriptIsDropped) {
  struct Case {
    const char* line;
    const char* report;
  };
  const Case cases[] = {
      {"0 down Z", "not a frame number"},
      {"x down Z", "not a frame number"},
      {"-3 down Z", "not a frame number"},
      {"5 press Z", "not down or up"},
      {"5 down", "expected FRAME"},
      {"5 down Nokey", "unknown key: Nokey"},
      {"5 down pad:32", "not a pad button"},
      {"5 down pad:", "not a pad button"},
      {"99999999999999999999 down Z", "not a frame number"},
  };
  for (const Case& c : cases) {
    reports_.clear();
    std::string script = std::string("1 down X\n") + c.line + "\n";
    EXPECT_FALSE(pi::SetInputScript(script)) << c.line;
    EXPECT_NE(reports_.find("NIGHTLOOM_INPUT: script:2: "), std::string::npos) << reports_;
    EXPECT_NE(reports_.find(c.report), std::string::npos) << reports_;
  }
  Start();
  EXPECT_EQ(Keys()[pi::kKeyX], 0);  // the good first line was dropped too
}

TEST_F(InputScriptTest, TheVariableNamesTheFileReadAtTheFirstObject) {
  nltest::TempDir dir;
  ASSERT_TRUE(nltest::WriteFileBytes(dir.File("input.txt"), "1 down Enter\r\n"));
  setenv("NIGHTLOOM_INPUT", dir.File("input.txt").c_str(), 1);
  Start();
  EXPECT_EQ(Keys()[pi::kKeyEnter], pi::kDown);

  setenv("NIGHTLOOM_INPUT", dir.File("missing.txt").c_str(), 1);
  pi::ReloadInputScript();
  EXPECT_EQ(Keys()[pi::kKeyEnter], 0);
  EXPECT_NE(reports_.find("NIGHTLOOM_INPUT: cannot read " + dir.File("missing.txt")), std::string::npos);
}

// The lock is the keyboard's state, switched by each press of its key as a real key
// press switches it; a held key switches it once.
TEST_F(InputScriptTest, EachScriptedScrollLockPressSwitchesTheLock) {
  ASSERT_TRUE(
      pi::SetInputScript("2 down ScrollLock\n3 up ScrollLock\n4 down ScrollLock\n"
                         "5 down ScrollLock\n6 up ScrollLock\n7 down 0x46\n"));
  // Frames 1..7, then the same script over a keyboard whose lock is already on.
  const bool want[] = {false, true, true, false, false, false, true};
  for (bool system_lock : {false, true}) {
    SCOPED_TRACE(system_lock ? "the keyboard's lock on" : "the keyboard's lock off");
    plat::presentation::ResetPresentation();
    pi::SetFakeScrollLock(system_lock);
    for (int frame = 1; frame <= 7; ++frame) {
      EXPECT_EQ(pi::ScrollLockOn(), want[frame - 1] != system_lock) << "frame " << frame;
      PresentFrame();
    }
  }
}

TEST_F(InputScriptTest, ResetFrameCountStartsTheScriptAgain) {
  ASSERT_TRUE(pi::SetInputScript("2 down Q\n3 up Q\n"));
  Start();
  PresentFrame();
  EXPECT_EQ(Keys()[pi::kKeyQ], pi::kDown);
  PresentFrame();
  EXPECT_EQ(Keys()[pi::kKeyQ], 0);
  plat::presentation::ResetPresentation();
  EXPECT_EQ(Keys()[pi::kKeyQ], 0);
  PresentFrame();
  EXPECT_EQ(Keys()[pi::kKeyQ], pi::kDown);
}

}  // namespace

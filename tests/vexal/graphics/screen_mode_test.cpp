// Screen-mode changes on the fake display: which modes are tried in which order, and what
// the library reports and keeps.
#include "vexal/graphics/screen/screen_mode.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/timer/timer.h"
#include "tests/vexal/graphics/screen_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/main_surfaces.h"
#include "vexal/graphics/screen/screen_access.h"

namespace {

using screentest::Attempt;
using screentest::Mode;
namespace pd = plat::display;
namespace ps = plat::surface;

class ScreenModeTest : public screentest::ScreenTest {};

TEST_F(ScreenModeTest, RequestOutcomesInFullScreen) {
  struct Case {
    const char* name;
    Mode from;                                       // set first, with every standard mode accepted
    std::optional<std::vector<pd::ModeSpec>> modes;  // then accepted for the request
    Mode request;
    int result;
    Mode after;
    std::vector<Attempt> attempts;
  };
  const Case cases[] = {
      {"exact mode",
       {640, 480, 16, 0},
       std::nullopt,
       {800, 600, 32, 75},
       0,
       {800, 600, 32, 75},
       {{800, 600, 32, 75, true}}},
      {"refresh rate refused",
       {640, 480, 16, 0},
       std::vector<pd::ModeSpec>{{800, 600, 32, {60}}},
       {800, 600, 32, 85},
       -1,
       {800, 600, 32, 0},
       {{800, 600, 32, 85, false}, {800, 600, 32, 0, true}}},
      {"previous mode kept",
       {800, 600, 32, 0},
       std::nullopt,
       {1280, 1024, 32, 60},
       -1,
       {800, 600, 32, 0},
       {{1280, 1024, 32, 60, false}, {1280, 1024, 32, 0, false}, {800, 600, 32, 0, true}}},
      {"fall back to 640 x 480 x 16",
       {800, 600, 32, 0},
       std::vector<pd::ModeSpec>{{640, 480, 16, {}}},
       {1280, 1024, 32, 60},
       -2,
       {640, 480, 16, 0},
       {{1280, 1024, 32, 60, false}, {1280, 1024, 32, 0, false}, {800, 600, 32, 0, false}, {640, 480, 16, 0, true}}},
      {"the previous mode is the fall-back mode",
       {640, 480, 16, 0},
       std::nullopt,
       {1280, 1024, 32, 60},
       -1,
       {640, 480, 16, 0},
       {{1280, 1024, 32, 60, false}, {1280, 1024, 32, 0, false}, {640, 480, 16, 0, true}}},
      {"previous mode kept with its refresh",
       {800, 600, 32, 75},
       std::nullopt,
       {1280, 1024, 32, 60},
       -1,
       {800, 600, 32, 75},
       {{1280, 1024, 32, 60, false}, {1280, 1024, 32, 0, false}, {800, 600, 32, 0, true}}},
      {"the previous mode is 640 x 480 x 16 at a refresh",
       {640, 480, 16, 60},
       std::nullopt,
       {1280, 1024, 32, 60},
       -1,
       {640, 480, 16, 60},
       {{1280, 1024, 32, 60, false}, {1280, 1024, 32, 0, false}, {640, 480, 16, 0, true}}},
      {"everything kept", {640, 480, 16, 0}, std::nullopt, {-1, -1, -1, -1}, 0, {640, 480, 16, 0}, {}},
  };
  Start(0);
  for (const Case& c : cases) {
    pd::SetAcceptedModes(screentest::StandardModes());
    const auto [fw, fh, fb, fr] = c.from;
    ASSERT_EQ(vexal::RequestScreenMode(fw, fh, fb, fr), 0) << c.name;
    if (c.modes) pd::SetAcceptedModes(*c.modes);
    pd::ClearModeAttempts();
    ps::Device* device = vexal::GetDirectDrawObject();
    const size_t changes = LinesWith("画面モード変更処理を開始します").size();
    const int graph = vexal::AddGraphHandle(8, 8, 0, 0, nullptr, 0);
    const uint32_t start = plat::timer::TimeMs();
    const auto [w, h, b, r] = c.request;
    EXPECT_EQ(vexal::RequestScreenMode(w, h, b, r), c.result) << c.name;
    EXPECT_EQ(ScreenMode(), c.after) << c.name;
    EXPECT_EQ(Attempts(), c.attempts) << c.name;
    EXPECT_EQ(vexal::GetGraphRecord(graph), nullptr) << c.name;  // graphs go even when nothing changes
    if (c.attempts.empty()) {
      EXPECT_EQ(vexal::GetDirectDrawObject(), device) << c.name;
      EXPECT_EQ(LinesWith("画面モード変更処理を開始します").size(), changes) << c.name;  // no change begun
    } else {
      // The device was made again, in the mode that was set; under the virtual clock the
      // full-screen settling sleep is left out.
      EXPECT_EQ(ps::LiveDeviceCount(), 1) << c.name;
      EXPECT_EQ(pd::Current().width, std::get<0>(c.after)) << c.name;
      EXPECT_EQ(plat::timer::TimeMs(), start) << c.name;
      EXPECT_EQ(vexal::IsDisplayModeChanged(), 1) << c.name;
    }
  }
  // A refresh rate once replaced by the default stays so for later changes.
  pd::SetAcceptedModes(screentest::StandardModes());
  ASSERT_EQ(vexal::RequestScreenMode(800, 600, 32, 85), -1);
  pd::ClearModeAttempts();
  EXPECT_EQ(vexal::RequestScreenMode(640, 480, 16, -1), 0);
  EXPECT_EQ(Attempts(), (std::vector<Attempt>{{640, 480, 16, 0, true}}));
}

TEST_F(ScreenModeTest, BeforeTheDeviceAModeIsOnlyStored) {
  EXPECT_EQ(vexal::RequestScreenMode(320, 240, 32, -1), 0);
  EXPECT_EQ(ScreenMode(), Mode(320, 240, 32, 0));
  EXPECT_EQ(vexal::GetDirectDrawObject(), nullptr);
  EXPECT_TRUE(pd::ModeAttempts().empty());
  int w = 0, h = 0;
  vexal::GetScreenSize(&w, &h);
  EXPECT_EQ(std::pair(w, h), std::pair(320, 240));
  // Nothing chosen: 640 x 480 x 16 is what the device will make.
  vexal::ResetDDrawState();
  vexal::GetScreenSize(&w, nullptr);
  vexal::GetScreenSize(nullptr, &h);
  EXPECT_EQ(std::tuple(w, h, vexal::GetScreenColorBits()), std::tuple(640, 480, 16));
}

TEST_F(ScreenModeTest, FirstModeFallBacks) {
  struct Case {
    const char* name;
    int window_mode;
    int desktop_bits;
    std::vector<pd::ModeSpec> modes;
    Mode after;
    std::vector<Attempt> attempts;
  };
  // The game asks for 320 x 240 x 32 before the start; the previous mode is the same, so a
  // refused mode goes straight to 640 x 480 x 16.
  const Case cases[] = {
      {"full screen", 0, 32, screentest::StandardModes(), {320, 240, 32, 0}, {{320, 240, 32, 0, true}}},
      {"full screen on a 24-bit desktop",
       0,
       24,
       screentest::StandardModes(),
       {320, 240, 32, 0},
       {{320, 240, 32, 0, true}}},
      {"full screen, mode refused",
       0,
       32,
       {{640, 480, 16, {}}},
       {640, 480, 16, 0},
       {{320, 240, 32, 0, false}, {320, 240, 32, 0, false}, {640, 480, 16, 0, true}}},
      {"window on a 16-bit desktop", 1, 16, screentest::StandardModes(), {320, 240, 16, 0}, {}},
  };
  for (const Case& c : cases) {
    ForgetStart();
    pd::SetDesktop(1024, 768, c.desktop_bits);
    pd::SetAcceptedModes(c.modes);
    pd::ClearModeAttempts();
    vexal::RequestScreenMode(320, 240, 32, -1);
    Start(c.window_mode);
    EXPECT_EQ(ScreenMode(), c.after) << c.name;
    EXPECT_EQ(Attempts(), c.attempts) << c.name;
    EXPECT_EQ(vexal::DDrawState.CooperativeLevel, c.window_mode ? 0x08u : 0x11u) << c.name;
    EXPECT_EQ(vexal::IsDisplayModeChanged(), c.window_mode ? 0 : 1) << c.name;
    EXPECT_EQ(vexal::GetPixelFormatPtr()->ColorBits, std::get<2>(c.after)) << c.name;
  }
}

TEST_F(ScreenModeTest, AWindowOnA24BitDesktopCannotStart) {
  pd::SetDesktop(1024, 768, 24);
  vexal::RequestScreenMode(320, 240, 32, -1);
  vexal::ChangeWindowMode(1);
  EXPECT_EXIT(vexal::LibraryInit(), ::testing::ExitedWithCode(255), "");
  // The mode asked for, then 640 x 480 x 16: both refused by the desktop.
  EXPECT_EQ(LinesWith("画面モードの変更処理を開始します"),
            (std::vector<std::string>{"画面モードの変更処理を開始します 320 x 240  32 bit ",
                                      "画面モードの変更処理を開始します 640 x 480  16 bit "}));
  EXPECT_EQ(LinesWith("予期せぬ"), (std::vector<std::string>{"予期せぬ画面モード変更不能現象が起きました"}));
  EXPECT_TRUE(LinesWith("メインサーフェスの作成を行います").empty());
}

TEST_F(ScreenModeTest, AWindowLargerThanTheDesktopEndsTheProgramBeforeAnySurface) {
  pd::SetDesktop(600, 400, 32);
  vexal::ChangeWindowMode(1);
  EXPECT_EXIT(vexal::LibraryInit(), ::testing::ExitedWithCode(255), "");
  EXPECT_EQ(LinesWith("デスクトップ画面"),
            (std::vector<std::string>{"デスクトップ画面のサイズが足りません、ソフトを終了します"}));
  EXPECT_TRUE(LinesWith("メインサーフェスの作成を行います").empty());
}

TEST_F(ScreenModeTest, ModeChangeOfTheDeviceAlone) {
  Start(1);
  ps::Device* device = vexal::GetDirectDrawObject();
  const plat::window::WindowHandle window = vexal::AppState.MainWindow;
  struct Case {
    const char* name;
    int window_mode;
    int desktop_bits;
    int bits;
    int result;
    int bits_out;  // -1: left as it was
    uint32_t level;
  };
  const Case cases[] = {
      {"window takes the desktop's depth", 1, 16, 32, 0, 16, 0x08},
      {"24-bit desktop refused", 1, 24, 16, -1, -1, 0},
      {"24-bit full screen refused", 0, 32, 24, -1, -1, 0},
      {"full screen", 0, 32, 16, 0, 16, 0x11},
  };
  for (const Case& c : cases) {
    pd::SetDesktop(1024, 768, c.desktop_bits);
    int bits_out = -1, changed = 0;
    uint32_t level = 0;
    EXPECT_EQ(vexal::ChangeScreenModeDD(device, 1024, 768, 640, 480, c.bits, &bits_out, &level, c.window_mode, &changed,
                                        window),
              c.result)
        << c.name;
    EXPECT_EQ(bits_out, c.bits_out) << c.name;
    EXPECT_EQ(level, c.level) << c.name;
    EXPECT_EQ(changed, c.window_mode == 0 && c.result == 0 ? 1 : 0) << c.name;
    ps::RestoreDisplayMode(device);
  }
}

TEST_F(ScreenModeTest, TheFlipChainGetsTwoBackBuffersWithEnoughVideoMemory) {
  struct Case {
    uint64_t memory;
    int width, height, bits;
    int buffers;
  };
  // 8 screens of 640 x 480 x 2 bytes = 4,915,200 bytes; at least 8 MB is needed as well.
  const Case cases[] = {
      {12ull << 20, 640, 480, 16, 2}, {4ull << 20, 640, 480, 16, 1}, {0x800000, 640, 480, 16, 2},
      {0x7FFFFF, 640, 480, 16, 1},    {25165824, 1024, 768, 32, 2},  {25165823, 1024, 768, 32, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vexal::FlipChainBackBufferCount(c.memory, c.width, c.height, c.bits), c.buffers) << c.memory;
  }

  // The chain the device makes: the rebuild after switching 3-D surfaces on again reads
  // the video memory anew.
  pd::SetVideoMemory(12ull << 20);
  Start(0);
  auto chain_length = [] {
    int n = 0;
    ps::EnumAttachedSurfaces(vexal::GetPrimarySurface(), [&](ps::Surface*) {
      ++n;
      return true;
    });
    return n;
  };
  EXPECT_EQ(chain_length(), 2);
  pd::SetVideoMemory(4ull << 20);
  vexal::SetUse3DSurfaces(1);
  EXPECT_EQ(chain_length(), 1);
  EXPECT_EQ(vexal::GetDrawTarget(), -4);  // kept
}

}  // namespace

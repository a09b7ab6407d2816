// A started library on the fake display, for the device, presentation and screen-mode
// tests: a fresh library (library_fixture.h) with the accepted display modes below.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

#include "platform/surface/display.h"
#include "platform/surface/surface.h"
#include "platform/window/window.h"
#include "tests/vexal/app/library_fixture.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/screen/ddraw_device.h"
#include "vexal/graphics/screen/ddraw_state.h"

namespace screentest {

namespace pd = plat::display;
namespace ps = plat::surface;

// 640 x 480 x 16 (the fall-back) and 800 x 600 x 32 at 60 and 75 Hz, 1024 x 768 (the
// desktop) in 32 bits and 320 x 240 x 32 at 60 Hz.
inline std::vector<pd::ModeSpec> StandardModes() {
  return {{640, 480, 16, {60, 75}}, {800, 600, 32, {60, 75}}, {1024, 768, 32, {60}}, {320, 240, 32, {60}}};
}

// Pixel (x, y) of a surface of 1 to 4 bytes a pixel; 0xDEADBEEF when it cannot be locked.
inline uint32_t SurfacePixel(plat::surface::Surface* s, int x, int y) {
  namespace ps = plat::surface;
  ps::LockedRect l;
  if (ps::Lock(s, nullptr, ps::kLockWait | ps::kLockReadOnly, &l) != ps::Result::kOk) return 0xDEADBEEF;
  const int bytes = l.format.bit_count / 8;
  uint32_t v = 0;
  std::memcpy(&v, l.bits + static_cast<ptrdiff_t>(y) * l.pitch + x * bytes, static_cast<size_t>(bytes));
  ps::Unlock(s);
  return v;
}

using Mode = std::tuple<int, int, int, int>;  // width, height, bits, refresh
using Attempt = std::tuple<int, int, int, int, bool>;

class ScreenTest : public apptest::LibraryTest {
 protected:
  void SetUp() override {
    apptest::LibraryTest::SetUp();
    pd::SetAcceptedModes(StandardModes());
  }
  void Start(int window_mode) {
    vexal::ChangeWindowMode(window_mode);
    ASSERT_EQ(vexal::LibraryInit(), 0);
  }
  // Back to a library that was never started, for a test that starts it once per case.
  void ForgetStart() {
    vexal::ResetAppState();
    plat::window::ResetWindowStandIn();
    vexal::EndDirectDraw();
    vexal::ResetDDrawState();
    vexal::SetNoDirect3DFlag(1);
    plat::window::SetInstanceLockPath(dir_.File("instance.lock"));
  }
  static Mode ScreenMode() {
    const vexal::DDrawStateRecord& s = vexal::DDrawState;
    return Mode(s.ScreenWidth, s.ScreenHeight, s.ScreenColorBits, s.RefreshRate);
  }
  static std::vector<Attempt> Attempts() {
    std::vector<Attempt> out;
    for (const pd::ModeAttempt& a : pd::ModeAttempts())
      out.emplace_back(a.width, a.height, a.bits, a.refresh, a.accepted);
    return out;
  }
  // The lines of the log that contain text, in order.
  std::vector<std::string> LinesWith(const std::string& text) const {
    std::vector<std::string> out;
    for (const std::string& line : LogLines()) {
      if (line.find(text) != std::string::npos) out.push_back(line.substr(line.find_first_not_of('\t')));
    }
    return out;
  }
};

}  // namespace screentest

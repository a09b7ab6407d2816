// A fresh library for a test: its own folder (the start directory), its own instance
// lock, a virtual clock, a fixed desktop and memory, and SDL's dummy driver.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/d3d/d3d.h"
#include "platform/fs/fs.h"
#include "platform/gdi/gdi_bitmap.h"
#include "platform/input/input.h"
#include "platform/sound/sound.h"
#include "platform/surface/display.h"
#include "platform/surface/presentation.h"
#include "platform/surface/surface.h"
#include "platform/sys/debug_out.h"
#include "platform/sys/sys.h"
#include "platform/timer/timer.h"
#include "platform/window/window.h"
#include "tests/support/temp_dir.h"
#include "vexal/app/input/input_device.h"
#include "vexal/app/sound/sound_device.h"
#include "vexal/app/sound/sound_handle.h"
#include "vexal/app/startup/app_state.h"
#include "vexal/d3d/d3d_device.h"
#include "vexal/graphics/drawing/call_trace.h"
#include "vexal/graphics/drawing/draw_state.h"
#include "vexal/graphics/drawing/draw_target.h"
#include "vexal/graphics/fonts/font_table.h"
#include "vexal/graphics/graphs/bmp_data_table.h"
#include "vexal/graphics/graphs/graph_table.h"
#include "vexal/graphics/mask/mask.h"
#include "vexal/graphics/screen/ddraw_state.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/surface_table.h"

namespace apptest {

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A start-up that hangs fails the test instead of holding the suite.
    alarm(300);
    // Whatever an earlier case of this process started or changed is forgotten.
    ResetEverything();
    plat::SetDebugOutputEnabled(false);
    plat::timer::UseVirtualClock(true, 10000);
    plat::window::SetInstanceLockPath(dir_.File("instance.lock"));
    plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, 32});
    plat::sys::OverrideMemoryStatus(plat::sys::MemoryStatus{512ull << 20, 256ull << 20});
    old_dir_ = plat::fs::CurrentDirectory();
    plat::fs::SetCurrentDirectory(dir_.path());
    // The library draws through the DirectDraw row unless a test chooses Direct3D.
    vexal::SetNoDirect3DFlag(1);
  }
  void TearDown() override {
    plat::fs::SetCurrentDirectory(old_dir_);
    alarm(0);
  }

  // Every table of the library and every stand-in module back to their state at load.
  static void ResetEverything() {
    vexal::ResetFontTable();
    vexal::ResetMask();
    vexal::ResetGraphTable();
    vexal::ResetBmpDataTable();
    vexal::ResetSurfaceTable();
    vexal::ResetDDrawTarget();
    vexal::ResetDrawState();
    vexal::ResetDDrawState();
    vexal::ResetCallTrace();
    vexal::ResetInputState();
    vexal::ResetSoundTableForTests();
    vexal::ResetSoundDeviceForTests();
    vexal::ResetAppState();
    plat::sound::ResetSoundForTests();
    plat::surface::ResetSurfaces();
    plat::display::ResetDisplay();
    plat::presentation::ResetPresentation();
    plat::window::ResetWindowStandIn();
    plat::input::ResetInputStandIn();
    plat::sys::ResetOverrides();
    vexal::ResetDirect3DState();
    plat::d3d::ResetD3D();
    plat::gdi::test::ResetBitmaps();
  }

  std::string Log() const { return nltest::ReadFileBytes(dir_.File("AppLog.txt")); }

  // The log's messages, one a line, without their time stamps.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::string log = Log();
    size_t start = 0;
    while (start < log.size()) {
      size_t end = log.find('\n', start);
      if (end == std::string::npos) end = log.size();
      std::string line = log.substr(start, end - start);
      size_t colon = line.find(':');
      lines.push_back(colon == std::string::npos ? line : line.substr(colon + 1));
      start = end + 1;
    }
    return lines;
  }

  // The log lines from the first that equals `from` on (empty when there is none).
  std::vector<std::string> LogLinesFrom(const std::string& from) const {
    std::vector<std::string> lines = LogLines();
    auto it = std::find(lines.begin(), lines.end(), from);
    return std::vector<std::string>(it, lines.end());
  }

  nltest::TempDir dir_;
  std::string old_dir_;
};

}  // namespace apptest

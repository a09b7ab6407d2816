// The started library the drawing benchmarks run on: one start per benchmark program, in a
// scratch folder, on the dummy video driver, with graphs in system memory; the colour depth
// changes on demand.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <string>

#include "platform/fs/fs.h"
#include "platform/sys/debug_out.h"
#include "platform/timer/timer.h"
#include "platform/window/window.h"
#include "vexal/app/startup/library.h"
#include "vexal/app/window/window_mode.h"
#include "vexal/graphics/drawing/draw_calls.h"
#include "vexal/graphics/screen/screen_access.h"
#include "vexal/graphics/screen/screen_mode.h"

namespace nlbench {

// Makes sure the library runs a width x height screen of the given depth, drawing on the
// back screen over the whole of it at full brightness.
inline void UseBenchScreen(int width, int height, int bits) {
  static bool started = false;
  if (!started) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    char dir[] = "/tmp/nl_bench_XXXXXX";
    if (mkdtemp(dir) == nullptr) std::abort();
    plat::SetDebugOutputEnabled(false);
    plat::timer::UseVirtualClock(true, 10000);
    plat::window::SetInstanceLockPath(std::string(dir) + "/instance.lock");
    plat::window::OverrideDesktopMode(plat::window::DesktopMode{1024, 768, 32});
    plat::fs::SetCurrentDirectory(dir);
    vexal::SetUseVideoMemory(0);
    vexal::ChangeWindowMode(0);
    vexal::RequestScreenMode(width, height, bits, -1);
    if (vexal::LibraryInit() != 0) std::abort();
    started = true;
  } else if (vexal::GetScreenColorBits() != bits) {
    vexal::RequestScreenMode(width, height, bits, -1);
  }
  if (vexal::GetScreenColorBits() != bits) std::abort();
  vexal::SetDrawTarget(vexal::kBackScreen);
  vexal::SetDrawClipArea(0, 0, width, height);
  vexal::SetDrawBrightness(255, 255, 255);
}

}  // namespace nlbench

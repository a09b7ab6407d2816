// The game program. For now it starts the library in window mode on the game's 320 x 240
// screen, clears and presents the back screen once a frame until the window is closed,
// and shuts the library down. The game itself comes later.
#include "platform/timer.h"
#include "vexal/app/library.h"
#include "vexal/app/message_pump.h"
#include "vexal/app/timing.h"
#include "vexal/app/window_mode.h"
#include "vexal/graphics/graphics_seam.h"

namespace {

constexpr int kScreenWidth = 320;   // the game's logical screen
constexpr int kScreenHeight = 240;
constexpr int kScreenBits = 32;
constexpr uint32_t kFrameMs = 35;   // a frame lasts at least this long
constexpr uint32_t kIdleMs = 1;     // between two pumps while a frame waits

}  // namespace

int main() {
  vexal::ChangeWindowMode(1);
  vexal::RequestScreenMode(kScreenWidth, kScreenHeight, kScreenBits, -1);
  if (vexal::LibraryInit() == -1) return -1;
  vexal::SetDrawTarget(vexal::kBackScreen);
  uint32_t frame_start = vexal::GetTimeMs();
  while (vexal::PumpMessages() == 0) {
    vexal::ClearDrawTarget();
    if (vexal::PresentScreen() != 0) break;
    // The rest of the frame goes by pumping, so the window stays responsive.
    bool closed = false;
    while (!closed && vexal::GetTimeMs() - frame_start < kFrameMs) {
      closed = vexal::PumpMessages() != 0;
      plat::timer::Sleep(kIdleMs);
    }
    if (closed) break;
    frame_start = vexal::GetTimeMs();
  }
  vexal::LibraryEnd();
  return 0;
}

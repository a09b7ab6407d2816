// The game program. For now it starts the library in window mode, keeps its window
// alive until the window is closed, and shuts the library down. The game itself comes
// later.
#include "platform/timer.h"
#include "vexal/app/library.h"
#include "vexal/app/message_pump.h"
#include "vexal/app/window_mode.h"

namespace {

constexpr uint32_t kIdleMs = 10;  // between two pumps, so an idle program costs nothing

}  // namespace

int main() {
  vexal::ChangeWindowMode(1);
  if (vexal::LibraryInit() == -1) return -1;
  while (vexal::PumpMessages() == 0) plat::timer::Sleep(kIdleMs);
  vexal::LibraryEnd();
  return 0;
}

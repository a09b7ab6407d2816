#include "vexal/graphics/wait_active.h"

#include "vexal/app/message_pump.h"
#include "vexal/app/window_access.h"

namespace vexal {
namespace {

// In window mode the background flag alone lets the program run on; in full screen it
// needs the skip-active-wait flag as well, which nothing ever sets, so full screen waits.
bool MustWait() { return IsWindowMode() ? GetRunInBackground() == 0 : true; }

bool CanBecomeActive() { return GetMainWindow() != 0 && IsWindowClosing() == 0; }

}  // namespace

void WaitActiveAndRestore() {
  if (IsAppActive() != 0) return;
  if (MustWait()) {
    while (IsAppActive() == 0 && CanBecomeActive()) {
      if (PumpMessages() != 0) break;
    }
  }
  // Restore after the wait: the main surfaces, then every graph in index order, each
  // only while graph management is initialised and not suspended. The graph table and
  // the surfaces are not built yet; their restore calls go here.
}

}  // namespace vexal

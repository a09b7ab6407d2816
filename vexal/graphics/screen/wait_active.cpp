#include "vexal/graphics/screen/wait_active.h"

#include "vexal/app/window/message_pump.h"
#include "vexal/app/window/window_access.h"
#include "vexal/graphics/graphs/graph_restore.h"

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
  // Whatever the device lost while the application was in the background: the main
  // surfaces, then every graph in index order (nothing before graph management starts
  // or while drawing is suspended).
  RestoreAllGraph();
}

}  // namespace vexal

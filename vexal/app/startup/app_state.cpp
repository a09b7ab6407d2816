#include "vexal/app/startup/app_state.h"

#include <utility>

namespace vexal {

AppStateRecord AppState;  // the library's process-wide state

void ResetAppState() { AppState = AppStateRecord{}; }

void ResetAppStateForWindow() {
  AppStateRecord kept;
  kept.LogDisabled = AppState.LogDisabled;
  kept.WindowMode = AppState.WindowMode;
  kept.WindowRegion = AppState.WindowRegion;
  kept.StartDirectory = std::move(AppState.StartDirectory);
  kept.WindowTitle = std::move(AppState.WindowTitle);
  kept.LogTimeBase = AppState.LogTimeBase;
  kept.DirectXVersion = AppState.DirectXVersion;
  kept.OsCode = AppState.OsCode;
  kept.RunInBackground = AppState.RunInBackground;
  kept.ComInitialised = AppState.ComInitialised;
  AppState = std::move(kept);
}

}  // namespace vexal

#include "vexal/app/app_state.h"

namespace vexal {

AppStateRecord AppState;  // the library's process-wide state

void ResetAppState() { AppState = AppStateRecord{}; }

}  // namespace vexal

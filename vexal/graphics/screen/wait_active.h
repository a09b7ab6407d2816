// The inactive wait that most drawing calls, the key reads and the mask operations begin
// with: while the application is in the background they wait, pumping messages, so the
// whole program pauses; afterwards what the screen device lost meanwhile is restored.
#pragma once

namespace vexal {

// Returns at once while the application is active. Otherwise, unless it may run in the
// background, pumps messages until it is active again, the pump reports the end, or the
// window is closing (or there is none: nothing could activate it then); then restores
// the main surfaces and every lost graph.
void WaitActiveAndRestore();

}  // namespace vexal

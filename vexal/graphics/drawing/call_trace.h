// A test's view of two library steps that leave nothing else to see: the on-screen log's
// draw over the picture and the choice of the texture depth. Each hands its name to the
// hook, when one is set.
#pragma once

#include <functional>
#include <string_view>

namespace vexal {

// Hands the call's name to the trace hook, if any, and gives back `result`.
int TraceCall(std::string_view call, int result = 0);

// ---- Tests ----

// Receives the name of every traced call; null stops it.
void SetCallTraceHook(std::function<void(std::string_view)> hook);
// No hook, as at load.
void ResetCallTrace();

}  // namespace vexal

#include "vexal/graphics/drawing/call_trace.h"

#include <utility>

namespace vexal {
namespace {

std::function<void(std::string_view)> TraceHook;  // test observer, or empty

}  // namespace

int TraceCall(std::string_view call, int result) {
  if (TraceHook) TraceHook(call);
  return result;
}

void SetCallTraceHook(std::function<void(std::string_view)> hook) { TraceHook = std::move(hook); }

void ResetCallTrace() { TraceHook = nullptr; }

}  // namespace vexal

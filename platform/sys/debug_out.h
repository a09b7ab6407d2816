// The debugger output: text the program sends for a developer watching it. Written to
// standard error, converted from CP932 to UTF-8. Tests can switch it off or watch it.
#pragma once

#include <functional>
#include <string_view>

namespace plat {

void DebugOutput(std::string_view cp932_text);

// On by default.
void SetDebugOutputEnabled(bool on);

// Receives every text (CP932, unconverted) instead of standard error; null restores it.
void SetDebugOutputSink(std::function<void(std::string_view)> sink);

}  // namespace plat

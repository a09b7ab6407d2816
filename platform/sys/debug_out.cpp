#include "platform/sys/debug_out.h"

#include <cstdio>
#include <string>

#include "platform/text/text_encoding.h"

namespace plat {
namespace {

bool g_enabled = true;                         // output switched on
std::function<void(std::string_view)> g_sink;  // test observer, or empty

}  // namespace

void DebugOutput(std::string_view cp932_text) {
  if (!g_enabled) return;
  if (g_sink) {
    g_sink(cp932_text);
    return;
  }
  std::string utf8 = Cp932ToUtf8(cp932_text);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

void SetDebugOutputEnabled(bool on) { g_enabled = on; }

void SetDebugOutputSink(std::function<void(std::string_view)> sink) { g_sink = std::move(sink); }

}  // namespace plat

// Scripted input for the headless harness: NIGHTLOOM_INPUT names a file of key and pad
// button presses and releases at presented-frame numbers (format in input.h).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/input/input_internal.h"
#include "platform/surface/presentation.h"
#include "platform/sys/debug_out.h"

namespace plat::input {
namespace {

constexpr char kPadPrefix[] = "pad:";

struct ScriptEvent {
  uint64_t frame = 0;  // presented-frame number, from 1
  bool down = false;
  bool pad = false;   // a button of the scripted joypad, else a key
  uint8_t index = 0;  // key code or button number
};

struct ScriptState {
  bool loaded = false;                         // the environment (or a test's text) was read
  std::vector<ScriptEvent> events;             // by frame, file order within a frame
  bool has_pad = false;                        // some event names a pad button
  size_t applied = 0;                          // events already applied to the state below
  uint64_t frame = 0;                          // frame the state was brought to
  std::array<uint8_t, kKeyCount> keys{};       // scripted keys, kDown or 0
  std::array<uint8_t, kPadButtons> buttons{};  // scripted pad buttons, kDown or 0
  bool scroll_lock_switched = false;           // odd number of Scroll Lock presses
};

ScriptState g_script;  // the one script

void Report(const std::string& text) { DebugOutput("NIGHTLOOM_INPUT: " + text + "\n"); }

std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > max) return std::nullopt;
  return v;
}

std::string Lower(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

// One line's events; an error text when the line is bad.
std::optional<std::string> ParseLine(std::string_view line, std::vector<ScriptEvent>* out) {
  line = line.substr(0, line.find('#'));
  std::vector<std::string_view> t = Tokens(line);
  if (t.empty()) return std::nullopt;
  if (t.size() < 3) return "expected FRAME down|up INPUT...";
  std::optional<uint64_t> frame = ParseNumber(t[0], UINT64_MAX / 10);
  if (!frame || *frame == 0) return "not a frame number of 1 or more: " + std::string(t[0]);
  std::string action = Lower(t[1]);
  if (action != "down" && action != "up") return "not down or up: " + std::string(t[1]);
  for (size_t i = 2; i < t.size(); ++i) {
    ScriptEvent e;
    e.frame = *frame;
    e.down = action == "down";
    std::string name = Lower(t[i]);
    if (name.starts_with(kPadPrefix)) {
      std::string_view number = std::string_view(name).substr(sizeof kPadPrefix - 1);
      std::optional<uint64_t> button = ParseNumber(number, kPadButtons - 1);
      if (!button) return "not a pad button 0-31: " + std::string(t[i]);
      e.pad = true;
      e.index = static_cast<uint8_t>(*button);
    } else {
      std::optional<uint8_t> code = KeyCodeOfName(t[i]);
      if (!code) return "unknown key: " + std::string(t[i]);
      e.index = *code;
    }
    out->push_back(e);
  }
  return std::nullopt;
}

// Replaces the script by the text's events; false (and no script) when a line is bad.
bool Load(std::string_view text, const std::string& source) {
  g_script = ScriptState{};
  g_script.loaded = true;
  std::vector<ScriptEvent> events;
  bool ok = true;
  int line_number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++line_number;
    if (std::optional<std::string> error = ParseLine(text.substr(start, end - start), &events)) {
      Report(source + ":" + std::to_string(line_number) + ": " + *error);
      ok = false;
    }
    start = end + 1;
  }
  if (!ok) {
    Report(source + ": the script is not used");
    return false;
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
  g_script.has_pad = std::any_of(events.begin(), events.end(), [](const ScriptEvent& e) { return e.pad; });
  g_script.events = std::move(events);
  return true;
}

void LoadEnvironment() {
  const char* path = std::getenv("NIGHTLOOM_INPUT");
  g_script = ScriptState{};
  g_script.loaded = true;
  if (path == nullptr || *path == '\0') return;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    Report(std::string("cannot read ") + path + "; no scripted input");
    return;
  }
  std::string text;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  Load(text, path);
}

// Brings the state to the frame being made now.
void Advance() {
  internal::EnsureScriptLoaded();
  uint64_t frame = presentation::PresentedFrames() + 1;
  if (frame < g_script.frame) {  // the frame count was reset
    g_script.applied = 0;
    g_script.keys.fill(0);
    g_script.buttons.fill(0);
    g_script.scroll_lock_switched = false;
  }
  g_script.frame = frame;
  while (g_script.applied < g_script.events.size() && g_script.events[g_script.applied].frame <= frame) {
    const ScriptEvent& e = g_script.events[g_script.applied++];
    uint8_t value = e.down ? kDown : 0;
    if (e.pad) {
      g_script.buttons[e.index] = value;
    } else {
      if (e.index == kKeyScrollLock && e.down && g_script.keys[e.index] == 0)
        g_script.scroll_lock_switched = !g_script.scroll_lock_switched;
      g_script.keys[e.index] = value;
    }
  }
}

}  // namespace

void ReloadInputScript() { LoadEnvironment(); }

bool SetInputScript(std::string_view text) { return Load(text, "script"); }

namespace internal {

void EnsureScriptLoaded() {
  if (!g_script.loaded) LoadEnvironment();
}

bool ScriptHasPad() {
  EnsureScriptLoaded();
  return g_script.has_pad;
}

void ScriptOrKeys(std::span<uint8_t, kKeyCount> keys) {
  Advance();
  for (int k = 0; k < kKeyCount; ++k) keys[k] |= g_script.keys[k];
}

RawPad ScriptReadPad() {
  Advance();
  RawPad pad;
  pad.buttons = g_script.buttons;
  return pad;
}

bool ScriptScrollLockSwitched() {
  Advance();
  return g_script.scroll_lock_switched;
}

void ResetScript() { g_script = ScriptState{}; }

}  // namespace internal
}  // namespace plat::input

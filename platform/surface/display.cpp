#include "platform/surface/display.h"

#include <SDL.h>

#include <algorithm>
#include <optional>

#include "platform/window/window.h"

namespace plat::display {
namespace {

constexpr int kFallbackDesktopWidth = 1024;  // when SDL has no video to ask
constexpr int kFallbackDesktopHeight = 768;
constexpr int kStandardSizes[][2] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}};
constexpr int kStandardBits[] = {8, 16, 32};
constexpr int kStandardRefresh[] = {60, 75};

struct DisplayState {
  bool initialised = false;  // defaults filled in
  int desktop_width = 0;     // desktop size in pixels
  int desktop_height = 0;
  int desktop_bits = 32;                       // desktop colour depth
  Layout16 layout16 = Layout16::k565;          // how 16-bit pixels are laid out
  std::vector<ModeSpec> modes;                 // accepted modes
  CurrentMode mode;                            // the mode set by ApplyMode, when mode.changed
  std::vector<ModeAttempt> attempts;           // every ApplyMode call since the last clear
  uint64_t video_total = kDefaultVideoMemory;  // video memory in bytes
  uint64_t video_used = 0;                     // taken by surfaces
};

DisplayState g_display;                             // the one display
std::optional<std::pair<int, int>> g_real_desktop;  // the real desktop's size, asked once

std::pair<int, int> RealDesktopSize() {
  if (g_real_desktop) return *g_real_desktop;
  std::pair<int, int> size{kFallbackDesktopWidth, kFallbackDesktopHeight};
  bool started = false;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
    SDL_DisplayMode dm;
    if (SDL_GetDesktopDisplayMode(0, &dm) == 0 && dm.w > 0 && dm.h > 0) size = {dm.w, dm.h};
  }
  if (started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  g_real_desktop = size;
  return size;
}

std::vector<ModeSpec> StandardModes(int desktop_w, int desktop_h) {
  std::vector<ModeSpec> modes;
  auto add = [&](int w, int h) {
    for (int bits : kStandardBits) {
      bool present = std::any_of(modes.begin(), modes.end(),
                                 [&](const ModeSpec& m) { return m.width == w && m.height == h && m.bits == bits; });
      if (!present) {
        modes.push_back({w, h, bits, {std::begin(kStandardRefresh), std::end(kStandardRefresh)}});
      }
    }
  };
  for (auto& s : kStandardSizes) add(s[0], s[1]);
  add(desktop_w, desktop_h);
  return modes;
}

DisplayState& State() {
  if (!g_display.initialised) {
    auto [w, h] = RealDesktopSize();
    g_display.initialised = true;
    g_display.desktop_width = w;
    g_display.desktop_height = h;
    g_display.modes = StandardModes(w, h);
  }
  return g_display;
}

// The windows hear of a change of what the screen shows (size or depth), as a desktop
// reports a new display mode; setting the mode it already shows reports nothing.
void ReportChange(const CurrentMode& before) {
  const CurrentMode now = Current();
  if (now.width == before.width && now.height == before.height && now.bits == before.bits) return;
  window::DesktopChanged(now.bits, now.width, now.height);
}

}  // namespace

void SetDesktop(int width, int height, int bits) {
  DisplayState& s = State();
  s.desktop_width = width;
  s.desktop_height = height;
  s.desktop_bits = bits;
}

void SetLayout16(Layout16 layout) { State().layout16 = layout; }

void SetAcceptedModes(std::vector<ModeSpec> modes) { State().modes = std::move(modes); }

void SetVideoMemory(uint64_t total_bytes) { State().video_total = total_bytes; }

void ResetDisplay() { g_display = DisplayState{}; }

int DesktopWidth() { return State().desktop_width; }
int DesktopHeight() { return State().desktop_height; }
int DesktopBits() { return State().desktop_bits; }

PixelFormat FormatForBits(int bits) {
  switch (bits) {
    case 8: return kFormatPalette8;
    case 16: return State().layout16 == Layout16::k565 ? kFormatRgb565 : kFormatRgb555;
    case 24: return kFormatRgb888;
    case 32: return kFormatXrgb8888;
    default: return PixelFormat{};
  }
}

CurrentMode Current() {
  const DisplayState& s = State();
  if (s.mode.changed) return s.mode;
  return {s.desktop_width, s.desktop_height, s.desktop_bits, 0, false};
}

PixelFormat CurrentFormat() { return FormatForBits(Current().bits); }

bool AcceptsMode(int width, int height, int bits, int refresh) {
  if (bits == 24) return false;
  for (const ModeSpec& m : State().modes) {
    if (m.width != width || m.height != height || m.bits != bits) continue;
    if (refresh == 0) return true;
    return std::find(m.refresh_rates.begin(), m.refresh_rates.end(), refresh) != m.refresh_rates.end();
  }
  return false;
}

bool ApplyMode(int width, int height, int bits, int refresh) {
  bool ok = AcceptsMode(width, height, bits, refresh);
  DisplayState& s = State();
  s.attempts.push_back({width, height, bits, refresh, ok});
  if (ok) {
    const CurrentMode before = Current();
    s.mode = {width, height, bits, refresh, true};
    ReportChange(before);
  }
  return ok;
}

void RestoreDesktop() {
  const CurrentMode before = Current();
  State().mode = CurrentMode{};
  ReportChange(before);
}

const std::vector<ModeAttempt>& ModeAttempts() { return State().attempts; }

void ClearModeAttempts() { State().attempts.clear(); }

uint64_t TotalVideoMemory() { return State().video_total; }

uint64_t FreeVideoMemory() {
  const DisplayState& s = State();
  return s.video_used >= s.video_total ? 0 : s.video_total - s.video_used;
}

bool ReserveVideoMemory(uint64_t bytes) {
  if (bytes > FreeVideoMemory()) return false;
  State().video_used += bytes;
  return true;
}

void ReturnVideoMemory(uint64_t bytes) {
  DisplayState& s = State();
  s.video_used = bytes > s.video_used ? 0 : s.video_used - bytes;
}

}  // namespace plat::display

// AppState: the library's one process-wide state record. Every Vexal module that keeps
// window, log, timer or system-report state keeps it here, so a reader finds it in one
// place; ResetAppState brings it back to its state at load for tests. Each group is
// written by its own concern's files: the window's by window/ (and the shut-down's close
// request), the timer choice by system/timing.cpp, the log's by log/log_file.cpp, the
// system report's by system/system_report.cpp, the library's own flags by startup/.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/window/window.h"

namespace vexal {

// Longest window title kept, in bytes.
inline constexpr size_t kWindowTitleMax = 255;

struct AppStateRecord {
  // Window.
  uintptr_t Instance = 0;                       // module handle; one module here, so 1 once started
  plat::window::WindowHandle MainWindow = 0;    // the one main window; 0 before creation
  plat::window::RegionHandle WindowRegion = 0;  // shape of the window; 0 = none
  std::array<int32_t, 4> ClientRect{};          // client area on the desktop: left, top, right, bottom
  int32_t WindowMode = 0;                       // 1 window mode, 0 full screen; may be set before start-up
  int32_t ModeChanging = 0;                     // a window-mode change is running
  int32_t DisplayChanged = 0;                   // a desktop change was seen during a window-mode change
  int32_t QuitFlag = 0;                         // the window was destroyed or the quit message seen
  int32_t ClosingFlag = 0;                      // the library itself asked the window to close
  int32_t WindowDestroyed = 0;                  // the window's destruction was handled
  int32_t ActiveFlag = 0;                       // 1: the application is active
  int32_t RestorePending = 0;                   // full-screen surfaces must be rebuilt on re-activation
  int32_t ScreenRebuilding = 0;                 // a screen rebuild is running (its waits pump messages)
  int32_t RebuildAgain = 0;                     // a desktop change came during a rebuild: 1 rebuild once more
  int32_t CursorVisible = 0;                    // the window-mode style (visible cursor) is applied

  // Timer choice (system/timing.cpp).
  int32_t UsePerfCounter = 0;  // 1: microsecond time comes from the performance counter
  int64_t PerfFrequency = 0;   // performance-counter ticks per second

  // Desktop at window creation.
  int32_t DesktopWidth = 0;
  int32_t DesktopHeight = 0;
  int32_t DesktopColourBits = 0;

  int32_t ComInitialised = 0;  // COM was started here and not yet ended

  // Log state (log/log_file.cpp).
  int32_t LogDisabled = 0;      // 1: no logging at all
  int32_t LogFile = 0;          // 1: the last opening of the log file succeeded (it is closed after each message)
  int32_t LogIndent = 0;        // tabs written at the start of a line, never below 0
  int32_t LogContinuation = 0;  // 1: the previous message did not end its line
  uint32_t LogTimeBase = 0;     // clock value at start-up, in ms

  std::array<int32_t, 4> DrawRect{};  // draw area inside the window: left, top, right, bottom
  int32_t LibraryInitialised = 0;     // 1 between a successful start-up and the shut-down

  // Directory the program started in (host path); the log file lives there.
  std::string StartDirectory;
  // Window title (CP932, at most kWindowTitleMax bytes); empty means "Vexal".
  std::string WindowTitle;
  int32_t StyleApplied = 0;  // the window-mode style was applied once after creation

  // System report results (system/system_report.cpp).
  int32_t OsCode = 0;                 // Windows generation code, unchanged elsewhere
  uint32_t DirectXVersion = 0;        // 0xMMmmLL: major, minor, optional letter
  int32_t MmxUsable = 0;              // stays 0
  int32_t RdtscUsable = 0;            // the processor has a time-stamp counter
  int64_t CpuTicksPerHalfSecond = 0;  // time-stamp ticks over 500 ms

  int32_t RunInBackground = 0;  // keep running while inactive; nothing sets it
  int32_t PumpBusy = 0;         // the pump is updating text input (re-entry guard)
};

extern AppStateRecord AppState;

void ResetAppState();

// The reset at window creation: everything back to zero except what may be set before
// the window exists (log switch and clock base, window mode, region and title, start
// directory, system generation codes, background flag) and the COM flag, which the
// shut-down needs to end COM.
void ResetAppStateForWindow();

}  // namespace vexal

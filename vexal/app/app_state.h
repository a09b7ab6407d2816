// AppState: the library's one process-wide state record. Every Vexal module that keeps
// window, log, timer or system-report state keeps it here, so a reader finds it in one
// place; ResetAppState brings it back to its state at load for tests.
#pragma once

#include <cstdint>
#include <string>

namespace vexal {

struct AppStateRecord {
  // Timer choice.
  int32_t UsePerfCounter = 0;   // 1: microsecond time comes from the performance counter
  int64_t PerfFrequency = 0;    // performance-counter ticks per second

  // Log state.
  int32_t LogDisabled = 0;      // 1: no logging at all
  int32_t LogFile = 0;          // 1: the last opening of the log file succeeded (it is closed after each message)
  int32_t LogIndent = 0;        // tabs written at the start of a line, never below 0
  int32_t LogContinuation = 0;  // 1: the previous message did not end its line
  uint32_t LogTimeBase = 0;     // clock value at start-up, in ms

  // Directory the program started in (host path); the log file lives there.
  std::string StartDirectory;

  // System report results.
  int32_t OsCode = 0;                 // Windows generation code, unchanged elsewhere
  uint32_t DirectXVersion = 0;        // 0xMMmmLL: major, minor, optional letter
  int32_t MmxUsable = 0;              // stays 0
  int32_t RdtscUsable = 0;            // the processor has a time-stamp counter
  int64_t CpuTicksPerHalfSecond = 0;  // time-stamp ticks over 500 ms
};

extern AppStateRecord AppState;

void ResetAppState();

}  // namespace vexal
